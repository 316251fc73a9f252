#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include "ModalDriver.h"
#include "core/DefinitionConversion.h"
#include "host/Application.h"
#include "windows/ClipboardText.h"
#include "windows/ControlDrawing.h"
#include "windows/Tooltips.h"
#include "windows/VisualStyles.h"

namespace {

// A 40 x 40 memory context filled with a marker colour.
class MemoryCanvas {
public:
    MemoryCanvas() {
        HDC screen = GetDC(nullptr);
        mDC = CreateCompatibleDC(screen);
        mBitmap = CreateCompatibleBitmap(screen, 40, 40);
        ReleaseDC(nullptr, screen);
        mOld = SelectObject(mDC, mBitmap);
        const RECT all = {0, 0, 40, 40};
        HBRUSH marker = CreateSolidBrush(kMarker);
        FillRect(mDC, &all, marker);
        DeleteObject(marker);
    }
    ~MemoryCanvas() {
        SelectObject(mDC, mOld);
        DeleteObject(mBitmap);
        DeleteDC(mDC);
    }
    HDC dc() const { return mDC; }
    COLORREF At(int x, int y) const { return GetPixel(mDC, x, y); }

    static constexpr COLORREF kMarker = RGB(1, 2, 3);

private:
    HDC mDC;
    HBITMAP mBitmap;
    HGDIOBJ mOld;
};

}  // namespace

TEST(VisualStylesVersion, OnlyNTFiveOneAndFiveTwo) {
    struct Case { DWORD platform, major, minor; bool themed; } cases[] = {
        {VER_PLATFORM_WIN32_NT, 5, 0, false}, {VER_PLATFORM_WIN32_NT, 5, 1, true},
        {VER_PLATFORM_WIN32_NT, 5, 2, true},  {VER_PLATFORM_WIN32_NT, 6, 1, false},
        {VER_PLATFORM_WIN32_WINDOWS, 5, 1, false},
    };
    for (const auto& c : cases)
        EXPECT_EQ(IsVisualStylesVersion(c.platform, c.major, c.minor), c.themed)
            << c.platform << " " << c.major << "." << c.minor;
    // Wine reports 6.1 here: all drawing is classic, while the library loads and a theme is active.
    ResetVisualStylesCache();
    EXPECT_FALSE(IsVisualStylesOS());
    LoadUxTheme();
    EXPECT_TRUE(IsUxThemeLoaded());
    EXPECT_TRUE(UxIsThemeActive());
    EXPECT_FALSE(VisualStylesInUse());
    FreeUxTheme();
    EXPECT_FALSE(UxIsThemeActive()) << "without the library the wrappers answer their defaults";
    EXPECT_EQ(UxOpenThemeData(nullptr, L"Button"), nullptr);
    EXPECT_EQ(UxCloseThemeData(nullptr), 1);
}

TEST(ClassicDrawing, CheckBoxFrameCentresATwelvePixelSquare) {
    MemoryCanvas canvas;
    DrawCheckBoxFrame(canvas.dc(), 0, 0, 40, 40, false);
    // Square from (14, 14) to (26, 26): shadow top edge, dark shadow inside, light right edge.
    EXPECT_EQ(canvas.At(13, 20), MemoryCanvas::kMarker);
    EXPECT_EQ(canvas.At(20, 14), GetSysColor(COLOR_BTNSHADOW));
    EXPECT_EQ(canvas.At(20, 15), GetSysColor(COLOR_3DDKSHADOW));
    EXPECT_EQ(canvas.At(25, 20), GetSysColor(COLOR_3DLIGHT));
    EXPECT_EQ(canvas.At(20, 20), GetSysColor(COLOR_WINDOW));
    EXPECT_EQ(canvas.At(26, 20), MemoryCanvas::kMarker);

    MemoryCanvas small;
    DrawCheckBoxFrame(small.dc(), 5, 5, 15, 15, true);
    EXPECT_EQ(small.At(10, 5), GetSysColor(COLOR_BTNSHADOW)) << "a 10 x 10 rectangle is used itself";
    EXPECT_EQ(small.At(8, 10), RGB(0, 0, 0)) << "the check mark, with the selected (black) pen";
}

TEST(ClassicDrawing, TreeGlyphPlusAndMinus) {
    MemoryCanvas collapsed;
    DrawTreeGlyph(collapsed.dc(), 10, 10, 22, 22, false);
    EXPECT_EQ(collapsed.At(12, 12), RGB(123, 123, 123));
    EXPECT_EQ(collapsed.At(16, 16), RGB(0, 0, 0));
    EXPECT_EQ(collapsed.At(16, 14), RGB(0, 0, 0)) << "plus bar";
    MemoryCanvas expanded;
    DrawTreeGlyph(expanded.dc(), 10, 10, 22, 22, true);
    EXPECT_EQ(expanded.At(14, 16), RGB(0, 0, 0));
    EXPECT_NE(expanded.At(16, 14), RGB(0, 0, 0)) << "no plus bar";
}

TEST(ClassicDrawing, EditFrameAndButtonPart) {
    MemoryCanvas edit;
    DrawEditFrame(edit.dc(), 0, 0, 30, 20, true, false);
    EXPECT_EQ(edit.At(10, 0), GetSysColor(COLOR_BTNSHADOW));
    EXPECT_EQ(edit.At(10, 1), GetSysColor(COLOR_3DDKSHADOW));
    EXPECT_EQ(edit.At(10, 19), GetSysColor(COLOR_BTNHIGHLIGHT));
    EXPECT_EQ(edit.At(10, 18), GetSysColor(COLOR_3DLIGHT));
    EXPECT_EQ(edit.At(10, 10), GetSysColor(COLOR_WINDOW));

    MemoryCanvas button;
    DrawButtonPart(button.dc(), 0, 0, 24, 20, 5, 0);
    EXPECT_EQ(button.At(0, 10), GetSysColor(COLOR_BTNHIGHLIGHT));
    EXPECT_EQ(button.At(23, 10), RGB(0, 0, 0));
    EXPECT_EQ(button.At(2, 2), GetSysColor(COLOR_BTNFACE));
    EXPECT_EQ(button.At(12, 10), RGB(0, 0, 0)) << "the next glyph's triangle";
    MemoryCanvas hot;
    DrawButtonPart(hot.dc(), 0, 0, 24, 20, 7, 1);
    EXPECT_EQ(hot.At(2, 2), MemoryCanvas::kMarker) << "no frame in the hot state";
}

namespace {
int sDeactivations = 0;
LRESULT CALLBACK WatchActivate(int code, WPARAM wParam, LPARAM lParam) {
    const auto* message = reinterpret_cast<CWPSTRUCT*>(lParam);
    if (code == HC_ACTION && message->message == TTM_ACTIVATE && !message->wParam)
        ++sDeactivations;
    return CallNextHookEx(nullptr, code, wParam, lParam);
}

HWND MakeTool() {
    HWND owner = CreateWindowExW(0, L"STATIC", L"", WS_POPUP | WS_VISIBLE, 0, 0, 100, 100,
                                 nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
    return CreateWindowExW(0, L"STATIC", L"", WS_CHILD | WS_VISIBLE, 10, 10, 50, 20, owner,
                           nullptr, GetModuleHandleW(nullptr), nullptr);
}

bool IsToolTipWindow(HWND window) {
    char name[32] = {};
    GetClassNameA(window, name, sizeof(name));
    return lstrcmpiA(name, "tooltips_class32") == 0;
}
}  // namespace

TEST(ToolTips, SetTextMakesAndRemovesTheTooltipWindow) {
    HWND tool = MakeTool();
    ToolTipOwner owner;
    owner.SetText(tool, string("help"));
    HWND first = owner.GetToolTipHWND();
    ASSERT_NE(first, nullptr);
    EXPECT_TRUE(IsToolTipWindow(first));
    EXPECT_EQ(SendMessageW(first, TTM_GETTOOLCOUNT, 0, 0), 1);
    EXPECT_EQ(SendMessageW(first, TTM_GETMAXTIPWIDTH, 0, 0), 500);
    EXPECT_TRUE(GetWindowLongW(first, GWL_EXSTYLE) & WS_EX_TOPMOST);
    owner.SetText(tool, string("other"));
    EXPECT_FALSE(IsWindow(first));
    ASSERT_NE(owner.GetToolTipHWND(), nullptr);
    owner.SetText(tool, string());
    EXPECT_EQ(owner.GetToolTipHWND(), nullptr);
    DestroyWindow(GetParent(tool));
}

TEST(ToolTips, ABalloonMadeWhileBalloonHelpIsHiddenStaysInactive) {
    HWND tool = MakeTool();
    CreateApplicationClass();
    ObjectHeader* app = CreateInstance(Application());
    SetApplicationObject(app);
    for (int visible : {0, 1}) {
        AppBalloonHelpVisibleSetter(app, 0, visible);
        sDeactivations = 0;
        HHOOK hook = SetWindowsHookExW(WH_CALLWNDPROC, WatchActivate, nullptr,
                                       GetCurrentThreadId());
        BalloonHelpToolTip balloon;
        balloon.SetText(tool, string("balloon"));
        UnhookWindowsHookEx(hook);
        ASSERT_NE(balloon.GetToolTipHWND(), nullptr);
        EXPECT_TRUE(GetWindowLongW(balloon.GetToolTipHWND(), GWL_STYLE) & TTS_BALLOON);
        EXPECT_EQ(sDeactivations, visible ? 0 : 1) << visible;
    }
    SetApplicationObject(nullptr);
    RuntimeUnlockObject(app);
    DestroyWindow(GetParent(tool));
}

TEST(ClipboardTextTest, LineEndsConvertAndReadBack) {
    struct Case { const char* in; bool convert; const char* out; } cases[] = {
        {"a\rb", true, "a\r\nb"},
        {"a\r\nb", true, "a\r\nb"},
        {"a\nb", true, "a\nb"},
        {"a\r\r\nb\r", true, "a\r\n\r\nb\r\n"},
        {"a\rb", false, "a\rb"},
        {"", true, ""},
    };
    for (const auto& c : cases) {
        SetClipboardText(string(c.in), c.convert);
        EXPECT_TRUE(ClipboardHasText());
        EXPECT_STREQ(GetClipboardText().CString() ? GetClipboardText().CString() : "", c.out)
            << c.in;
    }
}
