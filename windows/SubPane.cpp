#include <windows.h>

#include "controls/ControlObject.h"
#include "core/FailureReport.h"
#include "core/Platform.h"
#include "graphics/GraphicsImp.h"
#include "host/EventLoop.h"
#include "windows/Pane.h"
#include "windows/Tooltips.h"
#include "windows/VisualStyles.h"

bool gCreatingControlAtRunTime = false;

namespace {

constexpr const char* kSource = "SubPane";

bool IsRuntimePaneClass(const char* name) {
    return lstrcmpiA(name, "QV_Pane") == 0 || lstrcmpiA(name, "QV_CanvasPane") == 0;
}

// A window-coordinate rectangle in the client coordinates of another native window.
RECT WindowToNative(const Rect16& rect, HWND window, HWND native) {
    RECT out = {rect.left, rect.top, rect.right, rect.bottom};
    if (window && native && window != native)
        MapWindowPoints(window, native, reinterpret_cast<POINT*>(&out), 2);
    return out;
}

bool Contains(const Rect16& outer, const RECT& inner) {
    return inner.left >= outer.left && inner.top >= outer.top && inner.right <= outer.right &&
           inner.bottom <= outer.bottom;
}

void RemoveFirst(SimpleVector<SubPane*>& list, SubPane* pane) {
    for (uint32_t i = 0; i < list.size(); ++i) {
        if (list[i] == pane) {
            list.remove_at(i);
            return;
        }
    }
}

bool HasKeyboardFocus(SubPane* pane) {
    return GetFocusPane() && GetFocusPane() == pane->GetOuterPane();
}

}  // namespace



SubPane::SubPane()
    : Pane(Rect16{0, 0, 0, 0}), helpTagTip(new ToolTipOwner), balloonTip(new BalloonHelpToolTip) {}

SubPane::SubPane(SubPane* parentPane, int32_t panel, Rect16 rect, const string& title,
                 const char* className, DWORD style, DWORD exStyle)
    : Pane(rect),
      panelIndex(panel),
      helpTagTip(new ToolTipOwner),
      balloonTip(new BalloonHelpToolTip) {
    if (className && className[0]) {
        WindowPane* window = FindWindowPane(parentPane);
        RECT search = {rect.left, rect.top, rect.right, rect.bottom};
        if (gCreatingControlAtRunTime) {
            search.left -= 1;
            search.top -= 1;
        }
        const int extraHeight = lstrcmpiA(className, "COMBOBOX") == 0 ? 200 : 0;
        SubPane* nativeParent = parentPane;
        if (window && parentPane == window) {
            nativeParent = window;
            const bool skipGroupBoxes = style == 7 && VisualStylesInUse();
            SubPane* found = nullptr;
            for (uint32_t i = 0; i < window->controls.size() && !found; ++i) {
                SubPane* control = window->controls[i];
                if (control->Encloses(this, true, true) && Contains(control->bounds, search) &&
                    !skipGroupBoxes)
                    found = control;
            }
            for (uint32_t i = 0; i < window->controls.size() && !found; ++i) {
                SubPane* control = window->controls[i];
                if (control->Encloses(this, true, false) &&
                    (control->IsPagePanel() || control->IsTabPanel()))
                    found = control;
            }
            if (found) nativeParent = found;
        }
        HWND parentWindow = nativeParent ? nativeParent->GetHWND() : nullptr;
        const RECT place =
            WindowToNative(rect, window ? window->GetHWND() : nullptr, parentWindow);
        const DWORD fullStyle = style | WS_CHILD | WS_VISIBLE;
        const int w = place.right - place.left;
        const int h = place.bottom - place.top + extraHeight;
        if (IsUnicodePlatform()) {
            wchar_t wideClass[256];
            MultiByteToWideChar(CP_ACP, 0, className, -1, wideClass, 256);
            const string wideTitle = title.ToUTF16();
            const wchar_t* text = wideTitle.IsEmpty() ? L"" : wideTitle.WidePointer();
            hwnd = CreateWindowExW(exStyle, wideClass, text, fullStyle, place.left, place.top, w,
                                   h, parentWindow, nullptr, GetModuleHandleW(nullptr), nullptr);
        } else {
            const char* text = title.IsEmpty() ? "" : title.CString();
            hwnd = CreateWindowExA(exStyle, className, text, fullStyle, place.left, place.top, w,
                                   h, parentWindow, nullptr, GetModuleHandleA(nullptr), nullptr);
        }
        if (hwnd && IsRuntimePaneClass(className)) {
            if (IsUnicodePlatform())
                SetWindowLongW(hwnd, 0, reinterpret_cast<LONG>(this));
            else
                SetWindowLongA(hwnd, 0, reinterpret_cast<LONG>(this));
        }
    }
    if (!parentPane) return;
    WindowPane* window = FindWindowPane(parentPane);
    SubPane* logical = parentPane;
    if (window && parentPane == window) {
        for (uint32_t i = 0; i < window->controls.size(); ++i)
            if (window->controls[i]->Encloses(this, false, true)) logical = window->controls[i];
    }
    parent = logical;
    if (!logical->AddChild(this) && window) {
        parent = window;
        window->AddChild(this);
    }
    if (window && parentPane == window) window->controls.push_back(this);
}

SubPane::~SubPane() {
    ClearWeakPaneRefs(this);
    if (HasKeyboardFocus(this)) ClearKeyboardFocus();
    // A graphics still drawing into the pane gives its context back first; the current pane is
    // cleared by the Pane destructor.
    GraphicsImp* graphics = CurrentGraphics();
    if (graphics && graphics->GetPane() == this) {
        graphics->EndDrawing();
        SetCurrentGraphics(nullptr);
    }
    if (CurrentPane() == this) Unfocus();
    if (mLockCount > 0) ReportAssertion(kSource, 807, "mLockCount <= 0");
    for (AcceptedType** list : {&acceptedDataTypes, &acceptedFileTypes}) {
        while (AcceptedType* entry = *list) {
            *list = entry->next;
            delete entry;
        }
    }
    delete helpTagTip;
    delete balloonTip;
    if (hwnd) {
        char name[256] = {};
        GetClassNameA(hwnd, name, 255);
        if (IsRuntimePaneClass(name)) SetWindowLongA(hwnd, 0, 0);
        DestroyWindow(hwnd);
    }
}

bool SubPane::Focus() {
    if (mDelegate && mDelegate->Focus()) return true;
    SubPane* up = GetParentPane();
    return up ? up->Focus() : false;
}

bool SubPane::Unfocus() {
    if (mDelegate && mDelegate->Unfocus()) return true;
    SubPane* up = GetParentPane();
    return up ? up->Unfocus() : false;
}

void SubPane::SetRunControl(ControlObject* control) {
    if (mRunControl) ReportAssertion(kSource, 886, "mRunControl == nil");
    mRunControl = control;
}

bool SubPane::Unlock() {
    if (--mLockCount >= 0) return false;
    for (int32_t i = ChildCount() - 1; i >= 0; --i) {
        if (i < ChildCount()) ChildAt(i)->Close();
    }
    if (parent) parent->RemoveChild(this);
    if (WindowPane* window = FindWindowPane(this)) {
        if (window != this) RemoveFirst(window->controls, this);
    }
    delete this;
    return true;
}

bool SubPane::LockChain() {
    if (closing) return false;
    for (SubPane* pane = this; pane; pane = pane->GetParentPane()) pane->Lock();
    return true;
}

bool SubPane::UnlockChain() {
    bool gone = closing;
    SubPane* pane = this;
    while (pane) {
        SubPane* next = pane->GetParentPane();
        if (pane->Unlock()) gone = true;
        pane = next;
    }
    return gone;
}

bool SubPane::Close() {
    closing = true;
    if (GetCapturePane() == this) ReleaseCapturePane();
    if (HasKeyboardFocus(this)) ClearKeyboardFocus();
    if (CurrentPane() == this) EndAllDrawing();
    if (WindowPane* window = FindWindowPane(this)) {
        if (window->focusPane == this) window->focusPane = nullptr;
    }
    CloseMoviesOfPane(this);
    if (mDelegate) mDelegate->PaneClosing(this);
    return Unlock();
}

bool SubPane::AddChild(SubPane* pane) {
    children.push_back(pane);
    pane->parent = this;
    return true;
}

void SubPane::RemoveChild(SubPane* pane) { RemoveFirst(children, pane); }

SubPane* SubPane::GetParentPane() {
    SubPane* outer = GetOuterPane();
    if (!outer) {
        ReportAssertion(kSource, 2097, "owner", "No owner");
        return nullptr;
    }
    return outer->parent;
}

bool SubPane::ContainsPane(SubPane* pane, bool deep) {
    for (int32_t i = ChildCount() - 1; i >= 0; --i) {
        SubPane* child = ChildAt(i);
        if (child == pane || (deep && child->ContainsPane(pane, true))) return true;
    }
    return false;
}

bool SubPane::Encloses(SubPane* other, bool visibleOnly, bool samePanel) {
    if (IsEmptyRect16(bounds)) return false;
    if (visibleOnly && !visible) return false;
    if (samePanel && panelIndex != other->panelIndex) return false;
    const Rect16& o = other->bounds;
    return bounds.left <= o.left && bounds.top <= o.top && bounds.right >= o.right &&
           bounds.bottom >= o.bottom;
}

void SubPane::AttachToEnclosingPane(bool visibleOnly, bool samePanel) {
    if (mDelegate) {
        if (SubPane* chosen = mDelegate->ChooseParent(this)) {
            if (chosen != parent) SetParentPane(chosen);
            return;
        }
    }
    WindowPane* window = FindWindowPane(this);
    if (!window || !GetParentPane()) return;
    SubPane* candidate = window;
    for (uint32_t i = 0; i < window->controls.size(); ++i) {
        SubPane* control = window->controls[i];
        if (control == this) break;
        if (control->Encloses(this, visibleOnly, samePanel)) candidate = control;
    }
    if (candidate->GetOuterPane() != GetParentPane()) SetParentPane(candidate);
}

void SubPane::SetParentPane(SubPane* newParent) {
    if (!newParent) {
        ReportAssertion(kSource, 3170, "newParent");
        return;
    }
    if (SubPane* old = GetParentPane()) old->RemoveChild(this);
    newParent->AddChild(this);
    if (!hwnd) return;
    WindowPane* window = FindWindowPane(this);
    const RECT place =
        WindowToNative(bounds, window ? window->GetHWND() : nullptr, newParent->GetHWND());
    if (visible) ShowWindow(hwnd, SW_HIDE);
    MoveWindow(hwnd, place.left, place.top, place.right - place.left, place.bottom - place.top,
               FALSE);
    SetParent(hwnd, newParent->GetHWND());
    SetWindowPos(hwnd, HWND_BOTTOM, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOREDRAW);
    if (visible) ShowWindow(hwnd, SW_SHOWNORMAL);
}

void SubPane::ReleaseChildPanes() {
    WindowPane* window = FindWindowPane(this);
    uint32_t position = 0;
    if (window) {
        for (uint32_t i = 0; i < window->controls.size(); ++i) {
            if (window->controls[i] == this) {
                position = i;
                window->controls.remove_at(i);
                break;
            }
        }
    }
    for (int32_t i = ChildCount() - 1; i >= 0; --i) {
        SubPane* child = ChildAt(i);
        if (child == GetInnerPane() && child != this) continue;
        child->AttachToEnclosingPane(false, true);
        RemoveChild(child);
    }
    if (!window) return;
    SimpleVector<SubPane*> rebuilt;
    for (uint32_t i = 0; i < window->controls.size(); ++i) {
        if (i == position) rebuilt.push_back(this);
        rebuilt.push_back(window->controls[i]);
    }
    if (position >= window->controls.size()) rebuilt.push_back(this);
    window->controls.swap(rebuilt);
}

bool SubPane::ForEachLeafPane(bool (*function)(SubPane*, void*), void* data) {
    if (ChildCount() == 0) return function(this, data);
    for (int32_t i = 0; i < ChildCount(); ++i)
        if (!ChildAt(i)->ForEachLeafPane(function, data)) return false;
    return true;
}

void SubPane::SetBounds(const Rect16& rect, bool repaint) {
    if (EqualRect16(rect, bounds)) return;
    WindowPane* window = FindWindowPane(this);
    const Rect16 old = bounds;
    MakeCurrent();
    if (visible && shown && window && window->GetHWND()) {
        HRGN oldRegion = CreateRectRgn(old.left, old.top, old.right, old.bottom);
        HRGN newRegion = CreateRectRgn(rect.left, rect.top, rect.right, rect.bottom);
        CombineRgn(oldRegion, oldRegion, newRegion, RGN_XOR);
        if (SubPane* up = GetParentPane()) {
            HRGN clip = CreateRectRgn(up->bounds.left, up->bounds.top, up->bounds.right,
                                      up->bounds.bottom);
            CombineRgn(oldRegion, oldRegion, clip, RGN_AND);
            DeleteObject(clip);
        }
        InvalidateRgn(window->GetHWND(), oldRegion, TRUE);
        DeleteObject(oldRegion);
        DeleteObject(newRegion);
    }
    bounds = rect;
    if (mRunControl) mRunControl->bounds = rect;
    width = rect.right - rect.left;
    height = rect.bottom - rect.top;
    if (hwnd && window && window != this) {
        const RECT place = WindowToNative(rect, window->GetHWND(), ::GetParent(hwnd));
        MoveWindow(hwnd, place.left, place.top, place.right - place.left,
                   place.bottom - place.top, repaint);
    }
    const int16_t dh = static_cast<int16_t>(rect.left - old.left);
    const int16_t dv = static_cast<int16_t>(rect.top - old.top);
    for (int32_t i = 0; i < ChildCount(); ++i) {
        SubPane* child = ChildAt(i);
        if (child->parent != this) continue;
        Rect16 moved = child->bounds;
        child->SetBounds(OffsetRect16(moved, dh, dv), repaint);
    }
    BoundsChanged();
}

void SubPane::Resize(const Rect16& rect, bool flag) {
    const Rect16 old = bounds;
    const int16_t T = rect.top, L = rect.left, B = rect.bottom, R = rect.right;
    const int dw = R - old.right;
    const int dh = B - old.bottom;
    const bool leftMoved = L != old.left;
    const bool topMoved = T != old.top;
    SetBounds(rect, false);
    if (visible && shown) {
        auto strip = [this](int left, int top, int right, int bottom) {
            InvalidateCoords(left, top, right, bottom, true);
        };
        int sl = 0, st = 0, sr = 0, sb = 0;
        if (dw < 0) strip(sl = R, st = T, sr = R - dw, sb = B);
        else if (dw > 0) strip(sl = R - dw, st = T, sr = R, sb = B);
        if (dw > 0 && leftMoved) sl = L - dw, st = T, sr = L, sb = B;
        else if (dw < 0) sl = R, st = T, sr = R - dw, sb = B;
        if (dw != 0) {
            if (dh > 0) st = T - dh;
            else if (dh < 0) sb = B - dh;
            strip(sl, st, sr, sb);
        }
        if (dh < 0) sl = L, st = B, sr = R, sb = B - dh;
        else if (dh > 0) sl = L, st = B - dh, sr = R, sb = B;
        if (dh != 0) {
            if (dw < 0) sr = sr - dw;
            strip(sl, st, sr, sb);
        }
        if (dh > 0 && topMoved) strip(L, T - dh, R, T);
        else if (dh < 0) strip(L, B, R, B - dh);
        if (hwnd) RedrawWindow(hwnd, nullptr, nullptr,
                               RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW | RDW_FRAME);
    }
    ApplyChildLocks(flag);
}

void SubPane::ApplyChildLocks(bool flag) {
    const int dw = (bounds.right - bounds.left) - (previousBounds.right - previousBounds.left);
    const int dh = (bounds.bottom - bounds.top) - (previousBounds.bottom - previousBounds.top);
    for (int32_t i = 0; i < ChildCount(); ++i) {
        SubPane* child = ChildAt(i);
        ControlObject* control = child->mRunControl;
        if (child->parent != this || !control || !(control->lockRight || control->lockBottom))
            continue;
        Rect16 rect = child->bounds;
        if (control->lockRight) {
            rect.right = static_cast<int16_t>(rect.right + dw);
            if (!control->lockLeft) rect.left = static_cast<int16_t>(rect.left + dw);
        }
        if (control->lockBottom) {
            rect.bottom = static_cast<int16_t>(rect.bottom + dh);
            if (!control->lockTop) rect.top = static_cast<int16_t>(rect.top + dh);
        }
        control->bounds = rect;
        child->Resize(rect, flag);
    }
    previousBounds = bounds;
}

bool SubPane::GetVisibleBounds(Rect16& out) {
    out = bounds;
    GetExtraInvalidRect(out);
    for (SubPane* up = GetParentPane(); up; up = up->GetParentPane()) {
        Rect16 outer;
        up->GetBounds(outer);
        IntersectRect16(out, outer, out);
    }
    return !IsEmptyRect16(out);
}

void SubPane::SetVisible(bool visibility) {
    if (visibility == visible) return;
    if (!shown) {
        if (panelIndex > 0) {
            visible = visibility;
            return;
        }
        shown = visibility;
    }
    SubPane* up = GetParentPane();
    if (up && visibility && !up->visible) return;
    if (!visibility && HasKeyboardFocus(this)) ClearKeyboardFocus();
    visible = visibility;
    for (int32_t i = 0; i < ChildCount(); ++i) ChildAt(i)->SetVisible(visibility);
    ShowNative(visibility);
}

void SubPane::SetShown(bool show) {
    for (int32_t i = 0; i < ChildCount(); ++i) ChildAt(i)->SetShown(show);
    if (show == shown) return;
    if (!visible) {
        shown = show;
        return;
    }
    if (!show && HasKeyboardFocus(this)) ClearKeyboardFocus();
    shown = show;
    ShowNative(show);
}

void SubPane::ShowNative(bool show) {
    Invalidate(true);
    if (!show && HasKeyboardFocus(this)) ClearKeyboardFocus();
    if (hwnd) ShowWindow(hwnd, show ? SW_SHOW : SW_HIDE);
}

void SubPane::SetEnabled(bool enable, bool redraw) {
    if (enable == enabled) return;
    SubPane* up = GetParentPane();
    if (up && !up->enabled && enable) return;
    enabled = enable;
    for (int32_t i = 0; i < ChildCount(); ++i) {
        SubPane* child = ChildAt(i);
        if (child->parent == this) child->SetEnabled(enable, redraw);
    }
    if (redraw) Invalidate(true);
    if (!enable && HasKeyboardFocus(this)) {
        if (WindowPane* window = FindWindowPane(this)) window->focusPane = nullptr;
        ClearKeyboardFocus();
    }
}

void SubPane::StateChanged(int32_t state) {
    switch (state) {
        case 5: SetEnabled(true, true); break;
        case 6: SetEnabled(false, true); break;
        case 7: SetVisible(true); break;
        case 8: SetVisible(false); break;
        default: break;
    }
    for (int32_t i = 0; i < ChildCount(); ++i) ChildAt(i)->StateChanged(state);
}

void SubPane::SetPanelIndex(int32_t panel) {
    if (panel != panelIndex) {
        panelIndex = panel;
        AttachToEnclosingPane(false, true);
    }
    if (!IsPagePanel() && !IsTabPanel()) {
        for (int32_t i = ChildCount() - 1; i >= 0; --i) {
            SubPane* child = ChildAt(i);
            if (child->GetOuterPane()->parent == this) child->SetPanelIndex(panel);
        }
    }
    for (SubPane* up = GetParentPane(); up; up = up->GetParentPane()) {
        if (up->IsTabPanel() || up->IsPagePanel()) {
            SetShown(panel == up->CurrentPanel());
            return;
        }
    }
}

bool SubPane::IsInTabPanel() {
    for (SubPane* up = GetParentPane(); up; up = up->GetParentPane())
        if (up->IsTabPanel()) return true;
    return false;
}

void SubPane::OffsetTree(SubPane* pane, int16_t dh, int16_t dv) {
    OffsetRect16(pane->bounds, dh, dv);
    for (int32_t i = 0; i < pane->ChildCount(); ++i) OffsetTree(pane->ChildAt(i), dh, dv);
}

PanePoint SubPane::ScreenToWindow(PanePoint point) {
    WindowPane* window = FindWindowPane(this);
    if (!window) return point;
    POINT native = {point.h, point.v};
    ScreenToClient(window->GetHWND(), &native);
    return {native.y, native.x};
}

PanePoint SubPane::WindowToScreen(PanePoint point) {
    WindowPane* window = FindWindowPane(this);
    if (!window) return point;
    POINT native = {point.h, point.v};
    ClientToScreen(window->GetHWND(), &native);
    return {native.y, native.x};
}

bool SubPane::IsMouseButtonDown() {
    const int button = GetSystemMetrics(SM_SWAPBUTTON) ? VK_RBUTTON : VK_LBUTTON;
    return GetAsyncKeyState(button) < 0;
}

WindowPane* FindWindowPane(SubPane* pane) {
    if (!pane) return nullptr;
    while (SubPane* up = pane->GetParentPane()) pane = up;
    return pane->IsWindow() ? pane->AsWindowPane() : nullptr;
}
