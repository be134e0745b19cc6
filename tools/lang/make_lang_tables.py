#!/usr/bin/env python3
"""Writes the language tables resources/lang/lang1.ini .. lang3.ini from texts.txt.

Each table is UTF-16LE with a byte-order mark and CR LF line ends: "[langN]" on the first line,
then one entry per line in double quotes ("Str210=Left Click"; a quote inside a text is doubled),
with a blank line between groups.

    make_lang_tables.py          write the three tables
    make_lang_tables.py --check  only compare; exit status 1 when a table differs from texts.txt
"""
import pathlib
import sys

HERE = pathlib.Path(__file__).resolve().parent
SOURCE = HERE / "texts.txt"
OUT_DIR = HERE.parent.parent / "resources" / "lang"
TABLES = 3
ABSENT = object()


def parse(text):
    """Returns a list of groups; a group is a list of (id, [text of table 1, 2, 3])."""
    groups, group, seen = [], [], set()
    for number, raw in enumerate(text.splitlines(), 1):
        line = raw.strip()
        if not line:
            if group:
                groups.append(group)
                group = []
            continue
        if line.startswith("#"):
            continue
        cells = [c.strip() for c in line.split("|")]
        key, values = cells[0], cells[1:]
        if len(values) == 1:
            values = values * TABLES
        if len(values) != TABLES or not key:
            sys.exit(f"{SOURCE.name}:{number}: expected 'id | text' or 'id | text1 | text2 | text3'")
        if key in seen:
            sys.exit(f"{SOURCE.name}:{number}: {key} appears twice")
        seen.add(key)
        texts = []
        for i, value in enumerate(values):
            if value == "=" and i > 0:
                texts.append(texts[0])
            elif value == "-":
                texts.append(ABSENT)
            elif value == "<empty>":
                texts.append("")
            else:
                texts.append(value)
        group.append((key, texts))
    if group:
        groups.append(group)
    return groups


def render(groups, table):
    lines = [f"[lang{table + 1}]", ""]
    for group in groups:
        entries = [(k, t[table]) for k, t in group if t[table] is not ABSENT]
        if not entries:
            continue
        for key, value in entries:
            lines.append('"' + f"{key}={value}".replace('"', '""') + '"')
        lines.append("")
    return b"\xff\xfe" + "\r\n".join(lines).encode("utf-16-le")


def main():
    check = "--check" in sys.argv[1:]
    groups = parse(SOURCE.read_text(encoding="utf-8"))
    stale = []
    for table in range(TABLES):
        path = OUT_DIR / f"lang{table + 1}.ini"
        data = render(groups, table)
        if check:
            if not path.exists() or path.read_bytes() != data:
                stale.append(path.name)
        else:
            path.parent.mkdir(parents=True, exist_ok=True)
            tmp = path.with_suffix(".tmp")
            tmp.write_bytes(data)
            tmp.replace(path)
    if stale:
        print("out of date, run tools/lang/make_lang_tables.py:", ", ".join(stale))
        return 1
    return 0


if __name__ == "__main__":
    sys.exit(main())
