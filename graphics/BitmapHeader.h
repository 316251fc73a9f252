// The BMP file and packed-DIB header reader: tells the header kinds apart by size (12, 40, 52, 56,
// 108, 124), reads bit-field masks, top-down rows and a bits offset inside a file, bounds the
// colour table by the depth, and refuses data shorter than the header, table and rows say. Pure
// logic, also built natively.
#pragma once

#include <cstddef>
#include <cstdint>

struct BitmapLayout {
    uint32_t headerSize;  // 12 for the core header
    int32_t width;
    int32_t height;   // rows, positive
    bool topDown;     // the first stored row is the top one
    uint16_t bitCount;
    uint32_t compression;  // 0 plain rows, 3 bit fields
    uint32_t redMask, greenMask, blueMask, alphaMask;  // for 16 and 32 bits per pixel
    uint32_t colorCount;       // entries in the colour table
    uint32_t colorEntrySize;   // 3 for the core header, else 4
    size_t colorTableOffset;   // from the start of the header
    size_t bitsOffset;         // from the start of the header
    uint32_t rowBytes;         // stored rows are padded to 4 bytes
    int32_t xPelsPerMeter;
    int32_t yPelsPerMeter;
};

constexpr uint32_t kFileHeaderSize = 14;
constexpr uint32_t kCompressionBitFields = 3;

// Reads a packed DIB: a header, masks and colour table, and the rows after them.
bool ReadDIBLayout(const uint8_t* bytes, size_t length, BitmapLayout& layout);

// Reads a BMP file: the 14-byte file header starting "BM", then a packed DIB whose rows start at
// the file's bits offset when that lies past the colour table and inside the file. Offsets in the
// layout stay relative to the DIB header (kFileHeaderSize bytes into the file).
bool ReadBMPLayout(const uint8_t* bytes, size_t length, BitmapLayout& layout);

// The pixel at (x, y), y counted from the top, as 0xAARRGGBB; alpha is 0xFF where the format
// has none. The bytes are those the layout was read from (the DIB, not the file header).
uint32_t ReadBitmapPixel(const BitmapLayout& layout, const uint8_t* dib, int32_t x, int32_t y);
