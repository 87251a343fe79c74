// Opaque handles issued to modules.
//
// A handle is never a pointer into the host: it packs a tag, a kind, the serial of the owning
// vessel (or 0 for world objects) and an index into the owner's table, so that the host can check
// every handle it is given in constant time and refuse a foreign, stale or invented one without
// dereferencing anything.
#pragma once

#include <cstdint>

namespace sim {

enum class HandleKind : std::uint8_t {
  Object = 1,      // vessel, celestial body or surface base (owner 0, index = object serial)
  Propellant,      // tank of a vessel
  Thruster,        // thruster of a vessel
  ThrusterGroup,   // thruster group of a vessel (default types are fixed slots)
  Stream,          // particle stream of a vessel
  Airfoil,         // airfoil of a vessel
  ControlSurface,  // control surface of a vessel
  Attachment,      // attachment point of a vessel
  Dock,            // docking port of a vessel
  Texture,         // registered texture (owner 0)
  Mesh,            // mesh loaded into the core's store (owner 0, index into the world's list)
};

struct DecodedHandle {
  HandleKind kind;
  std::uint32_t owner;  // vessel serial, or 0 for world objects
  std::uint32_t index;  // index in the owner's table
};

constexpr std::uint64_t kHandleTag = 0xA5ull << 56;
constexpr std::uint64_t kHandleTagMask = 0xFFull << 56;

inline void *makeHandle(HandleKind kind, std::uint32_t owner, std::uint32_t index) {
  std::uint64_t v = kHandleTag | (std::uint64_t(kind) << 48) | (std::uint64_t(owner & 0xFFFFFF) << 24) |
                    std::uint64_t(index & 0xFFFFFF);
  // The interface's handles are pointer types that are never dereferenced.
  // NOLINTNEXTLINE(performance-no-int-to-ptr)
  return reinterpret_cast<void *>(static_cast<std::uintptr_t>(v));
}

// Decodes h if it carries the expected kind; false for null, foreign or malformed values.
inline bool decodeHandle(const void *h, HandleKind kind, DecodedHandle &out) {
  std::uint64_t v = static_cast<std::uint64_t>(reinterpret_cast<std::uintptr_t>(h));
  if ((v & kHandleTagMask) != kHandleTag) return false;
  HandleKind k = static_cast<HandleKind>((v >> 48) & 0xFF);
  if (k != kind) return false;
  out.kind = k;
  out.owner = static_cast<std::uint32_t>((v >> 24) & 0xFFFFFF);
  out.index = static_cast<std::uint32_t>(v & 0xFFFFFF);
  return true;
}

}  // namespace sim
