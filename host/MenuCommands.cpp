#include "MenuCommands.h"

#include "Application.h"
#include "core/ClassDefinition.h"
#include "core/FailureReport.h"
#include "windows/WindowList.h"

namespace {

constexpr const char* kSource = "RuntimeMain";

bool HasHandler(const MenuHandlerMap* map, const string& name) {
    return map && map->HasEntry(name);
}

ObjectHeader* ApplicationMenuBar() {
    ObjectHeader* application = ApplicationObjectOrNull();
    return application ? reinterpret_cast<ApplicationObject*>(application)->menuBar : nullptr;
}

void EnableMenuTree(ObjectHeader* bar, ObjectHeader* window) {
    DisableMenuTree(bar);
    EnableMenuTreeHandlers(bar, window);
    FireMenuTreeEnableEvents(bar);
}

}  // namespace

ObjectHeader* MenuBarForEnabling() { return GetActiveWindowObject(); }

void UpdateMenuItems(bool modal, ObjectHeader* window) {
    if (!window) window = MenuBarForEnabling();
    ObjectHeader* appBar = ApplicationMenuBar();
    if (IsMDIMode() && appBar) EnableMenuTree(appBar, window);

    // A window without a bar of its own works the Application's, as HandleMenuCommand does, so
    // its shortcuts follow the handlers of the window in front (in MDI mode it was done above).
    ObjectHeader* bar = window ? WindowMenuBar(window) : appBar;
    if (!bar && window && !IsMDIMode()) bar = appBar;
    if (bar) {
        RuntimeLockObject(bar);
        DisableMenuTree(bar);
        if (!modal) {
            EnableMenuTreeHandlers(bar, window);
            FireMenuTreeEnableEvents(bar);
        }
        RuntimeUnlockObject(bar);
    }

    FireFocusChainEnableMenuItems();
    if (window) {
        SimpleVector<ObjectHeader*> windows;
        CollectEmbeddedWindows(window, windows);
        for (int32_t i = static_cast<int32_t>(windows.size()) - 1; i >= 0; --i)
            if (WindowIsOpenAndVisible(windows[i])) FireWindowEnableMenuItems(windows[i]);
    }
    if (!modal) {
        auto handler = reinterpret_cast<void (*)(ObjectHeader*)>(
            ApplicationEventHandler(kAppEnableMenuItems));
        if (handler) handler(ApplicationObjectOrNull());
    }
}

void DisableMenuTree(ObjectHeader* item) {
    Win32Menu* imp = MenuItemImplementation(item);
    if (!item || !imp) return ReportAssertion(kSource, __LINE__, "item");
    if (imp->ChildCount() > 0)
        imp->Enable();
    else
        imp->Disable();
    for (int32_t i = 0; i < imp->ChildCount(); ++i) {
        ObjectHeader* child = imp->ChildAt(i);
        DisableMenuTree(child);
        RuntimeUnlockObject(child);
    }
}

void EnableMenuTreeHandlers(ObjectHeader* root, ObjectHeader* window) {
    if (!root) return;
    const MenuHandlerMap* windowMap = WindowMenuHandlers(window ? window : GetActiveWindowObject());
    const MenuHandlerMap* focusMap = FocusControlMenuHandlers();
    ObjectHeader* application = ApplicationObjectOrNull();
    const MenuHandlerMap* appMap =
        application ? reinterpret_cast<ApplicationObject*>(application)->mMenuHandlers : nullptr;
    const EventDefinition* action = MenuItemActionEvent();

    // Breadth first; the worklist holds a reference to every item until the walk ends.
    SimpleVector<ObjectHeader*> worklist;
    RuntimeLockObject(root);
    worklist.push_back(root);
    for (uint32_t next = 0; next < worklist.size(); ++next) {
        ObjectHeader* item = worklist[next];
        Win32Menu* imp = MenuItemImplementation(item);
        if (!imp) continue;
        for (int32_t i = 0; i < imp->ChildCount(); ++i) worklist.push_back(imp->ChildAt(i));
        if (!imp->autoEnable) continue;
        const string& name = imp->GetName();
        if (imp->ChildCount() > 0 || HasHandler(focusMap, name) || HasHandler(windowMap, name) ||
            HasHandler(appMap, name) || FindEventInstance(item, action))
            imp->Enable();
    }
    for (uint32_t i = 0; i < worklist.size(); ++i) RuntimeUnlockObject(worklist[i]);
}

void FireMenuTreeEnableEvents(ObjectHeader* item) {
    if (!item) return ReportAssertion(kSource, __LINE__, "item");
    Win32Menu* imp = MenuItemImplementation(item);
    if (!imp) return ReportAssertion(kSource, __LINE__, "item->mImp");
    auto enableMenu = reinterpret_cast<void (*)(ObjectHeader*)>(
        FindEventInstance(item, MenuItemEnableMenuEvent()));
    if (enableMenu) enableMenu(item);
    for (int32_t i = 0; i < imp->ChildCount(); ++i) {
        ObjectHeader* child = imp->ChildAt(i);
        FireMenuTreeEnableEvents(child);
        RuntimeUnlockObject(child);
    }
}

extern "C" void enableMenuItems() { UpdateMenuItems(false, nullptr); }
