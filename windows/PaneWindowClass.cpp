#include "PaneWindowClass.h"

#include <windows.h>

#include "core/Platform.h"
#include "host/EventLoop.h"
#include "windows/Keyboard.h"
#include "windows/Pane.h"
#include "windows/PopupMenuTracking.h"
#include "windows/WindowMessages.h"

namespace {

HBRUSH sPaneColorBrush = nullptr;

SubPane* PaneOf(HWND window) { return reinterpret_cast<SubPane*>(GetWindowLongAW(window, 0)); }

bool IsPress(UINT message) {
    switch (message) {
    case WM_LBUTTONDOWN: case WM_LBUTTONDBLCLK: case WM_RBUTTONDOWN: case WM_RBUTTONDBLCLK:
    case WM_NCLBUTTONDOWN: case WM_NCLBUTTONDBLCLK: case WM_NCRBUTTONDOWN: case WM_NCRBUTTONDBLCLK:
        return true;
    default:
        return false;
    }
}

// Hands a press to the pane's window in window coordinates; false when the pane has no window.
bool DispatchPress(SubPane* pane, UINT message, WPARAM wParam, LPARAM lParam) {
    WindowPane* window = FindWindowPane(pane);
    if (!window) return false;
    const bool nonClient = message >= WM_NCLBUTTONDOWN && message <= WM_NCRBUTTONDBLCLK;
    const bool right = message == WM_RBUTTONDOWN || message == WM_RBUTTONDBLCLK ||
                       message == WM_NCRBUTTONDOWN || message == WM_NCRBUTTONDBLCLK;
    POINT point = {static_cast<int16_t>(LOWORD(lParam)), static_cast<int16_t>(HIWORD(lParam))};
    if (nonClient) {
        // A press on a child's border lands just inside its client area.
        ScreenToClient(pane->GetHWND(), &point);
        ++point.x;
        ++point.y;
    }
    gKeyModifiers = nonClient ? 0 : MouseKeyModifiers(static_cast<uint32_t>(wParam));
    ContextualClickFlag = right;
    PaneMousePressActive = true;
    PaneMousePressMessage = message;
    ModalTrackingEnded = false;
    const int32_t x = point.x + pane->bounds.left;
    const int32_t y = point.y + pane->bounds.top;
    if (right)
        window->ContextualMouseDown(x, y, gKeyModifiers);
    else
        window->MouseDown(x, y, gKeyModifiers);
    PaneMousePressActive = false;
    return true;
}

// The brush of a control's background: its parent's back colour, else its window's. Panes in tab
// panels keep the system's background.
HBRUSH ControlColorBrush(SubPane* pane, HDC dc) {
    if (pane->IsInTabPanel()) return nullptr;
    RGBColor16 colour = {};
    SubPane* parent = pane->GetParentPane();
    COLORREF chosen;
    if (parent && parent->GetBackColor(colour)) {
        chosen = RGB(colour.red >> 8, colour.green >> 8, colour.blue >> 8);
    } else {
        WindowPane* window = FindWindowPane(pane);
        if (!window || !window->hasBackColor) return nullptr;
        chosen = window->backColor;
    }
    if (sPaneColorBrush) DeleteObject(sPaneColorBrush);
    sPaneColorBrush = CreateSolidBrush(chosen);
    SetBkMode(dc, TRANSPARENT);
    return sPaneColorBrush;
}

LRESULT CALLBACK PaneWindowProcBody(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    LRESULT reflected = 0;
    if (ReflectChildMessage(window, message, wParam, lParam, reflected)) return reflected;
    RecordCurrentEvent(window, message, wParam, lParam);
    SubPane* pane = PaneOf(window);
    const int32_t x = static_cast<int16_t>(LOWORD(lParam));
    const int32_t y = static_cast<int16_t>(HIWORD(lParam));
    if (message == WM_PAINT && pane) {
        pane->HandlePaint();
        return 0;
    }
    if (IsPress(message) && pane) {
        if (DispatchPress(pane, message, wParam, lParam)) return 0;
    } else if ((message == WM_CTLCOLORBTN || message == WM_CTLCOLORSTATIC) && pane) {
        if (HBRUSH brush = ControlColorBrush(pane, reinterpret_cast<HDC>(wParam)))
            return reinterpret_cast<LRESULT>(brush);
    } else if (message == WM_MOUSEMOVE) {
        if (pane) {
            if (WindowPane* top = FindWindowPane(pane))
                top->MouseMove(x + pane->bounds.left, y + pane->bounds.top);
        }
        return 0;
    } else if (message == WM_LBUTTONUP || message == WM_RBUTTONUP) {
        if (SubPane* capture = GetCapturePane()) {
            ReleaseCapturePane();
            capture->MouseUp(x + capture->bounds.left, y + capture->bounds.top);
        }
    }
    return DefWindowProcAW(window, message, wParam, lParam);
}

LRESULT CALLBACK PaneWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    return CallWindowProcFramed(PaneWindowProcBody, window, message, wParam, lParam);
}

}  // namespace

void RegisterPaneWindowClasses() {
    static bool sRegistered = false;
    if (sRegistered) return;
    sRegistered = true;
    const HINSTANCE instance = GetModuleHandleW(nullptr);
    const bool wide = IsUnicodePlatform();
    for (const char* name : {"QV_Pane", "QV_CanvasPane"}) {
        if (wide) {
            wchar_t wideName[16] = {};
            for (int i = 0; name[i]; ++i) wideName[i] = static_cast<wchar_t>(name[i]);
            WNDCLASSW windowClass = {};
            windowClass.style = CS_HREDRAW | CS_VREDRAW;
            windowClass.lpfnWndProc = PaneWindowProc;
            windowClass.cbWndExtra = sizeof(LONG);
            windowClass.hInstance = instance;
            windowClass.lpszClassName = wideName;
            RegisterClassW(&windowClass);
        } else {
            WNDCLASSA windowClass = {};
            windowClass.style = CS_HREDRAW | CS_VREDRAW;
            windowClass.lpfnWndProc = PaneWindowProc;
            windowClass.cbWndExtra = sizeof(LONG);
            windowClass.hInstance = instance;
            windowClass.lpszClassName = name;
            RegisterClassA(&windowClass);
        }
    }
}
