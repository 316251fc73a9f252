// Language windows against the bare native calls, side by side: a Window subclass with 20 Canvas
// controls opened, painted and closed against CreateWindowExW of a window with 20 child windows,
// painted and destroyed; and a mouse move over a Canvas firing its MouseMove handler against a
// bare window procedure doing the same hit test over the 20 children and the same call.
//
// Nothing here waits for a message or runs a modal loop, failure reports are recorded instead of
// shown in a message box, and a watchdog ends the program should anything still wait: a
// benchmark must end by itself.
#include <windows.h>

#include <cstdio>

#include "BenchTiming.h"
#include "controls/ControlClasses.h"
#include "core/DefinitionConversion.h"
#include "host/Application.h"
#include "host/WindowLookups.h"
#include "tests/support/CompiledSubclass.h"
#include "windows/EventLoopWindows.h"
#include "windows/Pane.h"
#include "windows/TopLevelWindowClass.h"
#include "windows/WindowObject.h"

// The Visible property row's setter, which the SDK declares for compiled code.
extern "C" void WindowVisibleSetter(ObjectHeader* window, int32_t, bool value);

namespace {

constexpr int kControls = 20;
constexpr int kColumns = 5;
constexpr int kCellWidth = 80;
constexpr int kCellHeight = 70;
constexpr int kWindows = 10;
constexpr int kMoves = 5000;
constexpr DWORD kWatchdogMilliseconds = 10 * 60 * 1000;

int sPaints = 0;
int sMoves = 0;
int sLastX = 0;

RECT CellRect(int i) {
    const int left = (i % kColumns) * kCellWidth + 4, top = (i / kColumns) * kCellHeight + 4;
    return RECT{left, top, left + kCellWidth - 8, top + kCellHeight - 8};
}

void Pump() {
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&message);
}

DWORD WINAPI Watchdog(LPVOID) {
    Sleep(kWatchdogMilliseconds);
    std::fprintf(stderr, "window_bench: still running after %lu s; stopped\n",
                 kWatchdogMilliseconds / 1000);
    std::fflush(stderr);
    ExitProcess(3);
}

// ---- the language side ----

ClassRecord* sCanvasClass = nullptr;

void OnLayout(ObjectHeader* self) {
    windowPosSetter(self, 0, 40);
    windowPosSetter(self, 1, 60);
    windowPosSetter(self, 2, kColumns * kCellWidth);
    windowPosSetter(self, 3, (kControls / kColumns) * kCellHeight);
    WindowVisibleSetter(self, 0, true);
}

void OnCreateControls(ObjectHeader* self) {
    for (int i = 0; i < kControls; ++i) {
        ObjectHeader* canvas = RuntimeNewObject(sCanvasClass);
        ControlFields(canvas)->index = kNoControlIndex;
        const RECT r = CellRect(i);
        ctlPosSetter(canvas, 0, r.left);
        ctlPosSetter(canvas, 1, r.top);
        ctlPosSetter(canvas, 2, r.right - r.left);
        ctlPosSetter(canvas, 3, r.bottom - r.top);
        char name[8];
        std::snprintf(name, sizeof name, "C%d", i);
        WindowAddControl(self, string(name).Record(), canvas);
        RuntimeUnlockObject(canvas);
    }
}

void OnCanvasPaint(ObjectHeader*, ObjectHeader*) { ++sPaints; }

void OnCanvasMouseMove(ObjectHeader*, int32_t x, int32_t) {
    ++sMoves;
    sLastX = x;
}

// ---- the bare side ----

HWND sBareChildren[kControls];

LRESULT CALLBACK BareParentProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_MOUSEMOVE) {
        // The children from the last made, as the window walks its controls.
        const int x = static_cast<int16_t>(LOWORD(lParam)), y = static_cast<int16_t>(HIWORD(lParam));
        for (int i = kControls - 1; i >= 0; --i) {
            const RECT r = CellRect(i);
            if (x >= r.left && x < r.right && y >= r.top && y < r.bottom)
                OnCanvasMouseMove(nullptr, x - r.left, y - r.top);
        }
        return 0;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

LRESULT CALLBACK BareChildProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_PAINT) {
        PAINTSTRUCT paint;
        BeginPaint(window, &paint);
        OnCanvasPaint(nullptr, nullptr);
        EndPaint(window, &paint);
        return 0;
    }
    if (message == WM_MOUSEMOVE) {
        // To the parent's coordinates, as a pane passes a move to its window.
        POINT point = {static_cast<int16_t>(LOWORD(lParam)), static_cast<int16_t>(HIWORD(lParam))};
        MapWindowPoints(window, GetParent(window), &point, 1);
        return BareParentProcedure(GetParent(window), message, wParam, MAKELPARAM(point.x, point.y));
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

HWND MakeBareWindow() {
    RECT outer = {40, 60, 40 + kColumns * kCellWidth, 60 + (kControls / kColumns) * kCellHeight};
    const DWORD style = WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX | WS_CLIPCHILDREN;
    AdjustWindowRect(&outer, style, FALSE);
    HWND parent = CreateWindowExW(0, L"BareWindowBench", L"bench", style, outer.left, outer.top,
                                  outer.right - outer.left, outer.bottom - outer.top, nullptr,
                                  nullptr, GetModuleHandleW(nullptr), nullptr);
    for (int i = 0; i < kControls; ++i) {
        const RECT r = CellRect(i);
        sBareChildren[i] = CreateWindowExW(0, L"BareCanvasBench", L"", WS_CHILD | WS_VISIBLE,
                                           r.left, r.top, r.right - r.left, r.bottom - r.top,
                                           parent, nullptr, GetModuleHandleW(nullptr), nullptr);
    }
    ShowWindow(parent, SW_SHOW);
    UpdateWindow(parent);
    return parent;
}

void RegisterBareClasses() {
    WNDCLASSW bare = {};
    bare.lpfnWndProc = BareParentProcedure;
    bare.hInstance = GetModuleHandleW(nullptr);
    bare.hCursor = LoadCursorA(nullptr, IDC_ARROW);
    bare.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
    bare.lpszClassName = L"BareWindowBench";
    RegisterClassW(&bare);
    bare.lpfnWndProc = BareChildProcedure;
    bare.lpszClassName = L"BareCanvasBench";
    RegisterClassW(&bare);
}

}  // namespace

int main() {
    SetEnvironmentVariableA("QV_FAILURE_SINK", "record");
    CloseHandle(CreateThread(nullptr, 0, Watchdog, nullptr, 0, nullptr));

    ObjectHeader* app = RuntimeNewObject(CompiledSubclass(Application(), "BenchApp", {}));
    SetApplicationObject(app);
    sCanvasClass = CompiledSubclass(Canvas(), "BenchCanvas",
                                    {{"Paint", HandlerAddress(OnCanvasPaint)},
                                     {"MouseMove", HandlerAddress(OnCanvasMouseMove)}});
    ClassRecord* windowClass =
        CompiledSubclass(Window(), "BenchWindow", {{"Layout", HandlerAddress(OnLayout)},
                                                   {"CreateControls", HandlerAddress(OnCreateControls)}});
    RegisterWindowClasses();
    RegisterBareClasses();

    auto openWindow = [&] {
        ObjectHeader* window = RuntimeNewObject(windowClass);
        WindowDefaultConstructor(window);
        ShowDeferredWindows();
        UpdateWindow(reinterpret_cast<HWND>(static_cast<intptr_t>(WindowHandleGetter(window, 0))));
        return window;
    };

    sPaints = 0;
    const double windows = Best([&] {
        for (int i = 0; i < kWindows; ++i) {
            ObjectHeader* window = openWindow();
            RuntimeCloseWindow(window);
            RuntimeUnlockObject(window);
        }
        Pump();
    });
    const int windowPaints = sPaints;
    sPaints = 0;
    const double bare = Best([&] {
        for (int i = 0; i < kWindows; ++i) DestroyWindow(MakeBareWindow());
        Pump();
    });
    const int barePaints = sPaints;
    std::printf("Window with %d Canvas opened, painted, closed vs CreateWindowExW with %d children, "
                "painted, destroyed: %.2f (%d and %d Paint events of %d windows each)\n",
                kControls, kControls, windows / bare, windowPaints, barePaints,
                kRounds * kWindows);

    // A move over the last Canvas, to its own native window as the system sends it.
    ObjectHeader* window = openWindow();
    Pump();
    ObjectHeader* last = RuntimeControlReference(window, string("C19").Record());
    HWND canvasWindow = ControlFields(last)->pane->GetHWND();
    RuntimeUnlockObject(last);
    HWND bareWindow = MakeBareWindow();
    Pump();
    const LPARAM point = MAKELPARAM(10, 12);
    sMoves = 0;
    const double moves = Best([&] {
        for (int i = 0; i < kMoves; ++i) SendMessageW(canvasWindow, WM_MOUSEMOVE, 0, point);
    });
    const int windowMoves = sMoves;
    sMoves = 0;
    const double bareMoves = Best([&] {
        for (int i = 0; i < kMoves; ++i)
            SendMessageW(sBareChildren[kControls - 1], WM_MOUSEMOVE, 0, point);
    });
    std::printf("mouse move over a Canvas firing MouseMove vs a bare procedure's hit test and call: "
                "%.2f (%d and %d handler calls of %d moves each, last x %d)\n",
                moves / bareMoves, windowMoves, sMoves, kRounds * kMoves, sLastX);

    RuntimeCloseWindow(window);
    RuntimeUnlockObject(window);
    DestroyWindow(bareWindow);
    Pump();
    SetApplicationObject(nullptr);
    RuntimeUnlockObject(app);
    return 0;
}
