// The window services the event loop calls: the window list, deferred showing, closing every
// window at the end of the loop, the window pane of a native window and the keyboard
// pre-translation (KeyboardShortcuts.h).
//
// A stand-in for the window system: the list and closing are those of the window-list stand-in
// (WindowList.h); only window panes are shown and moved as requested. It lacks Window objects and
// their panes and the MDI frame, whose accelerators consume nothing.
#pragma once

#include <windows.h>

#include "windows/KeyboardShortcuts.h"
#include "windows/Pane.h"

// True exactly when no runtime window exists.
bool IsWindowListEmpty();

// Applies pending bounds and shows the windows whose showing was deferred.
void ShowDeferredWindows();

// Closes every window of the list until it is empty.
void CloseAllViewWindows();

// In MDI mode, the MDI client's system accelerators; true when they consumed the message.
bool TranslateMDIAccelerators(MSG* message);
