#!/usr/bin/env python3
"""Cuts the two weights of Noto Sans CJK SC down to the Chinese characters of the
program's own texts, as "Plovane Sans CJK SC" Regular and Bold.

The full faces hold 65,000 glyphs each; drawing a day's advice from them maps some
twenty megabytes of the font files into the program. The cut faces are a few hundred
kilobytes. Text that is not the program's own (application names) still finds the full
faces through font fallback.

Usage: make_cjk_subset.py SOURCE_DIR OUT_DIR
Skips the work when OUT_DIR already holds faces made for the same characters.
"""
import os
import struct
import subprocess
import sys
import tempfile

FAMILY = "Plovane Sans CJK SC"
FILE_STEM = "PlovaneSansCJK"
SOURCES = {
    "Regular": "/usr/share/fonts/opentype/noto/NotoSansCJK-Regular.ttc",
    "Bold": "/usr/share/fonts/opentype/noto/NotoSansCJK-Bold.ttc",
}
SOURCE_FAMILY = "Noto Sans CJK SC"
# Dates come from the locale, not from our sources: "2026年12月7日 星期一".
LOCALE_TEXT = "年月日星期一二三四五六"
# Copyright, trademark, maker, designer, their addresses, the licence and its address:
# kept from the original, so the cut faces carry their licence with them.
KEPT_NAME_IDS = (0, 7, 8, 9, 11, 12, 13, 14)


def is_cjk(c):
    o = ord(c)
    return (0x2E80 <= o <= 0x9FFF or 0xF900 <= o <= 0xFAFF or 0xFE30 <= o <= 0xFE4F or
            0xFF00 <= o <= 0xFFEF or 0x20000 <= o <= 0x3FFFF)


def wanted_characters(source_dir):
    chars = set(LOCALE_TEXT)
    for root, _, files in os.walk(source_dir):
        for name in files:
            if name.endswith((".cpp", ".h")):
                with open(os.path.join(root, name), encoding="utf-8", errors="replace") as f:
                    chars.update(c for c in f.read() if is_cjk(c))
    return "".join(sorted(chars))


def tables_of(data, offset):
    count = struct.unpack(">H", data[offset + 4:offset + 6])[0]
    out = {}
    for i in range(count):
        tag, _, start, length = struct.unpack(">4sIII", data[offset + 12 + 16 * i:offset + 28 + 16 * i])
        out[tag] = data[start:start + length]
    return out


def names_of(name_table):
    _, count, strings = struct.unpack(">HHH", name_table[:6])
    for r in range(count):
        pid, eid, lid, nid, length, at = struct.unpack(">HHHHHH", name_table[6 + 12 * r:18 + 12 * r])
        yield pid, eid, lid, nid, name_table[strings + at:strings + at + length]


def face_index(path, family):
    """The index of `family` among the faces of a font collection."""
    data = open(path, "rb").read()
    count = struct.unpack(">I", data[8:12])[0]
    offsets = struct.unpack(">%dI" % count, data[12:12 + 4 * count])
    for index, offset in enumerate(offsets):
        for pid, _, lid, nid, text in names_of(tables_of(data, offset)[b"name"]):
            if pid == 3 and lid == 0x409 and nid == 1 and text.decode("utf-16-be") == family:
                return index
    raise SystemExit(f"cjk font: no face '{family}' in {path}")


def checksum(data):
    data += b"\0" * (-len(data) % 4)
    return sum(struct.unpack(">%dI" % (len(data) // 4), data)) & 0xFFFFFFFF


def renamed(data, style):
    """The font with a family name of its own, so it never stands in for the full face."""
    flavor = struct.unpack(">I", data[:4])[0]
    tables = tables_of(data, 0)
    records = [r for r in names_of(tables[b"name"]) if r[0] == 3 and r[3] in KEPT_NAME_IDS]
    postscript = (FAMILY + "-" + style).replace(" ", "")
    for nid, text in ((1, FAMILY), (2, style), (3, postscript), (4, FAMILY + " " + style), (6, postscript)):
        records.append((3, 1, 0x409, nid, text.encode("utf-16-be")))
    records.sort()
    heads, strings = b"", b""
    for pid, eid, lid, nid, text in records:
        heads += struct.pack(">HHHHHH", pid, eid, lid, nid, len(text), len(strings))
        strings += text
    tables[b"name"] = struct.pack(">HHH", 0, len(records), 6 + 12 * len(records)) + heads + strings

    tags = sorted(tables)
    search = 1 << (len(tags).bit_length() - 1)
    out = bytearray(struct.pack(">IHHHH", flavor, len(tags), search * 16, search.bit_length() - 1,
                                (len(tags) - search) * 16))
    body, head_at = bytearray(), None
    start = 12 + 16 * len(tags)
    for tag in tags:
        table = tables[tag]
        if tag == b"head":  # its checksum adjustment is worked out over the whole file
            table = table[:8] + b"\0\0\0\0" + table[12:]
            head_at = start + len(body)
        out += struct.pack(">4sIII", tag, checksum(table), start + len(body), len(table))
        body += table + b"\0" * (-len(table) % 4)
    out += body
    out[head_at + 8:head_at + 12] = struct.pack(">I", (0xB1B0AFBA - checksum(bytes(out))) & 0xFFFFFFFF)
    return bytes(out)


def main():
    if len(sys.argv) != 3:
        raise SystemExit(__doc__)
    source_dir, out_dir = sys.argv[1], sys.argv[2]
    chars = wanted_characters(source_dir)
    list_path = os.path.join(out_dir, FILE_STEM + ".chars")
    outputs = {style: os.path.join(out_dir, f"{FILE_STEM}-{style}.otf") for style in SOURCES}
    if all(os.path.isfile(p) for p in outputs.values()) and os.path.isfile(list_path):
        with open(list_path, encoding="utf-8") as f:
            if f.read() == chars:
                return
    print(f"cjk font: cutting {SOURCE_FAMILY} to {len(chars)} characters")
    os.makedirs(out_dir, exist_ok=True)
    with tempfile.TemporaryDirectory() as tmp:
        text_file = os.path.join(tmp, "chars.txt")
        with open(text_file, "w", encoding="utf-8") as f:
            f.write(chars)
        for style, source in SOURCES.items():
            cut = os.path.join(tmp, style + ".otf")
            subprocess.run(["hb-subset", f"--font-file={source}", f"--face-index={face_index(source, SOURCE_FAMILY)}",
                            f"--text-file={text_file}", "--name-IDs=*", f"--output-file={cut}"], check=True)
            with open(cut, "rb") as f:
                data = renamed(f.read(), style)
            with open(outputs[style] + ".tmp", "wb") as f:
                f.write(data)
            os.replace(outputs[style] + ".tmp", outputs[style])
    with open(list_path, "w", encoding="utf-8") as f:
        f.write(chars)


if __name__ == "__main__":
    main()
