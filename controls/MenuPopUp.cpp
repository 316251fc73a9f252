// MenuItem.PopUp: the item's menu shown as a popup at a screen point, the chosen item run through
// the menu handlers, and the item answered when no handler took it.
#include <windows.h>

#include "core/Exceptions.h"
#include "host/MenuCommands.h"
#include "windows/PaneWindowClass.h"
#include "windows/MenuItemClass.h"
#include "windows/PopupMenuTracking.h"
#include "windows/WindowMessages.h"

namespace {

// The owner of the popup: the runtime window under the point, else a temporary 1 x 1 window of
// the pane class that the caller destroys.
HWND PopUpOwner(int32_t x, int32_t y, bool& temporary) {
    const POINT point{x, y};
    HWND under = WindowFromPoint(point);
    temporary = !under || !FindWindowPaneForHWND(under);
    if (!temporary) return under;
    RegisterPaneWindowClasses();
    return CreateWindowExA(0, "QV_Pane", "", WS_POPUP, x, y, 1, 1, nullptr, nullptr,
                           GetModuleHandleA(nullptr), nullptr);
}

}  // namespace

extern "C" ObjectHeader* RuntimeMenuItemPopUp(ObjectHeader* item, int32_t x, int32_t y) {
    Win32Menu* imp = MenuItemImplementation(item);
    if (!imp) return nullptr;
    RuntimeLockObject(item);
    enableMenuItems();
    bool temporary = false;
    HWND owner = PopUpOwner(x, y, temporary);
    const UINT chosen =
        TrackPopupMenuFramed(imp->menuHandle, TPM_RETURNCMD | TPM_NONOTIFY | TPM_RIGHTBUTTON, x, y,
                             owner);
    WindowPane* ownerPane = temporary ? nullptr : FindWindowPaneForHWND(owner);
    if (temporary && owner) DestroyWindow(owner);
    ObjectHeader* result = nullptr;
    // An exception parked while the menu was open is on its way: no handler may run under it.
    if (chosen != 0 && !ExceptionInFlight()) {
        result = imp->FindByCommandId(static_cast<int32_t>(chosen));
        if (result && RuntimeMenuItemClick(result, false, ownerPane)) {
            RuntimeUnlockObject(result);
            result = nullptr;
        }
    }
    RuntimeUnlockObject(item);
    return result;
}

extern "C" ObjectHeader* RuntimeMenuItemPopUpByCursor(ObjectHeader* item) {
    POINT cursor = {};
    GetCursorPos(&cursor);
    return RuntimeMenuItemPopUp(item, cursor.x, cursor.y);
}
