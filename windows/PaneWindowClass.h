// The native window classes of runtime-drawn panes, "QV_Pane" and "QV_CanvasPane", whose window
// long 0 holds the pane.
//
// A stand-in for the window procedures of the window system: its procedure hands WM_PAINT to the
// pane and leaves every other message to the system. It lacks mouse, keyboard, focus, cursor,
// scrolling and notification handling, and the top-level and MDI classes.
#pragma once

// Registers both classes once; later calls find them registered.
void RegisterPaneWindowClasses();
