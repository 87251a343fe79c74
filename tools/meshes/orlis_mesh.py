"""Generates the orlis satellite mesh, data/Meshes/Arvex/orlis.msh (or the path given).

Vessel frame, metres, left-handed (+x right, +y up, +z forward: the Earth-facing side in the
automatic attitude). The mesh is modelled stowed (both animations at state 0).

Bus and fixed parts
  0   bus: box x -1.40..1.40, y -1.10..1.10, z -1.30..1.30
  1   nadir horn on the +z face: cone about z at (0.3, 0.3), z 1.30..1.65
  2   launch adapter ring on the -z face: radius 0.6, z -1.45..-1.30
  3/8 upper/lower thruster pod: x -0.149..0.197, |y| 1.10..1.457, z -0.378..0.378 (the flames
      leave from its faces)
  9   star tracker, 10 sun sensor; 25/26 right/left wing yoke (bus side to hinge at x = +-1.44)
  11-16, 27-41 empty placeholders

Solar wings (groups 17-20 right, inner to outer; 24-21 left, inner to outer)
  Stowed, each panel is a plate in a plane x = const beside the bus, y -0.95..0.95:
    inner panel (a half-length yoke panel) z 0.03..1.20 at |x| = 1.44, hinged to the bus at z = 0;
    panels 2-4 z -1.20..1.20 at |x| = 1.46, 1.483, 1.506 (left 1.505), hinged in turn at
    z = +1.228, -1.228, +1.228 (the animation's reference points).
  Deployment turns the inner panel 90 deg about its vertical hinge and opens each further panel
  180 deg, so the wing unfolds into the plane z = 0 (within 0.02), reaching |x| = 10.0.
  Vertices 0-3 of every panel are its cell side, clockwise seen from the cells (their normal is
  the standard cross product (v1 - v0) x (v2 - v0)). The cells face -x, +x, -x, +x on the right
  panels 17-20 and +x, -x, +x, -x on the left panels 24-21, so that every cell face looks along
  +z once deployed with the sun-tracking turn at 0; that turn (about +x) is measured from +z.

Antennae (they swing about z axes during the first 15 % of the deployment)
  4  lower boom, z = 1.0: from its hinge (0.264, -1.128) to the dish joint (-1.42, -1.132),
     just below the bus; it swings 60 deg downwards and outwards.
  5  lower dish: a strut along the joint axis to z = 1.40 and a reflector (radius 0.3, boresight
     +z) centred 0.35 m from the joint towards +x, in front of the +z face; it turns 90 deg more.
  6/7 upper boom and dish, the same turned 180 deg about z: hinge (-0.292, 1.13), joint
     (1.397, 1.132).
  42 single whip antenna, z = -0.8: from its hinge (0.597, -1.115) 1.2 m towards -x, just below
     the bus; it swings 120 deg downwards.
"""
import os
import sys

import mshx

GROUP_COUNT = 43
HALF_WIDTH = 0.95  # [m] panel half-width along y
HINGE_Z = 1.228    # [m] hinge lines of the outer panels
PANEL_Z = 1.20     # [m] panel half-length (outer panels) and inner panel end


def panel(label, x, z0, z1, cells_towards_plus_x):
    """A two-sided plate in the plane x, its cell side first (normal +-x)."""
    lo, hi = (z0, z1) if cells_towards_plus_x else (z1, z0)
    # (b - a) x (c - a) = (2 w (hi - lo), 0, 0): along +x when hi > lo
    return mshx.plate(label, [(x, -HALF_WIDTH, lo), (x, HALF_WIDTH, lo), (x, HALF_WIDTH, hi), (x, -HALF_WIDTH, hi)])


def wing(side):
    """The four panels of one wing, inner first; side +1 right, -1 left."""
    xs = (1.44, 1.46, 1.483, 1.506) if side > 0 else (1.44, 1.46, 1.483, 1.505)
    name = "right" if side > 0 else "left"
    panels = []
    for k, x in enumerate(xs):
        z0, z1 = (0.03, PANEL_Z) if k == 0 else (-PANEL_Z, PANEL_Z)
        # Inner cells face the bus; the sense alternates outwards.
        towards_bus = k % 2 == 0
        plus_x = (not towards_bus) if side > 0 else towards_bus
        panels.append(panel("%s_panel_%d" % (name, k + 1), side * x, z0, z1, plus_x))
    return panels


def merged(label, *groups):
    g = mshx.Group(label)
    for part in groups:
        base = len(g.vertices)
        g.vertices.extend(part.vertices)
        g.triangles.extend((i + base, j + base, k + base) for (i, j, k) in part.triangles)
    return g


def dish(label, joint, offset_x):
    """A strut along the joint's z axis and a reflector opening towards +z beside it."""
    jx, jy = joint
    strut = mshx.segment_box(label, (jx, jy, 1.0), (jx, jy, 1.40), 0.04, 0.04, up=(1.0, 0.0, 0.0))
    arm = mshx.segment_box(label, (jx, jy, 1.42), (jx + offset_x, jy, 1.42), 0.04, 0.03)
    reflector = mshx.cylinder(label, 0.05, 1.40, 1.55, segments=16, centre=(jx + offset_x, jy), radius1=0.3)
    return merged(label, strut, arm, reflector)


def pod(label, sign):
    y0, y1 = (1.10, 1.457) if sign > 0 else (-1.457, -1.10)
    return mshx.box(label, (-0.149, y0, -0.378), (0.197, y1, 0.378))


def build():
    g = [mshx.empty("spare_%d" % i) for i in range(GROUP_COUNT)]
    g[0] = mshx.box("bus", (-1.40, -1.10, -1.30), (1.40, 1.10, 1.30))
    g[1] = mshx.cylinder("nadir_horn", 0.15, 1.30, 1.65, segments=16, centre=(0.3, 0.3), radius1=0.3)
    g[2] = mshx.cylinder("adapter_ring", 0.6, -1.45, -1.30, segments=24)
    g[3] = pod("rcs_pod_upper", +1)
    g[4] = mshx.segment_box("antenna_boom_lower", (0.264, -1.128, 1.0), (-1.42, -1.132, 1.0), 0.05, 0.03)
    g[5] = dish("antenna_dish_lower", (-1.42, -1.132), 0.35)
    g[6] = mshx.segment_box("antenna_boom_upper", (-0.292, 1.13, 1.0), (1.397, 1.132, 1.0), 0.05, 0.03)
    g[7] = dish("antenna_dish_upper", (1.397, 1.132), -0.35)
    g[8] = pod("rcs_pod_lower", -1)
    g[9] = mshx.box("star_tracker", (0.80, 0.60, -1.50), (1.10, 0.90, -1.30))
    g[10] = mshx.box("sun_sensor", (-1.10, 0.80, 1.30), (-0.90, 1.00, 1.36))
    right, left = wing(+1), wing(-1)
    for k in range(4):
        g[17 + k] = right[k]   # 17 inner .. 20 outer
        g[24 - k] = left[k]    # 24 inner .. 21 outer
    g[25] = mshx.box("wing_yoke_right", (1.40, -0.10, -0.05), (1.44, 0.10, 0.05))
    g[26] = mshx.box("wing_yoke_left", (-1.44, -0.10, -0.05), (-1.40, 0.10, 0.05))
    g[42] = mshx.segment_box("antenna_whip", (0.597, -1.115, -0.8), (-0.603, -1.115, -0.8), 0.02, 0.02)
    return g


def main():
    here = os.path.dirname(os.path.abspath(__file__))
    default = os.path.join(here, "..", "..", "data", "Meshes", "Arvex", "orlis.msh")
    path = sys.argv[1] if len(sys.argv) > 1 else default
    os.makedirs(os.path.dirname(os.path.abspath(path)), exist_ok=True)
    mshx.write(path, build())
    print("wrote %s" % os.path.normpath(path))


if __name__ == "__main__":
    main()
