// The pixel arithmetic of transparent and masked picture drawing, on plain memory: the one-bit
// white mask with its colour copy, and the blend through a grey mask picture. Pure logic, also
// built natively; the GDI transfers around it belong to the picture implementations.
#pragma once

#include <cstdint>

// Pixels of a picture: depth 1, 4, 8, 16, 24 or 32, top-down rows of rowBytes.
struct PixelRows {
    const uint8_t* bits;
    int32_t depth;
    int32_t rowBytes;
    int32_t width;
    int32_t height;
};

// Marks the white pixels of the picture in a one-bit top-down mask (rows of ((width + 31) / 32)
// x 4 bytes, the most significant bit leftmost) and turns them black in copy, which holds the
// picture's pixels on entry. White is index 0 at depths 1 and 4, index 215 at depth 8, all ones in
// the low 15 bits at 16, three bytes 255 at 24, the low 24 bits all ones at 32. False for a depth
// without a rule (nothing is written).
bool BuildWhiteMaskRows(const PixelRows& picture, uint8_t* mask, uint8_t* copy);

// Blends the source rectangle (left, top, width, height in picture pixels) of a 24- or 32-bit
// picture, sampled nearest-neighbour, through the green byte of a 32-bit mask of the picture's
// size (0 shows the picture, 255 the background) into the background of a 24-bit bottom-up work
// area of destWidth x destHeight pixels and workRowBytes per row. Source pixels outside the
// picture leave the background as it is.
void BlendThroughMask(const PixelRows& picture, const uint8_t* maskBits, int32_t maskRowBytes,
                      int32_t sourceLeft, int32_t sourceTop, int32_t sourceWidth,
                      int32_t sourceHeight, uint8_t* work, int32_t workRowBytes,
                      int32_t destWidth, int32_t destHeight);
