#include "GraphicsImp.h"

#include "windows/Pane.h"

namespace {
GraphicsImp* sCurrentGraphics = nullptr;
}

GraphicsImp* CurrentGraphics() { return sCurrentGraphics; }
void SetCurrentGraphics(GraphicsImp* graphics) { sCurrentGraphics = graphics; }

GraphicsImp::~GraphicsImp() {
    if (sCurrentGraphics == this) sCurrentGraphics = nullptr;
}

void GraphicsImp::SetClipRect(const Rect16& rect) {
    mClip = rect;
    mHasClip = true;
}

GraphicsGDI::~GraphicsGDI() { EndDrawing(); }

HDC GraphicsGDI::GetDC() {
    if (mDC) return mDC;
    if (sCurrentGraphics && sCurrentGraphics != this) {
        GraphicsImp* other = sCurrentGraphics;
        sCurrentGraphics = nullptr;
        other->EndDrawing();
    }
    mPane->MakeCurrent();
    mDC = mPane->AcquireDC(mMustRelease);
    if (!mDC) return nullptr;
    sCurrentGraphics = this;
    ApplyClip();
    return mDC;
}

void GraphicsGDI::EndDrawing() {
    if (sCurrentGraphics == this) sCurrentGraphics = nullptr;
    if (!mDC) return;
    SelectClipRgn(mDC, nullptr);
    mDC = nullptr;
    if (mMustRelease) mPane->ReleaseDC(true);
}

void GraphicsGDI::ApplyClip() {
    if (!mDC) return;
    if (!mHasClip) {
        SelectClipRgn(mDC, nullptr);
        return;
    }
    // Clip regions are in device units; the context's origin maps window coordinates.
    POINT corners[2] = {{mClip.left, mClip.top}, {mClip.right, mClip.bottom}};
    LPtoDP(mDC, corners, 2);
    HRGN region = CreateRectRgn(corners[0].x, corners[0].y, corners[1].x, corners[1].y);
    SelectClipRgn(mDC, region);
    DeleteObject(region);
}

void GraphicsGDI::SetClipRect(const Rect16& rect) {
    GraphicsImp::SetClipRect(rect);
    ApplyClip();
}

void GraphicsGDI::ClearClip() {
    GraphicsImp::ClearClip();
    ApplyClip();
}

void GraphicsGDI::FillWith(const Rect16& rect, COLORREF colour) {
    HDC dc = GetDC();
    if (!dc) return;
    const RECT area = {rect.left, rect.top, rect.right, rect.bottom};
    HBRUSH brush = CreateSolidBrush(colour);
    FillRect(dc, &area, brush);
    DeleteObject(brush);
}

void GraphicsGDI::EraseRect(const Rect16& rect) { FillWith(rect, GetSysColor(COLOR_WINDOW)); }

void GraphicsGDI::PaintRect(const Rect16& rect) {
    FillWith(rect, RGB(mForeColor.red >> 8, mForeColor.green >> 8, mForeColor.blue >> 8));
}

GraphicsImp* NewGraphicsGDI(Pane* pane) { return new GraphicsGDI(pane); }

void CloseMoviesOfPane(Pane*) {}
