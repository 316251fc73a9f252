"""hostile-bitmaps.py OUT_DIR: writes BMP files that no reader may take: shorter than the file
header, sizes and counts that overflow, headers of no known size, rows or tables cut short."""
import struct
import sys


def bmp(width, height, bits, header_size=40, colours=0, compression=0, table=b"", rows=b"",
        offset=None, masks=b""):
    """A file header and an info header (or a 12-byte core header) with what follows."""
    if header_size == 12:
        header = struct.pack("<IHHHH", 12, width & 0xFFFF, height & 0xFFFF, 1, bits)
    else:
        header = struct.pack("<IiiHHIIiiII", header_size, width, height, 1, bits, compression,
                             0, 2835, 2835, colours, 0)
        header += bytes(max(0, header_size - 40))
    body = header + masks + table
    if offset is None:
        offset = 14 + len(body)
    return b"BM" + struct.pack("<IHHI", 14 + len(body) + len(rows), 0, 0, offset) + body + rows


def main():
    out = sys.argv[1]
    whole = bmp(4, 4, 24, rows=bytes(48))
    files = {
        "empty": b"",
        "under-14-bytes": b"BM" + bytes(10),
        "file-header-only": whole[:14],
        "cut-in-header": whole[:30],
        "header-size-13": bmp(4, 4, 24, header_size=13, rows=bytes(48)),
        "header-size-huge": b"BM" + struct.pack("<IHHI", 100, 0, 0, 54) + struct.pack("<I", 0xFFFFFFF0) + bytes(36),
        "width-huge": bmp(0x7FFFFFFF, 1, 32, rows=bytes(64)),
        "height-huge": bmp(1, 0x7FFFFFFF, 32, rows=bytes(64)),
        "height-most-negative": bmp(1, -0x80000000, 32, rows=bytes(64)),
        "width-negative": bmp(-4, 4, 24, rows=bytes(48)),
        "size-overflows-32-bits": bmp(0x10000, 0x10000, 32, rows=bytes(64)),
        "core-size-overflows": bmp(0xFFFF, 0xFFFF, 24, header_size=12, rows=bytes(64)),
        "colour-count-huge-table-cut": bmp(4, 4, 8, colours=0xFFFFFFFF, table=bytes(16)),
        "colour-table-cut": bmp(4, 4, 8, table=bytes(100)),
        "bit-count-0": bmp(4, 4, 0, rows=bytes(64)),
        "bit-count-7": bmp(4, 4, 7, rows=bytes(64)),
        "bit-count-64": bmp(4, 4, 64, rows=bytes(256)),
        "rows-cut-short": whole[:-5],
        "rows-cut-core": bmp(4, 4, 24, header_size=12, rows=bytes(47)),
        "bits-offset-leaves-rows-short": bmp(4, 4, 24, rows=bytes(48), offset=14 + 40 + 20),
        "bit-fields-masks-cut": bmp(4, 4, 32, compression=3)[:14 + 40 + 6],
        "run-length-cut": bmp(4, 4, 8, compression=1, table=bytes(1024), rows=b"\x04"),
    }
    for name, data in files.items():
        with open(f"{out}/hostile-{name}.bmp", "wb") as f:
            f.write(data)


main()
