#!/usr/bin/python3
"""The main window, the tray icon (found embedded in trayer, XEmbed) and the menu-bar panel of the
real Brisvane against a virtual Mac pinned at 55 °C: live readings, the tooltip, the panel's
chips, boost and Quit, and without a helper the hint that leads to the main window.

Usage: test_window_and_tray.py BUILD_DIR (run by ctest, label "desktop").
"""

import os
import re
import subprocess
import sys

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import brisvane_desktop as bd  # noqa: E402
from brisvane_desktop import AUTOMATIC_MODE, PANEL_TITLE  # noqa: E402

PINNED_CELSIUS = 55


class WindowTrayAndPanel(bd.AppTest):
    # Numbered: they share one app in this order; the last ones quit it and start it again.
    pinned_celsius = PINNED_CELSIUS

    def button(self, name):
        """The panel's button, once it can be used: while the helper takes control the controls
        are disabled, and a disabled button ignores a press."""
        button = bd.find(self.open_panel(), roles=("push button",), name=f"^{name}$")
        sensitive = bd._pyatspi().STATE_SENSITIVE
        bd.wait_until(lambda: button.getState().contains(sensitive), f"{name} to be usable")
        return button

    def slider(self):
        return bd.find(self.open_panel(), roles=("slider",))

    def test_1_main_window_shows_the_live_readings_of_the_virtual_smc(self):
        fans = bd.wait_until(lambda: self.readings_match_status(self.app),
                             "the readings to match the virtual SMC's status")
        self.assertEqual(self.desktop.vsmc("status")["hottest"], PINNED_CELSIUS)
        # The two-fan laptop's fans by the names the whole app gives them, in SMC order.
        self.assertEqual([name for name, _ in fans], ["Left fan", "Right fan"], fans)

    def test_2_tray_icon_tooltip_shows_the_temperature(self):
        x, y, width, height = self.desktop.window_geometry(self.tray_icon())
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

    def test_2b_tray_icon_shows_the_temperature_large(self):
        # trayer gives a square icon: the temperature alone fills it, not two lines squeezed in.
        icon = self.tray_icon()
        _, _, width, height = self.desktop.window_geometry(icon)
        self.assertLess(width, 2 * height, "trayer gave the icon width")
        path = os.path.join(self.desktop.artifacts, "tray-icon.png")

        def ink_height():
            subprocess.run(["import", "-window", str(icon), path], env=self.desktop.env,
                           capture_output=True, timeout=30, check=True)
            # The box of what differs from the tray's background, as "WxH+X+Y".
            trimmed = subprocess.run(["convert", path, "-fuzz", "30%", "-trim", "-format", "%@",
                                      "info:"], capture_output=True, text=True, timeout=30)
            m = re.match(r"(\d+)x(\d+)", trimmed.stdout)
            return int(m.group(2)) if m and int(m.group(2)) >= 0.4 * side else None

        # Three characters across: the narrower side bounds them.
        side = min(width, height)
        bd.wait_until(ink_height, f"digits at least 40% of the {width}x{height} icon's side")

    def test_3_tray_icon_panel_brings_the_closed_main_window_back(self):
        self.hide_main_window()
        self.assertIsNone(self.desktop.app.poll(), "closing the window ended the app")
        bd.press(self.button("Open Brisvane"))
        self.visible_main_window()
        # Its content is live again, not a stale picture.
        bd.wait_until(lambda: self.readings_match_status(self.app),
                      "the readings after the window came back")

    def test_4_tray_click_opens_the_panel_with_the_readings_of_the_virtual_smc(self):
        self.open_panel()
        fans = bd.wait_until(lambda: self.readings_match_status(self.panel()),
                             "the panel's readings to match the SMC")
        self.assertEqual([name for name, _ in fans], ["Left fan", "Right fan"])

    def test_5_full_speed_chip_runs_the_fans_at_their_maximum(self):
        bd.press(self.button("Full Speed"))
        self.wait_for_fans(lambda f: f["target"] >= f["max"] - 1, "every target at its maximum")

    def test_6_boost_at_50_under_automatic_raises_the_targets_to_half_the_range(self):
        bd.press(self.button("Automatic"))
        value = self.slider().queryValue()
        self.assertEqual((value.minimumValue, value.maximumValue, value.minimumIncrement),
                         (0, 100, 5))
        bd.set_value(self.slider(), 50)
        self.wait_for_fans(lambda f: f["mode"] != AUTOMATIC_MODE
                           and f["target"] >= f["min"] + 0.5 * (f["max"] - f["min"]) - 1,
                           "every fan's target at half its range or more")
        self.assertEqual(bd.value(self.slider()), 50)

    def test_7_boost_back_at_0_gives_the_fans_back_to_macos(self):
        bd.set_value(self.slider(), 0)
        self.wait_for_fans(lambda f: f["mode"] == AUTOMATIC_MODE, "every fan back in automatic")

    def test_8_quit_ends_the_app_and_the_fans_go_back(self):
        bd.press(self.button("Full Speed"))
        self.wait_for_fans(lambda f: f["mode"] != AUTOMATIC_MODE, "the app driving the fans")
        bd.press(self.button("Quit"))
        bd.wait_until(lambda: self.desktop.app.poll() is not None, "the app to end")
        self.assertEqual(self.desktop.app.returncode, 0)
        self.assertTrue(all(f["mode"] == AUTOMATIC_MODE for f in self.fans()), self.fans())

    def test_9_without_the_helper_the_hint_leads_to_the_main_window(self):
        self.desktop._run("uninstall-helper",
                          [os.path.join(self.desktop.bin, "Brisvane"), "--uninstall-helper"])
        self.desktop.start_app("--panel")
        self.__class__.app = bd.application()
        bd.find(self.panel(), roles=("label", "static text"), name="^Helper Not Installed$")
        # Opened at launch, before the tray took the icon in: still under the icon.
        icon_x, icon_y, icon_width, icon_height = self.desktop.window_geometry(
            self.desktop.tray_icons()[0])
        panel_x, panel_y, panel_width, _ = self.desktop.window_geometry(
            self.desktop.visible_windows(PANEL_TITLE)[0])
        self.assertTrue(panel_x <= icon_x + icon_width // 2 <= panel_x + panel_width)
        self.assertGreaterEqual(panel_y, icon_y + icon_height)
        self.assertFalse(bd.find_all(self.panel(), roles=("push button",), name="^Full Speed$"))
        self.hide_main_window()
        bd.press(self.button("Open Settings"))
        self.visible_main_window()
        bd.wait_until(lambda: not self.desktop.visible_windows(PANEL_TITLE), "the panel to close")


if __name__ == "__main__":
    bd.main()
