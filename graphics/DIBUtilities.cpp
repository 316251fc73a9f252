#include "DIBUtilities.h"

#include <cstring>

namespace {

bool IsInfoHeader(const void* header) {
    return static_cast<const BITMAPINFOHEADER*>(header)->biSize >= sizeof(BITMAPINFOHEADER);
}

uint32_t DepthOf(const void* header) {
    return IsInfoHeader(header) ? static_cast<const BITMAPINFOHEADER*>(header)->biBitCount
                                : static_cast<const BITMAPCOREHEADER*>(header)->bcBitCount;
}

// Selects a palette for the time it lives.
class PaletteSelection {
public:
    PaletteSelection(HDC dc, HPALETTE palette, bool background) : mDC(dc) {
        if (!palette) return;
        mOld = SelectPalette(dc, palette, background);
        RealizePalette(dc);
    }
    ~PaletteSelection() {
        if (mOld) SelectPalette(mDC, mOld, FALSE);
    }
    PaletteSelection(const PaletteSelection&) = delete;
    PaletteSelection& operator=(const PaletteSelection&) = delete;

private:
    HDC mDC;
    HPALETTE mOld = nullptr;
};

int32_t Width(const RECT& r) { return r.right - r.left; }
int32_t Height(const RECT& r) { return r.bottom - r.top; }

}  // namespace

uint32_t DIBColorCount(const void* header) {
    if (IsInfoHeader(header)) {
        const uint32_t used = static_cast<const BITMAPINFOHEADER*>(header)->biClrUsed;
        if (used) return used;
    }
    switch (DepthOf(header)) {
    case 1: return 2;
    case 2: return 4;
    case 4: return 16;
    case 8: return 256;
    default: return 0;
    }
}

uint32_t DIBColorTableSize(const void* header) {
    if (!IsInfoHeader(header)) return DIBColorCount(header) * sizeof(RGBTRIPLE);
    const auto* info = static_cast<const BITMAPINFOHEADER*>(header);
    const uint32_t masks =
        info->biSize == sizeof(BITMAPINFOHEADER) && info->biCompression == BI_BITFIELDS ? 12 : 0;
    return DIBColorCount(header) * sizeof(RGBQUAD) + masks;
}

const uint8_t* DIBBitsPointer(const void* header) {
    return static_cast<const uint8_t*>(header) + *static_cast<const uint32_t*>(header) +
           static_cast<uint16_t>(DIBColorTableSize(header));
}

int32_t DIBHeight(const void* header) {
    return IsInfoHeader(header) ? static_cast<const BITMAPINFOHEADER*>(header)->biHeight
                                : static_cast<const BITMAPCOREHEADER*>(header)->bcHeight;
}

int DrawPackedDIB(HDC dc, const RECT& destination, HGLOBAL dib, const RECT& source,
                  HPALETTE palette) {
    if (!dib) return 0;
    const void* header = GlobalLock(dib);
    if (!header) return 0;
    const uint8_t* bits = DIBBitsPointer(header);
    const auto* info = static_cast<const BITMAPINFO*>(header);
    int result;
    {
        PaletteSelection selection(dc, palette, true);
        SetStretchBltMode(dc, COLORONCOLOR);
        if (Width(destination) == Width(source) && Height(destination) == Height(source)) {
            const int32_t height = DIBHeight(header);
            result = SetDIBitsToDevice(dc, destination.left, destination.top, Width(destination),
                                       Height(destination), source.left, height - source.bottom,
                                       0, height, bits, info, DIB_RGB_COLORS);
        } else {
            result = StretchDIBits(dc, destination.left, destination.top, Width(destination),
                                   Height(destination), source.left, source.top, Width(source),
                                   Height(source), bits, info, DIB_RGB_COLORS, SRCCOPY);
        }
    }
    GlobalUnlock(dib);
    return result;
}

int DrawBitmapToDC(HDC dc, const RECT& destination, HBITMAP bitmap, const RECT& source,
                   HPALETTE palette) {
    HDC memory = CreateCompatibleDC(dc);
    if (!memory) return 0;
    int result;
    {
        PaletteSelection memoryPalette(memory, palette, true);
        PaletteSelection dcPalette(dc, palette, true);
        HGDIOBJ old = SelectObject(memory, bitmap);
        SetStretchBltMode(dc, COLORONCOLOR);
        if (Width(destination) == Width(source) && Height(destination) == Height(source))
            result = BitBlt(dc, destination.left, destination.top, Width(destination),
                            Height(destination), memory, source.left, source.top, SRCCOPY);
        else
            result = StretchBlt(dc, destination.left, destination.top, Width(destination),
                                Height(destination), memory, source.left, source.top,
                                Width(source), Height(source), SRCCOPY);
        SelectObject(memory, old);
    }
    DeleteDC(memory);
    return result;
}

HBITMAP PackedDIBToBitmap(HGLOBAL dib, HPALETTE palette) {
    if (!dib) return nullptr;
    const void* header = GlobalLock(dib);
    if (!header) return nullptr;
    HBITMAP bitmap = nullptr;
    if (HDC screen = GetDC(nullptr)) {
        {
            PaletteSelection selection(screen, palette, false);
            bitmap = CreateDIBitmap(screen, static_cast<const BITMAPINFOHEADER*>(header),
                                    CBM_INIT, DIBBitsPointer(header),
                                    static_cast<const BITMAPINFO*>(header), DIB_RGB_COLORS);
        }
        ReleaseDC(nullptr, screen);
    }
    GlobalUnlock(dib);
    return bitmap;
}

HGLOBAL BitmapToPackedDIB(HBITMAP bitmap, HPALETTE palette) {
    BITMAP info;
    if (!bitmap || !GetObjectW(bitmap, sizeof info, &info)) return nullptr;
    if (!palette) palette = static_cast<HPALETTE>(GetStockObject(DEFAULT_PALETTE));
    const int bits = info.bmPlanes * info.bmBitsPixel;
    BITMAPINFOHEADER header = {};
    header.biSize = sizeof header;
    header.biWidth = info.bmWidth;
    header.biHeight = info.bmHeight;
    header.biPlanes = 1;
    header.biBitCount = static_cast<WORD>(bits <= 1 ? 1 : bits <= 4 ? 4 : bits <= 8 ? 8 : 24);
    HDC screen = GetDC(nullptr);
    if (!screen) return nullptr;
    HPALETTE oldPalette = SelectPalette(screen, palette, FALSE);
    RealizePalette(screen);
    HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT,
                                sizeof header + DIBColorTableSize(&header));
    if (block) {
        auto* locked = static_cast<BITMAPINFOHEADER*>(GlobalLock(block));
        *locked = header;
        GetDIBits(screen, bitmap, 0, info.bmHeight, nullptr, reinterpret_cast<BITMAPINFO*>(locked),
                  DIB_RGB_COLORS);
        header = *locked;
        GlobalUnlock(block);
        if (header.biSizeImage == 0)
            header.biSizeImage = (header.biBitCount * header.biWidth + 31) / 32 * 4 *
                                 (header.biHeight < 0 ? -header.biHeight : header.biHeight);
        HGLOBAL grown = GlobalReAlloc(block, sizeof header + DIBColorTableSize(&header) +
                                                 header.biSizeImage, GMEM_MOVEABLE);
        if (!grown) {
            GlobalFree(block);
            block = nullptr;
        } else {
            block = grown;
            locked = static_cast<BITMAPINFOHEADER*>(GlobalLock(block));
            const int rows = GetDIBits(screen, bitmap, 0, info.bmHeight,
                                       const_cast<uint8_t*>(DIBBitsPointer(locked)),
                                       reinterpret_cast<BITMAPINFO*>(locked), DIB_RGB_COLORS);
            GlobalUnlock(block);
            if (!rows) {
                GlobalFree(block);
                block = nullptr;
            }
        }
    }
    SelectPalette(screen, oldPalette, TRUE);
    RealizePalette(screen);
    ReleaseDC(nullptr, screen);
    return block;
}

uint32_t DeviceColorCount(HDC dc) {
    const int bits = GetDeviceCaps(dc, PLANES) * GetDeviceCaps(dc, BITSPIXEL);
    return 1u << (bits & 31);
}

HPALETTE CreateSystemPalette() {
    HDC screen = GetDC(nullptr);
    if (!screen) return nullptr;
    HPALETTE palette = nullptr;
    const int bits = GetDeviceCaps(screen, PLANES) * GetDeviceCaps(screen, BITSPIXEL);
    if (bits <= 8) {
        const uint32_t count = DeviceColorCount(screen);
        const size_t size = sizeof(LOGPALETTE) + count * sizeof(PALETTEENTRY);
        auto* logical = static_cast<LOGPALETTE*>(GlobalAlloc(GMEM_FIXED | GMEM_ZEROINIT, size));
        if (logical) {
            logical->palVersion = 0x300;
            logical->palNumEntries = static_cast<WORD>(count);
            GetSystemPaletteEntries(screen, 0, count, logical->palPalEntry);
            palette = CreatePalette(logical);
            GlobalFree(logical);
        }
    }
    ReleaseDC(nullptr, screen);
    return palette;
}
