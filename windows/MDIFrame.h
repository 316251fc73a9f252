// The MDI frame window of an application whose payload asked for MDI.
//
// Stand-in until the window system is built: the frame is a plain top-level window with the
// caption and size; it has no client area for child windows, no menu bar and no accelerators.
// Closing it runs the application's quit sequence.
#pragma once

#include <windows.h>

#include "core/RuntimeString.h"

// Creates the (hidden) frame and sets the MDI mode.
HWND CreateMDIFrame(const string& caption, int32_t width, int32_t height);
HWND MDIFrameWindow();
bool IsMDIApplication();
