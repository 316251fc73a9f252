// Accelerator tables of windows, as the message pumps of the runtime offer messages to them.
#pragma once

#include <windows.h>

// The accelerator table of the window or of its nearest ancestor that has one, or null. No window
// of this system registers a table, so the answer is always null.
HACCEL FindWindowAccelerators(HWND window);
