#include "TimerWindow.h"

#include <windows.h>

#include "PopupMenuTracking.h"
#include "core/SimpleVector.h"

namespace {

struct TimerCallbackEntry {
    TimerCallback callback;
    int32_t id;
    int32_t interval;
    UINT_PTR systemTimer;
    bool busy;
};

constexpr const char* kTimerWindowClass = "WinTimerClass";
// wParam: the function, lParam: its argument.
constexpr UINT kPostedCallMessage = WM_APP + 1;

// Read by any thread that posts a call; written only while no such post can happen.
HWND volatile sTimerWindow = nullptr;
// Timer windows of other threads, left by MoveTimersToThisThread.
SimpleVector<HWND> sWindowsLeft;
SimpleVector<TimerCallbackEntry> sEntries;
int32_t sNextId = 1;

int32_t IndexOf(int32_t id) {
    for (uint32_t i = 0; i < sEntries.size(); ++i)
        if (sEntries.mBuf[i].id == id) return static_cast<int32_t>(i);
    return -1;
}

void TimerFired(int32_t id) {
    int32_t index = IndexOf(id);
    if (index < 0 || sEntries.mBuf[index].busy || !sEntries.mBuf[index].callback) return;
    sEntries.mBuf[index].busy = true;
    sEntries.mBuf[index].callback(id);
    // The callback may have removed entries, its own among them, and moved the rest.
    index = IndexOf(id);
    if (index >= 0) sEntries.mBuf[index].busy = false;
}

LRESULT CALLBACK TimerWindowProcBody(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_TIMER) {
        TimerFired(static_cast<int32_t>(wParam));
        return 1;
    }
    if (message == kPostedCallMessage) {
        reinterpret_cast<void (*)(int32_t)>(wParam)(static_cast<int32_t>(lParam));
        return 0;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

LRESULT CALLBACK TimerWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    return CallWindowProcFramed(TimerWindowProcBody, window, message, wParam, lParam);
}

HWND NewTimerWindow() {
    return CreateWindowExA(0, kTimerWindowClass, "", 0, 0, 0, 1, 1, nullptr, nullptr,
                           GetModuleHandleA(nullptr), nullptr);
}

bool OwnedByThisThread(HWND window) {
    return IsWindow(window) && GetWindowThreadProcessId(window, nullptr) == GetCurrentThreadId();
}

}  // namespace

void CreateTimerWindow() {
    if (sTimerWindow) return;
    WNDCLASSA windowClass = {};
    windowClass.lpfnWndProc = TimerWindowProc;
    windowClass.hInstance = GetModuleHandleA(nullptr);
    windowClass.lpszClassName = kTimerWindowClass;
    RegisterClassA(&windowClass);
    sTimerWindow = NewTimerWindow();
}

void MoveTimersToThisThread() {
    CreateTimerWindow();
    if (OwnedByThisThread(sTimerWindow)) return;
    HWND window = nullptr;
    // Windows of threads that have ended are gone; the one of this thread is taken up again.
    for (uint32_t i = sWindowsLeft.size(); i-- > 0;) {
        HWND left = sWindowsLeft.mBuf[i];
        if (!window && OwnedByThisThread(left)) window = left;
        if (window == left || !IsWindow(left)) sWindowsLeft.remove_at(i);
    }
    if (!window) window = NewTimerWindow();
    for (uint32_t i = 0; i < sEntries.size(); ++i) {
        TimerCallbackEntry& entry = sEntries.mBuf[i];
        KillTimer(sTimerWindow, entry.systemTimer);
        entry.systemTimer = SetTimer(window, static_cast<UINT_PTR>(entry.id),
                                     static_cast<UINT>(entry.interval), nullptr);
    }
    if (IsWindow(sTimerWindow)) sWindowsLeft.push_back(sTimerWindow);
    sTimerWindow = window;
}

bool PostTimerWindowCall(void (*call)(int32_t argument), int32_t argument) {
    HWND window = sTimerWindow;
    return window && PostMessageA(window, kPostedCallMessage, reinterpret_cast<WPARAM>(call),
                                  static_cast<LPARAM>(argument));
}

int32_t AddTimerCallback(TimerCallback callback, int32_t milliseconds) {
    CreateTimerWindow();
    const int32_t id = sNextId++;
    sEntries.push_back({callback, id, milliseconds, 0, false});
    const UINT_PTR systemTimer =
        SetTimer(sTimerWindow, static_cast<UINT_PTR>(id), static_cast<UINT>(milliseconds), nullptr);
    sEntries.mBuf[sEntries.size() - 1].systemTimer = systemTimer;
    return id;
}

void RemoveTimerCallback(int32_t id) {
    const int32_t index = IndexOf(id);
    if (index < 0) return;
    KillTimer(sTimerWindow, sEntries.mBuf[index].systemTimer);
    sEntries.remove_at(static_cast<uint32_t>(index));
}
