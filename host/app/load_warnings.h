// Warnings about a loaded scenario, for standard error: what will not fly as the file says, though
// the file is good input. A vessel of a class whose file names no module flies, as in the
// simulator, as a passive vessel built from the class file's values, and the lines of its block
// that only a module reads are ignored: that is a warning naming the lines. The checks registered
// for the vessels' classes add theirs (class_report.h), and a mesh that is missing or malformed is
// reported as the mesh library records it (anim/mesh_library.h).
#pragma once

#include <cstddef>
#include <string>
#include <vector>

namespace sim {

class World;
class Diagnostics;

std::vector<std::string> loadWarnings(World &w);
// The mesh notes of the diagnostics not yet reported; `reported` counts the entries looked at.
std::vector<std::string> meshWarnings(const Diagnostics &d, size_t &reported);

}  // namespace sim
