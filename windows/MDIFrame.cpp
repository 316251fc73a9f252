#include "MDIFrame.h"

#include "WindowList.h"
#include "core/Platform.h"
#include "host/Application.h"
#include "host/EventLoop.h"
#include "core/EncodingConversion.h"

namespace {

HWND sFrame = nullptr;

LRESULT CALLBACK MDIFrameWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_CLOSE) {
        if (CloseApplication()) SetQuitFlag();
        return 0;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

}  // namespace

HWND CreateMDIFrame(const string& caption, int32_t width, int32_t height) {
    static const ATOM frameClass = [] {
        WNDCLASSA windowClass = {};
        windowClass.lpfnWndProc = MDIFrameWindowProc;
        windowClass.hInstance = GetModuleHandleA(nullptr);
        windowClass.hCursor = LoadCursorA(nullptr, MAKEINTRESOURCEA(32512));
        windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_APPWORKSPACE + 1);
        windowClass.lpszClassName = "QvMDIFrame";
        return RegisterClassA(&windowClass);
    }();
    (void)frameClass;
    const string title = ConvertToSystemEncoding(caption);
    sFrame = CreateWindowA("QvMDIFrame", title.CString(), WS_OVERLAPPEDWINDOW, CW_USEDEFAULT,
                           CW_USEDEFAULT, width, height, nullptr, nullptr, GetModuleHandleA(nullptr),
                           nullptr);
    SetMDIMode(true);
    return sFrame;
}

HWND MDIFrameWindow() { return sFrame; }
bool IsMDIApplication() { return sFrame != nullptr; }
