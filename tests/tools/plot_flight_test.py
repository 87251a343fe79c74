#!/usr/bin/env python3
"""tools/plot_flight.py: bad input answered with one line and exit status 2, output paths never
spliced into the gnuplot script, event marks grouped and staggered, and pictures drawn."""
import json
import os
import subprocess
import sys
import tempfile
import unittest

TOOLS = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "tools")
SCRIPT = os.path.join(TOOLS, "plot_flight.py")
sys.path.insert(0, TOOLS)
import plot_flight  # noqa: E402

HEADER = ("time_s,alt_m,lng_deg,lat_deg,gs_east_mps,gs_up_mps,gs_north_mps,pitch_deg,bank_deg,heading_deg,aoa_deg,"
          "slip_deg,rate_pitch_dps,rate_yaw_dps,rate_bank_dps,mass_kg,prop0_kg,main_level,att_pitch_level,"
          "att_yaw_level,att_bank_level,dynp_pa,mach,landed")


def row(t):
    alt, lng = max(0.0, 50000.0 - 300.0 * t), -80.6 + 0.003 * (100 - t)
    return "%.3f,%.3f,%.7f,28.6,-50,-300,0,90,0,270,0,0,0,0,0,30000,%.1f,%.2f,0,0,0,%.1f,1.5,0" % (
        t, alt, lng, 20000 - 10 * t, 1.0 if 40 < t < 60 else 0.0, 100.0 * t)


def good_log():
    return HEADER + "\n" + "".join(row(t) + "\n" for t in range(0, 170))


REPORT = {"landing": {"timeline": [{"t_s": 0.0, "event": "sequence stage 1: settle"},
                                   {"t_s": 0.5, "event": "flyback \"autopilot\" on"},
                                   {"t_s": 41.0, "event": "landing burn ignition"},
                                   {"t_s": 169.0, "event": "at rest"}]}}


class PlotFlight(unittest.TestCase):
    def setUp(self):
        self.tmp = tempfile.TemporaryDirectory()
        self.dir = self.tmp.name
        self.write("log.csv", good_log())
        self.write("report.json", json.dumps(REPORT))

    def tearDown(self):
        self.tmp.cleanup()

    def write(self, name, text, binary=False):
        with open(os.path.join(self.dir, name), "wb" if binary else "w") as f:
            f.write(text)
        return name

    def run_plot(self, *args):
        return subprocess.run([sys.executable, SCRIPT] + list(args), cwd=self.dir, capture_output=True, text=True)

    def test_bad_input_is_one_line_and_exit_two(self):
        cut = good_log()
        cases = [
            (["missing.csv", "o.png"], "missing.csv: cannot read"),
            ([self.write("empty.csv", ""), "o.png"], "empty.csv: empty"),
            ([self.write("foreign.csv", "a,b\n1,2\n"), "o.png"], "foreign.csv: not a flight log of simhost (no column"),
            ([self.write("cut.csv", cut[:cut.rfind(",")]), "o.png"], "cut.csv:171: 23 fields, the header has 24"),
            ([self.write("word.csv", HEADER + "\n" + row(0).replace("50000.000", "high") + "\n"), "o.png"],
             "word.csv:2: alt_m is not a number"),
            ([self.write("nan.csv", HEADER + "\n" + row(0).replace("50000.000", "nan") + "\n"), "o.png"],
             "nan.csv:2: alt_m is not finite"),
            ([self.write("bytes.csv", bytes(range(256)) * 8, binary=True), "o.png"], "bytes.csv: not a flight log"),
            ([self.write("header.csv", HEADER + "\n"), "o.png"], "header.csv: holds no rows"),
            (["log.csv", "o.png", "--report", "none.json"], "none.json: cannot read"),
            (["log.csv", "o.png", "--report", self.write("bad.json", "{landing: ")], "bad.json: not a JSON report"),
            (["log.csv", "o.png", "--report", self.write("list.json", "[1, 2]")], "list.json: not a report"),
            (["log.csv", "o.png", "--report", self.write("entry.json", json.dumps(
                {"landing": {"timeline": [{"t_s": "soon", "event": "x"}]}}))], "entry.json: timeline entry 1"),
            (["log.csv", "nowhere/o.png"], "nowhere/o.png: cannot write: no folder"),
            (["log.csv", "."], ".: cannot write: a folder"),
            (["log.csv"], "usage: plot_flight.py"),
        ]
        for args, message in cases:
            with self.subTest(args=args):
                r = self.run_plot(*args)
                self.assertEqual(r.returncode, 2, r.stderr)
                self.assertEqual(len(r.stderr.splitlines()), 1, r.stderr)
                self.assertIn(message, r.stderr)
                self.assertNotIn("Traceback", r.stderr)
        self.assertFalse(os.path.exists(os.path.join(self.dir, "o.png")))

    def test_an_output_path_is_never_part_of_the_script(self):
        name = "x'; system('touch PWNED'); set output 'y.png"
        r = self.run_plot("log.csv", name, "--report", "report.json")
        self.assertEqual(r.returncode, 0, r.stderr)
        with open(os.path.join(self.dir, name), "rb") as f:
            self.assertEqual(f.read(8), b"\x89PNG\r\n\x1a\n")
        self.assertFalse(os.path.exists(os.path.join(self.dir, "PWNED")))
        self.assertFalse(os.path.exists(os.path.join(self.dir, "y.png")))
        self.assertNotIn("PWNED", plot_flight.script({"y2top": 110.0, "events": 4, "times": [0.0, 1.0],
                                                      "wind": True}))

    def test_pictures_are_drawn_with_and_without_events(self):
        for args in (["log.csv", "with.png", "--report", "report.json"], ["log.csv", "without.png"]):
            with self.subTest(args=args):
                r = self.run_plot(*args)
                self.assertEqual(r.returncode, 0, r.stderr)
                self.assertGreater(os.path.getsize(os.path.join(self.dir, args[1])), 20000)
                self.assertEqual(os.stat(os.path.join(self.dir, args[1])).st_mode & 0o044, 0o044)  # readable
        self.assertEqual(sorted(n for n in os.listdir(self.dir) if n.startswith(".")), [])

    def test_the_wind_panel_needs_the_wind_columns(self):
        windy = good_log().splitlines()
        windy = [windy[0].replace(",landed", ",wind_east_mps,wind_north_mps,wind_up_mps,gust_east_mps,"
                                              "gust_north_mps,gust_up_mps,landed")] + \
                [line[:line.rfind(",")] + ",3,-1,0,0.5,0.2,0.1" + line[line.rfind(","):] for line in windy[1:]]
        self.write("windy.csv", "\n".join(windy) + "\n")
        r = self.run_plot("windy.csv", "wind.png", "--wind", "--report", "report.json")
        self.assertEqual(r.returncode, 0, r.stderr)
        self.assertGreater(os.path.getsize(os.path.join(self.dir, "wind.png")), 20000)
        r = self.run_plot("log.csv", "nowind.png", "--wind")
        self.assertEqual(r.returncode, 2, r.stderr)
        self.assertEqual(r.stderr.strip(), "plot_flight: log.csv: --wind: the log has no wind columns (no wind_east_mps)")

    def test_close_events_share_a_mark_and_labels_are_staggered(self):
        positions = [0.0, 0.5, 100.0, 100.2, 300.0, 3.0]
        self.assertEqual(plot_flight.group_marks(positions, 300.0), [[0, 1, 5], [2, 3], [4]])
        self.assertEqual([plot_flight.mark_label(g) for g in ([0, 1, 5], [4], [3, 2])], ["1-6", "5", "3-4"])
        path = os.path.join(self.dir, "marks.dat")
        places = [(p, 1.0, 2.0) for p in [0.0, 50.0, 100.0, 150.0]]
        self.assertEqual(plot_flight.write_marks(path, places, [0.0, 50.0, 100.0, 150.0], 150.0, 0.5), 4)
        with open(path) as f:
            heights = [float(line.split()[-1]) for line in f]
        self.assertEqual(heights, [2.0, 2.5, 3.0, 2.0])
        self.assertEqual(plot_flight.text('say "hi"\\\n'), "say 'hi'''")


if __name__ == "__main__":
    unittest.main()
