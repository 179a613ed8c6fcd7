#!/usr/bin/python3
"""The alerts of the real Brisvane against a virtual Mac, with dunst as the desktop's
notification server: normal running tells nothing; a stalled fan and a die pinned above the
threshold are each told once, with the fan's name or the die's value, and show in the panel, on
the dashboard and in the tray's tooltip while they last; both clear when the cause goes, and
the views log no QML warnings on the way.

Usage: test_alerts.py BUILD_DIR (run by ctest, label "desktop").
"""

import os
import re
import sys
import time

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import brisvane_desktop as bd  # noqa: E402

THRESHOLD = 85
HOT = 91
STALLED = "Right fan is not spinning"
TOO_HOT = f"CPU at {HOT} °C"
# Normal running for this long tells nothing.
QUIET_SECONDS = 30


class Alerts(bd.AppTest):
    # Numbered: they share one app in this order.
    arguments = ("-temperatureAlertCelsius", str(THRESHOLD))

    @property
    def window(self):
        return bd.wait_until(lambda: (bd.windows(self.app, bd.MAIN_TITLE) or [None])[0],
                             "the main window")

    @staticmethod
    def shown(root, text):
        """The objects on screen under `root` that speak exactly `text`."""
        return bd.find_all(root, name=f"^{re.escape(text)}$")

    told = 0  # the server's id of the last notification a test has looked at

    def fresh(self):
        """The summaries of the notifications received since the last look."""
        new = [n for n in self.desktop.notifications() if n["id"] > Alerts.told]
        if new:
            Alerts.told = new[-1]["id"]
        return [n["summary"] for n in new]

    def tooltip(self):
        """The tray icon's tooltip, hovering it as a person would."""
        x, y, width, height = self.desktop.window_geometry(self.tray_icon())

        def after_hover():
            # The pointer must come in and then rest: Qt shows the tooltip after a pause.
            self.desktop.hover(0, 500)
            self.desktop.hover(x + width // 2, y + height // 2)
            try:
                return bd.wait_until(lambda: bd.find_all(self.app, roles=("tool tip",),
                                                         showing=False),
                                     "the tooltip", timeout=10)[0].name
            except bd.Timeout:
                return None

        text = bd.wait_until(after_hover, "the tray icon's tooltip")
        self.desktop.hover(0, 500)
        return text

    def assert_everywhere(self, text):
        """`text` told once as a notification from Brisvane, and shown as a row in the panel, a
        badge on the dashboard and a line of the tooltip."""
        told = bd.wait_until(self.fresh, f"a notification {text!r}")
        bd.wait_until(lambda: self.shown(self.window, text), f"the dashboard's badge {text!r}")
        bd.wait_until(lambda: self.shown(self.open_panel(), text), f"the panel's row {text!r}")
        bd.wait_until(lambda: text in self.tooltip().split("\n"), f"{text!r} in the tooltip")
        self.assertEqual(told + self.fresh(), [text], "told once, and nothing else")
        last = self.desktop.notifications()[-1]
        self.assertEqual((last["appname"], os.path.basename(last["icon_path"])),
                         ("Brisvane", "org.brisvane.Brisvane.svg"))

    def assert_gone(self, text):
        bd.wait_until(lambda: not self.shown(self.open_panel(), text),
                      f"the panel's row {text!r} to go")
        bd.wait_until(lambda: not self.shown(self.window, text),
                      f"the dashboard's badge {text!r} to go")
        bd.wait_until(lambda: text not in self.tooltip().split("\n"),
                      f"{text!r} to leave the tooltip")

    def test_1_normal_running_tells_nothing(self):
        started = time.monotonic()
        bd.find(self.window, roles=("label", "static text"), name=r"^Right fan, [\d,]+ rpm$")
        time.sleep(max(0.0, QUIET_SECONDS - (time.monotonic() - started)))
        self.assertEqual(self.desktop.notifications(), [])
        self.assertEqual(bd.find_all(self.open_panel(), name=r"not spinning| at \d+ °C$"), [])
        self.assertEqual(len(self.tooltip().split("\n")), 2, "the readings only")

    def test_2_a_stalled_fan_is_told_by_its_name_until_it_spins_again(self):
        # Under Full Speed every fan is asked to turn: a parked fan would tell nothing.
        bd.press(bd.find(self.open_panel(), roles=("push button",), name="^Full Speed$"))
        self.wait_for_fans(lambda f: f["target"] >= f["max"] - 1, "every target at its maximum")
        self.desktop.vsmc("fan", "1", "stall")
        self.assert_everywhere(STALLED)
        # The left fan, still turning, has no badge.
        self.assertEqual(self.shown(self.window, "Left fan is not spinning"), [])
        self.desktop.vsmc("fan", "1", "spin")
        self.assert_gone(STALLED)
        self.assertEqual(self.fresh(), [], "recovery tells nothing")

    def test_3_a_die_above_the_threshold_is_told_with_its_value(self):
        self.desktop.vsmc("temp", str(HOT))
        self.assert_everywhere(TOO_HOT)
        self.desktop.vsmc("temp", "auto")
        self.assert_gone(TOO_HOT)
        self.assertEqual(self.fresh(), [])

    def test_4_the_views_warned_of_nothing(self):
        # A view that follows a closed panel's null state, or a badge that feeds its card's size
        # back, shows up here first.
        self.assertEqual([line for line in self.desktop.app_log().splitlines()
                          if line.startswith("qrc:/")], [])


if __name__ == "__main__":
    bd.main()
