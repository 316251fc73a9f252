#include "PictureImp.h"

#include <cstring>

#include "graphics/BitmapHeader.h"
#include "graphics/GraphicsGDI.h"

namespace {

constexpr double kInchesPerMetre = 39.37007874015748;

int32_t RectWidth(const Rect16& r) { return r.right - r.left; }
int32_t RectHeight(const Rect16& r) { return r.bottom - r.top; }

// The 32-bit top-down section of a picture's pixels, its rows written from the reader.
HBITMAP SectionFromLayout(const BitmapLayout& layout, const uint8_t* dib, uint8_t** bitsOut) {
    uint8_t* bits = nullptr;
    int32_t rowBytes = 0;
    HBITMAP section = NewDIBSectionOfDepth(layout.width, layout.height, 32, &bits, &rowBytes);
    if (!section) return nullptr;
    for (int32_t y = 0; y < layout.height; ++y) {
        auto* row = reinterpret_cast<uint32_t*>(bits + static_cast<size_t>(y) * rowBytes);
        for (int32_t x = 0; x < layout.width; ++x)
            row[x] = ReadBitmapPixel(layout, dib, x, y) & 0x00FFFFFF;
    }
    if (bitsOut) *bitsOut = bits;
    return section;
}

// Pixels per metre as dots per inch, truncated toward zero.
int32_t DotsPerInch(int32_t pelsPerMetre) {
    return static_cast<int32_t>(pelsPerMetre / kInchesPerMetre);
}

}  // namespace

// --- PictureImp ---

PictureImp::~PictureImp() {
    if (mMask) mMask->Release();
    ClearCache();
}

void PictureImp::Release() {
    if (--mRefCount > 0) return;
    BeforeRelease();
    delete this;
}

void PictureImp::LockDescription(PictureDescription& description) {
    Retain();
    description.kind = kDescriptionNone;
    description.handle = nullptr;
    GetSize(description.width, description.height);
}

bool PictureImp::LockDescriptionOfKind(PictureDescription& description, int32_t) {
    LockDescription(description);
    return true;
}

void PictureImp::UnlockDescription(PictureDescription&) { Release(); }

bool PictureImp::GetPixels(int32_t&, uint8_t*&, int32_t&) { return false; }

void PictureImp::Draw(GraphicsImp* graphics, const Rect16& destination, bool transparent) {
    if (!PrefersPartDrawing()) {
        graphics->BeginDrawing();
        if (GraphicsGDI* gdi = graphics->AsGraphicsGDI()) DrawToDC(gdi->GetDC(), destination, transparent);
        return;
    }
    const Rect16 source = {0, 0, static_cast<int16_t>(RectHeight(destination)),
                           static_cast<int16_t>(RectWidth(destination))};
    DrawIntoGraphics(graphics, source, destination, transparent);
}

void PictureImp::DrawIntoGraphics(GraphicsImp* graphics, const Rect16& source,
                                  const Rect16& destination, bool transparent) {
    if (!graphics) return;
    graphics->BeginDrawing();
    graphics->BeforeShapeDrawing();
    GraphicsGDI* gdi = graphics->AsGraphicsGDI();
    if (!gdi) return;
    const bool windowFlag = graphics->GetPane() && graphics->GetPane()->HasWindow();
    if (HDC dc = gdi->GetDC()) DrawPartToDC(dc, source, destination, windowFlag, transparent);
}

void PictureImp::EnsureMask() {
    if (mMask) return;
    int32_t width = 0, height = 0;
    GetSize(width, height);
    mMask = new OffscreenPicture(width, height, 32);
}

PictureImp* PictureImp::IndexedImage(int32_t) {
    Retain();
    return this;
}

// --- DIBPicture ---

DIBPicture::DIBPicture(HGLOBAL packedDIB) {
    const SIZE_T size = packedDIB ? GlobalSize(packedDIB) : 0;
    if (!size) return;
    mPackedDIB = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, size);
    const void* source = GlobalLock(packedDIB);
    void* copy = mPackedDIB ? GlobalLock(mPackedDIB) : nullptr;
    if (source && copy) {
        std::memcpy(copy, source, size);
        BitmapLayout layout;
        const auto* dib = static_cast<const uint8_t*>(copy);
        if (ReadDIBLayout(dib, size, layout) && layout.width <= 0x7FFF && layout.height <= 0x7FFF) {
            mDepth = layout.bitCount;
            mSection = SectionFromLayout(layout, dib, nullptr);
            if (mSection) {
                mWidth = layout.width;
                mHeight = layout.height;
            }
        }
    }
    if (copy) GlobalUnlock(mPackedDIB);
    if (source) GlobalUnlock(packedDIB);
}

DIBPicture::~DIBPicture() {
    if (mSection) DeleteObject(mSection);
    if (mPackedDIB) GlobalFree(mPackedDIB);
    if (mLent) GlobalFree(mLent);
}

void DIBPicture::LockDescription(PictureDescription& description) {
    PictureImp::LockDescription(description);
    description.kind = kDescriptionPackedDIB;
    if (mLent) GlobalFree(mLent);
    mLent = CopyPackedDIB();
    description.handle = mLent;
}

void DIBPicture::UnlockDescription(PictureDescription& description) {
    if (mLent) GlobalFree(mLent);
    mLent = nullptr;
    PictureImp::UnlockDescription(description);
}

HGLOBAL DIBPicture::CopyPackedDIB() {
    const SIZE_T size = mPackedDIB ? GlobalSize(mPackedDIB) : 0;
    if (!size) return nullptr;
    HGLOBAL copy = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, size);
    if (!copy) return nullptr;
    void* to = GlobalLock(copy);
    const void* from = GlobalLock(mPackedDIB);
    if (to && from) std::memcpy(to, from, size);
    if (from) GlobalUnlock(mPackedDIB);
    if (to) GlobalUnlock(copy);
    return copy;
}

void DIBPicture::GetSize(int32_t& width, int32_t& height) {
    width = mWidth;
    height = mHeight;
}

void DIBPicture::DrawToDC(HDC dc, const Rect16& destination, bool transparent) {
    DrawPartToDC(dc, Rect16{0, 0, static_cast<int16_t>(mHeight), static_cast<int16_t>(mWidth)},
                 destination, false, transparent);
}

void DIBPicture::DrawPartToDC(HDC dc, const Rect16& source, const Rect16& destination, bool,
                              bool) {
    if (!mSection) return;
    HDC memory = CreateCompatibleDC(dc);
    if (!memory) return;
    HGDIOBJ previous = SelectObject(memory, mSection);
    SetStretchBltMode(dc, COLORONCOLOR);
    StretchBlt(dc, destination.left, destination.top, RectWidth(destination),
               RectHeight(destination), memory, source.left, source.top, RectWidth(source),
               RectHeight(source), SRCCOPY);
    SelectObject(memory, previous);
    DeleteDC(memory);
}

// --- free functions ---

int32_t PictureRowBytes(int32_t width, int32_t depth) {
    const int64_t w = width < 0 ? 0 : width;
    int64_t bytes;
    switch (depth) {
    case 1: bytes = (w + 31) / 32 * 4; break;
    case 2: bytes = (w + 15) / 16 * 4; break;
    case 4: bytes = (w + 7) / 8 * 4; break;
    case 8: bytes = (w + 3) / 4 * 4; break;
    case 16: bytes = (w + 1) / 2 * 4; break;
    case 24: bytes = (3 * w + 3) / 4 * 4; break;
    case 32: bytes = 4 * w; break;
    default: return 0;
    }
    return bytes > 0x7FFFFFFF ? 0 : static_cast<int32_t>(bytes);
}

PictureImp* NewDIBPictureFromBMP(const void* bytes, uint32_t length) {
    const auto* file = static_cast<const uint8_t*>(bytes);
    BitmapLayout layout;
    if (!file || !ReadBMPLayout(file, length, layout)) return nullptr;
    if (layout.width > 0x7FFF || layout.height > 0x7FFF) return nullptr;
    auto* picture = new OffscreenPicture(layout.width, layout.height, 32);
    if (uint8_t* bits = picture->Bits()) {
        GdiFlush();
        const uint8_t* dib = file + kFileHeaderSize;
        for (int32_t y = 0; y < layout.height; ++y) {
            auto* row = reinterpret_cast<uint32_t*>(bits + static_cast<size_t>(y) * picture->RowBytes());
            for (int32_t x = 0; x < layout.width; ++x)
                row[x] = ReadBitmapPixel(layout, dib, x, y) & 0x00FFFFFF;
        }
    }
    picture->SetHResolution(DotsPerInch(layout.xPelsPerMeter));
    picture->SetVResolution(DotsPerInch(layout.yPelsPerMeter));
    return picture;
}
