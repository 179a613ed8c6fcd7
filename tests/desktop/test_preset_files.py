#!/usr/bin/python3
"""Presets as files on the real Brisvane over a virtual Mac: a card's "Export…" writes the preset
through Qt Quick's own file dialog (asking before it replaces a file), the new-preset card's
"Import…" reads it back as a new user preset with a numbered name, and a file that is no preset
is refused in a dialog that says why.

Usage: test_preset_files.py BUILD_DIR (run by ctest, label "desktop")."""

import json
import os
import re
import sys

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import brisvane_desktop as bd  # noqa: E402
from brisvane_desktop import MAIN_TITLE  # noqa: E402

BUTTON_ROLES = ("push button", "toggle button")
CARD_MIN_HEIGHT = 100  # a card, not the header's pill of the same name


class PresetFilesTest(bd.AppTest):
    arguments = ("-InitialSection", "presets")

    def main_window(self):
        return bd.wait_until(lambda: (bd.windows(self.app, MAIN_TITLE) or [None])[0],
                             "the main window")

    def card(self, name):
        def find():
            for node in bd.find_all(self.main_window(), roles=BUTTON_ROLES, name=rf"^{name}$"):
                if node.queryComponent().getExtents(0).height >= CARD_MIN_HEIGHT:
                    return node
            return None
        return bd.wait_until(find, f"the card {name!r}")

    def open_menu_of(self, card):
        box = card.queryComponent().getExtents(0)
        self.desktop.click(box.x + box.width // 2, box.y + box.height // 2, button=3)

    def file_dialog(self, title):
        return bd.find(self.app, roles=("dialog",), name=rf"^{title}$")

    def click_on(self, accessible):
        """The pointer's click: in Qt 6.4 a button answers an accessible press only through
        an Accessible.onPressAction handler, which ours have and Qt Quick's own file dialog's
        lack, so that dialog is driven as a user with a mouse drives it."""
        box = accessible.queryComponent().getExtents(0)
        self.desktop.click(box.x + box.width // 2, box.y + box.height // 2)

    def open_file(self, dialog, name):
        self.click_on(bd.find(dialog, name=rf"^{re.escape(name)}$"))
        self.click_on(bd.find(dialog, roles=BUTTON_ROLES, name=r"^Open$"))

    def export(self, name):
        """Exports the card's preset under the name the save dialog suggests."""
        self.open_menu_of(self.card(name))
        bd.press(bd.find(self.app, roles=("menu item",), name=r"^Export…$"))
        dialog = self.file_dialog("Export Preset")
        # Qt 6.4's own save dialog names its accept button "Open" as well.
        self.click_on(bd.find(dialog, roles=BUTTON_ROLES, name=r"^(Save|Open)$"))

    def test_export_then_import_through_the_file_dialogs(self):
        folder = self.desktop.env["HOME"]  # no documents folder there: the dialogs open here
        exported = os.path.join(folder, "Cool.json")

        # A file of the suggested name is replaced only when the user says so.
        kept = os.path.join(folder, "Full Speed.json")
        with open(kept, "w") as file:
            file.write("my notes")
        for answer in ("Cancel", "Replace"):
            self.export("Full Speed")
            question = bd.find(self.app, roles=("dialog",), name=r"^Replace “Full Speed\.json”\?$")
            bd.press(bd.find(question, roles=BUTTON_ROLES, name=rf"^{answer}$"))
            bd.wait_until(lambda: not bd.is_showing(question), f"the question gone after {answer}")
            with open(kept) as file:
                self.assertEqual(file.read() == "my notes", answer == "Cancel")
        with open(kept) as file:
            self.assertEqual(json.load(file)["name"], "Full Speed")

        self.export("Cool")
        bd.wait_until(lambda: os.path.exists(exported), f"the exported {exported}")
        with open(exported) as file:
            preset = json.load(file)
        self.assertEqual(preset["name"], "Cool")
        self.assertFalse(preset["isBuiltIn"])

        with open(os.path.join(folder, "broken.json"), "w") as file:
            file.write('{"name": "Broken"')

        self.open_menu_of(self.card("New Preset"))
        bd.press(bd.find(self.app, roles=("menu item",), name=r"^Import…$"))
        dialog = self.file_dialog("Import Presets")
        self.open_file(dialog, "Cool.json")
        self.card("Cool 2")
        bd.wait_until(lambda: self.desktop.stored_preset_names() == ["Cool 2"], "the import in the preset file")

        self.open_menu_of(self.card("New Preset"))
        bd.press(bd.find(self.app, roles=("menu item",), name=r"^Import…$"))
        dialog = self.file_dialog("Import Presets")
        self.open_file(dialog, "broken.json")
        error = bd.find(self.app, roles=("dialog",), name=r"^The presets could not be imported$")
        bd.find(error, name=r"^broken\.json: not JSON")
        bd.press(bd.find(error, roles=BUTTON_ROLES, name=r"^OK$"))
        self.assertEqual(self.desktop.stored_preset_names(), ["Cool 2"])


if __name__ == "__main__":
    bd.main()
