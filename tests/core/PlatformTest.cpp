#include <gtest/gtest.h>

#include <windows.h>

#include "core/GuardedMemory.h"
#include "core/Platform.h"

namespace {

struct OverrideScope {
    explicit OverrideScope(UnicodePlatformOverride mode) { SetUnicodePlatformOverride(mode); }
    ~OverrideScope() { SetUnicodePlatformOverride(UnicodePlatformOverride::None); }
};

LRESULT CALLBACK PlainProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    return DefWindowProcW(window, message, wParam, lParam);
}

}  // namespace

TEST(Platform, WineIsAnNTFamilySystem) {
    EXPECT_TRUE(IsUnicodePlatform());
    EXPECT_TRUE(IsWindows2000OrLater());
    OverrideScope ansi(UnicodePlatformOverride::ForceAnsi);
    EXPECT_FALSE(IsUnicodePlatform());
}

// The wrappers call the form that the platform test picks: the ANSI default procedure hands back
// the window text in the ANSI code page, the wide one in UTF-16.
TEST(Platform, WindowProcedureWrappersFollowTheOverride) {
    WNDCLASSW windowClass = {};
    windowClass.lpfnWndProc = PlainProc;
    windowClass.hInstance = GetModuleHandleW(nullptr);
    windowClass.lpszClassName = L"QvPlatformTest";
    ASSERT_NE(RegisterClassW(&windowClass), 0);
    HWND window = CreateWindowExW(0, L"QvPlatformTest", L"\u00e9t\u00e9", WS_OVERLAPPED, 0, 0, 10,
                                  10, nullptr, nullptr, windowClass.hInstance, nullptr);
    ASSERT_NE(window, nullptr);
    {
        OverrideScope ansi(UnicodePlatformOverride::ForceAnsi);
        char text[16] = {};
        EXPECT_EQ(DefWindowProcAW(window, WM_GETTEXT, sizeof text, reinterpret_cast<LPARAM>(text)), 3);
        EXPECT_STREQ(text, "\xE9t\xE9");
    }
    {
        OverrideScope wide(UnicodePlatformOverride::ForceWide);
        wchar_t text[16] = {};
        EXPECT_EQ(DefWindowProcAW(window, WM_GETTEXT, 16, reinterpret_cast<LPARAM>(text)), 3);
        EXPECT_STREQ(text, L"\u00e9t\u00e9");
        const int userData = -21;  // GWL_USERDATA, which 64-bit headers leave out
        SetWindowLongAW(window, userData, 1234);
        EXPECT_EQ(GetWindowLongAW(window, userData), 1234);
    }
    DestroyWindow(window);
}

TEST(Platform, MultiByteToWide) {
    int32_t count = -1;
    wchar_t* wide = MultiByteToWide("\xE9t\xE9", 3, &count, 1252);
    EXPECT_EQ(count, 3);
    EXPECT_STREQ(wide, L"\u00e9t\u00e9");
    EXPECT_EQ(GuardedBlockSize(wide), 8u);
    GuardedDelete(wide);
    wide = MultiByteToWide("", 0, &count, CP_UTF8);
    EXPECT_EQ(count, 0);
    GuardedDelete(wide);
}

TEST(Platform, HimetricAtScreenResolution) {
    HDC screen = GetDC(nullptr);
    const int dpi = GetDeviceCaps(screen, LOGPIXELSX);
    ReleaseDC(nullptr, screen);
    if (dpi != 96) GTEST_SKIP() << "screen is at " << dpi << " pixels per inch";
    int32_t x = 96, y = 96;
    ConvertHimetric(x, y, true);
    EXPECT_EQ(x, 2540);
    EXPECT_EQ(y, 2540);
    ConvertHimetric(x, y, false);
    EXPECT_EQ(x, 96);
    EXPECT_EQ(y, 96);
    x = 1;
    y = 0;
    ConvertHimetric(x, y, true);
    EXPECT_EQ(x, 26);  // 26.46 hundredths of a millimetre, rounded
}

TEST(Platform, SystemLibraryVersionsAndCharsets) {
    EXPECT_GT(GetDllVersion("comctl32.dll"), 0u);
    EXPECT_EQ(GetDllVersion("no-such-library.dll"), 0u);
    EXPECT_EQ(GetDllVersion("kernel32.dll"), 0u);  // loads, but has no DllGetVersion
    EXPECT_EQ(ScriptToCharset(0), DEFAULT_CHARSET);
    EXPECT_EQ(ScriptToCharset(13), SHIFTJIS_CHARSET);
    EXPECT_EQ(ScriptToCharset(21), CHINESEBIG5_CHARSET);
    EXPECT_EQ(ScriptToCharset(34), RUSSIAN_CHARSET);
}
