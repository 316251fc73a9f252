// The GDI graphics against the bare GDI calls it makes, on the same memory DC: a mixed drawing
// (rectangles, lines, ovals, polygons, strings) with pens and brushes made per colour, and
// StringWidth of 1,000 strings against GetTextExtentPoint32W with the font selected once.
#include <windows.h>

#include <cstdio>

#include "BenchTiming.h"
#include "controls/ControlFontCache.h"
#include "core/ArrayRecord.h"
#include "graphics/GraphicsGDI.h"
#include "windows/Drawing.h"
#include "windows/Pane.h"

namespace {

constexpr int kSize = 256;
constexpr int kDrawings = 300;
constexpr int kStrings = 1000;

// A pane whose context is a memory DC over a DIB section.
class MemoryPane : public Pane {
public:
    explicit MemoryPane(HDC dc) : Pane(Rect16{0, 0, kSize, kSize}), mDC(dc) {}
    HDC AcquireDC(bool& mustRelease) override {
        mustRelease = false;
        SetTextAlign(mDC, TA_BASELINE);
        return mDC;
    }

private:
    HDC mDC;
};

Rect16 R(int left, int top, int right, int bottom) {
    return Rect16{static_cast<int16_t>(top), static_cast<int16_t>(left),
                  static_cast<int16_t>(bottom), static_cast<int16_t>(right)};
}

COLORREF ColourOf(int i) { return RGB(i * 37 & 0xFF, i * 91 & 0xFF, i * 53 & 0xFF); }

}  // namespace

int main() {
    BITMAPINFO info = {};
    info.bmiHeader = {sizeof(BITMAPINFOHEADER), kSize, -kSize, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
    void* bits = nullptr;
    HDC dc = CreateCompatibleDC(nullptr);
    HBITMAP bitmap = CreateDIBSection(dc, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    SelectObject(dc, bitmap);
    MemoryPane pane(dc);
    GraphicsGDI graphics(&pane);
    graphics.SetTextFont(string("Geneva"));

    ArrayRecord* points = CreateArray(1, kArrayInt32, 6);
    const int32_t values[] = {0, 10, 10, 90, 30, 40, 80};
    for (int i = 0; i < 7; ++i) static_cast<int32_t*>(points->data)[i] = values[i];
    const string text("Drawing");

    const double wrapped = Best([&] {
        for (int i = 0; i < kDrawings; ++i) {
            graphics.SetForeColor(ColorRefToRGBColor16(ColourOf(i)));
            graphics.PaintRect(R(i % 50, 5, i % 50 + 60, 60));
            graphics.FrameRect(R(20, i % 40, 120, i % 40 + 50));
            graphics.MoveTo(0, i % 200);
            graphics.LineTo(200, 200 - i % 200);
            graphics.PaintOval(R(100, 100, 180, 150));
            graphics.DrawPolygon(points, true);
            graphics.DrawString(text, 30, 200, nullptr);
        }
        GdiFlush();
    });
    EndAllDrawing();

    TextStyle style;
    style.fontName = string("Geneva");
    HFONT font = AcquireControlFont(style);
    const double bare = Best([&] {
        SetBkMode(dc, TRANSPARENT);
        SetTextAlign(dc, TA_BASELINE);
        HGDIOBJ oldFont = SelectObject(dc, font);
        const POINT polygon[] = {{10, 10}, {90, 30}, {40, 80}};
        for (int i = 0; i < kDrawings; ++i) {
            const COLORREF colour = ColourOf(i);
            const RECT fill = {i % 50, 5, i % 50 + 60, 60};
            HBRUSH brush = CreateSolidBrush(colour);
            FillRect(dc, &fill, brush);
            DeleteObject(brush);
            HPEN pen = CreatePen(PS_SOLID, 1, colour);
            HGDIOBJ oldPen = SelectObject(dc, pen);
            HGDIOBJ oldBrush = SelectObject(dc, GetStockObject(NULL_BRUSH));
            Rectangle(dc, 20, i % 40, 120, i % 40 + 50);
            SelectObject(dc, oldBrush);
            MoveToEx(dc, 0, i % 200, nullptr);
            LineTo(dc, 200, 200 - i % 200);
            SelectObject(dc, oldPen);
            DeleteObject(pen);
            for (int shape = 0; shape < 2; ++shape) {
                HPEN shapePen = CreatePen(PS_SOLID, 1, colour);
                HBRUSH shapeBrush = CreateSolidBrush(colour);
                HGDIOBJ p = SelectObject(dc, shapePen);
                HGDIOBJ b = SelectObject(dc, shapeBrush);
                if (shape == 0)
                    Ellipse(dc, 100, 100, 180, 150);
                else
                    Polygon(dc, polygon, 3);
                SelectObject(dc, b);
                SelectObject(dc, p);
                DeleteObject(shapeBrush);
                DeleteObject(shapePen);
            }
            SetTextColor(dc, colour);
            TextOutW(dc, 30, 200, L"Drawing", 7);
        }
        SelectObject(dc, oldFont);
        GdiFlush();
    });
    std::printf("mixed drawing, GraphicsGDI vs bare GDI: %.2f\n", wrapped / bare);

    string lines[16];
    const wchar_t* wide[16];
    int lengths[16];
    static wchar_t buffers[16][32];
    for (int i = 0; i < 16; ++i) {
        char line[32];
        lengths[i] = std::snprintf(line, sizeof line, "Line of text %d", i * 7919);
        lines[i] = string(line);
        for (int k = 0; k <= lengths[i]; ++k) buffers[i][k] = static_cast<wchar_t>(line[k]);
        wide[i] = buffers[i];
    }
    uint64_t checksum = 0;
    const double widths = Best(
        [&] {
            uint64_t sum = 0;
            for (int i = 0; i < kStrings; ++i) sum += graphics.StringWidth(lines[i & 15], false);
            return sum;
        },
        checksum);
    EndAllDrawing();
    HGDIOBJ oldFont = SelectObject(dc, font);
    const double extents = Best(
        [&] {
            uint64_t sum = 0;
            for (int i = 0; i < kStrings; ++i) {
                SIZE size;
                GetTextExtentPoint32W(dc, wide[i & 15], lengths[i & 15], &size);
                sum += size.cx;
            }
            return sum;
        },
        checksum);
    SelectObject(dc, oldFont);
    std::printf("StringWidth vs GetTextExtentPoint32W, 1000 strings: %.2f\n", widths / extents);
    std::printf("(checksum %llu)\n", static_cast<unsigned long long>(checksum));
    ReleaseControlFont(font);
    RuntimeUnlockArray(points);
    return 0;
}
