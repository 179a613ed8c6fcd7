#!/usr/bin/python3
"""The menu-bar panel of the real Brisvane, on Xvfb with trayer as the tray host, against a
virtual Mac with the helper installed and the temperature pinned at 55 °C: the tray icon opens
it, its chips and boost slider drive the daemon, Quit hands the fans back, and without a helper
it shows the hint that leads to the main window.

Usage: test_menu_bar.py BUILD_DIR (run by ctest, label "desktop").
"""

import os
import re
import sys
import unittest

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import brisvane_desktop as bd  # noqa: E402

BUILD_DIR = "build"
ARTIFACTS = os.path.join(BUILD_DIR, "desktop-tests", "menu_bar")
PINNED_CELSIUS = 55
PANEL = r"^Brisvane Menu$"
MAIN_TITLE = r"^Brisvane$"
TEMPERATURE = re.compile(r"^(CPU|GPU), (-?[\d,]+(?:\.\d)?) °C$")
FAN_SPEED = re.compile(r"^(.+), ([\d,]+) rpm$")
AUTOMATIC_MODE = 0  # the SMC's fan mode while macOS drives the fan


def number(spoken):
    return float(spoken.replace(",", ""))


class MenuBar(unittest.TestCase):
    # Numbered: they share one app in this order; the last ones quit it and start it again.
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
        failures = len(result.failures) + len(result.errors) if result else 0
        outcome = super().run(result)
        if result and len(result.failures) + len(result.errors) > failures:
            path = self.desktop.screenshot(self.id().rsplit(".", 1)[-1])
            print(f"\nscreenshot: {path}\napp log:\n{self.desktop.app_log()[-3000:]}",
                  file=sys.stderr)
        return outcome

    # ------------------------------------------------------------------------------------------

    def panel(self):
        return bd.wait_until(lambda: next((w for w in bd.windows(self.app, PANEL)
                                           if bd.is_showing(w)), None), "the panel on screen")

    def open_panel(self):
        if not self.desktop.visible_windows(PANEL):
            icon = bd.wait_until(lambda: (self.desktop.tray_icons() or [None])[0],
                                 "the tray icon in trayer")
            x, y, width, height = self.desktop.window_geometry(icon)
            self.desktop.click(x + width // 2, y + height // 2)
        return self.panel()

    def button(self, name):
        return bd.find(self.open_panel(), roles=("push button",), name=f"^{name}$")

    def slider(self):
        return bd.find(self.open_panel(), roles=("slider",))

    def fans(self):
        return self.desktop.vsmc("status")["fans"]

    def panel_matches_status(self):
        temperatures, fans = {}, []
        for node in bd.find_all(self.panel(), roles=("label", "static text")):
            name = node.name or ""
            if m := TEMPERATURE.match(name):
                temperatures[m.group(1)] = number(m.group(2))
            elif m := FAN_SPEED.match(name):
                fans.append((m.group(1), number(m.group(2))))
        status = self.desktop.vsmc("status")
        hottest = round(status["hottest"], 1)
        if temperatures != {"CPU": hottest, "GPU": hottest} or len(fans) != len(status["fans"]):
            return None
        for (_, shown), fan in zip(fans, status["fans"]):
            if abs(shown - fan["actual"]) > 0.02 * fan["max"]:
                return None
        return fans

    def test_1_tray_click_opens_the_panel_with_the_readings_of_the_virtual_smc(self):
        self.open_panel()
        fans = bd.wait_until(self.panel_matches_status, "the panel's readings to match the SMC")
        self.assertEqual([name for name, _ in fans], ["Left fan", "Right fan"])

    def test_2_full_speed_chip_runs_the_fans_at_their_maximum(self):
        bd.press(self.button("Full Speed"))
        bd.wait_until(lambda: all(f["target"] >= f["max"] - 1 for f in self.fans()),
                      "every fan's target at its maximum")

    def test_3_boost_at_50_under_automatic_raises_the_targets_to_half_the_range(self):
        bd.press(self.button("Automatic"))
        value = self.slider().queryValue()
        self.assertEqual((value.minimumValue, value.maximumValue, value.minimumIncrement),
                         (0, 100, 5))
        bd.set_value(self.slider(), 50)
        bd.wait_until(lambda: all(f["mode"] != AUTOMATIC_MODE and
                                  f["target"] >= f["min"] + 0.5 * (f["max"] - f["min"]) - 1
                                  for f in self.fans()),
                      "every fan's target at half its range or more")
        self.assertEqual(bd.value(self.slider()), 50)

    def test_4_boost_back_at_0_gives_the_fans_back_to_macos(self):
        bd.set_value(self.slider(), 0)
        bd.wait_until(lambda: all(f["mode"] == AUTOMATIC_MODE for f in self.fans()),
                      "every fan back in automatic mode")

    def test_5_quit_ends_the_app_and_the_fans_go_back(self):
        bd.press(self.button("Full Speed"))
        bd.wait_until(lambda: all(f["mode"] != AUTOMATIC_MODE for f in self.fans()),
                      "the fans under the app's control")
        bd.press(self.button("Quit"))
        bd.wait_until(lambda: self.desktop.app.poll() is not None, "the app to end")
        self.assertEqual(self.desktop.app.returncode, 0)
        self.assertTrue(all(f["mode"] == AUTOMATIC_MODE for f in self.fans()), self.fans())

    def test_6_without_the_helper_the_hint_leads_to_the_main_window(self):
        self.desktop._run("uninstall-helper",
                          [os.path.join(self.desktop.bin, "Brisvane"), "--uninstall-helper"])
        self.desktop.start_app("--panel")
        self.__class__.app = bd.application()
        bd.find(self.panel(), roles=("label", "static text"), name="^Helper Not Installed$")
        # Opened at launch, before the tray took the icon in: still under the icon.
        icon_x, icon_y, icon_width, icon_height = self.desktop.window_geometry(
            self.desktop.tray_icons()[0])
        panel_x, panel_y, panel_width, _ = self.desktop.window_geometry(
            self.desktop.visible_windows(PANEL)[0])
        self.assertTrue(panel_x <= icon_x + icon_width // 2 <= panel_x + panel_width)
        self.assertGreaterEqual(panel_y, icon_y + icon_height)
        self.assertFalse(bd.find_all(self.panel(), roles=("push button",), name="^Full Speed$"))
        window = bd.wait_until(lambda: (self.desktop.visible_windows(MAIN_TITLE) or [None])[0],
                               "the main window on screen")
        self.desktop.close_window(window)
        bd.wait_until(lambda: not self.desktop.visible_windows(MAIN_TITLE),
                      "the main window to be hidden")
        bd.press(bd.find(self.open_panel(), roles=("push button",), name="^Open Settings$"))
        bd.wait_until(lambda: self.desktop.visible_windows(MAIN_TITLE),
                      "the main window back on screen")
        bd.wait_until(lambda: not self.desktop.visible_windows(PANEL), "the panel to close")


if __name__ == "__main__":
    if len(sys.argv) > 1 and not sys.argv[1].startswith("-"):
        BUILD_DIR = sys.argv.pop(1)
        ARTIFACTS = os.path.join(BUILD_DIR, "desktop-tests", "menu_bar")
    unittest.main(verbosity=2)
