#include "ModalDriver.h"

namespace {

struct DriverState {
    const std::function<bool()>* driver;
    DWORD deadline;
    bool acted;
    bool timedOut;
};

DriverState* sState = nullptr;

BOOL CALLBACK CollectDialog(HWND window, LPARAM found) {
    char name[16] = {};
    GetClassNameA(window, name, sizeof(name));
    if (lstrcmpA(name, "#32770") == 0 && IsWindowVisible(window) && IsWindowEnabled(window)) {
        *reinterpret_cast<HWND*>(found) = window;
        return FALSE;
    }
    return TRUE;
}

BOOL CALLBACK CloseDialog(HWND window, LPARAM) {
    char name[16] = {};
    GetClassNameA(window, name, sizeof(name));
    if (lstrcmpA(name, "#32770") == 0) PostMessageA(window, WM_COMMAND, IDCANCEL, 0);
    return TRUE;
}

void CALLBACK Tick(HWND, UINT, UINT_PTR, DWORD) {
    if (!sState || sState->timedOut) return;
    if (!sState->acted && (*sState->driver)()) {
        sState->acted = true;
        return;
    }
    // Still inside the modal loop at the deadline, whether the driver never acted or what it did
    // was lost (keys posted to a loaded display): end the loop rather than hang the test.
    if (static_cast<LONG>(GetTickCount() - sState->deadline) >= 0) {
        sState->timedOut = true;
        EndMenu();
        EnumThreadWindows(GetCurrentThreadId(), CloseDialog, 0);
    }
}

}  // namespace

HWND FindThreadDialog() {
    HWND found = nullptr;
    EnumThreadWindows(GetCurrentThreadId(), CollectDialog, reinterpret_cast<LPARAM>(&found));
    return found;
}

bool RunModalDriven(const std::function<void()>& modal, const std::function<bool()>& driver,
                    DWORD timeoutMilliseconds) {
    DriverState state{&driver, GetTickCount() + timeoutMilliseconds, false, false};
    DriverState* outer = sState;
    sState = &state;
    const UINT_PTR timer = SetTimer(nullptr, 0, 20, Tick);
    modal();
    KillTimer(nullptr, timer);
    sState = outer;
    return state.acted && !state.timedOut;
}
