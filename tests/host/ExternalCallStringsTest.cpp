#include <gtest/gtest.h>

#include <cwchar>

#include "core/GuardedMemory.h"
#include "files/OSTypeText.h"
#include "host/ExternalCallStrings.h"

namespace {

TEST(ExternalCallStrings, CountedWideStringsCountAndFree) {
    string text;
    text.SetBytes("gr\xC3\xBC\xC3\x9F", 6);
    text.SetEncoding(kEncodingUTF8);
    wchar_t* wide = StringToWString(text.Record());
    ASSERT_NE(wide, nullptr);
    EXPECT_STREQ(wide, L"gr\u00FC\u00DF");
    EXPECT_EQ(reinterpret_cast<int32_t*>(wide)[-1], 1);
    EXPECT_EQ(GuardedBlockSize(reinterpret_cast<int32_t*>(wide) - 1), sizeof(int32_t) + 5 * sizeof(wchar_t));
    EXPECT_EQ(LockWString(wide), wide);
    EXPECT_EQ(reinterpret_cast<int32_t*>(wide)[-1], 2);
    wchar_t* other = StringToWString(nullptr);
    ASSERT_NE(other, nullptr);
    EXPECT_EQ(other[0], L'\0');
    SwapWStringLocks(other, wide);  // other 2, wide 1
    EXPECT_EQ(reinterpret_cast<int32_t*>(other)[-1], 2);
    EXPECT_EQ(UnlockWString(wide), 0);  // freed: the guard would catch a second free
    EXPECT_EQ(UnlockWString(other), 1);
    EXPECT_EQ(UnlockWString(other), 0);
    EXPECT_EQ(LockWString(nullptr), nullptr);
    EXPECT_EQ(UnlockWString(nullptr), 0);
}

TEST(ExternalCallStrings, BytesAndFourCharacterCodes) {
    const string text("TEXT file");
    EXPECT_STREQ(StringToCString(text.Record()), "TEXT file");
    EXPECT_STREQ(StringToCString(nullptr), "");
    EXPECT_EQ(StringToPString(text.Record())[0], 9);
    EXPECT_EQ(StringToPString(nullptr)[0], 0);
    const struct {
        const char* text;
        uint32_t code;
    } cases[] = {
        {"TEXT", 0x54455854}, {"TEXTual", 0x54455854}, {"ab", 0x61620000}, {"", 0x3F3F3F3F},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(OSTypeFromString(string(c.text)), c.code) << c.text;
        EXPECT_EQ(StringToOSType(string(c.text).Record()), c.code) << c.text;
    }
    EXPECT_EQ(StringToCFString(text.Record()), nullptr);
    EXPECT_EQ(RuntimeScriptFunction(), nullptr);
    EXPECT_GE(RuntimeTicks(), 0);
}

}  // namespace
