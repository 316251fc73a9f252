#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <string>
#include <vector>

#include "FailureRecorder.h"
#include "RaisedExceptions.h"
#include "core/DefinitionConversion.h"
#include "windows/KeyboardShortcuts.h"
#include "windows/MenuItemClass.h"

namespace {

// The native text of an entry, by position or by command.
std::string NativeText(HMENU menu, UINT item, UINT flags = MF_BYPOSITION) {
    wchar_t buffer[256] = {};
    const int count = GetMenuStringW(menu, item, buffer, 256, flags);
    std::string text;
    for (int i = 0; i < count; ++i) text += static_cast<char>(buffer[i]);
    return text;
}

// The entries of a native menu, in order: the text, "-" for a separator, a trailing ">" for a
// sub-menu, "~" for greyed and "*" for checked.
std::vector<std::string> Entries(HMENU menu) {
    std::vector<std::string> entries;
    for (int i = 0; i < GetMenuItemCount(menu); ++i) {
        const UINT state = GetMenuState(menu, static_cast<UINT>(i), MF_BYPOSITION);
        if (state & MF_SEPARATOR) {
            entries.push_back("-");
            continue;
        }
        std::string entry = NativeText(menu, static_cast<UINT>(i));
        if (GetSubMenu(menu, i)) entry += ">";
        if (state & MF_GRAYED) entry += "~";
        if (state & MF_CHECKED) entry += "*";
        entries.push_back(entry);
    }
    return entries;
}

using Entry = std::vector<std::string>;

class NativeMenuTest : public ::testing::Test {
protected:
    void TearDown() override {
        for (auto it = mObjects.rbegin(); it != mObjects.rend(); ++it) RuntimeUnlockObject(*it);
    }
    ObjectHeader* Item(const char* text, const char* key = nullptr) {
        ObjectHeader* item = CreateInstance(MenuItem());
        Imp(item)->SetText(string(text));
        Imp(item)->SetName(string(text));
        if (key) Imp(item)->SetCommandKey(string(key));
        mObjects.push_back(item);
        return item;
    }
    ObjectHeader* Bar() {
        ObjectHeader* bar = CreateInstance(MenuBar());
        mObjects.push_back(bar);
        return bar;
    }
    static Win32Menu* Imp(ObjectHeader* item) { return MenuItemImplementation(item); }

    std::vector<ObjectHeader*> mObjects;
};

}  // namespace

TEST_F(NativeMenuTest, ANewItemStartsDetachedWithItsDefaults) {
    ObjectHeader* item = CreateInstance(MenuItem());
    mObjects.push_back(item);
    Win32Menu* imp = Imp(item);
    EXPECT_TRUE(imp->enabled && imp->visible && imp->autoEnable);
    EXPECT_FALSE(imp->checked || imp->bold || imp->italic || imp->underline || imp->isPopup);
    EXPECT_EQ(imp->index, INT32_MIN);
    EXPECT_TRUE(imp->text.IsEmpty() && imp->name.IsEmpty() && imp->commandKey.IsEmpty());
    EXPECT_EQ(imp->tag, nullptr);
    EXPECT_EQ(imp->ChildCount(), 0);
    EXPECT_GE(imp->commandId, kFirstMenuCommandId);
    EXPECT_TRUE(IsMenu(imp->menuHandle));
    EXPECT_FALSE(Imp(Bar())->isPopup);
    EXPECT_TRUE(Imp(mObjects.back())->isMenuBar);
}

TEST_F(NativeMenuTest, ChildrenKeepMenuOrderAndBadIndexesRaise) {
    ObjectHeader* menu = Item("Menu");
    ObjectHeader* file = Item("File");
    ObjectHeader* edit = Item("Edit");
    ObjectHeader* other = Item("file");
    Imp(menu)->Append(file);
    Imp(menu)->Append(other);
    Imp(menu)->Insert(edit, 2);  // at the child count: appends
    EXPECT_EQ(Entries(Imp(menu)->menuHandle), (Entry{"File", "file", "Edit"}));

    ObjectHeader* found = Imp(menu)->FindChild(string("FILE"));
    EXPECT_EQ(found, file);  // the first of that name in menu order
    RuntimeUnlockObject(found);

    RaisedExceptions raised;
    for (int32_t bad : {-1, 3}) {
        EXPECT_EQ(Imp(menu)->ChildAt(bad), nullptr);
        EXPECT_EQ(raised.Take(), "OutOfBoundsException");
        Imp(menu)->RemoveAt(bad);
        EXPECT_EQ(raised.Take(), "OutOfBoundsException");
    }
    EXPECT_EQ(Imp(menu)->ChildCount(), 3);

    // The base removal takes every occurrence of the object, and nothing for a stranger.
    ObjectHeader* twice = Item("Twice");
    const int32_t references = twice->refCount;
    Imp(menu)->Menu::Append(twice);
    Imp(menu)->Menu::Append(twice);
    Imp(menu)->Menu::Remove(twice);
    Imp(menu)->Menu::Remove(Item("Stranger"));
    EXPECT_EQ(Imp(menu)->ChildCount(), 3);
    EXPECT_EQ(twice->refCount, references);
}

TEST_F(NativeMenuTest, TheNativeMenusMirrorEveryOperation) {
    ObjectHeader* bar = Bar();
    HMENU barMenu = Imp(bar)->menuHandle;
    ObjectHeader* file = Item("File");
    Imp(bar)->Append(file);
    EXPECT_EQ(Imp(bar)->menuHandle, barMenu);  // a bar keeps its own handle
    EXPECT_EQ(Entries(barMenu), Entry{"File"});
    EXPECT_EQ(GetMenuItemID(barMenu, 0), static_cast<UINT>(Imp(file)->commandId));

    // The first child turns the title into a popup in place.
    Imp(bar)->Append(Item("Edit"));
    ObjectHeader* open = Item("Open");
    Imp(file)->Append(open);
    EXPECT_EQ(Entries(barMenu), (Entry{"File>", "Edit"}));
    HMENU fileMenu = Imp(file)->menuHandle;
    EXPECT_EQ(GetSubMenu(barMenu, 0), fileMenu);

    // Children appended disabled, checked, hidden; a separator; a command key.
    ObjectHeader* greyed = Item("Greyed");
    Imp(greyed)->Disable();
    ObjectHeader* ticked = Item("Ticked");
    Imp(ticked)->SetChecked(true);
    ObjectHeader* hidden = Item("Hidden");
    Imp(hidden)->SetVisible(false);
    ObjectHeader* save = Item("Save", "shift-S");
    for (ObjectHeader* child : {greyed, ticked, hidden, Item("-"), save}) Imp(file)->Append(child);
    EXPECT_EQ(Entries(fileMenu), (Entry{"Open", "Greyed~", "Ticked*", "-", "Save\tCtrl+Shift+S"}));
    EXPECT_EQ(std::string(RegisteredShortcutText(
                  MenuShortcutTarget(Imp(save)->commandId, fileMenu), kMenuShortcut).CString()),
              "Ctrl+Shift+S");

    // A disabled title stays enabled natively beside its greyed child.
    Imp(file)->Disable();
    EXPECT_FALSE(GetMenuState(barMenu, 0, MF_BYPOSITION) & MF_GRAYED);
    EXPECT_FALSE(Imp(file)->enabled);

    // A hidden item shown again goes back to its place among its visible siblings.
    Imp(hidden)->SetVisible(true);
    Imp(ticked)->SetVisible(false);
    EXPECT_EQ(Entries(fileMenu), (Entry{"Open", "Greyed~", "Hidden", "-", "Save\tCtrl+Shift+S"}));
    Imp(ticked)->SetVisible(true);
    EXPECT_EQ(Entries(fileMenu),
              (Entry{"Open", "Greyed~", "Ticked*", "Hidden", "-", "Save\tCtrl+Shift+S"}));

    // Texts and command keys rewrite the entries; a title keeps its sub-menu.
    Imp(open)->SetText(string("Open..."));
    Imp(open)->SetCommandKey(string("O"));
    Imp(save)->SetCommandKey(string(""));
    Imp(file)->SetText(string("Fichier"));
    EXPECT_EQ(NativeText(fileMenu, 0), "Open...\tCtrl+O");
    EXPECT_EQ(NativeText(fileMenu, 5), "Save");
    EXPECT_TRUE(RegisteredShortcutText(MenuShortcutTarget(Imp(save)->commandId, fileMenu),
                                       kMenuShortcut).IsEmpty());
    EXPECT_EQ(Entries(barMenu), (Entry{"Fichier>", "Edit"}));

    // Removing deletes the entry, frees the id and ends the shortcut.
    const int32_t openId = Imp(open)->commandId;
    Imp(file)->Remove(open);
    EXPECT_EQ(Imp(open)->commandId, -1);
    EXPECT_EQ(Imp(open)->parent, nullptr);
    EXPECT_EQ(GetMenuItemCount(fileMenu), 5);
    EXPECT_TRUE(RegisteredShortcutText(MenuShortcutTarget(openId, fileMenu), 0).IsEmpty());
    // A later insertion takes a new id.
    Imp(file)->Insert(open, 0);
    EXPECT_GT(Imp(open)->commandId, 0);
    EXPECT_EQ(NativeText(fileMenu, 0), "Open...\tCtrl+O");

    // A hidden item's entry is gone, so removing it leaves it among the children.
    Imp(hidden)->SetVisible(false);
    Imp(file)->Remove(hidden);
    EXPECT_EQ(Imp(file)->ChildCount(), 6);
}

TEST_F(NativeMenuTest, NativePositionsAreFoundByEntryText) {
    ObjectHeader* menu = Item("Menu");
    ObjectHeader* upper = Item("File");
    ObjectHeader* lower = Item("file");
    ObjectHeader* save = Item("Save", "S");
    for (ObjectHeader* child : {upper, lower, save}) Imp(menu)->Append(child);
    const struct {
        const char* text;
        int32_t position;
    } table[] = {{"File", 0}, {"file", 1}, {"FILE", -1}, {"Save\tCtrl+S", 2}, {"Save", -1},
                 {"", -1}};
    for (const auto& row : table)
        EXPECT_EQ(Imp(lower)->FindNativePosition(string(row.text)), row.position) << row.text;
    // A hidden entry is no longer there: the next one moves up.
    Imp(upper)->SetVisible(false);
    EXPECT_EQ(Imp(lower)->FindNativePosition(string("file")), 0);
    EXPECT_EQ(Imp(lower)->FindNativePosition(string("File")), -1);

    // Without a parent the owner window's menu bar is searched; with neither, nothing.
    ObjectHeader* bar = Bar();
    for (const char* title : {"File", "Edit"}) Imp(bar)->Append(Item(title));
    EXPECT_EQ(Imp(bar)->FindNativePosition(string("Edit")), -1);
    HWND window = CreateWindowExW(0, L"STATIC", L"menus", WS_OVERLAPPED, 0, 0, 200, 100, nullptr,
                                  nullptr, GetModuleHandleW(nullptr), nullptr);
    ASSERT_NE(window, nullptr);
    ASSERT_TRUE(SetMenu(window, Imp(bar)->menuHandle));
    Imp(bar)->SetWindowDeep(window);
    EXPECT_EQ(Imp(bar)->FindNativePosition(string("Edit")), 1);
    EXPECT_EQ(Imp(bar)->FindNativePosition(string("View")), -1);
    SetMenu(window, nullptr);
    DestroyWindow(window);
}

TEST_F(NativeMenuTest, VisibilityOfTitlesAndSubMenusIsRefused) {
    ObjectHeader* bar = Bar();
    ObjectHeader* title = Item("File");
    ObjectHeader* sub = Item("Recent");
    Imp(bar)->Append(title);
    Imp(title)->Append(sub);
    Imp(sub)->Append(Item("One"));
    for (ObjectHeader* refused : {title, sub}) {
        RaisedExceptions raised;
        Imp(refused)->SetVisible(false);
        ASSERT_EQ(raised.Seen().size(), 1u);
        EXPECT_EQ(raised.Seen()[0].name, "UnsupportedFormatException");
        EXPECT_EQ(raised.Seen()[0].message,
                  "You cannot set the visibility of a sub-menu or top-level menu");
        EXPECT_EQ(raised.Seen()[0].errorNumber, 0);
        EXPECT_TRUE(Imp(refused)->visible);
        Imp(refused)->SetVisible(true);  // the current value: nothing, not even on a title
        EXPECT_EQ(raised.Seen().size(), 1u);
    }

    // An item in no menu changes only its stored values.
    ObjectHeader* loose = Item("Loose");
    Imp(loose)->SetVisible(false);
    Imp(loose)->SetText(string("Still loose"));
    Imp(loose)->SetCommandKey(string("L"));
    EXPECT_FALSE(Imp(loose)->visible);
    EXPECT_TRUE(RegisteredShortcutText(MenuShortcutTarget(Imp(loose)->commandId, nullptr), 0)
                    .IsEmpty());
}

namespace {

// Takes every free id below the given one, so that the next item gets it.
std::vector<int32_t> TakeIdsBelow(int32_t id) {
    std::vector<int32_t> taken;
    while (true) {
        const int32_t next = AllocateMenuCommandId();
        if (next == 0) break;
        if (next >= id) {
            FreeMenuCommandId(next);
            break;
        }
        taken.push_back(next);
    }
    return taken;
}

void FreeIds(const std::vector<int32_t>& ids) {
    for (int32_t id : ids) FreeMenuCommandId(id);
}

}  // namespace

TEST_F(NativeMenuTest, CommandIdsAreHandedOutLowestFirstBeyondTheFirst1024) {
    std::vector<ObjectHeader*> items;
    const std::vector<int32_t> taken = TakeIdsBelow(2018);
    for (int i = 0; i < 12; ++i) items.push_back(Item("x"));
    EXPECT_EQ(Imp(items[0])->commandId, 2018);
    for (size_t i = 1; i < items.size(); ++i)
        ASSERT_EQ(Imp(items[i])->commandId, Imp(items[i - 1])->commandId + 1);
    EXPECT_GT(Imp(items.back())->commandId, 2023);
    EXPECT_LE(Imp(items.back())->commandId, kLastMenuCommandId);

    // A freed id is the next one handed out.
    const int32_t freed = Imp(items[5])->commandId;
    mObjects.erase(std::find(mObjects.begin(), mObjects.end(), items[5]));
    RuntimeUnlockObject(items[5]);
    EXPECT_EQ(Imp(Item("again"))->commandId, freed);

    // Ids above 2023 reach their own item.
    ObjectHeader* bar = Bar();
    ObjectHeader* title = Item("Many");
    Imp(bar)->Append(title);
    ObjectHeader* high = items.back();
    Imp(title)->Append(items[0]);
    Imp(title)->Append(high);
    ObjectHeader* found = Imp(bar)->FindByCommandId(Imp(high)->commandId);
    EXPECT_EQ(found, high);
    RuntimeUnlockObject(found);
    EXPECT_EQ(GetMenuItemID(Imp(title)->menuHandle, 1), static_cast<UINT>(Imp(high)->commandId));
    FreeIds(taken);
}

TEST_F(NativeMenuTest, ExhaustedIdsAreReportedAndLeaveTheItemWithoutEntry) {
    const std::vector<int32_t> taken = TakeIdsBelow(kLastMenuCommandId + 1);
    FailureRecorder recorder;
    ObjectHeader* spare = Item("Spare");
    EXPECT_EQ(Imp(spare)->commandId, 0);
    ASSERT_EQ(recorder.Count(), 1u);
    ObjectHeader* menu = Item("Menu");  // also without id, but it may hold children
    Imp(menu)->Append(spare);
    EXPECT_EQ(GetMenuItemCount(Imp(menu)->menuHandle), 0);
    EXPECT_EQ(Imp(menu)->FindByCommandId(0), spare);
    RuntimeUnlockObject(spare);
    FreeIds(taken);
}

TEST_F(NativeMenuTest, ASubMenuHeldElsewhereOutlivesItsParent) {
    ObjectHeader* parent = CreateInstance(MenuItem());
    ObjectHeader* child = Item("Recent");
    Imp(parent)->Append(child);
    Imp(child)->Append(Item("One"));
    HMENU childMenu = Imp(child)->menuHandle;
    ASSERT_EQ(GetSubMenu(Imp(parent)->menuHandle, 0), childMenu);
    RuntimeUnlockObject(parent);  // destroys the parent's native menu
    EXPECT_TRUE(IsMenu(childMenu));
    EXPECT_EQ(Entries(childMenu), Entry{"One"});
    EXPECT_EQ(Imp(child)->parent, nullptr);

    // Removing a sub-menu from its menu keeps it too.
    ObjectHeader* menu = Item("Menu");
    Imp(menu)->Append(child);
    Imp(menu)->Remove(child);
    EXPECT_TRUE(IsMenu(childMenu));
    Imp(menu)->Append(child);
    EXPECT_EQ(Entries(Imp(menu)->menuHandle), Entry{"Recent>"});
}
