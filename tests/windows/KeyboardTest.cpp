#include <gtest/gtest.h>

#include <windows.h>

#include <string>

#include "StringTesting.h"
#include "core/Platform.h"
#include "windows/Keyboard.h"

namespace {

std::string Text(StringRecord* record) {
    const string text = string::Adopt(record);
    const string utf16 = text.ToUTF16();
    std::string out;
    for (const wchar_t* unit = utf16.WidePointer(); unit && *unit; ++unit)
        out += static_cast<char>(*unit);
    return out;
}

void Press(WORD virtualKey, bool up) {
    INPUT input = {};
    input.type = INPUT_KEYBOARD;
    input.ki.wVk = virtualKey;
    input.ki.dwFlags = up ? KEYEVENTF_KEYUP : 0;
    SendInput(1, &input, sizeof input);
}

}  // namespace

TEST(KeyNames, NamesToVirtualKeysWithoutCase) {
    struct Case {
        const char* name;
        int32_t code;
    } cases[] = {
        {"Page Up", 0x21}, {"page up", 0x21}, {"PAGE UP", 0x21}, {"PageUp", 0},
        {"5", 0x35},       {"F13", 0x2C},     {"q", 0x51},       {"Del", 0x2E},
        {"Return", 0x0D},  {"\\", 0xDC},      {"'", 0xDE},       {"", 0},
        {"F16", 0},        {"Help", 0x2D},
    };
    for (const Case& c : cases)
        EXPECT_EQ(ConvertStringToWin32KeyCode(string(c.name).Record()), c.code) << c.name;
}

TEST(KeyNames, KeyCodesToVirtualKeysAndNames) {
    EXPECT_EQ(ConvertToWin32KeyCode(114 * 65536), 0x71);
    EXPECT_EQ(ConvertToWin32KeyCode(36), 0x0D);
    EXPECT_EQ(ConvertToWin32KeyCode(10), 0);
    EXPECT_EQ(ConvertToWin32KeyCode(-1), 0) << "no table is read below its start";
    EXPECT_EQ(ConvertToWin32KeyCode(-65536 * 3), 0);

    ObjectHeader* keyboard = getKeyboardObject();
    ASSERT_NE(keyboard, nullptr);
    ObjectHeader* another = getKeyboardObject();
    EXPECT_NE(keyboard, another) << "a new object on every call";
    RuntimeUnlockObject(another);

    EXPECT_EQ(Text(keyboardKeyName(keyboard, 36)), "Enter");
    EXPECT_EQ(Text(keyboardKeyName(keyboard, 81)), "");
    EXPECT_EQ(Text(keyboardKeyName(keyboard, 113)), "Pause/Break");
    // The A key has no name of the runtime's own: the layout names it.
    char layout[32] = {};
    GetKeyNameTextA(static_cast<LONG>(MapVirtualKeyA('A', 0)) << 16, layout, 32);
    ASSERT_NE(layout[0], 0);
    EXPECT_EQ(Text(keyboardKeyName(keyboard, 0)), layout);
    SetUnicodePlatformOverride(UnicodePlatformOverride::ForceAnsi);
    StringRecord* narrow = keyboardKeyName(keyboard, 0);
    EXPECT_NE(narrow->encoding, kEncodingUTF16);
    EXPECT_EQ(Text(narrow), layout);
    SetUnicodePlatformOverride(UnicodePlatformOverride::None);
    EXPECT_EQ(Text(keyboardKeyName(keyboard, -5)), "") << "a code below 0 names no key";
    RuntimeUnlockObject(keyboard);
}

TEST(KeyModifierGetters, LastEventGettersReadTheEventsModifiers) {
    struct Case {
        int32_t modifiers;
        int32_t parameter;
        bool down;
    } cases[] = {
        {0x1000, -1, true},   {0x100, -1, false},  {0x100, 0x100, true}, {0x1000, 0x100, false},
        {0x200, -2, true},    {0x1000, -2, false}, {0x800, 0x800, true}, {0x1A00, 0x200, true},
        {0, 0x1000, false},   {0xFFFF, 0, false},
    };
    for (const Case& c : cases) {
        gKeyModifiers = c.modifiers;
        EXPECT_EQ(modifierKeyGetter(nullptr, c.parameter), c.down)
            << std::hex << c.modifiers << " " << c.parameter;
    }
    gKeyModifiers = 0x1000;
    EXPECT_TRUE(menuModifierKeyGetter(false));
    EXPECT_FALSE(alternateMenuShortcutKeyGetter(false));
    gKeyModifiers = 0;
}

// Keys injected with SendInput reach the asynchronous key state under Wine when no window of the
// process has just taken the focus (its keymap resync drops modifiers pressed before it).
TEST(AsyncKeyGetters, FollowInjectedKeys) {
    struct Case {
        WORD key;
        int32_t parameter;
        int32_t modifiers;
    } cases[] = {
        {VK_SHIFT, 0x200, 0x200}, {VK_SHIFT, -2, 0x200},  {VK_CONTROL, 0x1000, 0x1000},
        {VK_CONTROL, -1, 0x1000}, {VK_MENU, 0x800, 0x800}, {VK_LWIN, 0x100, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.key);
        EXPECT_FALSE(asyncModifierKeyGetter(nullptr, c.parameter));
        Press(c.key, false);
        EXPECT_TRUE(asyncModifierKeyGetter(nullptr, c.parameter));
        EXPECT_EQ(GetAsyncKeyModifiers(), c.modifiers);
        EXPECT_FALSE(asyncModifierKeyGetter(nullptr, 0x400)) << "no such modifier";
        Press(c.key, true);
        EXPECT_FALSE(asyncModifierKeyGetter(nullptr, c.parameter));
    }
    Press(VK_CONTROL, false);
    EXPECT_TRUE(menuModifierKeyGetter(true));
    Press(VK_CONTROL, true);

    // AsyncKeyDown by key position (0 the A key, 120 F2) and by a virtual key in the upper half.
    struct Key {
        int32_t keyCode;
        WORD key;
    } keys[] = {{0, 'A'}, {120, VK_F2}, {(0x71 + 1) * 65536, VK_F2}};
    for (const Key& k : keys) {
        EXPECT_FALSE(keyboardAsyncKeyDown(nullptr, k.keyCode)) << k.keyCode;
        Press(k.key, false);
        EXPECT_TRUE(keyboardAsyncKeyDown(nullptr, k.keyCode)) << k.keyCode;
        Press(k.key, true);
    }
}
