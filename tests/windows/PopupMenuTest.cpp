#include <gtest/gtest.h>

#include <windows.h>

#include <string>
#include <vector>

#include "CompiledSubclass.h"
#include "ModalDriver.h"
#include "RaisedExceptions.h"
#include "core/DefinitionConversion.h"
#include "core/Exceptions.h"
#include "windows/ContextualMenu.h"
#include "windows/MenuItemClass.h"
#include "windows/PaneWindowClass.h"
#include "windows/TimerWindow.h"

namespace {

HWND NewOwner() {
    RegisterPaneWindowClasses();
    HWND window = CreateWindowExW(0, L"QV_Pane", L"owner", WS_POPUP | WS_VISIBLE, 100, 100, 200,
                                  150, nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
    SetForegroundWindow(window);
    SetCursorPos(150, 150);
    return window;
}

// Chooses the row that many Down presses reach, with keys posted to the owner.
std::function<bool()> ChooseRow(HWND owner, int downs) {
    return [owner, downs] {
        for (int i = 0; i < downs; ++i) PostMessageW(owner, WM_KEYDOWN, VK_DOWN, 0);
        PostMessageW(owner, WM_KEYDOWN, VK_RETURN, 0);
        return true;
    };
}

std::function<bool()> Dismiss() {
    return [] {
        EndMenu();
        return true;
    };
}

BOOL CALLBACK CountWindow(HWND, LPARAM counter) {
    ++*reinterpret_cast<int*>(counter);
    return TRUE;
}

int CountThreadWindows() {
    int count = 0;
    EnumThreadWindows(GetCurrentThreadId(), CountWindow, reinterpret_cast<LPARAM>(&count));
    return count;
}

std::string Text(const string& s) { return std::string(s.CString() ? s.CString() : "", s.Length()); }

}  // namespace

TEST(ContextualMenuTest, TheChosenRowsTextIsAnsweredAndADismissalKeepsIt) {
    HWND owner = NewOwner();
    ContextualMenuImp* menu = NewContextualMenuImp();
    EXPECT_EQ(Text(ContextualMenuSelectedText(menu)), "");
    ContextualMenuAddRow(menu, string("Cut"), nullptr);
    ContextualMenuAddRow(menu, string("Copy"), nullptr);
    ContextualMenuAddSeparator(menu);
    ContextualMenuAddRow(menu, string("Copy"), nullptr);

    bool opened = true;
    ASSERT_TRUE(RunModalDriven([&] { opened = ContextualMenuOpen(menu, false, nullptr); }, Dismiss()));
    EXPECT_FALSE(opened);
    EXPECT_EQ(menu->chosenId, -1);

    // Down, Down, Down skips the separator: the second "Copy".
    ASSERT_TRUE(RunModalDriven([&] { opened = ContextualMenuOpen(menu, false, nullptr); },
                               ChooseRow(owner, 3)));
    EXPECT_TRUE(opened);
    EXPECT_EQ(Text(ContextualMenuSelectedText(menu)), "Copy");
    const int32_t chosen = menu->chosenId;
    Win32Menu* popup = MenuItemImplementation(MenuItemImplementation(menu->root)->children[0]);
    EXPECT_EQ(chosen, MenuItemImplementation(popup->children[3])->commandId);

    ASSERT_TRUE(RunModalDriven([&] { opened = ContextualMenuOpen(menu, false, nullptr); }, Dismiss()));
    EXPECT_FALSE(opened);
    EXPECT_EQ(menu->chosenId, chosen);
    DeleteContextualMenuImp(menu);
    DestroyWindow(owner);
}

namespace {

bool sHandles = false;
bool HandledAction(ObjectHeader*) { return sHandles; }

void RaiseFromTimer(int32_t id) {
    RemoveTimerCallback(id);
    RaiseNilObjectException();
}

}  // namespace

TEST(MenuPopUpTest, PopUpAnswersTheChosenItemUnlessAHandlerTookIt) {
    HWND owner = NewOwner();
    ClassRecord* acting =
        CompiledSubclass(MenuItem(), "Acting", {{"Action", HandlerAddress(HandledAction)}});
    ObjectHeader* menu = CreateInstance(MenuItem());
    ObjectHeader* plain = CreateInstance(MenuItem());
    ObjectHeader* handled = RuntimeNewObject(acting);
    MenuItemImplementation(plain)->SetText(string("Plain"));
    MenuItemImplementation(handled)->SetText(string("Handled"));
    MenuItemImplementation(menu)->Append(plain);
    MenuItemImplementation(menu)->Append(handled);
    // Away from the owner, the popup gets a temporary owner that is destroyed afterwards.
    const int windows = CountThreadWindows();

    ObjectHeader* result = nullptr;
    ASSERT_TRUE(RunModalDriven([&] { result = RuntimeMenuItemPopUp(menu, 500, 400); },
                               ChooseRow(GetForegroundWindow(), 1)));
    EXPECT_EQ(result, plain);
    RuntimeUnlockObject(result);
    EXPECT_EQ(CountThreadWindows(), windows);

    sHandles = true;
    ASSERT_TRUE(RunModalDriven([&] { result = RuntimeMenuItemPopUp(menu, 500, 400); },
                               ChooseRow(GetForegroundWindow(), 2)));
    EXPECT_EQ(result, nullptr);
    ASSERT_TRUE(RunModalDriven([&] { result = RuntimeMenuItemPopUp(menu, 500, 400); }, Dismiss()));
    EXPECT_EQ(result, nullptr);

    // An exception raised by a handler while the menu is tracked comes out after it closes.
    {
        RaisedExceptions raised;
        CreateTimerWindow();
        AddTimerCallback(RaiseFromTimer, 10);
        const DWORD start = GetTickCount();
        size_t seenWhileOpen = 99;
        ASSERT_TRUE(RunModalDriven([&] { result = RuntimeMenuItemPopUp(menu, 500, 400); },
                                   [&] {
                                       if (GetTickCount() - start < 300) return false;
                                       seenWhileOpen = raised.Names().size();
                                       EndMenu();
                                       return true;
                                   }));
        EXPECT_EQ(seenWhileOpen, 0u);
        EXPECT_EQ(raised.Take(), "NilObjectException");
    }
    for (ObjectHeader* object : {handled, plain, menu}) RuntimeUnlockObject(object);
    DestroyWindow(owner);
}

namespace {

int sActions = 0;
bool CountedAction(ObjectHeader*) {
    ++sActions;
    return true;
}

void RaiseChosen(void* item) {
    CreateTimerWindow();
    AddTimerCallback(RaiseFromTimer, 10);
    const DWORD start = GetTickCount();
    RunModalDriven([item] { RuntimeMenuItemPopUp(static_cast<ObjectHeader*>(item), 500, 400); },
                   [start] {
                       if (GetTickCount() - start < 300) return false;
                       ChooseRow(GetForegroundWindow(), 1)();
                       return true;
                   });
}

void Caught(ObjectHeader* exception) { ReleaseObject(exception); }

}  // namespace

// A row chosen after a handler raised while the menu was open runs no handler: the exception
// comes out instead.
TEST(MenuPopUpTest, AnExceptionRaisedWhileTheMenuIsOpenKeepsTheChosenRowsHandlersFromRunning) {
    RaisedExceptions raised;
    HWND owner = NewOwner();
    ClassRecord* counted =
        CompiledSubclass(MenuItem(), "Counted", {{"Action", HandlerAddress(CountedAction)}});
    ObjectHeader* menu = CreateInstance(MenuItem());
    ObjectHeader* item = RuntimeNewObject(counted);
    MenuItemImplementation(item)->SetText(string("Counted"));
    MenuItemImplementation(menu)->Append(item);
    sActions = 0;
    RunInHandlerFrame(RaiseChosen, menu, Caught);
    EXPECT_EQ(sActions, 0);
    EXPECT_FALSE(ExceptionInFlight());
    for (ObjectHeader* object : {item, menu}) RuntimeUnlockObject(object);
    DestroyWindow(owner);
}

namespace {

// The colour dialog's red, green and blue fields.
constexpr int kRedField = 706, kGreenField = 707, kBlueField = 708;

}  // namespace

TEST(SelectColorTest, TheDialogShowsTheColourAndAnswersTheChoice) {
    uint32_t colour = 0xFF8000;  // orange
    UINT shown[3] = {};
    bool confirmed = false;
    ASSERT_TRUE(RunModalDriven([&] { confirmed = selectColor(&colour); },
                               [&] {
                                   HWND dialog = FindThreadDialog();
                                   if (!dialog) return false;
                                   for (int i = 0; i < 3; ++i)
                                       shown[i] = GetDlgItemInt(dialog, kRedField + i, nullptr,
                                                                FALSE);
                                   PostMessageW(dialog, WM_COMMAND, IDCANCEL, 0);
                                   return true;
                               }));
    EXPECT_EQ(shown[0], 255u);
    EXPECT_EQ(shown[1], 128u);
    EXPECT_EQ(shown[2], 0u);
    EXPECT_FALSE(confirmed);
    EXPECT_EQ(colour, 0xFF8000u);

    ASSERT_TRUE(RunModalDriven([&] { confirmed = selectColor(&colour); },
                               [&] {
                                   HWND dialog = FindThreadDialog();
                                   if (!dialog) return false;
                                   SetDlgItemInt(dialog, kRedField, 0, FALSE);
                                   SetDlgItemInt(dialog, kGreenField, 0, FALSE);
                                   SetDlgItemInt(dialog, kBlueField, 255, FALSE);
                                   PostMessageW(dialog, WM_COMMAND, IDOK, 0);
                                   return true;
                               }));
    EXPECT_TRUE(confirmed);
    EXPECT_EQ(colour, 0x0000FFu);
}
