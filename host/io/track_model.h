// A vessel's animations as the replay page applies them, exported from the transform objects the
// module handed the host (the module's own MGROUP_ROTATE, MGROUP_TRANSLATE and MGROUP_SCALE).
//
//   "animations":[default state of each animation],
//   "components":[{"anim":A,"s0":..,"s1":..,"parent":P,"mesh":M,"groups":[..] or null,
//                  "type":"rotate","ref":[..],"axis":[..],"angle":RAD}
//                 | {"type":"translate","shift":[..]} | {"type":"scale","ref":[..],"scale":[..]}
//                 | {"type":"none"}, ..]
// Components are listed animation by animation, each animation's in its own order, which is the
// order in which their transforms compose (anim/animation.h); "parent" is the index of the parent
// component in this list, or -1. A component moves fraction D = f(s) - f(default) of its
// transform, f(x) = clamp((x - s0) / (s1 - s0), 0, 1); "groups": null moves the whole mesh.
// Vectors are in the replay's vessel axes (y and z swapped), a rotation's angle negated to match
// (local_frame.h); axes are unit vectors (a zero axis exports as "none").
#pragma once

#include <cstdio>

class Vessel;

namespace sim {

void writeAnimationDefinition(std::FILE *f, const Vessel &v);

}  // namespace sim
