// Stand-in for the parts of the window system that the Application object, the unhandled-exception
// report and menu enabling use. It lacks native windows, panes, the focus chain, tooltips, the MDI
// frame and client, tray icons and native menus: a window is a window object entered with
// AddRuntimeWindow together with callbacks for its CancelClose, Close and EnableMenuItems events,
// "active" is whichever window SetActiveRuntimeWindow named, and a menu is a tree of MenuItem
// objects whose enabled state is a flag.
#pragma once

#include <cstdint>

#include "core/ClassDefinition.h"
#include "core/GuardedMemory.h"
#include "core/ObjectModel.h"
#include "core/SimpleVector.h"
#include "core/StringMap.h"

// --- window objects ---

using MenuHandlerMap = StringMap<void*>;

struct RuntimeWindowRecord : RuntimeAllocated {
    ObjectHeader* window = nullptr;           // no reference held
    ObjectHeader* menuBar = nullptr;          // no reference held
    MenuHandlerMap* menuHandlers = nullptr;   // not owned
    bool visible = true;
    bool (*cancelClose)(ObjectHeader* window, bool appQuitting) = nullptr;
    void (*close)(ObjectHeader* window) = nullptr;
    void (*enableMenuItems)(ObjectHeader* window) = nullptr;
};

// The window list, in front-to-back order. The record is owned by the list.
RuntimeWindowRecord* AddRuntimeWindow(ObjectHeader* window);
void RemoveRuntimeWindow(ObjectHeader* window);
int32_t RuntimeWindowCount();
RuntimeWindowRecord* RuntimeWindowAt(int32_t index);
RuntimeWindowRecord* FindRuntimeWindow(ObjectHeader* window);

// The window object of the active window, or null.
ObjectHeader* GetActiveWindowObject();
void SetActiveRuntimeWindow(ObjectHeader* window);

// Fires the window's CancelClose; true when it cancelled, else closes the window (Close, then it
// leaves the list).
bool TryCloseWindow(ObjectHeader* window, bool appQuitting);
// Closes every window without asking.
void CloseAllWindows();

// The window's menu bar and its menu-handler map, or null.
ObjectHeader* WindowMenuBar(ObjectHeader* window);
MenuHandlerMap* WindowMenuHandlers(ObjectHeader* window);

// The window and the windows embedded in it, in embedding order (only the window itself here).
void CollectEmbeddedWindows(ObjectHeader* window, SimpleVector<ObjectHeader*>& out);
bool WindowIsOpenAndVisible(ObjectHeader* window);
void FireWindowEnableMenuItems(ObjectHeader* window);

// The focus pane's EnableMenuItems for the focus chain. The stand-in has no panes: it runs the
// callback the caller set, when any.
void FireFocusChainEnableMenuItems();
void SetFocusChainEnableMenuItems(void (*callback)());
// The focus control's menu-handler map, or null (set by the caller in the stand-in).
MenuHandlerMap* FocusControlMenuHandlers();
void SetFocusControlMenuHandlers(MenuHandlerMap* map);

// --- application-wide state ---

bool IsMDIMode();
void SetMDIMode(bool mdi);
// Attaches the bar to the MDI frame and sets the frame's menu; the stand-in has no frame.
void AttachMenuBarToMDIFrame(ObjectHeader* menuBar);

// The tray items of the Application; the stand-in keeps only the list of item objects.
void AddTrayItem(ObjectHeader* application, ObjectHeader* item);
void RemoveTrayItem(ObjectHeader* application, ObjectHeader* item);
void RemoveAllTrayItems();
int32_t TrayItemCount();

// The class of the Application's MDI window: no members of its own here.
ObjectDefinition* MDIWindow();

// --- menus ---

struct MenuItemImp : RuntimeAllocated {
    ~MenuItemImp();
    int32_t ChildCount() const { return static_cast<int32_t>(children.size()); }
    // The child with a reference for the caller.
    ObjectHeader* ChildAt(int32_t index) const;
    void Enable() { enabled = true; }
    void Disable() { enabled = false; }
    const string& GetName() const { return name; }

    string name;
    bool enabled = true;
    bool autoEnable = true;
    int32_t commandId = 0;
    SimpleVector<ObjectHeader*> children;  // one reference each
};

// MenuItem with the events Action and EnableMenu; its one field is the implementation.
ObjectDefinition* MenuItem();
EventDefinition* MenuItemActionEvent();
EventDefinition* MenuItemEnableMenuEvent();
MenuItemImp* MenuItemImplementation(ObjectHeader* item);
void AppendMenuChild(ObjectHeader* parent, ObjectHeader* child);
// The item of a command id in the tree, with a reference for the caller; null when none.
ObjectHeader* FindByCommandId(ObjectHeader* menuBar, int32_t commandId);

extern "C" {
// Fires the item's Action and returns whether it has one; the stand-in consults no handler map.
bool RuntimeMenuItemClick(ObjectHeader* item, bool fromKeyboard, void* reserved);
}
