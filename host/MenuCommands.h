// Menu enabling and menu commands: before a menu is shown or a shortcut matched, every leaf item
// is disabled, enabled again when some handler exists for it, and then the application's
// EnableMenu and EnableMenuItems events adjust the result. A chosen Windows menu command is turned
// back into its menu item and run by HandleMenuCommand (windows/MenuItemClass.h).
#pragma once

#include <cstdint>

#include "core/ObjectModel.h"
#include "windows/MenuItemClass.h"

// Menu enabling for the window (null: the active runtime window). With the modal flag true only
// the disabling pass runs on the window's bar and the Application's own events do not fire.
void UpdateMenuItems(bool modal, ObjectHeader* window);

// The active window when it is a runtime window, or null.
ObjectHeader* MenuBarForEnabling();

void DisableMenuTree(ObjectHeader* item);
void EnableMenuTreeHandlers(ObjectHeader* root, ObjectHeader* window);
void FireMenuTreeEnableEvents(ObjectHeader* item);

extern "C" {
void enableMenuItems();
}
