#!/usr/bin/python3
"""The main window and the tray icon of the real Brisvane, on Xvfb with trayer as the tray host,
against a virtual Mac whose temperature is pinned at 55 °C.

The tray icon is found as an X window embedded in trayer (XEmbed): that is the path a desktop
without a StatusNotifier host takes, and the one trayer serves. Its tooltip is read through the
accessibility tree, where the tooltip Qt pops up under the pointer appears.

Usage: test_window_and_tray.py BUILD_DIR (run by ctest, label "desktop").
"""

import os
import re
import sys
import unittest

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import brisvane_desktop as bd  # noqa: E402

BUILD_DIR = "build"
ARTIFACTS = os.path.join(BUILD_DIR, "desktop-tests", "window_and_tray")
PINNED_CELSIUS = 55
MAIN_TITLE = r"^Brisvane$"
# The dashboard's temperature cards, which begin with their average.
TEMPERATURE = re.compile(r"^(CPU|GPU) average, (-?[\d,]+(?:\.\d)?) °C, ")
FAN_SPEED = re.compile(r"^(.+), ([\d,]+) rpm$")


def number(spoken):
    return float(spoken.replace(",", ""))


class WindowAndTray(unittest.TestCase):
    # Numbered: they share one app, and the last one closes and reopens its window.
    @classmethod
    def setUpClass(cls):
        cls.desktop = bd.Desktop(BUILD_DIR, ARTIFACTS).start()
        try:
            cls.desktop.vsmc("temp", str(PINNED_CELSIUS))
            cls.desktop.start_app()
            cls.app = bd.application()
        except BaseException:
            cls.desktop.stop()
            raise

    @classmethod
    def tearDownClass(cls):
        cls.desktop.quit_app()
        cls.desktop.stop()

    def run(self, result=None):
        # A picture of the screen for every failing test, next to the logs.
        failures = len(result.failures) + len(result.errors) if result else 0
        outcome = super().run(result)
        if result and len(result.failures) + len(result.errors) > failures:
            path = self.desktop.screenshot(self.id().rsplit(".", 1)[-1])
            print(f"\nscreenshot: {path}\napp log:\n{self.desktop.app_log()[-3000:]}",
                  file=sys.stderr)
        return outcome

    # ------------------------------------------------------------------------------------------

    def readings(self):
        """{caption: °C} and [(fan name, rpm)] as the main window tells assistive technology."""
        temperatures, fans = {}, []
        for node in bd.find_all(self.app, roles=("label", "static text", "progress bar")):
            name = node.name or ""
            if m := TEMPERATURE.match(name):
                temperatures[m.group(1)] = number(m.group(2))
            elif m := FAN_SPEED.match(name):
                fans.append((m.group(1), number(m.group(2))))
        return temperatures, fans

    def readings_match_status(self):
        temperatures, fans = self.readings()
        status = self.desktop.vsmc("status")
        # A pinned temperature is what every sensor of the virtual SMC reads.
        hottest = round(status["hottest"], 1)
        if temperatures != {"CPU": hottest, "GPU": hottest}:
            return None
        if len(fans) != len(status["fans"]):
            return None
        # The app shows its last sample (every 2 s) while the fans may still be settling.
        for (_, shown), fan in zip(fans, status["fans"]):
            if abs(shown - fan["actual"]) > 0.02 * fan["max"]:
                return None
        return temperatures, fans, status

    def test_1_main_window_shows_the_live_readings_of_the_virtual_smc(self):
        temperatures, fans, status = bd.wait_until(
            self.readings_match_status, "the readings to match the virtual SMC's status")
        self.assertEqual(temperatures["CPU"], PINNED_CELSIUS)
        # The two-fan laptop's fans by the names the whole app gives them, in SMC order.
        self.assertEqual([name for name, _ in fans], ["Left fan", "Right fan"], fans)

    def tray_icon(self):
        return bd.wait_until(lambda: (self.desktop.tray_icons() or [None])[0],
                             "the tray icon in trayer")

    def test_2_tray_icon_tooltip_shows_the_temperature(self):
        icon = self.tray_icon()
        x, y, width, height = self.desktop.window_geometry(icon)
        self.assertGreater(width * height, 0)
        expected = re.compile(rf"\b{PINNED_CELSIUS}°")

        def tooltip_after_hover():
            # The pointer must come in and then rest: Qt shows the tooltip after a pause.
            self.desktop.hover(0, 500)
            self.desktop.hover(x + width // 2, y + height // 2)
            try:
                return bd.wait_until(lambda: bd.find_all(self.app, roles=("tool tip",),
                                                         name=expected, showing=False),
                                     "the tooltip", timeout=10)
            except bd.Timeout:
                return None

        bd.wait_until(tooltip_after_hover, f"a tooltip with {PINNED_CELSIUS}°")
        self.desktop.hover(0, 500)

    def test_3_tray_icon_panel_brings_the_closed_main_window_back(self):
        window = bd.wait_until(lambda: (self.desktop.visible_windows(MAIN_TITLE) or [None])[0],
                               "the main window on screen")
        self.desktop.close_window(window)
        bd.wait_until(lambda: not self.desktop.visible_windows(MAIN_TITLE),
                      "the main window to be hidden")
        self.assertIsNone(self.desktop.app.poll(), "closing the window ended the app")

        # The icon opens the menu-bar panel, whose "Open Brisvane" brings the window.
        icon = self.tray_icon()
        x, y, width, height = self.desktop.window_geometry(icon)
        self.desktop.click(x + width // 2, y + height // 2)
        panel = bd.wait_until(lambda: next((w for w in bd.windows(self.app, r"^Brisvane Menu$")
                                            if bd.is_showing(w)), None), "the menu-bar panel")
        bd.press(bd.find(panel, roles=("push button",), name="^Open Brisvane$"))
        bd.wait_until(lambda: self.desktop.visible_windows(MAIN_TITLE),
                      "the main window back on screen")
        # Its content is live again, not a stale picture.
        bd.wait_until(self.readings_match_status, "the readings after the window came back")


if __name__ == "__main__":
    if len(sys.argv) > 1 and not sys.argv[1].startswith("-"):
        BUILD_DIR = sys.argv.pop(1)
        ARTIFACTS = os.path.join(BUILD_DIR, "desktop-tests", "window_and_tray")
    unittest.main(verbosity=2)
