#!/usr/bin/python3
"""The settings on the real Brisvane over a virtual Mac that starts without the helper: a
cancelled administrator dialog shows its error, an install brings the daemon up and its version
into About, an uninstall removes it and the menu-bar panel says so, the temperature source
reaches the user defaults, and launch at login writes and removes the autostart entry.

Usage: test_settings.py BUILD_DIR (run by ctest, label "desktop")."""

import os
import sys

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import brisvane_desktop as bd  # noqa: E402
from brisvane_desktop import MAIN_TITLE  # noqa: E402

TEXT = ("label", "static text")
LABEL = "org.brisvane.Brisvane.helper"
INSTALL_TIMEOUT = 90  # osascript, launchctl and the daemon's start on a loaded machine


class Settings(bd.AppTest):
    install_helper = False
    arguments = ("-InitialSection", "settings")
    # The first run's administrator dialog is cancelled.
    app_env = {"BRISVANE_SIM_ADMIN": "cancel"}

    def main_window(self):
        return bd.wait_until(lambda: (bd.windows(self.app, MAIN_TITLE) or [None])[0],
                             "the main window")

    def in_window(self, roles, name, timeout=bd.DEFAULT_TIMEOUT):
        return bd.find(self.main_window(), roles=roles, name=name, timeout=timeout)

    def gone(self, roles, name, what):
        bd.wait_until(lambda: not bd.find_all(self.main_window(), roles=roles, name=name), what)

    def user_path(self, *parts):
        return os.path.join(self.desktop.env["XDG_CONFIG_HOME"], *parts)

    @staticmethod
    def read(path):
        with open(path) as text:
            return text.read()

    def helper_files(self):
        return [os.path.join(self.desktop.root, "Library", "PrivilegedHelperTools", LABEL),
                os.path.join(self.desktop.root, "Library", "LaunchDaemons", LABEL + ".plist")]

    def test_1_cancelled_install_temperature_source_and_launch_at_login(self):
        self.in_window(TEXT, r"^Helper not installed$")
        bd.press(self.in_window(("push button",), r"^Install Helper$"))
        self.in_window(TEXT, r"User canceled\. \(-128\)$")
        self.in_window(TEXT, r"^Helper not installed$")
        self.assertFalse(any(os.path.exists(path) for path in self.helper_files()))

        bd.press(self.in_window(("combo box",), r"^Temperature source$"))
        bd.press(bd.find(self.app, roles=("list item", "menu item"), name=r"^Hottest core$"))
        defaults = self.user_path("brisvane.org", "Brisvane.conf")
        bd.wait_until(lambda: "fanBoostTemperatureSource=hottestCore" in self.read(defaults),
                      "hottestCore in the user defaults")

        entry = self.user_path("autostart", "org.brisvane.Brisvane.desktop")
        switch = self.in_window(("check box", "toggle button"), r"^Launch at login$")
        bd.press(switch)
        bd.wait_until(lambda: os.path.exists(entry), "the autostart entry")
        self.assertIn(f'Exec="{os.path.join(self.desktop.bin, "Brisvane")}"\n', self.read(entry))
        bd.wait_until(lambda: bd.checked(switch), "the switch on")
        bd.press(switch)
        bd.wait_until(lambda: not os.path.exists(entry), "the autostart entry removed")
        bd.wait_until(lambda: not bd.checked(switch), "the switch off")

    def test_2_install_then_uninstall(self):
        self.desktop.quit_app()
        self.desktop.start_app(*self.arguments)
        self.__class__.app = bd.application()
        bd.press(self.in_window(("push button",), r"^Install Helper$"))
        self.in_window(TEXT, r"^Helper installed$", timeout=INSTALL_TIMEOUT)
        self.assertTrue(all(os.path.exists(path) for path in self.helper_files()))
        # The version comes from the daemon's own status: it answers.
        self.in_window(TEXT, r"^Helper version, 1\.0\.2$", timeout=INSTALL_TIMEOUT)

        bd.press(self.in_window(("push button",), r"^Uninstall$"))
        self.in_window(TEXT, r"^Helper not installed$", timeout=INSTALL_TIMEOUT)
        self.assertFalse(any(os.path.exists(path) for path in self.helper_files()))
        self.gone(TEXT, r"^Helper version", "the helper version row to go")

        # The panel's hint leads back here from another section.
        bd.press(bd.find(self.main_window(), roles=("page tab", "push button", "radio button"),
                         name=r"^Dashboard$"))
        self.gone(TEXT, r"^Helper not installed$", "the dashboard in place of the settings")
        panel = self.open_panel()
        bd.find(panel, roles=TEXT, name=r"^Helper Not Installed$")
        bd.press(bd.find(panel, roles=("push button",), name=r"^Open Settings$"))
        self.in_window(TEXT, r"^Helper not installed$")


if __name__ == "__main__":
    bd.main()
