#include <gtest/gtest.h>

#include <windows.h>

#include <cstring>
#include <vector>

#include "DrawingSurface.h"
#include "graphics/DIBUtilities.h"

namespace {

// A packed DIB of a 3 x 2, 24-bit bottom-up picture: top row red, green, blue; bottom row white,
// black, grey.
HGLOBAL MakePackedDIB() {
    const int rowBytes = 12;
    HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, 40 + rowBytes * 2);
    auto* header = static_cast<BITMAPINFOHEADER*>(GlobalLock(block));
    *header = BITMAPINFOHEADER{40, 3, 2, 1, 24, BI_RGB, 0, 0, 0, 0, 0};
    uint8_t* bits = reinterpret_cast<uint8_t*>(header + 1);
    const uint8_t bottom[9] = {255, 255, 255, 0, 0, 0, 128, 128, 128};
    const uint8_t top[9] = {0, 0, 255, 0, 255, 0, 255, 0, 0};
    std::memcpy(bits, bottom, 9);
    std::memcpy(bits + rowBytes, top, 9);
    GlobalUnlock(block);
    return block;
}

constexpr uint32_t kExpected[2][3] = {{0xFF0000, 0x00FF00, 0x0000FF},
                                      {0xFFFFFF, 0x000000, 0x808080}};

}  // namespace

TEST(DIBUtilities, HeaderSizesAndTables) {
    struct Row { uint32_t size; uint16_t depth; uint32_t used, compression, colours, table, bits; } rows[] = {
        {40, 4, 0, BI_RGB, 16, 64, 104},
        {40, 4, 5, BI_RGB, 5, 20, 60},
        {40, 24, 0, BI_RGB, 0, 0, 40},
        {40, 2, 0, BI_RGB, 4, 16, 56},
        {40, 1, 0, BI_RGB, 2, 8, 48},
        {40, 16, 0, BI_BITFIELDS, 0, 12, 52},
        {124, 32, 0, BI_BITFIELDS, 0, 0, 124},
        {12, 8, 0, 0, 256, 768, 780},
    };
    for (const Row& r : rows) {
        uint8_t header[124] = {};
        if (r.size == 12) {
            BITMAPCOREHEADER core = {12, 4, 5, 1, r.depth};
            std::memcpy(header, &core, sizeof core);
        } else {
            BITMAPINFOHEADER info = {r.size, 4, -5, 1, r.depth, r.compression, 0, 0, 0, r.used, 0};
            std::memcpy(header, &info, sizeof info);
        }
        EXPECT_EQ(DIBColorCount(header), r.colours) << r.size << " bytes, depth " << r.depth;
        EXPECT_EQ(DIBColorTableSize(header), r.table) << r.size << " bytes, depth " << r.depth;
        EXPECT_EQ(DIBBitsPointer(header) - header, static_cast<ptrdiff_t>(r.bits));
        EXPECT_EQ(DIBHeight(header), r.size == 12 ? 5 : -5);
    }
}

TEST(DIBUtilities, PackedDIBsDrawAndConvert) {
    HGLOBAL dib = MakePackedDIB();
    Surface surface;
    struct Row { RECT destination; int scale; } rows[] = {{{10, 20, 13, 22}, 1}, {{10, 20, 16, 24}, 2}};
    for (const Row& r : rows) {
        surface.Clear();
        EXPECT_NE(DrawPackedDIB(surface.dc, r.destination, dib, RECT{0, 0, 3, 2}, nullptr), 0);
        GdiFlush();
        for (int y = 0; y < 2 * r.scale; ++y)
            for (int x = 0; x < 3 * r.scale; ++x)
                EXPECT_EQ(surface.pixels[(20 + y) * kWidth + 10 + x] & 0xFFFFFF,
                          kExpected[y / r.scale][x / r.scale])
                    << "scale " << r.scale << " at " << x << "," << y;
        EXPECT_EQ(surface.Painted(), 6 * r.scale * r.scale) << "only the destination changed";
    }
    // A packed DIB through a device bitmap and back keeps its pixels; the result is 24-bit.
    HBITMAP bitmap = PackedDIBToBitmap(dib, nullptr);
    ASSERT_NE(bitmap, nullptr);
    surface.Clear();
    EXPECT_NE(DrawBitmapToDC(surface.dc, RECT{0, 0, 3, 2}, bitmap, RECT{0, 0, 3, 2}, nullptr), 0);
    GdiFlush();
    EXPECT_EQ(surface.pixels[1] & 0xFFFFFF, 0x00FF00u);
    EXPECT_EQ(surface.pixels[kWidth + 2] & 0xFFFFFF, 0x808080u);
    HGLOBAL back = BitmapToPackedDIB(bitmap, nullptr);
    ASSERT_NE(back, nullptr);
    const auto* header = static_cast<const BITMAPINFOHEADER*>(GlobalLock(back));
    EXPECT_EQ(header->biBitCount, 24);
    EXPECT_EQ(header->biWidth, 3);
    EXPECT_EQ(header->biHeight, 2);
    const uint8_t* bits = DIBBitsPointer(header);
    EXPECT_EQ(bits[12 + 3], 0);   // top row, green pixel: blue byte
    EXPECT_EQ(bits[12 + 4], 255);  // green byte
    GlobalUnlock(back);
    GlobalFree(back);
    DeleteObject(bitmap);

    // A bitmap of 16 bits per pixel gives a 24-bit packed DIB.
    HBITMAP sixteen = CreateBitmap(4, 4, 1, 16, nullptr);
    HGLOBAL packed = BitmapToPackedDIB(sixteen, nullptr);
    ASSERT_NE(packed, nullptr);
    EXPECT_EQ(static_cast<const BITMAPINFOHEADER*>(GlobalLock(packed))->biBitCount, 24);
    GlobalUnlock(packed);
    GlobalFree(packed);
    DeleteObject(sixteen);

    EXPECT_EQ(DrawPackedDIB(surface.dc, RECT{0, 0, 3, 2}, nullptr, RECT{0, 0, 3, 2}, nullptr), 0);
    EXPECT_EQ(PackedDIBToBitmap(nullptr, nullptr), nullptr);
    EXPECT_EQ(BitmapToPackedDIB(nullptr, nullptr), nullptr);
    GlobalFree(dib);
}

TEST(DIBUtilities, NoSystemPaletteAboveEightBits) {
    HDC screen = GetDC(nullptr);
    const int bits = GetDeviceCaps(screen, BITSPIXEL) * GetDeviceCaps(screen, PLANES);
    ReleaseDC(nullptr, screen);
    HPALETTE palette = CreateSystemPalette();
    if (bits > 8) {
        EXPECT_EQ(palette, nullptr) << "a " << bits << "-bit display has no system palette";
    } else {
        EXPECT_NE(palette, nullptr);
        DeleteObject(palette);
    }
}
