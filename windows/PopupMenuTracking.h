// TrackPopupMenu runs its own modal loop, so the window procedures it calls are not reached
// through the runtime's frames: an exception raised by a handler there would find no frame to
// unwind to. While a popup is tracked the runtime's window procedures run their work in a
// callback frame, which parks such an exception, and it is raised again once the menu has closed.
#pragma once

#include <windows.h>

#include <cstdint>

bool IsTrackingPopupMenu();

// TrackPopupMenu with the procedures framed; raises a parked exception again after it returns.
UINT TrackPopupMenuFramed(HMENU menu, UINT flags, int32_t x, int32_t y, HWND owner);

// Calls a window procedure's body, in a callback frame while a popup is tracked.
LRESULT CallWindowProcFramed(WNDPROC body, HWND window, UINT message, WPARAM wParam,
                             LPARAM lParam);
