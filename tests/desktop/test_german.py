#!/usr/bin/python3
"""Brisvane in German (-AppleLanguages "(de)"), against a virtual Mac pinned at 48.5 °C: the
readings use German numbers ("2.400 U/min", "48,5 °C"), and the pills, the menu-bar panel and
the settings are found and pressed by their German names.

Usage: test_german.py BUILD_DIR (run by ctest, label "desktop")."""

import os
import re
import sys

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import brisvane_desktop as bd  # noqa: E402
from brisvane_desktop import AUTOMATIC_MODE, MAIN_TITLE  # noqa: E402

FAN_SPEED = re.compile(r"^(Linker|Rechter) Lüfter, (\d{1,3}(?:\.\d{3})*) U/min$")
AVERAGE = re.compile(r"^CPU-Durchschnitt, (\d+,\d) °C")
SEGMENT_ROLES = bd.SEGMENT_ROLES


class InGerman(bd.AppTest):
    # Numbered: they share one app in this order.
    arguments = ("-AppleLanguages", "(de)")
    panel_title = r"^Brisvane-Menü$"
    pinned_celsius = 48.5

    def main_window(self):
        return bd.wait_until(lambda: (bd.windows(self.app, MAIN_TITLE) or [None])[0],
                             "the main window")

    def test_1_the_dashboard_reads_in_german_numbers(self):
        def readings():
            names = [n.name for n in bd.find_all(self.main_window(),
                                                 roles=("label", "static text", "progress bar"))]
            fans = [m for m in map(FAN_SPEED.match, names) if m]
            average = next((m for m in map(AVERAGE.match, names) if m), None)
            return (fans, average) if len(fans) == 2 and average else None

        fans, average = bd.wait_until(readings, "German fan speeds and temperatures")
        self.assertEqual(average.group(1), "48,5")
        actual = sorted(f["actual"] for f in self.fans())
        shown = sorted(int(m.group(2).replace(".", "")) for m in fans)
        for value, fan in zip(shown, actual):
            self.assertLess(abs(value - fan), 200, (shown, actual))
        # Every fan of the two-fan laptop turns faster than 999 rpm: a grouping dot shows.
        self.assertTrue(all("." in m.group(2) for m in fans), [m.group(0) for m in fans])

    def test_2_the_pills_take_the_fans_over_and_hand_them_back(self):
        bd.press(bd.find(self.main_window(), roles=("push button",), name=r"^Volle Leistung$"))
        self.wait_for_fans(lambda f: f["mode"] == 1 and f["target"] >= f["max"],
                           "every fan in manual mode at its maximum", 120)
        bd.find(self.app, roles=("label", "static text"), name=r"^Alle Lüfter auf Maximum$",
                timeout=120)
        bd.press(bd.find(self.main_window(), roles=("push button",), name=r"^Automatisch$"))
        self.wait_for_fans(lambda f: f["mode"] == AUTOMATIC_MODE, "mode 0 on every fan")

    def test_3_the_panel_switches_presets_by_their_german_names(self):
        panel = self.open_panel()
        bd.find(panel, roles=("push button",), name=r"^Beenden$")
        bd.find(panel, roles=("label", "static text", "progress bar"), name=FAN_SPEED.pattern)
        bd.press(bd.find(panel, roles=("push button",), name=r"^Kühl$"))
        bd.find(self.app, roles=("label", "static text"),
                name=r"^Leise im Leerlauf, kräftiger bei Wärme$")
        # The pills wait for the takeover to end: press until the fans are handed back.
        automatic = bd.find(self.main_window(), roles=("push button",), name=r"^Automatisch$")
        bd.wait_until(lambda: bd.press(automatic) and all(
            f["mode"] == AUTOMATIC_MODE for f in self.fans()), "mode 0 on every fan", 120)

    def test_4_the_settings_are_pressed_by_their_german_names(self):
        bd.press(bd.find(self.main_window(), roles=SEGMENT_ROLES, name=r"^Einstellungen$"))
        bd.find(self.main_window(), roles=("label", "static text"),
                name=r"^Hilfsprogramm installiert$")
        bd.press(bd.find(self.main_window(), roles=("combo box",), name=r"^Temperaturquelle$"))
        bd.press(bd.find(self.app, roles=("list item", "menu item"), name=r"^Heißester Kern$"))
        defaults = os.path.join(self.desktop.env["XDG_CONFIG_HOME"], "brisvane.org",
                                "Brisvane.conf")

        def stored():
            with open(defaults) as text:
                return "fanBoostTemperatureSource=hottestCore" in text.read()

        bd.wait_until(stored, "hottestCore in the user defaults")
        entry = os.path.join(self.desktop.env["XDG_CONFIG_HOME"], "autostart",
                             "org.brisvane.Brisvane.desktop")
        bd.press(bd.find(self.main_window(), roles=("check box", "toggle button"),
                         name=r"^Bei der Anmeldung öffnen$"))
        bd.wait_until(lambda: os.path.exists(entry), "the autostart entry")


if __name__ == "__main__":
    bd.main()
