#include "Pane.h"

PanePoint SubPane::ScreenToWindow(PanePoint point) {
    WindowPane* window = FindWindowPane(this);
    if (!window) return point;
    POINT native = {point.h, point.v};
    ScreenToClient(window->GetHWND(), &native);
    return {native.y, native.x};
}

bool SubPane::IsMouseButtonDown() {
    const int button = GetSystemMetrics(SM_SWAPBUTTON) ? VK_RBUTTON : VK_LBUTTON;
    return GetAsyncKeyState(button) < 0;
}

WindowPane* FindWindowPane(SubPane* pane) {
    if (!pane) return nullptr;
    while (SubPane* parent = pane->GetParentPane()) pane = parent;
    return pane->AsWindowPane();
}
