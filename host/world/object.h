// The common part of everything a module can hold an OBJHANDLE to: vessels, celestial bodies
// and surface bases. The world numbers objects with serials that are never reused, so a handle to
// a deleted object is recognised as stale.
#pragma once

#include <string>

#include "OrbiterAPI.h"

namespace sim {

class WorldObject {
 public:
  WorldObject(std::string name, int objectType) : name_(std::move(name)), type_(objectType) {}
  virtual ~WorldObject() = default;
  WorldObject(const WorldObject &) = delete;
  WorldObject &operator=(const WorldObject &) = delete;

  const std::string &name() const { return name_; }
  int objectType() const { return type_; }  // OBJTP_*
  OBJHANDLE handle() const { return handle_; }
  unsigned serial() const { return serial_; }

 private:
  friend class World;
  std::string name_;
  int type_;
  OBJHANDLE handle_ = nullptr;
  unsigned serial_ = 0;
};

}  // namespace sim
