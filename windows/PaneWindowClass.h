// The native window classes of runtime-drawn panes, "QV_Pane" and "QV_CanvasPane", whose window
// long 0 holds the pane, and their procedure: painting, presses (left and right, client and
// border) and mouse moves go to the pane's window pane in window coordinates, releases to the pane
// holding the capture, and control-colour messages answer a brush of the back colour.
//
// Notifications of native child controls go back to their panes first. The procedure does not yet
// draw the backgrounds of controls in tab panels under visual styles; the top-level and MDI
// classes are missing.
#pragma once

// Registers both classes once (wide or ANSI by the platform); later calls find them registered.
void RegisterPaneWindowClasses();
