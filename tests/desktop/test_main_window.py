#!/usr/bin/python3
"""The main window's header on the real Brisvane, on Xvfb, driven through the accessibility tree:
the preset pills take the virtual Mac's fans over and hand them back, the caption says when the
helper is missing or the firmware refused, "InitialSection" picks the section it opens with, and
the window's height follows the section.

Usage: test_main_window.py BUILD_DIR [CASE] (run by ctest, label "desktop", one case per
process: a process stays on the accessibility bus it first talked to).
"""

import os
import sys
import unittest

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import brisvane_desktop as bd  # noqa: E402

BUILD_DIR = "build"
MAIN_TITLE = r"^Brisvane$"
PILL_ROLES = ("push button",)
SEGMENT_ROLES = ("page tab", "push button", "toggle button", "radio button")
HEADING_ROLES = ("heading", "label", "static text")
# The firmware's takeover deadline comes on top of the usual waiting.
TAKEOVER_TIMEOUT = 120


def artifacts(name):
    return os.path.join(BUILD_DIR, "desktop-tests", name)


def checked(accessible):
    return accessible.getState().contains(bd._pyatspi().STATE_CHECKED)


class HeaderTest(unittest.TestCase):
    profile = "two-fan-laptop"
    install_helper = True
    arguments = ()

    @classmethod
    def setUpClass(cls):
        cls.desktop = bd.Desktop(BUILD_DIR, artifacts(cls.__name__), profile=cls.profile,
                                 install_helper=cls.install_helper).start()
        try:
            cls.desktop.start_app(*cls.arguments)
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

    def pill(self, name):
        # Within the main window: the menu-bar panel has chips of the same names.
        window = bd.wait_until(lambda: (bd.windows(self.app, MAIN_TITLE) or [None])[0],
                               "the main window")
        return bd.find(window, roles=PILL_ROLES, name=rf"^{name}$")

    def caption(self, name, timeout=bd.DEFAULT_TIMEOUT):
        return bd.find(self.app, roles=("label", "static text"), name=name, timeout=timeout)

    def fans(self):
        return self.desktop.vsmc("status")["fans"]


class WithHelper(HeaderTest):
    def test_full_speed_takes_the_fans_to_their_maximum_and_automatic_hands_them_back(self):
        bd.press(self.pill("Full Speed"))
        bd.wait_until(lambda: all(f["mode"] == 1 and f["target"] >= f["max"] for f in self.fans()),
                      "every fan in manual mode at its maximum", timeout=TAKEOVER_TIMEOUT)
        # A fan can be driven before the takeover is done, and the pills wait for its end.
        self.caption(r"^Every fan at maximum$", timeout=TAKEOVER_TIMEOUT)

        bd.press(self.pill("Automatic"))

        def handed_back():
            status = self.desktop.vsmc("status")
            return status["ftst"] in (0, None) and all(f["mode"] == 0 for f in status["fans"])

        bd.wait_until(handed_back, "mode 0 on every fan and Ftst 0")
        self.caption(r"macOS")

    def test_the_height_follows_the_section(self):
        window = bd.wait_until(lambda: (self.desktop.visible_windows(MAIN_TITLE) or [None])[0],
                               "the main window on screen")
        # The dashboard's readings are taller than a section's placeholder.
        bd.find(self.app, roles=("label", "static text", "progress bar"), name=r" rpm$")
        dashboard = bd.wait_until(lambda: self.desktop.window_geometry(window)[3],
                                  "the window's height")
        bd.press(bd.find(self.app, roles=SEGMENT_ROLES, name=r"^Settings$"))
        bd.wait_until(lambda: self.desktop.window_geometry(window)[3] < dashboard,
                      "the window to shrink to the settings' height")
        bd.press(bd.find(self.app, roles=SEGMENT_ROLES, name=r"^Dashboard$"))
        bd.wait_until(lambda: self.desktop.window_geometry(window)[3] == dashboard,
                      "the window back at the dashboard's height")


class WithoutHelper(HeaderTest):
    install_helper = False

    def test_the_caption_says_the_helper_is_missing_and_a_pill_changes_nothing(self):
        self.caption(r"^Install the helper")
        # Qt 6.4 tells assistive technology neither that a Quick control is disabled nor that
        # a disabled one is checked, so the pills are judged by what they do: nothing.
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
        # Still usable: the automatic pill hands the fans back.
        bd.press(self.pill("Automatic"))
        bd.wait_until(lambda: checked(self.pill("Automatic")), "the automatic pill active")
        bd.wait_until(lambda: all(f["mode"] == 0 for f in self.fans()), "mode 0 on every fan")


class OpensWithSettings(HeaderTest):
    arguments = ("-InitialSection", "Settings")

    def test_initial_section_settings_opens_the_settings(self):
        bd.find(self.app, roles=HEADING_ROLES, name=r"^Settings$")
        self.assertEqual(bd.find_all(self.app, roles=("label", "static text", "progress bar"),
                                     name=r" rpm$"), [])


if __name__ == "__main__":
    if len(sys.argv) > 1 and not sys.argv[1].startswith("-"):
        BUILD_DIR = sys.argv.pop(1)
    unittest.main(verbosity=2)
