#include <gtest/gtest.h>

#include <windows.h>

#include <string>

#include "CompiledSubclass.h"
#include "ModalDriver.h"
#include "controls/NativeControlPane.h"
#include "core/DefinitionConversion.h"
#include "host/Application.h"
#include "host/EventLoop.h"
#include "windows/KeyboardShortcuts.h"
#include "windows/MenuItemClass.h"
#include "windows/Pane.h"
#include "windows/PaneWindowClass.h"

namespace {

Rect16 R(int left, int top, int right, int bottom) {
    return Rect16{static_cast<int16_t>(top), static_cast<int16_t>(left),
                  static_cast<int16_t>(bottom), static_cast<int16_t>(right)};
}

std::string sLog;

// A control pane that logs its keys, pushes and focus; it can refuse navigation keys (a text
// field) and close itself on a key.
class RecordingPane : public BasicPane {
public:
    RecordingPane(SubPane* parent, Rect16 rect, char name)
        : BasicPane(parent, 0, rect, string(""), "QV_Pane", 0, 0), mName(name) {}
    bool KeyDown(uint8_t character, uint8_t keyCode, int32_t) override {
        sLog += std::string(1, mName) + ":" + std::to_string(character) + "/" +
                std::to_string(keyCode) + " ";
        if (mClosesOnKey) Close();
        return mTakesKeys;
    }
    bool AcceptsFocus() override { return true; }
    bool LetsKeysNavigate() override { return mNavigates; }
    void TabbedInto() override { sLog += std::string(1, mName) + "^ "; }
    void Push() override { sLog += std::string(1, mName) + "! "; }
    SubPane* FindCancelButton() override { return mCancel ? this : nullptr; }

    char mName;
    bool mTakesKeys = false;
    bool mNavigates = true;
    bool mClosesOnKey = false;
    bool mCancel = false;
};

class RecordingWindow : public WindowPane {
public:
    using WindowPane::WindowPane;
    bool KeyDown(uint8_t character, uint8_t, int32_t) override {
        sLog += "W:" + std::to_string(character) + " ";
        return false;
    }
};

// A native push button carrying its pane in "QVInstance".
class ButtonPane : public NativeControlPane {
public:
    ButtonPane(SubPane* parent, const wchar_t* caption)
        : NativeControlPane(parent, 0, R(0, 0, 10, 10), string(""), "", 0, 0) {
        button = CreateWindowExW(0, L"BUTTON", caption, WS_CHILD | WS_VISIBLE | BS_PUSHBUTTON, 5,
                                 5, 60, 20, parent->GetHWND(), nullptr, GetModuleHandleW(nullptr),
                                 nullptr);
        SetPropA(button, "QVInstance", this);
    }
    ~ButtonPane() override {
        RemovePropA(button, "QVInstance");
        DestroyWindow(button);
    }
    void OnCommand(int32_t) override { sLog += "click "; }
    HWND button;
};

HWND NewTopLevel(int x) {
    RegisterPaneWindowClasses();
    return CreateWindowExW(0, L"QV_Pane", L"window", WS_POPUP | WS_VISIBLE, x, 20, 300, 200,
                           nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
}

// The keyboard state as GetKeyState reads it, with these keys held.
void HoldKeys(std::initializer_list<int> keys) {
    BYTE state[256] = {};
    for (int key : keys) state[key] = 0x80;
    SetKeyboardState(state);
}

bool Press(HWND window, int vk, LPARAM lParam = 0) {
    MSG message = {};
    message.hwnd = window;
    message.message = WM_KEYDOWN;
    message.wParam = static_cast<WPARAM>(vk);
    message.lParam = lParam;
    return TranslateKeyMessage(&message);
}

class KeyTranslationTest : public ::testing::Test {
protected:
    void SetUp() override {
        HWND window = NewTopLevel(20);
        ASSERT_NE(window, nullptr);
        SetForegroundWindow(window);
        SetActiveWindow(window);
        mWindow = new RecordingWindow(window);
        mA = new RecordingPane(mWindow, R(10, 40, 60, 60), 'A');
        mB = new RecordingPane(mWindow, R(70, 40, 120, 60), 'B');
        mC = new RecordingPane(mWindow, R(130, 40, 180, 60), 'C');
        for (SubPane* pane : {static_cast<SubPane*>(mA), static_cast<SubPane*>(mB),
                              static_cast<SubPane*>(mC)})
            mWindow->controls.push_back(pane);
        SetFocusPane(mA);
        HoldKeys({});
        sLog.clear();
    }
    void TearDown() override {
        HoldKeys({});
        SetFocusPane(nullptr);
        if (mWindow) mWindow->Close();
        PumpOnce();
    }
    HWND Hwnd() { return mWindow->GetHWND(); }

    RecordingWindow* mWindow = nullptr;
    RecordingPane *mA = nullptr, *mB = nullptr, *mC = nullptr;
};

}  // namespace

TEST_F(KeyTranslationTest, AMnemonicClicksItsButtonFromANavigatingFocusOnly) {
    ButtonPane* button = new ButtonPane(mWindow, L"&Open");
    AddKeyboardShortcut(reinterpret_cast<intptr_t>(button->button), kButtonShortcut,
                        string("Alt-O"));
    EXPECT_TRUE(Press(Hwnd(), 'O'));  // typed plainly with a navigating focus
    EXPECT_EQ(sLog, "click ");

    sLog.clear();
    HoldKeys({VK_MENU});
    EXPECT_TRUE(Press(Hwnd(), 'O'));
    EXPECT_EQ(sLog, "click ");

    sLog.clear();
    HoldKeys({});
    mA->mNavigates = false;  // a text field: the letter is text
    EXPECT_FALSE(Press(Hwnd(), 'O'));
    EXPECT_EQ(sLog.find("click"), std::string::npos);

    // A window that is neither front nor floating fires none of its shortcuts.
    mA->mNavigates = true;
    HWND other = NewTopLevel(340);
    SetForegroundWindow(other);
    SetActiveWindow(other);
    sLog.clear();
    HoldKeys({VK_MENU});
    Press(Hwnd(), 'O');
    EXPECT_EQ(sLog.find("click"), std::string::npos);
    DestroyWindow(other);
    RemoveKeyboardShortcut(reinterpret_cast<intptr_t>(button->button), kButtonShortcut);
}

TEST_F(KeyTranslationTest, DialogKeysMoveTheFocusAndPushButtons) {
    struct Case {
        const char* what;
        std::initializer_list<int> held;
        int vk;
        SubPane* focus;
        bool consumed;
        const char* log;
    } cases[] = {
        {"Tab", {}, VK_TAB, mC, true, "C:9/9 W:9 A^ "},  // wraps to the first
        {"Shift+Tab", {VK_SHIFT}, VK_TAB, mA, true, "A:9/9 W:9 C^ "},
        {"Ctrl+Tab", {VK_CONTROL}, VK_TAB, mA, false, "A:9/9 W:9 "},
        {"Right", {}, VK_RIGHT, mA, true, "A:29/39 W:29 B^ "},
        {"Up", {}, VK_UP, mA, true, "A:30/38 W:30 C^ "},
        {"Enter", {}, VK_RETURN, mA, false, "A:13/13 W:13 B! "},  // still reaches the control
        {"Esc", {}, VK_ESCAPE, mA, true, "A:27/27 W:27 C! "},
        {"Shift alone", {VK_SHIFT}, VK_SHIFT, mA, false, ""},
        {"Caps Lock alone", {}, VK_CAPITAL, mA, false, ""},
    };
    mWindow->defaultButton = mB;
    mC->mCancel = true;
    for (const Case& c : cases) {
        HoldKeys(c.held);
        SetFocusPane(c.focus);
        sLog.clear();
        EXPECT_EQ(Press(Hwnd(), c.vk), c.consumed) << c.what;
        EXPECT_EQ(sLog, c.log) << c.what;
    }
}

TEST_F(KeyTranslationTest, AFocusPaneDeletedByItsHandlerLeavesTheTranslationSafe) {
    mA->mClosesOnKey = true;
    EXPECT_TRUE(Press(Hwnd(), VK_TAB));
    EXPECT_EQ(sLog, "A:9/9 W:9 B^ ");
}

TEST_F(KeyTranslationTest, AnOpenComboBoxKeepsEnterAndEsc) {
    HWND combo = CreateWindowExW(0, L"COMBOBOX", L"", WS_CHILD | WS_VISIBLE | CBS_DROPDOWNLIST,
                                 10, 100, 100, 200, Hwnd(), nullptr, GetModuleHandleW(nullptr),
                                 nullptr);
    SendMessageW(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(L"one"));
    mWindow->defaultButton = mB;
    mC->mCancel = true;
    SendMessageW(combo, CB_SHOWDROPDOWN, TRUE, 0);
    ASSERT_TRUE(SendMessageW(combo, CB_GETDROPPEDSTATE, 0, 0));
    EXPECT_FALSE(Press(combo, VK_ESCAPE));
    EXPECT_FALSE(Press(combo, VK_RETURN));
    EXPECT_EQ(sLog.find('!'), std::string::npos);
    SendMessageW(combo, CB_SHOWDROPDOWN, FALSE, 0);
    EXPECT_TRUE(Press(combo, VK_ESCAPE));
    EXPECT_NE(sLog.find("C!"), std::string::npos);
    DestroyWindow(combo);
}

namespace {

int sActions = 0;
bool CountAction(ObjectHeader*) {
    ++sActions;
    return true;
}

}  // namespace

TEST_F(KeyTranslationTest, AMenuShortcutRunsItsItemUnlessTheItemIsGreyed) {
    ClassRecord* appClass = CompiledSubclass(Application(), "App", {});
    ObjectHeader* app = RuntimeNewObject(appClass);
    SetApplicationObject(app);
    ClassRecord* acting =
        CompiledSubclass(MenuItem(), "Acting", {{"Action", HandlerAddress(CountAction)}});
    ObjectHeader* bar = CreateInstance(MenuBar());
    ObjectHeader* file = CreateInstance(MenuItem());
    ObjectHeader* save = RuntimeNewObject(acting);
    ObjectHeader* greyed = CreateInstance(MenuItem());  // no handler: enabling greys it
    MenuItemImplementation(file)->SetText(string("File"));
    MenuItemImplementation(save)->SetText(string("Save"));
    MenuItemImplementation(save)->SetCommandKey(string("shift-S"));
    MenuItemImplementation(greyed)->SetText(string("Print"));
    MenuItemImplementation(greyed)->SetCommandKey(string("P"));
    MenuItemImplementation(bar)->Append(file);
    MenuItemImplementation(file)->Append(save);
    MenuItemImplementation(file)->Append(greyed);
    AppMenuBarSetter(app, 0, bar);

    sActions = 0;
    HoldKeys({VK_CONTROL, VK_SHIFT});
    EXPECT_TRUE(Press(Hwnd(), 'S'));
    EXPECT_EQ(sActions, 1);
    EXPECT_EQ(sLog, "");  // consumed before any KeyDown
    HoldKeys({VK_CONTROL});
    EXPECT_FALSE(Press(Hwnd(), 'S'));  // Ctrl+S is not Ctrl+Shift+S
    EXPECT_EQ(sActions, 1);
    sLog.clear();
    EXPECT_FALSE(Press(Hwnd(), 'P'));  // greyed: the key goes on to the focused control
    EXPECT_EQ(sLog, "A:112/80 W:112 ");

    AppMenuBarSetter(app, 0, nullptr);
    for (ObjectHeader* object : {greyed, save, file, bar}) RuntimeUnlockObject(object);
    SetApplicationObject(nullptr);
    RuntimeUnlockObject(app);
}
