#!/usr/bin/python3
"""The main window's header on the real Brisvane: the preset pills take the virtual Mac's fans
over and hand them back, the caption says when the helper is missing or the firmware refused,
"InitialSection" picks the section it opens with, and the window's height follows the section.

Usage: test_main_window.py BUILD_DIR CASE (run by ctest, label "desktop")."""

import os
import sys

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import brisvane_desktop as bd  # noqa: E402
from brisvane_desktop import AUTOMATIC_MODE, MAIN_TITLE, checked  # noqa: E402

SEGMENT_ROLES = bd.SEGMENT_ROLES
READOUT = dict(roles=("label", "static text", "progress bar"), name=r" rpm$")
TAKEOVER_TIMEOUT = 120  # the firmware's takeover deadline comes on top of the usual waiting


class HeaderTest(bd.AppTest):
    def pill(self, name):
        # Within the main window: the menu-bar panel has chips of the same names.
        window = bd.wait_until(lambda: (bd.windows(self.app, MAIN_TITLE) or [None])[0],
                               "the main window")
        return bd.find(window, roles=("push button",), name=rf"^{name}$")

    def caption(self, name, timeout=bd.DEFAULT_TIMEOUT):
        return bd.find(self.app, roles=("label", "static text"), name=name, timeout=timeout)

    def usable(self, accessible):
        """The states a screen reader reads as "can be used": enabled and sensitive."""
        states = accessible.getState()
        atspi = bd._pyatspi()
        return [states.contains(atspi.STATE_ENABLED), states.contains(atspi.STATE_SENSITIVE)]


class WithHelper(HeaderTest):
    def test_the_pills_are_usable_and_give_no_reason_against(self):
        for name in ("Automatic", "Full Speed", "Cool"):
            pill = self.pill(name)
            bd.wait_until(lambda: self.usable(pill) == [True, True], f"{name} usable")
            self.assertEqual(pill.description, "")

    def test_full_speed_takes_the_fans_to_their_maximum_and_automatic_hands_them_back(self):
        bd.press(self.pill("Full Speed"))
        self.wait_for_fans(lambda f: f["mode"] == 1 and f["target"] >= f["max"],
                           "every fan in manual mode at its maximum", TAKEOVER_TIMEOUT)
        # A fan can be driven before the takeover is done, and the pills wait for its end.
        self.caption(r"^Every fan at maximum$", timeout=TAKEOVER_TIMEOUT)
        bd.press(self.pill("Automatic"))
        bd.wait_until(lambda: self.desktop.vsmc("status")["ftst"] in (0, None) and all(
            f["mode"] == AUTOMATIC_MODE for f in self.fans()), "mode 0 on every fan and Ftst 0")
        self.caption(r"macOS")

    def test_the_height_follows_the_section(self):
        window = self.visible_main_window()
        bd.find(self.app, **READOUT)  # the dashboard's readings, taller than a placeholder
        dashboard = bd.wait_until(lambda: self.desktop.window_geometry(window)[3],
                                  "the window's height")
        # The curves: far shorter than the dashboard, whose height the screen may cap.
        bd.press(bd.find(self.app, roles=SEGMENT_ROLES, name=r"^Curves$"))
        bd.wait_until(lambda: self.desktop.window_geometry(window)[3] < dashboard,
                      "the window to shrink to the curves' height")
        bd.press(bd.find(self.app, roles=SEGMENT_ROLES, name=r"^Dashboard$"))
        bd.wait_until(lambda: self.desktop.window_geometry(window)[3] == dashboard,
                      "the window back at the dashboard's height")


class WithoutHelper(HeaderTest):
    install_helper = False

    def test_the_pills_say_they_cannot_be_used_and_why(self):
        reason = self.caption(r"^Install the helper").name
        for name in ("Automatic", "Full Speed", "Cool"):
            pill = self.pill(name)
            self.assertEqual(self.usable(pill), [False, False], name)
            self.assertEqual(pill.description, reason, name)
        more = bd.find_all(self.app, roles=("push button",), name=r"^More Presets$")
        for button in more:
            self.assertEqual(self.usable(button), [False, False])

    def test_the_caption_says_the_helper_is_missing_and_a_pill_changes_nothing(self):
        self.caption(r"^Install the helper")
        # Pressed all the same, as a screen reader may: a disabled pill does nothing.
        bd.press(self.pill("Full Speed"))
        bd.press(self.pill("Cool"))
        self.caption(r"^Install the helper")
        self.assertFalse(checked(self.pill("Full Speed")))
        self.assertFalse(checked(self.pill("Cool")))


class StubbornFirmware(HeaderTest):
    profile = "stubborn-firmware"

    def test_the_caption_warns_once_the_takeover_fails_and_the_pills_stay_usable(self):
        bd.press(self.pill("Full Speed"))
        self.caption(r"did not accept manual control", timeout=TAKEOVER_TIMEOUT)
        bd.press(self.pill("Automatic"))
        bd.wait_until(lambda: checked(self.pill("Automatic")), "the automatic pill active")
        self.wait_for_fans(lambda f: f["mode"] == AUTOMATIC_MODE, "mode 0 on every fan")


class OpensWithSettings(HeaderTest):
    arguments = ("-InitialSection", "Settings")

    def test_initial_section_settings_opens_the_settings(self):
        bd.find(self.app, roles=("heading", "label", "static text"), name=r"^Helper$")
        self.assertEqual(bd.find_all(self.app, **READOUT), [])


if __name__ == "__main__":
    bd.main()
