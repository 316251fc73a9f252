#include <gtest/gtest.h>

#include <windows.h>

#include <string>

#include "FailureRecorder.h"
#include "ModalDriver.h"
#include "controls/ControlObject.h"
#include "graphics/GraphicsImp.h"
#include "windows/Pane.h"
#include "windows/PaneWindowClass.h"

namespace {

Rect16 R(int left, int top, int right, int bottom) {
    return Rect16{static_cast<int16_t>(top), static_cast<int16_t>(left),
                  static_cast<int16_t>(bottom), static_cast<int16_t>(right)};
}

std::string sLog;
int sDeleted = 0;

// Records its life and paints itself in its colour.
class TestPane : public BasicPane {
public:
    TestPane(SubPane* parent, Rect16 rect, const char* className = "QV_Pane", DWORD style = 0,
             char name = '?')
        : BasicPane(parent, 0, rect, string(""), className, style, 0), mName(name) {}
    ~TestPane() override {
        ++sDeleted;
        sLog += mName;
        sLog += '~';
    }
    void Paint(GraphicsImp* graphics) override {
        ++mPaints;
        if (mPaintsNothing) return;
        graphics->SetForeColor(mColour);
        graphics->PaintRect(bounds);
    }
    void BoundsChanged() override { ++mBoundsChanges; }

    char mName;
    int mPaints = 0;
    int mBoundsChanges = 0;
    bool mPaintsNothing = false;
    RGBColor16 mColour{0xFFFF, 0, 0};
};

int sCreatedHeight = 0;

LRESULT CALLBACK RecordCreation(int code, WPARAM wParam, LPARAM lParam) {
    if (code == HCBT_CREATEWND && sCreatedHeight == 0)
        sCreatedHeight = reinterpret_cast<CBT_CREATEWNDW*>(lParam)->lpcs->cy;
    return CallNextHookEx(nullptr, code, wParam, lParam);
}

class SubPaneTest : public ::testing::Test {
protected:
    void SetUp() override {
        RegisterPaneWindowClasses();
        HWND window = CreateWindowExW(0, L"QV_Pane", L"root", WS_POPUP | WS_VISIBLE, 50, 60, 400,
                                      300, nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
        ASSERT_NE(window, nullptr);
        mRoot = new WindowPane(window);
        sLog.clear();
        sDeleted = 0;
    }
    void TearDown() override {
        if (mRoot) mRoot->Close();
        PumpOnce();
    }

    // The native rectangle of a pane's window in the root window's client coordinates.
    RECT NativeRect(SubPane* pane) {
        RECT rect;
        GetWindowRect(pane->GetHWND(), &rect);
        MapWindowPoints(nullptr, mRoot->GetHWND(), reinterpret_cast<POINT*>(&rect), 2);
        return rect;
    }
    void ExpectNative(SubPane* pane, int left, int top, int right, int bottom) {
        const RECT rect = NativeRect(pane);
        EXPECT_EQ(rect.left, left);
        EXPECT_EQ(rect.top, top);
        EXPECT_EQ(rect.right, right);
        EXPECT_EQ(rect.bottom, bottom);
    }

    WindowPane* mRoot = nullptr;
};

}  // namespace

TEST_F(SubPaneTest, NativeWindowsSitOverTheirBoundsThroughSetBounds) {
    TestPane* outer = new TestPane(mRoot, R(10, 10, 200, 150));
    TestPane* inner = new TestPane(outer, R(20, 30, 60, 70));
    EXPECT_EQ(GetParent(outer->GetHWND()), mRoot->GetHWND());
    EXPECT_EQ(GetParent(inner->GetHWND()), outer->GetHWND());
    EXPECT_EQ(GetWindowLongW(inner->GetHWND(), 0), reinterpret_cast<LONG>(inner));
    EXPECT_EQ(inner->GetParentPane(), outer);
    EXPECT_EQ(FindWindowPane(inner), mRoot);

    struct Step { Rect16 to; int il, it, ir, ib; } steps[] = {
        {R(15, 20, 215, 170), 25, 40, 65, 80},
        {R(0, 0, 100, 100), 10, 20, 50, 60},
        {R(0, 0, 100, 100), 10, 20, 50, 60},
    };
    for (const auto& s : steps) {
        outer->SetBounds(s.to, true);
        ExpectNative(outer, s.to.left, s.to.top, s.to.right, s.to.bottom);
        ExpectNative(inner, s.il, s.it, s.ir, s.ib);
        EXPECT_EQ(inner->bounds.left, s.il);
        EXPECT_EQ(outer->width, s.to.right - s.to.left);
    }
    EXPECT_EQ(outer->mBoundsChanges, 2) << "the same rectangle again changes nothing";
}

TEST_F(SubPaneTest, NativeParentSearchAmongTheWindowsControls) {
    // Two nested group boxes: the last enclosing control is the logical parent, the first the
    // native parent.
    TestPane* big = new TestPane(mRoot, R(10, 10, 300, 250), "BUTTON", BS_GROUPBOX, 'b');
    TestPane* small = new TestPane(mRoot, R(20, 20, 200, 200), "BUTTON", BS_GROUPBOX, 's');
    TestPane* child = new TestPane(mRoot, R(30, 30, 80, 60));
    EXPECT_EQ(small->GetParentPane(), big);
    EXPECT_EQ(child->GetParentPane(), small);
    EXPECT_EQ(GetParent(child->GetHWND()), big->GetHWND());
    ExpectNative(child, 30, 30, 80, 60);

    // Added at run time on the group box's left edge: not inside it natively.
    gCreatingControlAtRunTime = true;
    TestPane* onEdge = new TestPane(mRoot, R(10, 100, 50, 120));
    gCreatingControlAtRunTime = false;
    EXPECT_EQ(GetParent(onEdge->GetHWND()), mRoot->GetHWND());
    EXPECT_EQ(onEdge->GetParentPane(), big);
    TestPane* withWindow = new TestPane(mRoot, R(10, 130, 50, 150));
    EXPECT_EQ(GetParent(withWindow->GetHWND()), big->GetHWND());

    // The combo box's native window is made 200 pixels taller than its bounds (room for its list).
    sCreatedHeight = 0;
    HHOOK hook = SetWindowsHookExW(WH_CBT, RecordCreation, nullptr, GetCurrentThreadId());
    new TestPane(mRoot, R(310, 10, 390, 30), "COMBOBOX", CBS_DROPDOWNLIST);
    UnhookWindowsHookEx(hook);
    EXPECT_EQ(sCreatedHeight, 220);
    EXPECT_EQ(mRoot->controls.size(), 6u);
}

TEST_F(SubPaneTest, LocksDecideWhenAClosedPaneIsDeleted) {
    TestPane* outer = new TestPane(mRoot, R(10, 10, 200, 150), "QV_Pane", 0, 'o');
    TestPane* inner = new TestPane(outer, R(20, 20, 60, 60), "QV_Pane", 0, 'i');
    outer->Lock();
    EXPECT_FALSE(outer->Close());
    EXPECT_TRUE(outer->closing);
    EXPECT_EQ(sDeleted, 0);
    EXPECT_FALSE(outer->LockChain()) << "a closing pane is not locked again";
    EXPECT_TRUE(outer->Unlock());
    EXPECT_EQ(sLog, "i~o~") << "children are closed first";
    EXPECT_EQ(mRoot->ChildCount(), 0);
    EXPECT_EQ(mRoot->controls.size(), 0u);

    TestPane* pane = new TestPane(mRoot, R(10, 10, 50, 50), "QV_Pane", 0, 'p');
    ASSERT_TRUE(pane->LockChain());
    EXPECT_EQ(mRoot->mLockCount, 1);
    EXPECT_FALSE(pane->UnlockChain());
    EXPECT_EQ(mRoot->mLockCount, 0);
    (void)inner;
}

TEST_F(SubPaneTest, APaneClosedFromItsOwnHandlerIsGoneAfterTheChainLock) {
    TestPane* pane = new TestPane(mRoot, R(10, 10, 50, 50), "QV_Pane", 0, 'p');
    bool gone = false;
    {
        PaneChainLock lock(pane);
        ASSERT_TRUE(lock.Locked());
        EXPECT_FALSE(pane->Close()) << "the handler's close waits for the lock";
        EXPECT_EQ(sDeleted, 0);
        gone = lock.Release();
    }
    EXPECT_TRUE(gone);
    EXPECT_EQ(sDeleted, 1);
    EXPECT_EQ(mRoot->mLockCount, 0);
}

TEST_F(SubPaneTest, DestroyingALockedPaneIsReported) {
    TestPane* pane = new TestPane(mRoot, R(10, 10, 50, 50));
    pane->Lock();
    FailureRecorder recorder;
    mRoot->RemoveChild(pane);
    mRoot->controls.remove_at(0);
    delete pane;
    ASSERT_EQ(recorder.Count(), 1u);
    EXPECT_EQ(recorder.Last().line, 807);
    EXPECT_EQ(recorder.Last().condition, "mLockCount <= 0");
}

TEST_F(SubPaneTest, VisibilityAndEnablingPropagate) {
    TestPane* outer = new TestPane(mRoot, R(10, 10, 200, 150));
    TestPane* inner = new TestPane(outer, R(20, 20, 60, 60));
    outer->SetVisible(false);
    EXPECT_FALSE(inner->visible);
    EXPECT_FALSE(IsWindowVisible(inner->GetHWND()));
    inner->SetVisible(true);
    EXPECT_FALSE(inner->visible) << "not visible inside an invisible parent";
    outer->StateChanged(7);
    EXPECT_TRUE(inner->visible);
    EXPECT_TRUE(IsWindowVisible(inner->GetHWND()));

    outer->SetEnabled(false, true);
    EXPECT_FALSE(inner->enabled);
    inner->SetEnabled(true, false);
    EXPECT_FALSE(inner->enabled) << "not enabled inside a disabled parent";
    outer->StateChanged(5);
    EXPECT_TRUE(inner->enabled);

    // Off its panel: hiding only stores the flag.
    inner->shown = false;
    inner->panelIndex = 2;
    inner->SetVisible(false);
    EXPECT_FALSE(inner->visible);
    EXPECT_TRUE(IsWindowVisible(inner->GetHWND()));
}

TEST_F(SubPaneTest, ResizeMovesChildrenByTheirLocks) {
    TestPane* box = new TestPane(mRoot, R(10, 10, 210, 110));
    struct Case { uint8_t left, top, right, bottom; Rect16 expected; } cases[] = {
        {1, 1, 0, 0, R(20, 20, 60, 40)},
        {1, 1, 1, 0, R(20, 20, 110, 40)},
        {0, 1, 1, 0, R(70, 20, 110, 40)},
        {1, 0, 0, 1, R(20, 50, 60, 70)},
        {1, 1, 1, 1, R(20, 20, 110, 70)},
    };
    ControlObject controls[5];
    TestPane* children[5];
    for (int i = 0; i < 5; ++i) {
        children[i] = new TestPane(box, R(20, 20, 60, 40));
        controls[i] = {cases[i].left, cases[i].top, cases[i].right, cases[i].bottom,
                       children[i]->bounds};
        children[i]->SetRunControl(&controls[i]);
    }
    box->Resize(R(10, 10, 260, 140), true);
    for (int i = 0; i < 5; ++i) {
        const Rect16& e = cases[i].expected;
        EXPECT_TRUE(EqualRect16(children[i]->bounds, e)) << i;
        EXPECT_TRUE(EqualRect16(controls[i].bounds, e)) << i;
        ExpectNative(children[i], e.left, e.top, e.right, e.bottom);
    }
}

TEST_F(SubPaneTest, APaneThatPaintsItselfRedReadsBackRed) {
    TestPane* pane = new TestPane(mRoot, R(40, 50, 90, 100));
    UpdateWindow(mRoot->GetHWND());
    RedrawWindow(pane->GetHWND(), nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
    PumpOnce();
    HDC dc = GetDC(mRoot->GetHWND());
    EXPECT_EQ(GetPixel(dc, 41, 51), RGB(255, 0, 0));
    EXPECT_EQ(GetPixel(dc, 89, 99), RGB(255, 0, 0));
    ReleaseDC(mRoot->GetHWND(), dc);
    EXPECT_GE(pane->mPaints, 1);
}

TEST_F(SubPaneTest, NestedAcquireDCSharesOneContext) {
    TestPane* pane = new TestPane(mRoot, R(40, 50, 90, 100));
    bool first = false;
    bool second = false;
    HDC a = pane->AcquireDC(first);
    HDC b = pane->AcquireDC(second);
    EXPECT_TRUE(first && second);
    EXPECT_EQ(a, b);
    POINT origin;
    GetViewportOrgEx(a, &origin);
    EXPECT_EQ(origin.x, -40);
    EXPECT_EQ(origin.y, -50);
    EXPECT_EQ(GetTextAlign(a) & TA_BASELINE, static_cast<UINT>(TA_BASELINE));
    pane->ReleaseDC(true);
    EXPECT_EQ(pane->acquiredDC, a);
    pane->ReleaseDC(true);
    EXPECT_EQ(pane->acquiredDC, nullptr);
    EXPECT_EQ(pane->dcCount, 0);
}

namespace {
class DCProbePane final : public TestPane {
public:
    using TestPane::TestPane;
    void Paint(GraphicsImp*) override {
        bool mustRelease = true;
        mAnswer = AcquireDC(mustRelease);
        mMustRelease = mustRelease;
        mPaintDC = paintDC;
        ++mPaints;
    }
    HDC mAnswer = nullptr;
    HDC mPaintDC = nullptr;
    bool mMustRelease = true;
};
}  // namespace

TEST_F(SubPaneTest, AcquireDCDuringAPaintAnswersThePaintContext) {
    auto* pane = new DCProbePane(mRoot, R(40, 50, 90, 100));
    RedrawWindow(pane->GetHWND(), nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
    ASSERT_GE(pane->mPaints, 1);
    EXPECT_NE(pane->mPaintDC, nullptr);
    EXPECT_EQ(pane->mAnswer, pane->mPaintDC);
    EXPECT_FALSE(pane->mMustRelease);
    EXPECT_EQ(pane->paintDC, nullptr);
}

TEST_F(SubPaneTest, AClosingPaneDrawsNothingAndGetsNoSecondPaint) {
    TestPane* pane = new TestPane(mRoot, R(40, 50, 90, 100));
    PumpOnce();
    pane->Lock();
    pane->Close();
    const int before = pane->mPaints;
    InvalidateRect(pane->GetHWND(), nullptr, TRUE);
    PumpOnce();
    EXPECT_EQ(pane->mPaints, before);
    EXPECT_FALSE(GetUpdateRect(pane->GetHWND(), nullptr, FALSE));
    pane->Unlock();
}

TEST_F(SubPaneTest, DrawTreeAtMovesTheTreeOnlyWhileDrawing) {
    TestPane* outer = new TestPane(mRoot, R(10, 10, 110, 110));
    TestPane* inner = new TestPane(outer, R(20, 20, 40, 40));
    inner->mColour = {0, 0, 0xFFFF};
    // Draw the tree into the root window at (200, 150).
    GraphicsImp* graphics = mRoot->NewGraphics();
    outer->DrawTreeAt(graphics, 200, 150);
    delete graphics;
    EXPECT_EQ(outer->bounds.left, 10);
    EXPECT_EQ(inner->bounds.left, 20);
    HDC dc = GetDC(mRoot->GetHWND());
    EXPECT_EQ(GetPixel(dc, 205, 155), RGB(255, 0, 0));
    EXPECT_EQ(GetPixel(dc, 215, 165), RGB(0, 0, 255));
    ReleaseDC(mRoot->GetHWND(), dc);

    outer->SetVisible(false);
    const int paints = outer->mPaints;
    graphics = mRoot->NewGraphics();
    outer->DrawTreeAt(graphics, 0, 0);
    delete graphics;
    EXPECT_EQ(outer->mPaints, paints);
}

TEST_F(SubPaneTest, ScrollRectMovesPixels) {
    TestPane* pane = new TestPane(mRoot, R(0, 0, 200, 200));
    pane->mColour = {0xFFFF, 0xFFFF, 0xFFFF};
    RedrawWindow(pane->GetHWND(), nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
    bool mustRelease = false;
    HDC dc = pane->AcquireDC(mustRelease);
    RECT mark = {10, 10, 20, 20};
    FillRect(dc, &mark, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
    pane->ReleaseDC(mustRelease);
    // The mark moves with the scroll; the pane is painted at once afterwards, also when nothing
    // moves.
    ValidateRect(pane->GetHWND(), nullptr);
    pane->mPaintsNothing = true;
    const int paints = pane->mPaints;
    pane->ScrollRect(0, 0, 100, 100, 30, 0);
    EXPECT_EQ(pane->mPaints, paints + 1);
    dc = GetDC(pane->GetHWND());
    EXPECT_EQ(GetPixel(dc, 45, 15), RGB(0, 0, 0));
    EXPECT_EQ(GetPixel(dc, 150, 15), RGB(255, 255, 255)) << "outside the scrolled rectangle";
    ReleaseDC(pane->GetHWND(), dc);
    pane->ScrollRect(0, 0, 100, 100, 0, 0);
    EXPECT_EQ(pane->mPaints, paints + 2);
    EXPECT_FALSE(GetUpdateRect(pane->GetHWND(), nullptr, FALSE));
}

namespace {
// A tab panel showing panel 1; like the control's pane, it encloses panes on any of its panels.
class TabPanelPane final : public TestPane {
public:
    using TestPane::TestPane;
    bool IsTabPanel() override { return true; }
    bool Encloses(SubPane* other, bool visibleOnly, bool) override {
        return TestPane::Encloses(other, visibleOnly, false);
    }
    int32_t CurrentPanel() override { return mCurrent; }
    int32_t mCurrent = 1;
};
}  // namespace

TEST_F(SubPaneTest, PanelsDecideWhetherAPaneIsShown) {
    auto* tabs = new TabPanelPane(mRoot, R(10, 10, 300, 250));
    // Made as the window's controls, as controls are: the enclosing panes become their parents.
    TestPane* onTwo = new TestPane(mRoot, R(20, 40, 100, 100));
    TestPane* nested = new TestPane(mRoot, R(30, 50, 60, 70));
    ASSERT_EQ(onTwo->GetParentPane(), tabs);
    ASSERT_EQ(nested->GetParentPane(), onTwo);
    onTwo->SetPanelIndex(2);
    EXPECT_EQ(nested->panelIndex, 2) << "a container carries its children to its panel";
    EXPECT_FALSE(onTwo->shown);
    EXPECT_FALSE(nested->shown);
    EXPECT_FALSE(IsWindowVisible(onTwo->GetHWND()));
    EXPECT_TRUE(onTwo->IsInTabPanel());
    onTwo->SetVisible(false);
    EXPECT_FALSE(onTwo->visible) << "off its panel, hiding only stores the flag";
    onTwo->SetVisible(true);
    tabs->mCurrent = 2;
    onTwo->SetPanelIndex(2);
    EXPECT_TRUE(onTwo->shown);
    EXPECT_TRUE(IsWindowVisible(nested->GetHWND()));
}

TEST_F(SubPaneTest, SetParentPaneMovesTheNativeWindowIntoTheNewParent) {
    TestPane* a = new TestPane(mRoot, R(10, 10, 100, 100));
    TestPane* b = new TestPane(mRoot, R(150, 10, 300, 200));
    TestPane* moving = new TestPane(a, R(20, 20, 50, 50));
    moving->SetBounds(R(160, 20, 190, 50), false);
    moving->AttachToEnclosingPane(false, true);
    EXPECT_EQ(moving->GetParentPane(), b) << "the enclosing control becomes the parent";
    EXPECT_FALSE(a->ContainsPane(moving, true));
    EXPECT_TRUE(b->ContainsPane(moving, false));
    EXPECT_EQ(GetParent(moving->GetHWND()), b->GetHWND());
    ExpectNative(moving, 160, 20, 190, 50);
    FailureRecorder recorder;
    moving->SetParentPane(nullptr);
    EXPECT_EQ(recorder.Last().line, 3170);
}

TEST(ModalDriverTest, ClosesARealMessageBoxAndTimesOutWithoutHanging) {
    int answer = 0;
    const bool driven = RunModalDriven(
        [&answer] { answer = MessageBoxA(nullptr, "driven", "test", MB_OKCANCEL); },
        [] {
            HWND dialog = FindThreadDialog();
            if (!dialog) return false;
            PostMessageA(dialog, WM_COMMAND, IDOK, 0);
            return true;
        });
    EXPECT_TRUE(driven);
    EXPECT_EQ(answer, IDOK);

    const bool timedOut = !RunModalDriven(
        [&answer] { answer = MessageBoxA(nullptr, "ignored", "test", MB_OKCANCEL); },
        [] { return false; }, 300);
    EXPECT_TRUE(timedOut);
    EXPECT_EQ(answer, IDCANCEL);
}
