#include "Pane.h"

#include "core/FailureReport.h"
#include "graphics/GraphicsGDI.h"

namespace {
Pane* sCurrentPane = nullptr;
}

Pane::Pane(Rect16 rect)
    : bounds(rect),
      previousBounds(rect),
      width(rect.right - rect.left),
      height(rect.bottom - rect.top) {}

Pane::~Pane() {
    if (sCurrentPane == this) sCurrentPane = nullptr;
}

void Pane::Redraw() {
    GraphicsImp* graphics = NewGraphics();
    if (!graphics) return;
    Paint(graphics);
    delete graphics;
}

GraphicsImp* Pane::NewGraphics() {
    GraphicsImp* graphics = NewGraphicsGDI(this);
    graphics->SetTextFont(fontName);
    graphics->SetTextSize(textSize);
    graphics->SetTextFace(textStyle);
    return graphics;
}

void Pane::NextPage() {
    GraphicsImp* graphics = NewGraphics();
    if (!graphics) return;
    graphics->EraseRect(bounds);
    delete graphics;
}

void Pane::SetDelegate(PaneDelegate* delegate) {
    if (mDelegate) ReportAssertion("pane", 460, "not mDelegate");
    mDelegate = delegate;
}

void Pane::MakeCurrent() {
    if (sCurrentPane == this) return;
    if (sCurrentPane) sCurrentPane->Unfocus();
    Focus();
    FocusContents();
    sCurrentPane = this;
}

Pane* CurrentPane() { return sCurrentPane; }

void EndAllDrawing() {
    if (GraphicsImp* graphics = CurrentGraphics()) {
        graphics->EndDrawing();
        SetCurrentGraphics(nullptr);
    }
    if (sCurrentPane) {
        Pane* pane = sCurrentPane;
        sCurrentPane = nullptr;
        pane->Unfocus();
    }
}

