// Attachment links (see attachments.h).
#include "physics/attachments.h"

#include <cmath>

#include "vessel/vessel.h"
#include "world/world.h"

namespace sim {
namespace {

MATRIX3 frameOf(const VECTOR3 &d, const VECTOR3 &r) {
  VECTOR3 rr = r - d * dotp(r, d);
  double l = length(rr);
  if (l < 1e-9) rr = std::fabs(d.x) < 0.9 ? _V(1, 0, 0) : _V(0, 1, 0), rr = rr - d * dotp(rr, d), l = length(rr);
  rr /= l;
  VECTOR3 t = crossp(d, rr);
  return _M(d.x, rr.x, t.x, d.y, rr.y, t.y, d.z, rr.z, t.z);
}

bool isAncestor(const Vessel &candidate, const Vessel &v) {
  for (const Vessel *p = v.st.parentLink.parent; p; p = p->st.parentLink.parent)
    if (p == &candidate) return true;
  return false;
}

void follow(Vessel &child) {
  const ParentLink &l = child.st.parentLink;
  const Vessel &p = *l.parent;
  Vessel::StateWriter w = child.writer();  // the callers recompute the child
  w->status = FlightStatus::Flying;
  w.setAttitude(mul(p.st.R, l.R_PC));
  VECTOR3 w_p = p.st.omega;  // a landed parent turns with its planet
  w->frame = p.st.frame;
  w->rpos = p.st.rpos + mul(p.st.R, l.pos_P);
  w->rvel = p.st.rvel + mul(p.st.R, crossp(l.pos_P, w_p));
  w->omega = tmul(l.R_PC, w_p);
}

}  // namespace

int attachmentRecord(const Vessel &v, bool toParent, int i) {
  if (i < 0) return -1;
  for (size_t r = 0; r < v.def.attachments.size(); r++)
    if (v.def.attachments[r].toParent == toParent && i-- == 0) return static_cast<int>(r);
  return -1;
}

bool attach(Vessel &parent, int pr, Vessel &child, int cr) {
  const AttachmentDef &pa = parent.def.attachments[pr];
  const AttachmentDef &ca = child.def.attachments[cr];
  if (pa.toParent || !ca.toParent) {
    parent.refuse("AttachChild", "attachment points of the wrong kind");
    return false;
  }
  if (&parent == &child || isAncestor(child, parent)) {
    parent.refuse("AttachChild", "the link would close a loop");
    return false;
  }
  if (parent.st.attachedChildren[pr] || child.st.parentLink.parent) return false;
  ParentLink l;
  l.parent = &parent;
  l.parentPoint = pr;
  l.ownPoint = cr;
  if (pa.loose || ca.loose)
    l.R_PC = mul(transp(parent.st.R), child.st.R);
  else
    l.R_PC = mul(frameOf(pa.dir, pa.rot), transp(frameOf(-ca.dir, ca.rot)));
  l.pos_P = pa.pos - mul(l.R_PC, ca.pos);
  child.systems().parentLink = l;
  parent.systems().attachedChildren[pr] = &child;
  child.stateChanged();
  moveAttachedChildren(parent);
  return true;
}

bool detach(Vessel &parent, int pr, double vel) {
  Vessel *child = parent.st.attachedChildren[pr];
  if (!child) return false;
  follow(*child);  // the parent's velocity at the child's point, now
  child->writer()->rvel += mul(parent.st.R, parent.def.attachments[pr].dir) * vel;
  parent.systems().attachedChildren[pr] = nullptr;
  child->systems().parentLink = {};
  child->stateChanged();
  return true;
}

void moveAttachedChildren(Vessel &parent) {
  for (Vessel *c : parent.st.attachedChildren)
    if (c) {
      follow(*c);
      c->stateChanged();  // surface parameters, and the child's own children
    }
}

void detachAll(Vessel &v) {
  for (size_t r = 0; r < v.st.attachedChildren.size(); r++)
    if (v.st.attachedChildren[r]) detach(v, static_cast<int>(r), 0.0);
  if (Vessel *p = v.st.parentLink.parent) detach(*p, v.st.parentLink.parentPoint, 0.0);
}

}  // namespace sim
