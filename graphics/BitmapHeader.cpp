#include "BitmapHeader.h"

namespace {

uint32_t U32(const uint8_t* p) {
    return p[0] | (p[1] << 8) | (p[2] << 16) | (static_cast<uint32_t>(p[3]) << 24);
}
uint16_t U16(const uint8_t* p) { return static_cast<uint16_t>(p[0] | (p[1] << 8)); }
int32_t S32(const uint8_t* p) { return static_cast<int32_t>(U32(p)); }
int16_t S16(const uint8_t* p) { return static_cast<int16_t>(U16(p)); }

bool KnownHeaderSize(uint32_t size) {
    return size == 12 || size == 40 || size == 52 || size == 56 || size == 108 || size == 124;
}

// The channel of a pixel under a mask, widened to 8 bits by repeating its bits (5-bit 7 is 57, as
// GDI and other readers make it) or narrowed to its top 8; 0xFF for an empty mask when asked.
uint32_t Channel(uint32_t pixel, uint32_t mask, uint32_t empty) {
    if (mask == 0) return empty;
    int shift = 0;
    while (!((mask >> shift) & 1)) ++shift;
    const uint32_t max = mask >> shift;
    int bits = 0;
    while (bits < 32 && (max >> bits) != 0) ++bits;
    const uint32_t value = (pixel & mask) >> shift;
    if (bits >= 8) return value >> (bits - 8);
    uint32_t widened = 0;
    for (int filled = 0; filled < 8; filled += bits) widened |= (value << (8 - bits)) >> filled;
    return widened & 0xFF;
}

}  // namespace

bool ReadDIBLayout(const uint8_t* bytes, size_t length, BitmapLayout& layout) {
    layout = BitmapLayout{};
    if (!bytes || length < 12) return false;
    const uint32_t size = U32(bytes);
    if (!KnownHeaderSize(size) || length < size) return false;
    layout.headerSize = size;
    int64_t height;
    if (size == 12) {
        layout.width = U16(bytes + 4);
        height = S16(bytes + 6);
        if (U16(bytes + 8) != 1) return false;
        layout.bitCount = U16(bytes + 10);
        layout.colorEntrySize = 3;
    } else {
        layout.width = S32(bytes + 4);
        height = S32(bytes + 8);
        if (U16(bytes + 12) != 1) return false;
        layout.bitCount = U16(bytes + 14);
        layout.compression = U32(bytes + 16);
        layout.xPelsPerMeter = S32(bytes + 24);
        layout.yPelsPerMeter = S32(bytes + 28);
        layout.colorCount = U32(bytes + 32);
        layout.colorEntrySize = 4;
    }
    layout.topDown = height < 0;
    if (height < 0) height = -height;
    if (layout.width <= 0 || height <= 0 || height > 0x7FFFFFFF) return false;
    layout.height = static_cast<int32_t>(height);

    const uint16_t depth = layout.bitCount;
    if (depth != 1 && depth != 2 && depth != 4 && depth != 8 && depth != 16 && depth != 24 &&
        depth != 32)
        return false;
    // Only plain rows and bit fields (at 16 and 32 bits) are read; run-length and embedded
    // formats are not.
    if (layout.compression == kCompressionBitFields) {
        if (depth != 16 && depth != 32) return false;
    } else if (layout.compression != 0) {
        return false;
    }

    size_t offset = size;
    if (depth == 16) {
        layout.redMask = 0x7C00, layout.greenMask = 0x03E0, layout.blueMask = 0x001F;
    } else if (depth == 32) {
        layout.redMask = 0xFF0000, layout.greenMask = 0xFF00, layout.blueMask = 0xFF;
    }
    if (layout.compression == kCompressionBitFields) {
        // A 40-byte header is followed by the three masks; longer ones hold them.
        const uint8_t* masks = bytes + 40;
        if (size == 40) {
            if (length < 52) return false;
            offset = 52;
        }
        layout.redMask = U32(masks);
        layout.greenMask = U32(masks + 4);
        layout.blueMask = U32(masks + 8);
        layout.alphaMask = size >= 56 ? U32(masks + 12) : 0;
        if (!layout.redMask && !layout.greenMask && !layout.blueMask) return false;
    }

    // At most one entry per value a pixel can take; the deeper formats keep an optional table
    // of at most 256 entries that no pixel reads.
    const uint32_t limit = depth <= 8 ? (1u << depth) : 256u;
    if (layout.colorCount == 0 || layout.colorCount > limit)
        layout.colorCount = depth <= 8 ? limit : 0;
    layout.colorTableOffset = offset;
    offset += static_cast<size_t>(layout.colorCount) * layout.colorEntrySize;

    const uint64_t rowBits = static_cast<uint64_t>(layout.width) * depth;
    const uint64_t rowBytes = (rowBits + 31) / 32 * 4;
    const uint64_t imageBytes = rowBytes * static_cast<uint64_t>(layout.height);
    if (rowBytes > 0xFFFFFFFFu || imageBytes > length) return false;
    layout.rowBytes = static_cast<uint32_t>(rowBytes);
    layout.bitsOffset = offset;
    return offset <= length && length - offset >= imageBytes;
}

bool ReadBMPLayout(const uint8_t* bytes, size_t length, BitmapLayout& layout) {
    layout = BitmapLayout{};
    if (!bytes || length < kFileHeaderSize || bytes[0] != 'B' || bytes[1] != 'M') return false;
    const uint8_t* dib = bytes + kFileHeaderSize;
    const size_t dibLength = length - kFileHeaderSize;
    if (!ReadDIBLayout(dib, dibLength, layout)) return false;
    // Rows placed elsewhere by the file: they start there when that lies past the table and
    // inside the file, and must then fit; an offset outside the file is taken for a bad field.
    const uint32_t bitsOffset = U32(bytes + 10);
    if (bitsOffset >= kFileHeaderSize + layout.bitsOffset && bitsOffset <= length) {
        const size_t fromHeader = bitsOffset - kFileHeaderSize;
        const uint64_t imageBytes = static_cast<uint64_t>(layout.rowBytes) * layout.height;
        if (dibLength - fromHeader < imageBytes) return false;
        layout.bitsOffset = fromHeader;
    }
    return true;
}

uint32_t ReadBitmapPixel(const BitmapLayout& layout, const uint8_t* dib, int32_t x, int32_t y) {
    if (x < 0 || y < 0 || x >= layout.width || y >= layout.height) return 0;
    const int32_t row = layout.topDown ? y : layout.height - 1 - y;
    const uint8_t* line = dib + layout.bitsOffset + static_cast<size_t>(row) * layout.rowBytes;
    const uint16_t depth = layout.bitCount;
    if (depth <= 8) {
        const uint32_t bit = static_cast<uint32_t>(x) * depth;
        const uint32_t index =
            (line[bit / 8] >> (8 - depth - bit % 8)) & ((1u << depth) - 1);
        if (index >= layout.colorCount) return 0xFF000000;
        const uint8_t* entry = dib + layout.colorTableOffset + index * layout.colorEntrySize;
        return 0xFF000000 | (entry[2] << 16) | (entry[1] << 8) | entry[0];
    }
    if (depth == 24) {
        const uint8_t* p = line + x * 3;
        return 0xFF000000 | (p[2] << 16) | (p[1] << 8) | p[0];
    }
    const uint32_t pixel = depth == 16 ? U16(line + x * 2) : U32(line + x * 4);
    return (Channel(pixel, layout.alphaMask, 0xFF) << 24) |
           (Channel(pixel, layout.redMask, 0) << 16) | (Channel(pixel, layout.greenMask, 0) << 8) |
           Channel(pixel, layout.blueMask, 0);
}
