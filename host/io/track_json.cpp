// JSON writing helpers of the track (see track_json.h).
#include "io/track_json.h"

#include <cmath>
#include <cstring>

#include "world/world.h"

namespace sim {

void writeJsonString(std::FILE *f, const char *s) {
  std::fputc('"', f);
  for (const unsigned char *p = reinterpret_cast<const unsigned char *>(s); *p; p++) {
    unsigned char c = *p;
    if (c == '"' || c == '\\') {
      std::fputc('\\', f);
      std::fputc(c, f);
    } else if (c == '\n') {
      std::fputs("\\n", f);
    } else if (c < 0x20 || c >= 0x7F) {
      std::fprintf(f, "\\u%04x", c);
    } else {
      std::fputc(c, f);
    }
  }
  std::fputc('"', f);
}

void formatJsonNumber(char *buf, size_t size, double v, int decimals) {
  if (!std::isfinite(v)) {
    std::snprintf(buf, size, "null");
    return;
  }
  int n = std::snprintf(buf, size, "%.*f", decimals, v);
  if (n <= 0 || static_cast<size_t>(n) >= size) {
    std::snprintf(buf, size, "%.17g", v);
    return;
  }
  if (std::strchr(buf, '.')) {
    while (n > 0 && buf[n - 1] == '0') buf[--n] = '\0';
    if (n > 0 && buf[n - 1] == '.') buf[--n] = '\0';
  }
  if (std::strcmp(buf, "-0") == 0) std::snprintf(buf, size, "0");
}

void writeJsonNumber(std::FILE *f, double v, int decimals) {
  char buf[352];  // room for the largest double in fixed notation
  formatJsonNumber(buf, sizeof buf, v, decimals);
  std::fputs(buf, f);
}

void writeJsonVectorItems(std::FILE *f, const VECTOR3 &v, int decimals) {
  writeJsonNumber(f, v.x, decimals);
  std::fputc(',', f);
  writeJsonNumber(f, v.y, decimals);
  std::fputc(',', f);
  writeJsonNumber(f, v.z, decimals);
}

void writeJsonVector(std::FILE *f, const VECTOR3 &v, int decimals) {
  std::fputc('[', f);
  writeJsonVectorItems(f, v, decimals);
  std::fputc(']', f);
}

namespace {

// Letters and digits by scan code (the keyboard rows from 0x02).
const char *letterOf(DWORD code) {
  static const char *const kRows[] = {"1234567890", "QWERTYUIOP", "ASDFGHJKL", "ZXCVBNM"};
  static const DWORD kRowStart[] = {OAPI_KEY_1, OAPI_KEY_Q, OAPI_KEY_A, OAPI_KEY_Z};
  static char out[2];
  for (int r = 0; r < 4; r++) {
    DWORD n = static_cast<DWORD>(std::strlen(kRows[r]));
    if (code >= kRowStart[r] && code < kRowStart[r] + n) {
      out[0] = kRows[r][code - kRowStart[r]];
      out[1] = '\0';
      return out;
    }
  }
  return nullptr;
}

}  // namespace

std::string keyName(const KeyEvent &e) {
  std::string s;
  for (DWORD m : e.modifiers) {
    if (m == OAPI_KEY_LSHIFT) s += "shift+";
    else if (m == OAPI_KEY_RSHIFT) s += "rshift+";
    else if (m == OAPI_KEY_LCONTROL) s += "ctrl+";
    else if (m == OAPI_KEY_RCONTROL) s += "rctrl+";
  }
  if (const char *l = letterOf(e.key)) s += l;
  else s += std::to_string(e.key);
  return s;
}

}  // namespace sim
