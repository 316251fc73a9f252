// MenuItem.PopUp: the item's menu shown as a popup at a screen point, the chosen item run through
// the menu handlers, and the item answered when no handler took it.
#include <windows.h>

#include "core/Exceptions.h"
#include "core/FailureReport.h"
#include "host/MenuCommands.h"
#include "windows/MenuItemClass.h"
#include "windows/Pane.h"
#include "windows/PopupMenuTracking.h"
#include "windows/TopLevelWindowClass.h"
#include "windows/WindowMessages.h"

namespace {

constexpr const char* kSource = "runcmm";

// The owner of the popup: the child of the runtime's foreground window under the point (or that
// window itself), else a temporary 1 x 1 window that the caller destroys.
HWND PopUpOwner(int32_t x, int32_t y, bool& temporary) {
    temporary = false;
    HWND foreground = GetForegroundWindow();
    if (foreground && FindWindowPaneByHWND(foreground)) {
        POINT point{x, y};
        ScreenToClient(foreground, &point);
        if (HWND child = ChildWindowFromPointEx(foreground, point,
                                                CWP_SKIPINVISIBLE | CWP_SKIPDISABLED))
            return child;
    }
    temporary = true;
    RegisterWindowClasses();
    return CreateWindowExA(0, "QVWindow", "", 0, 0, 0, 1, 1, nullptr, nullptr,
                           GetModuleHandleA(nullptr), nullptr);
}

}  // namespace

extern "C" ObjectHeader* RuntimeMenuItemPopUp(ObjectHeader* item, int32_t x, int32_t y) {
    if (!item) {
        ReportAssertion(kSource, __LINE__, "mnuItem");
        return nullptr;
    }
    Win32Menu* imp = MenuItemImplementation(item);
    if (!imp) {
        ReportAssertion(kSource, __LINE__, "imp");
        return nullptr;
    }
    RuntimeLockObject(item);
    enableMenuItems();
    bool temporary = false;
    HWND owner = PopUpOwner(x, y, temporary);
    SetForegroundWindow(owner);
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
