// The window pane's cost against the bare native calls it wraps: making a window pane, its first
// deferred showing and its destruction against CreateWindowExW, ShowWindow and DestroyWindow of a
// window of the same styles; and WM_MOUSEMOVE, WM_SETCURSOR and WM_PAINT through the top-level
// procedure against the same messages to a window whose procedure is DefWindowProcW.
#include <windows.h>

#include <cstdio>

#include "BenchTiming.h"
#include "windows/EventLoopWindows.h"
#include "windows/Pane.h"
#include "windows/TopLevelWindowClass.h"

namespace {

constexpr int kWindows = 40;
constexpr int kMessages = 20000;
constexpr int kCursorMessages = 1000;
constexpr int kPaints = 2000;

Rect16 R(int left, int top, int right, int bottom) {
    return Rect16{static_cast<int16_t>(top), static_cast<int16_t>(left),
                  static_cast<int16_t>(bottom), static_cast<int16_t>(right)};
}

void Pump() {
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&message);
}

double SendEach(HWND window, UINT message, WPARAM wParam, LPARAM lParam, int count) {
    return Best([&] {
        for (int i = 0; i < count; ++i) SendMessageW(window, message, wParam, lParam);
    });
}

double PaintEach(HWND window) {
    return Best([&] {
        for (int i = 0; i < kPaints; ++i) {
            InvalidateRect(window, nullptr, FALSE);
            UpdateWindow(window);
        }
    });
}

}  // namespace

int main() {
    RegisterWindowClasses();
    WNDCLASSW bareClass = {};
    bareClass.style = CS_OWNDC;
    bareClass.lpfnWndProc = DefWindowProcW;
    bareClass.hInstance = GetModuleHandleW(nullptr);
    bareClass.hCursor = LoadCursorA(nullptr, IDC_ARROW);  // shows the arrow, as the pane does
    bareClass.lpszClassName = L"BareBenchWindow";
    RegisterClassW(&bareClass);

    const double panes = Best([] {
        WindowPane* made[kWindows];
        for (int i = 0; i < kWindows; ++i)
            made[i] = new WindowPane(string("bench"), R(100, 100, 400, 300), 8, true, nullptr,
                                     true, true, 0, false, false);
        ShowDeferredWindows();
        Pump();
        for (int i = 0; i < kWindows; ++i) made[i]->Close();
        Pump();
    });
    const double bare = Best([] {
        HWND made[kWindows];
        RECT outer = {100, 100, 400, 300};
        const DWORD style = WS_CAPTION | WS_THICKFRAME | WS_SYSMENU | WS_MINIMIZEBOX | WS_MAXIMIZEBOX;
        AdjustWindowRect(&outer, style, FALSE);
        for (int i = 0; i < kWindows; ++i)
            made[i] = CreateWindowExW(0, L"BareBenchWindow", L"bench", style, outer.left,
                                      outer.top, outer.right - outer.left,
                                      outer.bottom - outer.top, nullptr, nullptr,
                                      GetModuleHandleW(nullptr), nullptr);
        for (int i = 0; i < kWindows; ++i) ShowWindow(made[i], SW_SHOW);
        Pump();
        for (int i = 0; i < kWindows; ++i) DestroyWindow(made[i]);
        Pump();
    });
    std::printf("WindowPane made, shown, destroyed vs CreateWindowExW/ShowWindow/DestroyWindow: %.2f\n",
                panes / bare);

    auto* pane = new WindowPane(string("bench"), R(100, 100, 500, 400), 8, true, nullptr, true,
                                true, 0, false, false);
    ShowDeferredWindows();
    Pump();
    HWND bareWindow = CreateWindowExW(0, L"BareBenchWindow", L"bench", WS_CAPTION | WS_VISIBLE,
                                      100, 100, 400, 300, nullptr, nullptr,
                                      GetModuleHandleW(nullptr), nullptr);
    Pump();
    HWND window = pane->GetHWND();
    const LPARAM point = MAKELPARAM(50, 60);
    std::printf("WM_MOUSEMOVE through TopLevelWindowProc vs DefWindowProcW: %.2f\n",
                SendEach(window, WM_MOUSEMOVE, 0, point, kMessages) /
                    SendEach(bareWindow, WM_MOUSEMOVE, 0, point, kMessages));
    const LPARAM hit = MAKELPARAM(HTCLIENT, WM_MOUSEMOVE);
    std::printf("WM_SETCURSOR through TopLevelWindowProc vs DefWindowProcW: %.2f\n",
                SendEach(window, WM_SETCURSOR, reinterpret_cast<WPARAM>(window), hit, kCursorMessages) /
                    SendEach(bareWindow, WM_SETCURSOR, reinterpret_cast<WPARAM>(bareWindow), hit,
                             kCursorMessages));
    std::printf("WM_PAINT through TopLevelWindowProc vs DefWindowProcW: %.2f\n",
                PaintEach(window) / PaintEach(bareWindow));
    pane->Close();
    DestroyWindow(bareWindow);
    return 0;
}
