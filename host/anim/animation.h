// Posing a vessel's meshes from its animation states, as the simulator's renderer does.
//
// The mesh on file is the pose at each animation's default state. A component with state range
// [s0, s1] moves by the fraction D = f(s) - f(s_def), f(x) = clamp((x - s0) / (s1 - s0), 0, 1):
// a rotation by D angle about axis through ref (the standard Rodrigues matrix: a positive angle
// about +x takes +y towards +z), a translation by D shift, a scaling by 1 + D (scale - 1) about
// ref. A child's parameters are given in the rest pose and carried by its parent, so the pose of a
// group listed in component c is T(c) = T(parent(c)) o Own(c). The host reads the modules'
// transform objects and never writes them (a component may be shared by several vessels).
// Positions are in the vessel frame [m], including the mesh's offset.
#pragma once

#include "OrbiterAPI.h"

class Vessel;

namespace sim {

struct Affine {
  MATRIX3 A = identity();
  VECTOR3 t{{0, 0, 0}};
  VECTOR3 apply(const VECTOR3 &p) const { return mul(A, p) + t; }
  VECTOR3 applyDir(const VECTOR3 &d) const { return mul(A, d); }
};
inline Affine compose(const Affine &outer, const Affine &inner) {  // outer o inner
  return {mul(outer.A, inner.A), mul(outer.A, inner.t) + outer.t};
}

// Transform of group `group` of mesh `mesh` at the vessel's present animation states (without the
// mesh offset).
Affine groupTransform(const Vessel &v, unsigned mesh, unsigned group);
// Posed position of a vertex, and the posed centroid of a group's vertices (mesh offset included);
// false if the mesh, group or vertex does not exist.
bool vertexPosition(const Vessel &v, unsigned mesh, unsigned group, unsigned vertex, VECTOR3 &out);
bool groupCentroid(const Vessel &v, unsigned mesh, unsigned group, VECTOR3 &out);
// Notes (once per mesh) every animation component that names a group its mesh lacks.
void checkAnimationGroups(Vessel &v);

}  // namespace sim
