// The language classes of menus: MenuItem, MenuBar, _MenuBarInstaller, QuitMenuItem,
// PrefsMenuItem and AppleMenuItem, the entry points behind their members, and the road of a menu
// command: HandleMenuCommand finds the chosen item on the front window's or the Application's menu
// bar, and RuntimeMenuItemClick runs the first handler it finds (the focus control's, the windows',
// the Application's, the item's Action, the focus pane's) and then menu enabling.
#pragma once

#include <cstdint>

#include "core/ClassDefinition.h"
#include "core/ObjectModel.h"
#include "core/RuntimeString.h"
#include "windows/Win32Menu.h"

class WindowPane;

ObjectDefinition* MenuItem();
ObjectDefinition* MenuBar();
ObjectDefinition* MenuBarInstaller();
ObjectDefinition* QuitMenuItem();
ObjectDefinition* PrefsMenuItem();
ObjectDefinition* AppleMenuItem();
EventDefinition* MenuItemActionEvent();
EventDefinition* MenuItemEnableMenuEvent();

// Registers _MenuBarInstaller, MenuBar and MenuItem, in that order, at start-up.
void RegisterMenuClasses();

// The item's implementation; null for null or for an object without one.
Win32Menu* MenuItemImplementation(ObjectHeader* item);

// Runs the menu item of a Windows command id on the front window's menu bar, else on the
// Application's; whether a handler handled it.
bool HandleMenuCommand(bool flag, int32_t commandId);

// Calls a _MenuBarInstaller object's _Install with the bar (the compiled subclass supplies it);
// false when the object's class has no _Install.
bool InstallMenuBar(ObjectHeader* installer, ObjectHeader* menuBar);

extern "C" {
bool RuntimeMenuItemClick(ObjectHeader* item, bool flag, WindowPane* windowPane);

void MenuItemInitializer(ObjectHeader* item);
void MenuBarInitializer(ObjectHeader* item);
void MenuItemFinalizer(ObjectHeader* item);

StringRecord* RuntimeMenuItemNameGetter(ObjectHeader* item, int32_t);
void RuntimeMenuItemNameSetter(ObjectHeader* item, int32_t, StringRecord* value);
int32_t RuntimeMenuItemIndexGetter(ObjectHeader* item, int32_t);
void RuntimeMenuItemIndexSetter(ObjectHeader* item, int32_t, int32_t value);
ObjectHeader* RuntimeMenuItemTagGetter(ObjectHeader* item, int32_t);
void RuntimeMenuItemTagSetter(ObjectHeader* item, int32_t, ObjectHeader* value);
StringRecord* RuntimeMenuItemBalloonHelpGetter(ObjectHeader* item, int32_t);
void RuntimeMenuItemBalloonHelpSetter(ObjectHeader* item, int32_t, StringRecord* value);
StringRecord* RuntimeMenuItemDisabledHelpGetter(ObjectHeader* item, int32_t);
void RuntimeMenuItemDisabledHelpSetter(ObjectHeader* item, int32_t, StringRecord* value);
StringRecord* RuntimeMenuItemTextGetter(ObjectHeader* item, int32_t);
void RuntimeMenuItemTextSetter(ObjectHeader* item, int32_t, StringRecord* value);
bool RuntimeMenuItemCheckedGetter(ObjectHeader* item, int32_t);
void RuntimeMenuItemCheckedSetter(ObjectHeader* item, int32_t, bool value);
bool RuntimeMenuItemEnabledGetter(ObjectHeader* item, int32_t);
void RuntimeMenuItemEnabledSetter(ObjectHeader* item, int32_t, bool value);
bool RuntimeMenuItemVisibleGetter(ObjectHeader* item, int32_t);
void RuntimeMenuItemVisibleSetter(ObjectHeader* item, int32_t, bool value);
StringRecord* RuntimeMenuItemCommandKeyGetter(ObjectHeader* item, int32_t);
void RuntimeMenuItemCommandKeySetter(ObjectHeader* item, int32_t, StringRecord* value);
bool RuntimeMenuItemBoldGetter(ObjectHeader* item, int32_t);
void RuntimeMenuItemBoldSetter(ObjectHeader* item, int32_t, bool value);
bool RuntimeMenuItemItalicsGetter(ObjectHeader* item, int32_t);
void RuntimeMenuItemItalicsSetter(ObjectHeader* item, int32_t, bool value);
bool RuntimeMenuItemUnderlineGetter(ObjectHeader* item, int32_t);
void RuntimeMenuItemUnderlineSetter(ObjectHeader* item, int32_t, bool value);
bool RuntimeMenuItemAutoEnableGetter(ObjectHeader* item, int32_t);
void RuntimeMenuItemAutoEnableSetter(ObjectHeader* item, int32_t, bool value);

void RuntimeEnableMenu(ObjectHeader* item);
void RuntimeCloseMenuItem(ObjectHeader* item);
ObjectHeader* RuntimeMenuItemItem(ObjectHeader* item, int32_t index);
int32_t RuntimeMenuItemCount(ObjectHeader* item);
ObjectHeader* RuntimeMenuItemChild(ObjectHeader* item, StringRecord* name);
void RuntimeMenuItemAppend(ObjectHeader* item, ObjectHeader* child);
void RuntimeMenuItemInsert(ObjectHeader* item, int32_t index, ObjectHeader* child);
void RuntimeMenuItemRemoveIndex(ObjectHeader* item, int32_t index);
void RuntimeMenuItemRemoveItem(ObjectHeader* item, ObjectHeader* child);
void RuntimeMenuItemRemoveByName(ObjectHeader* item, StringRecord* name);
ObjectHeader* RuntimeMenuItemLookup(ObjectHeader* item, StringRecord* name);
ObjectHeader* RuntimeMenuItemLookupArray(ObjectHeader* item, StringRecord* name, int32_t index);
void RuntimeMenuItemDefaultConstructor(ObjectHeader* item);
void MenuItemConstructor(ObjectHeader* item, StringRecord* text, ObjectHeader* tag);
void RuntimeMenuItemSwap(ObjectHeader* item, StringRecord* name, ObjectHeader* swapWith);
void MenuBarInstallClone(ObjectHeader* menuBar, ObjectHeader* installThis);
bool QuitMenuAction(ObjectHeader* item);
bool PrefsMenuAction(ObjectHeader* item);

// MenuItem.PopUp (the controls' side).
ObjectHeader* RuntimeMenuItemPopUp(ObjectHeader* item, int32_t x, int32_t y);
ObjectHeader* RuntimeMenuItemPopUpByCursor(ObjectHeader* item);
}
