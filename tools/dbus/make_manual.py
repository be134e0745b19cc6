#!/usr/bin/env python3
"""Writes the manual page krmconfig-dbus(7) from the bus interfaces' descriptions (their XML files are
the one source: every property, method, argument and signal, and the comment before it).

    make_manual.py OUT.7 INTERFACE.xml ...
"""
import re
import sys
import xml.etree.ElementTree as ET


def roff(text):
    text = text.replace("\\", "\\\\").replace("-", "\\-")
    return "\n".join(("\\&" + line if line.startswith((".", "'")) else line) for line in text.split("\n"))


def comments_before(source):
    """Maps the line number of each element start tag to the comment just before it."""
    found = {}
    pending = None
    for number, line in enumerate(source.split("\n"), 1):
        stripped = line.strip()
        if stripped.startswith("<!--"):
            pending = []
        if pending is not None:
            pending.append(stripped)
            if stripped.endswith("-->"):
                found[number + 1] = re.sub(r"^<!--\s*|\s*-->$", "", " ".join(pending)).strip()
                pending = None
    return found


def describe(path, out):
    source = open(path, encoding="utf-8").read()
    notes = comments_before(source)
    header = re.search(r"<!--(.*?)-->", source.split("<node>")[0], re.S)
    root = ET.fromstring(source)
    # The line of each element's start tag, by order of appearance (both parsers keep document order).
    starts = []
    parser = ET.XMLPullParser(events=("start",))
    for number, line in enumerate(source.split("\n"), 1):
        parser.feed(line + "\n")
        for _, element in parser.read_events():
            starts.append(number)
    order = list(root.iter())
    where = {id(e): n for e, n in zip(order, starts)}

    for interface in root.iter("interface"):
        out.append(".SH INTERFACE " + interface.get("name"))
        if header:
            out.append(roff(" ".join(header.group(1).split())))
        for kind in ("property", "method", "signal"):
            items = interface.findall(kind)
            if not items:
                continue
            out.append(".SS " + {"property": "Properties", "method": "Methods", "signal": "Signals"}[kind])
            for item in items:
                if kind == "property":
                    head = "%s (%s, %s)" % (item.get("name"), item.get("type"), item.get("access"))
                else:
                    args = ["%s%s %s" % ("out " if a.get("direction") == "out" else "", a.get("type"), a.get("name"))
                            for a in item.findall("arg")]
                    head = "%s(%s)" % (item.get("name"), ", ".join(args))
                out.append(".TP")
                out.append(".B " + roff(head))
                note = notes.get(where.get(id(item)))
                out.append(roff(" ".join(note.split())) if note else "")


def main():
    target, sources = sys.argv[1], sys.argv[2:]
    out = [
        '.TH KRMCONFIG-DBUS 7 "" "krmconfig" "KRM mouse configurator"',
        ".SH NAME",
        "krmconfig\\-dbus \\- the KRM mice on the session bus",
        ".SH DESCRIPTION",
        roff("The program that owns the KRM mice of a session (krmconfig, its window or its background "
             "companion) holds the name io.krm.krmconfig on the session bus. Only it talks to those mice; "
             "every other program, krmctl included, asks it. A call to the name while no krmconfig runs "
             "starts krmconfig --background (D-Bus activation)."),
    ]
    for source in sources:
        describe(source, out)
    out += [".SH EXAMPLES",
            roff("busctl --user introspect io.krm.krmconfig /io/krm/krmconfig"),
            ".br",
            roff("busctl --user call io.krm.krmconfig /io/krm/krmconfig/mouse/simulated_2d1 io.krm.Mouse1 "
                 "SetDpi yq 2 1600"),
            ".SH SEE ALSO", "krmconfig(1), krmctl(1)"]
    with open(target, "w", encoding="utf-8") as f:
        f.write("\n".join(out) + "\n")


main()
