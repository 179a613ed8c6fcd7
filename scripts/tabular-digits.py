#!/usr/bin/python3
"""Writes a copy of an OpenType font whose plain digits are its tabular ones.

Qt 6.4 cannot turn on a font feature, so readouts that change (speeds, temperatures, the boost
percent) would shift width with every new value. The copy maps 0-9 straight to the glyphs the
font's own 'tnum' feature substitutes and takes a family name of its own, so it never shadows
the installed font.

usage: tabular-digits.py SOURCE.otf TARGET.otf FAMILY
"""
import sys

from fontTools.ttLib import TTFont

DIGITS = [ord(c) for c in "0123456789"]


def tabular_substitutes(font):
    """The single substitutions of the font's 'tnum' feature: glyph name to glyph name."""
    gsub = font["GSUB"].table if "GSUB" in font else None
    if gsub is None or gsub.FeatureList is None:
        return {}
    mapping = {}
    for record in gsub.FeatureList.FeatureRecord:
        if record.FeatureTag != "tnum":
            continue
        for index in record.Feature.LookupListIndex:
            lookup = gsub.LookupList.Lookup[index]
            subtables = lookup.SubTable
            if lookup.LookupType == 7:  # extension: the real subtables sit one level down
                subtables = [s.ExtSubTable for s in subtables]
            for subtable in subtables:
                if getattr(subtable, "mapping", None):
                    mapping.update(subtable.mapping)
    return mapping


def rename(font, family):
    """Puts the new family where the old one stands in every name; the styles stay."""
    names = font["name"]
    old = names.getDebugName(16) or names.getDebugName(1)

    def renamed(text):
        return family + text[len(old):] if text.startswith(old) else text

    def postscript(text):  # PostScript names have no spaces
        squeezed = old.replace(" ", "")
        return family.replace(" ", "") + text[len(squeezed):] if text.startswith(squeezed) else text

    for record in names.names:
        if record.nameID in (1, 4, 16, 21):
            record.string = renamed(record.toUnicode())
        elif record.nameID in (3, 6):
            record.string = postscript(record.toUnicode())
    if "CFF " in font:
        cff = font["CFF "].cff
        cff.fontNames = [postscript(n) for n in cff.fontNames]
        top = cff.topDictIndex[0]
        for key in ("FamilyName", "FullName"):
            if hasattr(top, key):
                setattr(top, key, renamed(getattr(top, key)))


def main(source, target, family):
    font = TTFont(source)
    substitutes = tabular_substitutes(font)
    best = font.getBestCmap()
    missing = [chr(c) for c in DIGITS if best.get(c) not in substitutes]
    if missing:
        sys.exit(f"{source}: no tabular form for {''.join(missing)}")
    tabular = {code: substitutes[best[code]] for code in DIGITS}
    # A tabular digit or two may sit a few units off the others' width (Inter's four does):
    # give all ten the widest advance, outlines and side bearings left as drawn.
    metrics = font["hmtx"].metrics
    width = max(metrics[glyph][0] for glyph in tabular.values())
    for glyph in tabular.values():
        metrics[glyph] = (width, metrics[glyph][1])
    for table in font["cmap"].tables:
        if table.isUnicode():
            table.cmap.update({c: g for c, g in tabular.items() if c in table.cmap})
    rename(font, family)
    font.save(target)


if __name__ == "__main__":
    if len(sys.argv) != 4:
        sys.exit(__doc__.strip().splitlines()[-1])
    main(*sys.argv[1:])
