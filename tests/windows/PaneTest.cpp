#include <gtest/gtest.h>

#include <string>

#include "FailureRecorder.h"
#include "graphics/GraphicsImp.h"
#include "windows/Pane.h"

namespace {

std::string sLog;

// Records the current-pane protocol as letters: F focus, C contents, U unfocus, E end drawing.
class RecordingPane final : public Pane {
public:
    explicit RecordingPane(char name) : Pane(Rect16{1, 2, 3, 4}), mName(name) {}
    bool Focus() override { return sLog += mName, sLog += 'F', false; }
    void FocusContents() override { sLog += mName, sLog += 'C'; }
    bool Unfocus() override { return sLog += mName, sLog += 'U', false; }
    void Paint(GraphicsImp*) override { sLog += mName, sLog += 'P'; }
    GraphicsImp* NewGraphics() override { return mMakesGraphics ? Pane::NewGraphics() : nullptr; }
    bool mMakesGraphics = true;

private:
    char mName;
};

class RecordingGraphics final : public GraphicsImp {
public:
    explicit RecordingGraphics(Pane* pane) : GraphicsImp(pane) {}
    void EndDrawing() override { sLog += 'E'; }
};

}  // namespace

TEST(CurrentPane, MakeCurrentUnfocusesThePreviousPaneOnlyOnChange) {
    sLog.clear();
    RecordingPane a('a');
    RecordingPane b('b');
    a.MakeCurrent();
    a.MakeCurrent();
    b.MakeCurrent();
    EXPECT_EQ(sLog, "aFaCaUbFbC");
    EXPECT_EQ(CurrentPane(), &b);
    EndAllDrawing();
}

TEST(CurrentPane, EndAllDrawingEndsTheGraphicsBeforeUnfocusingThePane) {
    sLog.clear();
    EndAllDrawing();
    EXPECT_EQ(sLog, "");
    RecordingPane a('a');
    RecordingGraphics graphics(&a);
    a.MakeCurrent();
    SetCurrentGraphics(&graphics);
    sLog.clear();
    EndAllDrawing();
    EXPECT_EQ(sLog, "EaU");
    EXPECT_EQ(CurrentGraphics(), nullptr);
    EXPECT_EQ(CurrentPane(), nullptr);
    EndAllDrawing();
    EXPECT_EQ(sLog, "EaU");
}

TEST(CurrentPane, DestroyingTheCurrentPaneClearsItWithoutUnfocus) {
    sLog.clear();
    {
        RecordingPane a('a');
        a.MakeCurrent();
    }
    EXPECT_EQ(CurrentPane(), nullptr);
    EXPECT_EQ(sLog, "aFaC");
}

TEST(PaneTest, NewGraphicsCarriesTheTextStateAndRedrawNeedsAGraphics) {
    RecordingPane a('a');
    EXPECT_EQ(a.width, 2);
    EXPECT_EQ(a.height, 2);
    a.fontName = string("Arial");
    a.SetTextSize(9);
    a.textStyle = 0x105;
    GraphicsImp* graphics = a.NewGraphics();
    EXPECT_STREQ(graphics->TextFont().CString(), "Arial");
    EXPECT_EQ(graphics->TextSize(), 9);
    EXPECT_EQ(graphics->TextFace(), 5);
    EXPECT_EQ(graphics->GetPane(), &a);
    delete graphics;
    sLog.clear();
    a.Redraw();
    EXPECT_EQ(sLog, "aP");
    a.mMakesGraphics = false;
    a.Redraw();
    EXPECT_EQ(sLog, "aP");
}

TEST(PaneTest, ASecondDelegateIsReportedAndReplacesTheFirst) {
    RecordingPane a('a');
    PaneDelegate first;
    PaneDelegate second;
    FailureRecorder recorder;
    a.SetDelegate(&first);
    EXPECT_EQ(recorder.Count(), 0u);
    a.SetDelegate(&second);
    ASSERT_EQ(recorder.Count(), 1u);
    EXPECT_EQ(recorder.Last().file, "pane");
    EXPECT_EQ(recorder.Last().line, 460);
    EXPECT_EQ(recorder.Last().condition, "not mDelegate");
    EXPECT_EQ(a.Delegate(), &second);
}
