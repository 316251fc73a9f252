// Panes as the event loop sees them: the keyboard-focus, capture and mouse-tracking operations.
//
// A stand-in for the window system's panes. It holds only the operations the event loop calls,
// each doing nothing by default; it lacks native child windows, the pane tree, drawing, the
// current drawing pane, and every other pane operation. No pane of the runtime exists yet.
#pragma once

#include <windows.h>

#include <cstdint>

#include "core/GuardedMemory.h"

class WindowPane;

// A point as panes take it: vertical first.
struct PanePoint {
    int32_t v;
    int32_t h;
};

class SubPane : public RuntimeAllocated {
public:
    SubPane() = default;
    virtual ~SubPane() = default;
    SubPane(const SubPane&) = delete;
    SubPane& operator=(const SubPane&) = delete;

    // The pane that takes the keyboard focus for this one.
    virtual SubPane* GetOuterPane() { return this; }
    virtual void LostFocus() {}
    virtual void GotFocus() {}
    // Called once per event-loop step on the focus pane.
    virtual void Idle() {}
    // (h, v) in the coordinates of the pane's window.
    virtual void MouseDrag(int32_t, int32_t) {}
    // Makes the pane the current drawing pane; there is no drawing yet, so it records nothing.
    virtual void MakeCurrent() {}

    // The containing pane, or null at the top; there is no pane tree yet.
    virtual SubPane* GetParentPane() { return nullptr; }
    virtual WindowPane* AsWindowPane() { return nullptr; }

    // A screen point in the coordinates of the pane's window.
    PanePoint ScreenToWindow(PanePoint point);
    // True while the primary mouse button is down (swapped buttons respected).
    static bool IsMouseButtonDown();
};

// The top-level pane of a native window.
class WindowPane : public SubPane {
public:
    explicit WindowPane(HWND window) : mWindow(window) {}

    WindowPane* AsWindowPane() override { return this; }
    HWND GetHWND() const { return mWindow; }

    virtual void MouseEnter() {}
    virtual void MouseExit() {}
    // (h, v) in window coordinates.
    virtual void MouseMove(int32_t, int32_t) {}
    // (v, h); answers false on this platform.
    virtual bool AfterMouseMove(int32_t, int32_t) { return false; }

    int32_t mClientWidth = 0;
    int32_t mClientHeight = 0;

private:
    HWND mWindow;
};

// The window pane that contains a pane (its root when that is a window), null for null.
WindowPane* FindWindowPane(SubPane* pane);
