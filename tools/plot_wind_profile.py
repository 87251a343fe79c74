#!/usr/bin/env python3
"""Draws a wind profile (speed and the direction it blows from, over height) as a PNG with gnuplot.

  tools/plot_wind_profile.py PROFILE OUT.png [--top KM]

PROFILE is a CSV file as simhost run --wind-profile reads it (alt_m,speed_mps,from_deg), or a
scenario whose environment section holds a "WindProfile H S D ..." line, as simhost run --save
writes it for the built-in family (--wind-surface, --wind-jet, --wind-veer).
"""
import argparse
import csv
import os
import subprocess
import sys
import tempfile


def read_rows(path):
    with open(path) as f:
        text = f.read()
    for line in text.splitlines():
        words = line.split(";")[0].split()
        if words and words[0].lower() == "windprofile":
            values = [float(v) for v in words[1:]]
            return [values[i:i + 3] for i in range(0, len(values) - 2, 3)]
    lines = [l for l in text.splitlines() if l.strip() and not l.lstrip().startswith("#")]
    return [[float(c) for c in row] for row in csv.reader(lines[1:])]


def main():
    ap = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    ap.add_argument("profile")
    ap.add_argument("png")
    ap.add_argument("--top", type=float, default=20.0, help="highest height shown [km] (default 20)")
    args = ap.parse_args()
    try:
        rows = read_rows(args.profile)
    except (OSError, ValueError) as e:
        sys.exit("plot_wind_profile: %s: %s" % (args.profile, e))
    if not rows:
        sys.exit("plot_wind_profile: %s holds no profile rows" % args.profile)
    with tempfile.TemporaryDirectory() as tmp:
        data = os.path.join(tmp, "profile.dat")
        with open(data, "w") as f:
            for alt, speed, frm in rows:
                f.write("%.3f %.4f %.4f\n" % (alt / 1000.0, speed, frm % 360.0))
        script = """
set terminal pngcairo size 1000,700 font ",11"
set output '{png}'
set multiplot layout 1,2 title 'wind by height above the surface'
set grid; set key bottom right
set ylabel 'height [km]'; set yrange [0:{top}]
set xlabel 'speed [m/s]'
plot '{data}' using 2:1 with linespoints pt 7 ps 0.4 lw 2 title 'speed'
set xlabel 'direction it blows from [deg, clockwise from north]'; set xrange [0:360]; set xtics 45
plot '{data}' using 3:1 with linespoints pt 7 ps 0.4 lw 2 lc 2 title 'from'
unset multiplot
""".format(png=args.png, data=data, top=args.top)
        subprocess.run(["gnuplot"], input=script, text=True, check=True)


if __name__ == "__main__":
    main()
