// What the window procedures share: the record of the message being handled, from which the
// language's event accessors read its time, position and window, the flags of a press being
// dispatched, the cursor choice of WM_SETCURSOR and the lookups of window panes by native window.
#pragma once

#include <windows.h>

#include <cstdint>

#include "windows/Geometry.h"

class RuntimeViewWindow;
class SubPane;
class WindowPane;

// The layout of a Win32 MSG; x and y are the message's cursor position, each word sign-extended.
struct EventRecord {
    HWND window;
    uint32_t message;
    uint32_t wParam;
    int32_t lParam;
    uint32_t time;
    int32_t x;
    int32_t y;
};
static_assert(sizeof(EventRecord) == 28);

extern EventRecord CurrentEventRecord;
// Overwrites CurrentEventRecord with a message and the time and cursor position of the message
// being handled.
void RecordCurrentEvent(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

// The press being dispatched is a right press.
extern bool ContextualClickFlag;
// The pane window procedure is inside the dispatch of a press, and which press message it is.
extern bool PaneMousePressActive;
extern UINT PaneMousePressMessage;
// Cleared at every press; a modal tracking loop sets it when it ends.
extern bool ModalTrackingEnded;

// WM_SETCURSOR over a pane: the application's own cursor, else the cursor the pane (or the front
// child under the point, a window point of {v, h} on screen) chooses, else the remembered cursor;
// true when one of these was set. Otherwise sets the system cursor defaultCursorId and answers
// false.
bool HandleSetCursorMessage(SubPane* pane, PanePoint screenPoint, LPCSTR defaultCursorId);

// Hands notifications of native child controls back to the control's pane: drawing items (handled,
// result 1), notifications, commands (with the key modifiers updated first) and scrolling. A
// control without a pane is left alone. Menu and accelerator commands go to
// HandleMenuCommand (handled, result 0, when it took them).
bool ReflectChildMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam,
                         LRESULT& result);

// The window pane of a native window or of its nearest ancestor that has one; null when none.
WindowPane* FindWindowPaneForHWND(HWND window);

// The pane of the Window object whose native window it is, or null.
RuntimeViewWindow* FindViewWindowByHWND(HWND window);
// The front window, or a floating one (kinds 1, 7 and 9); false for null.
bool IsKeyWindowOrFloating(WindowPane* pane);
