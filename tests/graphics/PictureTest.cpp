// Picture implementations: the offscreen pixel store, packed DIBs in and out, BMP files, and the
// transparent and masked drawing into a device context, read back from DIB memory.
#include <gtest/gtest.h>

#include <windows.h>

#include <cstring>
#include <tuple>
#include <vector>

#include "DrawingSurface.h"
#include "graphics/GraphicsImp.h"
#include "graphics/PictureImp.h"
#include "windows/Drawing.h"

namespace {

Rect16 R(int left, int top, int right, int bottom) {
    return Rect16{static_cast<int16_t>(top), static_cast<int16_t>(left),
                  static_cast<int16_t>(bottom), static_cast<int16_t>(right)};
}

uint32_t Pixel32(OffscreenPicture* picture, int x, int y) {
    GdiFlush();
    uint32_t v;
    std::memcpy(&v, picture->Bits() + y * picture->RowBytes() + 4 * x, 4);
    return v;
}

void SetPixel32(OffscreenPicture* picture, int x, int y, uint32_t v) {
    GdiFlush();
    std::memcpy(picture->Bits() + y * picture->RowBytes() + 4 * x, &v, 4);
}

// A BMP file: 14-byte file header and a 40-byte info header, then the rows given.
std::vector<uint8_t> BMP(int width, int height, int depth, const std::vector<uint8_t>& table,
                         const std::vector<uint8_t>& rows, int32_t pelsPerMetre = 2835) {
    std::vector<uint8_t> file(14 + 40);
    file[0] = 'B';
    file[1] = 'M';
    const uint32_t offset = 54 + static_cast<uint32_t>(table.size());
    std::memcpy(&file[10], &offset, 4);
    BITMAPINFOHEADER header = {};
    header.biSize = 40;
    header.biWidth = width;
    header.biHeight = height;
    header.biPlanes = 1;
    header.biBitCount = static_cast<WORD>(depth);
    header.biXPelsPerMeter = pelsPerMetre;
    header.biYPelsPerMeter = pelsPerMetre;
    std::memcpy(&file[14], &header, 40);
    file.insert(file.end(), table.begin(), table.end());
    file.insert(file.end(), rows.begin(), rows.end());
    const uint32_t size = static_cast<uint32_t>(file.size());
    std::memcpy(&file[2], &size, 4);
    return file;
}

TEST(OffscreenPicture, DepthsRowBytesAndWhiteStart) {
    const struct {
        int depth, storedDepth, rowBytes;
        uint32_t firstWord;  // the first 32 bits of the top row once white
    } table[] = {
        {1, 1, 4, 0x00000000},  // index 0 is white
        {2, 4, 8, 0x00000000},
        {4, 4, 8, 0x00000000},
        {8, 8, 12, 0xD7D7D7D7},  // index 215
        {16, 16, 20, 0x7FFF7FFF},
        {24, 24, 32, 0xFFFFFFFF},
        {32, 32, 40, 0x00FFFFFF},
    };
    for (const auto& row : table) {
        SCOPED_TRACE(row.depth);
        PictureRef picture(new OffscreenPicture(R(0, 0, 10, 10), row.depth));
        auto* offscreen = static_cast<OffscreenPicture*>(picture.Get());
        EXPECT_EQ(picture->Depth(), row.storedDepth);
        EXPECT_EQ(offscreen->RowBytes(), row.rowBytes);
        int32_t depth = 0, rowBytes = 0;
        uint8_t* bits = nullptr;
        ASSERT_TRUE(picture->GetPixels(depth, bits, rowBytes));
        uint32_t first;
        std::memcpy(&first, bits + 9 * rowBytes, 4);
        EXPECT_EQ(first, row.firstWord);
    }
}

TEST(OffscreenPicture, DefaultColourTablesAsPackedDIB) {
    const struct {
        int depth, index;
        RGBQUAD colour;
    } table[] = {
        {1, 1, {0, 0, 0, 0}},        {4, 1, {5, 243, 252, 0}},    {4, 15, {0, 0, 0, 0}},
        {8, 215, {255, 255, 255, 0}}, {8, 216, {0, 0, 0, 0}},     {8, 36 * 1 + 6 * 2 + 3, {153, 102, 51, 0}},
    };
    for (const auto& row : table) {
        SCOPED_TRACE(row.index);
        PictureRef picture(new OffscreenPicture(R(0, 0, 2, 2), row.depth));
        HGLOBAL dib = picture->CopyPackedDIB();
        ASSERT_NE(dib, nullptr);
        auto* header = static_cast<BITMAPINFOHEADER*>(GlobalLock(dib));
        const RGBQUAD entry = reinterpret_cast<RGBQUAD*>(header + 1)[row.index];
        EXPECT_EQ(std::memcmp(&entry, &row.colour, 4), 0);
        GlobalUnlock(dib);
        GlobalFree(dib);
    }
}

TEST(OffscreenPicture, UnsupportedDepthOrHugeSizeHasNoPixelsAndDrawsNothing) {
    for (auto [width, height, depth] : {std::tuple{10, 10, 7}, std::tuple{30000, 30000, 32}}) {
        PictureRef picture(new OffscreenPicture(width, height, depth));
        auto* offscreen = static_cast<OffscreenPicture*>(picture.Get());
        EXPECT_FALSE(offscreen->HasBitmap());
        int32_t w = 0, h = 0, d = 0, rb = 0;
        uint8_t* bits = nullptr;
        picture->GetSize(w, h);
        EXPECT_EQ(w, width);
        EXPECT_FALSE(picture->GetPixels(d, bits, rb));
        EXPECT_EQ(picture->CopyPackedDIB(), nullptr);
        Surface surface;
        picture->DrawPartToDC(surface.dc, R(0, 0, 10, 10), R(0, 0, 10, 10), false, true);
        EXPECT_EQ(surface.Painted(), 0);
    }
}

TEST(OffscreenPicture, PackedDIBIsBottomUpWithResolution) {
    PictureRef picture(new OffscreenPicture(R(0, 0, 3, 2), 24));
    auto* offscreen = static_cast<OffscreenPicture*>(picture.Get());
    GdiFlush();
    offscreen->Bits()[0] = 0x11;  // top-left blue byte
    picture->SetHResolution(300);
    HGLOBAL dib = picture->CopyPackedDIB();
    ASSERT_NE(dib, nullptr);
    EXPECT_EQ(GlobalSize(dib), 40u + 24u);
    auto* header = static_cast<BITMAPINFOHEADER*>(GlobalLock(dib));
    EXPECT_EQ(header->biHeight, 2);
    EXPECT_EQ(header->biSizeImage, 24u);
    EXPECT_EQ(header->biXPelsPerMeter, 11811);
    EXPECT_EQ(header->biYPelsPerMeter, 2834);
    const uint8_t* rows = reinterpret_cast<uint8_t*>(header) + 40;
    EXPECT_EQ(rows[12], 0x11);  // the top row is stored last
    EXPECT_EQ(rows[0], 0xFF);
    GlobalUnlock(dib);
    GlobalFree(dib);
}

TEST(OffscreenPicture, WidenedSixteenBitPackedDIB) {
    PictureRef picture(new OffscreenPicture(R(0, 0, 2, 1), 16));
    picture->SetWiden16();
    HGLOBAL dib = picture->CopyPackedDIB();
    ASSERT_NE(dib, nullptr);
    auto* header = static_cast<BITMAPINFOHEADER*>(GlobalLock(dib));
    EXPECT_EQ(header->biBitCount, 24);
    const uint8_t* rows = reinterpret_cast<uint8_t*>(header) + 40;
    EXPECT_EQ(rows[0], 255);
    EXPECT_EQ(rows[5], 255);
    GlobalUnlock(dib);
    GlobalFree(dib);
}

TEST(OffscreenPicture, LockedDescriptionChangesComeBackInRowOrder) {
    PictureRef picture(new OffscreenPicture(R(0, 0, 2, 3), 32));
    auto* offscreen = static_cast<OffscreenPicture*>(picture.Get());
    PictureDescription description = {};
    ASSERT_TRUE(picture->LockDescriptionOfKind(description, kDescriptionPackedDIB));
    EXPECT_EQ(description.kind, kDescriptionPackedDIB);
    EXPECT_EQ(description.width, 2);
    auto* header = static_cast<BITMAPINFOHEADER*>(GlobalLock(description.handle));
    auto* rows = reinterpret_cast<uint32_t*>(reinterpret_cast<uint8_t*>(header) + 40);
    rows[0] = 0x000000AA;  // bottom row of the DIB
    GlobalUnlock(description.handle);
    picture->UnlockDescription(description);
    EXPECT_EQ(Pixel32(offscreen, 0, 2), 0x000000AAu);
    EXPECT_EQ(Pixel32(offscreen, 0, 0), 0x00FFFFFFu);

    EXPECT_FALSE(picture->LockDescriptionOfKind(description, 3));
    picture->UnlockDescription(description);
    ASSERT_TRUE(picture->LockDescriptionOfKind(description, kDescriptionBitmap));
    BITMAP bitmap = {};
    GetObject(description.handle, sizeof(bitmap), &bitmap);
    EXPECT_EQ(bitmap.bmWidth, 2);
    picture->UnlockDescription(description);
}

TEST(DIBPictureFromBMP, ReadsPixelsAndResolution) {
    // 2 x 2, 24 bits, bottom-up: the bottom row red, blue; the top row green, white.
    const std::vector<uint8_t> rows = {0, 0, 255, 255, 0, 0, 0, 0, 0, 255, 0, 255, 255, 255, 0, 0};
    const auto file = BMP(2, 2, 24, {}, rows, 3780);
    PictureRef picture(NewDIBPictureFromBMP(file.data(), static_cast<uint32_t>(file.size())));
    ASSERT_TRUE(picture);
    auto* offscreen = static_cast<OffscreenPicture*>(picture.Get());
    EXPECT_EQ(picture->Depth(), 32);
    EXPECT_EQ(picture->HResolution(), 96);
    EXPECT_EQ(Pixel32(offscreen, 0, 0), 0x0000FF00u);
    EXPECT_EQ(Pixel32(offscreen, 1, 0), 0x00FFFFFFu);
    EXPECT_EQ(Pixel32(offscreen, 0, 1), 0x00FF0000u);
    EXPECT_EQ(Pixel32(offscreen, 1, 1), 0x000000FFu);
}

TEST(DIBPictureFromBMP, DepthsTablesFieldsAndRowOrder) {
    // Each file is 2 x 1 or 1 x 2; the expected colours are left to right, top to bottom.
    auto sixteen = BMP(2, 1, 16, {0x00, 0xF8, 0, 0, 0xE0, 0x07, 0, 0, 0x1F, 0, 0, 0},
                       {0x00, 0xF8, 0x1F, 0x00});  // 5-6-5: red, then blue
    sixteen[14 + 16] = 3;                           // bit fields
    // Two colours in the table of a 4-bit file: biClrUsed says so.
    auto fourBits = BMP(2, 1, 4, {0, 0, 255, 0, 0, 255, 0, 0}, {0x01, 0, 0, 0});
    fourBits[14 + 32] = 2;
    auto topDown = BMP(1, 2, 32, {}, {0, 0, 255, 0, 255, 0, 0, 0});
    const int32_t minusTwo = -2;
    std::memcpy(&topDown[14 + 8], &minusTwo, 4);
    const struct {
        const char* what;
        std::vector<uint8_t> file;
        uint32_t first, second;
    } table[] = {
        {"1 bit", BMP(2, 1, 1, {0, 0, 0, 0, 255, 255, 255, 0}, {0x40, 0, 0, 0}), 0x000000, 0xFFFFFF},
        {"4 bits", fourBits, 0xFF0000, 0x00FF00},
        {"16 bits 5-6-5", sixteen, 0xFF0000, 0x0000FF},
        {"32 bits top-down", topDown, 0xFF0000, 0x0000FF},
    };
    for (const auto& row : table) {
        SCOPED_TRACE(row.what);
        PictureRef picture(NewDIBPictureFromBMP(row.file.data(), static_cast<uint32_t>(row.file.size())));
        ASSERT_TRUE(picture);
        auto* offscreen = static_cast<OffscreenPicture*>(picture.Get());
        int32_t w = 0, h = 0;
        picture->GetSize(w, h);
        EXPECT_EQ(Pixel32(offscreen, 0, 0), row.first);
        EXPECT_EQ(Pixel32(offscreen, w - 1, h - 1), row.second);
    }
}

TEST(DIBPictureFromBMP, RefusesWhatIsNoWholeBMP) {
    const std::vector<uint8_t> rows(16, 0);
    auto good = BMP(2, 2, 24, {}, rows);
    auto notBM = good;
    notBM[0] = 'X';
    auto truncated = good;
    truncated.resize(good.size() - 3);
    auto huge = good;
    const int32_t big = 0x7FFFFFF0;
    std::memcpy(&huge[18], &big, 4);
    auto manyColours = BMP(2, 2, 8, std::vector<uint8_t>(1024, 0), std::vector<uint8_t>(8, 0));
    const uint32_t count = 0x10000000;
    std::memcpy(&manyColours[14 + 32], &count, 4);
    const struct {
        const char* what;
        std::vector<uint8_t> bytes;
    } table[] = {{"empty", {}},
                 {"under 14 bytes", {'B', 'M', 0, 0}},
                 {"not BM", notBM},
                 {"truncated rows", truncated},
                 {"huge width", huge}};
    for (const auto& row : table) {
        SCOPED_TRACE(row.what);
        EXPECT_EQ(NewDIBPictureFromBMP(row.bytes.data(), static_cast<uint32_t>(row.bytes.size())),
                  nullptr);
    }
    EXPECT_EQ(NewDIBPictureFromBMP(nullptr, 100), nullptr);
    // A colour count beyond the depth is bounded by it: the table of 256 entries is read.
    PictureRef bounded(NewDIBPictureFromBMP(manyColours.data(), static_cast<uint32_t>(manyColours.size())));
    EXPECT_TRUE(bounded);
}

TEST(DIBPicture, MadeFromPackedDIBDrawsItsPixels) {
    const std::vector<uint8_t> rows = {0, 0, 255, 255, 0, 0, 0, 0, 0, 255, 0, 255, 255, 255, 0, 0};
    const auto file = BMP(2, 2, 24, {}, rows);
    HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, file.size() - 14);
    std::memcpy(GlobalLock(block), file.data() + 14, file.size() - 14);
    GlobalUnlock(block);
    PictureRef picture(new DIBPicture(block));
    GlobalFree(block);
    int32_t w = 0, h = 0;
    picture->GetSize(w, h);
    EXPECT_EQ(w, 2);
    EXPECT_EQ(picture->Depth(), 24);
    Surface surface;
    picture->DrawToDC(surface.dc, R(0, 0, 4, 4), false);
    const auto pixels = surface.Pixels();
    EXPECT_EQ(pixels[0], 0x0000FF00u);
    EXPECT_EQ(pixels[3 * kWidth + 3], 0x000000FFu);
    EXPECT_EQ(pixels[4], 0x00F0F0F0u);
}

// --- transparent and masked drawing ---

TEST(TransparentDrawing, WhitePixelsLeaveTheBackground) {
    PictureRef picture(new OffscreenPicture(R(0, 0, 4, 1), 32));
    auto* offscreen = static_cast<OffscreenPicture*>(picture.Get());
    SetPixel32(offscreen, 0, 0, 0x00FFFFFF);
    SetPixel32(offscreen, 1, 0, 0x00FFFFFE);
    SetPixel32(offscreen, 2, 0, 0x80FFFFFF);
    SetPixel32(offscreen, 3, 0, 0x00000000);
    Surface surface;
    picture->DrawPartToDC(surface.dc, R(0, 0, 4, 1), R(10, 10, 14, 11), false, true);
    const auto pixels = surface.Pixels();
    const uint32_t* row = &pixels[10 * kWidth + 10];
    EXPECT_EQ(row[0], 0x00F0F0F0u);
    EXPECT_EQ(row[1], 0x00FFFFFEu);
    EXPECT_EQ(row[2], 0x00F0F0F0u);
    EXPECT_EQ(row[3], 0x00000000u);
    EXPECT_EQ(surface.Painted(), 2);
}

TEST(TransparentDrawing, EightBitIndex215IsWhite) {
    PictureRef picture(new OffscreenPicture(R(0, 0, 4, 1), 8));
    auto* offscreen = static_cast<OffscreenPicture*>(picture.Get());
    GdiFlush();
    offscreen->Bits()[1] = 0;  // black
    Surface surface;
    picture->DrawPartToDC(surface.dc, R(0, 0, 4, 1), R(0, 0, 4, 1), false, true);
    const auto pixels = surface.Pixels();
    EXPECT_EQ(pixels[0], 0x00F0F0F0u);
    EXPECT_EQ(pixels[1], 0x00000000u);
    EXPECT_EQ(pixels[2], 0x00F0F0F0u);
}

TEST(TransparentDrawing, WhiteMaskIsBuiltOncePerChange) {
    PictureRef picture(new OffscreenPicture(R(0, 0, 4, 4), 32));
    auto* offscreen = static_cast<OffscreenPicture*>(picture.Get());
    Surface surface;
    picture->DrawPartToDC(surface.dc, R(0, 0, 4, 4), R(0, 0, 4, 4), false, true);
    picture->DrawPartToDC(surface.dc, R(0, 0, 4, 4), R(0, 0, 4, 4), false, true);
    EXPECT_EQ(offscreen->WhiteMaskBuilds(), 1);
    GraphicsImp* graphics = picture->NewGraphics();
    graphics->PaintRect(R(0, 0, 1, 1));
    EndAllDrawing();
    delete graphics;
    picture->DrawPartToDC(surface.dc, R(0, 0, 4, 4), R(20, 0, 24, 4), false, true);
    EXPECT_EQ(offscreen->WhiteMaskBuilds(), 2);
    EXPECT_EQ(surface.Pixels()[20], 0x00000000u);
    EXPECT_EQ(surface.Pixels()[21], 0x00F0F0F0u);
}

// A 32-bit picture of one colour with a mask of one grey value.
struct MaskedPicture {
    MaskedPicture(int width, int height, int depth, uint32_t colour, uint8_t grey)
        : picture(new OffscreenPicture(width, height, depth)) {
        auto* offscreen = static_cast<OffscreenPicture*>(picture.Get());
        GdiFlush();
        for (int y = 0; y < height; ++y)
            for (int x = 0; x < width; ++x) {
                uint8_t* p = offscreen->Bits() + y * offscreen->RowBytes() + depth / 8 * x;
                p[0] = colour & 0xFF;
                p[1] = (colour >> 8) & 0xFF;
                p[2] = (colour >> 16) & 0xFF;
            }
        picture->EnsureMask();
        auto* mask = static_cast<OffscreenPicture*>(picture->GetMask());
        for (int y = 0; y < height; ++y)
            for (int x = 0; x < width; ++x) SetPixel32(mask, x, y, grey * 0x010101u);
    }
    PictureRef picture;
};

TEST(MaskedDrawing, MaskMixesPictureAndBackground) {
    const struct {
        int depth;
        uint8_t grey;
        bool transparent;
        uint32_t expected;  // over the F0F0F0 paper
    } table[] = {
        {32, 128, false, (0x40 * 127 / 255 + 0xF0 * 128 / 255) * 0x010101u},
        {32, 0, false, 0x00404040},
        {32, 255, false, 0x00F0F0F0},
        {24, 0, true, 0x00404040},
    };
    for (const auto& row : table) {
        SCOPED_TRACE(row.grey);
        MaskedPicture masked(4, 4, row.depth, 0x404040, row.grey);
        Surface surface;
        masked.picture->DrawPartToDC(surface.dc, R(0, 0, 4, 4), R(0, 0, 4, 4), false,
                                     row.transparent);
        EXPECT_EQ(surface.Pixels()[kWidth + 1], row.expected);
    }
}

TEST(MaskedDrawing, WhiteIsDrawnThroughAMaskEvenWhenTransparent) {
    MaskedPicture masked(2, 2, 32, 0xFFFFFF, 0);
    Surface surface;
    masked.picture->DrawPartToDC(surface.dc, R(0, 0, 2, 2), R(0, 0, 2, 2), false, true);
    EXPECT_EQ(surface.Pixels()[0], 0x00FFFFFFu);
}

TEST(MaskedDrawing, EightBitPictureIgnoresItsMask) {
    PictureRef picture(new OffscreenPicture(R(0, 0, 2, 2), 8));
    picture->EnsureMask();
    auto* mask = static_cast<OffscreenPicture*>(picture->GetMask());
    SetPixel32(mask, 0, 0, 0x00FFFFFF);
    Surface surface;
    picture->DrawPartToDC(surface.dc, R(0, 0, 2, 2), R(0, 0, 2, 2), false, false);
    EXPECT_EQ(surface.Pixels()[0], 0x00FFFFFFu);
}

TEST(MaskedDrawing, OnlyTheDestinationChanges) {
    // A 10 x 10 picture drawn from a larger source into 40 x 40: nothing outside the picture is
    // read, and the rest of the destination keeps the paper.
    MaskedPicture masked(10, 10, 32, 0x000000, 0);
    Surface surface;
    masked.picture->DrawPartToDC(surface.dc, R(0, 0, 40, 40), R(0, 0, 40, 40), false, false);
    const auto pixels = surface.Pixels();
    int black = 0, paper = 0;
    for (int y = 0; y < 40; ++y)
        for (int x = 0; x < 40; ++x) {
            black += pixels[y * kWidth + x] == 0;
            paper += pixels[y * kWidth + x] == 0x00F0F0F0;
        }
    EXPECT_EQ(black, 100);
    EXPECT_EQ(paper, 1500);

    // Three destination columns use a four-pixel-wide work area but change only three.
    MaskedPicture narrow(3, 1, 24, 0x000000, 0);
    Surface other;
    narrow.picture->DrawPartToDC(other.dc, R(0, 0, 3, 1), R(5, 5, 8, 6), false, false);
    EXPECT_EQ(other.Painted(), 3);

    // Each source pixel of a 2x enlargement covers a 2 x 2 block.
    MaskedPicture small(2, 2, 32, 0x000000, 0);
    auto* offscreen = static_cast<OffscreenPicture*>(small.picture.Get());
    SetPixel32(offscreen, 1, 0, 0x00FF0000);
    Surface scaled;
    small.picture->DrawPartToDC(scaled.dc, R(0, 0, 2, 2), R(0, 0, 4, 4), false, false);
    const auto big = scaled.Pixels();
    EXPECT_EQ(big[2], 0x00FF0000u);
    EXPECT_EQ(big[kWidth + 3], 0x00FF0000u);
    EXPECT_EQ(big[kWidth + 1], 0u);
}

}  // namespace
