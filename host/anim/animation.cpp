// Posing meshes from animation states (see animation.h).
#include "anim/animation.h"

#include <algorithm>

#include "anim/mesh_library.h"
#include "vessel/vessel.h"
#include "world/diagnostics.h"
#include "world/errors.h"
#include "world/world.h"

namespace sim {
namespace {

double fraction(const ANIMATIONCOMP &c, double s) {
  if (c.state1 == c.state0) return s >= c.state1 ? 1.0 : 0.0;
  return std::clamp((s - c.state0) / (c.state1 - c.state0), 0.0, 1.0);
}

Affine own(const Vessel &v, const AnimComponentRecord &rec) {
  const ANIMATIONCOMP &c = rec.comp;
  double s = v.st.animStates[rec.animation];
  double d = fraction(c, s) - fraction(c, v.def.animations[rec.animation].defState);
  Affine a;
  if (d == 0 || !c.trans) return a;
  switch (c.trans->Type()) {
    case MGROUP_TRANSFORM::ROTATE: {
      const MGROUP_ROTATE &r = *static_cast<const MGROUP_ROTATE *>(c.trans);
      double l = length(r.axis);
      if (l == 0) return a;
      a.A = rotm(r.axis / l, d * static_cast<double>(r.angle));
      a.t = r.ref - mul(a.A, r.ref);
      return a;
    }
    case MGROUP_TRANSFORM::TRANSLATE:
      a.t = static_cast<const MGROUP_TRANSLATE *>(c.trans)->shift * d;
      return a;
    case MGROUP_TRANSFORM::SCALE: {
      const MGROUP_SCALE &sc = *static_cast<const MGROUP_SCALE *>(c.trans);
      a.A = _M(1 + d * (sc.scale.x - 1), 0, 0, 0, 1 + d * (sc.scale.y - 1), 0, 0, 0, 1 + d * (sc.scale.z - 1));
      a.t = sc.ref - mul(a.A, sc.ref);
      return a;
    }
    default:
      return a;
  }
}

const AnimComponentRecord *recordOf(const Vessel &v, const ANIMATIONCOMP *c) {
  for (const auto &r : v.def.animComponents)
    if (&r->comp == c) return r.get();
  return nullptr;
}

Affine chain(const Vessel &v, const AnimComponentRecord &rec) {
  Affine t = own(v, rec);
  for (const ANIMATIONCOMP *p = rec.comp.parent; p; p = p->parent)
    if (const AnimComponentRecord *pr = recordOf(v, p)) t = compose(own(v, *pr), t);
  return t;
}

bool moves(const MGROUP_TRANSFORM &t, unsigned mesh, unsigned group) {
  if (t.mesh != mesh) return false;
  if (!t.grp) return true;  // a null list moves the whole mesh
  for (UINT i = 0; i < t.ngrp; i++)
    if (t.grp[i] == group) return true;
  return false;
}

// The group's geometry, read now if no one has asked for it before; null if the mesh lacks the
// group or its geometry does not read (reported in the diagnostics).
const MeshGroup *meshGroup(const Vessel &v, unsigned mesh, unsigned group) {
  if (mesh >= v.def.meshes.size()) return nullptr;
  const Mesh *m = v.world().meshes().find(v.def.meshes[mesh].name);
  if (!m || group >= m->groupCount()) return nullptr;
  try {
    return &m->groups()[group];
  } catch (const InputError &e) {
    v.world().diagnostics().note("mesh " + m->name,
                                 std::string(e.what()) + "; its vertices are not posed");
    return nullptr;
  }
}

}  // namespace

Affine groupTransform(const Vessel &v, unsigned mesh, unsigned group) {
  Affine total;
  for (const AnimationDef &anim : v.def.animations)
    for (const AnimComponentRecord *rec : anim.components)
      if (rec->comp.trans && moves(*rec->comp.trans, mesh, group)) total = compose(chain(v, *rec), total);
  return total;
}

bool vertexPosition(const Vessel &v, unsigned mesh, unsigned group, unsigned vertex, VECTOR3 &out) {
  const MeshGroup *g = meshGroup(v, mesh, group);
  if (!g || vertex >= g->vertices.size()) return false;
  out = groupTransform(v, mesh, group).apply(g->vertices[vertex]) + v.def.meshes[mesh].offset;
  return true;
}

bool groupCentroid(const Vessel &v, unsigned mesh, unsigned group, VECTOR3 &out) {
  const MeshGroup *g = meshGroup(v, mesh, group);
  if (!g || g->vertices.empty()) return false;
  VECTOR3 sum = _V(0, 0, 0);
  for (const VECTOR3 &p : g->vertices) sum += p;
  out = groupTransform(v, mesh, group).apply(sum / static_cast<double>(g->vertices.size())) +
        v.def.meshes[mesh].offset;
  return true;
}

void checkAnimationGroups(Vessel &v) {
  for (const auto &rec : v.def.animComponents) {
    const MGROUP_TRANSFORM *t = rec->comp.trans;
    if (!t || !t->grp || t->mesh == LOCALVERTEXLIST || t->mesh >= v.def.meshes.size()) continue;
    const Mesh *m = v.world().meshes().find(v.def.meshes[t->mesh].name);
    if (!m) continue;
    for (UINT i = 0; i < t->ngrp; i++)
      if (t->grp[i] >= m->groupCount())
        v.world().diagnostics().note("mesh " + m->name + " (" + m->file.string() + ")",
                                     "an animation names group " + std::to_string(t->grp[i]) +
                                         ", which the mesh lacks");
  }
}

}  // namespace sim
