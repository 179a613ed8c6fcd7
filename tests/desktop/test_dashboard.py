#!/usr/bin/python3
"""The dashboard on the real Brisvane, on Xvfb, read through the accessibility tree: each fan's
gauge names the fan and a speed close to the virtual Mac's, both temperature cards and both
charts speak their readings; a fanless Mac gets the unsupported view, and a Mac without the
helper the banner.

Usage: test_dashboard.py BUILD_DIR [CASE] (run by ctest, label "desktop", one case per process).
"""

import os
import re
import sys

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import brisvane_desktop as bd  # noqa: E402

TEXT_ROLES = ("label", "static text")


class DashboardTest(bd.AppTest):
    @property
    def window(self):
        return bd.wait_until(lambda: (bd.windows(self.app, bd.MAIN_TITLE) or [None])[0],
                             "the main window")

    def text(self, name, roles=TEXT_ROLES):
        return bd.find(self.window, roles=roles, name=name)


class WithHelper(DashboardTest):
    def gauge_speeds(self):
        speeds = {}
        for node in bd.find_all(self.window, roles=TEXT_ROLES, name=r"^(Left|Right) fan, "):
            match = re.match(r"^(Left|Right) fan, ([\d,]+) rpm$", node.name)
            if match:
                speeds[match.group(1)] = int(match.group(2).replace(",", ""))
        return speeds

    def test_gauges_follow_the_virtual_macs_fans_and_the_cards_and_charts_speak(self):
        def close_to_the_smc():
            # Both read within one poll: the fans' speeds wander a little from sample to sample.
            actual = {"Left": None, "Right": None}
            for fan in self.desktop.vsmc("status")["fans"]:
                actual["Left" if fan["index"] == 0 else "Right"] = fan["actual"]
            shown = self.gauge_speeds()
            return len(shown) == 2 and all(
                abs(shown[side] - actual[side]) <= 0.05 * actual[side] for side in shown)

        bd.wait_until(close_to_the_smc, "each gauge within 5 % of its fan's actual speed")
        self.text(r"^CPU average, [\d.]+ °C, Hottest core: \d+ °C, Peak this session: [\d.]+ °C$")
        self.text(r"^GPU average, [\d.]+ °C, Hottest core: \d+ °C, Peak this session: [\d.]+ °C$")
        # The charts appear with the second sample.
        self.text(r"^Temperature history, .*: CPU max [\d.]+ °C, GPU max [\d.]+ °C$",
                  roles=("chart",))
        self.text(r"^Fan speed history, .*: Left fan, [\d,]+ rpm; Right fan, [\d,]+ rpm$",
                  roles=("chart",))
        self.assertEqual(bd.find_all(self.window, roles=TEXT_ROLES, name=r"helper isn’t"), [])


class Fanless(DashboardTest):
    profile = "fanless"

    def test_a_mac_without_fans_gets_the_unsupported_view(self):
        self.text(r"^No Fans Found")
        self.assertEqual(bd.find_all(self.window, roles=TEXT_ROLES, name=r" rpm$"), [])


class WithoutHelper(DashboardTest):
    install_helper = False

    def test_the_banner_says_the_helper_is_missing(self):
        self.text(r"^The helper isn’t installed")
        self.text(r"^Left fan, [\d,]+ rpm$")


if __name__ == "__main__":
    bd.main()
