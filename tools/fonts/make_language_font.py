#!/usr/bin/python3
"""Cuts the few CJK characters that the English tables show out of WenQuanYi Micro Hei.

With table 1 or 3 active, the only CJK text on screen is the caption naming table 2 ("简体中文"). Drawing
it from the system's CJK font maps nearly 3 MB of that font into the program at every start; a font of
just those glyphs, embedded and named "KRM Language Names", draws the same caption from a few KB. Table 2
itself keeps using the system font (its FontName), whole.

Run after a change to tools/lang/texts.txt (Debian: python3-fonttools, fonts-wqy-microhei):
    tools/fonts/make_language_font.py
It writes resources/fonts/LanguageNames.ttf (the font's licence: Apache-2.0, see packaging/debian/copyright).
"""
import os
import sys

from fontTools import subset
from fontTools.ttLib import TTFont

HERE = os.path.dirname(os.path.abspath(__file__))
ROOT = os.path.dirname(os.path.dirname(HERE))
SOURCE = "/usr/share/fonts/truetype/wqy/wqy-microhei.ttc"
OUT = os.path.join(ROOT, "resources", "fonts", "LanguageNames.ttf")
FAMILY = "KRM Language Names"


def english_table_characters():
    """Every character outside Latin-1 in the texts of tables 1 and 3."""
    chars = set()
    with open(os.path.join(ROOT, "tools", "lang", "texts.txt"), encoding="utf-8") as f:
        for line in f:
            line = line.rstrip("\n")
            if not line.strip() or line.startswith("#"):
                continue
            cells = [c.strip() for c in line.split("|")]
            first = cells[1] if len(cells) > 1 else ""
            third = cells[3] if len(cells) > 3 else first
            for text in (first, first if third == "=" else third):
                chars.update(ch for ch in text if ord(ch) > 0xFF)
    return "".join(sorted(chars))


def main():
    text = english_table_characters()
    if not text:
        sys.exit("no characters beyond Latin-1 in tables 1 and 3: no font needed")
    font = TTFont(SOURCE, fontNumber=0, recalcTimestamp=False)
    options = subset.Options()
    options.layout_features = ["*"]
    options.name_IDs = [0, 1, 2, 3, 4, 5, 6, 13, 14]
    options.notdef_outline = True
    subsetter = subset.Subsetter(options)
    subsetter.populate(text=text)
    subsetter.subset(font)
    for record in font["name"].names:
        if record.nameID in (1, 4, 16):
            record.string = FAMILY
        elif record.nameID == 6:
            record.string = FAMILY.replace(" ", "")
        elif record.nameID == 3:
            record.string = FAMILY + " (subset of WenQuanYi Micro Hei)"
    os.makedirs(os.path.dirname(OUT), exist_ok=True)
    font.save(OUT)
    print(f"{OUT}: {len(text)} characters ({text}), {os.path.getsize(OUT)} bytes")


if __name__ == "__main__":
    main()
