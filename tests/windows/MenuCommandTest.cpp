#include <gtest/gtest.h>

#include <windows.h>

#include <string>
#include <vector>

#include "CompiledSubclass.h"
#include "FailureRecorder.h"
#include "RaisedExceptions.h"
#include "host/Application.h"
#include "host/EventLoop.h"
#include "host/MenuCommands.h"
#include "windows/MenuItemClass.h"
#include "windows/WindowList.h"

namespace {

std::vector<std::string> sLog;
// What each handler answers, by its name in the log.
bool sWindowAnswer, sApplicationAnswer, sActionAnswer, sOwnActionAnswer;
bool sWindowClosesItself;
int32_t sIndexSeen;

std::string NameOf(ObjectHeader* item) {
    const string& name = MenuItemImplementation(item)->GetName();
    return std::string(name.CString() ? name.CString() : "", name.Length());
}

bool WindowHandler(ObjectHeader* window, int32_t index) {
    sLog.push_back("window");
    sIndexSeen = index;
    if (sWindowClosesItself) {
        RemoveRuntimeWindow(window);
        RuntimeUnlockObject(window);  // the last reference outside the search
    }
    return sWindowAnswer;
}
bool ApplicationHandler(ObjectHeader*, int32_t index) {
    sLog.push_back("application");
    sIndexSeen = index;
    return sApplicationAnswer;
}
bool OnAction(ObjectHeader* item) {
    sLog.push_back(NameOf(item) + ".Action");
    return sActionAnswer;
}
bool OnOwnAction(ObjectHeader* item) {
    sLog.push_back(NameOf(item) + ".OwnAction");
    return sOwnActionAnswer;
}
void OnAppEnableMenuItems(ObjectHeader*) { sLog.push_back("enabling"); }

// A subclass whose last event named Action (the class's own, for QuitMenuItem and PrefsMenuItem)
// has a handler.
ClassRecord* WithOwnAction(ObjectDefinition* definition) {
    ClassRecord* record = CompiledSubclass(definition, "Own", {});
    for (int32_t i = record->eventCount - 1; i >= 0; --i) {
        if (string::Compare(string(record->events[i].name), string("Action")) != 0) continue;
        record->events[i].vector = HandlerAddress(OnOwnAction);
        break;
    }
    return record;
}

class MenuCommandTest : public ::testing::Test {
protected:
    void SetUp() override {
        sLog.clear();
        sWindowAnswer = sApplicationAnswer = sActionAnswer = sOwnActionAnswer = false;
        sWindowClosesItself = false;
        sIndexSeen = 0;
        ClassRecord* appClass = CompiledSubclass(
            Application(), "App", {{"EnableMenuItems", HandlerAddress(OnAppEnableMenuItems)}});
        mApp = RuntimeNewObject(appClass);
        SetApplicationObject(mApp);
        mActing = CompiledSubclass(MenuItem(), "Acting", {{"Action", HandlerAddress(OnAction)}});
    }
    void TearDown() override {
        CloseAllWindows();
        for (auto it = mObjects.rbegin(); it != mObjects.rend(); ++it) RuntimeUnlockObject(*it);
        SetApplicationObject(nullptr);
        RuntimeUnlockObject(mApp);
    }
    ObjectHeader* Keep(ObjectHeader* object) {
        mObjects.push_back(object);
        return object;
    }
    ObjectHeader* Item(ObjectHeader* parent, const char* name, ClassRecord* cls = nullptr) {
        ObjectHeader* item = Keep(cls ? RuntimeNewObject(cls) : CreateInstance(MenuItem()));
        MenuItemImplementation(item)->SetName(string(name));
        MenuItemImplementation(item)->SetText(string(name));
        if (parent) MenuItemImplementation(parent)->Append(item);
        return item;
    }
    // A front window with its own handler for "EditCopy" and the given bar.
    ObjectHeader* FrontWindow(ObjectHeader* bar) {
        ObjectHeader* window = CreateInstance(MDIWindow());
        RuntimeWindowRecord* record = AddRuntimeWindow(window);
        mWindowHandlers.SetEntry(string("editcopy"), HandlerAddress(WindowHandler));
        record->menuHandlers = &mWindowHandlers;
        record->menuBar = bar;
        SetActiveRuntimeWindow(window);
        return window;
    }
    int32_t Id(ObjectHeader* item) { return MenuItemImplementation(item)->commandId; }

    ObjectHeader* mApp = nullptr;
    ClassRecord* mActing = nullptr;
    MenuHandlerMap mWindowHandlers{16};
    std::vector<ObjectHeader*> mObjects;
};

}  // namespace

TEST_F(MenuCommandTest, TheWindowThenTheApplicationThenActionHandleACommand) {
    struct Case {
        bool window, application, action;
        std::vector<std::string> log;
        bool handled;
    } cases[] = {
        {true, true, true, {"window", "enabling"}, true},
        {false, true, true, {"window", "application", "enabling"}, true},
        {false, false, true, {"window", "application", "EditCopy.Action", "enabling"}, true},
        {false, false, false, {"window", "application", "EditCopy.Action"}, false},
    };
    ObjectHeader* bar = Keep(CreateInstance(MenuBar()));
    ObjectHeader* edit = Item(bar, "Edit");
    ObjectHeader* copy = Item(edit, "EditCopy", mActing);
    ObjectHeader* window = FrontWindow(bar);
    ApplicationAddMenuHandler(mApp, string("EDITCOPY").Record(), HandlerAddress(ApplicationHandler));
    for (const Case& c : cases) {
        sLog.clear();
        sWindowAnswer = c.window;
        sApplicationAnswer = c.application;
        sActionAnswer = c.action;
        EXPECT_EQ(HandleMenuCommand(false, Id(copy)), c.handled);
        EXPECT_EQ(sLog, c.log);
        EXPECT_EQ(sIndexSeen, INT32_MIN);
    }
    RuntimeUnlockObject(window);
}

TEST_F(MenuCommandTest, AWindowClosedByItsHandlerLeavesTheSearchSafe) {
    ObjectHeader* bar = Keep(CreateInstance(MenuBar()));
    ObjectHeader* copy = Item(Item(bar, "Edit"), "EditCopy", mActing);
    FrontWindow(bar);
    sWindowClosesItself = true;
    sActionAnswer = true;
    // The window's bar is gone with it; the command still reaches the handlers found before.
    EXPECT_TRUE(RuntimeMenuItemClick(copy, false, nullptr));
    EXPECT_EQ(sLog, (std::vector<std::string>{"window", "EditCopy.Action", "enabling"}));
}

TEST_F(MenuCommandTest, ItemsBeyondTheFirst1024IdsRunTheirOwnAction) {
    std::vector<int32_t> taken;
    for (int32_t id = AllocateMenuCommandId(); id != 0 && id < 2030; id = AllocateMenuCommandId())
        taken.push_back(id);
    ObjectHeader* bar = Keep(CreateInstance(MenuBar()));
    AppMenuBarSetter(mApp, 0, bar);
    ObjectHeader* late = Item(Item(bar, "File"), "Late", mActing);
    EXPECT_GE(Id(late), 2030);
    sActionAnswer = true;
    EXPECT_TRUE(HandleMenuCommand(false, Id(late)));
    EXPECT_EQ(sLog[0], "Late.Action");
    EXPECT_FALSE(HandleMenuCommand(false, 0));
    for (int32_t id : taken) FreeMenuCommandId(id);
    AppMenuBarSetter(mApp, 0, nullptr);
}

TEST_F(MenuCommandTest, QuitAndPreferencesItems) {
    ObjectHeader* prefs = Keep(RuntimeNewObject(WithOwnAction(PrefsMenuItem())));
    MenuItemImplementation(prefs)->SetName(string("Prefs"));
    EXPECT_TRUE(RuntimeMenuItemClick(prefs, false, nullptr));
    EXPECT_EQ(sLog[0], "Prefs.OwnAction");

    ObjectHeader* keep = Keep(RuntimeNewObject(WithOwnAction(QuitMenuItem())));
    MenuItemImplementation(keep)->SetName(string("Quit"));
    sLog.clear();
    sOwnActionAnswer = true;
    EXPECT_TRUE(RuntimeMenuItemClick(keep, false, nullptr));
    EXPECT_EQ(sLog[0], "Quit.OwnAction");
    EXPECT_FALSE(IsQuitting());

    ObjectHeader* plain = Keep(CreateInstance(QuitMenuItem()));
    EXPECT_TRUE(RuntimeMenuItemClick(plain, false, nullptr));
    EXPECT_TRUE(IsQuitting());
}

TEST_F(MenuCommandTest, LookupCloseAndInstallClone) {
    // Bar > File > {Open, Recent > {Doc(0), Doc(1), More}, EditCopy}; Edit > {editcopy}
    ObjectHeader* bar = Keep(CreateInstance(MenuBar()));
    ObjectHeader* file = Item(bar, "File");
    ObjectHeader* edit = Item(bar, "Edit");
    Item(file, "Open");
    ObjectHeader* recent = Item(file, "Recent");
    ObjectHeader* doc0 = Item(recent, "Doc");
    ObjectHeader* doc1 = Item(recent, "Doc");
    MenuItemImplementation(doc0)->SetIndex(0);
    MenuItemImplementation(doc1)->SetIndex(1);
    Item(recent, "More");
    ObjectHeader* deep = Item(file, "EditCopy");
    Item(edit, "editcopy");

    ObjectHeader* found = RuntimeMenuItemLookup(bar, string("EDITCOPY").Record());
    EXPECT_EQ(found, deep);  // depth first in menu order
    RuntimeUnlockObject(found);
    found = RuntimeMenuItemLookupArray(bar, string("doc").Record(), 1);
    EXPECT_EQ(found, doc1);
    RuntimeUnlockObject(found);
    EXPECT_EQ(RuntimeMenuItemLookup(bar, string("Doc").Record()), nullptr);  // both have an index

    // A clone goes after the last sibling of its name, with the next index.
    ObjectHeader* clone = Item(nullptr, "Doc");
    MenuBarInstallClone(bar, clone);
    EXPECT_EQ(MenuItemImplementation(clone)->index, 2);
    EXPECT_EQ(MenuItemImplementation(recent)->children[2], clone);
    ObjectHeader* stranger = Item(nullptr, "Nowhere");
    MenuBarInstallClone(bar, stranger);
    EXPECT_EQ(MenuItemImplementation(stranger)->parent, nullptr);

    // Close removes the item from the Application's bar only.
    ObjectHeader* windowBar = Keep(CreateInstance(MenuBar()));
    ObjectHeader* windowMenu = Item(windowBar, "Window");
    MenuItemImplementation(windowMenu)->Append(doc0);
    RuntimeCloseMenuItem(doc0);
    EXPECT_EQ(MenuItemImplementation(windowMenu)->ChildCount(), 1);  // no Application bar yet
    AppMenuBarSetter(mApp, 0, bar);
    RuntimeCloseMenuItem(doc0);
    EXPECT_EQ(MenuItemImplementation(recent)->ChildCount(), 3);
    EXPECT_EQ(MenuItemImplementation(windowMenu)->ChildCount(), 1);
    AppMenuBarSetter(mApp, 0, nullptr);
}

TEST_F(MenuCommandTest, MembersCheckTheirArguments) {
    ObjectHeader* menu = Item(nullptr, "Menu");
    RaisedExceptions raised;
    EXPECT_EQ(RuntimeMenuItemCount(nullptr), 0);
    EXPECT_EQ(raised.Take(), "NilObjectException");
    EXPECT_FALSE(RuntimeMenuItemClick(nullptr, false, nullptr));
    EXPECT_EQ(raised.Take(), "NilObjectException");
    RuntimeMenuItemInsert(menu, 1, Item(nullptr, "Late"));
    EXPECT_EQ(raised.Take(), "OutOfBoundsException");
    RuntimeMenuItemInsert(menu, 0, nullptr);  // nil item: nothing
    RuntimeMenuItemAppend(menu, nullptr);
    EXPECT_EQ(RuntimeMenuItemItem(menu, 0), nullptr);
    EXPECT_EQ(raised.Take(), "OutOfBoundsException");
    RuntimeMenuItemRemoveIndex(menu, 0);
    EXPECT_EQ(raised.Take(), "OutOfBoundsException");
    EXPECT_EQ(RuntimeMenuItemCount(menu), 0);

    // The constructor, Tag and Swap.
    ObjectHeader* tag = Keep(CreateInstance(MenuItem()));
    ObjectHeader* made = Keep(CreateInstance(MenuItem()));
    MenuItemConstructor(made, string("Made").Record(), tag);
    StringRecord* text = RuntimeMenuItemTextGetter(made, 0);
    EXPECT_STREQ(StringRecord::CString(text), "Made");
    RuntimeUnlockString(text);
    ObjectHeader* gotTag = RuntimeMenuItemTagGetter(made, 0);
    EXPECT_EQ(gotTag, tag);
    RuntimeUnlockObject(gotTag);
    Item(menu, "A");
    Item(menu, "B");
    RuntimeMenuItemSwap(menu, string("a").Record(), made);
    EXPECT_EQ(MenuItemImplementation(menu)->children[0], made);
    EXPECT_EQ(RuntimeMenuItemCount(menu), 2);
}
