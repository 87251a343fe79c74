#!/usr/bin/env python3
"""Draws a flight log of simhost (--log) as a PNG with gnuplot.

  tools/plot_flight.py LOG.csv OUT.png [--report REPORT.json] [--wind]

Top left: altitude over the distance from the landing point (great circle on the mean radius,
from the last row of the log). Bottom left: ground speed, main-engine level and dynamic pressure
over time. With --wind, a third panel below: the wind the vessel felt (east, north, up) and the
size of its gust part. The timeline events of the landing report are numbered marks on the
panels (events close together share a mark, their numbers staggered in height), listed with their
times in a table on the right. Bad input (a missing, truncated or foreign log, a report that is not a landing report)
is one line on standard error and exit status 2; a failure of gnuplot is exit status 1.

gnuplot gets no path or text of the user's in its script: it runs in a temporary folder on data
files of fixed names, and the picture is moved to OUT.png afterwards.
"""
import argparse
import csv
import json
import math
import os
import shutil
import subprocess
import sys
import tempfile

RADIUS = 6371010.0  # [m] Earth's mean radius
COLUMNS = ("time_s", "alt_m", "lng_deg", "lat_deg", "gs_east_mps", "gs_up_mps", "gs_north_mps", "main_level",
           "dynp_pa")
WIND_COLUMNS = ("wind_east_mps", "wind_north_mps", "wind_up_mps", "gust_east_mps", "gust_north_mps",
                "gust_up_mps")
GROUPING = 0.012  # events closer than this share of the flight's time or distance share a mark


class BadInput(Exception):
    """Input that cannot be plotted; the message names the file (and line)."""


def distance(lng1, lat1, lng2, lat2):
    p1, p2 = math.radians(lat1), math.radians(lat2)
    dl, dp = math.radians(lng2 - lng1), p2 - p1
    a = math.sin(dp / 2) ** 2 + math.cos(p1) * math.cos(p2) * math.sin(dl / 2) ** 2
    return 2 * RADIUS * math.asin(min(1.0, math.sqrt(a)))


def read_log(path, wind=False):
    """The log's rows as dicts of floats over COLUMNS (and WIND_COLUMNS with wind)."""
    columns = COLUMNS + (WIND_COLUMNS if wind else ())
    try:
        with open(path, newline="", encoding="utf-8") as f:
            reader = csv.reader(f)
            header = next(reader, None)
            if header is None:
                raise BadInput("%s: empty, not a flight log of simhost" % path)
            missing = [c for c in columns if c not in header]
            if missing and missing[0] in WIND_COLUMNS:
                raise BadInput("%s: --wind: the log has no wind columns (no %s)" % (path, missing[0]))
            if missing:
                raise BadInput("%s: not a flight log of simhost (no column %s)" % (path, missing[0]))
            index = {c: header.index(c) for c in columns}
            rows = []
            for number, fields in enumerate(reader, start=2):
                if len(fields) != len(header):
                    raise BadInput("%s:%d: %d fields, the header has %d (a row cut short?)"
                                   % (path, number, len(fields), len(header)))
                row = {}
                for c, i in index.items():
                    try:
                        row[c] = float(fields[i])
                    except ValueError:
                        raise BadInput("%s:%d: %s is not a number: %r" % (path, number, c, fields[i][:40]))
                    if not math.isfinite(row[c]):
                        raise BadInput("%s:%d: %s is not finite" % (path, number, c))
                rows.append(row)
    except OSError as e:
        raise BadInput("%s: cannot read: %s" % (path, e.strerror or e))
    except (UnicodeDecodeError, csv.Error) as e:
        raise BadInput("%s: not a flight log of simhost (%s)" % (path, e))
    if not rows:
        raise BadInput("%s: holds no rows" % path)
    return rows


def read_events(path):
    """The landing report's timeline as (time, text) pairs."""
    try:
        with open(path, encoding="utf-8") as f:
            report = json.load(f)
    except OSError as e:
        raise BadInput("%s: cannot read: %s" % (path, e.strerror or e))
    except (UnicodeDecodeError, ValueError) as e:
        raise BadInput("%s: not a JSON report of simhost (%s)" % (path, e))
    timeline = report.get("landing", {}).get("timeline", []) if isinstance(report, dict) else None
    if not isinstance(timeline, list):
        raise BadInput("%s: not a report of simhost (no landing timeline list)" % path)
    events = []
    for k, e in enumerate(timeline):
        ok = isinstance(e, dict) and isinstance(e.get("t_s"), (int, float)) and isinstance(e.get("event"), str)
        if not ok or not math.isfinite(e["t_s"]):
            raise BadInput("%s: timeline entry %d is not {t_s: number, event: text}" % (path, k + 1))
        events.append((float(e["t_s"]), e["event"]))
    return events


def group_marks(positions, span):
    """Groups of indices into positions (sorted by position) closer than GROUPING x span."""
    groups = []
    for i in sorted(range(len(positions)), key=lambda k: positions[k]):
        if groups and abs(positions[i] - positions[groups[-1][-1]]) <= GROUPING * span:
            groups[-1].append(i)
        else:
            groups.append([i])
    return groups


def mark_label(group):
    numbers = [k + 1 for k in sorted(group)]
    return str(numbers[0]) if len(numbers) == 1 else "%d-%d" % (numbers[0], numbers[-1])


def text(s):
    """A label safe inside a double-quoted field of a gnuplot data file."""
    return "".join(c if c.isprintable() and c not in '"\\' else "'" for c in s)


def write_data(tmp, rows, events):
    """The data files; returns the layout numbers the script needs."""
    end = rows[-1]
    dist = [distance(end["lng_deg"], end["lat_deg"], r["lng_deg"], r["lat_deg"]) / 1000.0 for r in rows]
    with open(os.path.join(tmp, "flight.dat"), "w") as f:
        for r, d in zip(rows, dist):
            gs = math.sqrt(r["gs_east_mps"] ** 2 + r["gs_up_mps"] ** 2 + r["gs_north_mps"] ** 2)
            f.write("%.3f %.4f %.4f %.3f %.4f %.4f\n" % (r["time_s"], d, r["alt_m"] / 1000.0, gs, r["main_level"],
                                                        r["dynp_pa"] / 1000.0))
    times = [r["time_s"] for r in rows]
    alts = [r["alt_m"] / 1000.0 for r in rows]
    y2top = max([100.0] + [r["dynp_pa"] / 1000.0 for r in rows]) * 1.05
    nearest = [min(range(len(rows)), key=lambda k: abs(times[k] - t)) for t, _ in events]
    rise = 0.05 * (max(alts) - min(alts) or 1.0)  # [km] between staggered labels on the trajectory
    top = [(dist[i], alts[i], alts[i] + rise * 0.5) for i in nearest]
    write_marks(os.path.join(tmp, "marks_top.dat"), top, [p[0] for p in top], max(dist) - min(dist), rise)
    when = [(t, 0.0, y2top * 1.04) for t, _ in events]
    write_marks(os.path.join(tmp, "marks_time.dat"), when, [t for t, _ in events], times[-1] - times[0],
                y2top * 0.06)
    with open(os.path.join(tmp, "table.dat"), "w") as f:
        for k, (t, what) in enumerate(events):
            f.write('%d "%2d  %8.2f s  %s"\n' % (k, k + 1, t, text(what)))
    wind = "wind_east_mps" in rows[0]
    if wind:
        with open(os.path.join(tmp, "wind.dat"), "w") as f:
            for r in rows:
                gust = math.sqrt(r["gust_east_mps"] ** 2 + r["gust_north_mps"] ** 2 + r["gust_up_mps"] ** 2)
                f.write("%.3f %.4f %.4f %.4f %.4f\n" % (r["time_s"], r["wind_east_mps"], r["wind_north_mps"],
                                                        r["wind_up_mps"], gust))
    return {"y2top": y2top, "events": len(events), "times": [t for t, _ in events], "wind": wind}


def write_marks(path, places, positions, span, rise):
    """Rows "x y label label_y": one mark per group, labels staggered over three heights."""
    groups = group_marks(positions, max(span, 1e-9))
    with open(path, "w") as f:
        for n, g in enumerate(groups):
            x, y, label_y = places[g[0]]
            f.write('%.4f %.4f "%s" %.4f\n' % (x, y, mark_label(g), label_y + rise * (n % 3)))
    return len(groups)


HEAD = """set terminal pngcairo size 1500,%d font ",10" noenhanced
set output 'plot.png'
set multiplot
"""
TOP = """set origin 0,%.4f; set size 0.72,%.4f
set key left top
set title 'altitude over distance from the landing point'
set xlabel 'distance [km]'; set ylabel 'altitude [km]'; set grid
"""
BOTTOM = """set origin 0,%.4f; set size 0.72,%.4f
set title 'speed, main engine and dynamic pressure over time'
set xlabel 'time [s]'; set ylabel 'ground speed [m/s]'; set y2label 'main level x 100, q [kPa]'
set ytics nomirror; set y2tics
set key below horizontal; set bmargin 5
"""
WIND = """set origin 0,0; set size 0.72,%.4f
set title 'wind felt over time (mean wind plus gust)'
set xlabel 'time [s]'; set ylabel 'wind [m/s]'; unset y2label; unset y2tics; set ytics mirror
set autoscale y
plot 'wind.dat' using 1:2 with lines title 'east', 'wind.dat' using 1:3 with lines title 'north', \\
     'wind.dat' using 1:4 with lines title 'up', 'wind.dat' using 1:5 with lines lw 2 title 'gust (size)'
"""
TABLE = """unset arrow
set origin 0.72,0; set size 0.28,1
unset title; unset xlabel; unset ylabel; unset y2label; unset grid; unset key
unset xtics; unset ytics; unset y2tics; unset border
set xrange [0:1]
set label 1 'events of the landing report' at first 0.02, first 0 left font ',11'
plot 'table.dat' using (0.02):(-$1 - 1.5):2 with labels left font 'monospace,9'
"""


def script(layout):
    """The gnuplot script: fixed text, fixed file names and numbers of our own only."""
    events = layout["events"] > 0
    top = ["'flight.dat' using 2:3 with lines lw 2 title 'trajectory'"]
    bottom = ["'flight.dat' using 1:4 with lines lw 2 title 'ground speed'",
              "'flight.dat' using 1:($5*100) axes x1y2 with lines title 'main level x 100'",
              "'flight.dat' using 1:6 axes x1y2 with lines title 'q [kPa]'"]
    if events:
        top += ["'marks_top.dat' using 1:2 with points pt 7 ps 1 title 'events (numbered as in the table)'",
                "'marks_top.dat' using 1:4:3 with labels left offset 0.8,0 font ',9' notitle"]
        bottom += ["'marks_time.dat' using 1:4:3 axes x1y2 with labels font ',9' notitle"]
    join = ", \\\n     "
    panel = 1.0 / 3 if layout["wind"] else 0.5  # [screen] height of each panel on the left
    text = HEAD % (1400 if layout["wind"] else 1000) + TOP % (1 - panel, panel) + "plot " + join.join(top) + "\n"
    text += BOTTOM % (1 - 2 * panel, panel)
    text += "set y2range [0:%.3f]\n" % (layout["y2top"] * (1.25 if events else 1.0))
    for t in layout["times"]:
        text += "set arrow from %.3f, graph 0 to %.3f, graph 1 nohead dt 3 lc rgb 'gray60'\n" % (t, t)
    text += "plot " + join.join(bottom) + "\n"
    if layout["wind"]:
        text += WIND % panel
    if events:
        text += "set yrange [%d:1]\n" % -max(layout["events"] + 3, 40) + TABLE
    return text + "unset multiplot\n"


def plot(rows, events, out):
    if shutil.which("gnuplot") is None:
        print("plot_flight: gnuplot not found (install gnuplot)", file=sys.stderr)
        return 1
    with tempfile.TemporaryDirectory() as tmp:
        layout = write_data(tmp, rows, events)
        done = subprocess.run(["gnuplot"], input=script(layout), text=True, cwd=tmp, capture_output=True)
        picture = os.path.join(tmp, "plot.png")
        if done.returncode != 0 or not os.path.exists(picture):
            lines = [l for l in done.stderr.splitlines() if l.strip()]
            print("plot_flight: gnuplot failed: %s" % (lines[-1] if lines else "no picture"), file=sys.stderr)
            return 1
        staged = None
        try:  # a temporary file beside OUT, renamed onto it: an existing picture is never half written
            fd, staged = tempfile.mkstemp(dir=os.path.dirname(os.path.abspath(out)), prefix=".plot_flight.")
            os.close(fd)
            shutil.copyfile(picture, staged)
            os.chmod(staged, new_file_mode(out))
            os.replace(staged, out)
        except OSError as e:
            if staged and os.path.exists(staged):
                os.unlink(staged)
            print("plot_flight: %s: cannot write: %s" % (out, e.strerror or e), file=sys.stderr)
            return 1
    return 0


def new_file_mode(path):
    """The permissions of the file replaced, else those a new file gets (0666 less the umask)."""
    try:
        return os.stat(path).st_mode & 0o7777
    except OSError:
        mask = os.umask(0)
        os.umask(mask)
        return 0o666 & ~mask


class Parser(argparse.ArgumentParser):
    def error(self, message):  # one line and exit status 2, as for bad input
        print("plot_flight: %s (usage: plot_flight.py LOG.csv OUT.png [--report REPORT.json])" % message,
              file=sys.stderr)
        sys.exit(2)


def main(argv=None):
    ap = Parser(description=__doc__.splitlines()[0])
    ap.add_argument("log")
    ap.add_argument("png")
    ap.add_argument("--report", help="landing report (simhost --report) for the timeline marks")
    ap.add_argument("--wind", action="store_true", help="add a panel of the wind felt and its gust")
    args = ap.parse_args(argv)
    try:
        out_dir = os.path.dirname(os.path.abspath(args.png))
        if os.path.isdir(args.png) or not os.path.isdir(out_dir):
            raise BadInput("%s: cannot write: %s" % (args.png, "a folder" if os.path.isdir(args.png)
                                                     else "no folder " + out_dir))
        rows = read_log(args.log, args.wind)
        events = read_events(args.report) if args.report else []
    except BadInput as e:
        print("plot_flight: %s" % e, file=sys.stderr)
        return 2
    return plot(rows, events, args.png)


if __name__ == "__main__":
    sys.exit(main())
