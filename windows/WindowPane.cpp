// The top-level pane of a native window: its focus chain over the controls, press and wheel
// routing to the controls, the default button and the back colour.
#include <windows.h>

#include "host/EventLoop.h"
#include "windows/Pane.h"
#include "windows/WindowList.h"
#include "windows/WindowServices.h"

namespace {

bool IsShowing(SubPane* pane) { return pane->visible && pane->shown; }

bool Under(SubPane* control, int32_t x, int32_t y) {
    Rect16 rect = control->bounds;
    if (control->mDelegate) control->mDelegate->AdjustRect(control, rect);
    return IsShowing(control) && PointInRect16({y, x}, rect);
}

}  // namespace

WindowPane* FindWindowPaneByHWND(HWND window) {
    if (!window) return nullptr;
    for (WindowPane* pane = gWindowPaneList; pane; pane = pane->nextWindow)
        if (pane->GetHWND() == window) return pane;
    return nullptr;
}

bool IsRuntimeWindowHandle(HWND window) { return FindWindowPaneByHWND(window) != nullptr; }

HWND GetFrontDocumentHWND() {
    HWND active = GetActiveWindow();
    for (WindowPane* pane = gWindowPaneList; pane; pane = pane->nextWindow) {
        if ((pane->kind != 0 && pane->kind != 8) || !pane->showRequested) continue;
        if (!active) return pane->GetHWND();
        for (HWND window = active; window; window = GetParent(window))
            if (window == pane->GetHWND()) return pane->GetHWND();
    }
    return nullptr;
}

bool WindowPane::MouseDown(int32_t x, int32_t y, int32_t modifiers) {
    for (int32_t i = static_cast<int32_t>(controls.size()) - 1; i >= 0 && !closing; --i) {
        SubPane* control = controls[static_cast<uint32_t>(i)];
        if (!Under(control, x, y)) continue;
        if (control->MouseDown(x, y, modifiers)) return true;
        if (!control->LetsClickThrough()) return true;
    }
    return false;
}

bool WindowPane::MouseWheel(int32_t x, int32_t y, int32_t delta) {
    for (int32_t i = static_cast<int32_t>(controls.size()) - 1; i >= 0; --i) {
        SubPane* control = controls[static_cast<uint32_t>(i)];
        if (Under(control, x, y) && control->MouseWheel(x, y, delta)) return true;
    }
    return false;
}

bool WindowPane::GetBackColor(RGBColor16& out) {
    if (!hasBackColor) return false;
    ColorRefToRGBColor16(out, backColor);
    return true;
}

void WindowPane::SetBackColor(uint32_t colour) {
    const COLORREF wanted = RGB((colour >> 16) & 0xFF, (colour >> 8) & 0xFF, colour & 0xFF);
    if (hasBackColor && wanted == backColor) return;
    hasBackColor = true;
    backColor = wanted;
    if (hwnd) InvalidateRect(hwnd, nullptr, TRUE);
}

void WindowPane::Activate() {
    SubPane::Activate();
    if (kind != 1 && kind != 7) SetFocusPane(GetFocusControl());
}

void WindowPane::Deactivate() {
    if (SubPane* focus = GetFocusPane(); focus && FindWindowPane(focus) == this)
        ClearKeyboardFocus();
    SubPane::Deactivate();
}

SubPane* WindowPane::GetFocusControl() {
    if (focusPane) {
        if (IsShowing(focusPane)) return focusPane;
        focusPane = nullptr;
    }
    for (uint32_t i = 0; i < controls.size(); ++i)
        if (controls[i]->AcceptsFocus()) return controls[i];
    return this;
}

SubPane* WindowPane::NextFocusControl(SubPane* pane) {
    SubPane* outer = pane ? pane->GetOuterPane() : nullptr;
    bool started = !outer || outer == this;
    for (uint32_t i = 0; i < controls.size(); ++i) {
        SubPane* control = controls[i];
        if (control == outer) {
            started = true;
            continue;
        }
        if (started && control->AcceptsFocus()) return control;
    }
    if (!started) return nullptr;
    for (uint32_t i = 0; i < controls.size() && controls[i] != outer; ++i)
        if (controls[i]->AcceptsFocus()) return controls[i];
    return nullptr;
}

SubPane* WindowPane::PreviousFocusControl(SubPane* pane) {
    SubPane* outer = pane ? pane->GetOuterPane() : nullptr;
    SubPane* last = nullptr;
    for (uint32_t i = 0; i < controls.size() && controls[i] != outer; ++i)
        if (controls[i]->AcceptsFocus()) last = controls[i];
    if (last) return last;
    for (int32_t i = static_cast<int32_t>(controls.size()) - 1; i >= 0; --i) {
        SubPane* control = controls[static_cast<uint32_t>(i)];
        if (control == outer) break;
        if (control->AcceptsFocus()) return control;
    }
    return nullptr;
}

void WindowPane::ReorderControl(SubPane* pane, SubPane* before) {
    for (uint32_t i = 0; i < controls.size(); ++i) {
        if (controls[i] == pane) {
            controls.remove_at(i);
            break;
        }
    }
    SimpleVector<SubPane*> reordered;
    bool placed = false;
    if (!before) {
        reordered.push_back(pane);
        placed = true;
    }
    for (uint32_t i = 0; i < controls.size(); ++i) {
        reordered.push_back(controls[i]);
        if (!placed && controls[i] == before) {
            reordered.push_back(pane);
            placed = true;
        }
    }
    if (!placed) reordered.push_back(pane);
    controls.swap(reordered);
}

void WindowPane::RefreshDefaultButton() {
    SubPane* candidate = FindDefaultButton();
    if (SubPane* focus = GetFocusPane()) {
        SubPane* examined = focus->GetInnerPane() ? focus->GetInnerPane() : focus;
        char name[16] = {};
        if (examined->GetHWND()) GetClassNameA(examined->GetHWND(), name, sizeof name);
        if (lstrcmpiA(name, "BUTTON") == 0) candidate = examined;
    }
    UpdateDefaultButton(candidate);
    defaultButton = candidate;
}

