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

// The blanks that separate numbers on a line.
constexpr bool isNumberBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

// A plain decimal token, [-]digits[.digits] with at most 15 digits, read exactly: its digits make
// an integer w < 10^15 < 2^53 and it has k <= 15 digits after the point, so w and 10^k are exact
// doubles and w / 10^k is one correctly rounded division, the value from_chars gives. The token
// ends at the first blank or at STOP; its end is returned, or null for any other token (an
// exponent, more digits), which from_chars then reads. Meshes are thousands of such tokens, each
// read in this one pass.
inline const char *scanPlainDecimal(const char *p, const char *stop, double &out) {
  static constexpr double kPow10[] = {1e0, 1e1, 1e2,  1e3,  1e4,  1e5,  1e6,  1e7,
                                      1e8, 1e9, 1e10, 1e11, 1e12, 1e13, 1e14, 1e15};
  auto digitAt = [stop](const char *q, unsigned &digit) {
    digit = q < stop ? static_cast<unsigned char>(*q) - unsigned{'0'} : 10u;
    return digit < 10;
  };
  bool negative = p < stop && *p == '-';
  if (negative) p++;
  // Wraps beyond 19 digits, but such a token is refused below before w is used.
  unsigned long long w = 0;
  const char *first = p;
  unsigned digit;
  for (; digitAt(p, digit); p++) w = w * 10 + digit;
  long digits = p - first, after = 0;
  if (p < stop && *p == '.') {
    const char *point = ++p;
    for (; digitAt(p, digit); p++) w = w * 10 + digit;
    after = p - point;
    digits += after;
  }
  if (digits == 0 || digits > 15) return nullptr;
  if (p < stop && !isNumberBlank(*p)) return nullptr;
  double v = static_cast<double>(w);
  if (after > 0) v /= kPow10[after];
  out = negative ? -v : v;
  return p;
}

// The token from P to STOP is a plain decimal (see scanPlainDecimal); OUT is its value.
inline bool plainDecimal(const char *p, const char *stop, double &out) {
  return scanPlainDecimal(p, stop, out) == stop;
}

// Blank-separated numbers; false if any token is not a finite number.
inline bool parseNumbers(std::string_view s, std::vector<double> &out) {
  out.clear();
  const char *p = s.data(), *end = p + s.size();
  for (;;) {
    while (p < end && isNumberBlank(*p)) p++;
    if (p == end) return true;
    if (*p == '+') p++;
    double d;
    const char *stop = scanPlainDecimal(p, end, d);
    if (!stop) {  // any other form of number, or no number
      stop = p;
      while (stop < end && !isNumberBlank(*stop)) stop++;
      auto [last, ec] = std::from_chars(p, stop, d);
      if (ec != std::errc() || last != stop || !std::isfinite(d)) return false;
    }
    out.push_back(d);
    p = stop;
  }
}

}  // namespace sim
