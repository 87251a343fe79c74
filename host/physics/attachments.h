// Attachments: rigid parent-child links between vessels.
//
// A link aligns the child's attachment direction anti-parallel to the parent point's direction
// and their rotation references parallel (a loose link keeps the relative attitude it found), and
// places the child so that the two points coincide:
//   R_PC = F_p F_c^T with F_p = [d_p, r_p, d_p x r_p], F_c = [-d_c, r_c, -d_c x r_c]
//   child origin in the parent frame: o_P = pos_p - R_PC pos_c
// While attached the child's state is copied from the parent: R_c = R_p R_PC, x_c = x_p + R_p o_P,
// v_c = v_p + R_p (o_P x w_p), w_c = R_PC^T w_p. Detaching gives the child the parent's velocity
// at its point plus vel along the parent point's direction; the parent gets no reaction.
#pragma once

class Vessel;

namespace sim {

// Record index of the i-th point of one list (toParent selects the list); -1 if out of range.
int attachmentRecord(const Vessel &v, bool toParent, int i);
// Links child (at its parent-side record cr) to parent (at its child-side record pr).
bool attach(Vessel &parent, int pr, Vessel &child, int cr);
// Releases the child at parent record pr with separation speed vel [m/s]; false if none attached.
bool detach(Vessel &parent, int pr, double vel);
// Copies the parent's state into every attached child (and theirs in turn).
void moveAttachedChildren(Vessel &parent);
// Detaches everything attached to or from v (before v is deleted).
void detachAll(Vessel &v);

}  // namespace sim
