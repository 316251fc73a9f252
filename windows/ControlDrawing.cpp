#include "ControlDrawing.h"

#include <initializer_list>

#include "windows/VisualStyles.h"

namespace {

// A polyline with a one-pixel pen of the colour made for the call.
void Line(HDC dc, COLORREF colour, std::initializer_list<POINT> points) {
    HPEN pen = CreatePen(PS_SOLID, 1, colour);
    HGDIOBJ old = SelectObject(dc, pen);
    const POINT* p = points.begin();
    MoveToEx(dc, p->x, p->y, nullptr);
    for (++p; p != points.end(); ++p) LineTo(dc, p->x, p->y);
    SelectObject(dc, old);
    DeleteObject(pen);
}

void Fill(HDC dc, int left, int top, int right, int bottom, int systemColour) {
    const RECT rect = {left, top, right, bottom};
    FillRect(dc, &rect, GetSysColorBrush(systemColour));
}

// Draws the part with the theme of the context's window; false when no theme opens.
bool DrawThemed(HDC dc, const wchar_t* themeClass, int part, int state, const RECT& rect) {
    if (!IsVisualStylesOS()) return false;
    HTHEME_ theme = UxOpenThemeData(WindowFromDC(dc), themeClass);
    if (!theme) return false;
    UxDrawThemeBackground(theme, dc, part, state, &rect, nullptr);
    UxCloseThemeData(theme);
    return true;
}

}  // namespace

void DrawCheckBoxFrame(HDC dc, int left, int top, int right, int bottom, bool checked) {
    if (DrawThemed(dc, L"Button", 3, checked ? 5 : 1, RECT{left, top, right, bottom})) return;
    const int squareTop = (top + bottom) / 2 - 6;
    const int squareLeft = (left + right) / 2 - 6;
    if (squareTop >= top && squareLeft >= left) {
        top = squareTop;
        left = squareLeft;
        bottom = top + 12;
        right = left + 12;
    }
    Fill(dc, left, top, right, bottom, COLOR_WINDOW);
    Line(dc, GetSysColor(COLOR_BTNSHADOW), {{right - 1, top}, {left, top}, {left, bottom}});
    Line(dc, GetSysColor(COLOR_3DDKSHADOW),
         {{right - 2, top + 1}, {left + 1, top + 1}, {left + 1, bottom - 1}});
    Line(dc, GetSysColor(COLOR_3DLIGHT),
         {{right - 1, top + 1}, {right - 1, bottom - 1}, {left, bottom - 1}});
    if (!checked) return;
    for (int i = 0; i < 3; ++i) {
        MoveToEx(dc, left + 3, top + 5 + i, nullptr);
        LineTo(dc, left + 6, bottom - 4 + i);
        MoveToEx(dc, left + 5, bottom - 5 + i, nullptr);
        LineTo(dc, right - 2, top + 2 + i);
    }
}

void DrawTreeGlyph(HDC dc, int left, int top, int, int, bool expanded) {
    if (DrawThemed(dc, L"TreeView", 2, expanded ? 2 : 1, RECT{left, top, left + 12, top + 12}))
        return;
    Line(dc, RGB(123, 123, 123),
         {{left + 2, top + 2}, {left + 10, top + 2}, {left + 10, top + 10}, {left + 2, top + 10},
          {left + 2, top + 2}});
    Line(dc, RGB(0, 0, 0), {{left + 4, top + 6}, {left + 9, top + 6}});
    if (!expanded) Line(dc, RGB(0, 0, 0), {{left + 6, top + 4}, {left + 6, top + 9}});
}

void DrawEditFrame(HDC dc, int left, int top, int right, int bottom, bool enabled,
                   bool classicOnly) {
    if (!classicOnly &&
        DrawThemed(dc, L"Edit", 1, enabled ? 1 : 4, RECT{left, top, right, bottom}))
        return;
    Fill(dc, left, top, right, bottom, COLOR_WINDOW);
    Line(dc, GetSysColor(COLOR_BTNSHADOW), {{left, bottom - 1}, {left, top}, {right, top}});
    Line(dc, GetSysColor(COLOR_3DDKSHADOW),
         {{left + 1, bottom - 2}, {left + 1, top + 1}, {right - 2, top + 1}});
    Line(dc, GetSysColor(COLOR_BTNHIGHLIGHT),
         {{left, bottom - 1}, {right - 1, bottom - 1}, {right - 1, top}});
    Line(dc, GetSysColor(COLOR_3DLIGHT),
         {{left + 1, bottom - 2}, {right - 2, bottom - 2}, {right - 2, top}});
}

void DrawButtonPart(HDC dc, int left, int top, int right, int bottom, int32_t glyph,
                    int32_t state) {
    const int cx2 = left + right;
    const int cy2 = top + bottom;
    int g = right - left - 13;
    if (g < 4) g = 4;
    const int y0 = (cy2 - g) / 2;
    const int ym = cy2 / 2;
    const bool leftPointing = glyph == 0 || glyph == 1;
    const bool rightPointing = glyph == 4 || glyph == 5;
    int tip = 0;
    int base = 0;
    if (glyph == 0) base = (cx2 + g) / 2 - 1;
    if (glyph == 1) base = (g / 2 + cx2) / 2 - 1;
    if (glyph == 4) base = (cx2 - g) / 2 - 1;
    if (glyph == 5) base = (cx2 - g / 2) / 2 - 1;
    tip = leftPointing ? base - (ym - y0) : base + (ym - y0);

    const RECT whole = {left, top, right, bottom};
    HTHEME_ theme = nullptr;
    if (IsVisualStylesOS() && state >= 0 && state <= 3)
        theme = UxOpenThemeData(WindowFromDC(dc), L"Button");
    if (theme) {
        UxDrawThemeBackground(theme, dc, 1, state + 1, &whole, nullptr);
        UxCloseThemeData(theme);
        if (!leftPointing && !rightPointing) return;
        // A black chevron two pixels thick from the top point to the tip and back.
        const int step = leftPointing ? -1 : 1;
        const int bottomRow = (cy2 + g) / 2;
        for (int row = y0; row <= bottomRow; ++row) {
            const int distance = row <= ym ? row - y0 : bottomRow - row;
            const int x = base + step * distance;
            SetPixel(dc, x, row, RGB(0, 0, 0));
            SetPixel(dc, x + step, row, RGB(0, 0, 0));
        }
        if (glyph == 0 || glyph == 4) {
            int barLeft = glyph == 0 ? tip - 5 : tip + 4;
            if (glyph == 0 && barLeft < left + 4) barLeft = tip - 2;
            if (glyph == 4 && barLeft + 2 > right - 4) barLeft = tip + 1;
            for (int row = y0; row <= bottomRow; ++row) {
                SetPixel(dc, barLeft, row, RGB(0, 0, 0));
                SetPixel(dc, barLeft + 1, row, RGB(0, 0, 0));
            }
        }
        return;
    }

    int shift = 0;
    if (state == 0 || state == 3) {
        Fill(dc, left, top, right, bottom, COLOR_BTNFACE);
        Line(dc, GetSysColor(COLOR_BTNHIGHLIGHT), {{left, bottom}, {left, top}, {right - 1, top}});
        Line(dc, RGB(0, 0, 0), {{right - 1, top}, {right - 1, bottom - 1}, {left - 1, bottom - 1}});
        Line(dc, GetSysColor(COLOR_BTNSHADOW),
             {{left + 1, bottom - 2}, {right - 2, bottom - 2}, {right - 2, top}});
    } else if (state == 2) {
        Fill(dc, left, top, right, bottom, COLOR_BTNFACE);
        Line(dc, RGB(0, 0, 0), {{left, bottom}, {left, top}, {right - 1, top}});
        Line(dc, GetSysColor(COLOR_BTNHIGHLIGHT),
             {{right - 1, top}, {right - 1, bottom - 1}, {left - 1, bottom - 1}});
        Line(dc, GetSysColor(COLOR_BTNSHADOW),
             {{left + 1, bottom - 2}, {left + 1, top + 1}, {right - 1, top + 1}});
        shift = 1;
    }
    if (!leftPointing && !rightPointing) return;
    const bool disabled = state == 3;
    HPEN pen = CreatePen(PS_SOLID, 1, disabled ? RGB(140, 140, 140) : RGB(0, 0, 0));
    HBRUSH brush = static_cast<HBRUSH>(GetStockObject(disabled ? GRAY_BRUSH : BLACK_BRUSH));
    HGDIOBJ oldPen = SelectObject(dc, pen);
    HGDIOBJ oldBrush = SelectObject(dc, brush);
    const POINT points[3] = {{base + shift, y0 + shift},
                             {tip + shift, ym + shift},
                             {base + shift, 2 * ym - y0 + shift}};
    Polygon(dc, points, 3);
    if (glyph == 0 || glyph == 4) {
        const int barLeft = (glyph == 0 ? tip - 5 : tip + 4) + shift;
        const RECT bar = {barLeft, y0 + shift, barLeft + 2, 2 * ym - y0 + shift + 1};
        FillRect(dc, &bar, brush);
    }
    SelectObject(dc, oldBrush);
    SelectObject(dc, oldPen);
    DeleteObject(pen);
}
