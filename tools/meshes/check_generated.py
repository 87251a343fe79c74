"""Checks that the bundled meshes are exactly what the generators in this folder write.

Usage: check_generated.py MESH_DIR
Runs every generator into a temporary folder and compares the files byte for byte, so that a
change to a generator (or a hand edit of a mesh) cannot leave the two out of step.
"""
import filecmp
import os
import subprocess
import sys
import tempfile

HERE = os.path.dirname(os.path.abspath(__file__))
# generator, how it takes its output (a folder or a file), the meshes it writes
GENERATORS = [
    ("larkon_mesh.py", "dir", ["larkon.msh", "ax_interstg.msh"]),
    ("orlis_mesh.py", "file", ["orlis.msh"]),
    ("pelo_ring_mesh.py", "dir", ["pelo_ring.msh", "pelo_payload.msh"]),
]


def main(argv):
    if len(argv) != 2:
        print("usage: check_generated.py MESH_DIR")
        return 2
    bundled = argv[1]
    failures = 0
    with tempfile.TemporaryDirectory() as out:
        for script, form, meshes in GENERATORS:
            target = out if form == "dir" else os.path.join(out, meshes[0])
            subprocess.run([sys.executable, os.path.join(HERE, script), target], check=True,
                           stdout=subprocess.DEVNULL)
            for m in meshes:
                same = filecmp.cmp(os.path.join(out, m), os.path.join(bundled, m), shallow=False)
                print("  %s  %s (%s)" % ("ok  " if same else "FAIL", m, script))
                failures += 0 if same else 1
    print("passed" if failures == 0 else "%d mesh(es) differ from their generator" % failures)
    return 0 if failures == 0 else 1


if __name__ == "__main__":
    sys.exit(main(sys.argv))
