// The native window classes of the runtime's windows and the procedure of its top-level windows:
// the messages of a "QVWindow" window become calls of its window pane (activation, moves and
// sizes, closing, painting, the background, cursors, presses, the wheel, context menus).
#pragma once

#include <windows.h>

#include <cstdint>

class WindowPane;

// Registers "QVWindow", "QV_Pane" and "QV_CanvasPane" once, with wide names on the Unicode
// platform, else with ANSI names.
void RegisterWindowClasses();

LRESULT CALLBACK TopLevelWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
// The handling shared by top-level and MDI child windows; false: the caller's default procedure
// handles the message.
bool WindowMessageCore(HWND window, UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result);

// Keeps the outer rectangle WM_SIZING proposes within the pane's size limits.
void ConstrainWindowSizing(WindowPane* pane, int32_t edge, RECT* rect);

// Some window has been activated: until then moves, sizes and sizing are left to the system.
extern bool WindowsActivatedOnce;
// Set while a window pane moves its own native window to the bounds the program asked for: the
// procedure then reports no move or size of its own.
extern bool gApplyingPendingBounds;

// The tray items' notification message 0x473 goes to this hook; none is set until tray items
// exist.
void SetTrayNotificationHook(void (*hook)(HWND window, WPARAM wParam, LPARAM lParam));
// The beep of a click on a window blocked by a modal one (tests count it).
void SetBlockedClickBeepForTesting(void (*beep)());
