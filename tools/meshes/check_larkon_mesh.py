#!/usr/bin/env python3
"""Checks the larkon meshes against the booster's leg and grid-fin animations.

Usage: check_larkon_mesh.py MESH_DIR      (the folder holding larkon.msh and ax_interstg.msh)

The two MSHX1 files are read and animated the way the renderer does it: a component's increment
(new state - old state, each clipped to the component's range, over the range's length) turns its
groups by increment x angle about its axis through its reference point (the right-handed Rodrigues
matrix of the numbers, a positive angle about +x taking +y towards +z), or moves them by increment
x shift; the same transform then moves the groups of every descendant and, in place, the
descendants' own reference points, axes and shifts. Components run in list order when a state rises,
in reverse order when it falls. The files are taken to be at the animations' initial states (0 for
the legs and the fin unfold, 0.5 for the two fin deflections).

Checked: group layout; folded poses; full leg deployment (swing, strut swing, strut stroke, strut
end on the leg's fitting, segments still overlapping); intermediate swings with the strut states
from the leg kinematics; the way back to the folded pose; fin unfold and deflection; and that the
closed parts face outwards. The deployed feet are compared with the legs-down touchdown points
(reported, not judged: those points are not placed under the legs). Standard library only; exits
with status 1 on any failure.
"""
import math
import os
import struct
import sys

TOL_ATTACH = 0.05      # m, strut end to leg fitting
TOL_ANGLE = 0.05       # deg
TOL_LEN = 0.005        # m
TOL_POSE = 1e-3        # m, vertex round trip
GROUND_Z = -24.0
TOUCHDOWN = [(0.0, -5.0, -24.0), (-4.33, 2.5, -24.0), (4.33, 2.5, -24.0)]


# ---------------------------------------------------------------------------- small vector algebra

def add(a, b):
    return (a[0] + b[0], a[1] + b[1], a[2] + b[2])


def sub(a, b):
    return (a[0] - b[0], a[1] - b[1], a[2] - b[2])


def scale(a, s):
    return (a[0] * s, a[1] * s, a[2] * s)


def dot(a, b):
    return a[0] * b[0] + a[1] * b[1] + a[2] * b[2]


def cross(a, b):
    return (a[1] * b[2] - a[2] * b[1], a[2] * b[0] - a[0] * b[2], a[0] * b[1] - a[1] * b[0])


def norm(a):
    return math.sqrt(dot(a, a))


def unit(a):
    return scale(a, 1.0 / norm(a))


def mean(points):
    n = float(len(points))
    return (sum(p[0] for p in points) / n, sum(p[1] for p in points) / n, sum(p[2] for p in points) / n)


def angle_deg(a, b):
    c = dot(a, b) / (norm(a) * norm(b))
    return math.degrees(math.acos(max(-1.0, min(1.0, c))))


def signed_angle_deg(a, b, axis):
    """Angle from a to b about axis, both taken perpendicular to it."""
    k = unit(axis)
    a = sub(a, scale(k, dot(a, k)))
    b = sub(b, scale(k, dot(b, k)))
    return math.degrees(math.atan2(dot(cross(a, b), k), dot(a, b)))


def rodrigues(axis, angle):
    kx, ky, kz = unit(axis)
    c, s, t = math.cos(angle), math.sin(angle), 1.0 - math.cos(angle)
    return ((c + kx * kx * t, kx * ky * t - kz * s, kx * kz * t + ky * s),
            (ky * kx * t + kz * s, c + ky * ky * t, ky * kz * t - kx * s),
            (kz * kx * t - ky * s, kz * ky * t + kx * s, c + kz * kz * t))


def mat_vec(m, v):
    return (dot(m[0], v), dot(m[1], v), dot(m[2], v))


def f32(x):
    """The single-precision value the simulator stores for an angle."""
    return struct.unpack("f", struct.pack("f", x))[0]


# ---------------------------------------------------------------------------- mesh file

class Mesh:
    def __init__(self, path):
        self.path = path
        self.groups = []   # list of vertex lists [(x, y, z)]
        self.tris = []     # per group: list of (i, j, k)
        self.normals = []  # per group: list of (nx, ny, nz) or None
        self.labels = []
        self._read(path)
        self.rest = [list(g) for g in self.groups]

    def _read(self, path):
        with open(path) as f:
            lines = [ln.strip() for ln in f]
        if not lines or lines[0] != "MSHX1":
            raise ValueError("%s: not an MSHX1 file" % path)
        pos = 1

        def next_line():
            nonlocal pos
            while pos < len(lines) and not lines[pos]:
                pos += 1
            if pos >= len(lines):
                raise ValueError("%s: unexpected end of file" % path)
            pos += 1
            return lines[pos - 1]

        head = next_line().split()
        if head[0] != "GROUPS":
            raise ValueError("%s: GROUPS expected" % path)
        for _ in range(int(head[1])):
            label = ""
            while True:
                words = next_line().split()
                if words[0] == "GEOM":
                    nv, nt = int(words[1]), int(words[2])
                    break
                if words[0] == "LABEL":
                    label = " ".join(words[1:])
            verts, nrms = [], []
            for _ in range(nv):
                v = [float(c) for c in next_line().split()]
                verts.append(tuple(v[0:3]))
                nrms.append(tuple(v[3:6]) if len(v) >= 6 else None)
            tris = [tuple(int(c) for c in next_line().split()[0:3]) for _ in range(nt)]
            self.groups.append(verts)
            self.normals.append(nrms)
            self.tris.append(tris)
            self.labels.append(label)

    def points(self, g):
        return self.groups[g]

    def reset(self):
        self.groups = [list(g) for g in self.rest]


# ---------------------------------------------------------------------------- animation

class Component:
    def __init__(self, mesh, groups, ref=None, axis=None, angle=0.0, shift=None, parent=None):
        self.mesh, self.groups = mesh, list(groups)
        self.ref, self.axis, self.angle, self.shift = ref, axis, angle, shift
        self.children = []
        if parent is not None:
            parent.children.append(self)

    def transform(self, ds):
        """(point map, direction map) for the increment ds."""
        if self.shift is not None:
            d = scale(self.shift, ds)
            return (lambda p: add(p, d)), (lambda v: v)
        m = rodrigues(self.axis, ds * self.angle)
        ref = self.ref
        return (lambda p: add(ref, mat_vec(m, sub(p, ref)))), (lambda v: mat_vec(m, v))


class Animation:
    def __init__(self, state):
        self.state = state
        self.comps = []  # (component, state0, state1)

    def add(self, comp, s0=0.0, s1=1.0):
        self.comps.append((comp, s0, s1))
        return comp


def move_groups(comp, fp):
    for g in comp.groups:
        pts = comp.mesh.groups[g]
        comp.mesh.groups[g] = [fp(p) for p in pts]


def carry(comp, fp, fv):
    for ch in comp.children:
        move_groups(ch, fp)
        if ch.ref is not None:
            ch.ref = fp(ch.ref)
        if ch.axis is not None:
            ch.axis = fv(ch.axis)
        if ch.shift is not None:
            ch.shift = fv(ch.shift)
        carry(ch, fp, fv)


def set_animation(anim, state):
    old = anim.state
    if state == old:
        return
    order = anim.comps if state > old else list(reversed(anim.comps))
    for comp, s0, s1 in order:
        a, b = min(max(old, s0), s1), min(max(state, s0), s1)
        ds = (b - a) / (s1 - s0)
        if ds == 0.0:
            continue
        fp, fv = comp.transform(ds)
        move_groups(comp, fp)
        carry(comp, fp, fv)
    anim.state = state


S2 = 0.7071068
LEGS = [  # number, swing groups, hinge, axis, angle deg, strut group, anchor, strut angle, chain
    (1, (1, 33), (1.1243, 1.1243, -19.212), (-S2, S2, 0.0), 120.0, 14, (1.4142136, 1.4142136, -15.96),
     139.5, (13, 12, 11, 10)),
    (2, (2, 31), (-1.1243, 1.1243, -19.212), (S2, S2, 0.0), -120.0, 15, (-1.4142136, 1.4142136, -15.96),
     -139.5, (16, 18, 17, 19)),
    (3, (3, 34), (-1.1243, -1.1243, -19.212), (-S2, S2, 0.0), -120.0, 5, (-1.4142136, -1.4142136, -15.96),
     -139.5, (6, 8, 7, 9)),
    (4, (4, 32), (1.1243, -1.1243, -19.212), (S2, S2, 0.0), 120.0, 24, (1.4142136, -1.4142136, -15.96),
     139.5, (23, 22, 21, 20)),
]
SEGMENT_SHIFT = (0.0, 0.0, 1.27)
FINS = [  # number, group, hinge, unfold axis, unfold sign, deflection channel, deflection sign
    (1, 3, (-1.355, 1.355, 19.567), (0.7071, 0.7071, 0.0), +1, "A", +1),
    (2, 6, (1.355, -1.355, 19.567), (0.7071, 0.7071, 0.0), -1, "A", -1),
    (3, 4, (1.355, 1.355, 19.567), (-0.7071, 0.7071, 0.0), -1, "B", +1),
    (4, 5, (-1.355, -1.355, 19.567), (-0.7071, 0.7071, 0.0), +1, "B", -1),
]
HALF_PI = f32(math.pi / 2.0)


class Booster:
    """The six animations and their components over the two meshes."""

    def __init__(self, stage, inter):
        self.legs = Animation(0.0)
        self.struts = Animation(0.0)
        self.extend = Animation(0.0)
        self.strut_comps = []
        for (_, swing, hinge, axis, ang, strut, anchor, sang, chain) in LEGS:
            self.legs.add(Component(stage, swing, hinge, axis, f32(math.radians(ang))))
            parent = self.struts.add(Component(stage, [strut], anchor, axis, f32(math.radians(sang))))
            self.strut_comps.append(parent)
            for g in chain:
                parent = self.extend.add(Component(stage, [g], shift=SEGMENT_SHIFT, parent=parent))
        self.fins = Animation(0.0)
        self.deflect = {"A": Animation(0.5), "B": Animation(0.5)}
        self.fin_deflect = []
        for (_, grp, hinge, axis, usign, chan, dsign) in FINS:
            unfold = self.fins.add(Component(inter, [], hinge, axis, usign * HALF_PI))
            self.fin_deflect.append(self.deflect[chan].add(
                Component(inter, [grp], hinge, (0.0, 0.0, 1.0), dsign * HALF_PI, parent=unfold)))


def leg_kinematics(swing_state):
    """Strut swing and stroke states that keep the strut on the leg, in the leg's own plane
    (x across, z along the leg, from the hinge)."""
    th = math.radians(120.0 * swing_state)
    px, pz = 8.405 * math.sin(th) + 0.41 * math.cos(th), 8.405 * math.cos(th) - 0.41 * math.sin(th)
    dx, dz = px - 0.41, pz - 3.252
    l0 = 5.153
    length = math.hypot(dx, dz)
    stroke = min(max((length - l0) / 5.08, 0.0), 1.0)
    ang = math.degrees(math.acos(max(-1.0, min(1.0, dz / length))))
    swing = min(max(ang / 139.5, 0.0), 1.0)
    if swing_state == 1.0:
        swing, stroke = 1.0, 1.0
    return swing, stroke


# ---------------------------------------------------------------------------- checks

class Report:
    def __init__(self):
        self.failures = 0

    def check(self, ok, what):
        print("  %s  %s" % ("ok  " if ok else "FAIL", what))
        if not ok:
            self.failures += 1


def extreme_indices(points, direction, tol=1e-3):
    """Indices of the vertices farthest along direction (an end cap)."""
    d = [dot(p, direction) for p in points]
    top = max(d)
    return [i for i, x in enumerate(d) if x > top - tol]


def centre_of(points, idx):
    return mean([points[i] for i in idx])


class LegProbe:
    """Mesh features of one leg, identified in the folded pose and followed through the motion."""

    def __init__(self, stage, leg):
        (self.n, swing, self.hinge, axis, ang, self.strut, self.anchor, _, self.chain) = leg
        self.stage, self.leg_g, self.fit_g = stage, swing[0], swing[1]
        self.ey = scale(unit(axis), math.copysign(1.0, ang))
        self.ex = cross(self.ey, (0.0, 0.0, 1.0))
        pts = stage.points(self.strut)
        self.sleeve_base = extreme_indices(pts, (0.0, 0.0, -1.0))
        self.sleeve_top = extreme_indices(pts, (0.0, 0.0, 1.0))
        self.tip = extreme_indices(stage.points(self.chain[-1]), (0.0, 0.0, 1.0))
        self.foot = extreme_indices(stage.points(self.leg_g), unit(add(scale(self.ex, math.sin(math.radians(120))),
                                                                      (0.0, 0.0, -math.cos(math.radians(120))))))

    def base(self):
        return centre_of(self.stage.points(self.strut), self.sleeve_base)

    def sleeve_axis(self):
        return sub(centre_of(self.stage.points(self.strut), self.sleeve_top), self.base())

    def strut_end(self):
        return centre_of(self.stage.points(self.chain[-1]), self.tip)

    def fitting(self):
        return mean(self.stage.points(self.fit_g))

    def foot_sole(self):
        return centre_of(self.stage.points(self.leg_g), self.foot)

    def leg_vector(self):
        return sub(self.foot_sole(), self.hinge)

    def plane(self, x, z):
        return add(self.hinge, add(scale(self.ex, x), (0.0, 0.0, z)))


def check_layout(r, stage, inter):
    print("group layout")
    need_stage = list(range(1, 25)) + list(range(31, 35))
    r.check(len(stage.groups) >= 35, "stage mesh has %d groups (needs 0..34)" % len(stage.groups))
    empty = [g for g in need_stage if g < len(stage.groups) and not stage.groups[g]]
    r.check(not empty, "stage groups 1-24, 31-34 hold geometry%s" % (" (empty: %s)" % empty if empty else ""))
    r.check(len(inter.groups) >= 7, "interstage mesh has %d groups (needs 0..6)" % len(inter.groups))
    empty = [g for g in range(3, 7) if g < len(inter.groups) and not inter.groups[g]]
    r.check(not empty, "interstage groups 3-6 hold geometry%s" % (" (empty: %s)" % empty if empty else ""))


def check_faces(r, mesh):
    """Closed parts face outwards (non-negative enclosed volume per group) and the stored normals
    lie on the visible side of their triangles."""
    bad_vol, bad_nrm = [], 0
    for g, (pts, tris, nrms) in enumerate(zip(mesh.groups, mesh.tris, mesh.normals)):
        vol = 0.0
        for (i, j, k) in tris:
            a, b, c = pts[i], pts[j], pts[k]
            vol += dot(a, cross(b, c)) / 6.0
            fn = cross(sub(b, a), sub(c, a))
            if norm(fn) > 1e-9:
                for v in (i, j, k):
                    if nrms[v] is not None and dot(nrms[v], fn) <= 0.0:
                        bad_nrm += 1
        if vol < -1e-4:
            bad_vol.append((g, round(vol, 4)))
    name = os.path.basename(mesh.path)
    r.check(not bad_vol, "%s: no group faces inwards%s" % (name, " (%s)" % bad_vol if bad_vol else ""))
    r.check(bad_nrm == 0, "%s: normals on the visible side (%d wrong)" % (name, bad_nrm))


def check_folded(r, stage, inter, probes):
    print("folded pose (as on file)")
    worst_anchor = worst_fit = worst_tip = 0.0
    ok_fold = True
    for p in probes:
        worst_anchor = max(worst_anchor, norm(sub(p.base(), p.anchor)))
        worst_fit = max(worst_fit, norm(sub(p.fitting(), p.plane(0.41, 8.405))))
        worst_tip = max(worst_tip, norm(sub(p.strut_end(), p.fitting())))
        for g in (p.leg_g, p.fit_g, p.strut) + tuple(p.chain):
            for q in stage.points(g):
                rad = math.hypot(q[0], q[1])
                if rad > 2.6 or q[2] < p.hinge[2] - 0.5 or q[2] > p.hinge[2] + 10.0:
                    ok_fold = False
        ok_fold = ok_fold and max(q[2] for q in stage.points(p.leg_g)) > p.hinge[2] + 8.0
    r.check(worst_anchor < 0.01, "strut base on its anchor (worst %.4f m)" % worst_anchor)
    r.check(worst_fit < 0.01, "leg fitting at (0.41, 8.405) of the leg plane (worst %.4f m)" % worst_fit)
    r.check(worst_tip < 0.01, "strut end on the leg fitting (worst %.4f m)" % worst_tip)
    r.check(ok_fold, "legs and struts folded along the body, pointing up from the hinges")
    flat = clear = 1e9
    hang = True
    for (n, grp, hinge, axis, *_rest) in FINS:
        out = unit((hinge[0], hinge[1], 0.0))
        pts = inter.points(grp)
        flat = min(flat, 0.1 - max(abs(dot(sub(q, hinge), out)) for q in pts))
        clear = min(clear, min(math.hypot(q[0], q[1]) for q in pts) - 1.83)
        hang = hang and max(q[2] for q in pts) < hinge[2] + 0.1 and min(q[2] for q in pts) < hinge[2] - 1.0
    r.check(flat > 0.0 and clear > 0.0 and hang, "fins folded flat against the interstage (within %.3f m of "
            "the hinge's tangent plane, %.3f m clear of the shell), hanging below their hinges"
            % (0.1 - flat, clear))


def measure_legs(probes, rest):
    """(worst strut end to fitting distance, per-leg rows) in the current pose."""
    worst, rows = 0.0, []
    for p, (leg0, ax0, len0) in zip(probes, rest):
        e = norm(sub(p.strut_end(), p.fitting()))
        worst = max(worst, e)
        rows.append((p, e, leg0, ax0, len0))
    return worst, rows


def check_legs(r, stage, booster, probes):
    rest = [(p.leg_vector(), p.sleeve_axis(), norm(sub(p.strut_end(), p.base()))) for p in probes]
    print("intermediate swings (strut states from the leg kinematics)")
    for s in (0.25, 0.5, 0.75):
        st, ex = leg_kinematics(s)
        set_animation(booster.legs, s)
        set_animation(booster.struts, st)
        set_animation(booster.extend, ex)
        worst, rows = measure_legs(probes, rest)
        swing = max(abs(signed_angle_deg(leg0, p.leg_vector(), p.ey) - 120.0 * s) for (p, e, leg0, ax0, len0) in rows)
        r.check(worst < TOL_ATTACH, "swing %.2f (strut %.4f, stroke %.4f): strut end to fitting %.4f m"
                % (s, st, ex, worst))
        r.check(swing < TOL_ANGLE, "swing %.2f: legs swing outwards by %.1f deg (error %.4f deg)"
                % (s, 120.0 * s, swing))

    print("full deployment (1, 1, 1)")
    set_animation(booster.legs, 1.0)
    set_animation(booster.struts, 1.0)
    set_animation(booster.extend, 1.0)
    worst, rows = measure_legs(probes, rest)
    for (p, e, leg0, ax0, len0) in rows:
        swing = signed_angle_deg(leg0, p.leg_vector(), p.ey)
        strut = signed_angle_deg(ax0, p.sleeve_axis(), p.ey)
        stroke = norm(sub(p.strut_end(), p.base())) - len0
        r.check(abs(swing - 120.0) < TOL_ANGLE and abs(strut - 139.5) < TOL_ANGLE and abs(stroke - 5.08) < TOL_LEN
                and e < TOL_ATTACH,
                "leg %d: swing %.3f deg, strut %.3f deg, stroke %.4f m, strut end to fitting %.4f m"
                % (p.n, swing, strut, stroke, e))
        # segments: n-th moved n x 1.27 along the strut and still overlapping its outer neighbour
        axis = unit(p.sleeve_axis())
        prev_hi = max(dot(sub(q, p.base()), axis) for q in stage.points(p.strut))
        gaps, moves = [], []
        for k, g in enumerate(p.chain, 1):
            along = [dot(sub(q, p.base()), axis) for q in stage.points(g)]
            rest_lo = min(q[2] for q in stage.rest[g]) - p.anchor[2]
            moves.append(min(along) - rest_lo - 1.27 * k)
            gaps.append(prev_hi - min(along))
            prev_hi = max(along)
        r.check(max(abs(m) for m in moves) < TOL_LEN and min(gaps) > 0.05,
                "leg %d: segments moved n x 1.27 m (worst %.4f m), overlap at least %.3f m"
                % (p.n, max(abs(m) for m in moves), min(gaps)))

    print("deployed feet")
    ok_feet = True
    for p in probes:
        sole = p.foot_sole()
        low = min(q[2] for q in stage.points(p.leg_g))
        near = min(TOUCHDOWN, key=lambda t: norm(sub(t, sole)))
        print("    leg %d: sole centre (%.3f, %.3f, %.3f), radius %.3f m, lowest point z = %.3f; nearest "
              "touchdown point (%.2f, %.2f, %.2f) is %.3f m away (%.3f m horizontally)"
              % (p.n, sole[0], sole[1], sole[2], math.hypot(sole[0], sole[1]), low, near[0], near[1], near[2],
                 norm(sub(near, sole)), math.hypot(near[0] - sole[0], near[1] - sole[1])))
        outward = dot(unit((sole[0], sole[1], 0.0)), unit((p.hinge[0], p.hinge[1], 0.0))) > 0.99
        ok_feet = ok_feet and abs(low - GROUND_Z) < 0.05 and abs(sole[2] - GROUND_Z) < 0.05 and outward
    r.check(ok_feet, "feet stand on z = %.0f, radially out from their hinges" % GROUND_Z)

    print("folding back")
    for s in (0.5, 0.0):
        st, ex = leg_kinematics(s)
        set_animation(booster.extend, ex)
        set_animation(booster.struts, st)
        set_animation(booster.legs, s)
    moved = 0.0
    for g in set(g for p in probes for g in (p.leg_g, p.fit_g, p.strut) + tuple(p.chain)):
        for a, b in zip(stage.groups[g], stage.rest[g]):
            moved = max(moved, norm(sub(a, b)))
    r.check(moved < TOL_POSE, "back at the folded pose (worst vertex %.5f m)" % moved)


def check_fins(r, inter, booster):
    print("grid fins")
    set_animation(booster.fins, 1.0)
    unfolded = [list(g) for g in inter.groups]
    ok_out = True
    for (n, grp, hinge, *_rest) in FINS:
        out = unit((hinge[0], hinge[1], 0.0))
        pts = inter.points(grp)
        span = sub(mean(pts), hinge)
        flat = max(abs(q[2] - hinge[2]) for q in pts)
        reach = max(math.hypot(q[0], q[1]) for q in pts)
        ok = angle_deg(span, out) < 2.0 and flat < 0.1 and reach > 3.0
        ok_out = ok_out and ok
        print("    fin %d unfolded: span %.2f deg from radial, lattice within %.3f m of the hinge plane, "
              "reaches radius %.3f m" % (n, angle_deg(span, out), flat, reach))
    r.check(ok_out, "fins unfold to point radially outwards, lattice horizontal")
    for comp, (n, grp, hinge, *_rest) in zip(booster.fin_deflect, FINS):
        radial = (hinge[0], hinge[1], 0.0)
        par = abs(dot(unit(comp.axis), unit(radial)))
        off = norm(sub(comp.ref, hinge))
        r.check(par > 0.9999 and off < 1e-6, "fin %d: deflection axis %s is the radial line through the hinge "
                "(|cos| %.6f, %s)" % (n, "(%.4f, %.4f, %.4f)" % comp.axis, par,
                                      "inwards" if dot(comp.axis, radial) < 0 else "outwards"))
    set_animation(booster.deflect["A"], 0.75)
    set_animation(booster.deflect["B"], 0.75)
    for comp, (n, grp, hinge, axis, usign, chan, dsign) in zip(booster.fin_deflect, FINS):
        before, after = unfolded[grp], inter.points(grp)
        # the least-squares turn of all vertices about the deflection axis through the hinge
        k = unit(comp.axis)
        sx = sy = 0.0
        rigid = 0.0
        for a, b in zip(before, after):
            va, vb = sub(a, hinge), sub(b, hinge)
            va = sub(va, scale(k, dot(va, k)))
            vb = sub(vb, scale(k, dot(vb, k)))
            sx += dot(va, vb)
            sy += dot(cross(va, vb), k)
            rigid = max(rigid, abs(norm(va) - norm(vb)))
        turn = math.degrees(math.atan2(sy, sx))
        want = 22.5 * dsign
        r.check(abs(turn - want) < TOL_ANGLE and rigid < 1e-3,
                "fin %d: deflection state 0.75 turns it by %+.3f deg about its radial axis (want %+.1f)"
                % (n, turn, want))


def main(argv):
    if len(argv) != 2:
        print("usage: check_larkon_mesh.py MESH_DIR", file=sys.stderr)
        return 2
    try:
        stage = Mesh(os.path.join(argv[1], "larkon.msh"))
        inter = Mesh(os.path.join(argv[1], "ax_interstg.msh"))
    except (OSError, ValueError, IndexError) as e:
        print("cannot read the meshes: %s" % e, file=sys.stderr)
        return 1
    r = Report()
    check_layout(r, stage, inter)
    if r.failures:
        return 1
    check_faces(r, stage)
    check_faces(r, inter)
    booster = Booster(stage, inter)
    probes = [LegProbe(stage, leg) for leg in LEGS]
    check_folded(r, stage, inter, probes)
    check_legs(r, stage, booster, probes)
    check_fins(r, inter, booster)
    print("%s: %d failure(s)" % ("FAILED" if r.failures else "passed", r.failures))
    return 1 if r.failures else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
