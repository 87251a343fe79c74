// The values of simhost's options (see cli.h): keys, codes, wind, sizes, intervals, shards, seeds.
#include <cctype>
#include <charconv>
#include <cmath>
#include <sstream>

#include "app/cli.h"
#include "app/key_names.h"
#include "world/text.h"

namespace sim {
namespace {

// Scan codes of the letter keys A..Z and the digit keys 0..9.
const DWORD kLetterCodes[26] = {
    OAPI_KEY_A, OAPI_KEY_B, OAPI_KEY_C, OAPI_KEY_D, OAPI_KEY_E, OAPI_KEY_F, OAPI_KEY_G,
    OAPI_KEY_H, OAPI_KEY_I, OAPI_KEY_J, OAPI_KEY_K, OAPI_KEY_L, OAPI_KEY_M, OAPI_KEY_N,
    OAPI_KEY_O, OAPI_KEY_P, OAPI_KEY_Q, OAPI_KEY_R, OAPI_KEY_S, OAPI_KEY_T, OAPI_KEY_U,
    OAPI_KEY_V, OAPI_KEY_W, OAPI_KEY_X, OAPI_KEY_Y, OAPI_KEY_Z};
const DWORD kDigitCodes[10] = {OAPI_KEY_0, OAPI_KEY_1, OAPI_KEY_2, OAPI_KEY_3, OAPI_KEY_4,
                               OAPI_KEY_5, OAPI_KEY_6, OAPI_KEY_7, OAPI_KEY_8, OAPI_KEY_9};

bool parseTime(const std::string &s, double &t, std::string &error, const std::string &spec) {
  if (!parseNumber(s, t) || t < 0) {
    error = "\"" + spec + "\": the time must be a number of seconds, not negative";
    return false;
  }
  return true;
}

bool parseKeyName(const std::string &name, DWORD &code) {
  if (keyByName(name, code)) return true;
  if (name.size() == 1 && std::isalpha(static_cast<unsigned char>(name[0]))) {
    code = kLetterCodes[std::toupper(static_cast<unsigned char>(name[0])) - 'A'];
    return true;
  }
  if (name.size() == 1 && std::isdigit(static_cast<unsigned char>(name[0]))) {
    code = kDigitCodes[name[0] - '0'];
    return true;
  }
  double d;
  if (parseNumber(name, d) && d >= 0 && d <= 255 && d == static_cast<int>(d) &&
      name.find('.') == std::string::npos) {
    code = static_cast<DWORD>(d);
    return true;
  }
  return false;
}

}  // namespace

bool parseKeyEvent(const std::string &spec, KeyEvent &e, std::string &error) {
  e = KeyEvent{};
  size_t colon = spec.find(':');
  if (colon == std::string::npos) {
    error = "\"" + spec + "\": expected T:KEY";
    return false;
  }
  if (!parseTime(spec.substr(0, colon), e.time, error, spec)) return false;
  std::string key = spec.substr(colon + 1);
  size_t up = key.rfind(':');
  if (up != std::string::npos) {
    if (!equalsNoCase(key.substr(up + 1), "up")) {
      error = "\"" + spec + "\": only \":up\" may follow the key";
      return false;
    }
    e.down = false;
    key = key.substr(0, up);
  }
  std::vector<std::string> parts;
  std::stringstream ss(key);
  for (std::string p; std::getline(ss, p, '+');) parts.push_back(p);
  if (parts.empty() || parts.back().empty()) {
    error = "\"" + spec + "\": missing key";
    return false;
  }
  for (size_t i = 0; i + 1 < parts.size(); i++) {
    std::string m = lowerCase(parts[i]);
    if (m == "shift")
      e.modifiers.push_back(OAPI_KEY_LSHIFT);
    else if (m == "rshift")
      e.modifiers.push_back(OAPI_KEY_RSHIFT);
    else if (m == "ctrl")
      e.modifiers.push_back(OAPI_KEY_LCONTROL);
    else if (m == "rctrl")
      e.modifiers.push_back(OAPI_KEY_RCONTROL);
    else {
      error =
          "\"" + spec + "\": unknown modifier \"" + parts[i] + "\" (shift, rshift, ctrl, rctrl)";
      return false;
    }
  }
  if (!parseKeyName(parts.back(), e.key)) {
    error = "\"" + spec + "\": unknown key \"" + parts.back() +
            "\" (a letter, a digit, a key name such as numpad8 or add, or a code 0-255)";
    return false;
  }
  return true;
}

bool parseCodeEvent(const std::string &spec, KeyEvent &e, std::string &error) {
  e = KeyEvent{};
  e.isCode = true;
  size_t c1 = spec.find(':');
  if (c1 == std::string::npos) {
    error = "\"" + spec + "\": expected T:CODE[:TEXT]";
    return false;
  }
  if (!parseTime(spec.substr(0, c1), e.time, error, spec)) return false;
  size_t c2 = spec.find(':', c1 + 1);
  std::string code = spec.substr(c1 + 1, c2 == std::string::npos ? std::string::npos : c2 - c1 - 1);
  double d;
  if (!parseNumber(code, d) || d < 0 || d > 4294967295.0 ||
      d != static_cast<double>(static_cast<long long>(d))) {
    error = "\"" + spec + "\": the code must be a whole number";
    return false;
  }
  e.key = static_cast<DWORD>(d);
  if (c2 != std::string::npos) e.text = spec.substr(c2 + 1);
  return true;
}

bool parseWind(const std::string &spec, WindSpec &w, std::string &error) {
  size_t c = spec.find(':');
  double speed, dir;
  if (c == std::string::npos || !parseNumber(spec.substr(0, c), speed) ||
      !parseNumber(spec.substr(c + 1), dir)) {
    error = "\"" + spec + "\": expected SPEED:DIR (m/s and degrees)";
    return false;
  }
  if (speed < 0 || speed > 100) {
    error = "\"" + spec + "\": the speed must lie between 0 and 100 m/s";
    return false;
  }
  w = {speed, dir * RAD};
  return true;
}

bool parseSize(const std::string &spec, int &w, int &h, std::string &error) {
  size_t x = spec.find_first_of("xX");
  double dw, dh;
  if (x == std::string::npos || !parseNumber(spec.substr(0, x), dw) ||
      !parseNumber(spec.substr(x + 1), dh) || dw < 64 || dh < 64 || dw > 8192 || dh > 8192 ||
      dw != std::floor(dw) || dh != std::floor(dh)) {
    error = "\"" + spec + "\": expected WxH with whole numbers from 64 to 8192";
    return false;
  }
  w = static_cast<int>(dw), h = static_cast<int>(dh);
  return true;
}

bool parseInterval(const std::string &spec, Interval &i, std::string &error) {
  size_t c = spec.find(':');
  if (c == std::string::npos || !parseNumber(spec.substr(0, c), i.lo) ||
      !parseNumber(spec.substr(c + 1), i.hi) || i.lo > i.hi) {
    error = "\"" + spec + "\": expected MIN:MAX with MIN not above MAX";
    return false;
  }
  return true;
}

bool parseSeed(const std::string &text, unsigned long long &seed, std::string &error) {
  std::string t = trim(text);
  if (!t.empty() && t[0] == '-') {
    error = "\"" + text + "\": a seed is not negative (0 to 18446744073709551615)";
    return false;
  }
  auto [end, ec] = std::from_chars(t.data(), t.data() + t.size(), seed);
  if (t.empty() || ec == std::errc::invalid_argument || end != t.data() + t.size()) {
    error = "\"" + text + "\": expected a whole number from 0 to 18446744073709551615";
    return false;
  }
  if (ec == std::errc::result_out_of_range) {
    error = "\"" + text + "\": beyond the largest seed, 18446744073709551615";
    return false;
  }
  return true;
}

bool deliveredBefore(double t, double dt, double until) {
  double firstStep = std::ceil((t - 1e-9) / dt);
  return std::max(0.0, firstStep) * dt < until - 1e-9;
}

bool parseShard(const std::string &spec, int &index, int &count, std::string &error) {
  size_t s = spec.find('/');
  double i, n;
  if (s == std::string::npos || !parseNumber(spec.substr(0, s), i) ||
      !parseNumber(spec.substr(s + 1), n) || i != std::floor(i) || n != std::floor(n) || n < 1 ||
      n > 1e6 || i < 1 || i > n) {
    error = "\"" + spec + "\": expected I/N with whole numbers, 1 <= I <= N";
    return false;
  }
  index = static_cast<int>(i), count = static_cast<int>(n);
  return true;
}

}  // namespace sim
