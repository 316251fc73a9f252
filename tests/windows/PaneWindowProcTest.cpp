#include <gtest/gtest.h>

#include <windows.h>

#include <string>

#include "ModalDriver.h"
#include "controls/NativeControlPane.h"
#include "core/Platform.h"
#include "host/EventLoop.h"
#include "windows/Keyboard.h"
#include "windows/MouseCursor.h"
#include "windows/Pane.h"
#include "windows/PaneWindowClass.h"
#include "windows/WindowMessages.h"

namespace {

Rect16 R(int left, int top, int right, int bottom) {
    return Rect16{static_cast<int16_t>(top), static_cast<int16_t>(left),
                  static_cast<int16_t>(bottom), static_cast<int16_t>(right)};
}

std::string sLog;

std::string Entry(const char* what, int32_t x, int32_t y) {
    return std::string(what) + " " + std::to_string(x) + "," + std::to_string(y);
}

// A window pane that logs what its procedure hands it, with the press flags as they are then.
class RecordingWindow : public WindowPane {
public:
    using WindowPane::WindowPane;
    bool MouseDown(int32_t x, int32_t y, int32_t modifiers) override {
        return Press("down", x, y, modifiers);
    }
    bool ContextualMouseDown(int32_t x, int32_t y, int32_t modifiers) override {
        return Press("context", x, y, modifiers);
    }
    void MouseMove(int32_t x, int32_t y) override { sLog += Entry("move", x, y); }

    bool Press(const char* what, int32_t x, int32_t y, int32_t modifiers) {
        char flags[64];
        wsprintfA(flags, " m%x c%d a%d %x", modifiers, ContextualClickFlag ? 1 : 0,
                  PaneMousePressActive ? 1 : 0, PaneMousePressMessage);
        sLog += Entry(what, x, y) + flags;
        return true;
    }
};

// A child pane that logs releases, answers a back colour and may be a tab panel or choose a cursor.
class Child : public BasicPane {
public:
    Child(SubPane* parent, Rect16 rect) : BasicPane(parent, 0, rect, string(""), "QV_Pane", 0, 0) {}
    void MouseUp(int32_t x, int32_t y) override { sLog += Entry("up", x, y); }
    bool GetBackColor(RGBColor16& out) override {
        if (!mHasColour) return false;
        out = {0x4444, 0x5555, 0x6666};
        return true;
    }
    bool IsTabPanel() override { return mTabPanel; }
    bool AdjustCursor(int32_t x, int32_t y) override {
        sLog += Entry("cursor", x, y);
        if (mCursor) ::SetCursor(mCursor);
        return mCursor != nullptr;
    }

    bool mHasColour = false;
    bool mTabPanel = false;
    HCURSOR mCursor = nullptr;
};

// A native control's pane: logs the notifications handed back to it.
class ControlPane : public NativeControlPane {
public:
    explicit ControlPane(SubPane* parent)
        : NativeControlPane(parent, 0, R(0, 0, 10, 10), string(""), "", 0, 0) {}
    void OnCommand(int32_t code) override {
        sLog += "command " + std::to_string(code) + " m" + std::to_string(gKeyModifiers) + ";";
    }
    void OnNotify(NMHDR* header) override { sLog += "notify " + std::to_string(header->code) + ";"; }
    void OnDrawItem(DRAWITEMSTRUCT* item) override {
        sLog += "draw " + std::to_string(item->itemID) + ";";
    }
    void OnHScroll(int32_t code) override { sLog += "h " + std::to_string(code) + ";"; }
    void OnVScroll(int32_t code) override { sLog += "v " + std::to_string(code) + ";"; }
};

class PaneWindowProcTest : public ::testing::Test {
protected:
    void SetUp() override {
        RegisterPaneWindowClasses();
        HWND window = CreateWindowExW(0, L"QV_Pane", L"window", WS_POPUP | WS_VISIBLE, 20, 20,
                                      400, 300, nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
        ASSERT_NE(window, nullptr);
        mWindow = new RecordingWindow(window);
        mChild = new Child(mWindow, R(50, 40, 250, 200));
        ASSERT_NE(mChild->GetHWND(), nullptr);
        sLog.clear();
    }
    void TearDown() override {
        SetCapturePane(nullptr);
        gRememberedCursor = nullptr;
        if (mWindow) mWindow->Close();
        mWindow = nullptr;
        PumpOnce();
    }

    LRESULT Send(SubPane* pane, UINT message, WPARAM wParam, LPARAM lParam) {
        return SendMessageW(pane->GetHWND(), message, wParam, lParam);
    }

    RecordingWindow* mWindow = nullptr;
    Child* mChild = nullptr;
};

}  // namespace

TEST_F(PaneWindowProcTest, PressesReachTheWindowInWindowCoordinatesWithTheirFlags) {
    POINT border = {3, 4};
    ClientToScreen(mChild->GetHWND(), &border);
    const LPARAM onBorder = MAKELPARAM(border.x, border.y);
    struct Case {
        UINT message;
        WPARAM wParam;
        LPARAM lParam;
        std::string log;
    } cases[] = {
        {WM_LBUTTONDOWN, MK_SHIFT | MK_CONTROL, MAKELPARAM(5, 6), "down 55,46 m1200 c0 a1 201"},
        {WM_LBUTTONDBLCLK, 0, MAKELPARAM(5, 6), "down 55,46 m0 c0 a1 203"},
        {WM_RBUTTONDOWN, MK_SHIFT, MAKELPARAM(7, 8), "context 57,48 m200 c1 a1 204"},
        {WM_RBUTTONDBLCLK, 0, MAKELPARAM(7, 8), "context 57,48 m0 c1 a1 206"},
        // A press on the border lands one pixel inside the client area, without modifiers.
        {WM_NCLBUTTONDOWN, HTBORDER, onBorder, "down 54,45 m0 c0 a1 a1"},
        {WM_NCRBUTTONDOWN, HTBORDER, onBorder, "context 54,45 m0 c1 a1 a4"},
        // Negative words are signed.
        {WM_LBUTTONDOWN, 0, MAKELPARAM(-2, -3), "down 48,37 m0 c0 a1 201"},
    };
    for (const Case& c : cases) {
        sLog.clear();
        ModalTrackingEnded = true;
        EXPECT_EQ(Send(mChild, c.message, c.wParam, c.lParam), 0);
        EXPECT_EQ(sLog, c.log);
        EXPECT_FALSE(PaneMousePressActive) << "the flag ends with the dispatch";
        EXPECT_FALSE(ModalTrackingEnded) << "every press clears it";
    }
    sLog.clear();
    Send(mChild, WM_LBUTTONDOWN, 0, MAKELPARAM(1, 1));
    EXPECT_FALSE(ContextualClickFlag) << "a left press clears the right-press flag";
}

TEST_F(PaneWindowProcTest, MovesGoToTheWindowAndReleasesToTheCapturePane) {
    EXPECT_EQ(Send(mChild, WM_MOUSEMOVE, 0, MAKELPARAM(10, 20)), 0);
    EXPECT_EQ(sLog, "move 60,60");

    sLog.clear();
    Send(mChild, WM_LBUTTONUP, 0, MAKELPARAM(7, 8));
    EXPECT_EQ(sLog, "") << "no capture, no release";
    SetCapturePane(mChild);
    Send(mChild, WM_LBUTTONUP, 0, MAKELPARAM(7, 8));
    EXPECT_EQ(sLog, "up 57,48");
    EXPECT_EQ(GetCapturePane(), nullptr) << "the release ends the capture before MouseUp";
    SetCapturePane(mChild);
    sLog.clear();
    Send(mChild, WM_RBUTTONUP, 0, MAKELPARAM(1, 2));
    EXPECT_EQ(sLog, "up 51,42");

    sLog.clear();
    SetWindowLongW(mChild->GetHWND(), 0, 0);
    Send(mChild, WM_LBUTTONDOWN, 0, MAKELPARAM(5, 6));
    Send(mChild, WM_MOUSEMOVE, 0, MAKELPARAM(5, 6));
    EXPECT_EQ(sLog, "") << "a window without its pane makes no pane calls";
    SetWindowLongW(mChild->GetHWND(), 0, reinterpret_cast<LONG>(mChild));
}

TEST_F(PaneWindowProcTest, EveryMessageIsRecordedAsTheCurrentEvent) {
    Send(mChild, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(-1, 9));
    EXPECT_EQ(CurrentEventRecord.window, mChild->GetHWND());
    EXPECT_EQ(CurrentEventRecord.message, static_cast<uint32_t>(WM_MOUSEMOVE));
    EXPECT_EQ(CurrentEventRecord.wParam, static_cast<uint32_t>(MK_LBUTTON));
    EXPECT_EQ(CurrentEventRecord.lParam, static_cast<int32_t>(MAKELPARAM(-1, 9)));
    EXPECT_EQ(CurrentEventRecord.time, static_cast<uint32_t>(GetMessageTime()));
    const DWORD position = GetMessagePos();
    EXPECT_EQ(CurrentEventRecord.x, static_cast<int16_t>(LOWORD(position)));
    EXPECT_EQ(CurrentEventRecord.y, static_cast<int16_t>(HIWORD(position)));
    Send(mChild, WM_NULL, 0, 0);
    EXPECT_EQ(CurrentEventRecord.message, static_cast<uint32_t>(WM_NULL));
}

TEST_F(PaneWindowProcTest, ControlColoursComeFromTheParentElseTheWindow) {
    Child* inner = new Child(mChild, R(60, 50, 100, 80));
    HDC dc = GetDC(inner->GetHWND());
    auto colourOf = [&](LRESULT result) -> COLORREF {
        LOGBRUSH brush = {};
        if (!GetObjectW(reinterpret_cast<HBRUSH>(result), sizeof brush, &brush)) return CLR_INVALID;
        return brush.lbColor;
    };
    const LRESULT plain = DefWindowProcW(inner->GetHWND(), WM_CTLCOLORSTATIC,
                                         reinterpret_cast<WPARAM>(dc), 0);
    EXPECT_EQ(Send(inner, WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(dc), 0), plain)
        << "no colour anywhere: the system's answer";

    mWindow->SetBackColor(0x112233);
    SetBkMode(dc, OPAQUE);
    EXPECT_EQ(colourOf(Send(inner, WM_CTLCOLORBTN, reinterpret_cast<WPARAM>(dc), 0)),
              RGB(0x11, 0x22, 0x33));
    EXPECT_EQ(GetBkMode(dc), TRANSPARENT);
    mChild->mHasColour = true;
    EXPECT_EQ(colourOf(Send(inner, WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(dc), 0)),
              RGB(0x44, 0x55, 0x66))
        << "the parent's colour wins over the window's";
    mChild->mTabPanel = true;
    EXPECT_EQ(Send(inner, WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(dc), 0), plain)
        << "a pane in a tab panel keeps the system's background";
    ReleaseDC(inner->GetHWND(), dc);
}

TEST_F(PaneWindowProcTest, SetCursorAsksThePaneThenTheRememberedCursorThenTheDefault) {
    HCURSOR cross = LoadCursorA(nullptr, IDC_CROSS);
    HCURSOR wait = LoadCursorA(nullptr, IDC_WAIT);
    HCURSOR arrow = LoadCursorA(nullptr, IDC_ARROW);
    POINT screen = {0, 0};
    ClientToScreen(mWindow->GetHWND(), &screen);
    const PanePoint point = {screen.y + 70, screen.x + 60};

    mChild->mCursor = cross;
    ::SetCursor(arrow);
    EXPECT_TRUE(HandleSetCursorMessage(mChild, point, IDC_WAIT));
    EXPECT_EQ(sLog, "cursor 60,70") << "the point is in window coordinates";
    EXPECT_EQ(GetCursor(), cross);

    mChild->mCursor = nullptr;
    gRememberedCursor = wait;
    EXPECT_TRUE(HandleSetCursorMessage(mChild, point, IDC_ARROW));
    EXPECT_EQ(GetCursor(), wait);

    gRememberedCursor = nullptr;
    EXPECT_FALSE(HandleSetCursorMessage(mChild, point, IDC_CROSS));
    EXPECT_EQ(GetCursor(), cross) << "the default cursor";
}

TEST_F(PaneWindowProcTest, WindowPanesAreFoundThroughNativeAncestors) {
    EXPECT_EQ(FindWindowPaneForHWND(mWindow->GetHWND()), mWindow);
    EXPECT_EQ(FindWindowPaneForHWND(mChild->GetHWND()), mWindow);
    Child* inner = new Child(mChild, R(60, 50, 100, 80));
    EXPECT_EQ(FindWindowPaneForHWND(inner->GetHWND()), mWindow);
    EXPECT_EQ(FindWindowPaneForHWND(GetDesktopWindow()), nullptr);
    EXPECT_EQ(FindWindowPaneForHWND(nullptr), nullptr);
}

TEST_F(PaneWindowProcTest, TheClassesFollowThePlatformsCharacterSet) {
    EXPECT_EQ(IsWindowUnicode(mChild->GetHWND()) != FALSE, IsUnicodePlatform());
}

TEST_F(PaneWindowProcTest, NotificationsOfNativeControlsGoBackToTheirPanes) {
    HWND button = CreateWindowExA(0, "BUTTON", "b", WS_CHILD, 0, 0, 20, 20, mChild->GetHWND(),
                                  reinterpret_cast<HMENU>(7), GetModuleHandleW(nullptr), nullptr);
    HWND bare = CreateWindowExA(0, "BUTTON", "c", WS_CHILD, 0, 0, 20, 20, mChild->GetHWND(),
                                reinterpret_cast<HMENU>(8), GetModuleHandleW(nullptr), nullptr);
    ASSERT_NE(button, nullptr);
    ControlPane* control = new ControlPane(mChild);
    SetPropA(button, "QVInstance", control);
    const LPARAM to = reinterpret_cast<LPARAM>(button);
    NMHDR header = {button, 7, 1234};
    DRAWITEMSTRUCT item = {};
    item.hwndItem = button;
    item.itemID = 5;
    gKeyModifiers = 0x4000;
    struct Case {
        UINT message;
        WPARAM wParam;
        LPARAM lParam;
        const char* log;
    } cases[] = {
        {WM_COMMAND, MAKEWPARAM(7, BN_CLICKED), to, "command 0 m0;"},
        {WM_COMMAND, MAKEWPARAM(7, BN_DOUBLECLICKED), to, "command 5 m0;"},
        {WM_NOTIFY, 7, reinterpret_cast<LPARAM>(&header), "notify 1234;"},
        {WM_HSCROLL, MAKEWPARAM(SB_LINEDOWN, 0), to, "h 1;"},
        {WM_VSCROLL, MAKEWPARAM(SB_PAGEUP, 0), to, "v 2;"},
        {WM_DRAWITEM, 7, reinterpret_cast<LPARAM>(&item), "draw 5;"},
        // A control without a pane is left alone.
        {WM_COMMAND, MAKEWPARAM(8, BN_CLICKED), reinterpret_cast<LPARAM>(bare), ""},
        {WM_HSCROLL, 0, reinterpret_cast<LPARAM>(bare), ""},
    };
    for (const Case& c : cases) {
        sLog.clear();
        const LRESULT result = Send(mChild, c.message, c.wParam, c.lParam);
        EXPECT_EQ(sLog, c.log) << c.message;
        if (c.message == WM_DRAWITEM) {
            EXPECT_EQ(result, 1);
        }
    }
    EXPECT_EQ(gKeyModifiers, 0) << "a command updates the modifiers from the key state first";
    RemovePropA(button, "QVInstance");
}
