#include <gtest/gtest.h>

#include <windows.h>

#include <string>

#include "ModalDriver.h"
#include "host/EventLoop.h"
#include "windows/Pane.h"
#include "windows/PaneWindowClass.h"

namespace {

Rect16 R(int left, int top, int right, int bottom) {
    return Rect16{static_cast<int16_t>(top), static_cast<int16_t>(left),
                  static_cast<int16_t>(bottom), static_cast<int16_t>(right)};
}

std::string sLog;

// A control: logs presses and wheel turns under its name and answers as told.
class Control : public BasicPane {
public:
    Control(SubPane* parent, Rect16 rect, char name, const char* className = "QV_Pane")
        : BasicPane(parent, 0, rect, string(""), className, 0, 0), mName(name) {}

    bool MouseDown(int32_t, int32_t, int32_t) override {
        sLog += mName;
        return mTakesPress;
    }
    bool MouseWheel(int32_t, int32_t, int32_t delta) override {
        sLog += std::string(1, mName) + std::to_string(delta);
        return mTakesPress;
    }
    bool LetsClickThrough() override { return mClickThrough; }
    bool AcceptsFocus() override { return mAcceptsFocus; }
    SubPane* FindDefaultButton() override { return mIsDefault ? this : nullptr; }
    void UpdateDefaultButton(SubPane* button) override { mToldDefault = button; }

    char mName;
    bool mTakesPress = false;
    bool mClickThrough = true;
    bool mAcceptsFocus = true;
    bool mIsDefault = false;
    SubPane* mToldDefault = nullptr;
};

class WindowPaneTest : public ::testing::Test {
protected:
    void SetUp() override {
        RegisterPaneWindowClasses();
        HWND window = CreateWindowExW(0, L"QV_Pane", L"window", WS_POPUP | WS_VISIBLE, 20, 20,
                                      400, 300, nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
        ASSERT_NE(window, nullptr);
        mWindow = new WindowPane(window);
        sLog.clear();
    }
    void TearDown() override {
        SetFocusPane(nullptr);
        if (mWindow) mWindow->Close();
        mWindow = nullptr;
        PumpOnce();
    }

    std::string Order() {
        std::string names;
        for (uint32_t i = 0; i < mWindow->controls.size(); ++i)
            names += static_cast<Control*>(mWindow->controls[i])->mName;
        return names;
    }

    WindowPane* mWindow = nullptr;
};

}  // namespace

TEST_F(WindowPaneTest, PressesGoFrontToBackAndStopAtAPaneThatKeepsClicks) {
    Control* back = new Control(mWindow, R(0, 0, 200, 200), 'B');
    Control* front = new Control(mWindow, R(50, 50, 150, 150), 'F');
    struct Case {
        bool frontTakes, frontClickThrough, backTakes;
        bool handled;
        const char* log;
    } cases[] = {
        {true, true, false, true, "F"},
        {false, true, true, true, "FB"},
        {false, true, false, false, "FB"},
        {false, false, true, true, "F"},  // the window stops at a pane that keeps its clicks
    };
    for (const Case& c : cases) {
        front->mTakesPress = c.frontTakes;
        front->mClickThrough = c.frontClickThrough;
        back->mTakesPress = c.backTakes;
        sLog.clear();
        EXPECT_EQ(mWindow->MouseDown(100, 100, 0), c.handled) << c.log;
        EXPECT_EQ(sLog, c.log);
    }
    sLog.clear();
    EXPECT_FALSE(mWindow->MouseDown(300, 250, 0)) << "no control under the point";
    front->SetVisible(false);
    back->mTakesPress = true;
    EXPECT_TRUE(mWindow->MouseWheel(100, 100, -3));
    EXPECT_EQ(sLog, "B-3") << "a hidden control gets nothing";
    mWindow->closing = true;
    sLog.clear();
    EXPECT_FALSE(mWindow->MouseDown(100, 100, 0)) << "a closing window routes no press";
    mWindow->closing = false;
}

TEST_F(WindowPaneTest, TheFocusChainWrapsOverControlsThatAcceptTheFocus) {
    EXPECT_EQ(mWindow->GetFocusControl(), mWindow) << "no control: the window itself";
    EXPECT_EQ(mWindow->NextFocusControl(nullptr), nullptr);
    EXPECT_EQ(mWindow->PreviousFocusControl(nullptr), nullptr);

    Control* a = new Control(mWindow, R(10, 10, 50, 30), 'a');
    Control* b = new Control(mWindow, R(60, 10, 100, 30), 'b');
    Control* c = new Control(mWindow, R(110, 10, 150, 30), 'c');
    Control* d = new Control(mWindow, R(160, 10, 200, 30), 'd');
    b->mAcceptsFocus = false;
    struct Case {
        SubPane* from;
        SubPane* next;
        SubPane* previous;
    } cases[] = {
        {a, c, d}, {c, d, a}, {d, a, c}, {b, c, a}, {nullptr, a, d}, {mWindow, a, d},
    };
    for (const Case& k : cases) {
        EXPECT_EQ(mWindow->NextFocusControl(k.from), k.next);
        EXPECT_EQ(mWindow->PreviousFocusControl(k.from), k.previous);
    }
    EXPECT_EQ(mWindow->GetFocusControl(), a);
    mWindow->focusPane = c;
    EXPECT_EQ(mWindow->GetFocusControl(), c);
    c->SetVisible(false);
    EXPECT_EQ(mWindow->GetFocusControl(), a) << "an invisible remembered pane is forgotten";
    EXPECT_EQ(mWindow->focusPane, nullptr);

    // Activation gives the focus control the keyboard focus; deactivation takes it away.
    mWindow->Activate();
    EXPECT_EQ(GetFocusPane(), a);
    mWindow->Deactivate();
    EXPECT_EQ(GetFocusPane(), nullptr);
    mWindow->kind = 1;  // a floating window leaves the focus where it is
    mWindow->active = false;
    mWindow->Activate();
    EXPECT_EQ(GetFocusPane(), nullptr);
}

TEST_F(WindowPaneTest, ReorderingTheTabOrder) {
    Control* a = new Control(mWindow, R(10, 10, 50, 30), 'a');
    Control* b = new Control(mWindow, R(60, 10, 100, 30), 'b');
    Control* c = new Control(mWindow, R(110, 10, 150, 30), 'c');
    Control outside(nullptr, R(0, 0, 10, 10), 'x', "");
    struct Case {
        SubPane* pane;
        SubPane* before;
        const char* order;
    } cases[] = {
        {c, nullptr, "cab"}, {c, a, "acb"}, {a, b, "cba"}, {b, &outside, "cab"},
    };
    for (const Case& k : cases) {
        mWindow->ReorderControl(k.pane, k.before);
        EXPECT_EQ(Order(), k.order);
    }
}

TEST_F(WindowPaneTest, TheFocusedButtonIsTheDefaultOtherwiseTheWindowsOwn) {
    Control* okay = new Control(mWindow, R(10, 10, 80, 30), 'o');
    Control* other = new Control(mWindow, R(100, 10, 170, 30), 'n', "BUTTON");
    Control* field = new Control(mWindow, R(200, 10, 300, 30), 'f');
    okay->mIsDefault = true;
    mWindow->RefreshDefaultButton();
    EXPECT_EQ(mWindow->defaultButton, okay);
    EXPECT_EQ(field->mToldDefault, okay) << "every pane is told";

    SetFocusPane(other);
    mWindow->RefreshDefaultButton();
    EXPECT_EQ(mWindow->defaultButton, other) << "a focused native button";
    EXPECT_EQ(okay->mToldDefault, other);

    SetFocusPane(field);
    mWindow->RefreshDefaultButton();
    EXPECT_EQ(mWindow->defaultButton, okay);
}

TEST_F(WindowPaneTest, BackColour) {
    RGBColor16 colour = {};
    EXPECT_FALSE(mWindow->GetBackColor(colour));
    mWindow->SetBackColor(0x102030);
    ASSERT_TRUE(mWindow->GetBackColor(colour));
    EXPECT_EQ(mWindow->backColor, RGB(0x10, 0x20, 0x30));
    EXPECT_EQ(colour.red, 0x10 * 257);
    EXPECT_EQ(colour.blue, 0x30 * 257);
    ValidateRect(mWindow->GetHWND(), nullptr);
    mWindow->SetBackColor(0x102030);
    EXPECT_FALSE(GetUpdateRect(mWindow->GetHWND(), nullptr, FALSE)) << "the same colour repaints nothing";
    mWindow->SetBackColor(0xFFFFFF);
    EXPECT_TRUE(GetUpdateRect(mWindow->GetHWND(), nullptr, FALSE));
}

TEST_F(WindowPaneTest, TheWindowListFindsPanesAndTheFrontDocumentWindow) {
    EXPECT_EQ(FindWindowPaneByHWND(mWindow->GetHWND()), mWindow);
    EXPECT_EQ(FindWindowPaneByHWND(nullptr), nullptr);
    EXPECT_EQ(gMainDocumentWindow, mWindow);

    HWND native = CreateWindowExW(0, L"QV_Pane", L"second", WS_POPUP | WS_VISIBLE, 500, 20, 200,
                                  100, nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
    HWND child = CreateWindowExW(0, L"STATIC", L"", WS_CHILD | WS_VISIBLE, 0, 0, 10, 10, native,
                                 nullptr, GetModuleHandleW(nullptr), nullptr);
    WindowPane* second = new WindowPane(native);
    EXPECT_EQ(gWindowPaneList, second) << "newest first";
    EXPECT_EQ(second->nextWindow, mWindow);
    EXPECT_EQ(gMainDocumentWindow, mWindow) << "the first document window stays the main one";
    EXPECT_TRUE(IsRuntimeWindowHandle(native));
    EXPECT_FALSE(IsRuntimeWindowHandle(child));

    SetForegroundWindow(native);
    SetActiveWindow(native);
    PumpOnce();
    ASSERT_EQ(GetActiveWindow(), native);
    struct Case {
        int32_t secondKind;
        bool secondShown;
        HWND expected;
    } cases[] = {
        {8, true, native},
        {0, true, native},
        {1, true, nullptr},   // a floating window is no document window
        {8, false, nullptr},  // nor a hidden one; the other document window is not active
    };
    for (const Case& c : cases) {
        second->kind = c.secondKind;
        second->showRequested = c.secondShown;
        EXPECT_EQ(GetFrontDocumentHWND(), c.expected) << c.secondKind << " " << c.secondShown;
    }
    second->kind = 8;
    second->showRequested = true;

    second->Close();
    EXPECT_EQ(FindWindowPaneByHWND(native), nullptr) << "a destroyed pane leaves the list";
    EXPECT_EQ(gWindowPaneList, mWindow);
    mWindow->Close();
    mWindow = nullptr;
    EXPECT_EQ(gMainDocumentWindow, nullptr);
    EXPECT_EQ(gWindowPaneList, nullptr);
}
