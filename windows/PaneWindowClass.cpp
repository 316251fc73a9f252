#include "PaneWindowClass.h"

#include <windows.h>

#include "windows/Pane.h"

namespace {

LRESULT CALLBACK PaneWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_PAINT) {
        if (auto* pane = reinterpret_cast<SubPane*>(GetWindowLongW(window, 0))) {
            pane->HandlePaint();
            return 0;
        }
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

}  // namespace

void RegisterPaneWindowClasses() {
    static bool sRegistered = false;
    if (sRegistered) return;
    sRegistered = true;
    for (const wchar_t* name : {L"QV_Pane", L"QV_CanvasPane"}) {
        WNDCLASSW windowClass = {};
        windowClass.style = CS_DBLCLKS;
        windowClass.lpfnWndProc = PaneWindowProc;
        windowClass.cbWndExtra = sizeof(LONG);
        windowClass.hInstance = GetModuleHandleW(nullptr);
        windowClass.hCursor = LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW));
        windowClass.lpszClassName = name;
        RegisterClassW(&windowClass);
    }
}
