#!/usr/bin/env python3
"""Writes a version resource whose Translation value holds a single 16-bit
word, less than one entry. Resource compilers refuse to write one, so the
bytes are laid out here: make_short_translation.py OUT.bin"""
import struct
import sys


def node(key, value=b"", value_length=0, text=False, children=b""):
    """One version-resource node: header, key, padding, value, children."""
    body = key.encode("utf-16-le") + b"\0\0"
    head_len = 6 + len(body)
    pad = (4 - head_len % 4) % 4
    data = body + b"\0" * pad + value
    pad2 = (4 - (6 + len(data)) % 4) % 4
    data += b"\0" * pad2 + children
    return struct.pack("<HHH", 6 + len(data), value_length, 1 if text else 0) + data


def string(name, text):
    value = text.encode("utf-16-le") + b"\0\0"
    return node(name, value, len(text) + 1, text=True)


fixed = struct.pack("<13I", 0xFEEF04BD, 0x00010000, 0x00010000, 0, 0x00010000, 0, 0x3F, 0,
                    0x00040004, 1, 0, 0, 0)
strings = node("StringFileInfo", text=True,
               children=node("040904e4", text=True,
                             children=string("ProductVersion", "swept")))
var = node("VarFileInfo", text=True,
           children=node("Translation", struct.pack("<H", 0x0409), 2))
root = node("VS_VERSION_INFO", fixed, len(fixed), children=strings + var)
with open(sys.argv[1], "wb") as f:
    f.write(root)
