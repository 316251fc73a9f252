// The pane of a native control (a system BUTTON, EDIT, scroll bar and the like), which the
// control's window carries in its property "QVInstance" so that the window procedures can hand the
// control's notifications back to it.
//
// A base only: it lacks making and subclassing the native control, its own mouse, key and cursor
// handling and every concrete control; each notification operation does nothing.
#pragma once

#include <windows.h>
#include <commctrl.h>

#include <cstdint>

#include "windows/Pane.h"

class NativeControlPane : public BasicPane {
public:
    using BasicPane::BasicPane;

    virtual void OnCommand(int32_t) {}
    virtual void OnNotify(NMHDR*) {}
    virtual void OnDrawItem(DRAWITEMSTRUCT*) {}
    virtual void OnHScroll(int32_t) {}
    virtual void OnVScroll(int32_t) {}
};

// The pane a native control window carries, or null (also for null).
NativeControlPane* NativeControlPaneOf(HWND control);
