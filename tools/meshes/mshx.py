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
        g.add_quad(*(c[i] for i in f))
    return g


def cylinder(label, radius, z0, z1, segments=24, centre=(0.0, 0.0), caps=True, radius1=None):
    """A cylinder (or cone frustum) about an axis parallel to z."""
    r1 = radius if radius1 is None else radius1
    g = Group(label)
    cx, cy = centre
    for k in range(segments):
        a0 = 2 * math.pi * k / segments
        a1 = 2 * math.pi * (k + 1) / segments
        p00 = (cx + radius * math.cos(a0), cy + radius * math.sin(a0), z0)
        p01 = (cx + radius * math.cos(a1), cy + radius * math.sin(a1), z0)
        p10 = (cx + r1 * math.cos(a0), cy + r1 * math.sin(a0), z1)
        p11 = (cx + r1 * math.cos(a1), cy + r1 * math.sin(a1), z1)
        g.add_quad(p00, p10, p11, p01)
        if caps:
            g.add_triangle((cx, cy, z0), p00, p01)
            g.add_triangle((cx, cy, z1), p11, p10)
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
