// A 32-bpp DIB section in a memory device context, for tests that read back what was drawn.
#pragma once

#include <windows.h>

#include <cstdint>
#include <vector>

#include "core/Rect16.h"

constexpr int kWidth = 100;
constexpr int kHeight = 80;
constexpr COLORREF kPaper = RGB(0xF0, 0xF0, 0xF0);

// A 32-bpp DIB section in a memory DC, filled with the paper colour.
struct Surface {
    Surface() {
        BITMAPINFO info = {};
        info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
        info.bmiHeader.biWidth = kWidth;
        info.bmiHeader.biHeight = -kHeight;
        info.bmiHeader.biPlanes = 1;
        info.bmiHeader.biBitCount = 32;
        void* bits = nullptr;
        dc = CreateCompatibleDC(nullptr);
        bitmap = CreateDIBSection(dc, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
        pixels = static_cast<uint32_t*>(bits);
        old = SelectObject(dc, bitmap);
        Clear();
    }
    ~Surface() {
        SelectObject(dc, old);
        DeleteObject(bitmap);
        DeleteDC(dc);
    }
    void Clear() {
        GdiFlush();
        // DIB pixels are 0x00RRGGBB.
        const uint32_t paper = (GetRValue(kPaper) << 16) | (GetGValue(kPaper) << 8) | GetBValue(kPaper);
        for (int i = 0; i < kWidth * kHeight; ++i) pixels[i] = paper;
    }
    std::vector<uint32_t> Pixels() {
        GdiFlush();
        return std::vector<uint32_t>(pixels, pixels + kWidth * kHeight);
    }
    int Painted() {
        GdiFlush();
        int n = 0;
        for (int i = 0; i < kWidth * kHeight; ++i) n += pixels[i] != 0xF0F0F0;
        return n;
    }
    HDC dc;
    HBITMAP bitmap;
    HGDIOBJ old;
    uint32_t* pixels;
};

// Places the device context as a pane's context is placed: the viewport origin at the pane's
// position and the baseline text alignment.
inline void PlaceAt(HDC dc, const Rect16& bounds) {
    SetViewportOrgEx(dc, -bounds.left, -bounds.top, nullptr);
    SetTextAlign(dc, TA_BASELINE);
}

