#include <gtest/gtest.h>

#include <windows.h>

#include "DrawingSurface.h"
#include "MessagePump.h"
#include "graphics/GraphicsGDI.h"
#include "windows/Drawing.h"
#include "windows/Pane.h"
#include "windows/PaneWindowClass.h"

namespace {

Rect16 R(int left, int top, int right, int bottom) {
    return Rect16{static_cast<int16_t>(top), static_cast<int16_t>(left),
                  static_cast<int16_t>(bottom), static_cast<int16_t>(right)};
}

// A window pane whose window may have a back colour of its own.
class ColouredWindowPane : public WindowPane {
public:
    using WindowPane::WindowPane;
    bool GetBackColor(RGBColor16& colour) override {
        if (!mHasBack) return false;
        colour = mBack;
        return true;
    }
    bool mHasBack = false;
    RGBColor16 mBack{0, 0, 0};
};

// A window-backed pane: its paint records the context its graphics draws into; outside painting
// it draws into a surface.
class ProbePane : public BasicPane {
public:
    ProbePane(SubPane* parent, Rect16 rect, Surface* surface)
        : BasicPane(parent, 0, rect, string(""), "QV_Pane", 0, 0), mSurface(surface) {}
    void Paint(GraphicsImp* graphics) override {
        ++paints;
        GraphicsGDI* gdi = graphics->AsGraphicsGDI();
        paintedIntoPaintDC = gdi && paintDC && gdi->GetDC() == paintDC;
    }
    HDC AcquireDC(bool& mustRelease) override {
        if (!mSurface || paintDC) return BasicPane::AcquireDC(mustRelease);
        mustRelease = false;
        PlaceAt(mSurface->dc, bounds);
        return mSurface->dc;
    }
    void ReleaseDC(bool mustRelease) override {
        if (!mSurface || paintDC) BasicPane::ReleaseDC(mustRelease);
    }

    Surface* mSurface;
    int paints = 0;
    bool paintedIntoPaintDC = false;
};

// A pane without a window, drawing into a surface, as an offscreen picture does.
class OffscreenPane : public Pane {
public:
    explicit OffscreenPane(Surface& surface) : Pane(R(0, 0, kWidth, kHeight)), mSurface(surface) {}
    HDC AcquireDC(bool& mustRelease) override {
        mustRelease = false;
        PlaceAt(mSurface.dc, bounds);
        return mSurface.dc;
    }
    Surface& mSurface;
};

class GraphicsWindowTest : public ::testing::Test {
protected:
    void SetUp() override {
        RegisterPaneWindowClasses();
        window = CreateWindowExW(0, L"QV_Pane", L"root", WS_POPUP | WS_VISIBLE, 40, 40, 300, 200,
                                 nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
        ASSERT_NE(window, nullptr);
        root = new ColouredWindowPane(window);
    }
    void TearDown() override {
        EndAllDrawing();
        root->Close();
        PumpMessagesFor(10);
    }
    HWND window = nullptr;
    ColouredWindowPane* root = nullptr;
};

uint32_t Dib(COLORREF colour) {
    return (GetRValue(colour) << 16) | (GetGValue(colour) << 8) | GetBValue(colour);
}

}  // namespace

TEST_F(GraphicsWindowTest, DrawingDuringPaintUsesThePaintContext) {
    ProbePane* pane = new ProbePane(root, R(10, 10, 60, 50), nullptr);
    PumpMessagesFor(20);
    pane->paints = 0;
    InvalidateRect(pane->GetHWND(), nullptr, TRUE);
    UpdateWindow(pane->GetHWND());
    EXPECT_EQ(pane->paints, 1);
    EXPECT_TRUE(pane->paintedIntoPaintDC);
    EXPECT_EQ(CurrentGraphics(), nullptr) << "painting ends the drawing";
}

TEST_F(GraphicsWindowTest, EraseRectPaintsTheWindowsColourOrWhite) {
    Surface surface;
    ProbePane* pane = new ProbePane(root, R(10, 10, 60, 50), &surface);
    struct Row { bool hasBack; COLORREF expected; } rows[] = {
        {false, GetSysColor(COLOR_BTNFACE)},
        {true, RGB(0x12, 0x34, 0x56)},
    };
    for (const Row& r : rows) {
        root->mHasBack = r.hasBack;
        root->mBack = ColorRefToRGBColor16(RGB(0x12, 0x34, 0x56));
        surface.Clear();
        GraphicsImp* graphics = pane->NewGraphics();
        graphics->EraseRect(R(10, 10, 20, 20));
        delete graphics;
        GdiFlush();
        EXPECT_EQ(surface.pixels[5 * kWidth + 5], Dib(r.expected)) << "back colour " << r.hasBack;
        EXPECT_EQ(surface.Painted(), 100);
    }
    Surface offscreen;
    OffscreenPane picture(offscreen);
    GraphicsGDI graphics(&picture);
    graphics.EraseRect(R(0, 0, 10, 10));
    EndAllDrawing();
    EXPECT_EQ(offscreen.pixels[5 * kWidth + 5], 0xFFFFFFu);
}

TEST(GraphicsWindowFrame, FrameOperationsLandAtTheFrameOffset) {
    RegisterPaneWindowClasses();
    struct Row { const char* name; DWORD style; int dx, dy; } rows[] = {
        {"thick frame", WS_POPUP | WS_CAPTION | WS_THICKFRAME, GetSystemMetrics(SM_CXFRAME),
         GetSystemMetrics(SM_CYFRAME) + GetSystemMetrics(SM_CYCAPTION)},
        {"dialog frame", WS_POPUP | WS_CAPTION, GetSystemMetrics(SM_CXDLGFRAME),
         GetSystemMetrics(SM_CYDLGFRAME) + GetSystemMetrics(SM_CYCAPTION)},
        {"caption without border", WS_POPUP | WS_DLGFRAME, 0, GetSystemMetrics(SM_CYCAPTION)},
    };
    const COLORREF colour = RGB(0x20, 0xC0, 0x60);
    for (const Row& r : rows) {
        HWND window = CreateWindowExW(0, L"QV_Pane", L"frame", r.style | WS_VISIBLE, 60, 60, 200,
                                      150, nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
        ASSERT_NE(window, nullptr);
        WindowPane* pane = new WindowPane(window);
        PumpMessagesFor(50);
        GraphicsGDI graphics(pane);
        graphics.SetForeColor(ColorRefToRGBColor16(colour));
        graphics.FillRectInWindowFrame(R(4, 4, 8, 8));
        EndAllDrawing();
        HDC dc = GetWindowDC(window);
        EXPECT_EQ(GetPixel(dc, r.dx + 4, r.dy + 4), colour) << r.name;
        EXPECT_EQ(GetPixel(dc, r.dx + 7, r.dy + 7), colour) << r.name;
        EXPECT_NE(GetPixel(dc, r.dx + 8, r.dy + 8), colour) << r.name;
        EXPECT_NE(GetPixel(dc, r.dx + 3, r.dy + 3), colour) << r.name;
        ReleaseDC(window, dc);
        pane->Close();
        PumpMessagesFor(10);
    }
}
