// Small text helpers shared by the host: case-insensitive comparison and number parsing.
#pragma once

#include <cctype>
#include <charconv>
#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

namespace sim {

// ASCII case folding (names in scenario and configuration files are ASCII; other bytes compare
// exactly, as the C locale's tolower would leave them).
constexpr char foldCase(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c + ('a' - 'A')) : c; }

inline bool equalsNoCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); i++)
    if (a[i] != b[i] && foldCase(a[i]) != foldCase(b[i])) return false;
  return true;
}

inline std::string lowerCase(std::string s) {
  for (char &c : s) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return s;
}

inline std::string trim(const std::string &s) {
  size_t b = s.find_first_not_of(" \t\r\n");
  if (b == std::string::npos) return {};
  size_t e = s.find_last_not_of(" \t\r\n");
  return s.substr(b, e - b + 1);
}

// A finite number spanning the whole of s (after trimming); false otherwise.
inline bool parseNumber(const std::string &s, double &out) {
  std::string t = trim(s);
  if (t.empty()) return false;
  char *end;
  errno = 0;
  out = std::strtod(t.c_str(), &end);
  return *end == '\0' && std::isfinite(out);
}

// A plain decimal token, [-]digits[.digits] with at most 15 digits, read exactly: its digits make
// an integer w < 10^15 < 2^53 and it has k <= 15 digits after the point, so w and 10^k are exact
// doubles and w / 10^k is one correctly rounded division, the value from_chars gives. False for
// any other token (an exponent, more digits), which from_chars then reads. Meshes are thousands of
// such tokens.
inline bool plainDecimal(const char *p, const char *stop, double &out) {
  static constexpr double kPow10[] = {1e0, 1e1, 1e2,  1e3,  1e4,  1e5,  1e6,  1e7,
                                      1e8, 1e9, 1e10, 1e11, 1e12, 1e13, 1e14, 1e15};
  bool negative = p < stop && *p == '-';
  if (negative) p++;
  unsigned long long w = 0;
  int digits = 0, after = -1;  // digits after the point; -1 before it
  for (; p < stop; p++) {
    if (*p >= '0' && *p <= '9') {
      if (++digits > 15) return false;
      w = w * 10 + static_cast<unsigned>(*p - '0');
      if (after >= 0) after++;
    } else if (*p == '.' && after < 0) {
      after = 0;
    } else {
      return false;
    }
  }
  if (digits == 0) return false;
  double v = static_cast<double>(w);
  if (after > 0) v /= kPow10[after];
  out = negative ? -v : v;
  return true;
}

// Blank-separated numbers; false if any token is not a finite number.
inline bool parseNumbers(const std::string &s, std::vector<double> &out) {
  out.clear();
  const char *p = s.c_str();
  for (;;) {
    while (*p == ' ' || *p == '\t' || *p == '\r' || *p == '\n') p++;
    if (!*p) return true;
    if (*p == '+') p++;
    const char *stop = p;
    while (*stop && *stop != ' ' && *stop != '\t' && *stop != '\r' && *stop != '\n') stop++;
    double d;
    if (!plainDecimal(p, stop, d)) {
      auto [end, ec] = std::from_chars(p, stop, d);
      if (ec != std::errc() || end != stop || !std::isfinite(d)) return false;
    }
    out.push_back(d);
    p = stop;
  }
}

}  // namespace sim
