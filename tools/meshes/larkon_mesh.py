#!/usr/bin/env python3
"""Generates the meshes of the larkon first stage: Arvex/larkon.msh (the stage) and
Arvex/ax_interstg.msh (the interstage with the four grid fins).

Usage: larkon_mesh.py [OUTPUT_DIR]    (default: data/Meshes/Arvex of this repository)

Vessel frame (left-handed, metres): +z from the engines to the top, x and y across. The engine
plane (bell exits) is at z = -21, the interstage top at z = +20, the body radius 1.83 m.
Both files are modelled in the animations' default poses: legs folded, fins folded, fins neutral.

Stage mesh groups (the animations name 1-24 and 31-34):

  group  part                                  group  part
  0      tank body                             25     engine skirt and heat shield
  1-4    leg 1-4: hinge block, channel, foot   26     nine engine bells
  31-34  strut fitting on leg 2, 4, 1, 3       27     lower RCS pods
  14 15 5 24   strut sleeve of leg 1 2 3 4     28     leg hinge and strut anchor mounts
  29, 30 empty placeholders
  telescoping segments, inner (first) to outer (last, the one carrying the strut's end):
         leg 1: 13 12 11 10   leg 2: 16 18 17 19   leg 3: 6 8 7 9   leg 4: 23 22 21 20

  leg  hinge                       swing axis        angle  groups   strut  anchor
  1    ( 1.1243,  1.1243, -19.212)  (-0.7071, 0.7071)  +120   1, 33    14     ( 1.4142,  1.4142, -15.96)
  2    (-1.1243,  1.1243, -19.212)  ( 0.7071, 0.7071)  -120   2, 31    15     (-1.4142,  1.4142, -15.96)
  3    (-1.1243, -1.1243, -19.212)  (-0.7071, 0.7071)  -120   3, 34    5      (-1.4142, -1.4142, -15.96)
  4    ( 1.1243, -1.1243, -19.212)  ( 0.7071, 0.7071)  +120   4, 32    24     ( 1.4142, -1.4142, -15.96)

Leg plane. Each leg is drawn in its own plane, with coordinates (x across, y sideways, z along the
leg) and origin at the hinge. A point maps to the vessel frame as

    p = hinge + x * ex + y * ey + z * ez,   ez = (0, 0, 1),   ey = sign(angle) * swing axis,
    ex = ey cross ez   (radially outwards at the leg's azimuth)

  leg  ex                   ey
  1    ( 0.7071,  0.7071)   (-0.7071,  0.7071)
  2    (-0.7071,  0.7071)   (-0.7071, -0.7071)
  3    (-0.7071, -0.7071)   ( 0.7071, -0.7071)
  4    ( 0.7071, -0.7071)   ( 0.7071,  0.7071)

(all with zero z). Since ex, ey, ez have the vessel axes' orientation, a swing by theta (the
table's signed angle about the table's axis) is a rotation by +theta about ey, which takes +z
towards +x: every leg swings outwards, and the in-plane point (x, z) goes to
(x cos theta + z sin theta, z cos theta - x sin theta). The strut's body-side anchor is the
in-plane point (0.41, 3.252), its leg-side fitting (0.41, 8.405): folded, the strut runs along
+z between them, 5.153 m long, and the segments' shift (0, 0, 1.27) points along it. The strut
swings about ey through its anchor, by the same sense as the leg.

Leg shape: a channel open towards the body (outer plate and two side rails) with the strut lying
between the rails when folded; the fitting is a cross pin between the rails. The foot pad sits at
the leg's end, its sole facing -z at full swing (120 deg) and lying in the plane z = -24, the
height of the legs-down touchdown points.

Interstage mesh groups: 0 shell, 1 fin hinge brackets, 2 upper RCS pods, 3-6 fins 1, 3, 4, 2.

  fin  group  hinge (reference)           unfold axis, angle    deflection axis, angle
  1    3      (-1.355,  1.355, 19.567)    ( 0.7071, 0.7071) +90   (0, 0, 1) +90
  2    6      ( 1.355, -1.355, 19.567)    ( 0.7071, 0.7071) -90   (0, 0, 1) -90
  3    4      ( 1.355,  1.355, 19.567)    (-0.7071, 0.7071) -90   (0, 0, 1) +90
  4    5      (-1.355, -1.355, 19.567)    (-0.7071, 0.7071) +90   (0, 0, 1) -90

Each unfold turns -z into the outward radial direction at the fin's azimuth, so a folded fin
hangs down from its hinge flat against the interstage, its lattice in the plane of the hinge axis
and z. Unfolded it points radially outwards with its lattice horizontal; the deflection axis
(0, 0, 1), carried by the unfold, becomes the radial line through the hinge (pointing inwards for
all four fins), about which the fin then turns.
"""
import math
import os
import sys

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import mshx  # noqa: E402

S2 = 0.7071068
BODY_R = 1.83
TANK_BOTTOM, TANK_TOP = -19.75, 16.0
INTERSTAGE_TOP = 20.0
ENGINE_PLANE = -21.0
HEAT_SHIELD_Z = -19.95
SKIRT_TOP = -18.8

ENGINE_XY = [(0.0, 0.0), (1.32, 0.0), (-1.32, 0.0), (0.0, 1.32), (0.0, -1.32),
             (0.931, 0.931), (-0.931, -0.931), (-0.931, 0.931), (0.931, -0.931)]

# leg number, hinge, swing axis, sign of the swing angle, swing groups (leg, fitting),
# strut sleeve group, segment groups in chain order
LEGS = [
    (1, (1.1243, 1.1243, -19.212), (-S2, S2, 0.0), +1, (1, 33), 14, (13, 12, 11, 10)),
    (2, (-1.1243, 1.1243, -19.212), (S2, S2, 0.0), -1, (2, 31), 15, (16, 18, 17, 19)),
    (3, (-1.1243, -1.1243, -19.212), (-S2, S2, 0.0), -1, (3, 34), 5, (6, 8, 7, 9)),
    (4, (1.1243, -1.1243, -19.212), (S2, S2, 0.0), +1, (4, 32), 24, (23, 22, 21, 20)),
]
SWING_DEG = 120.0
GROUND_Z = -24.0

# in-plane leg geometry (x across, z along, from the hinge)
ANCHOR = (0.41, 3.252)
FITTING = (0.41, 8.405)
STRUT_LEN0 = FITTING[1] - ANCHOR[1]          # 5.153
SEGMENT_SHIFT = 1.27
RAIL_IN, PLATE_IN, PLATE_OUT = 0.28, 0.62, 0.80  # x of the channel's faces
LEG_HALF_W, RAIL_W = 0.36, 0.10
ROOT_X0, ROOT_Z0, BEAM_Z0 = -0.12, -0.22, 0.65
PAD_R, PAD_T = 0.55, 0.15

# fin number, group, hinge, unfold axis
FINS = [
    (1, 3, (-1.355, 1.355, 19.567), (S2, S2, 0.0)),
    (2, 6, (1.355, -1.355, 19.567), (S2, S2, 0.0)),
    (3, 4, (1.355, 1.355, 19.567), (-S2, S2, 0.0)),
    (4, 5, (-1.355, -1.355, 19.567), (-S2, S2, 0.0)),
]
FIN_V0, FIN_V1, FIN_HALF_U, FIN_HALF_DEPTH, FIN_BAR = 0.10, 1.25, 0.62, 0.07, 0.06


def unit(v):
    l = math.sqrt(sum(c * c for c in v))
    return tuple(c / l for c in v)


def cross(a, b):
    return (a[1] * b[2] - a[2] * b[1], a[2] * b[0] - a[0] * b[2], a[0] * b[1] - a[1] * b[0])


class LegFrame:
    """The leg plane of one leg (see the header)."""

    def __init__(self, hinge, axis, sign):
        self.hinge = hinge
        self.ey = tuple(sign * c for c in unit(axis))
        self.ez = (0.0, 0.0, 1.0)
        self.ex = cross(self.ey, self.ez)

    def p(self, x, y, z):
        return tuple(self.hinge[i] + x * self.ex[i] + y * self.ey[i] + z * self.ez[i] for i in range(3))

    def v(self, x, y, z):
        return tuple(x * self.ex[i] + y * self.ey[i] + z * self.ez[i] for i in range(3))

    def prism(self, label, outline_xz, y0, y1):
        """A prism of the in-plane outline (x, z) between the sideways offsets y0 and y1."""
        return mshx.prism(label, [self.p(x, y0, z) for (x, z) in outline_xz], self.v(0.0, y1 - y0, 0.0))


def foot_plane():
    """Normal (x, z) and offset of the sole's plane in the leg plane: the plane that the full
    swing carries to z = GROUND_Z."""
    th = math.radians(SWING_DEG)
    # the swung z of (x, z) is hinge_z + z cos th - x sin th
    n = (math.sin(th), -math.cos(th))
    return n, LEGS[0][1][2] - GROUND_Z


def leg_groups(frame, n):
    """The swinging parts of one leg: (leg structure, strut fitting)."""
    normal, sole = foot_plane()
    back = sole - PAD_T

    def cut_z(x):  # z where the channel meets the back of the foot pad
        return (back - normal[0] * x) / normal[1]

    leg = mshx.Group("leg%d" % n)
    leg.extend(frame.prism("root", [(ROOT_X0, ROOT_Z0), (PLATE_OUT, ROOT_Z0), (PLATE_OUT, BEAM_Z0),
                                    (ROOT_X0, BEAM_Z0)], -LEG_HALF_W, LEG_HALF_W))
    leg.extend(frame.prism("plate", [(PLATE_IN, BEAM_Z0), (PLATE_OUT, BEAM_Z0), (PLATE_OUT, cut_z(PLATE_OUT)),
                                     (PLATE_IN, cut_z(PLATE_IN))], -LEG_HALF_W, LEG_HALF_W))
    rail = [(RAIL_IN, BEAM_Z0), (PLATE_IN, BEAM_Z0), (PLATE_IN, cut_z(PLATE_IN)), (RAIL_IN, cut_z(RAIL_IN))]
    leg.extend(frame.prism("rail", rail, -LEG_HALF_W, -LEG_HALF_W + RAIL_W))
    leg.extend(frame.prism("rail", rail, LEG_HALF_W - RAIL_W, LEG_HALF_W))
    leg.extend(mshx.tube("hinge pin", frame.p(0.0, -0.48, 0.0), frame.p(0.0, 0.48, 0.0), 0.09, 12))
    # foot pad centred on the channel's end
    mid = ((RAIL_IN + PLATE_OUT) / 2.0, (cut_z(RAIL_IN) + cut_z(PLATE_OUT)) / 2.0)
    sole_c = (mid[0] + PAD_T * normal[0], mid[1] + PAD_T * normal[1])
    leg.extend(mshx.tube("foot", frame.p(mid[0], 0.0, mid[1]), frame.p(sole_c[0], 0.0, sole_c[1]), PAD_R, 24))
    fitting = mshx.tube("leg%d_fitting" % n, frame.p(FITTING[0], -LEG_HALF_W + RAIL_W, FITTING[1]),
                        frame.p(FITTING[0], LEG_HALF_W - RAIL_W, FITTING[1]), 0.07, 12)
    return leg, fitting


def strut_groups(frame, n):
    """Sleeve and the four telescoping segments, inner first; all along +z when folded."""
    x, z0 = ANCHOR
    sleeve_len = STRUT_LEN0 - 0.30
    parts = [mshx.tube("leg%d_strut" % n, frame.p(x, 0.0, z0), frame.p(x, 0.0, z0 + sleeve_len), 0.12, 16)]
    prev_end = sleeve_len
    for k in range(1, 5):
        end = STRUT_LEN0 - 0.075 * (4 - k)        # the outermost ends at the fitting
        start = prev_end - SEGMENT_SHIFT - 0.30   # keeps 0.30 m inside the previous one at full stroke
        radius = 0.12 - 0.015 * k
        parts.append(mshx.tube("leg%d_strut_seg%d" % (n, k), frame.p(x, 0.0, z0 + start),
                               frame.p(x, 0.0, z0 + end), radius, 16))
        prev_end = end
    return parts


def leg_mounts(frame):
    """Fixed hinge cheeks and strut anchor on the body."""
    g = mshx.Group("mounts")
    axes = (frame.ex, frame.ey, frame.ez)
    for s in (-1.0, 1.0):
        g.extend(mshx.block("hinge cheek", frame.p(0.0, s * 0.44, 0.0), axes, (0.16, 0.04, 0.16)))
        g.extend(mshx.block("anchor cheek", frame.p(0.34, s * 0.16, ANCHOR[1]), axes, (0.14, 0.03, 0.15)))
    g.extend(mshx.tube("anchor pin", frame.p(ANCHOR[0], -0.19, ANCHOR[1]), frame.p(ANCHOR[0], 0.19, ANCHOR[1]),
                       0.05, 10))
    return g


def rcs_pod(label, azimuth_deg, z, half_z):
    a = math.radians(azimuth_deg)
    radial = (math.cos(a), math.sin(a), 0.0)
    tangent = (-math.sin(a), math.cos(a), 0.0)
    centre = (1.895 * radial[0], 1.895 * radial[1], z)
    return mshx.block(label, centre, (radial, tangent, (0.0, 0.0, 1.0)), (0.095, 0.14, half_z))


def stage_mesh():
    groups = [mshx.empty("spare%d" % i) for i in range(35)]
    groups[0] = mshx.revolve("tank", [(0.0, TANK_BOTTOM), (BODY_R, TANK_BOTTOM), (BODY_R, TANK_TOP),
                                      (0.0, TANK_TOP)], 48)
    skirt = mshx.revolve("skirt", [(BODY_R + 0.01, SKIRT_TOP), (1.90, HEAT_SHIELD_Z)], 48, double_sided=True)
    skirt.extend(mshx.revolve("heat shield", [(0.0, HEAT_SHIELD_Z), (1.90, HEAT_SHIELD_Z)], 48,
                              double_sided=True))
    groups[25] = skirt
    engines = mshx.Group("engines")
    bell = [(0.17, HEAT_SHIELD_Z), (0.19, -20.15), (0.26, -20.45), (0.36, -20.75), (0.45, ENGINE_PLANE)]
    for xy in ENGINE_XY:
        engines.extend(mshx.revolve("bell", bell, 20, centre=xy, double_sided=True))
    groups[26] = engines
    pods = mshx.Group("rcs_lower")
    for az in (0.0, 90.0, 180.0, 270.0):
        pods.extend(rcs_pod("pod", az, -18.12, 0.22))
    groups[27] = pods
    mounts = mshx.Group("leg_mounts")
    for (n, hinge, axis, sign, (leg_g, fit_g), strut_g, chain) in LEGS:
        frame = LegFrame(hinge, axis, sign)
        groups[leg_g], groups[fit_g] = leg_groups(frame, n)
        parts = strut_groups(frame, n)
        groups[strut_g] = parts[0]
        for g, part in zip(chain, parts[1:]):
            groups[g] = part
        mounts.extend(leg_mounts(frame))
    groups[28] = mounts
    return groups


def fin_group(n, hinge, axis):
    """One grid fin, folded: hanging down from its hinge, lattice in the plane of the hinge axis
    and z. Fin axes: u along the hinge, v down (the span), w radially out (the lattice depth)."""
    u = unit(axis)
    v = (0.0, 0.0, -1.0)
    w = unit((hinge[0], hinge[1], 0.0))
    axes = (u, v, w)

    def at(cu, cv, cw=0.0):
        return tuple(hinge[i] + cu * u[i] + cv * v[i] + cw * w[i] for i in range(3))

    g = mshx.Group("fin%d" % n)
    hb, d = FIN_BAR / 2.0, FIN_HALF_DEPTH
    vm, hv = (FIN_V0 + FIN_V1) / 2.0, (FIN_V1 - FIN_V0) / 2.0
    # frame
    g.extend(mshx.block("frame", at(0.0, FIN_V0 + hb), axes, (FIN_HALF_U, hb, d)))
    g.extend(mshx.block("frame", at(0.0, FIN_V1 - hb), axes, (FIN_HALF_U, hb, d)))
    for s in (-1.0, 1.0):
        g.extend(mshx.block("frame", at(s * (FIN_HALF_U - hb), vm), axes, (hb, hv - FIN_BAR, d)))
    # lattice: bars along the span, then thinner bars across
    inner_u = FIN_HALF_U - FIN_BAR
    for k in (-1, 0, 1):
        g.extend(mshx.block("web", at(k * inner_u / 2.0, vm), axes, (0.012, hv - FIN_BAR, d)))
    for k in (-1, 0, 1):
        g.extend(mshx.block("web", at(0.0, vm + k * hv / 2.0), axes, (inner_u, 0.012, d - 0.005)))
    # hinge arms and pin
    for s in (-1.0, 1.0):
        g.extend(mshx.block("arm", at(s * 0.40, FIN_V0 / 2.0), axes, (0.04, FIN_V0 / 2.0, 0.04)))
    g.extend(mshx.tube("pin", at(-0.48, 0.0), at(0.48, 0.0), 0.035, 10))
    return g


def interstage_mesh():
    groups = [mshx.empty("spare%d" % i) for i in range(7)]
    groups[0] = mshx.revolve("interstage", [(BODY_R, TANK_TOP), (BODY_R, INTERSTAGE_TOP),
                                            (BODY_R - 0.13, INTERSTAGE_TOP)], 48, double_sided=True)
    brackets = mshx.Group("fin_brackets")
    for (n, grp, hinge, axis) in FINS:
        u, w = unit(axis), unit((hinge[0], hinge[1], 0.0))
        centre = tuple(hinge[i] - 0.051 * w[i] for i in range(3))
        brackets.extend(mshx.block("bracket", centre, (u, (0.0, 0.0, 1.0), w), (0.30, 0.08, 0.065)))
        groups[grp] = fin_group(n, hinge, axis)
    groups[1] = brackets
    pods = mshx.Group("rcs_upper")
    for az in (0.0, 90.0, 180.0, 270.0):
        pods.extend(rcs_pod("pod", az, 18.85, 0.30))
    groups[2] = pods
    return groups


def main(argv):
    here = os.path.dirname(os.path.abspath(__file__))
    out = argv[1] if len(argv) > 1 else os.path.join(here, "..", "..", "data", "Meshes", "Arvex")
    os.makedirs(out, exist_ok=True)
    mshx.write(os.path.join(out, "larkon.msh"), stage_mesh())
    mshx.write(os.path.join(out, "ax_interstg.msh"), interstage_mesh())
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
