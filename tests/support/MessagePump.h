// Pumping the thread's messages in tests (timers arrive as messages) until a condition holds, with
// a watchdog so that no test can wait for ever.
#pragma once

#include <windows.h>

// Dispatches messages until done() answers true or the time runs out; false on time-out.
template <typename Done>
bool PumpMessagesUntil(Done done, DWORD timeoutMilliseconds) {
    const DWORD start = GetTickCount();
    while (!done()) {
        if (GetTickCount() - start >= timeoutMilliseconds) return false;
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 5, QS_ALLINPUT);
        MSG message;
        while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&message);
            DispatchMessageA(&message);
        }
    }
    return true;
}

// Dispatches messages for the whole time.
inline void PumpMessagesFor(DWORD milliseconds) {
    PumpMessagesUntil([] { return false; }, milliseconds);
}

// A small hidden top-level window of its own class, whose messages go to procedure; the class is
// registered on the first call for that name.
inline HWND MakeProbeWindow(const char* className, WNDPROC procedure) {
    WNDCLASSA windowClass = {};
    if (!GetClassInfoA(GetModuleHandleA(nullptr), className, &windowClass)) {
        windowClass.lpfnWndProc = procedure;
        windowClass.hInstance = GetModuleHandleA(nullptr);
        windowClass.lpszClassName = className;
        RegisterClassA(&windowClass);
    }
    return CreateWindowA(className, "", WS_OVERLAPPED, 0, 0, 10, 10, nullptr, nullptr,
                         GetModuleHandleA(nullptr), nullptr);
}
