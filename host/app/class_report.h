// Reports and checks simhost run keeps for vessels of particular classes, registered by class
// name, so that the run itself names no vessel class: the focus vessel's class may have a report
// followed over the flight (written under its key in the run's JSON report, its summary printed
// at the end), and any vessel's class a check of its scenario block that warns about what the
// vessel will not do as written.
#pragma once

#include <memory>
#include <nlohmann/json.hpp>
#include <string>
#include <vector>

class Vessel;

namespace sim {

class World;
struct ShipBlock;

class ClassReport {
 public:
  virtual ~ClassReport() = default;
  virtual void sample() = 0;  // after every step
  virtual nlohmann::json report() const = 0;
  virtual std::string summary() const = 0;
};

struct ClassHooks {
  std::string reportKey;  // the report's key in the run's JSON report
  std::unique_ptr<ClassReport> (*makeReport)(World &w, Vessel &v) = nullptr;
  // Warnings about a loaded vessel of the class, given its block of the scenario file.
  std::vector<std::string> (*checkLoaded)(const World &w, const Vessel &v, const ShipBlock &ship,
                                          const std::string &file) = nullptr;
};

// Registers the hooks of a class (by its name, case-insensitive); returns true (for use in a
// static initialiser).
bool registerClassHooks(const std::string &className, ClassHooks hooks);
// The hooks of a class, or null.
const ClassHooks *classHooks(const std::string &className);

}  // namespace sim
