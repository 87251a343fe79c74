// Writing the track's JSON lines straight into a C stream, without building documents: strings
// with JSON escapes (bytes above 0x7F as \u00XX, so that any module text stays valid JSON),
// numbers rounded to a given count of decimals with trailing zeros dropped (non-finite: null),
// and the names of keys as the command line writes them.
#pragma once

#include <cstdio>
#include <string>
#include <vector>

#include "OrbiterAPI.h"

namespace sim {

struct KeyEvent;

void writeJsonString(std::FILE *f, const char *s);
inline void writeJsonString(std::FILE *f, const std::string &s) { writeJsonString(f, s.c_str()); }
void writeJsonNumber(std::FILE *f, double v, int decimals);
// "x,y,z" and "[x,y,z]"
void writeJsonVectorItems(std::FILE *f, const VECTOR3 &v, int decimals);
void writeJsonVector(std::FILE *f, const VECTOR3 &v, int decimals);
// A number as writeJsonNumber writes it, into buf (at least 40 characters).
void formatJsonNumber(char *buf, size_t size, double v, int decimals);

// "G", "ctrl+J", "7", or the decimal scan code.
std::string keyName(const KeyEvent &e);

}  // namespace sim
