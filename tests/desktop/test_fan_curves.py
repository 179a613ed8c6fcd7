#!/usr/bin/python3
"""Curves per fan on the real Brisvane over the virtual Mac: with a user preset active, choosing
the right fan in the curve editor's fan picker and dragging a point changes that fan's curve
only, in the preset file and in the daemon's targets; choosing "All fans" then asks first, and
the file stays as it was until the question is confirmed; the "Follows" picker stores the
preset's own temperature source.

Usage: test_fan_curves.py BUILD_DIR (run by ctest, label "desktop")."""

import glob
import json
import os
import sys

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import brisvane_desktop as bd  # noqa: E402
from brisvane_desktop import MAIN_TITLE  # noqa: E402
from test_curves import percent_at, pill  # noqa: E402

PINNED = 60.0  # °C on every sensor: the curves are evaluated here
TAKEOVER_TIMEOUT = 120
COPY = "Cool Copy"
UNIFY_TITLE = r"^Use one curve for all fans\?$"
OPTION_ROLES = ("list item", "menu item")


class FanCurves(bd.AppTest):
    arguments = ("-InitialSection", "curves")
    pinned_celsius = PINNED

    # The tests build on one another (the active copy, its right fan's edit) and run in name
    # order.

    @property
    def window(self):
        return bd.wait_until(lambda: (bd.windows(self.app, MAIN_TITLE) or [None])[0],
                             "the main window")

    def preset_file(self):
        files = glob.glob(os.path.join(self.desktop.tmp, "user", "**", "presets.json"),
                          recursive=True)
        if not files:
            return None
        with open(files[0], "rb") as handle:
            return handle.read()

    def curves(self):
        """The copy's curves, one [(tempC, percent)] per fan."""
        preset = next(p for p in json.loads(self.preset_file() or b"[]") if p["name"] == COPY)
        return [[(pt["tempC"], pt["percent"]) for pt in c["points"]] for c in preset["curves"]]

    def centre(self, accessible):
        extents = accessible.queryComponent().getExtents(0)
        return extents.x + extents.width // 2, extents.y + extents.height // 2

    def handle(self, number):
        return bd.find(self.window, roles=("push button",), name=rf"^Point {number}$")

    def fan_picker(self):
        return bd.find(self.window, roles=("combo box",), name=r"^Fan$")

    def choose(self, picker, name):
        bd.press(bd.find(self.window, roles=("combo box",), name=rf"^{picker}$"))
        bd.press(bd.find(self.app, roles=OPTION_ROLES, name=rf"^{name}$"))

    def choose_fan(self, name):
        self.choose("Fan", name)

    def picker_shows(self, name):
        return bd.wait_until(lambda: self.fan_picker().description == name,
                             f"the fan picker showing {name!r}")

    def expected_targets(self, curves):
        return [round(f["min"] + (f["max"] - f["min"]) * min(percent_at(c, PINNED), 100) / 100)
                for f, c in zip(self.fans(), curves)]

    def wait_for_targets(self, curves):
        targets = self.expected_targets(curves)
        bd.wait_until(lambda: [round(f["target"]) for f in self.fans()] == targets,
                      f"the daemon's targets {targets} at {PINNED} °C", TAKEOVER_TIMEOUT)
        return targets

    def test_1_the_right_fans_curve_alone_takes_a_drag(self):
        bd.press(bd.find(self.window, roles=("push button",), name=r"^Customize a Copy$"))
        bd.wait_until(lambda: self.preset_file(), "the copy stored")
        bd.press(pill(self.window, COPY))
        before = self.curves()
        self.assertEqual(len(before), 2)
        self.assertEqual(before[0], before[1])
        self.picker_shows("All fans")  # the copy's fans share one curve
        self.wait_for_targets(before)

        self.choose_fan("Right fan")
        self.picker_shows("Right fan")
        # The plot's scale from points 1 and 3, then point 4 (64 °C, 49 %) dragged to 62 °C, 90 %.
        (x1, y1), (x3, y3) = self.centre(self.handle(1)), self.centre(self.handle(3))
        (t1, p1), (t3, p3) = before[1][0], before[1][2]
        goal = (round(x1 + (62 - t1) * (x3 - x1) / (t3 - t1)),
                round(y1 - (90 - p1) * (y1 - y3) / (p3 - p1)))
        x, y = self.centre(self.handle(4))
        xdo = self.desktop.xdotool
        xdo("mousemove", "--sync", x, y)
        xdo("mousedown", 1)
        for step in range(1, 9):
            xdo("mousemove", "--sync", x + (goal[0] - x) * step // 8, y + (goal[1] - y) * step // 8)
        xdo("mouseup", 1)

        curves = bd.wait_until(lambda: (lambda c: c if c[1] != before[1] else None)(self.curves()),
                               "the right fan's dragged point stored")
        self.assertEqual(curves[0], before[0], "the left fan's curve is untouched")
        t, p = curves[1][3]
        self.assertLessEqual(abs(t - 62), 1)
        self.assertLessEqual(abs(p - 90), 1)
        self.assertEqual(curves[1][:3] + curves[1][4:], before[1][:3] + before[1][4:])
        left, right = self.wait_for_targets(curves)
        self.assertGreater(right, left, "the right fan follows its steeper curve")

    def test_2_all_fans_asks_and_writes_nothing_before_the_answer(self):
        differing = self.preset_file()
        shown = self.curves()[1]
        self.choose_fan("All fans")
        dialog = bd.find(self.app, roles=("dialog",), name=UNIFY_TITLE)
        self.assertEqual(self.preset_file(), differing)
        bd.press(bd.find(dialog, roles=("push button",), name=r"^Cancel$"))
        bd.wait_until(lambda: not bd.find_all(self.app, roles=("dialog",), name=UNIFY_TITLE),
                      "the question gone")
        self.picker_shows("Right fan")
        self.assertEqual(self.preset_file(), differing)

        self.choose_fan("All fans")
        dialog = bd.find(self.app, roles=("dialog",), name=UNIFY_TITLE)
        self.assertEqual(self.preset_file(), differing)
        bd.press(bd.find(dialog, roles=("push button",), name=r"^Use for All Fans$"))
        bd.wait_until(lambda: self.curves() == [shown, shown], "every fan on the shown curve")
        self.picker_shows("All fans")
        self.wait_for_targets([shown, shown])

    def test_3_follows_stores_the_presets_own_source(self):
        def source():
            preset = next(p for p in json.loads(self.preset_file()) if p["name"] == COPY)
            return preset.get("temperatureSource")

        self.assertIsNone(source(), "a copy follows the app's setting")
        self.choose("Follows", "GPU average")
        bd.wait_until(lambda: source() == "gpu", "the GPU stored as the source")
        self.choose("Follows", "App setting")
        bd.wait_until(lambda: source() is None, "the key gone with the app's setting")


if __name__ == "__main__":
    bd.main()
