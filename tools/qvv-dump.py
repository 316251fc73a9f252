#!/usr/bin/env python3
"""Lists the tree of a virtual-volume file, written from the format's description alone.

The disk file: 'VFSv', version (1 to 3), then blocks back to back. A block: 'BlkS', owner idnum
(0 = free), index in the chain, block length and next-block offset (doubles), payload, 'BlkE'.
Words are big-endian; the block doubles are little-endian in version 1. Each volume file starts
with a 256-byte entry header: data length (double), type ('fold' for folders), parent idnum, two
dates, the name in 224 bytes; values inside volume files are big-endian from version 3 on,
little-endian before. A folder's data is a child count and the children's idnums.

Prints one line per item, depth first in stored order: the path, then " /" for a folder or a
space and the file's data in hexadecimal. With --expect FILE, compares with that listing instead.
"""
import struct
import sys


class VolumeError(Exception):
    pass


class Volume:
    def __init__(self, data):
        self.data = data
        if len(data) < 8 or data[:4] != b"VFSv":
            raise VolumeError("not a virtual volume")
        self.version = struct.unpack(">i", data[4:8])[0]
        if self.version > 3:
            raise VolumeError("version %d is too new" % self.version)
        self.block_doubles = "<d" if self.version == 1 else ">d"
        self.values = ">" if self.version >= 3 else "<"
        self.first_blocks = {}
        offset = 8
        while offset + 28 <= len(data):
            magic, idnum, index = struct.unpack(">III", data[offset:offset + 12])
            length = self.double(offset + 12)
            if magic != 0x426C6B53 or not length >= 32 or offset + length > len(data):
                break
            length = int(length)
            if struct.unpack(">I", data[offset + length - 4:offset + length])[0] != 0x426C6B45:
                break
            if idnum and index == 0:
                self.first_blocks.setdefault(idnum, offset)
            offset += length

    def double(self, at):
        return struct.unpack(self.block_doubles, self.data[at:at + 8])[0]

    def file_bytes(self, idnum):
        """The whole payload of a volume file's chain."""
        out = bytearray()
        offset = self.first_blocks.get(idnum)
        expected = 0
        while offset is not None:
            magic, owner, index = struct.unpack(">III", self.data[offset:offset + 12])
            if magic != 0x426C6B53 or owner != idnum or index != expected:
                raise VolumeError("broken chain of file %d" % idnum)
            length = int(self.double(offset + 12))
            out += self.data[offset + 28:offset + length - 4]
            following = self.double(offset + 20)
            offset = int(following) if following > 0 else None
            expected += 1
        return bytes(out)

    def entry(self, idnum):
        raw = self.file_bytes(idnum)
        if len(raw) < 256:
            raise VolumeError("short entry %d" % idnum)
        v = self.values
        length = struct.unpack(v + "d", raw[0:8])[0]
        kind, parent = struct.unpack(v + "II", raw[8:16])
        name = raw[32:256].split(b"\0", 1)[0].decode("latin-1")
        return name, kind, parent, length, raw[256:]

    def listing(self):
        lines = []
        self.walk(2, "", lines, 0)
        return lines

    def walk(self, idnum, path, lines, depth):
        _, kind, _, _, data = self.entry(idnum)
        if kind != 0x666F6C64 or depth > 400:
            return
        count = struct.unpack(self.values + "I", data[0:4])[0]
        for i in range(count):
            child = struct.unpack(self.values + "I", data[4 + 4 * i:8 + 4 * i])[0]
            name, kind, parent, length, contents = self.entry(child)
            if parent != idnum:
                raise VolumeError("%s/%s names parent %d" % (path, name, parent))
            child_path = path + "/" + name
            if kind == 0x666F6C64:
                lines.append(child_path + " /")
                self.walk(child, child_path, lines, depth + 1)
            else:
                lines.append(child_path + " " + contents[:int(length)].hex())


def main():
    args = sys.argv[1:]
    expect = None
    if "--expect" in args:
        at = args.index("--expect")
        expect = args[at + 1]
        del args[at:at + 2]
    if len(args) != 1:
        sys.exit("usage: qvv-dump.py VOLUME [--expect LISTING]")
    with open(args[0], "rb") as f:
        lines = Volume(f.read()).listing()
    if expect is None:
        print("\n".join(lines))
        return
    with open(expect) as f:
        wanted = f.read().splitlines()
    if lines != wanted:
        sys.exit("%s: the listing differs:\n%s\n--- expected ---\n%s" % (args[0], "\n".join(lines), "\n".join(wanted)))


if __name__ == "__main__":
    main()
