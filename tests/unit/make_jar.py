#!/usr/bin/env python3
# Writes a zip for the jar-reading tests: make_jar.py OUT stored|deflated COMMENT NAME TEXT [NAME TEXT]...
# A TEXT of "@path" stands for that file's bytes; "%pattern WxH" for a PNG of
# the splash tests' pattern (tests/support/splash_pictures.h) of that size.
import os
import struct
import sys
import zipfile
import zlib


def pattern_png(width, height):
    rows = []
    for y in range(height):
        row = bytearray(b"\0")
        for x in range(width):
            row += bytes((x & 0xFF, y & 0xFF, (x >> 8) << 4 | (y >> 8)))
        rows.append(bytes(row))

    def chunk(kind, data):
        return struct.pack(">I", len(data)) + kind + data + struct.pack(">I", zlib.crc32(kind + data))

    header = struct.pack(">IIBBBBB", width, height, 8, 2, 0, 0, 0)
    return (b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", header) + chunk(b"IDAT", zlib.compress(b"".join(rows)))
            + chunk(b"IEND", b""))


def content(text):
    if text.startswith("@"):
        with open(text[1:], "rb") as source:
            return source.read()
    if text.startswith("%pattern "):
        width, height = text.split()[1].split("x")
        return pattern_png(int(width), int(height))
    return os.fsencode(text)


out, method, comment = sys.argv[1:4]
compression = zipfile.ZIP_STORED if method == "stored" else zipfile.ZIP_DEFLATED
with zipfile.ZipFile(out, "w", compression) as jar:
    jar.comment = os.fsencode(comment)
    entries = sys.argv[4:]
    for name, text in zip(entries[::2], entries[1::2]):
        jar.writestr(name, content(text))
