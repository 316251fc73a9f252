// The offscreen picture's pixel store, its memory device context and its exchange as packed DIBs.
// Its drawing is in OffscreenPictureDrawing.cpp.
#include <cstring>

#include "graphics/DIBUtilities.h"
#include "graphics/GraphicsGDI.h"
#include "graphics/PictureImp.h"
#include "windows/Drawing.h"

namespace {

constexpr double kInchesPerMetre = 39.37007874015748;

struct RGBEntry {
    uint8_t red, green, blue;
};

constexpr RGBEntry kTable1[2] = {{255, 255, 255}, {0, 0, 0}};
constexpr RGBEntry kTable2[4] = {{255, 255, 255}, {192, 192, 192}, {128, 128, 128}, {0, 0, 0}};
constexpr RGBEntry kTable4[16] = {
    {255, 255, 255}, {252, 243, 5}, {255, 100, 2},  {221, 8, 6},     {242, 8, 132},  {70, 0, 165},
    {0, 0, 212},     {2, 171, 234}, {31, 183, 20},  {0, 100, 17},    {86, 44, 5},    {144, 113, 58},
    {192, 192, 192}, {128, 128, 128}, {64, 64, 64}, {0, 0, 0}};

uint32_t ColorTableEntries(int32_t depth) {
    switch (depth) {
    case 1: return 2;
    case 2: return 4;
    case 4: return 16;
    case 8: return 256;
    default: return 0;
    }
}

// The default colour table of the depth in DIB order (blue, green, red, 0).
void FillColorTable(RGBQUAD* table, int32_t depth) {
    const RGBEntry* entries = depth == 1 ? kTable1 : depth == 2 ? kTable2 : depth == 4 ? kTable4 : nullptr;
    if (entries) {
        for (uint32_t i = 0; i < ColorTableEntries(depth); ++i)
            table[i] = RGBQUAD{entries[i].blue, entries[i].green, entries[i].red, 0};
        return;
    }
    if (depth != 8) return;
    for (int i = 0; i < 256; ++i) {
        if (i >= 216) {
            table[i] = RGBQUAD{0, 0, 0, 0};
            continue;
        }
        table[i] = RGBQUAD{static_cast<BYTE>(51 * (i % 6)), static_cast<BYTE>(51 * (i / 6 % 6)),
                           static_cast<BYTE>(51 * (i / 36)), 0};
    }
}

// Swaps rows i and height - 1 - i.
void FlipRows(uint8_t* bits, int32_t height, int32_t rowBytes) {
    uint8_t* scratch = static_cast<uint8_t*>(GuardedNew(rowBytes));
    if (!scratch) return;
    for (int32_t i = 0; i < height / 2; ++i) {
        uint8_t* a = bits + static_cast<size_t>(i) * rowBytes;
        uint8_t* b = bits + static_cast<size_t>(height - 1 - i) * rowBytes;
        std::memcpy(scratch, a, rowBytes);
        std::memcpy(a, b, rowBytes);
        std::memcpy(b, scratch, rowBytes);
    }
    GuardedDelete(scratch);
}

Rect16 PaneRect(int32_t width, int32_t height) {
    auto clamp = [](int32_t v) { return static_cast<int16_t>(v < 0 ? 0 : v > 0x7FFF ? 0x7FFF : v); };
    return Rect16{0, 0, clamp(height), clamp(width)};
}

}  // namespace

HBITMAP NewDIBSectionOfDepth(int32_t width, int32_t height, int32_t depth, uint8_t** bits,
                             int32_t* rowBytes) {
    const int32_t row = PictureRowBytes(width, depth);
    if (bits) *bits = nullptr;
    if (rowBytes) *rowBytes = row;
    if (width <= 0 || height <= 0 || row == 0 || static_cast<int64_t>(row) * height > 0x7FFFFFFF)
        return nullptr;
    struct {
        BITMAPINFOHEADER header;
        RGBQUAD colors[256];
    } info = {};
    info.header.biSize = sizeof(BITMAPINFOHEADER);
    info.header.biWidth = width;
    info.header.biHeight = -height;
    info.header.biPlanes = 1;
    info.header.biBitCount = static_cast<WORD>(depth);
    FillColorTable(info.colors, depth);
    void* pixels = nullptr;
    HBITMAP section = CreateDIBSection(nullptr, reinterpret_cast<BITMAPINFO*>(&info),
                                       DIB_RGB_COLORS, &pixels, nullptr, 0);
    if (section && !pixels) {
        DeleteObject(section);
        return nullptr;
    }
    if (bits) *bits = static_cast<uint8_t*>(pixels);
    return section;
}

HGLOBAL WidenPackedDIB16(int32_t width, int32_t height, const uint8_t* bits) {
    const int32_t n = height < 0 ? -height : height;
    const int32_t sourceRow = PictureRowBytes(width, 16);
    const int32_t b = PictureRowBytes(width, 24);
    if (!bits || width <= 0 || n <= 0 || b == 0) return nullptr;
    const int64_t total = 40 + static_cast<int64_t>(b) * n;
    if (total > 0x7FFFFFFF) return nullptr;
    HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, static_cast<SIZE_T>(total));
    if (!block) return nullptr;
    auto* header = static_cast<BITMAPINFOHEADER*>(GlobalLock(block));
    if (!header) {
        GlobalFree(block);
        return nullptr;
    }
    header->biSize = 40;
    header->biWidth = width;
    header->biHeight = n;
    header->biPlanes = 1;
    header->biBitCount = 24;
    header->biSizeImage = static_cast<DWORD>(b) * n;
    header->biXPelsPerMeter = header->biYPelsPerMeter = 2834;
    uint8_t* rows = reinterpret_cast<uint8_t*>(header) + 40;
    for (int32_t i = 0; i < n; ++i) {
        const uint8_t* from = bits + static_cast<size_t>(i) * sourceRow;
        uint8_t* to = rows + static_cast<size_t>(height < 0 ? n - 1 - i : i) * b;
        for (int32_t x = 0; x < width; ++x) {
            const uint32_t v = from[2 * x] | (from[2 * x + 1] << 8);
            to[3 * x] = static_cast<uint8_t>((v & 31) * 255 / 31);
            to[3 * x + 1] = static_cast<uint8_t>(((v >> 5) & 31) * 255 / 31);
            to[3 * x + 2] = static_cast<uint8_t>(((v >> 10) & 31) * 255 / 31);
        }
    }
    GlobalUnlock(block);
    return block;
}

// --- OffscreenPicture ---

OffscreenPicture::OffscreenPicture(const Rect16& rect, int32_t depth, int32_t)
    : Pane(rect), mWidth(rect.right - rect.left), mHeight(rect.bottom - rect.top) {
    Construct(depth);
}

OffscreenPicture::OffscreenPicture(int32_t width, int32_t height, int32_t depth)
    : Pane(PaneRect(width, height)), mWidth(width < 0 ? 0 : width), mHeight(height < 0 ? 0 : height) {
    Construct(depth);
}

void OffscreenPicture::Construct(int32_t depth) {
    if (depth == 2) depth = 4;
    mDepth = depth;
    const uint32_t entries = ColorTableEntries(depth);
    mHeaderSize = static_cast<int32_t>(40 + 4 * entries);
    mHeader = static_cast<BITMAPINFOHEADER*>(GuardedNew(mHeaderSize));
    std::memset(mHeader, 0, mHeaderSize);
    FillColorTable(reinterpret_cast<RGBQUAD*>(mHeader + 1), depth);
    mHeader->biSize = 40;
    mHeader->biWidth = mWidth;
    mHeader->biHeight = -mHeight;
    mHeader->biPlanes = 1;
    mHeader->biBitCount = static_cast<WORD>(depth);
    mRowBytes = PictureRowBytes(mWidth, depth);
    mSection = NewDIBSectionOfDepth(mWidth, mHeight, depth, &mBits, nullptr);
    if (!mSection) return;
    bool release = false;
    if (HDC dc = AcquireDC(release)) {
        RECT all = {0, 0, mWidth, mHeight};
        FillRect(dc, &all, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
        GdiFlush();
        ReleaseDC(release);
    }
}

OffscreenPicture::~OffscreenPicture() {
    if (CurrentPane() == static_cast<Pane*>(this)) EndAllDrawing();
    while (mDCCount > 0) ReleaseDC(true);
    if (mSection) DeleteObject(mSection);
    if (mWhiteMask) DeleteObject(mWhiteMask);
    if (mColorCopy) DeleteObject(mColorCopy);
    if (mLent) GlobalFree(mLent);
    GuardedDelete(mHeader);
}

void OffscreenPicture::BeforeRelease() { EndAllDrawing(); }

bool OffscreenPicture::Focus() {
    ++mChangeSeed;
    return true;
}

HDC OffscreenPicture::AcquireDC(bool& mustRelease) {
    mustRelease = true;
    if (mDCCount == 0) {
        HDC screen = ::GetDC(nullptr);
        mMemoryDC = CreateCompatibleDC(screen);
        ::ReleaseDC(nullptr, screen);
        if (!mMemoryDC) return nullptr;
        if (mSection) mPreviousBitmap = SelectObject(mMemoryDC, mSection);
        SetTextAlign(mMemoryDC, TA_BASELINE);
    }
    ++mDCCount;
    return mMemoryDC;
}

void OffscreenPicture::ReleaseDC(bool) {
    if (mDCCount <= 0 || --mDCCount > 0) return;
    if (mPreviousBitmap) SelectObject(mMemoryDC, mPreviousBitmap);
    mPreviousBitmap = nullptr;
    DeleteDC(mMemoryDC);
    mMemoryDC = nullptr;
}

GraphicsImp* OffscreenPicture::NewGraphics() { return NewGraphicsGDI(this); }

bool OffscreenPicture::GetPixels(int32_t& depth, uint8_t*& bits, int32_t& rowBytes) {
    if (!mBits) return false;
    // Whoever holds the pixels may change them.
    ++mChangeSeed;
    GdiFlush();
    depth = mDepth;
    bits = mBits;
    rowBytes = mRowBytes;
    return true;
}

HGLOBAL OffscreenPicture::CopyPackedDIB() {
    if (!mBits) return nullptr;
    GdiFlush();
    if (mWiden16 && mHeader->biBitCount == 16) return WidenPackedDIB16(mWidth, -mHeight, mBits);
    const int64_t image = static_cast<int64_t>(mHeight) * mRowBytes;
    if (mHeaderSize + image > 0x7FFFFFFF) return nullptr;
    HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, static_cast<SIZE_T>(mHeaderSize + image));
    if (!block) return nullptr;
    auto* header = static_cast<BITMAPINFOHEADER*>(GlobalLock(block));
    if (!header) {
        GlobalFree(block);
        return nullptr;
    }
    std::memcpy(header, mHeader, mHeaderSize);
    header->biSize = 40;
    if (header->biHeight < 0) header->biHeight = -header->biHeight;
    header->biPlanes = 1;
    header->biCompression = BI_RGB;
    header->biSizeImage = static_cast<DWORD>(image);
    header->biXPelsPerMeter = static_cast<LONG>(HResolution() * kInchesPerMetre);
    header->biYPelsPerMeter = static_cast<LONG>(VResolution() * kInchesPerMetre);
    uint8_t* rows = reinterpret_cast<uint8_t*>(header) + mHeaderSize;
    for (int32_t i = 0; i < mHeight; ++i)
        std::memcpy(rows + static_cast<size_t>(mHeight - 1 - i) * mRowBytes,
                    mBits + static_cast<size_t>(i) * mRowBytes, mRowBytes);
    GlobalUnlock(block);
    return block;
}

void OffscreenPicture::LockDescription(PictureDescription& description) {
    PictureImp::LockDescription(description);
    description.kind = kDescriptionPackedDIB;
    if (mLent) GlobalFree(mLent);
    mLent = CopyPackedDIB();
    description.handle = mLent;
}

bool OffscreenPicture::LockDescriptionOfKind(PictureDescription& description, int32_t kind) {
    if (kind == kDescriptionPackedDIB) {
        LockDescription(description);
        return true;
    }
    PictureImp::LockDescription(description);
    if (kind != kDescriptionBitmap) return false;
    description.kind = kDescriptionBitmap;
    description.handle = mSection;
    return true;
}

void OffscreenPicture::UnlockDescription(PictureDescription& description) {
    if (mLent) {
        // The block may have been shrunk or replaced by the plug-in: copy only what it holds.
        const SIZE_T size = GlobalSize(mLent);
        const auto* block = static_cast<const uint8_t*>(GlobalLock(mLent));
        const int64_t image = static_cast<int64_t>(mHeight) * mRowBytes;
        if (block && mBits && static_cast<int64_t>(size) >= mHeaderSize + image) {
            GdiFlush();
            std::memcpy(mBits, block + mHeaderSize, static_cast<size_t>(image));
            FlipRows(mBits, mHeight, mRowBytes);
            ++mChangeSeed;
        }
        if (block) GlobalUnlock(mLent);
        GlobalFree(mLent);
        mLent = nullptr;
    }
    PictureImp::UnlockDescription(description);
}

void OffscreenPicture::CopyFromPicture(PictureImp* other) {
    if (!other || !mSection) return;
    HGLOBAL packed = other->CopyPackedDIB();
    if (!packed) return;
    bool release = false;
    if (HDC dc = AcquireDC(release)) {
        int32_t width = 0, height = 0;
        other->GetSize(width, height);
        HPALETTE palette = CreateSystemPalette();
        DrawPackedDIB(dc, RECT{0, 0, mWidth, mHeight}, packed, RECT{0, 0, width, height}, palette);
        if (palette) DeleteObject(palette);
        GdiFlush();
        ReleaseDC(release);
        ++mChangeSeed;
    }
    GlobalFree(packed);
}

void OffscreenPicture::DrawToDC(HDC dc, const Rect16& destination, bool transparent) {
    DrawPartToDC(dc, PaneRect(mWidth, mHeight), destination, true, transparent);
}
