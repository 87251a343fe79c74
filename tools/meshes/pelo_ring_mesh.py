#!/usr/bin/env python3
"""Generates the dispenser ring's mesh (Arvex/pelo_ring) and its payload's (Arvex/pelo_payload).

Ring, in the ring's vessel frame (metres; +z along the ring's axis):
  a hollow drum, outer radius 0.93, inner 0.85, from z = -0.30 to 1.39, closed by two rims;
  eight port adapters, radial cylinders of radius 0.14 whose outer faces lie 0.987 m from the
  axis: two tiers at z = 1.09 ("PL1" to "PL4") and z = 0 ("PL5" to "PL8"), 90 degrees apart,
  starting on +x and turning towards +y, in the order of the ring's attachment points.
Payload, in its own frame (+z outward from the port once attached, +y along the ring's axis):
  a 0.5 x 0.5 x 0.6 m box centred on the origin, the adapter below it (z = -0.35 to -0.30, the
  face by which it hangs), two body-mounted solar panels on its +-x faces and an antenna on +z.

Usage: pelo_ring_mesh.py [OUTPUT_DIR]   (default: data/Meshes/Arvex of this repository)
"""
import math
import os
import sys

import mshx

DRUM_OUTER = 0.93
DRUM_INNER = 0.85
DRUM_BOTTOM = -0.30
DRUM_TOP = 1.39
PORT_RADIUS = 0.987  # distance of a port's face from the axis
PORT_TIERS = (1.09, 0.0)
PORT_DIRECTIONS = ((1.0, 0.0), (0.0, 1.0), (-1.0, 0.0), (0.0, -1.0))
ADAPTER_RADIUS = 0.14
SEGMENTS = 48


def oriented(group, facing):
    """The group with each triangle turned so that its visible side faces along facing(midpoint).

    Winding conventions of the writer's primitives differ (its cylinders are seen from inside);
    orienting every triangle by its intended direction makes the result independent of them.
    """
    g = mshx.Group(group.label)
    v = group.vertices
    for (i, j, k) in group.triangles:
        a, b, c = v[i][:3], v[j][:3], v[k][:3]
        mid = tuple((a[n] + b[n] + c[n]) / 3.0 for n in range(3))
        if sum(x * y for x, y in zip(mshx._normal(a, b, c), facing(mid))) < 0:
            b, c = c, b
        g.add_triangle(a, b, c)
    return g


def away_from(centre):
    """Facing for a convex solid around centre: outwards."""
    return lambda p: tuple(p[n] - centre[n] for n in range(3))


def towards_axis(p):
    """Facing for the drum's bore: towards the ring's axis."""
    return (-p[0], -p[1], 0.0)


def away_from_axis(p):
    return (p[0], p[1], 0.0)


def oriented_quad(group, corners, facing):
    """Adds a quad whose visible side faces along `facing`, whatever the corners' order."""
    n = mshx._normal(*corners[:3])
    if sum(a * b for a, b in zip(n, facing)) < 0:
        corners = corners[::-1]
    group.add_quad(*corners)


def rim(label, z, facing_up):
    """The annulus closing the drum at height z, visible from above or from below."""
    g = mshx.Group(label)
    for k in range(SEGMENTS):
        a0 = 2 * math.pi * k / SEGMENTS
        a1 = 2 * math.pi * (k + 1) / SEGMENTS
        corners = [(DRUM_INNER * math.cos(a0), DRUM_INNER * math.sin(a0), z),
                   (DRUM_OUTER * math.cos(a0), DRUM_OUTER * math.sin(a0), z),
                   (DRUM_OUTER * math.cos(a1), DRUM_OUTER * math.sin(a1), z),
                   (DRUM_INNER * math.cos(a1), DRUM_INNER * math.sin(a1), z)]
        oriented_quad(g, corners, (0.0, 0.0, 1.0 if facing_up else -1.0))
    return g


def port_adapter(label, z, direction):
    """A cylinder along the radial direction, from inside the drum wall out to the port's face.

    Built about the local z axis, then turned by the proper rotation that takes local z to the
    radial direction and local x to the ring's axis (so the visible sides stay outside).
    """
    inner = DRUM_OUTER - 0.02  # sunk into the wall so that no gap shows
    local = oriented(mshx.cylinder(label, ADAPTER_RADIUS, inner, PORT_RADIUS, segments=16),
                     away_from((0.0, 0.0, 0.5 * (inner + PORT_RADIUS))))
    ez = (direction[0], direction[1], 0.0)
    ex = (0.0, 0.0, 1.0)
    ey = mshx._cross(ez, ex)

    def to_ring(p):
        return tuple(p[0] * ex[i] + p[1] * ey[i] + p[2] * ez[i] + (z if i == 2 else 0.0) for i in range(3))

    return local.transformed(to_ring)


def ring_groups():
    groups = [
        oriented(mshx.cylinder("drum_outer", DRUM_OUTER, DRUM_BOTTOM, DRUM_TOP, segments=SEGMENTS, caps=False),
                 away_from_axis),
        oriented(mshx.cylinder("drum_inner", DRUM_INNER, DRUM_BOTTOM, DRUM_TOP, segments=SEGMENTS, caps=False),
                 towards_axis),
        rim("rim_top", DRUM_TOP, True),
        rim("rim_bottom", DRUM_BOTTOM, False),
    ]
    slot = 1
    for z in PORT_TIERS:
        for d in PORT_DIRECTIONS:
            groups.append(port_adapter("port_PL%d" % slot, z, d))
            slot += 1
    return groups


def panel(x):
    """A body-mounted solar panel just off the payload's side face at x."""
    return [(x, -0.22, -0.27), (x, 0.22, -0.27), (x, 0.22, 0.27), (x, -0.22, 0.27)]


def payload_groups():
    return [
        oriented(mshx.box("body", (-0.25, -0.25, -0.30), (0.25, 0.25, 0.30)), away_from((0.0, 0.0, 0.0))),
        oriented(mshx.cylinder("adapter", 0.12, -0.35, -0.30, segments=16), away_from((0.0, 0.0, -0.325))),
        mshx.plate("panel_px", panel(0.252)),
        mshx.plate("panel_mx", panel(-0.252)),
        oriented(mshx.segment_box("antenna", (0.0, 0.0, 0.30), (0.0, 0.0, 0.55), 0.03, 0.03, up=(0.0, 1.0, 0.0)),
                 away_from((0.0, 0.0, 0.425))),
    ]


def main():
    here = os.path.dirname(os.path.abspath(__file__))
    out = sys.argv[1] if len(sys.argv) > 1 else os.path.join(here, "..", "..", "data", "Meshes", "Arvex")
    os.makedirs(out, exist_ok=True)
    mshx.write(os.path.join(out, "pelo_ring.msh"), ring_groups())
    mshx.write(os.path.join(out, "pelo_payload.msh"), payload_groups())


if __name__ == "__main__":
    main()
