// Packed DIBs (a movable global block: a bitmap header, its colour table and the pixel rows, the
// exchange form of pictures with the clipboard and plug-ins) and device-dependent bitmaps: their
// sizes, painting either into a device context, converting one into the other, and the system
// palette.
#pragma once

#include <windows.h>

#include <cstdint>

// Colour-table entries of a header: an info header's non-zero biClrUsed, else by the depth
// (1 -> 2, 2 -> 4, 4 -> 16, 8 -> 256, deeper -> 0). A header of 40 bytes or more is an info
// header, any other a core header.
uint32_t DIBColorCount(const void* header);
// Bytes of the colour table (RGBQUAD entries, RGBTRIPLE for a core header), with the three masks
// that follow a 40-byte header of bit fields.
uint32_t DIBColorTableSize(const void* header);
// The pixel rows after the header and the table.
const uint8_t* DIBBitsPointer(const void* header);
int32_t DIBHeight(const void* header);

// Paints the source rectangle of a packed DIB into the destination; the GDI result, 0 without a
// block. The same size goes through SetDIBitsToDevice, another through StretchDIBits.
int DrawPackedDIB(HDC dc, const RECT& destination, HGLOBAL dib, const RECT& source,
                  HPALETTE palette);
int DrawBitmapToDC(HDC dc, const RECT& destination, HBITMAP bitmap, const RECT& source,
                   HPALETTE palette);
HBITMAP PackedDIBToBitmap(HGLOBAL dib, HPALETTE palette);
// A bottom-up packed DIB of depth 1, 4, 8 or 24 (deeper bitmaps give 24), or null.
HGLOBAL BitmapToPackedDIB(HBITMAP bitmap, HPALETTE palette);
// 2 to the power of the device's planes times bits per pixel.
uint32_t DeviceColorCount(HDC dc);
// A palette of the system palette, which the caller deletes; none on displays above 8 bits per
// pixel, which have no system palette (callers only select it around drawing).
HPALETTE CreateSystemPalette();
