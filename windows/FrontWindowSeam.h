// What menus and keyboard shortcuts need of the top-level windows: the front window pane, whether
// a window pane is front or floating, and the language Window behind a window pane.
//
// The front window pane is the pane of the active (else the foreground) native window, found
// through its ancestors, so that a foreign window in front keeps the runtime's shortcuts quiet; a
// Window's pane answers its Window, any other pane the active window of the window list. MDI
// children are not searched.
#pragma once

#include "core/ObjectModel.h"

class WindowPane;

namespace front_window_seam {

WindowPane* ActiveWindowPane();
// The front window pane, or a floating one (kinds 1, 7 and 9); false for null.
bool IsKeyWindowOrFloating(WindowPane* window);
// The language Window of a window pane (null: the active window pane's); null when none.
ObjectHeader* LanguageWindowOf(WindowPane* window);

}  // namespace front_window_seam
