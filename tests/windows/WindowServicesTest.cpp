#include <gtest/gtest.h>

#include <windows.h>

#include <string>

#include "ModalDriver.h"
#include "core/GuardedMemory.h"
#include "host/ShutdownContexts.h"
#include "values/CharacterTables.h"
#include "core/EncodingConversion.h"
#include "windows/Keyboard.h"
#include "windows/WindowServices.h"

namespace {

HWND MakeWindow(const wchar_t* className, DWORD style, HMENU menu = nullptr) {
    static bool registered = false;
    if (!registered) {
        registered = true;
        for (const wchar_t* name : {L"QvServicesTestWindow", L"Shell_TrayWnd"}) {
            WNDCLASSW windowClass = {};
            windowClass.lpfnWndProc = DefWindowProcW;
            windowClass.hInstance = GetModuleHandleW(nullptr);
            windowClass.lpszClassName = name;
            RegisterClassW(&windowClass);
        }
    }
    return CreateWindowExW(0, className, L"", style, 100, 100, 300, 200, nullptr, menu,
                           GetModuleHandleW(nullptr), nullptr);
}

int Height(HWND window) {
    RECT rect;
    GetWindowRect(window, &rect);
    return rect.bottom - rect.top;
}

}  // namespace

TEST(ModalWindows, OnlyVisibleModalWindowsOwnAndBlock) {
    HWND document = MakeWindow(L"QvServicesTestWindow", WS_POPUP | WS_VISIBLE);
    HWND dialog = MakeWindow(L"QvServicesTestWindow", WS_POPUP | WS_VISIBLE);
    HWND hidden = MakeWindow(L"QvServicesTestWindow", WS_POPUP);
    EXPECT_EQ(GetFrontVisibleHWND(), nullptr);
    EXPECT_FALSE(IsBlockedByFrontWindow(document));

    AddVisibleWindowHandle(dialog);
    AddVisibleWindowHandle(hidden);  // newer, but a hidden modal window never counts
    EXPECT_EQ(GetFrontVisibleHWND(), dialog);
    EXPECT_TRUE(IsBlockedByFrontWindow(document));
    EXPECT_FALSE(IsBlockedByFrontWindow(dialog));

    ShowWindow(hidden, SW_SHOWNA);
    EXPECT_EQ(GetFrontVisibleHWND(), hidden);
    EXPECT_TRUE(IsBlockedByFrontWindow(dialog));

    // Destroyed windows leave the list: their handles may come back for other windows.
    RemoveVisibleWindowHandle(hidden);
    DestroyWindow(hidden);
    RemoveVisibleWindowHandle(dialog);
    DestroyWindow(dialog);
    EXPECT_EQ(GetFrontVisibleHWND(), nullptr);
    EXPECT_FALSE(IsBlockedByFrontWindow(document));
    DestroyWindow(document);
}

TEST(MenuBarHiding, HidingTwiceAndShowingOnceRestoresTheMenuAndTheTaskBar) {
    HWND taskBar = MakeWindow(L"Shell_TrayWnd", WS_POPUP | WS_VISIBLE);
    HMENU menu = CreateMenu();
    AppendMenuW(menu, MF_STRING, 1, L"File");
    HWND window = MakeWindow(L"QvServicesTestWindow", WS_OVERLAPPEDWINDOW | WS_VISIBLE, menu);
    SetForegroundWindow(window);
    SetActiveWindow(window);
    PumpOnce();
    ASSERT_EQ(GetActiveWindow(), window);
    const int height = Height(window);

    HideMenuBar();
    HideMenuBar();
    EXPECT_EQ(GetMenu(window), nullptr);
    EXPECT_EQ(Height(window), height - GetSystemMetrics(SM_CYMENU));
    EXPECT_FALSE(IsWindowVisible(taskBar));

    ShowMenuBar();
    EXPECT_EQ(GetMenu(window), menu);
    EXPECT_EQ(Height(window), height);
    EXPECT_TRUE(IsWindowVisible(taskBar));
    ShowMenuBar();
    EXPECT_EQ(Height(window), height) << "showing again changes nothing";

    HideMenuBar();
    EXPECT_FALSE(IsWindowVisible(taskBar));
    DestroyShutdownContexts();
    EXPECT_TRUE(IsWindowVisible(taskBar)) << "the task bar comes back at the end of the run";
    EXPECT_EQ(GetMenu(window), menu);
    DestroyWindow(window);
    DestroyWindow(taskBar);
}

TEST(WindowServiceConversions, ColoursAndModifierWords) {
    RGBColor16 colour = {};
    ColorRefToRGBColor16(colour, RGB(1, 128, 255));
    EXPECT_EQ(colour.red, 257);
    EXPECT_EQ(colour.green, 128 * 257);
    EXPECT_EQ(colour.blue, 65535);
    GetHighlightColor(colour);
    EXPECT_EQ(colour.blue, GetBValue(GetSysColor(COLOR_HIGHLIGHT)) * 257);

    struct Case {
        uint32_t wParam;
        int32_t modifiers;
    } cases[] = {{0, 0}, {MK_CONTROL, 0x1000}, {MK_SHIFT, 0x200}, {MK_CONTROL | MK_SHIFT | MK_LBUTTON, 0x1200}};
    for (const Case& c : cases) EXPECT_EQ(MouseKeyModifiers(c.wParam), c.modifiers) << c.wParam;
    gKeyModifiers = 0xFFFF;
    UpdateKeyModifiers();
    EXPECT_EQ(gKeyModifiers, 0) << "no key is down";
}

// Run under the Japanese and the Chinese locale as well: the code page follows the system script.
TEST(WideSystemText, CodePagesFollowTheSystemScript) {
    InitializeSystemScript();
    struct Case {
        int32_t script;
        const char* bytes;
        const wchar_t* wide;
    } cases[] = {
        {0, "caf\xC3\xA9", L"caf\x00E9"},
        {13, "\x82\xA0", L"\x3042"},
        {21, "\xA4\x40", L"\x4E00"},
    };
    int matched = 0;
    for (const Case& c : cases) {
        if (c.script != SystemScript()) continue;
        ++matched;
        string text;
        text.SetBytes(c.bytes, lstrlenA(c.bytes));
        wchar_t* wide = NewWideFromString(text);
        EXPECT_STREQ(wide, c.wide);
        GuardedDelete(wide);
        if (c.script == 0) continue;  // the system's own code page is not UTF-8
        const string back = StringFromWideSystem(c.wide);
        EXPECT_EQ(std::string(back.CString(), static_cast<size_t>(back.Length())), c.bytes);
        EXPECT_EQ(back.Encoding(), SystemTextEncoding());
    }
    EXPECT_EQ(matched, 1) << "system script " << SystemScript();
    EXPECT_EQ(StringFromWideSystem(L"").Length(), 0);
    EXPECT_EQ(StringFromWideSystem(nullptr).Length(), 0);
    const string plain = StringFromWideSystem(L"plain");
    EXPECT_EQ(std::string(plain.CString()), "plain");
}
