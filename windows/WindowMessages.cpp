#include "WindowMessages.h"

#include "controls/NativeControlPane.h"
#include "core/Platform.h"
#include "host/Application.h"
#include "windows/Keyboard.h"
#include "windows/MenuItemClass.h"
#include "windows/MouseCursor.h"
#include "windows/Pane.h"

EventRecord CurrentEventRecord = {};
bool ContextualClickFlag = false;
bool PaneMousePressActive = false;
UINT PaneMousePressMessage = 0;
bool ModalTrackingEnded = false;

void RecordCurrentEvent(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    const DWORD position = GetMessagePos();
    CurrentEventRecord.window = window;
    CurrentEventRecord.message = message;
    CurrentEventRecord.wParam = static_cast<uint32_t>(wParam);
    CurrentEventRecord.lParam = static_cast<int32_t>(lParam);
    CurrentEventRecord.time = static_cast<uint32_t>(GetMessageTime());
    CurrentEventRecord.x = static_cast<int16_t>(LOWORD(position));
    CurrentEventRecord.y = static_cast<int16_t>(HIWORD(position));
}

bool HandleSetCursorMessage(SubPane* pane, PanePoint screenPoint, LPCSTR defaultCursorId) {
    if (ObjectHeader* application = ApplicationObjectOrNull()) {
        if (ObjectHeader* own = reinterpret_cast<ApplicationObject*>(application)->mouseCursor) {
            SetCursorFromHandle(MouseCursorHolder(own));
            return true;
        }
    }
    const PanePoint local = pane->ScreenToWindow(screenPoint);
    if (pane->AdjustCursor(local.h, local.v)) return true;
    if (gRememberedCursor) {
        ::SetCursor(gRememberedCursor);
        return true;
    }
    ::SetCursor(LoadCursorA(nullptr, defaultCursorId));
    return false;
}

WindowPane* FindWindowPaneForHWND(HWND window) {
    for (; window; window = GetParent(window)) {
        if (WindowPane* pane = FindWindowPaneByHWND(window)) return pane;
    }
    return nullptr;
}

bool ReflectChildMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) {
    switch (message) {
    case WM_DRAWITEM: {
        auto* item = reinterpret_cast<DRAWITEMSTRUCT*>(lParam);
        NativeControlPane* pane = item ? NativeControlPaneOf(item->hwndItem) : nullptr;
        if (!pane) return false;
        pane->OnDrawItem(item);
        result = 1;
        return true;
    }
    case WM_NOTIFY: {
        auto* header = reinterpret_cast<NMHDR*>(lParam);
        if (NativeControlPane* pane = header ? NativeControlPaneOf(header->hwndFrom) : nullptr)
            pane->OnNotify(header);
        return false;
    }
    case WM_COMMAND: {
        if (lParam) {
            if (NativeControlPane* pane = NativeControlPaneOf(reinterpret_cast<HWND>(lParam))) {
                UpdateKeyModifiers();
                pane->OnCommand(HIWORD(wParam));
            }
            return false;
        }
        // A menu or an accelerator.
        auto* pane = reinterpret_cast<SubPane*>(GetWindowLongAW(window, 0));
        WindowPane* top = pane ? pane->AsWindowPane() : nullptr;
        if (!HandleMenuCommand(top && top->IsModal(), LOWORD(wParam))) return false;
        result = 0;
        return true;
    }
    case WM_HSCROLL:
        if (NativeControlPane* pane = NativeControlPaneOf(reinterpret_cast<HWND>(lParam)))
            pane->OnHScroll(LOWORD(wParam));
        return false;
    case WM_VSCROLL:
        if (NativeControlPane* pane = NativeControlPaneOf(reinterpret_cast<HWND>(lParam)))
            pane->OnVScroll(LOWORD(wParam));
        return false;
    default:
        return false;
    }
}
