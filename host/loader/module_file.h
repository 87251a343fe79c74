// A check of a module file before it is loaded: dlopen maps the file and reads what its headers
// promise, so a truncated or foreign file would fault inside the loader (a bus error, no message)
// instead of being refused.
//
// The file must be a regular file holding a shared object of this process's ELF class and byte
// order (ELF header, type ET_DYN), whose program header table and every loadable segment lie
// within the file's size, as does its section header table.
#pragma once

#include <filesystem>
#include <string>

namespace sim {

// What is wrong with the file as a module ("" if it looks loadable).
std::string moduleFileProblem(const std::filesystem::path &file);

}  // namespace sim
