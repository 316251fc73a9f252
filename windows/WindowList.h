// Stand-in for the parts of the window system that the Application object, the unhandled-exception
// report and menu enabling use. It lacks native windows, panes, the focus chain, tooltips, the MDI
// frame and client and tray icons: a window is a window object entered with
// AddRuntimeWindow together with callbacks for its CancelClose, Close and EnableMenuItems events,
// "active" is whichever window SetActiveRuntimeWindow named, and a menu is a tree of MenuItem
// objects (MenuItemClass.h).
#pragma once

#include <cstdint>

#include "core/ClassDefinition.h"
#include "core/GuardedMemory.h"
#include "core/ObjectModel.h"
#include "core/SimpleVector.h"
#include "core/StringMap.h"
#include "windows/MenuItemClass.h"

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

// The window list. RuntimeWindowAt counts front to back, in the system's enumeration order of the
// native windows; windows without one come last. The record is owned by the list.
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

// The tray items of the Application; the stand-in keeps only the list of item objects. The two
// Application methods are linked by name.
extern "C" void AddTrayItem(ObjectHeader* application, ObjectHeader* item);
extern "C" void RemoveTrayItem(ObjectHeader* application, ObjectHeader* item);
void RemoveAllTrayItems();
int32_t TrayItemCount();

// The class of the Application's MDI window: no members of its own here.
ObjectDefinition* MDIWindow();
