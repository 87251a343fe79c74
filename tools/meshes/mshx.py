"""Writing meshes in the simulator's text format (MSHX1), with a few solid primitives.

Coordinates are metres in the left-handed vessel frame (+x right, +y up, +z forward). Groups are
numbered from 0 in the order they are added: that index is what animations name, so a generator
adds its groups in a fixed order and may add empty placeholders to keep the numbering.
The visible side of a triangle is its clockwise side as seen by the viewer.
"""
import math


class Group:
    def __init__(self, label):
        self.label = label
        self.vertices = []   # (x, y, z, nx, ny, nz)
        self.triangles = []  # (i, j, k)

    def add_vertex(self, p, n=(0.0, 0.0, 0.0)):
        self.vertices.append((p[0], p[1], p[2], n[0], n[1], n[2]))
        return len(self.vertices) - 1

    def add_quad(self, a, b, c, d):
        """A quad a-b-c-d given clockwise as seen from its visible side."""
        n = _normal(a, b, c)
        i = [self.add_vertex(p, n) for p in (a, b, c, d)]
        self.triangles.append((i[0], i[1], i[2]))
        self.triangles.append((i[0], i[2], i[3]))

    def add_triangle(self, a, b, c):
        n = _normal(a, b, c)
        i = [self.add_vertex(p, n) for p in (a, b, c)]
        self.triangles.append(tuple(i))

    def transformed(self, f):
        """A copy with every vertex passed through f (normals recomputed per triangle)."""
        g = Group(self.label)
        for (i, j, k) in self.triangles:
            g.add_triangle(f(self.vertices[i][:3]), f(self.vertices[j][:3]), f(self.vertices[k][:3]))
        return g

    def extend(self, *others):
        """Appends the vertices and triangles of other groups to this one; returns self."""
        for o in others:
            base = len(self.vertices)
            self.vertices.extend(o.vertices)
            self.triangles.extend((i + base, j + base, k + base) for (i, j, k) in o.triangles)
        return self

    def add_face(self, points, outward, normals=None):
        """A convex planar polygon (3 or 4 points, either order) made visible from the side that
        'outward' points to; optional per-vertex normals are kept, otherwise the face normal is used."""
        pts = list(points)
        nrm = list(normals) if normals is not None else None
        if _dot(_normal(pts[0], pts[1], pts[2]), outward) < 0.0:
            pts.reverse()
            if nrm is not None:
                nrm.reverse()
        face_n = _normal(pts[0], pts[1], pts[2])
        idx = [self.add_vertex(p, nrm[i] if nrm is not None else face_n) for i, p in enumerate(pts)]
        for m in range(1, len(idx) - 1):
            self.triangles.append((idx[0], idx[m], idx[m + 1]))


def _sub(a, b):
    return (a[0] - b[0], a[1] - b[1], a[2] - b[2])


def _normal(a, b, c):
    # In a left-handed frame the clockwise side faces along the standard cross product u x v.
    u, v = _sub(b, a), _sub(c, a)
    n = (u[1] * v[2] - u[2] * v[1], u[2] * v[0] - u[0] * v[2], u[0] * v[1] - u[1] * v[0])
    l = math.sqrt(n[0] ** 2 + n[1] ** 2 + n[2] ** 2) or 1.0
    return (n[0] / l, n[1] / l, n[2] / l)


def box(label, lo, hi):
    """An axis-aligned box between corners lo and hi."""
    g = Group(label)
    x0, y0, z0 = lo
    x1, y1, z1 = hi
    g.add_quad((x0, y0, z0), (x0, y1, z0), (x1, y1, z0), (x1, y0, z0))  # -z face
    g.add_quad((x1, y0, z1), (x1, y1, z1), (x0, y1, z1), (x0, y0, z1))  # +z face
    g.add_quad((x0, y0, z1), (x0, y1, z1), (x0, y1, z0), (x0, y0, z0))  # -x face
    g.add_quad((x1, y0, z0), (x1, y1, z0), (x1, y1, z1), (x1, y0, z1))  # +x face
    g.add_quad((x0, y1, z0), (x0, y1, z1), (x1, y1, z1), (x1, y1, z0))  # +y face
    g.add_quad((x0, y0, z1), (x0, y0, z0), (x1, y0, z0), (x1, y0, z1))  # -y face
    return g


def segment_box(label, p0, p1, width, thickness, up=(0.0, 0.0, 1.0)):
    """A bar of rectangular section from p0 to p1 (width across, thickness along 'up' x axis)."""
    axis = _sub(p1, p0)
    length = math.sqrt(sum(c * c for c in axis))
    ax = tuple(c / length for c in axis)
    side = _cross(ax, up)
    if math.sqrt(sum(c * c for c in side)) < 1e-9:
        side = _cross(ax, (1.0, 0.0, 0.0))
    side = _unit(side)
    normal = _cross(side, ax)

    def corner(t, s, n):
        return tuple(p0[i] + ax[i] * t + side[i] * s + normal[i] * n for i in range(3))

    g = Group(label)
    w, h = width / 2.0, thickness / 2.0
    c = [corner(t, s, n) for t in (0.0, length) for s in (-w, w) for n in (-h, h)]
    # c index: t*4 + s*2 + n
    faces = [(0, 1, 3, 2), (4, 6, 7, 5), (0, 4, 5, 1), (2, 3, 7, 6), (0, 2, 6, 4), (1, 5, 7, 3)]
    for f in faces:
        g.add_quad(*(c[i] for i in reversed(f)))  # the lists run anticlockwise seen from outside
    return g


def cylinder(label, radius, z0, z1, segments=24, centre=(0.0, 0.0), caps=True, radius1=None):
    """A cylinder (or cone frustum) about an axis parallel to z."""
    r1 = radius if radius1 is None else radius1
    if z1 < z0:  # the windings below assume z0 < z1
        z0, z1, radius, r1 = z1, z0, r1, radius
    g = Group(label)
    cx, cy = centre
    for k in range(segments):
        a0 = 2 * math.pi * k / segments
        a1 = 2 * math.pi * (k + 1) / segments
        p00 = (cx + radius * math.cos(a0), cy + radius * math.sin(a0), z0)
        p01 = (cx + radius * math.cos(a1), cy + radius * math.sin(a1), z0)
        p10 = (cx + r1 * math.cos(a0), cy + r1 * math.sin(a0), z1)
        p11 = (cx + r1 * math.cos(a1), cy + r1 * math.sin(a1), z1)
        g.add_quad(p00, p01, p11, p10)  # visible from outside
        if caps:
            g.add_triangle((cx, cy, z0), p01, p00)  # facing -z
            g.add_triangle((cx, cy, z1), p10, p11)  # facing +z
    return g


def plate(label, corners):
    """A flat plate visible from both sides, from four corners in order."""
    g = Group(label)
    a, b, c, d = corners
    g.add_quad(a, b, c, d)
    g.add_quad(d, c, b, a)
    return g


def empty(label):
    return Group(label)


def _cross(a, b):
    return (a[1] * b[2] - a[2] * b[1], a[2] * b[0] - a[0] * b[2], a[0] * b[1] - a[1] * b[0])


def _unit(a):
    l = math.sqrt(sum(c * c for c in a))
    return tuple(c / l for c in a)


def write(path, groups, materials=("body",)):
    """Writes the groups (in order: their indices) with one white material per name."""
    with open(path, "w", newline="\n") as f:
        f.write("MSHX1\n")
        f.write("GROUPS %d\n" % len(groups))
        for g in groups:
            f.write("LABEL %s\n" % g.label)
            f.write("MATERIAL 1\n")
            f.write("GEOM %d %d\n" % (len(g.vertices), len(g.triangles)))
            for v in g.vertices:
                f.write("%.4f %.4f %.4f %.4f %.4f %.4f\n" % v)
            for t in g.triangles:
                f.write("%d %d %d\n" % t)
        f.write("MATERIALS %d\n" % len(materials))
        for m in materials:
            f.write("%s\n" % m)
        for m in materials:
            f.write("MATERIAL %s\n" % m)
            f.write("0.8 0.8 0.8 1\n0.8 0.8 0.8 1\n0.2 0.2 0.2 1 10\n0 0 0 1\n")
        f.write("TEXTURES 0\n")


# Primitives below orient every face from its intended outward direction, so closed solids face out.

def _dot(a, b):
    return a[0] * b[0] + a[1] * b[1] + a[2] * b[2]


def _add(a, b, s=1.0):
    return (a[0] + s * b[0], a[1] + s * b[1], a[2] + s * b[2])


def _mean(points):
    n = float(len(points))
    return tuple(sum(p[i] for p in points) / n for i in range(3))


def _basis(axis):
    """Two unit vectors e1, e2 with e1 x e2 = axis (axis a unit vector)."""
    helper = (1.0, 0.0, 0.0) if abs(axis[0]) < 0.9 else (0.0, 1.0, 0.0)
    e1 = _unit(_cross(helper, axis))
    e2 = _cross(axis, e1)
    return e1, e2


def prism(label, outline, extrude):
    """A straight prism: the convex planar polygon 'outline' (3-D points in order, either sense)
    swept along the vector 'extrude'."""
    g = Group(label)
    top = [_add(p, extrude) for p in outline]
    centre = _mean(list(outline) + top)
    g.add_face(outline, _sub(_mean(outline), _mean(top)))
    g.add_face(top, _sub(_mean(top), _mean(outline)))
    n = len(outline)
    for i in range(n):
        a, b = outline[i], outline[(i + 1) % n]
        quad = (a, b, top[(i + 1) % n], top[i])
        g.add_face(quad, _sub(_mean(quad), centre))
    return g


def block(label, centre, axes, half):
    """A box centred at 'centre' with edges along the three orthogonal unit vectors 'axes' and
    half-lengths 'half' along them."""
    (u, v, w), (hu, hv, hw) = axes, half

    def corner(su, sv):
        return tuple(centre[i] + su * hu * u[i] + sv * hv * v[i] - hw * w[i] for i in range(3))

    outline = [corner(-1, -1), corner(1, -1), corner(1, 1), corner(-1, 1)]
    return prism(label, outline, tuple(2.0 * hw * c for c in w))


def tube(label, p0, p1, radius, segments=16, caps=True, radius1=None):
    """A cylinder (or cone frustum, radius1 at p1) about the axis from p0 to p1, with smooth side
    normals and flat end caps."""
    r1 = radius if radius1 is None else radius1
    axis = _unit(_sub(p1, p0))
    e1, e2 = _basis(axis)
    length = math.sqrt(sum(c * c for c in _sub(p1, p0)))
    slope = (radius - r1) / length  # tilt of the side normal towards the axis direction
    g = Group(label)
    ring0, ring1, norms = [], [], []
    for k in range(segments):
        a = 2.0 * math.pi * k / segments
        d = tuple(math.cos(a) * e1[i] + math.sin(a) * e2[i] for i in range(3))
        ring0.append(_add(p0, d, radius))
        ring1.append(_add(p1, d, r1))
        norms.append(_unit(_add(d, axis, slope)))
    for k in range(segments):
        m = (k + 1) % segments
        quad = (ring0[k], ring0[m], ring1[m], ring1[k])
        g.add_face(quad, _mean([norms[k], norms[m]]), (norms[k], norms[m], norms[m], norms[k]))
        if caps:
            if radius > 0.0:
                g.add_face((p0, ring0[k], ring0[m]), tuple(-c for c in axis))
            if r1 > 0.0:
                g.add_face((p1, ring1[m], ring1[k]), axis)
    return g


def revolve(label, profile, segments=24, centre=(0.0, 0.0), double_sided=False):
    """A surface of revolution about the line through 'centre' parallel to z. 'profile' is a list
    of (r, z) points; the visible side is on the right of the profile's direction in the (r, z)
    half-plane (r to the right, z up): a profile running up faces away from the axis, one running
    outwards faces down. 'double_sided' makes it visible from both sides."""
    g = Group(label)
    cx, cy = centre
    for (r0, z0), (r1, z1) in zip(profile[:-1], profile[1:]):
        dr, dz = r1 - r0, z1 - z0
        l = math.hypot(dr, dz)
        nr, nz = dz / l, -dr / l
        for k in range(segments):
            a0 = 2.0 * math.pi * k / segments
            a1 = 2.0 * math.pi * (k + 1) / segments
            c0, s0, c1, s1 = math.cos(a0), math.sin(a0), math.cos(a1), math.sin(a1)
            pts = [(cx + r0 * c0, cy + r0 * s0, z0), (cx + r0 * c1, cy + r0 * s1, z0),
                   (cx + r1 * c1, cy + r1 * s1, z1), (cx + r1 * c0, cy + r1 * s0, z1)]
            ns = [(nr * c0, nr * s0, nz), (nr * c1, nr * s1, nz), (nr * c1, nr * s1, nz), (nr * c0, nr * s0, nz)]
            # a quad with an edge on the axis is a triangle
            keep = [i for i in range(4) if not (i == 1 and r0 == 0.0) and not (i == 2 and r1 == 0.0)]
            pts_k, ns_k = [pts[i] for i in keep], [ns[i] for i in keep]
            out = _mean(ns_k)
            g.add_face(pts_k, out, ns_k)
            if double_sided:
                g.add_face(pts_k, tuple(-c for c in out), [tuple(-c for c in n) for n in ns_k])
    return g
