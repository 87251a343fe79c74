// Key names for --key (see key_names.h).
#include "app/key_names.h"

#include <iterator>

#include "world/text.h"

namespace sim {
namespace {

struct KeyName {
  const char *name;
  DWORD code;
};

const KeyName kKeyNames[] = {
    {"escape", OAPI_KEY_ESCAPE},   {"minus", OAPI_KEY_MINUS},         {"equals", OAPI_KEY_EQUALS},
    {"back", OAPI_KEY_BACK},       {"tab", OAPI_KEY_TAB},             {"lbracket", OAPI_KEY_LBRACKET},
    {"rbracket", OAPI_KEY_RBRACKET}, {"return", OAPI_KEY_RETURN},     {"semicolon", OAPI_KEY_SEMICOLON},
    {"apostrophe", OAPI_KEY_APOSTROPHE}, {"grave", OAPI_KEY_GRAVE},   {"backslash", OAPI_KEY_BACKSLASH},
    {"comma", OAPI_KEY_COMMA},     {"period", OAPI_KEY_PERIOD},       {"slash", OAPI_KEY_SLASH},
    {"multiply", OAPI_KEY_MULTIPLY}, {"space", OAPI_KEY_SPACE},       {"capital", OAPI_KEY_CAPITAL},
    {"f1", OAPI_KEY_F1},           {"f2", OAPI_KEY_F2},               {"f3", OAPI_KEY_F3},
    {"f4", OAPI_KEY_F4},           {"f5", OAPI_KEY_F5},               {"f6", OAPI_KEY_F6},
    {"f7", OAPI_KEY_F7},           {"f8", OAPI_KEY_F8},               {"f9", OAPI_KEY_F9},
    {"f10", OAPI_KEY_F10},         {"f11", OAPI_KEY_F11},             {"f12", OAPI_KEY_F12},
    {"numlock", OAPI_KEY_NUMLOCK}, {"scroll", OAPI_KEY_SCROLL},       {"numpad0", OAPI_KEY_NUMPAD0},
    {"numpad1", OAPI_KEY_NUMPAD1}, {"numpad2", OAPI_KEY_NUMPAD2},     {"numpad3", OAPI_KEY_NUMPAD3},
    {"numpad4", OAPI_KEY_NUMPAD4}, {"numpad5", OAPI_KEY_NUMPAD5},     {"numpad6", OAPI_KEY_NUMPAD6},
    {"numpad7", OAPI_KEY_NUMPAD7}, {"numpad8", OAPI_KEY_NUMPAD8},     {"numpad9", OAPI_KEY_NUMPAD9},
    {"add", OAPI_KEY_ADD},         {"subtract", OAPI_KEY_SUBTRACT},   {"decimal", OAPI_KEY_DECIMAL},
    {"divide", OAPI_KEY_DIVIDE},   {"numpadenter", OAPI_KEY_NUMPADENTER}, {"home", OAPI_KEY_HOME},
    {"up", OAPI_KEY_UP},           {"prior", OAPI_KEY_PRIOR},         {"left", OAPI_KEY_LEFT},
    {"right", OAPI_KEY_RIGHT},     {"end", OAPI_KEY_END},             {"down", OAPI_KEY_DOWN},
    {"next", OAPI_KEY_NEXT},       {"insert", OAPI_KEY_INSERT},       {"delete", OAPI_KEY_DELETE},
};

}  // namespace

bool keyByName(const std::string &name, DWORD &code) {
  for (const KeyName &k : kKeyNames)
    if (equalsNoCase(name, k.name)) {
      code = k.code;
      return true;
    }
  return false;
}

}  // namespace sim
