#!/usr/bin/env python3
"""Reads a built-in database file on its own, from the file format alone, and prints its live
contents; the storage checks compare this with what the runtime itself reads.

Usage: tools/qvdb-dump.py FILE [--expect DUMP]

Prints "catalog NAME" for every live catalog entry in catalog order, then for every table
"table NAME" and one "row ID COLUMN:TYPE:VALUE ..." line per live row in tree order (integers in
decimal, other values as their stored bytes in hexadecimal). Along the way it checks the header,
page tags, used counts and entry lengths, that live rows are in key order under the key columns
that sys$fields gives, and that every blob's chunks can be gathered. With --expect it compares
its output with the file DUMP. Exits 1 on any fault.
"""

import argparse
import struct
import sys

PAGE = 8192
HEADER = 64
DATA = PAGE - 18
CATALOG_LEAF, TABLE_LEAF, BRANCH = 0xBEEF0002, 0xBEEF0003, 0x0001BEEF

# The sort weight of every byte of text keys, sixteen bytes a line.
COLLATION = bytes.fromhex("".join([
    "00 01 02 03 04 05 06 07 08 09 0a 0b 0c 0d 0e 0f",
    "10 11 12 13 14 15 16 17 18 19 1a 1b 1c 1d 1e 1f",
    "20 22 23 28 29 2a 2b 2c 2f 30 31 32 33 34 35 36",
    "37 38 39 3a 3b 3c 3d 3e 3f 40 41 42 43 44 45 46",
    "47 48 58 5a 5e 60 6a 6e 70 72 7d 7f 81 83 85 89",
    "99 9b 9d 9f a2 a4 ae b0 b2 b4 b8 ba bb bc bd be",
    "bf 4f 59 5c 5f 65 6b 6f 71 77 7e 80 82 84 87 90",
    "9a 9c 9e a0 a3 a9 af b1 b3 b5 b9 c0 c1 c2 c3 c4",
    "4c 4e 5b 61 86 8d a8 50 51 52 53 54 55 5d 66 67",
    "68 69 79 7a 7b 7c 88 91 92 93 94 95 aa ab ac ad",
    "c5 c6 c7 c8 c9 ca cb a1 cc cd ce cf d0 d1 56 8f",
    "d2 d3 d4 d5 d6 d7 d8 d9 da db dc dd de df 57 96",
    "e0 e1 e2 e3 e4 e5 e6 24 25 e7 21 4a 4d 8e 97 98",
    "e8 e9 26 27 2d 2e ea eb b6 b7 ec ed ee ef 6c 6d",
    "f0 f1 f2 f3 f4 4b 63 49 64 62 73 75 76 74 8a 8c",
    "f5 8b a5 a7 a6 78 f6 f7 f8 f9 fa fb fc fd fe ff",
]).replace(" ", ""))


class Damaged(Exception):
    pass


def widths(kind, data, at):
    fixed = {2: 2, 3: 4, 6: 4, 15: 4, 16: 4, 7: 8, 8: 6, 9: 6, 12: 1}
    if kind in fixed:
        return 0, fixed[kind]
    if kind in (5, 14):
        (n,) = struct.unpack_from(">I", data, at)
        return 4, n
    raise Damaged("unknown type %d" % kind)


def columns(row):
    """Yields (column, type, stored bytes) of a row."""
    at = 10
    while at < len(row):
        column, kind = row[at], row[at + 1]
        skip, width = widths(kind, row, at + 2)
        value = row[at + 2 + skip:at + 2 + skip + width]
        if at + 2 + skip + width > len(row):
            raise Damaged("value past the row")
        yield column, kind, value
        at += 2 + skip + width


def key_part(kind, value):
    if kind in (2, 3, 15, 16):
        return b"\x01" + bytes([value[0] ^ 0x80]) + value[1:]
    if kind in (6, 7):
        if value[0] & 0x80:
            return b"\x01" + bytes(b ^ 0xFF for b in value)
        return b"\x01" + bytes([value[0] ^ 0x80]) + value[1:]
    if kind in (5, 14):
        return b"\x01" + bytes(COLLATION[b] for b in value) + b"\x00"
    if kind in (8, 9, 12):
        return b"\x01" + value
    raise Damaged("no key rule for type %d" % kind)


def row_key(row, key_columns):
    if not key_columns:
        return row[6:10][::-1]
    values = {c: (k, v) for c, k, v in columns(row)}
    key = b""
    for column in key_columns:
        key += key_part(*values[column]) if column in values else b"\x00"
    return key


class Database:
    def __init__(self, data):
        self.data = data
        magic, version, counter, flag, next_id, root = struct.unpack_from(">6I", data, 0)
        if magic != 0xFEEDDBDB or version != 1:
            raise Damaged("not a database")
        if flag:
            raise Damaged("open flag set")
        self.catalog_root = root
        self.pages = (len(data) - HEADER) // PAGE

    def entries(self, number, tags, depth=0):
        """Leaf entries below page number, in tree order: (mark, bytes)."""
        if depth > 32 or number >= self.pages:
            raise Damaged("bad child page %d" % number)
        page = self.data[HEADER + number * PAGE:HEADER + (number + 1) * PAGE]
        tag, _, _, _, used = struct.unpack_from(">IIIIH", page, 0)
        if tag not in tags or used > DATA:
            raise Damaged("page %d: tag %x used %d" % (number, tag, used))
        at = 18
        while at < 18 + used:
            (length,) = struct.unpack_from(">H", page, at)
            if length < 6 or at + length > 18 + used:
                raise Damaged("page %d: entry length %d" % (number, length))
            entry = page[at:at + length]
            if tag == BRANCH:
                yield from self.entries(struct.unpack_from(">I", entry, 8)[0], tags, depth + 1)
            else:
                yield chr(entry[2]), entry
            at += length

    def catalog(self):
        names = []
        for mark, entry in self.entries(self.catalog_root, (CATALOG_LEAF, BRANCH)):
            if mark == "A":
                _, root, n = struct.unpack_from(">III", entry, 6)
                names.append((entry[18:18 + n].decode("latin-1"), root))
        return names

    def rows(self, root):
        return [e for mark, e in self.entries(root, (TABLE_LEAF, BRANCH)) if mark == "A"]


def key_columns(db, roots):
    keys = {"sys$tables": [1], "sys$fields": [0, 2], "sys$blob": []}
    for row in db.rows(roots["sys$fields"]):
        values = {c: v for c, k, v in columns(row)}
        if 5 in values:
            table = str(struct.unpack(">i", values[0])[0])
            position = struct.unpack(">h", values[5])[0]
            keys.setdefault(table, []).append((position, struct.unpack(">i", values[1])[0]))
    for table, parts in keys.items():
        if parts and isinstance(parts[0], tuple):
            keys[table] = [c for _, c in sorted(parts)]
    return keys


def read_blob(blobs, blob_id, seen):
    if blob_id in seen or blob_id not in blobs:
        raise Damaged("blob %d missing or looping" % blob_id)
    seen.add(blob_id)
    kind, payload = blobs[blob_id]
    if kind == 0:
        return payload
    return b"".join(read_blob(blobs, struct.unpack_from(">I", payload, i)[0], seen)
                    for i in range(0, len(payload), 8))


def dump(db):
    lines = []
    names = db.catalog()
    roots = dict(names)
    keys = key_columns(db, roots)
    lines += ["catalog " + name for name, _ in names]
    for name, root in names:
        lines.append("table " + name)
        previous = None
        for row in db.rows(root):
            if name in keys:
                key = row_key(row, keys[name])
                if previous is not None and key < previous:
                    raise Damaged("table %s: rows out of key order" % name)
                previous = key
            text = "row %d" % struct.unpack_from(">I", row, 6)[0]
            for column, kind, value in columns(row):
                if kind in (2, 3, 15, 16):
                    shown = str(struct.unpack(">h" if kind == 2 else ">i", value)[0])
                else:
                    shown = value.hex()
                text += " %d:%d:%s" % (column, kind, shown)
            lines.append(text)
    blobs = {}
    for row in db.rows(roots["sys$blob"]):
        if row[10:12] != b"\x01\x0e":
            raise Damaged("blob row layout")
        size, kind = struct.unpack_from(">II", row, 12)
        if size != len(row) - 16:
            raise Damaged("blob row length")
        blobs[struct.unpack_from(">I", row, 6)[0]] = (kind, row[20:])
    referenced = set()
    for kind, payload in blobs.values():
        if kind == 1:
            referenced.update(struct.unpack_from(">I", payload, i)[0] for i in range(0, len(payload), 8))
    for blob_id in blobs:
        if blob_id not in referenced:
            read_blob(blobs, blob_id, set())
    return "".join(line + "\n" for line in lines)


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("file")
    parser.add_argument("--expect")
    args = parser.parse_args()
    with open(args.file, "rb") as f:
        data = f.read()
    try:
        text = dump(Database(data))
    except (Damaged, struct.error, KeyError) as fault:
        print("%s: %s" % (args.file, fault))
        return 1
    if args.expect:
        with open(args.expect) as f:
            expected = f.read()
        if text != expected:
            print("%s: differs from %s" % (args.file, args.expect))
            for a, b in zip(text.splitlines(), expected.splitlines()):
                if a != b:
                    print("  reader:  " + a[:200] + "\n  runtime: " + b[:200])
                    break
            return 1
    else:
        sys.stdout.write(text)
    return 0


if __name__ == "__main__":
    sys.exit(main())
