// The themed paths, run with Wine reporting Windows XP for this program: before main, a run under
// another version records the per-program version setting and runs the program again.
#include <gtest/gtest.h>

#include <windows.h>

#include "ModalDriver.h"
#include "windows/ControlDrawing.h"
#include "windows/Pane.h"
#include "windows/PaneWindowClass.h"
#include "windows/VisualStyles.h"

namespace {

bool ReportsXP() {
    OSVERSIONINFOA version{};
    version.dwOSVersionInfoSize = sizeof(version);
    GetVersionExA(&version);
    return version.dwMajorVersion == 5 && version.dwMinorVersion == 1;
}

const bool sRelaunched = [] {
    if (ReportsXP()) return false;
    wchar_t path[MAX_PATH];
    GetModuleFileNameW(nullptr, path, MAX_PATH);
    const wchar_t* name = wcsrchr(path, L'\\') ? wcsrchr(path, L'\\') + 1 : path;
    wchar_t key[MAX_PATH + 64];
    wsprintfW(key, L"Software\\Wine\\AppDefaults\\%s", name);
    HKEY handle;
    if (RegCreateKeyExW(HKEY_CURRENT_USER, key, 0, nullptr, 0, KEY_WRITE, nullptr, &handle,
                        nullptr) != ERROR_SUCCESS)
        return false;
    RegSetValueExW(handle, L"Version", 0, REG_SZ, reinterpret_cast<const BYTE*>(L"winxp"),
                   sizeof(L"winxp"));
    RegCloseKey(handle);
    STARTUPINFOW startup{};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION process;
    if (!CreateProcessW(path, GetCommandLineW(), nullptr, nullptr, TRUE, 0, nullptr, nullptr,
                        &startup, &process))
        return false;
    WaitForSingleObject(process.hProcess, INFINITE);
    DWORD code = 1;
    GetExitCodeProcess(process.hProcess, &code);
    ExitProcess(code);
}();

Rect16 R(int left, int top, int right, int bottom) {
    return Rect16{static_cast<int16_t>(top), static_cast<int16_t>(left),
                  static_cast<int16_t>(bottom), static_cast<int16_t>(right)};
}

}  // namespace

TEST(ThemedPaths, VisualStylesAreInUseUnderXP) {
    ASSERT_TRUE(ReportsXP());
    ResetVisualStylesCache();
    LoadUxTheme();
    EXPECT_TRUE(IsVisualStylesOS());
    EXPECT_TRUE(VisualStylesInUse());
}

TEST(ThemedPaths, AGroupBoxInAGroupBoxKeepsTheWindowAsNativeParent) {
    LoadUxTheme();
    ResetVisualStylesCache();
    RegisterPaneWindowClasses();
    HWND window = CreateWindowExW(0, L"QV_Pane", L"root", WS_POPUP | WS_VISIBLE, 0, 0, 300, 300,
                                  nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
    auto* root = new WindowPane(window);
    auto* outer =
        new BasicPane(root, 0, R(10, 10, 200, 200), string(""), "BUTTON", BS_GROUPBOX, 0);
    auto* inner =
        new BasicPane(root, 0, R(20, 20, 100, 100), string(""), "BUTTON", BS_GROUPBOX, 0);
    auto* plain = new BasicPane(root, 0, R(120, 20, 150, 40), string(""), "QV_Pane", 0, 0);
    EXPECT_EQ(GetParent(inner->GetHWND()), window);
    EXPECT_EQ(inner->GetParentPane(), outer) << "the logical parent is still the group box";
    EXPECT_EQ(GetParent(plain->GetHWND()), outer->GetHWND());
    root->Close();
}

TEST(ThemedPaths, DrawingRoutinesTryTheThemeFirst) {
    LoadUxTheme();
    ResetVisualStylesCache();
    RegisterPaneWindowClasses();
    HWND window = CreateWindowExW(0, L"QV_Pane", L"root", WS_POPUP | WS_VISIBLE, 0, 0, 100, 100,
                                  nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
    HDC dc = GetDC(window);
    HTHEME_ theme = UxOpenThemeData(window, L"Button");
    const RECT area = {0, 0, 40, 40};
    FillRect(dc, &area, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
    DrawEditFrame(dc, 0, 0, 40, 40, true, true);
    const COLORREF classicEdge = GetPixel(dc, 20, 0);
    EXPECT_EQ(classicEdge, GetSysColor(COLOR_BTNSHADOW)) << "classic only when asked";
    FillRect(dc, &area, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
    DrawCheckBoxFrame(dc, 0, 0, 40, 40, false);
    if (theme) {
        // The themed check box is drawn by the theme over the given rectangle, not as the
        // classic centred square.
        EXPECT_NE(GetPixel(dc, 20, 14), GetSysColor(COLOR_BTNSHADOW));
        UxCloseThemeData(theme);
    } else {
        // No theme opens: the classic square is the fallback.
        EXPECT_EQ(GetPixel(dc, 20, 14), GetSysColor(COLOR_BTNSHADOW));
    }
    ReleaseDC(window, dc);
    DestroyWindow(window);
}
