// Driving modal loops (dialogs, menus) in tests: a thread timer acts on the modal window while the
// modal call runs, and a watchdog ends the modal loop and reports a time-out instead of letting
// the test hang.
#pragma once

#include <windows.h>

#include <functional>

// Dispatches every message already queued, once: one event-loop step before native state is
// asserted. Answers the number of messages dispatched.
inline int PumpOnce() {
    int count = 0;
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&message);
        DispatchMessageW(&message);
        ++count;
    }
    return count;
}

// The first enabled, visible dialog (class "#32770") of this thread, or null.
HWND FindThreadDialog();

// Runs modal() while driver() is called every 20 ms from inside its loop; driver answers true once
// it has acted (it is not called again). When modal() has not returned within the time, whether
// the driver acted or not, the watchdog closes the thread's dialogs and cancels menus so that it
// returns. Answers false on a time-out.
bool RunModalDriven(const std::function<void()>& modal, const std::function<bool()>& driver,
                    DWORD timeoutMilliseconds = 5000);
