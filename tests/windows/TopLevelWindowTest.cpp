#include <gtest/gtest.h>

#include <windows.h>

#include <ole2.h>

#include <string>

#include "FailureRecorder.h"
#include "MessagePump.h"
#include "ModalDriver.h"
#include "controls/NativeControlPane.h"
#include "host/EventLoop.h"
#include "windows/EventLoopWindows.h"
#include "windows/Pane.h"
#include "windows/Screens.h"
#include "windows/TopLevelWindowClass.h"
#include "windows/WindowDropTarget.h"
#include "windows/WindowMessages.h"
#include "windows/WindowServices.h"

namespace {

Rect16 R(int left, int top, int right, int bottom) {
    return Rect16{static_cast<int16_t>(top), static_cast<int16_t>(left),
                  static_cast<int16_t>(bottom), static_cast<int16_t>(right)};
}

std::string sLog;

// A window of a kind that logs the operations its procedure and the event loop call.
class RecordingWindow : public WindowPane {
public:
    explicit RecordingWindow(int32_t kind = 8, Rect16 rect = R(100, 120, 400, 320),
                             bool closeBox = true, bool resizable = true, bool zoomBox = true)
        : WindowPane(string("test"), rect, kind, closeBox, nullptr, resizable, zoomBox, 0, false,
                     false) {}

    void Moved() override { sLog += "M"; }
    void Resized() override { sLog += "R"; }
    void Resizing(const Rect16& client) override {
        sLog += "g";
        WindowPane::Resizing(client);
    }
    void Minimize() override {
        sLog += "n";
        WindowPane::Minimize();
    }
    void Maximize() override {
        sLog += "x";
        WindowPane::Maximize();
    }
    void Restore() override {
        sLog += "r";
        WindowPane::Restore();
    }
    bool CloseRequested() override {
        sLog += "C";
        return false;
    }
    bool ContextualMenu(int32_t x, int32_t y) override {
        sLog += "menu " + std::to_string(x) + "," + std::to_string(y) + ";";
        return true;
    }
    bool MouseWheel(int32_t, int32_t, int32_t delta) override {
        sLog += "w" + std::to_string(delta) + ";";
        return true;
    }
    bool AdjustCursor(int32_t, int32_t) override {
        sLog += "a";
        return mCursorChosen;
    }
    void GetSizeLimits(Rect16& limits) override { limits = mLimits; }

    Rect16 mLimits = {0, 0, 0, 0};
    bool mCursorChosen = false;
};

class ControlPane : public NativeControlPane {
public:
    explicit ControlPane(SubPane* parent)
        : NativeControlPane(parent, 0, R(0, 0, 10, 10), string(""), "", 0, 0) {}
    void OnCommand(int32_t code) override { sLog += "command " + std::to_string(code) + ";"; }
};

class TopLevelWindowTest : public ::testing::Test {
protected:
    void SetUp() override {
        OleInitialize(nullptr);
        RegisterWindowClasses();
        sLog.clear();
    }
    void TearDown() override {
        SetFocusPane(nullptr);
        while (gWindowPaneList) gWindowPaneList->Close();
        PumpOnce();
    }
};

// The messages a window gets after an activation, so that moves and sizes reach its pane.
class WindowProcedureTest : public TopLevelWindowTest {
protected:
    void SetUp() override {
        TopLevelWindowTest::SetUp();
        mWindow = new RecordingWindow;
        ShowDeferredWindows();
        PumpOnce();
        SendMessageW(mWindow->GetHWND(), WM_ACTIVATE, WA_ACTIVE, 0);
        sLog.clear();
    }
    HWND Native() { return mWindow->GetHWND(); }

    RecordingWindow* mWindow = nullptr;
};

struct KindRow {
    int32_t kind;
    DWORD style;
    DWORD exStyle;
    bool owned;
    bool modal;
};

}  // namespace

TEST_F(TopLevelWindowTest, EveryKindAndFrameGivesItsStylesOwnerAndModality) {
    WindowPane* document = new RecordingWindow(8, R(60, 80, 360, 280));
    ShowDeferredWindows();
    PumpOnce();
    ASSERT_TRUE(IsWindowVisible(document->GetHWND()));
    const DWORD popupCaption = WS_POPUP | WS_CAPTION;
    const DWORD tool = WS_EX_TOOLWINDOW | WS_EX_WINDOWEDGE;
    const KindRow rows[] = {
        {0, WS_CAPTION, 0, false, false},
        {1, popupCaption, tool, true, false},
        {2, WS_POPUP | WS_DLGFRAME, 0, true, true},
        {3, popupCaption, WS_EX_DLGMODALFRAME, true, true},
        {4, WS_POPUP | WS_BORDER, 0, false, false},
        {5, WS_POPUP | WS_BORDER, WS_EX_CLIENTEDGE, false, true},
        {6, WS_CAPTION, 0, false, false},
        {7, WS_POPUP | WS_BORDER, tool, true, false},
        {8, WS_CAPTION, 0, false, false},
        {9, popupCaption, tool | WS_EX_TOPMOST, true, false},
        {10, popupCaption, WS_EX_DLGMODALFRAME, true, true},
        {11, WS_CAPTION, 0, false, false},  // Metal: a document window
        {12, popupCaption, tool, true, false},  // Drawer: a floating window
    };
    struct Frame {
        bool closeBox, resizable, zoomBox;
        DWORD style;
        bool closeGreyed;
    } frames[] = {
        {false, false, false, 0, false},
        {true, true, true, WS_THICKFRAME | WS_SYSMENU | WS_MINIMIZEBOX | WS_MAXIMIZEBOX, false},
        {false, false, true, WS_SYSMENU | WS_MINIMIZEBOX | WS_MAXIMIZEBOX, true},
        {true, false, false, WS_SYSMENU, false},
    };
    const DWORD styleMask =
        WS_POPUP | WS_CAPTION | WS_THICKFRAME | WS_SYSMENU | WS_MINIMIZEBOX | WS_MAXIMIZEBOX;
    const DWORD exMask = WS_EX_TOOLWINDOW | WS_EX_TOPMOST | WS_EX_DLGMODALFRAME | WS_EX_CLIENTEDGE;
    for (const KindRow& row : rows) {
        for (const Frame& frame : frames) {
            WindowPane* pane = new RecordingWindow(row.kind, R(150, 150, 350, 300), frame.closeBox,
                                                   frame.resizable, frame.zoomBox);
            HWND native = pane->GetHWND();
            ASSERT_NE(native, nullptr) << row.kind;
            const std::string where = "kind " + std::to_string(row.kind) + " frame " +
                                      std::to_string(frame.style);
            EXPECT_FALSE(IsWindowVisible(native)) << where << ": a new window waits for the loop";
            EXPECT_EQ(static_cast<DWORD>(GetWindowLongW(native, GWL_STYLE)) & styleMask,
                      row.style | frame.style)
                << where;
            const DWORD ex = static_cast<DWORD>(GetWindowLongW(native, GWL_EXSTYLE));
            // The system drops the window edge of a window with a plain border (kind 7).
            EXPECT_EQ(ex & exMask, row.exStyle & exMask) << where;
            EXPECT_EQ(GetWindow(native, GW_OWNER), row.owned ? document->GetHWND() : nullptr)
                << where;
            const UINT close = GetMenuState(GetSystemMenu(native, FALSE), SC_CLOSE, MF_BYCOMMAND);
            if (frame.closeGreyed) {
                EXPECT_TRUE(close != 0xFFFFFFFF && (close & MF_GRAYED)) << where;
            } else if (close != 0xFFFFFFFF) {
                EXPECT_FALSE(close & MF_GRAYED) << where;
            }
            EXPECT_EQ(pane->IsModal(), row.modal) << where;
            ShowWindow(native, SW_SHOWNA);
            EXPECT_EQ(IsBlockedByFrontWindow(document->GetHWND()), row.modal) << where;
            EXPECT_EQ(GetFrontVisibleHWND(), row.modal ? native : document->GetHWND()) << where;
            pane->Close();
            EXPECT_FALSE(IsBlockedByFrontWindow(document->GetHWND())) << where;
        }
    }
}

TEST_F(TopLevelWindowTest, AHiddenModalWindowOwnsNothing) {
    WindowPane* document = new RecordingWindow(8, R(60, 80, 360, 280));
    WindowPane* modal = new RecordingWindow(3, R(100, 100, 300, 200));
    ShowDeferredWindows();
    PumpOnce();
    WindowPane* overModal = new RecordingWindow(1);
    EXPECT_EQ(GetWindow(overModal->GetHWND(), GW_OWNER), modal->GetHWND());
    modal->Hide();
    WindowPane* overDocument = new RecordingWindow(1);
    EXPECT_EQ(GetWindow(overDocument->GetHWND(), GW_OWNER), document->GetHWND());
}

TEST_F(TopLevelWindowTest, DestructionKeepsTheMenuAndRevokesTheDropTarget) {
    WindowPane* pane = new RecordingWindow;
    HWND native = pane->GetHWND();
    HMENU menu = CreateMenu();
    AppendMenuW(menu, MF_STRING, 1, L"File");
    SetMenu(native, menu);
    ASSERT_NE(pane->dropTarget, nullptr);
    EXPECT_EQ(RegisterDragDrop(native, pane->dropTarget), DRAGDROP_E_ALREADYREGISTERED);
    WindowDropTarget* target = pane->dropTarget;
    target->AddRef();
    pane->SetNamedProperty(string("RuntimeViewWindow"), 1);
    WindowPane* back = pane;
    pane->backReferenceSlot = &back;
    pane->Close();
    EXPECT_FALSE(IsWindow(native));
    EXPECT_TRUE(IsMenu(menu)) << "the menu bar outlives its window";
    EXPECT_EQ(target->Release(), 0u) << "OLE let go of the drop target";
    EXPECT_EQ(back, nullptr);
    DestroyMenu(menu);
}

TEST_F(TopLevelWindowTest, NamedPropertiesMatchWithoutCase) {
    WindowPane* pane = new RecordingWindow;
    int32_t value = -1;
    EXPECT_FALSE(pane->GetNamedProperty(string("Size"), value));
    EXPECT_EQ(value, 0);
    pane->SetNamedProperty(string("Size"), 3);
    pane->SetNamedProperty(string("Other"), 4);
    pane->SetNamedProperty(string("SIZE"), 5);
    EXPECT_TRUE(pane->GetNamedProperty(string("size"), value));
    EXPECT_EQ(value, 5);
    EXPECT_EQ(pane->namedProperties.size(), 2u);
}

TEST_F(TopLevelWindowTest, ShowingWaitsForTheNextStepAndAHiddenWindowNeverShows) {
    WindowPane* shown = new RecordingWindow(8, R(100, 120, 300, 220));
    WindowPane* hidden = new RecordingWindow(8, R(320, 120, 500, 220));
    // Windows notice paints and activations of a window that flashed on screen.
    bool hiddenEverVisible = false;
    hidden->Hide();
    EXPECT_FALSE(IsWindowVisible(shown->GetHWND()));
    ShowDeferredWindows();
    hiddenEverVisible |= IsWindowVisible(hidden->GetHWND()) != 0;
    PumpOnce();
    ShowDeferredWindows();
    hiddenEverVisible |= IsWindowVisible(hidden->GetHWND()) != 0;
    EXPECT_TRUE(IsWindowVisible(shown->GetHWND()));
    EXPECT_FALSE(hiddenEverVisible);
    // The client area sits where it was asked for.
    POINT origin = {0, 0};
    ClientToScreen(shown->GetHWND(), &origin);
    RECT client;
    GetClientRect(shown->GetHWND(), &client);
    EXPECT_EQ(origin.x, 100);
    EXPECT_EQ(origin.y, 120);
    EXPECT_EQ(client.right, 200);
    EXPECT_EQ(client.bottom, 100);
    hidden->RequestShow();
    ShowDeferredWindows();
    EXPECT_TRUE(IsWindowVisible(hidden->GetHWND()));
}

namespace {

HWND sCountedWindow = nullptr;
int sWindowPosChanges = 0;

LRESULT CALLBACK CountMoves(int code, WPARAM wParam, LPARAM lParam) {
    auto* message = reinterpret_cast<CWPSTRUCT*>(lParam);
    if (code == HC_ACTION && message->hwnd == sCountedWindow &&
        message->message == WM_WINDOWPOSCHANGED)
        ++sWindowPosChanges;
    return CallNextHookEx(nullptr, code, wParam, lParam);
}

}  // namespace

TEST_F(WindowProcedureTest, RequestedBoundsMakeOneMoveAndFireOnlyWhenAsked) {
    HHOOK hook = SetWindowsHookExW(WH_CALLWNDPROC, CountMoves, nullptr, GetCurrentThreadId());
    sCountedWindow = Native();
    struct Case {
        bool fireMove, fireSize;
        const char* log;
    } cases[] = {{false, false, ""}, {true, false, "M"}, {false, true, "R"}, {true, true, "MR"}};
    int step = 0;
    for (const Case& c : cases) {
        ++step;
        sWindowPosChanges = 0;
        sLog.clear();
        mWindow->SetPosition(150 + step * 10, 140 + step * 5, c.fireMove);
        mWindow->SetSize(250 + step, 180 - step, c.fireSize);
        EXPECT_EQ(sWindowPosChanges, 0) << "nothing moves before the next step";
        ShowDeferredWindows();
        PumpOnce();
        ShowDeferredWindows();
        EXPECT_EQ(sWindowPosChanges, 1) << step;
        EXPECT_EQ(sLog, c.log) << step;
        Rect16 client;
        mWindow->GetClientBoundsOnScreen(client);
        EXPECT_EQ(client.left, 150 + step * 10);
        EXPECT_EQ(client.top, 140 + step * 5);
        EXPECT_EQ(client.right - client.left, 250 + step);
        EXPECT_EQ(client.bottom - client.top, 180 - step);
        EXPECT_EQ(mWindow->width, 250 + step);
    }
    UnhookWindowsHookEx(hook);

    // A move from outside is reported once, by the next step at the latest.
    sLog.clear();
    SetWindowPos(Native(), nullptr, 40, 60, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    PumpOnce();
    ShowDeferredWindows();
    ShowDeferredWindows();
    EXPECT_EQ(sLog, "M");
}

TEST(BeforeActivation, NothingMovesOrSizesAndTheNextStepReportsTheUsersMove) {
    OleInitialize(nullptr);
    RegisterWindowClasses();
    ASSERT_FALSE(WindowsActivatedOnce);
    auto* pane = new RecordingWindow(4);
    sLog.clear();
    SendMessageW(pane->GetHWND(), WM_SIZE, SIZE_MAXIMIZED, MAKELPARAM(10, 10));
    RECT sizing = {0, 0, 10, 10};
    pane->mLimits = R(50, 50, 0, 0);
    SendMessageW(pane->GetHWND(), WM_SIZING, WMSZ_RIGHT, reinterpret_cast<LPARAM>(&sizing));
    SetWindowPos(pane->GetHWND(), nullptr, 30, 40, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    EXPECT_EQ(sLog, "");
    EXPECT_EQ(sizing.right, 10);
    pane->ApplyPendingBounds();
    EXPECT_EQ(sLog, "M") << "a move the pane did not ask for is the user's";
    pane->Close();
}

TEST_F(WindowProcedureTest, SizeMessagesFollowMinimizeMaximizeAndTheSizeMoveLoop) {
    mWindow->liveResizeKnown = true;
    struct Case {
        const char* what;
        bool live;
        void (*act)(HWND);
        const char* log;
    } cases[] = {
        {"maximize", false, [](HWND w) { ShowWindow(w, SW_MAXIMIZE); }, "xR"},
        {"restore", false, [](HWND w) { ShowWindow(w, SW_RESTORE); }, "rR"},
        {"minimize", false, [](HWND w) { ShowWindow(w, SW_MINIMIZE); }, "n"},
        {"size while minimized", false,
         [](HWND w) { SendMessageW(w, WM_SIZE, SIZE_MINIMIZED, 0); }, "n"},
        {"restore from minimized", false, [](HWND w) { ShowWindow(w, SW_RESTORE); }, "rR"},
        {"plain size", false, [](HWND w) { SendMessageW(w, WM_SIZE, SIZE_RESTORED, 0); }, "R"},
        {"size-move loop", false,
         [](HWND w) {
             SendMessageW(w, WM_ENTERSIZEMOVE, 0, 0);
             SendMessageW(w, WM_SIZE, SIZE_RESTORED, 0);
             SendMessageW(w, WM_SIZE, SIZE_RESTORED, 0);
             SendMessageW(w, WM_EXITSIZEMOVE, 0, 0);
         },
         "ggR"},
        {"live size-move loop", true,
         [](HWND w) {
             SendMessageW(w, WM_ENTERSIZEMOVE, 0, 0);
             SendMessageW(w, WM_SIZE, SIZE_RESTORED, 0);
             SendMessageW(w, WM_EXITSIZEMOVE, 0, 0);
         },
         "gRR"},
        {"loop without a size", false,
         [](HWND w) {
             SendMessageW(w, WM_ENTERSIZEMOVE, 0, 0);
             SendMessageW(w, WM_EXITSIZEMOVE, 0, 0);
         },
         ""},
    };
    for (const Case& c : cases) {
        mWindow->liveResize = c.live;
        sLog.clear();
        c.act(Native());
        PumpOnce();
        // Moves and cursors of the size changes are no business of this table.
        std::string sizes;
        for (char ch : sLog)
            if (std::string("xnrRg").find(ch) != std::string::npos) sizes += ch;
        EXPECT_EQ(sizes, c.log) << c.what;
    }
}

TEST_F(WindowProcedureTest, CloseNeverDestroysAndAnOutsideDestroyLeavesNoHandle) {
    SendMessageW(Native(), WM_CLOSE, 0, 0);
    EXPECT_EQ(sLog, "C");
    EXPECT_TRUE(IsWindow(Native()));

    // A floating window owned by the document dies with it.
    auto* floating = new RecordingWindow(1);
    HWND floatingNative = floating->GetHWND();
    ASSERT_EQ(GetWindow(floatingNative, GW_OWNER), Native());
    HWND documentNative = Native();
    sLog.clear();
    PostMessageW(documentNative, 0x862, 1, 2);
    PumpOnce();
    EXPECT_FALSE(IsWindow(documentNative));
    EXPECT_FALSE(IsWindow(floatingNative));
    EXPECT_EQ(mWindow->GetHWND(), nullptr);
    EXPECT_EQ(floating->GetHWND(), nullptr) << "a pane whose window died with its owner";
    EXPECT_EQ(sLog, "CC") << "both hear that their windows are going";
    ShowDeferredWindows();
    EXPECT_EQ(sLog, "CC") << "a pane without a window is left alone";
}

namespace {
int sBeeps = 0;
}

TEST_F(WindowProcedureTest, AClickBehindAVisibleModalWindowIsEatenWithABeep) {
    SetBlockedClickBeepForTesting([] { ++sBeeps; });
    auto* modal = new RecordingWindow(2, R(200, 200, 300, 260));
    ShowDeferredWindows();
    PumpOnce();
    const LPARAM click = MAKELPARAM(HTCLIENT, WM_LBUTTONDOWN);
    EXPECT_EQ(SendMessageW(Native(), WM_MOUSEACTIVATE, reinterpret_cast<WPARAM>(Native()), click),
              MA_NOACTIVATEANDEAT);
    EXPECT_EQ(sBeeps, 1);
    EXPECT_NE(SendMessageW(modal->GetHWND(), WM_MOUSEACTIVATE,
                           reinterpret_cast<WPARAM>(modal->GetHWND()), click),
              MA_NOACTIVATEANDEAT);
    modal->Hide();
    EXPECT_NE(SendMessageW(Native(), WM_MOUSEACTIVATE, reinterpret_cast<WPARAM>(Native()), click),
              MA_NOACTIVATEANDEAT);
    EXPECT_EQ(sBeeps, 1);
    SetBlockedClickBeepForTesting(nullptr);
}

TEST_F(WindowProcedureTest, TheBackgroundIsTheBackColourElseTheButtonFace) {
    HDC dc = GetDC(Native());
    struct Case {
        bool colour;
        COLORREF expected;
    } cases[] = {{false, GetSysColor(COLOR_BTNFACE)}, {true, RGB(0x20, 0x80, 0xC0)}};
    for (const Case& c : cases) {
        if (c.colour) mWindow->SetBackColor(0x2080C0);
        EXPECT_EQ(SendMessageW(Native(), WM_ERASEBKGND, reinterpret_cast<WPARAM>(dc), 0), 1);
        EXPECT_EQ(GetPixel(dc, 5, 5), c.expected);
        EXPECT_EQ(GetPixel(dc, 150, 100), c.expected);
    }
    ReleaseDC(Native(), dc);
}

TEST_F(WindowProcedureTest, CursorsAreAskedOnlyOverTheClientArea) {
    struct Case {
        WORD hit;
        bool chosen;
        const char* log;
        LRESULT result;
    } cases[] = {{HTCLIENT, true, "a", 1}, {HTCLIENT, false, "a", 0}, {HTCAPTION, true, "", -1}};
    for (const Case& c : cases) {
        mWindow->mCursorChosen = c.chosen;
        sLog.clear();
        const LRESULT result = SendMessageW(Native(), WM_SETCURSOR,
                                            reinterpret_cast<WPARAM>(Native()),
                                            MAKELPARAM(c.hit, WM_MOUSEMOVE));
        EXPECT_EQ(sLog, c.log) << c.hit;
        if (c.result >= 0) {
            EXPECT_EQ(result, c.result) << c.hit;
        }
    }
}

TEST_F(WindowProcedureTest, TheWheelGivesWholeLinesInsideTheClientArea) {
    UINT savedLines = 3;
    SystemParametersInfoW(SPI_GETWHEELSCROLLLINES, 0, &savedLines, 0);
    SystemParametersInfoW(SPI_SETWHEELSCROLLLINES, 3, nullptr, 0);
    POINT inside = {50, 40};
    ClientToScreen(Native(), &inside);
    const LPARAM in = MAKELPARAM(inside.x, inside.y);
    const LPARAM out = MAKELPARAM(inside.x - 100, inside.y);
    struct Case {
        short delta;
        LPARAM at;
        const char* log;
    } cases[] = {
        {120, in, "w-3;"}, {-120, in, "w3;"}, {20, in, ""}, {20, in, "w-1;"},
        {240, in, "w-6;"}, {120, out, ""},
    };
    for (const Case& c : cases) {
        sLog.clear();
        SendMessageW(Native(), WM_MOUSEWHEEL, MAKEWPARAM(0, c.delta), c.at);
        EXPECT_EQ(sLog, c.log) << c.delta;
    }
    SystemParametersInfoW(SPI_SETWHEELSCROLLLINES, savedLines, nullptr, 0);
}

TEST_F(WindowProcedureTest, AKeyboardContextMenuOpensAtTheFocusWindowsCorner) {
    HWND edit = CreateWindowExW(0, L"EDIT", L"", WS_CHILD | WS_VISIBLE, 30, 40, 80, 20, Native(),
                                nullptr, GetModuleHandleW(nullptr), nullptr);
    SetFocus(edit);
    ASSERT_EQ(GetFocus(), edit);
    SendMessageW(Native(), WM_CONTEXTMENU, reinterpret_cast<WPARAM>(Native()), MAKELPARAM(-1, -1));
    EXPECT_EQ(sLog, "menu 30,40;");
    sLog.clear();
    POINT point = {70, 15};
    ClientToScreen(Native(), &point);
    SendMessageW(Native(), WM_CONTEXTMENU, reinterpret_cast<WPARAM>(Native()),
                 MAKELPARAM(point.x, point.y));
    EXPECT_EQ(sLog, "menu 70,15;");
}

TEST_F(WindowProcedureTest, CommandsOfNativeControlsGoToTheirPanes) {
    auto* control = new ControlPane(mWindow);
    HWND button = CreateWindowExW(0, L"BUTTON", L"OK", WS_CHILD | WS_VISIBLE, 10, 10, 60, 20,
                                  Native(), reinterpret_cast<HMENU>(7), GetModuleHandleW(nullptr),
                                  nullptr);
    SetPropA(button, "QVInstance", control);
    SendMessageW(Native(), WM_COMMAND, MAKEWPARAM(7, BN_CLICKED), reinterpret_cast<LPARAM>(button));
    EXPECT_EQ(sLog, "command 0;");
    sLog.clear();
    // No menu handler takes a menu command yet: it goes on to the default processing.
    EXPECT_EQ(SendMessageW(Native(), WM_COMMAND, MAKEWPARAM(100, 0), 0), 0);
    EXPECT_EQ(sLog, "");
    RemovePropA(button, "QVInstance");
}

TEST_F(WindowProcedureTest, SizingKeepsWithinTheLimitsThatAreSet) {
    Rect16 client;
    mWindow->GetClientBoundsOnScreen(client);
    const int fx = GetSystemMetrics(SM_CXFRAME);
    const int fy = GetSystemMetrics(SM_CYFRAME);
    const int caption = GetSystemMetrics(SM_CYCAPTION);
    // Limits: minimum height and width, maximum height and width.
    struct Case {
        Rect16 limits;
        int edge;
        RECT proposed;
        RECT expected;
    } cases[] = {
        // No limits: nothing changes.
        {R(0, 0, 0, 0), WMSZ_RIGHT, {0, 0, 10, 10}, {0, 0, 10, 10}},
        // Only a minimum width: narrower is widened, wider stays.
        {R(120, 0, 0, 0), WMSZ_RIGHT, {0, 0, client.left + 50, 500},
         {0, 0, client.left + 120 + fx, 500}},
        {R(120, 0, 0, 0), WMSZ_RIGHT, {0, 0, client.left + 900, 500},
         {0, 0, client.left + 900, 500}},
        {R(0, 0, 300, 200), WMSZ_BOTTOM, {0, 0, client.left + 50, client.top + 900},
         {0, 0, client.left + 50, client.top + 200 + fy}},
        {R(0, 0, 300, 0), WMSZ_LEFT, {0, 0, 1000, 700}, {1000 - 300 - 2 * fx, 0, 1000, 700}},
        {R(0, 60, 0, 0), WMSZ_TOP, {0, 500, 300, 520}, {0, 520 - 60 - 2 * fy - caption, 300, 520}},
    };
    for (const Case& c : cases) {
        mWindow->mLimits = c.limits;
        RECT rect = c.proposed;
        SendMessageW(Native(), WM_SIZING, c.edge, reinterpret_cast<LPARAM>(&rect));
        EXPECT_EQ(rect.left, c.expected.left) << c.edge;
        EXPECT_EQ(rect.top, c.expected.top) << c.edge;
        EXPECT_EQ(rect.right, c.expected.right) << c.edge;
        EXPECT_EQ(rect.bottom, c.expected.bottom) << c.edge;
    }
}

TEST_F(TopLevelWindowTest, PlacementFollowsTheFrontWindowOfTheKindGroup) {
    ScreenArea screens[4];
    ASSERT_GE(GetScreenAreas(screens, 4), 1);
    const Rect16 avail = screens[0].available;
    WindowPane* document = new RecordingWindow(8, R(avail.left + 100, avail.top + 100,
                                                    avail.left + 500, avail.top + 400));
    ShowDeferredWindows();
    PumpOnce();
    struct Case {
        int32_t placement, kind;
        int left, top;
    } cases[] = {
        // Centred over the document, 30 below its top.
        {1, 8, avail.left + 100 + (400 - 200) / 2, avail.top + 130},
        {4, 0, avail.left + 120, avail.top + 120},  // staggered from it
        {0, 8, 4, 100},                               // moved by (4, 100), then kept on screen
    };
    for (const Case& c : cases) {
        Rect16 rect = R(0, 0, 200, 100);
        PlaceWindowBounds(&rect, c.placement, c.kind);
        Rect16 expected = R(c.left, c.top, c.left + 200, c.top + 100);
        ConstrainRectToScreen(expected);
        EXPECT_EQ(rect.left, expected.left) << c.placement;
        EXPECT_EQ(rect.top, expected.top) << c.placement;
        EXPECT_EQ(rect.right - rect.left, 200);
    }
    // Floating windows have no reference here: Parent becomes MainScreen.
    Rect16 floating = R(0, 0, 200, 100);
    PlaceWindowBounds(&floating, 1, 1);
    const Rect16 full = screens[0].full;
    EXPECT_EQ(floating.left, (full.right - full.left - 200) / 2 + full.left);
    FailureRecorder recorder;
    PlaceWindowBounds(nullptr, 0, 8);
    ASSERT_EQ(recorder.Count(), 1u);
    EXPECT_EQ(recorder.Last().condition, "rBounds");
    (void)document;
}

TEST_F(TopLevelWindowTest, TheFrontAndActiveWindowPanes) {
    WindowPane* document = new RecordingWindow(8, R(60, 80, 360, 280));
    WindowPane* floating = new RecordingWindow(1, R(400, 80, 500, 180));
    ShowDeferredWindows();
    PumpOnce();
    SetForegroundWindow(document->GetHWND());
    PumpOnce();
    EXPECT_EQ(GetFrontWindowPane(), document) << "a floating window is never the front one";
    EXPECT_EQ(GetActiveWindowPane(), document);
    EXPECT_TRUE(IsKeyWindowOrFloating(floating));
    EXPECT_TRUE(IsKeyWindowOrFloating(document));
    EXPECT_FALSE(IsKeyWindowOrFloating(nullptr));
    WindowPane* modal = new RecordingWindow(10, R(100, 100, 200, 200));
    ShowDeferredWindows();
    PumpOnce();
    EXPECT_EQ(GetFrontWindowPane(), modal) << "a visible modal window comes first";
    EXPECT_FALSE(IsKeyWindowOrFloating(document));
}

namespace {

WindowPane* sModalPane = nullptr;

void CALLBACK HideModalPane(HWND, UINT, UINT_PTR id, DWORD) {
    KillTimer(nullptr, id);
    sModalPane->Hide();
}

void CALLBACK Quit(HWND, UINT, UINT_PTR id, DWORD) {
    KillTimer(nullptr, id);
    SetQuitFlag();
}

}  // namespace

TEST(ModalRun, AHideFromATimerEndsIt) {
    RegisterWindowClasses();
    WindowPane* sPane = sModalPane = new RecordingWindow(3);
    const UINT_PTR timer = SetTimer(nullptr, 0, 50, HideModalPane);
    ASSERT_NE(timer, 0u);
    const DWORD start = GetTickCount();
    sPane->RunModal();
    EXPECT_LT(GetTickCount() - start, 3000u);
    EXPECT_FALSE(sPane->IsShown());
    sPane->Close();
}

TEST(ModalRunQuitting, QuittingEndsIt) {
    RegisterWindowClasses();
    WindowPane* pane = new RecordingWindow(3);
    const UINT_PTR timer = SetTimer(nullptr, 0, 50, Quit);
    ASSERT_NE(timer, 0u);
    pane->RunModal();
    EXPECT_TRUE(IsQuitting());
    EXPECT_TRUE(pane->IsShown());
    pane->Close();
}
