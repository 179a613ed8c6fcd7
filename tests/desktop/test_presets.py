#!/usr/bin/python3
"""The presets screen on the real Brisvane over a virtual Mac: a card dragged with the pointer
reorders the header's pills and the stored order, which a restart keeps; a preset is created,
renamed and deleted through the dialogs, and deleting the active one hands the fans back.

Usage: test_presets.py BUILD_DIR (run by ctest, label "desktop")."""

import os
import re
import sys

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import brisvane_desktop as bd  # noqa: E402
from brisvane_desktop import AUTOMATIC_MODE, MAIN_TITLE, checked  # noqa: E402

BUTTON_ROLES = ("push button", "toggle button")
COOL_ID = "6E6C0001-0000-4000-8000-000000000001"
FULL_SPEED_ID = "6E6C0002-0000-4000-8000-000000000002"
TAKEOVER_TIMEOUT = 120  # the firmware's takeover deadline comes on top of the usual waiting
CARD_MIN_HEIGHT = 100  # a card, not the header's pill of the same name


class PresetsTest(bd.AppTest):
    arguments = ("-InitialSection", "presets")
    pinned_celsius = 70  # a new preset's curve asks for 37.5 % at 70 °C

    def main_window(self):
        return bd.wait_until(lambda: (bd.windows(self.app, MAIN_TITLE) or [None])[0],
                             "the main window")

    @staticmethod
    def extents(node):
        return node.queryComponent().getExtents(0)  # desktop coordinates: x, y, width, height

    def buttons(self, name=None):
        """[(node, extents)] of the main window's buttons, named like `name`."""
        found = []
        for node in bd.find_all(self.main_window(), roles=BUTTON_ROLES, name=name):
            box = self.extents(node)
            found.append((node, (box.x, box.y, box.width, box.height)))
        return found

    def card(self, name):
        return bd.wait_until(lambda: next((node for node, box in self.buttons(rf"^{name}$")
                                           if box[3] >= CARD_MIN_HEIGHT), None),
                             f"the card {name!r}")

    def centre(self, node):
        box = self.extents(node)
        return box.x + box.width // 2, box.y + box.height // 2

    def pill_order(self):
        pills = [(box[0], node.name) for node, box in self.buttons()
                 if box[3] < CARD_MIN_HEIGHT and box[1] < 120 and node.name]
        return [name for _, name in sorted(pills)
                if name not in ("Dashboard", "Curves", "Presets", "Settings")]

    def stored_order(self):
        path = os.path.join(self.desktop.env["XDG_CONFIG_HOME"], "brisvane.org", "Brisvane.conf")
        try:
            with open(path) as settings:
                for line in settings:
                    if line.startswith("presetSlotOrder="):
                        return [s.strip() for s in line.split("=", 1)[1].split(",")]
        except OSError:
            pass
        return None

    def drag(self, source, target):
        """A real pointer drag from one card's centre to another's."""
        (x0, y0), (x1, y1) = self.centre(source), self.centre(target)
        self.desktop.hover(x0, y0)
        self.desktop.xdotool("mousedown", 1)
        steps = 12
        for step in range(1, steps + 1):
            self.desktop.hover(x0 + (x1 - x0) * step // steps, y0 + (y1 - y0) * step // steps)
        self.desktop.xdotool("mouseup", 1)

    def test_a_dragged_card_reorders_the_pills_and_a_restart_keeps_the_order(self):
        expected = ["Cool", "Full Speed", "Automatic"]
        bd.wait_until(lambda: self.pill_order() == ["Automatic", "Cool", "Full Speed"],
                      "the pills in their first order")
        self.drag(self.card("Automatic"), self.card("Full Speed"))
        bd.wait_until(lambda: self.pill_order() == expected, f"the pills in the order {expected}")
        self.assertEqual(self.stored_order(), [COOL_ID, FULL_SPEED_ID, "automatic"])

        self.desktop.quit_app()
        self.desktop.start_app(*self.arguments)
        type(self).app = bd.application()
        bd.wait_until(lambda: self.pill_order() == expected, "the pills' order after a restart")
        cards = sorted((self.extents(self.card(name)).y, self.extents(self.card(name)).x, name)
                       for name in expected)
        self.assertEqual([name for _, _, name in cards], expected)

    def test_create_rename_activate_and_delete_through_the_dialogs(self):
        bd.press(self.card("New Preset"))
        dialog = bd.find(self.app, roles=("dialog",), name=r"^Rename Preset$")
        field = bd.find(dialog, roles=("text", "entry"), name=r"^Name$")
        # Typed over the selected "New Preset" (Qt 6.4 offers no editable text to AT-SPI).
        self.desktop.click(*self.centre(field))
        self.desktop.xdotool("key", "ctrl+a")
        self.desktop.xdotool("type", "--delay", 30, "   Desk  ")
        bd.wait_until(lambda: bd.find(dialog, roles=("text", "entry"), name=r"^Name$")
                      .queryText().getText(0, -1) == "   Desk  ", "the typed name in the field")
        bd.press(bd.find(dialog, roles=BUTTON_ROLES, name=r"^Rename$"))
        desk = self.card("Desk")
        bd.wait_until(lambda: self.desktop.stored_preset_names() == ["Desk"], "the trimmed name in the file")

        bd.press(desk)
        self.wait_for_fans(lambda f: f["mode"] == 1, "every fan driven by the new preset",
                           TAKEOVER_TIMEOUT)

        x, y = self.centre(desk)
        self.desktop.click(x, y, button=3)
        bd.press(bd.find(self.app, roles=("menu item",), name=r"^Delete…$"))
        dialog = bd.find(self.app, roles=("dialog",), name=r"^Delete “Desk”\?$")
        bd.press(bd.find(dialog, roles=BUTTON_ROLES, name=r"^Delete$"))
        self.wait_for_fans(lambda f: f["mode"] == AUTOMATIC_MODE, "mode 0 on every fan")
        bd.wait_until(lambda: self.desktop.vsmc("status")["ftst"] in (0, None), "Ftst 0")
        bd.wait_until(lambda: checked(self.card("Automatic")), "the automatic card active")
        self.assertEqual(self.desktop.stored_preset_names(), [])
        self.assertEqual(bd.find_all(self.main_window(), roles=BUTTON_ROLES,
                                     name=re.escape("Desk")), [])


if __name__ == "__main__":
    bd.main()
