// Drawing an offscreen picture into a device context: the plain scaled copy, transparent drawing
// through the cached white mask and colour copy, and the software blend through a mask picture.
#include <cstring>

#include "graphics/PictureBlend.h"
#include "graphics/PictureImp.h"

namespace {

int32_t RectWidth(const Rect16& r) { return r.right - r.left; }
int32_t RectHeight(const Rect16& r) { return r.bottom - r.top; }

// A one-bit top-down section, colour 0 black and 1 white.
HBITMAP NewWhiteMaskSection(int32_t width, int32_t height, uint8_t** bits) {
    struct {
        BITMAPINFOHEADER header;
        RGBQUAD colors[2];
    } info = {};
    info.header.biSize = sizeof(BITMAPINFOHEADER);
    info.header.biWidth = width;
    info.header.biHeight = -height;
    info.header.biPlanes = 1;
    info.header.biBitCount = 1;
    info.colors[1] = RGBQUAD{255, 255, 255, 0};
    void* pixels = nullptr;
    HBITMAP section = CreateDIBSection(nullptr, reinterpret_cast<BITMAPINFO*>(&info),
                                       DIB_RGB_COLORS, &pixels, nullptr, 0);
    if (section && !pixels) {
        DeleteObject(section);
        return nullptr;
    }
    *bits = static_cast<uint8_t*>(pixels);
    return section;
}

}  // namespace

bool OffscreenPicture::BuildWhiteMask() {
    const int32_t depth = mDepth;
    if (depth != 1 && depth != 4 && depth != 8 && depth != 16 && depth != 24 && depth != 32)
        return false;
    if (!mBits) return false;
    if (mWhiteMask && mWhiteMaskSeed == mChangeSeed) return true;
    if (!mWhiteMask) mWhiteMask = NewWhiteMaskSection(mWidth, mHeight, &mWhiteMaskBits);
    if (!mColorCopy)
        mColorCopy = NewDIBSectionOfDepth(mWidth, mHeight, depth, &mColorCopyBits, nullptr);
    if (!mWhiteMask || !mColorCopy) return false;
    GdiFlush();
    std::memcpy(mColorCopyBits, mBits, static_cast<size_t>(mHeight) * mRowBytes);
    mWhiteMaskSeed = mChangeSeed;
    ++mWhiteMaskBuilds;
    const PixelRows rows{mBits, depth, mRowBytes, mWidth, mHeight};
    return BuildWhiteMaskRows(rows, mWhiteMaskBits, mColorCopyBits);
}

void OffscreenPicture::DrawPartToDC(HDC dc, const Rect16& source, const Rect16& destination, bool,
                                    bool transparent) {
    if (!mSection || !dc) return;
    auto* mask = static_cast<OffscreenPicture*>(mMask);
    if (mask && mask->mBits && mask->mWidth == mWidth && mask->mHeight == mHeight &&
        mDepth >= 24) {
        BlendWithMask(dc, destination, source);
        return;
    }
    bool release = false;
    HDC memory = AcquireDC(release);
    if (!memory) return;
    const int32_t dw = RectWidth(destination), dh = RectHeight(destination);
    const int32_t sw = RectWidth(source), sh = RectHeight(source);
    if (transparent && BuildWhiteMask()) {
        HDC work = CreateCompatibleDC(dc);
        HBITMAP workBitmap = CreateCompatibleBitmap(dc, dw, dh);
        if (work && workBitmap) {
            HGDIOBJ workPrevious = SelectObject(work, workBitmap);
            BitBlt(work, 0, 0, dw, dh, dc, destination.left, destination.top, SRCCOPY);
            HDC second = CreateCompatibleDC(dc);
            HGDIOBJ secondPrevious = SelectObject(second, mWhiteMask);
            SetStretchBltMode(dc, COLORONCOLOR);
            StretchBlt(work, 0, 0, dw, dh, second, source.left, source.top, sw, sh, SRCAND);
            SelectObject(second, mColorCopy);
            StretchBlt(work, 0, 0, dw, dh, second, source.left, source.top, sw, sh, SRCPAINT);
            SelectObject(second, secondPrevious);
            DeleteDC(second);
            BitBlt(dc, destination.left, destination.top, dw, dh, work, 0, 0, SRCCOPY);
            SelectObject(work, workPrevious);
        }
        if (workBitmap) DeleteObject(workBitmap);
        if (work) DeleteDC(work);
    } else {
        SetStretchBltMode(dc, COLORONCOLOR);
        StretchBlt(dc, destination.left, destination.top, dw, dh, memory, source.left, source.top,
                   sw, sh, SRCCOPY);
    }
    ReleaseDC(release);
}

void OffscreenPicture::BlendWithMask(HDC dc, const Rect16& destination, const Rect16& source) {
    const int32_t destWidth = RectWidth(destination);
    const int32_t height = RectHeight(destination);
    if (destWidth <= 0 || height <= 0) return;
    const int32_t width = (destWidth + 3) / 4 * 4;
    HDC memory = CreateCompatibleDC(dc);
    if (!memory) return;
    BITMAPINFO info = {};
    info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 24;
    void* bits = nullptr;
    HBITMAP section = CreateDIBSection(dc, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    if (section && bits) {
        HGDIOBJ previous = SelectObject(memory, section);
        BitBlt(memory, 0, 0, width, height, dc, destination.left, destination.top, SRCCOPY);
        GdiFlush();
        auto* mask = static_cast<OffscreenPicture*>(mMask);
        const PixelRows rows{mBits, mDepth, mRowBytes, mWidth, mHeight};
        BlendThroughMask(rows, mask->mBits, mask->mRowBytes, source.left, source.top,
                         RectWidth(source), RectHeight(source), static_cast<uint8_t*>(bits),
                         width * 3, destWidth, height);
        BitBlt(dc, destination.left, destination.top, destWidth, height, memory, 0, 0, SRCCOPY);
        SelectObject(memory, previous);
    }
    if (section) DeleteObject(section);
    DeleteDC(memory);
}
