// Scenario state lines of the three modules: a keyword, a blank and the value text, written after
// the simulator's own vessel lines and read back line by line.
//  - A line matches a keyword when its first characters equal the keyword, ignoring case, over
//    the keyword's own length (so "legsXYZ 1" matches "LEGS").
//  - Values are formatted with printf into a 256-character buffer; reals as "%0.4f".
#pragma once

#include <cstdarg>
#include <cstdio>
#include <strings.h>

#include "Orbitersdk.h"

namespace frame {

constexpr int kLineBuffer = 256;

// True if line begins with key (case-insensitive over key's length); rest then points after it.
inline bool matchKeyword(const char *line, const char *key, const char *&rest) {
  size_t n = 0;
  while (key[n]) n++;
  if (strncasecmp(line, key, n) != 0) return false;
  rest = line + n;
  return true;
}

// Writes "  KEY value" with the value formatted into a 256-character buffer.
inline void writeLine(FILEHANDLE scn, const char *key, const char *format, ...) __attribute__((format(printf, 3, 4)));
inline void writeLine(FILEHANDLE scn, const char *key, const char *format, ...) {
  char value[kLineBuffer];
  va_list args;
  va_start(args, format);
  std::vsnprintf(value, sizeof value, format, args);
  va_end(args);
  char item[32];
  std::snprintf(item, sizeof item, "%s", key);
  oapiWriteScenario_string(scn, item, value);
}

}  // namespace frame
