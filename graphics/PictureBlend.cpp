#include "PictureBlend.h"

#include <cstring>

bool BuildWhiteMaskRows(const PixelRows& picture, uint8_t* mask, uint8_t* copy) {
    const int32_t depth = picture.depth;
    if (depth != 1 && depth != 4 && depth != 8 && depth != 16 && depth != 24 && depth != 32)
        return false;
    const int32_t maskRowBytes = (picture.width + 31) / 32 * 4;
    for (int32_t r = 0; r < picture.height; ++r) {
        const uint8_t* row = picture.bits + static_cast<int64_t>(r) * picture.rowBytes;
        uint8_t* copyRow = copy + static_cast<int64_t>(r) * picture.rowBytes;
        uint8_t* maskRow = mask + static_cast<int64_t>(r) * maskRowBytes;
        std::memset(maskRow, 0, static_cast<size_t>(maskRowBytes));
        if (depth == 1) {
            // White is a 0 bit: the mask is the complement, and white pixels become 1, black.
            for (int32_t i = 0; i < (picture.width + 7) / 8; ++i) {
                maskRow[i] = static_cast<uint8_t>(~row[i]);
                copyRow[i] = static_cast<uint8_t>(copyRow[i] | maskRow[i]);
            }
            continue;
        }
        for (int32_t c = 0; c < picture.width; ++c) {
            bool white = false;
            switch (depth) {
            case 4: {
                const int shift = (c & 1) ? 0 : 4;
                white = ((row[c / 2] >> shift) & 0x0F) == 0;
                if (white) copyRow[c / 2] = static_cast<uint8_t>(copyRow[c / 2] | (0x0F << shift));
                break;
            }
            case 8:
                white = row[c] == 215;
                if (white) copyRow[c] = 0;
                break;
            case 16: {
                const uint16_t v = static_cast<uint16_t>(row[2 * c] | (row[2 * c + 1] << 8));
                white = (v & 0x7FFF) == 0x7FFF;
                if (white) copyRow[2 * c] = copyRow[2 * c + 1] = 0;
                break;
            }
            case 24:
                white = row[3 * c] == 255 && row[3 * c + 1] == 255 && row[3 * c + 2] == 255;
                if (white) copyRow[3 * c] = copyRow[3 * c + 1] = copyRow[3 * c + 2] = 0;
                break;
            default:
                white = row[4 * c] == 255 && row[4 * c + 1] == 255 && row[4 * c + 2] == 255;
                if (white) std::memset(copyRow + 4 * c, 0, 4);
                break;
            }
            if (white) maskRow[c / 8] = static_cast<uint8_t>(maskRow[c / 8] | (0x80 >> (c % 8)));
        }
    }
    return true;
}

namespace {

// x / 255 for 0 <= x <= 65535, without a division.
inline uint32_t Div255(uint32_t x) { return (x * 32897) >> 23; }

}  // namespace

void BlendThroughMask(const PixelRows& picture, const uint8_t* maskBits, int32_t maskRowBytes,
                      int32_t sourceLeft, int32_t sourceTop, int32_t sourceWidth,
                      int32_t sourceHeight, uint8_t* work, int32_t workRowBytes,
                      int32_t destWidth, int32_t destHeight) {
    if (destWidth <= 0 || destHeight <= 0 || (picture.depth != 24 && picture.depth != 32)) return;
    const int32_t bpp = picture.depth / 8;
    // A source column steps by the whole and the remainder of sourceWidth / destWidth, so no
    // division is made per pixel; a negative width keeps the division.
    const bool stepping = sourceWidth >= 0;
    const int32_t whole = stepping ? sourceWidth / destWidth : 0;
    const int32_t part = stepping ? sourceWidth % destWidth : 0;
    for (int32_t i = 0; i < destHeight; ++i) {
        const int64_t sy = sourceTop + static_cast<int64_t>(sourceHeight) * i / destHeight;
        if (sy < 0 || sy >= picture.height) continue;
        uint8_t* out = work + static_cast<int64_t>(destHeight - 1 - i) * workRowBytes;
        const uint8_t* pictureRow = picture.bits + sy * picture.rowBytes;
        const uint8_t* maskRow = maskBits + sy * maskRowBytes;
        int64_t sx = sourceLeft;
        int32_t remainder = 0;
        for (int32_t j = 0; j < destWidth; ++j, out += 3) {
            if (!stepping) sx = sourceLeft + static_cast<int64_t>(sourceWidth) * j / destWidth;
            if (sx >= 0 && sx < picture.width) {
                const uint32_t m = maskRow[4 * sx + 1];
                const uint8_t* p = pictureRow + bpp * sx;
                for (int k = 0; k < 3; ++k)
                    out[k] = static_cast<uint8_t>(Div255(p[k] * (255 - m)) + Div255(out[k] * m));
            }
            if (stepping) {
                sx += whole;
                remainder += part;
                if (remainder >= destWidth) {
                    remainder -= destWidth;
                    ++sx;
                }
            }
        }
    }
}
