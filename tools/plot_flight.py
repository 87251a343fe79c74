#!/usr/bin/env python3
"""Draws a flight log of simhost (--log) as a PNG with gnuplot.

  tools/plot_flight.py LOG.csv OUT.png [--report REPORT.json] [--wind]

Top: altitude over the distance from the landing point (great circle on the mean radius, from
the last row of the log), with the timeline events of the landing report marked. Bottom: ground
speed, main-engine level and dynamic pressure over time, with the same events as vertical lines.
With --wind, a third panel: the wind the vessel felt (east, north, up) and its gust part.
"""
import argparse
import csv
import json
import math
import os
import subprocess
import sys
import tempfile

RADIUS = 6371010.0


def distance(lng1, lat1, lng2, lat2):
    p1, p2 = math.radians(lat1), math.radians(lat2)
    dl, dp = math.radians(lng2 - lng1), p2 - p1
    a = math.sin(dp / 2) ** 2 + math.cos(p1) * math.cos(p2) * math.sin(dl / 2) ** 2
    return 2 * RADIUS * math.asin(min(1.0, math.sqrt(a)))


def main():
    ap = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    ap.add_argument("log")
    ap.add_argument("png")
    ap.add_argument("--report", help="landing report (simhost --report) for the timeline marks")
    ap.add_argument("--wind", action="store_true", help="add a panel of the wind felt and its gust")
    args = ap.parse_args()
    rows = list(csv.DictReader(open(args.log)))
    if not rows:
        sys.exit("plot_flight: %s holds no rows" % args.log)
    end = rows[-1]
    lng0, lat0 = float(end["lng_deg"]), float(end["lat_deg"])
    events = []
    if args.report:
        report = json.load(open(args.report))
        events = report.get("landing", {}).get("timeline", [])
    with tempfile.TemporaryDirectory() as tmp:
        data = os.path.join(tmp, "flight.dat")
        with open(data, "w") as f:
            for r in rows:
                d = distance(lng0, lat0, float(r["lng_deg"]), float(r["lat_deg"])) / 1000.0
                gs = math.sqrt(sum(float(r[k]) ** 2 for k in ("gs_east_mps", "gs_up_mps", "gs_north_mps")))
                f.write("%s %.4f %.4f %.3f %s %.4f\n" % (r["time_s"], d, float(r["alt_m"]) / 1000.0, gs,
                                                          r["main_level"], float(r["dynp_pa"]) / 1000.0))
        marks = os.path.join(tmp, "events.dat")
        times = [float(r["time_s"]) for r in rows]
        with open(marks, "w") as f:
            for e in events:
                t = e["t_s"]
                i = min(range(len(times)), key=lambda k: abs(times[k] - t))
                r = rows[i]
                d = distance(lng0, lat0, float(r["lng_deg"]), float(r["lat_deg"])) / 1000.0
                f.write('%.3f %.4f %.4f "%s"\n' % (t, d, float(r["alt_m"]) / 1000.0, e["event"]))
        script = """
set terminal pngcairo size 1200,1000 font ",10"
set output '{png}'
set multiplot layout 2,1
set key left top
set title 'altitude over distance from the landing point'
set xlabel 'distance [km]'; set ylabel 'altitude [km]'; set grid
plot '{data}' using 2:3 with lines lw 2 title 'trajectory', \\
     '{marks}' using 2:3 with points pt 7 ps 1 title 'events', \\
     '{marks}' using 2:3:4 with labels left offset 1,0 font ',8' notitle
set title 'speed, main engine and dynamic pressure over time'
set xlabel 'time [s]'; set ylabel 'ground speed [m/s]'; set y2label 'main level x 100, q [kPa]'
set ytics nomirror; set y2tics
plot '{data}' using 1:4 with lines lw 2 title 'ground speed', \\
     '{data}' using 1:($5*100) axes x1y2 with lines title 'main level x 100', \\
     '{data}' using 1:6 axes x1y2 with lines title 'q [kPa]', \\
     '{marks}' using 1:(0):4 with labels rotate left font ',7' notitle
unset multiplot
""".format(png=args.png, data=data, marks=marks)
        if args.wind:
            script = wind_panel(script, rows, tmp)
        subprocess.run(["gnuplot"], input=script, text=True, check=True)


def wind_panel(script, rows, tmp):
    """The script with a third panel: wind felt east, north and up, and the gust's size, over time."""
    if "wind_east_mps" not in rows[0]:
        sys.exit("plot_flight: --wind: the log has no wind columns")
    wind = os.path.join(tmp, "wind.dat")
    with open(wind, "w") as f:
        for r in rows:
            gust = math.sqrt(sum(float(r[k]) ** 2 for k in ("gust_east_mps", "gust_north_mps", "gust_up_mps")))
            f.write("%s %s %s %s %.4f\n" % (r["time_s"], r["wind_east_mps"], r["wind_north_mps"],
                                              r["wind_up_mps"], gust))
    panel = """
set title 'wind felt over time (mean wind plus gust)'
set xlabel 'time [s]'; set ylabel 'wind [m/s]'; unset y2label; unset y2tics; set ytics mirror
plot '{wind}' using 1:2 with lines title 'east', '{wind}' using 1:3 with lines title 'north', \\
     '{wind}' using 1:4 with lines title 'up', '{wind}' using 1:5 with lines lw 2 title 'gust (size)'
""".format(wind=wind)
    script = script.replace("size 1200,1000", "size 1200,1400").replace("layout 2,1", "layout 3,1")
    return script.replace("unset multiplot", panel + "unset multiplot")


if __name__ == "__main__":
    main()
