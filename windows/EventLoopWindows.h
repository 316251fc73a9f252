// The window services the event loop calls: the window list, deferred showing, closing every
// window at the end of the loop, the window pane of a native window and the keyboard
// pre-translation (KeyboardShortcuts.h).
//
// The list holds every open Window (WindowList.h); closing at the end closes the view windows
// first. The MDI frame's accelerators consume nothing yet.
#pragma once

#include <windows.h>

#include "windows/KeyboardShortcuts.h"
#include "windows/Pane.h"

// True exactly when no runtime window exists.
bool IsWindowListEmpty();

// Applies pending bounds and shows the windows whose showing was deferred.
void ShowDeferredWindows();

// Closes every view window, then whatever else the window list holds.
void CloseAllViewWindows();

// In MDI mode, the MDI client's system accelerators; true when they consumed the message.
bool TranslateMDIAccelerators(MSG* message);
