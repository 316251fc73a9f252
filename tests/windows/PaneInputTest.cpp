#include <gtest/gtest.h>

#include <windows.h>

#include <string>

#include "ModalDriver.h"
#include "files/FileType.h"
#include "host/EventLoop.h"
#include "windows/MouseCursor.h"
#include "windows/Pane.h"
#include "windows/PaneWindowClass.h"
#include "windows/Tooltips.h"

namespace {

Rect16 R(int left, int top, int right, int bottom) {
    return Rect16{static_cast<int16_t>(top), static_cast<int16_t>(left),
                  static_cast<int16_t>(bottom), static_cast<int16_t>(right)};
}

std::string sLog;

// Writes what reaches it into the log under its name: "A+" enter, "A-" exit, "A(x,y)" a move in
// its own coordinates, "A!" a contextual press, "A:c" a key, "A^" got focus.
class RecordingPane : public BasicPane {
public:
    RecordingPane(SubPane* parent, Rect16 rect, char name)
        : BasicPane(parent, 0, rect, string(""), "QV_Pane", 0, 0), mName(name) {}
    ~RecordingPane() override { sLog += std::string(1, mName) + "~ "; }

    void MouseEnter() override { Note("+"); }
    void MouseExit() override { Note("-"); }
    void MouseMove(int32_t x, int32_t y) override {
        Note("(" + std::to_string(x) + "," + std::to_string(y) + ")");
        SubPane::MouseMove(x, y);
    }
    bool ContextualMouseDown(int32_t x, int32_t y, int32_t modifiers) override {
        Note("!");
        return mHandles || SubPane::ContextualMouseDown(x, y, modifiers);
    }
    bool KeyDown(uint8_t character, uint8_t, int32_t) override {
        Note(":" + std::to_string(character));
        if (mClosesOnKey) Close();
        return true;
    }
    bool AcceptsFocus() override { return mAcceptsFocus; }
    void GotFocus() override { Note("^"); }

    void Note(const std::string& what) { sLog += std::string(1, mName) + what + " "; }

    char mName;
    bool mHandles = false;
    bool mClosesOnKey = false;
    bool mAcceptsFocus = false;
};

// Shrinks its pane's hit rectangle to the bottom-right quarter.
class QuarterDelegate : public PaneDelegate {
public:
    void AdjustRect(SubPane*, Rect16& rect) override {
        rect.left = static_cast<int16_t>((rect.left + rect.right) / 2);
        rect.top = static_cast<int16_t>((rect.top + rect.bottom) / 2);
    }
};

class PaneInputTest : public ::testing::Test {
protected:
    void SetUp() override {
        RegisterPaneWindowClasses();
        HWND window = CreateWindowExW(0, L"QV_Pane", L"root", WS_POPUP | WS_VISIBLE, 50, 60, 400,
                                      300, nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
        ASSERT_NE(window, nullptr);
        mRoot = new WindowPane(window);
        sLog.clear();
    }
    void TearDown() override {
        if (mRoot) mRoot->Close();
        sLog.clear();
        PumpOnce();
    }

    WindowPane* mRoot = nullptr;
};

BOOL CALLBACK CountToolTip(HWND window, LPARAM counter) {
    char name[32] = {};
    GetClassNameA(window, name, sizeof name);
    if (lstrcmpiA(name, "tooltips_class32") == 0) ++*reinterpret_cast<int*>(counter);
    return TRUE;
}

int CountThreadToolTips() {
    int count = 0;
    EnumThreadWindows(GetCurrentThreadId(), CountToolTip, reinterpret_cast<LPARAM>(&count));
    return count;
}

}  // namespace

TEST_F(PaneInputTest, MousePathsDeliverExitsBeforeEntersWithPaneLocalPoints) {
    struct Step {
        int x, y;
        char hide;  // a pane hidden before the move, or 0
        const char* expected;
    };
    struct Path {
        const char* name;
        Step steps[3];
    } paths[] = {
        // B was added before A, so only a separate exit pass puts A's exit first.
        {"from A straight into B",
         {{15, 15, 0, "A+ A(5,5) "}, {110, 20, 0, "A- B+ B(10,10) "}, {0, 0, 0, nullptr}}},
        {"into two overlapping children",
         {{240, 40, 0, "C+ C(40,30) D+ D(10,10) "}, {270, 70, 0, "C- D(40,40) "}, {0, 0, 0, nullptr}}},
        {"into a nested child",
         {{25, 25, 0, "A+ A(15,15) N+ N(5,5) "}, {45, 45, 0, "A(35,35) N- "}, {0, 0, 0, nullptr}}},
        {"over a child hidden meanwhile",
         {{20, 110, 0, "H+ H(10,10) "}, {25, 115, 'H', "H- "}, {30, 120, 0, ""}}},
        {"out of the window",
         {{15, 15, 0, "A+ A(5,5) "}, {-5, -5, 0, "A- "}, {0, 0, 0, nullptr}}},
    };
    for (const Path& path : paths) {
        SCOPED_TRACE(path.name);
        RecordingPane* b = new RecordingPane(mRoot, R(100, 10, 150, 50), 'B');
        RecordingPane* a = new RecordingPane(mRoot, R(10, 10, 50, 50), 'A');
        new RecordingPane(a, R(20, 20, 40, 40), 'N');
        new RecordingPane(mRoot, R(200, 10, 260, 60), 'C');
        new RecordingPane(mRoot, R(230, 30, 290, 90), 'D');
        RecordingPane* h = new RecordingPane(mRoot, R(10, 100, 60, 150), 'H');
        for (const Step& step : path.steps) {
            if (!step.expected) break;
            if (step.hide == 'H') h->SetVisible(false);
            sLog.clear();
            mRoot->MouseMove(step.x, step.y);
            EXPECT_EQ(sLog, step.expected) << "at " << step.x << "," << step.y;
        }
        sLog.clear();
        while (mRoot->ChildCount() > 0) mRoot->ChildAt(mRoot->ChildCount() - 1)->Close();
        (void)b;
    }
}

TEST_F(PaneInputTest, ContextualPressesAndCursorsGoFrontToBackThroughTheDelegatesRectangle) {
    RecordingPane* back = new RecordingPane(mRoot, R(0, 0, 100, 100), 'Q');
    RecordingPane* front = new RecordingPane(mRoot, R(40, 40, 140, 140), 'P');
    static QuarterDelegate quarter;  // outlives the pane, which tells it when it closes
    front->SetDelegate(&quarter);  // hit rectangle (90, 90)-(140, 140)
    back->mHandles = front->mHandles = true;

    struct Case {
        int x, y;
        const char* pressed;
    } presses[] = {{60, 60, "Q! "}, {95, 95, "P! "}, {120, 120, "P! "}, {200, 200, ""}};
    for (const Case& c : presses) {
        sLog.clear();
        EXPECT_EQ(mRoot->ContextualMouseDown(c.x, c.y, 0), c.pressed[0] != 0) << c.x;
        EXPECT_EQ(sLog, c.pressed) << c.x;
    }
    front->mHandles = false;
    sLog.clear();
    EXPECT_TRUE(mRoot->ContextualMouseDown(95, 95, 0)) << "a front pane that declines passes on";
    EXPECT_EQ(sLog, "P! Q! ");

    MouseCursorHandle* wait = WrapCursorHandle(LoadCursorA(nullptr, IDC_WAIT));
    MouseCursorHandle* empty = NewArrowCursorHandle(true);
    back->cursor = wait;
    SetCursor(LoadCursorA(nullptr, IDC_IBEAM));
    EXPECT_TRUE(mRoot->AdjustCursor(60, 60));
    EXPECT_EQ(GetCursor(), wait->handle);
    EXPECT_TRUE(mRoot->AdjustCursor(95, 95)) << "the front pane has no cursor: the back one's";
    EXPECT_FALSE(mRoot->AdjustCursor(120, 120));
    front->cursor = empty;
    SetCursor(LoadCursorA(nullptr, IDC_IBEAM));
    EXPECT_TRUE(mRoot->AdjustCursor(120, 120)) << "a pane with an empty holder claims the cursor";
    EXPECT_EQ(GetCursor(), LoadCursorA(nullptr, IDC_ARROW)) << "and sets the arrow, not none";
    back->cursor = front->cursor = nullptr;
    delete wait;
    delete empty;
}

TEST_F(PaneInputTest, KeysCharactersFocusAndMenusFollowTheTree) {
    RecordingPane* outer = new RecordingPane(mRoot, R(10, 10, 200, 200), 'O');
    RecordingPane* inner = new RecordingPane(outer, R(20, 20, 80, 80), 'I');
    struct Case {
        int32_t character;
        bool handled;
        const char* log;
    } characters[] = {{127, true, "I:127 "}, {200, false, ""}, {128, false, ""}, {65, true, "I:65 "}};
    for (const Case& c : characters) {
        sLog.clear();
        EXPECT_EQ(inner->KeyChar(c.character, 0, 0), c.handled) << c.character;
        EXPECT_EQ(sLog, c.log) << c.character;
    }
    EXPECT_FALSE(inner->UnhandledKeyDown('a', 0, 0)) << "the chain ends without a handler";
    EXPECT_FALSE(inner->HandleMenuCommand(5));

    EXPECT_FALSE(mRoot->HasFocusableDescendant(nullptr));
    inner->mAcceptsFocus = true;
    EXPECT_TRUE(mRoot->HasFocusableDescendant(nullptr));
    EXPECT_FALSE(mRoot->HasFocusableDescendant(inner));

    // The window has never been activated: the pane is only remembered.
    HWND focusBefore = GetFocus();
    sLog.clear();
    outer->TakeFocus();
    EXPECT_EQ(mRoot->focusPane, nullptr) << "a pane that declines the focus is not remembered";
    inner->TakeFocus();
    EXPECT_EQ(mRoot->focusPane, inner);
    EXPECT_NE(GetFocusPane(), inner);
    EXPECT_EQ(GetFocus(), focusBefore);
    EXPECT_EQ(sLog, "");

    mRoot->Activate();
    EXPECT_TRUE(mRoot->active);
    SetForegroundWindow(mRoot->GetHWND());
    inner->TakeFocus();
    EXPECT_EQ(GetFocusPane(), inner);
    EXPECT_EQ(GetFocus(), inner->GetHWND());
    EXPECT_EQ(sLog, "I^ ");
    ClearKeyboardFocus();
    EXPECT_EQ(GetFocusPane(), nullptr);
    EXPECT_EQ(GetFocus(), nullptr);
}

TEST_F(PaneInputTest, AHelpTagWinsOverBalloonHelp) {
    RecordingPane* pane = new RecordingPane(mRoot, R(10, 10, 100, 100), 'T');
    const int before = CountThreadToolTips();

    pane->SetHelpTag(string("tip"));
    pane->SetBalloonHelp(string("x"));
    EXPECT_NE(pane->helpTagTip->GetToolTipHWND(), nullptr);
    EXPECT_EQ(pane->balloonTip->GetToolTipHWND(), nullptr) << "balloon help after a help tag";
    EXPECT_EQ(CountThreadToolTips(), before + 1);

    pane->SetHelpTag(string(""));
    pane->SetBalloonHelp(string("x"));
    EXPECT_EQ(pane->helpTagTip->GetToolTipHWND(), nullptr);
    EXPECT_NE(pane->balloonTip->GetToolTipHWND(), nullptr);
    EXPECT_EQ(CountThreadToolTips(), before + 1);

    pane->SetHelpTag(string("tip"));
    EXPECT_EQ(pane->balloonTip->GetToolTipHWND(), nullptr) << "a help tag removes the balloon";
    EXPECT_NE(pane->helpTagTip->GetToolTipHWND(), nullptr);
    EXPECT_EQ(CountThreadToolTips(), before + 1);
}

TEST_F(PaneInputTest, DropTargetsAndAcceptedTypes) {
    RecordingPane* plain = new RecordingPane(mRoot, R(10, 10, 100, 100), 'X');
    RecordingPane* taker = new RecordingPane(mRoot, R(200, 10, 300, 100), 'Y');
    RecordingPane* nested = new RecordingPane(taker, R(220, 20, 260, 60), 'Z');
    taker->AcceptDataDrop(string("TEXT"));
    taker->AcceptDataDrop(string("text"));
    taker->AcceptDataDrop(string("PICT"));
    ASSERT_NE(taker->acceptedDataTypes, nullptr);
    EXPECT_EQ(std::string(taker->acceptedDataTypes->name.CString()), "PICT") << "new names first";
    ASSERT_NE(taker->acceptedDataTypes->next, nullptr);
    EXPECT_EQ(std::string(taker->acceptedDataTypes->next->name.CString()), "TEXT");
    EXPECT_EQ(taker->acceptedDataTypes->next->next, nullptr) << "TEXT and text are one entry";

    // The root window's client area begins at the screen point (50, 60).
    EXPECT_EQ(mRoot->FindDropTarget(50 + 20, 60 + 20, nullptr), nullptr) << "nobody accepts";
    mRoot->AcceptFileDrop(string("Text"));
    EXPECT_EQ(mRoot->FindDropTarget(50 + 20, 60 + 20, nullptr), mRoot)
        << "a child that accepts nothing falls back to its parent";
    EXPECT_EQ(mRoot->FindDropTarget(50 + 230, 60 + 30, nullptr), taker) << "through Z";
    EXPECT_EQ(mRoot->FindDropTarget(50 + 290, 60 + 90, nullptr), taker);
    EXPECT_EQ(mRoot->GetCurrentDragItem(), nullptr);
    (void)plain;
    (void)nested;
}

TEST_F(PaneInputTest, AcceptedFileTypesMatchRegisteredTypes) {
    RuntimeRegisterFileType(string("Text").Record(), string("TEXT").Record(),
                            string("ttxt").Record(), string(".txt;.text").Record());
    RuntimeRegisterFileType(string("Anything").Record(), string("????").Record(),
                            string("").Record(), string("").Record());
    RecordingPane* pane = new RecordingPane(mRoot, R(10, 10, 100, 100), 'F');
    EXPECT_FALSE(pane->AcceptsFileName(string("notes.txt")));
    pane->AcceptFileDrop(string("text"));
    pane->AcceptFileDrop(string("Picture"));  // never registered
    struct Case {
        const char* file;
        bool accepted;
    } cases[] = {{"notes.txt", true}, {"README.TXT", true}, {"a.text", true},
                 {"a.doc", false},    {"txt", false},       {"a.txt.bak", false}};
    for (const Case& c : cases)
        EXPECT_EQ(pane->AcceptsFileName(string(c.file)), c.accepted) << c.file;
    pane->AcceptFileDrop(string("ANYTHING"));
    EXPECT_TRUE(pane->AcceptsFileName(string("a.doc"))) << "a type without extensions matches all";
}

TEST_F(PaneInputTest, APaneDeletedInsideAHandlerLeavesItsWeakReferencesNull) {
    RecordingPane* doomed = new RecordingPane(mRoot, R(10, 10, 100, 100), 'K');
    RecordingPane* other = new RecordingPane(mRoot, R(200, 10, 300, 100), 'L');
    doomed->mClosesOnKey = true;
    {
        WeakPaneRef first(doomed);
        WeakPaneRef unrelated(other);
        WeakPaneRef second(doomed);
        EXPECT_TRUE(doomed->KeyChar('k', 0, 0));
        EXPECT_EQ(sLog, "K:107 K~ ");
        EXPECT_EQ(first.pane, nullptr);
        EXPECT_EQ(second.pane, nullptr);
        EXPECT_EQ(unrelated.pane, other);
    }
    {
        WeakPaneRef later(other);
        EXPECT_EQ(later.pane, other) << "the list still works once records have left it";
    }
}
