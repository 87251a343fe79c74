// Vessel modules: shared libraries loaded with dlopen (RTLD_NOW | RTLD_LOCAL).
//
// A module must export ovcInit, ovcExit, ModuleDate and GetModuleVersion; all four are looked up
// before anything is called. Loading runs the module's glue, which calls the core's InitLib; the
// core records the module's build date (Date2Int of ModuleDate) and interface version.
// A module linked into the program itself (linkModule) is answered without a file: it has entry
// points but no handle, path, dates or glue.
#pragma once

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "OrbiterAPI.h"

namespace sim {

class Module {
 public:
  std::string name;
  std::filesystem::path path;
  void *handle = nullptr;  // null for a module linked into the program
  VESSEL *(*ovcInit)(OBJHANDLE, int) = nullptr;
  void (*ovcExit)(VESSEL *) = nullptr;
  char *(*moduleDate)() = nullptr;
  int (*getModuleVersion)() = nullptr;
  int apiVersion = 0;  // GetModuleVersion at load
  int buildDate = 0;   // Date2Int(ModuleDate()) at load
};

class ModuleRegistry {
 public:
  explicit ModuleRegistry(std::filesystem::path dir) : dir_(std::move(dir)) {}
  ~ModuleRegistry();  // unloads in reverse order of loading
  ModuleRegistry(const ModuleRegistry &) = delete;
  ModuleRegistry &operator=(const ModuleRegistry &) = delete;
  // The module NAME (dir/NAME.so, else dir/libNAME.so as the simulator names it on Linux), loaded
  // on first use; throws InputError naming the file.
  Module &load(const std::string &name);
  const std::filesystem::path &dir() const { return dir_; }
  // A further folder (an add-on's Modules/) searched before dir.
  void addDir(const std::filesystem::path &dir) { addonDirs_.push_back(dir); }

 private:
  std::filesystem::path dir_;
  std::vector<std::filesystem::path> addonDirs_;
  std::vector<std::unique_ptr<Module>> modules_;
};

// From now on every registry answers load(name) with these entry points instead of loading
// NAME.so: for a program that holds a module's code itself (the module's unit tests), so that it
// and its vessels share one copy of that code and of its module-wide variables.
void linkModule(const std::string &name, VESSEL *(*ovcInit)(OBJHANDLE, int),
                void (*ovcExit)(VESSEL *));

// Records of InitLib calls (for tests of the module glue).
struct InitLibRecord {
  void *handle;
  std::string file;
};
const std::vector<InitLibRecord> &initLibCalls();
int date2IntCalls();  // how often Date2Int has run

}  // namespace sim
