#include <windows.h>

#include "graphics/GraphicsGDI.h"
#include "windows/EventLoopWindows.h"
#include "windows/Pane.h"
#include "windows/WindowServices.h"

void SubPane::PrepareDC(HDC dc) {
    SelectPalette(dc, GetUniformPalette(), TRUE);
    RealizePalette(dc);
    SetTextAlign(dc, TA_BASELINE);
    SetViewportOrgEx(dc, -bounds.left, -bounds.top, nullptr);
}

void SubPane::HandlePaint() {
    if (closing) {
        // A closing pane waits for its last unlock: its area counts as drawn, so the paint
        // message does not come back while it waits.
        if (hwnd) ValidateRect(hwnd, nullptr);
        return;
    }
    ShowDeferredWindows();
    EndAllDrawing();
    PAINTSTRUCT paint;
    paintDC = BeginPaint(hwnd, &paint);
    PrepareDC(paintDC);
    Redraw();
    EndPaint(hwnd, &paint);
    paintDC = nullptr;
    EndAllDrawing();
}

HDC SubPane::AcquireDC(bool& mustRelease) {
    if (paintDC) {
        mustRelease = false;
        return paintDC;
    }
    mustRelease = true;
    if (dcCount == 0) acquiredDC = ::GetDC(hwnd);
    if (!acquiredDC) {
        mustRelease = false;
        return nullptr;
    }
    PrepareDC(acquiredDC);
    ++dcCount;
    return acquiredDC;
}

void SubPane::ReleaseDC(bool mustRelease) {
    if (!mustRelease || dcCount <= 0) return;
    if (--dcCount == 0) {
        ::ReleaseDC(hwnd, acquiredDC);
        acquiredDC = nullptr;
    }
}

void SubPane::Redraw() {
    GraphicsImp* graphics = NewGraphics();
    if (!graphics) return;
    DrawContent(graphics, true);
    delete graphics;
}

void SubPane::DrawContent(GraphicsImp* graphics, bool flag) {
    if (flag) Paint(graphics);
}

void SubPane::Invalidate(bool erase) {
    Rect16 rect = bounds;
    GetExtraInvalidRect(rect);
    InvalidateArea(rect, erase);
}

void SubPane::InvalidateArea(Rect16 rect, bool erase) {
    if (mDelegate) mDelegate->AdjustRect(this, rect);
    WindowPane* window = FindWindowPane(this);
    if (!window || !window->GetHWND()) return;
    const RECT area = {rect.left, rect.top, rect.right, rect.bottom};
    InvalidateRect(window->GetHWND(), &area, erase);
}

void SubPane::InvalidateCoords(int32_t left, int32_t top, int32_t right, int32_t bottom,
                               bool erase) {
    InvalidateArea(Rect16{static_cast<int16_t>(top), static_cast<int16_t>(left),
                          static_cast<int16_t>(bottom), static_cast<int16_t>(right)},
                   erase);
}

void SubPane::Validate(const Rect16& rect) {
    WindowPane* window = FindWindowPane(this);
    if (!window || !window->GetHWND()) return;
    const RECT area = {rect.left, rect.top, rect.right, rect.bottom};
    ValidateRect(window->GetHWND(), &area);
}

void SubPane::ValidateAll() { Validate(bounds); }

void SubPane::UpdateNow() {
    if (WindowPane* window = FindWindowPane(this)) UpdateWindow(window->GetHWND());
}

void SubPane::RedrawImmediately() {
    if (closing || !hwnd) return;
    RedrawWindow(hwnd, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
}

void SubPane::DrawTree(GraphicsImp* graphics) {
    ClipSaver saver(graphics);
    Paint(graphics);
    for (int32_t i = 0; i < ChildCount(); ++i) {
        SubPane* child = ChildAt(i);
        if (!child->visible || !child->shown) continue;
        graphics->SetClipRect(child->bounds);
        child->DrawTree(graphics);
    }
}

void SubPane::DrawTreeAt(GraphicsImp* graphics, int32_t x, int32_t y) {
    if (!visible || !shown) return;
    const int16_t dh = static_cast<int16_t>(x - bounds.left);
    const int16_t dv = static_cast<int16_t>(y - bounds.top);
    if (dh || dv) OffsetTree(this, dh, dv);
    GetInnerPane()->DrawTree(graphics);
    if (dh || dv) OffsetTree(this, static_cast<int16_t>(-dh), static_cast<int16_t>(-dv));
}

void SubPane::ScrollRect(int32_t left, int32_t top, int32_t right, int32_t bottom, int32_t dx,
                         int32_t dy) {
    WindowPane* window = FindWindowPane(this);
    HWND windowHwnd = window ? window->GetHWND() : nullptr;
    const RECT r = {left - bounds.left, top - bounds.top, right - bounds.left,
                    bottom - bounds.top};
    if (hwnd) ScrollWindow(hwnd, dx, dy, &r, &r);
    auto invalidate = [](HWND target, int l, int t, int rr, int b, BOOL erase) {
        if (!target) return;
        const RECT area = {l, t, rr, b};
        InvalidateRect(target, &area, erase);
    };
    if (dx > 0) {
        invalidate(hwnd, r.left - dx, r.top, r.left + dx, r.bottom, TRUE);
        invalidate(windowHwnd, left, top, left + dx, bottom, TRUE);
    } else if (dx < 0) {
        invalidate(hwnd, r.right + dx, r.top, r.right - dx, r.bottom, TRUE);
        invalidate(windowHwnd, right + dx, top, right, bottom, TRUE);
    }
    const int adx = dx < 0 ? -dx : dx;
    if (dy > 0) {
        invalidate(hwnd, r.left - adx, r.top - dy, r.right + adx, r.top + dy, TRUE);
        invalidate(windowHwnd, left, top, right, top + dy, TRUE);
    } else if (dy < 0) {
        invalidate(hwnd, r.left - adx, r.bottom + dy, r.right + adx, r.bottom - dy, TRUE);
        invalidate(windowHwnd, left, bottom + dy, right, bottom, TRUE);
    }
    if (windowHwnd) SendMessageA(windowHwnd, WM_PAINT, 0, 0);
    invalidate(hwnd, r.left, r.top, r.right, r.bottom, FALSE);
    if (hwnd) SendMessageA(hwnd, WM_PAINT, 0, 0);
}
