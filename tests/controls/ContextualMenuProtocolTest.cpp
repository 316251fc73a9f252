#include <gtest/gtest.h>

#include <windows.h>

#include <map>
#include <string>
#include <vector>

#include "CompiledSubclass.h"
#include "ModalDriver.h"
#include "RaisedExceptions.h"
#include "controls/ContextualMenuControl.h"
#include "controls/ContextualMenuProtocol.h"
#include "controls/ControlClasses.h"
#include "core/DefinitionConversion.h"
#include "core/Exceptions.h"
#include "host/WindowLookups.h"
#include "windows/MenuItemClass.h"
#include "windows/RuntimeViewWindow.h"
#include "windows/TopLevelWindowClass.h"
#include "windows/Win32Menu.h"
#include "windows/WindowObject.h"

extern "C" void WindowVisibleSetter(ObjectHeader* window, int32_t, bool value);

namespace {

// What each class's handlers do: the rows ConstructContextualMenu appends and its answer, the
// answer of ContextualMenuAction, and which of the two raises.
struct Behaviour {
    std::vector<std::string> rows;
    bool constructs = false;
    bool acts = false;
    bool raiseInConstruct = false;
    bool raiseInAction = false;
    bool nests = false;  // ConstructContextualMenu starts the protocol again, once
};
std::map<std::string, Behaviour> sBehaviour;
std::vector<std::string> sLog;
bool sWithBox = false;
bool sNesting = false;
bool sNestedResult = true;

std::string Text(const string& s) { return std::string(s.CString() ? s.CString() : "", s.Length()); }

std::string ClassName(ObjectHeader* object) { return Text(string(object->classPtr->name)); }

bool OnConstruct(ObjectHeader* self, ObjectHeader* base, int32_t x, int32_t y) {
    const Behaviour& b = sBehaviour[ClassName(self)];
    sLog.push_back(ClassName(self) + ".Construct " + std::to_string(x) + "," + std::to_string(y));
    for (const std::string& row : b.rows) {
        ObjectHeader* item = CreateInstance(MenuItem());
        MenuItemImplementation(item)->SetText(string(row.c_str()));
        RuntimeMenuItemAppend(base, item);
        RuntimeUnlockObject(item);
    }
    if (b.raiseInConstruct) RaiseNilObjectException();
    if (b.nests && !sNesting) {
        sNesting = true;
        sNestedResult = DisplayObjectContextualMenu(self, 0, 0);
        sNesting = false;
    }
    return b.constructs;
}

bool OnAction(ObjectHeader* self, ObjectHeader* item) {
    const Behaviour& b = sBehaviour[ClassName(self)];
    sLog.push_back(ClassName(self) + ".Action " + Text(MenuItemImplementation(item)->text));
    if (b.raiseInAction) RaiseNilObjectException();
    return b.acts;
}

void OnLayout(ObjectHeader* self) {
    windowPosSetter(self, 0, 60);
    windowPosSetter(self, 1, 60);
    windowPosSetter(self, 2, 300);
    windowPosSetter(self, 3, 200);
    WindowVisibleSetter(self, 0, true);
}

// The box covers (100, 50) to (180, 110) of its window.
void OnBoxLayout(ObjectHeader* self) {
    windowPosSetter(self, 0, 100);
    windowPosSetter(self, 1, 50);
    windowPosSetter(self, 2, 80);
    windowPosSetter(self, 3, 60);
    WindowVisibleSetter(self, 0, true);
}

ClassRecord* sBoxClass = nullptr;
ClassRecord* sPadClass = nullptr;
bool sWithPad = false;

void OnCreateControls(ObjectHeader* self) {
    if (sWithPad) {
        // A canvas with contextual-menu handlers at (10, 10) to (60, 60).
        ObjectHeader* pad = RuntimeNewObject(sPadClass);
        const int32_t place[] = {10, 10, 50, 50};
        for (int32_t i = 0; i < 4; ++i) ctlPosSetter(pad, i, place[i]);
        WindowAddControl(self, string("Pad").Record(), pad);
        RuntimeUnlockObject(pad);
    }
    if (!sWithBox) return;
    ObjectHeader* box = RuntimeNewObject(sBoxClass);
    WindowAddControl(self, string("Box").Record(), box);
    RuntimeUnlockObject(box);
    // A plain Canvas at (10, 10) to (60, 60).
    ObjectHeader* pad = CreateInstance(Canvas());
    const int32_t place[] = {10, 10, 50, 50};
    for (int32_t i = 0; i < 4; ++i) ctlPosSetter(pad, i, place[i]);
    WindowAddControl(self, string("Pad").Record(), pad);
    RuntimeUnlockObject(pad);
}

const std::vector<std::pair<const char*, void*>> kHandlers = {
    {"ConstructContextualMenu", HandlerAddress(OnConstruct)},
    {"ContextualMenuAction", HandlerAddress(OnAction)},
};

HWND Native(ObjectHeader* window) { return reinterpret_cast<HWND>(WindowHandleGetter(window, 0)); }

// The popup on the display: its rows' texts, read from the menu window.
std::vector<std::string> ShownRows() {
    std::vector<std::string> rows;
    HWND popup = FindWindowW(L"#32768", nullptr);
    if (!popup || !IsWindowVisible(popup)) return rows;
    HMENU menu = reinterpret_cast<HMENU>(SendMessageW(popup, 0x01E1 /* MN_GETHMENU */, 0, 0));
    for (int i = 0; menu && i < GetMenuItemCount(menu); ++i) {
        char text[64] = {};
        GetMenuStringA(menu, i, text, sizeof(text), MF_BYPOSITION);
        rows.push_back(text[0] ? text : "-");
    }
    return rows;
}

// Reads the rows shown, then chooses the row that many Down presses reach (0: dismisses).
std::function<bool()> Choose(HWND owner, int downs, std::vector<std::string>* shown) {
    return [=] {
        *shown = ShownRows();
        if (shown->empty()) return false;
        if (downs == 0) {
            EndMenu();
            return true;
        }
        for (int i = 0; i < downs; ++i) PostMessageW(owner, WM_KEYDOWN, VK_DOWN, 0);
        PostMessageW(owner, WM_KEYDOWN, VK_RETURN, 0);
        return true;
    };
}

class ContextualMenuProtocolTest : public ::testing::Test {
protected:
    void SetUp() override {
        sBehaviour.clear();
        sLog.clear();
        RegisterWindowClasses();
        std::vector<std::pair<const char*, void*>> handlers = kHandlers;
        handlers.push_back({"Layout", HandlerAddress(OnLayout)});
        handlers.push_back({"CreateControls", HandlerAddress(OnCreateControls)});
        ClassRecord* windowClass = CompiledSubclass(Window(), "CtxWin", handlers);
        handlers = kHandlers;
        handlers.push_back({"Layout", HandlerAddress(OnBoxLayout)});
        sBoxClass = CompiledSubclass(ContainerControl(), "CtxBox", handlers);
        sPadClass = CompiledSubclass(Canvas(), "CtxPad", kHandlers);
        mWindow = RuntimeNewObject(windowClass);
        WindowDefaultConstructor(mWindow);
        SetForegroundWindow(Native(mWindow));
        PumpOnce();
    }
    void TearDown() override {
        RuntimeCloseWindow(mWindow);
        RuntimeUnlockObject(mWindow);
        mWindow = nullptr;
        sWithBox = false;
        sWithPad = false;
    }

    // The protocol from the window at (20, 30) of its client area, the menu driven by downs.
    bool Run(int downs, std::vector<std::string>* shown, bool expectMenu = true) {
        return RunFrom([this] { return DisplayObjectContextualMenu(mWindow, 20, 30); }, downs,
                       shown, expectMenu);
    }
    bool RunFrom(const std::function<bool()>& protocol, int downs,
                 std::vector<std::string>* shown, bool expectMenu = true) {
        bool result = true;
        const bool acted = RunModalDriven([&] { result = protocol(); },
                                          Choose(Native(mWindow), downs, shown),
                                          expectMenu ? 5000 : 600);
        EXPECT_EQ(acted, expectMenu);
        return result;
    }
    // The window again, with a ContainerControl on it.
    void WithBox() {
        TearDown();
        sWithBox = true;
        SetUp();
    }

    ObjectHeader* mWindow = nullptr;
};

}  // namespace

TEST_F(ContextualMenuProtocolTest, TheWindowsRowsAreShownAndTheChosenOneReachesItsAction) {
    struct Case {
        std::vector<std::string> rows;
        bool acts;
        int downs;
        std::vector<std::string> shown;
        bool result;
        std::vector<std::string> log;
    } cases[] = {
        {{"Cut", "Copy", "-"}, true, 2, {"Cut", "Copy"}, true,
         {"CtxWin.Construct 20,30", "CtxWin.Action Copy"}},
        {{"Cut", "-", "Paste"}, false, 2, {"Cut", "-", "Paste"}, false,
         {"CtxWin.Construct 20,30", "CtxWin.Action Paste"}},
        {{"Cut", "Copy"}, true, 0, {"Cut", "Copy"}, false, {"CtxWin.Construct 20,30"}},
    };
    for (const Case& c : cases) {
        sLog.clear();
        sBehaviour["CtxWin"] = {c.rows, true, c.acts};
        std::vector<std::string> shown;
        EXPECT_EQ(Run(c.downs, &shown), c.result) << c.rows[1];
        EXPECT_EQ(shown, c.shown);
        EXPECT_EQ(sLog, c.log);
    }
}

TEST_F(ContextualMenuProtocolTest, ACallMadeWhileTheProtocolRunsAddsToItsMenu) {
    Behaviour b{{"Cut"}, true, true};
    b.nests = true;
    sBehaviour["CtxWin"] = b;
    std::vector<std::string> shown;
    EXPECT_TRUE(Run(2, &shown));
    EXPECT_FALSE(sNestedResult);
    EXPECT_EQ(shown, (std::vector<std::string>{"Cut", "Cut"}));
    ASSERT_EQ(sLog.size(), 3u);
    EXPECT_EQ(sLog.back(), "CtxWin.Action Cut");
}

TEST_F(ContextualMenuProtocolTest, AMenuLeftEmptyIsNotShown) {
    for (const std::vector<std::string>& rows :
         {std::vector<std::string>{}, std::vector<std::string>{"-"}}) {
        sBehaviour["CtxWin"] = {rows, true, true};
        std::vector<std::string> shown;
        EXPECT_FALSE(Run(1, &shown, false));
        EXPECT_TRUE(shown.empty());
    }
    EXPECT_EQ(sLog, (std::vector<std::string>{"CtxWin.Construct 20,30", "CtxWin.Construct 20,30"}));
}

TEST_F(ContextualMenuProtocolTest, AContainerControlThatDoesNotHandleContinuesToItsWindow) {
    WithBox();
    struct Case {
        int32_t x, y;
        bool boxConstructs, boxActs;
        std::vector<std::string> shown;
        std::vector<std::string> log;
    } cases[] = {
        {120, 70, false, false, {"Inner", "Outer"},
         {"CtxBox.Construct 20,20", "CtxWin.Construct 120,70", "CtxBox.Action Outer",
          "CtxWin.Action Outer"}},
        {120, 70, true, true, {"Inner"}, {"CtxBox.Construct 20,20", "CtxBox.Action Inner"}},
        // A control passes on to its window.
        {30, 40, true, true, {"Outer"}, {"CtxWin.Construct 30,40", "CtxWin.Action Outer"}},
    };
    for (const Case& c : cases) {
        sLog.clear();
        sBehaviour["CtxBox"] = {{"Inner"}, c.boxConstructs, c.boxActs};
        sBehaviour["CtxWin"] = {{"Outer"}, true, true};
        std::vector<std::string> shown;
        // The object under the click is found by the window pane's hit test.
        EXPECT_TRUE(RunFrom([&] { return WindowFields(mWindow)->mPane->ContextualMenu(c.x, c.y); },
                            static_cast<int>(c.shown.size()), &shown));
        EXPECT_EQ(shown, c.shown);
        EXPECT_EQ(sLog, c.log);
    }
}

TEST_F(ContextualMenuProtocolTest, ARightClickOnTheWindowRunsTheProtocol) {
    sBehaviour["CtxWin"] = {{"Cut", "Copy"}, true, true};
    std::vector<std::string> shown;
    HWND native = Native(mWindow);
    RunFrom(
        [native] {
            PostMessageW(native, WM_RBUTTONDOWN, MK_RBUTTON, MAKELPARAM(40, 50));
            PostMessageW(native, WM_RBUTTONUP, 0, MAKELPARAM(40, 50));
            const DWORD end = GetTickCount() + 4000;
            while (sLog.size() < 2 && GetTickCount() < end)
                if (!PumpOnce()) Sleep(10);
            return true;
        },
        1, &shown);
    EXPECT_EQ(shown, (std::vector<std::string>{"Cut", "Copy"}));
    EXPECT_EQ(sLog, (std::vector<std::string>{"CtxWin.Construct 40,50", "CtxWin.Action Cut"}));
}

namespace {

struct ContextMenuMessage {
    HWND window;
    LPARAM at;
};
std::string sCaught;

void SendContextMenu(void* context) {
    auto* message = static_cast<ContextMenuMessage*>(context);
    SendMessageW(message->window, WM_CONTEXTMENU, reinterpret_cast<WPARAM>(message->window),
                 message->at);
}

void CatchEscaped(ObjectHeader* exception) {
    sCaught = ClassName(exception);
    ReleaseObject(exception);
}

}  // namespace

// The message comes from the event loop's frame, where an exception that escapes a handler ends.
TEST_F(ContextualMenuProtocolTest, AnExceptionFromAHandlerEndsTheProtocolWithNothingHeld) {
    const int32_t references = mWindow->refCount;
    POINT point = {40, 50};
    ClientToScreen(Native(mWindow), &point);
    ContextMenuMessage message{Native(mWindow), MAKELPARAM(point.x, point.y)};
    for (const bool inAction : {true, false}) {
        RaisedExceptions unhandled;
        sLog.clear();
        sCaught.clear();
        Behaviour b{{"Cut"}, true, true};
        (inAction ? b.raiseInAction : b.raiseInConstruct) = true;
        sBehaviour["CtxWin"] = b;
        std::vector<std::string> shown;
        RunFrom(
            [&message] {
                RunInHandlerFrame(SendContextMenu, &message, CatchEscaped);
                return true;
            },
            1, &shown, inAction);
        EXPECT_FALSE(ExceptionInFlight());
        EXPECT_EQ(sCaught, "NilObjectException") << inAction;
        EXPECT_EQ(unhandled.Take(), "");
        std::vector<std::string> log = {"CtxWin.Construct 40,50"};
        if (inAction) log.push_back("CtxWin.Action Cut");
        EXPECT_EQ(sLog, log);
        EXPECT_EQ(mWindow->refCount, references);
    }
    // A new protocol starts afresh: its menu holds only its own rows.
    sLog.clear();
    sBehaviour["CtxWin"] = {{"Paste"}, true, true};
    std::vector<std::string> shown;
    EXPECT_TRUE(Run(1, &shown));
    EXPECT_EQ(shown, (std::vector<std::string>{"Paste"}));
}

namespace {
std::vector<std::string> sMenuActions;
void OnMenuAction(ObjectHeader*, StringRecord* text) { sMenuActions.push_back(Text(string(text))); }
}  // namespace

// Rows of the same text answer that text whichever is chosen; a dismissed menu fires nothing.
TEST_F(ContextualMenuProtocolTest, TheContextualMenuControlFiresActionWithTheChosenRowsText) {
    ClassRecord* menuClass =
        CompiledSubclass(ContextualMenu(), "CtxMenu", {{"Action", HandlerAddress(OnMenuAction)}});
    ObjectHeader* menu = RuntimeNewObject(menuClass);
    WindowAddControl(mWindow, string("Menu").Record(), menu);
    EXPECT_EQ(ControlFields(menu)->pane, nullptr);
    for (const char* row : {"Same", "-", "Other", "Same"}) {
        if (std::string(row) == "-")
            contextualMenuAddSeparator(menu);
        else
            contextualMenuAddRow(menu, string(row).Record());
    }
    struct Case {
        int downs;
        std::vector<std::string> actions;
    } cases[] = {{1, {"Same"}}, {3, {"Same"}}, {2, {"Other"}}, {0, {}}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.downs);
        sMenuActions.clear();
        std::vector<std::string> shown;
        EXPECT_TRUE(RunModalDriven([&] { contextualMenuOpen(menu); },
                                   Choose(Native(mWindow), c.downs, &shown)));
        EXPECT_EQ(shown, (std::vector<std::string>{"Same", "-", "Other", "Same"}));
        EXPECT_EQ(sMenuActions, c.actions);
    }
    // Emptied, the next row starts a new menu.
    contextualMenuResetContent(menu);
    EXPECT_EQ(reinterpret_cast<ContextualMenuRecord*>(menu)->menu, nullptr);
    contextualMenuAddRow(menu, string("Fresh").Record());
    sMenuActions.clear();
    std::vector<std::string> shown;
    EXPECT_TRUE(RunModalDriven([&] { contextualMenuOpen(menu); },
                               Choose(Native(mWindow), 1, &shown)));
    EXPECT_EQ(shown, std::vector<std::string>{"Fresh"});
    EXPECT_EQ(sMenuActions, std::vector<std::string>{"Fresh"});
    RuntimeUnlockObject(menu);
}

// A control that answers true keeps the menu to itself; one that answers false lets its window
// add rows; the chosen row goes to the control first, then up to its window.
TEST_F(ContextualMenuProtocolTest, AControlAddsRowsAndGetsTheChosenOneFirst) {
    TearDown();
    sWithPad = true;
    SetUp();
    ObjectHeader* pad = nullptr;
    ASSERT_TRUE(WindowFields(mWindow)->mControls->GetEntry(string("Pad"), pad));
    struct Case {
        Behaviour pad;
        bool windowActs;
        int downs;
        std::vector<std::string> shown;
        bool result;
        std::vector<std::string> log;
    } cases[] = {
        {{{"A", "B", "-"}, true, true}, true, 2, {"A", "B"}, true,
         {"CtxPad.Construct 10,20", "CtxPad.Action B"}},
        {{{"A"}, false, false}, true, 2, {"A", "W"}, true,
         {"CtxPad.Construct 10,20", "CtxWin.Construct 20,30", "CtxPad.Action W",
          "CtxWin.Action W"}},
        {{{"A"}, false, false}, false, 1, {"A", "W"}, false,
         {"CtxPad.Construct 10,20", "CtxWin.Construct 20,30", "CtxPad.Action A",
          "CtxWin.Action A"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.log.back());
        sLog.clear();
        sBehaviour["CtxPad"] = c.pad;
        sBehaviour["CtxWin"] = {{"W"}, false, c.windowActs};
        std::vector<std::string> shown;
        const bool result =
            RunFrom([pad] { return DisplayObjectContextualMenu(pad, 20, 30); }, c.downs, &shown);
        EXPECT_EQ(shown, c.shown);
        EXPECT_EQ(result, c.result);
        EXPECT_EQ(sLog, c.log);
    }
}
