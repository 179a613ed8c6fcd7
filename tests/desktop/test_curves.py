#!/usr/bin/python3
"""The curve editor on the real Brisvane over the virtual Mac: "Customize a Copy" on Cool makes
an editable copy that is selected and not active; a real mouse drag of a point stores the point
for both fans and, with the preset active, changes the daemon's targets; a click on an empty
spot adds a point and a double click deletes it; a focused point moves with the arrow keys and
by a typed temperature, within the curve's limits; and the editor, made afresh each time it is
shown, edits the preset that is active when it appears.

Usage: test_curves.py BUILD_DIR CLASS (run by ctest, label "desktop", a process per class)."""

import glob
import json
import os
import sys

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import brisvane_desktop as bd  # noqa: E402
from brisvane_desktop import AUTOMATIC_MODE, MAIN_TITLE, SEGMENT_ROLES  # noqa: E402

PINNED = 60.0  # °C on every sensor: the curves are evaluated here
TAKEOVER_TIMEOUT = 120
COPY = "Cool Copy"


def percent_at(points, t):
    """The engine's curve evaluation."""
    if not points or t < points[0][0]:
        return 0.0
    if t >= points[-1][0]:
        return points[-1][1]
    for (t0, p0), (t1, p1) in zip(points, points[1:]):
        if t < t1:
            return p0 + (t - t0) / (t1 - t0) * (p1 - p0)
    return points[-1][1]


def pill(window, name):
    """The header's preset pill: above the editor's selector of the same name. Once usable: the
    pills wait while the helper takes control."""
    sensitive = bd._pyatspi().STATE_SENSITIVE

    def usable():
        buttons = bd.find_all(window, roles=("push button",), name=rf"^{name}$")
        top = min(buttons, key=lambda b: b.queryComponent().getExtents(0).y) if buttons else None
        return top if top and top.getState().contains(sensitive) else None
    return bd.wait_until(usable, f"the pill {name}, usable", TAKEOVER_TIMEOUT)


class CurveEditing(bd.AppTest):
    arguments = ("-InitialSection", "curves")
    pinned_celsius = PINNED

    # The tests build on one another (the copy, then its edits) and run in name order.

    @property
    def window(self):
        return bd.wait_until(lambda: (bd.windows(self.app, MAIN_TITLE) or [None])[0],
                             "the main window")

    def stored(self):
        """The user presets in the preset file, or [] before it is written."""
        files = glob.glob(os.path.join(self.desktop.tmp, "user", "**", "presets.json"),
                          recursive=True)
        if not files:
            return []
        with open(files[0]) as handle:
            return json.load(handle)

    def stored_curve(self):
        """The copy's curve as [(tempC, percent)], checked to be the same for both fans."""
        preset = next(p for p in self.stored() if p["name"] == COPY)
        curves = [[(pt["tempC"], pt["percent"]) for pt in c["points"]] for c in preset["curves"]]
        self.assertEqual(len(curves), 2)
        self.assertEqual(curves[0], curves[1], "one curve for both fans")
        return curves[0]

    def wait_for_curve(self, condition, what):
        return bd.wait_until(lambda: (lambda c: c if condition(c) else None)(self.stored_curve()),
                             what)

    def pill(self, name):
        return pill(self.window, name)

    def handle(self, number):
        return bd.find(self.window, roles=("push button",), name=rf"^Point {number}$")

    def centre(self, accessible):
        extents = accessible.queryComponent().getExtents(0)  # screen coordinates
        return extents.x + extents.width // 2, extents.y + extents.height // 2

    def plot_mapping(self, curve):
        """Screen position of (tempC, percent), from the handles of points 1 and 3."""
        (x1, y1), (x3, y3) = self.centre(self.handle(1)), self.centre(self.handle(3))
        (t1, p1), (t3, p3) = curve[0], curve[2]
        per_degree, per_percent = (x3 - x1) / (t3 - t1), (y1 - y3) / (p3 - p1)
        return lambda t, p: (round(x1 + (t - t1) * per_degree), round(y1 - (p - p1) * per_percent))

    def expected_targets(self, curve):
        percent = min(percent_at(curve, PINNED), 100)
        return [round(f["min"] + (f["max"] - f["min"]) * percent / 100) for f in self.fans()]

    def test_1_customize_makes_an_editable_copy_selected_and_not_active(self):
        bd.find(self.window, roles=("label", "static text"), name=r"“Cool” is a built-in")
        bd.press(bd.find(self.window, roles=("push button",), name=r"^Customize a Copy$"))
        bd.wait_until(lambda: [p["name"] for p in self.stored()] == [COPY], "the copy stored")
        self.assertEqual(self.stored_curve(),
                         [(30, 0), (45, 15), (55, 30), (64, 49), (72, 73), (80, 100)])
        self.assertFalse(self.stored()[0]["isBuiltIn"])
        bd.find(self.window, name=rf"^{COPY}$", roles=("push button", "push button menu"))
        bd.wait_until(lambda: not bd.find_all(self.window, name=r"is a built-in"),
                      "the built-in note gone")
        bd.find(self.window, roles=("text",), name=r"^Temperature")
        # Selected here, not activated: the fans stay with macOS.
        self.assertTrue(all(f["mode"] == AUTOMATIC_MODE for f in self.fans()))

    def test_2_a_drag_stores_the_point_for_both_fans_and_moves_the_targets(self):
        bd.press(self.pill(COPY))
        before = self.stored_curve()
        targets = self.expected_targets(before)
        self.wait_for_fans(lambda f: f["mode"] == 1, "the copy driving the fans", TAKEOVER_TIMEOUT)
        bd.wait_until(lambda: [round(f["target"]) for f in self.fans()] == targets,
                      f"the targets {targets} of the copy at {PINNED} °C")

        at = self.plot_mapping(before)
        x, y = self.centre(self.handle(4))  # (64, 49)
        goal = at(62, 90)
        xdo = self.desktop.xdotool
        xdo("mousemove", "--sync", x, y)
        xdo("mousedown", 1)
        for step in range(1, 9):
            xdo("mousemove", "--sync", x + (goal[0] - x) * step // 8, y + (goal[1] - y) * step // 8)
        xdo("mouseup", 1)

        curve = self.wait_for_curve(lambda c: c != before, "the dragged point stored")
        t, p = curve[3]
        self.assertLessEqual(abs(t - 62), 1)
        self.assertLessEqual(abs(p - 90), 1)
        self.assertEqual(curve[:3] + curve[4:], before[:3] + before[4:])
        moved = self.expected_targets(curve)
        self.assertTrue(all(new > old for new, old in zip(moved, targets)))
        bd.wait_until(lambda: [round(f["target"]) for f in self.fans()] == moved,
                      f"the daemon's targets at the new curve's {moved}")

    def test_3_a_click_adds_a_point_and_a_double_click_deletes_it(self):
        before = self.stored_curve()
        at = self.plot_mapping(before)
        self.desktop.click(*at(95, 40))
        curve = self.wait_for_curve(lambda c: len(c) == len(before) + 1, "the added point")
        t, p = curve[-1]
        self.assertLessEqual(abs(t - 95), 1)
        self.assertLessEqual(abs(p - 40), 1)

        # The new point springs up from the old line for half a second: a person double-clicks
        # it where it comes to rest.
        tx, ty = at(t, p)
        bd.wait_until(lambda: all(abs(a - b) <= 2 for a, b in
                                  zip(self.centre(self.handle(len(curve))), (tx, ty))),
                      "the added point at rest")
        x, y = self.centre(self.handle(len(curve)))
        self.desktop.xdotool("mousemove", "--sync", x, y, "click", "--repeat", 2, "--delay", 60, 1)
        self.wait_for_curve(lambda c: c == before, "the point deleted again")

    def test_4_a_focused_point_moves_by_keys_and_by_a_typed_temperature(self):
        self.desktop.click(*self.centre(self.handle(1)))  # (30, 0); its neighbour is at 45 °C
        steps = [("Right", (31, 0)), ("Right", (32, 0)), ("Right", (33, 0)),
                 ("Up", (33, 1)), ("Up", (33, 2))]
        for key, point in steps:
            self.desktop.xdotool("key", key)
            self.wait_for_curve(lambda c, point=point: c[0] == point, f"{key}: {point}")
        field = bd.find(self.window, roles=("text",), name=r"^Temperature")
        self.desktop.click(*self.centre(field))
        self.desktop.xdotool("key", "ctrl+a", "type", "--delay", 50, "70")
        self.desktop.xdotool("key", "Return")
        # 70 °C would pass the second point: the limits stop it 1 °C before.
        self.wait_for_curve(lambda c: c[0] == (44, 2), "the typed temperature clamped to 44 °C")
        bd.wait_until(lambda: field.queryText().getText(0, -1) == "44", "the field showing 44")


class CurvesAdoptTheActivePreset(bd.AppTest):
    arguments = ("-InitialSection", "curves")
    pinned_celsius = PINNED

    def test_coming_back_to_curves_edits_the_preset_chosen_meanwhile(self):
        window = bd.wait_until(lambda: (bd.windows(self.app, MAIN_TITLE) or [None])[0],
                               "the main window")

        def section(name):
            bd.press(bd.find(window, roles=SEGMENT_ROLES, name=rf"^{name}$"))

        bd.press(pill(window, "Cool"))
        section("Dashboard")
        section("Curves")
        bd.find(window, roles=("label", "static text"), name=r"“Cool” is a built-in")
        section("Dashboard")
        bd.press(pill(window, "Full Speed"))
        self.wait_for_fans(lambda f: f["target"] == f["max"], "every fan at its maximum",
                           TAKEOVER_TIMEOUT)
        section("Curves")
        bd.find(window, roles=("label", "static text"), name=r"“Full Speed” is a built-in")
        self.assertFalse(bd.find_all(window, roles=("label", "static text"),
                                     name=r"“Cool” is a built-in"))


if __name__ == "__main__":
    bd.main()
