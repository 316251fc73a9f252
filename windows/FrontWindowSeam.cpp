#include "FrontWindowSeam.h"

#include "Pane.h"
#include "RuntimeViewWindow.h"
#include "WindowList.h"
#include "WindowMessages.h"

namespace front_window_seam {

WindowPane* ActiveWindowPane() {
    HWND active = GetActiveWindow();
    if (!active) active = GetForegroundWindow();
    return FindWindowPaneForHWND(active);
}

bool IsKeyWindowOrFloating(WindowPane* window) {
    if (!window) return false;
    if (window == ActiveWindowPane()) return true;
    const int32_t kind = window->kind;
    return kind == 1 || kind == 7 || kind == 9;
}

ObjectHeader* LanguageWindowOf(WindowPane* window) {
    return WindowObjectOfPane(window ? window : ActiveWindowPane());
}

}  // namespace front_window_seam
