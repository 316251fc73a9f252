#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "FailureRecorder.h"
#include "core/DefinitionConversion.h"
#include "host/Application.h"
#include "host/MenuCommands.h"
#include "windows/WindowList.h"

namespace {

template <typename F>
void* Fn(F* f) {
    return reinterpret_cast<void*>(f);
}

std::vector<std::string> sEvents;

std::string NameOf(ObjectHeader* item) {
    const string& name = MenuItemImplementation(item)->GetName();
    return std::string(name.CString(), name.Length());
}

bool OnAction(ObjectHeader* item) {
    sEvents.push_back(NameOf(item) + ".Action");
    return true;
}
void OnEnableMenu(ObjectHeader* item) {
    sEvents.push_back(NameOf(item) + ".EnableMenu");
    if (NameOf(item) == "Manual") MenuItemImplementation(item)->Enable();
}
void OnAppEnableMenuItems(ObjectHeader*) { sEvents.push_back("App.EnableMenuItems"); }
void OnWindowEnableMenuItems(ObjectHeader*) { sEvents.push_back("Window.EnableMenuItems"); }
void OnFocusEnableMenuItems() { sEvents.push_back("Focus.EnableMenuItems"); }

// Menu items as compiled code makes them: a subclass of MenuItem whose Action or EnableMenu slot
// is filled.
ClassRecord* ItemClass(bool action, bool enableMenu) {
    ClassRecord* base = LookupObjectDefinition(MenuItem());
    ClassRecord* record = RuntimeNewClass(base, base->methodCount, 0, base->eventCount,
                                          base->accessorCount, base->propertyCount);
    record->instanceSize = base->instanceSize;
    if (action) record->events[MenuItemActionEvent()->index].vector = Fn(OnAction);
    if (enableMenu) record->events[MenuItemEnableMenuEvent()->index].vector = Fn(OnEnableMenu);
    return record;
}

class MenuEnabling : public testing::Test {
protected:
    void SetUp() override {
        sEvents.clear();
        plain = ItemClass(false, false);
        acting = ItemClass(true, false);
        enabling = ItemClass(false, true);
        ClassRecord* base = LookupObjectDefinition(Application());
        ClassRecord* appClass = RuntimeNewClass(base, base->methodCount, 0, base->eventCount,
                                                base->accessorCount, base->propertyCount);
        appClass->instanceSize = base->instanceSize;
        appClass->events[kAppEnableMenuItems].vector = Fn(OnAppEnableMenuItems);
        app = RuntimeNewObject(appClass);
        SetApplicationObject(app);
        SetFocusChainEnableMenuItems(OnFocusEnableMenuItems);
    }
    void TearDown() override {
        for (ObjectHeader* item : items) RuntimeUnlockObject(item);
        CloseAllWindows();
        RuntimeUnlockObject(app);
        SetFocusChainEnableMenuItems(nullptr);
        SetFocusControlMenuHandlers(nullptr);
        SetMDIMode(false);
    }

    ObjectHeader* Item(ClassRecord* cls, const char* name, ObjectHeader* parent = nullptr) {
        ObjectHeader* item = RuntimeNewObject(cls);
        MenuItemImplementation(item)->SetName(string(name));
        if (parent) MenuItemImplementation(parent)->Append(item);
        items.push_back(item);
        return item;
    }
    bool Enabled(ObjectHeader* item) { return MenuItemImplementation(item)->enabled; }

    // Bar > File > {Open (app handler as "fileopen"), Save (window handler), Quit (own Action),
    //               Manual (AutoEnable false, its EnableMenu enables it), Off (AutoEnable false)}
    ObjectHeader* BuildBar() {
        ObjectHeader* bar = Item(plain, "Bar");
        file = Item(plain, "File", bar);
        open = Item(plain, "FileOpen", file);
        save = Item(plain, "FileSave", file);
        quit = Item(acting, "Quit", file);
        manual = Item(enabling, "Manual", file);
        MenuItemImplementation(manual)->autoEnable = false;
        off = Item(acting, "Off", file);
        MenuItemImplementation(off)->autoEnable = false;
        ApplicationAddMenuHandler(app, string("fileopen").Record(), Fn(OnAction));
        return bar;
    }

    ClassRecord* plain = nullptr;
    ClassRecord* acting = nullptr;
    ClassRecord* enabling = nullptr;
    ObjectHeader* app = nullptr;
    ObjectHeader *file = nullptr, *open = nullptr, *save = nullptr, *quit = nullptr,
                 *manual = nullptr, *off = nullptr;
    std::vector<ObjectHeader*> items;
};

TEST_F(MenuEnabling, HandlersOfTheWindowTheApplicationAndActionEnableItems) {
    ObjectHeader* bar = BuildBar();
    ObjectHeader* window = CreateInstance(MDIWindow());
    items.push_back(window);
    RuntimeWindowRecord* record = AddRuntimeWindow(window);
    MenuHandlerMap windowHandlers(16);
    windowHandlers.SetEntry(string("FILESAVE"), Fn(OnAction));
    record->menuBar = bar;
    record->menuHandlers = &windowHandlers;
    record->enableMenuItems = OnWindowEnableMenuItems;
    SetActiveRuntimeWindow(window);

    UpdateMenuItems(false, nullptr);
    EXPECT_TRUE(Enabled(bar));
    EXPECT_TRUE(Enabled(file));
    EXPECT_TRUE(Enabled(open));    // the Application's "fileopen"
    EXPECT_TRUE(Enabled(save));    // the window's map
    EXPECT_TRUE(Enabled(quit));    // its own Action
    EXPECT_TRUE(Enabled(manual));  // AutoEnable false, enabled by its EnableMenu
    EXPECT_FALSE(Enabled(off));    // AutoEnable false, Action notwithstanding
    EXPECT_EQ(sEvents, (std::vector<std::string>{"Manual.EnableMenu", "Focus.EnableMenuItems",
                                                 "Window.EnableMenuItems", "App.EnableMenuItems"}));
}

TEST_F(MenuEnabling, FocusControlHandlersCount) {
    ObjectHeader* bar = BuildBar();
    AppMenuBarSetter(app, 0, bar);
    MenuHandlerMap focusHandlers(16);
    focusHandlers.SetEntry(string("filesave"), Fn(OnAction));
    SetFocusControlMenuHandlers(&focusHandlers);
    enableMenuItems();
    EXPECT_TRUE(Enabled(save));
    SetFocusControlMenuHandlers(nullptr);
    enableMenuItems();
    EXPECT_FALSE(Enabled(save));
}

TEST_F(MenuEnabling, ModalLeavesEveryLeafDisabledAndSkipsTheApplication) {
    ObjectHeader* bar = BuildBar();
    AppMenuBarSetter(app, 0, bar);
    UpdateMenuItems(true, nullptr);
    for (ObjectHeader* leaf : {open, save, quit, manual, off}) EXPECT_FALSE(Enabled(leaf));
    EXPECT_TRUE(Enabled(file));
    EXPECT_EQ(sEvents, std::vector<std::string>{"Focus.EnableMenuItems"});
}

TEST_F(MenuEnabling, InMDIModeTheApplicationBarIsEnabledEvenWhenModal) {
    SetMDIMode(true);
    ObjectHeader* bar = BuildBar();
    AppMenuBarSetter(app, 0, bar);
    ObjectHeader* window = CreateInstance(MDIWindow());
    items.push_back(window);
    ObjectHeader* windowBar = Item(plain, "WindowBar");
    ObjectHeader* leaf = Item(acting, "Leaf", windowBar);
    AddRuntimeWindow(window)->menuBar = windowBar;
    UpdateMenuItems(true, window);
    EXPECT_TRUE(Enabled(open));
    EXPECT_FALSE(Enabled(leaf));
}

TEST_F(MenuEnabling, NullItemsAreReported) {
    FailureRecorder recorder;
    DisableMenuTree(nullptr);
    FireMenuTreeEnableEvents(nullptr);
    ASSERT_EQ(recorder.Count(), 2u);
    EXPECT_EQ(recorder.Reports()[0].condition, "item");
    EXPECT_EQ(recorder.Reports()[1].file, "RuntimeMain");
}

TEST_F(MenuEnabling, CommandRunsTheItemOfTheRelevantBar) {
    ObjectHeader* bar = BuildBar();
    AppMenuBarSetter(app, 0, bar);
    // An active window without its own bar: the Application's bar answers.
    ObjectHeader* window = CreateInstance(MDIWindow());
    items.push_back(window);
    AddRuntimeWindow(window);
    SetActiveRuntimeWindow(window);
    const int32_t quitId = MenuItemImplementation(quit)->commandId;
    const int32_t quitRefs = quit->refCount;
    EXPECT_TRUE(HandleMenuCommand(false, quitId));
    EXPECT_EQ(sEvents[0], "Quit.Action");
    EXPECT_FALSE(HandleMenuCommand(false, 9999));  // no such item
    // An item without Action of its own or a handler.
    EXPECT_FALSE(HandleMenuCommand(true, MenuItemImplementation(manual)->commandId));
    EXPECT_EQ(quit->refCount, quitRefs);  // the found item's reference was dropped

    // The window's own bar takes precedence.
    ObjectHeader* windowBar = Item(plain, "WindowBar");
    ObjectHeader* other = Item(acting, "Other", windowBar);
    FindRuntimeWindow(window)->menuBar = windowBar;
    sEvents.clear();
    EXPECT_TRUE(HandleMenuCommand(false, MenuItemImplementation(other)->commandId));
    EXPECT_EQ(sEvents[0], "Other.Action");
    sEvents.clear();
    EXPECT_FALSE(HandleMenuCommand(false, quitId));  // not on the window's bar
}

}  // namespace
