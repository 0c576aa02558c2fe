#!/usr/bin/env python3
"""Prints every dialog template of a compiled resource file (.res), one field per
column, a control a line, with predefined classes by name whether the template
names them by text or by ordinal: two files that print the same create the same
dialogs and controls.

    python3 tools/dialog_templates.py build/brindle.res
    x86_64-w64-mingw32-windres -I app app/brindle.rc -O res -o /tmp/a.res
"""
import struct
import sys

CLASSES = {0x80: "BUTTON", 0x81: "EDIT", 0x82: "STATIC", 0x83: "LISTBOX", 0x84: "SCROLLBAR", 0x85: "COMBOBOX"}


def sz_or_ord(data, at):
    """A name or ordinal field: (value, offset behind it)."""
    if struct.unpack_from("<H", data, at)[0] == 0xFFFF:
        return "#%d" % struct.unpack_from("<H", data, at + 2)[0], at + 4
    end = at
    while struct.unpack_from("<H", data, end)[0] != 0:
        end += 2
    return data[at:end].decode("utf-16-le"), end + 2


def align(at, to=4):
    return (at + to - 1) // to * to


def resources(data):
    at = 0
    while at < len(data):
        size, header = struct.unpack_from("<II", data, at)
        kind, p = sz_or_ord(data, at + 8)
        name, _ = sz_or_ord(data, p)
        yield kind, name, data[at + header:at + header + size]
        at = align(at + header + size)


def dialog(body):
    version, signature, help_id, ex_style, style, count, x, y, cx, cy = struct.unpack_from("<HHIIIHhhhh", body, 0)
    assert (version, signature) == (1, 0xFFFF), "an extended template"
    at = 26
    menu, at = sz_or_ord(body, at)
    cls, at = sz_or_ord(body, at)
    title, at = sz_or_ord(body, at)
    lines = ["dialog style %08X ex %08X help %d at %d %d %d %d menu %s class %s title %r"
             % (style, ex_style, help_id, x, y, cx, cy, menu, cls, title)]
    if style & 0x40:   # DS_SETFONT: point size, weight, italic, charset, face
        size, weight, italic, charset = struct.unpack_from("<HHBB", body, at)
        face, at = sz_or_ord(body, at + 6)
        lines.append("font %d %d %d %d %s" % (size, weight, italic, charset, face))
    for _ in range(count):
        at = align(at)
        help_id, ex_style, style, x, y, cx, cy, ident = struct.unpack_from("<IIIhhhhi", body, at)
        cls, at = sz_or_ord(body, at + 24)
        if cls.startswith("#"):
            cls = CLASSES.get(int(cls[1:]), cls)
        text, at = sz_or_ord(body, at)
        extra = struct.unpack_from("<H", body, at)[0]
        at += 2 + extra
        lines.append("control %d %s style %08X ex %08X help %d at %d %d %d %d text %r extra %d"
                     % (ident, cls.upper(), style, ex_style, help_id, x, y, cx, cy, text, extra))
    return lines


data = open(sys.argv[1], "rb").read()
for kind, name, body in resources(data):
    if kind == "#5":   # RT_DIALOG
        print("dialog %s" % name)
        print("\n".join("  " + line for line in dialog(body)))
