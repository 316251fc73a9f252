#include "TopLevelWindowClass.h"

#include "controls/NativeControlPane.h"
#include "core/Exceptions.h"
#include "core/Platform.h"
#include "host/Application.h"
#include "host/EventLoop.h"
#include "host/MenuCommands.h"
#include "windows/Keyboard.h"
#include "windows/Pane.h"
#include "windows/PaneWindowClass.h"
#include "windows/Screens.h"
#include "windows/WindowDropTarget.h"
#include "windows/WindowList.h"
#include "windows/WindowMessages.h"
#include "windows/WindowPlacement.h"
#include "windows/WindowServices.h"

bool WindowsActivatedOnce = false;

namespace {

bool sInSizeMoveLoop = false;
bool sResizedDuringSizeMove = false;
bool sMinMaxActive = false;
bool sSizeEventPending = false;
HBRUSH sWindowColorBrush = nullptr;
void (*sTrayNotificationHook)(HWND, WPARAM, LPARAM) = nullptr;
void (*sBlockedClickBeep)() = nullptr;

constexpr UINT kTrayNotification = 0x473;
constexpr UINT kOutsideDestroy = 0x862;

WindowPane* PaneOf(HWND window) {
    return reinterpret_cast<WindowPane*>(GetWindowLongAW(window, 0));
}

void UpdateMenusForFrontWindow() {
    WindowPane* front = GetFrontWindowPane();
    UpdateMenuItems(front && front->IsModal(), nullptr);
}

void HandleSize(WindowPane* pane, WPARAM kind) {
    if (gApplyingPendingBounds) {
        // The program's own move: ApplyPendingBounds reports what its fire flags ask for.
        pane->UpdateBoundsFromWindow();
        return;
    }
    if (kind == SIZE_MINIMIZED) {
        sMinMaxActive = true;
        pane->Minimize();
    } else if (kind == SIZE_MAXIMIZED) {
        sSizeEventPending = true;
        sMinMaxActive = true;
        pane->Maximize();
    } else if (kind == SIZE_RESTORED && sMinMaxActive) {
        sSizeEventPending = true;
        sMinMaxActive = false;
        pane->Restore();
    }
    if (ExceptionInFlight() || !pane->GetHWND()) return;
    pane->UpdateBoundsFromWindow();
    if (sSizeEventPending) {
        sSizeEventPending = false;
        pane->Resized();
    } else if (IsIconic(pane->GetHWND())) {
    } else if (sInSizeMoveLoop) {
        sResizedDuringSizeMove = true;
        Rect16 client;
        pane->GetClientBoundsOnScreen(client);
        pane->Resizing(client);
    } else {
        pane->Resized();
    }
}

// Wheel turns add up per window in 120ths of a line, so that turns below a notch (fine-grained
// wheels and touch pads) still scroll once they make a whole line.
bool HandleWheel(WindowPane* pane, HWND window, WPARAM wParam, LPARAM lParam) {
    UINT lines = 0;
    SystemParametersInfoA(SPI_GETWHEELSCROLLLINES, 0, &lines, 0);
    if (lines == 0) return false;
    // A page a notch (WHEEL_PAGESCROLL) has no line count: it scrolls as far as lines can.
    if (lines > 100) lines = 100;
    POINT point = {static_cast<int16_t>(LOWORD(lParam)), static_cast<int16_t>(HIWORD(lParam))};
    ScreenToClient(window, &point);
    if (point.x < 0 || point.x > pane->width || point.y < 0 || point.y > pane->height) {
        pane->wheelRemainder = 0;
        return false;
    }
    const int32_t turn = -static_cast<int16_t>(HIWORD(wParam));
    pane->wheelRemainder += turn * static_cast<int32_t>(lines);
    const int32_t delta = pane->wheelRemainder / WHEEL_DELTA;
    pane->wheelRemainder -= delta * WHEEL_DELTA;
    if (delta == 0) return false;
    return pane->MouseWheel(point.x, point.y, delta);
}

HBRUSH ControlColorBrush(WindowPane* window, HWND control, HDC dc) {
    NativeControlPane* pane = NativeControlPaneOf(control);
    if (!pane || pane->IsInTabPanel()) return nullptr;
    RGBColor16 colour = {};
    COLORREF chosen;
    SubPane* parent = pane->GetParentPane();
    if (parent && parent->GetBackColor(colour))
        chosen = RGB(colour.red >> 8, colour.green >> 8, colour.blue >> 8);
    else if (window && window->hasBackColor)
        chosen = window->backColor;
    else
        return nullptr;
    if (sWindowColorBrush) DeleteObject(sWindowColorBrush);
    sWindowColorBrush = CreateSolidBrush(chosen);
    SelectObject(dc, sWindowColorBrush);
    return sWindowColorBrush;
}

void ShowContextMenu(WindowPane* pane, HWND window, LPARAM lParam) {
    UpdateKeyModifiers();
    ModalTrackingEnded = false;
    POINT point = {static_cast<int16_t>(LOWORD(lParam)), static_cast<int16_t>(HIWORD(lParam))};
    if (point.x == -1 && point.y == -1) {
        // From the keyboard: at the corner of the window that has the focus.
        RECT rect = {0, 0, 0, 0};
        HWND focus = GetFocus();
        GetWindowRect(focus ? focus : window, &rect);
        point = {rect.left, rect.top};
    }
    ScreenToClient(window, &point);
    pane->ContextualMenu(point.x, point.y);
}

// The native window went away, by the pane's destructor or by someone else (with its owner, by
// message 0x862): the pane never touches the handle again.
void ForgetNativeWindow(HWND window) {
    RemoveVisibleWindowHandle(window);
    WindowPane* pane = PaneOf(window);
    if (!pane) return;
    SetWindowLongAW(window, 0, 0);
    if (pane->dropTarget) pane->dropTarget->Revoke(window);
    pane->hwnd = nullptr;
}

}  // namespace

void SetTrayNotificationHook(void (*hook)(HWND, WPARAM, LPARAM)) { sTrayNotificationHook = hook; }
void SetBlockedClickBeepForTesting(void (*beep)()) { sBlockedClickBeep = beep; }

void ConstrainWindowSizing(WindowPane* pane, int32_t edge, RECT* rect) {
    if (!pane || !rect) return;
    SizingFrame frame = {GetSystemMetrics(SM_CXFRAME), GetSystemMetrics(SM_CYFRAME),
                         pane->SizingCaptionHeight(), GetSystemMetrics(SM_CYMENU)};
    if (IsMDIMode() || !pane->GetHWND() || !GetMenu(pane->GetHWND())) frame.menu = 0;
    Rect16 limits = {0, 0, 0, 0};
    pane->GetSizeLimits(limits);
    if (limits.top == 0 && limits.left == 0 && limits.bottom == 0 && limits.right == 0) return;
    Rect16 client;
    pane->GetClientBoundsOnScreen(client);
    const SizingRect clientRect = {client.left, client.top, client.right, client.bottom};
    SizingRect proposed = {rect->left, rect->top, rect->right, rect->bottom};
    ConstrainSizingRect(edge, proposed, clientRect, limits, frame);
    *rect = {proposed.left, proposed.top, proposed.right, proposed.bottom};
}

bool WindowMessageCore(HWND window, UINT message, WPARAM wParam, LPARAM lParam,
                       LRESULT& result) {
    RecordCurrentEvent(window, message, wParam, lParam);
    if (ReflectChildMessage(window, message, wParam, lParam, result)) return true;
    WindowPane* pane = PaneOf(window);
    const int32_t x = static_cast<int16_t>(LOWORD(lParam));
    const int32_t y = static_cast<int16_t>(HIWORD(lParam));
    result = 0;
    switch (message) {
    case WM_DESTROY:
        if (pane && !pane->closing) {
            pane->nativeDestroyed = true;
            pane->CloseRequested();
        }
        return false;
    case WM_NCDESTROY:
        ForgetNativeWindow(window);
        return false;
    case WM_MOVE:
        // No movie is ever open on this platform, so there is no movie pane to redraw.
        if (!WindowsActivatedOnce || !pane) return false;
        pane->UpdateBoundsFromWindow();
        if (!gApplyingPendingBounds) pane->Moved();
        return false;
    case WM_SIZE:
        if (WindowsActivatedOnce && pane && !pane->closing) HandleSize(pane, wParam);
        return false;
    case WM_ACTIVATE:
        WindowsActivatedOnce = true;
        if (pane) {
            if (LOWORD(wParam) == WA_INACTIVE)
                pane->Deactivate();
            else if (HIWORD(wParam) == 0)
                pane->Activate();
            if (ExceptionInFlight()) return true;
            if (PaneOf(window) == pane && !pane->closing) UpdateMenusForFrontWindow();
        }
        return true;
    case WM_PAINT:
        if (pane) {
            pane->HandlePaint();
        } else {
            PAINTSTRUCT paint;
            BeginPaint(window, &paint);
            EndPaint(window, &paint);
        }
        return true;
    case WM_CLOSE:
        // The pane decides whether and how the window closes.
        if (pane) pane->CloseRequested();
        return true;
    case WM_QUERYENDSESSION:
        result = CloseApplication() ? 1 : 0;
        return true;
    case WM_ERASEBKGND: {
        WindowPane* listed = FindWindowPaneByHWND(window);
        if (!listed) return false;
        HBRUSH brush = CreateSolidBrush(listed->hasBackColor ? listed->backColor
                                                             : GetSysColor(COLOR_BTNFACE));
        RECT client;
        GetClientRect(window, &client);
        FillRect(reinterpret_cast<HDC>(wParam), &client, brush);
        DeleteObject(brush);
        result = 1;
        return true;
    }
    case WM_SHOWWINDOW:
        if (IsWindows2000OrLater())
            SendMessageW(window, WM_CHANGEUISTATE, MAKEWPARAM(UIS_CLEAR, UISF_HIDEFOCUS), 0);
        return false;
    case WM_ACTIVATEAPP:
        if (wParam)
            FireApplicationActivate();
        else if (pane && !pane->closing)
            FireApplicationDeactivate();
        return false;
    case WM_SETCURSOR:
        if (LOWORD(lParam) != HTCLIENT || !pane) return false;
        if (HandleSetCursorMessage(pane, PanePoint{CurrentEventRecord.y, CurrentEventRecord.x},
                                   IDC_ARROW)) {
            result = 1;
            return true;
        }
        return false;
    case WM_MOUSEACTIVATE:
        if (!IsBlockedByFrontWindow(window)) return false;
        if (sBlockedClickBeep)
            sBlockedClickBeep();
        else
            MessageBeep(0);
        result = MA_NOACTIVATEANDEAT;
        return true;
    case WM_CONTEXTMENU:
        if (pane) ShowContextMenu(pane, window, lParam);
        return false;
    case WM_DISPLAYCHANGE:
        RemoveCachedScreenInfo();
        return false;
    case WM_NCMOUSEMOVE:
        if (pane) pane->MouseMove(-1, -1);
        return false;
    case WM_INITMENU:
        UpdateMenusForFrontWindow();
        return false;
    case WM_UPDATEUISTATE:
        if (pane) pane->Invalidate(false);
        return false;
    case WM_CTLCOLORBTN:
    case WM_CTLCOLORSTATIC:
        if (HBRUSH brush = ControlColorBrush(pane, reinterpret_cast<HWND>(lParam),
                                             reinterpret_cast<HDC>(wParam))) {
            result = reinterpret_cast<LRESULT>(brush);
            return true;
        }
        return false;
    case WM_MOUSEMOVE:
        if (IsMDIMode() && !GetCapturePane() && pane) pane->MouseMove(x, y);
        return false;
    case WM_LBUTTONDOWN:
    case WM_RBUTTONDOWN:
        if (!pane) return false;
        UpdateKeyModifiers();
        ModalTrackingEnded = false;
        ContextualClickFlag = message == WM_RBUTTONDOWN;
        if (message == WM_LBUTTONDOWN)
            pane->MouseDown(x, y, gKeyModifiers);
        else
            pane->ContextualMouseDown(x, y, gKeyModifiers);
        return false;
    case WM_LBUTTONUP:
    case WM_RBUTTONUP:
        if (SubPane* capture = GetCapturePane()) {
            ReleaseCapturePane();
            capture->MouseUp(x, y);
        }
        return false;
    case WM_MOUSEWHEEL:
        if (pane && HandleWheel(pane, window, wParam, lParam)) return true;
        return false;
    case WM_SIZING:
        if (WindowsActivatedOnce && pane)
            ConstrainWindowSizing(pane, static_cast<int32_t>(wParam), reinterpret_cast<RECT*>(lParam));
        return false;
    case WM_MDIACTIVATE:
        if (!pane) return false;
        if (reinterpret_cast<HWND>(lParam) == window)
            pane->Activate();
        else if (reinterpret_cast<HWND>(wParam) == window)
            pane->Deactivate();
        return false;
    case WM_ENTERSIZEMOVE:
        sInSizeMoveLoop = true;
        return false;
    case WM_EXITSIZEMOVE:
        sInSizeMoveLoop = false;
        if (sResizedDuringSizeMove) {
            sResizedDuringSizeMove = false;
            if (pane) pane->Resized();
        }
        return false;
    case WM_IME_CHAR: {
        SubPane* target = GetFocusPane();
        if (!target) target = pane;
        if (target)
            target->KeyChar(static_cast<int32_t>(wParam), static_cast<uint8_t>(lParam >> 16), 0);
        return false;
    }
    case WM_QUERYNEWPALETTE: {
        HDC dc = GetDC(window);
        SelectPalette(dc, GetUniformPalette(), FALSE);
        RealizePalette(dc);
        ReleaseDC(window, dc);
        result = 1;
        return true;
    }
    case kTrayNotification:
        if (sTrayNotificationHook) sTrayNotificationHook(window, wParam, lParam);
        return false;
    case kOutsideDestroy:
        if (wParam != 1 || lParam != 2) return false;
        DestroyWindow(window);
        return true;
    default:
        return false;
    }
}

LRESULT CALLBACK TopLevelWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    LRESULT result = 0;
    if (WindowMessageCore(window, message, wParam, lParam, result)) return result;
    return DefWindowProcAW(window, message, wParam, lParam);
}

void RegisterWindowClasses() {
    RegisterPaneWindowClasses();
    static bool sRegistered = false;
    if (sRegistered) return;
    sRegistered = true;
    const HINSTANCE instance = GetModuleHandleW(nullptr);
    if (IsUnicodePlatform()) {
        WNDCLASSW windowClass = {};
        windowClass.style = CS_OWNDC;
        windowClass.lpfnWndProc = TopLevelWindowProc;
        windowClass.cbWndExtra = sizeof(LONG);
        windowClass.hInstance = instance;
        windowClass.hIcon = LoadIconW(instance, MAKEINTRESOURCEW(102));
        windowClass.lpszClassName = L"QVWindow";
        RegisterClassW(&windowClass);
    } else {
        WNDCLASSA windowClass = {};
        windowClass.style = CS_OWNDC;
        windowClass.lpfnWndProc = TopLevelWindowProc;
        windowClass.cbWndExtra = sizeof(LONG);
        windowClass.hInstance = instance;
        windowClass.hIcon = LoadIconA(instance, MAKEINTRESOURCEA(102));
        windowClass.lpszClassName = "QVWindow";
        RegisterClassA(&windowClass);
    }
}
