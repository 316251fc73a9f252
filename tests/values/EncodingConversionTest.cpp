#include <gtest/gtest.h>

#include <string_view>

#include "FailureRecorder.h"
#include "StringTesting.h"
#include "core/RuntimeString.h"
#include "core/EncodingConversion.h"

namespace {

// One character in each form: Japanese hiragana "a" (U+3042) and half-width katakana "a" (U+FF71).
constexpr std::string_view kHiraganaUtf8 = "\xE3\x81\x82";
constexpr std::string_view kHiraganaUtf16{"\x42\x30", 2};
constexpr std::string_view kHiraganaSjis = "\x82\xA0";
constexpr std::string_view kHiraganaEuc = "\xA4\xA2";
constexpr std::string_view kHiraganaJis = "\x1B$B\x24\x22\x1B(J";

}  // namespace

TEST(CodePageForEncoding, Table) {
    struct Case {
        uint32_t value;
        int32_t format;
        bool found;
        uint32_t codePage;
    } cases[] = {
        {0xFFFF03A4, 0, true, 932},           // a code page named directly
        {kEncodingUTF8, 0, true, 65001},
        {0x100, 2, true, 65001},
        {0x100, 0, true, 1200},
        {0x101, 1, true, 65000},
        {0x100, 3, false, 0},
        {0x9, 0, false, 0},                   // MacDevanagari
        {kEncodingMacRoman, 0, true, 10000},
        {0x19, 0, true, 10008},
        {kEncodingISOLatin1, 0, true, 28591},
        {0x206, 0, true, 708},
        {kEncodingDOSJapanese, 0, true, 932},
        {kEncodingDOSChineseTrad, 0, true, 950},
        {kEncodingWindowsLatin1, 0, true, 1252},
        {kEncodingWindowsCyrillic, 0, true, 1251},
        {kEncodingASCII, 0, true, 20127},
        {0x631, 0, true, 936},
        {kEncodingShiftJIS, 0, true, 932},
        {kEncodingISO2022JP, 0, true, kCodePageISO2022JP},
        {kEncodingEUCJP, 0, true, kCodePageEUCJP},
        {0xC01, 0, true, 37},
        {0x7777, 0, false, 0},
    };
    for (const Case& c : cases) {
        uint32_t codePage = 12345;
        EXPECT_EQ(CodePageForEncoding(codePage, c.value, 0, c.format), c.found)
            << std::hex << c.value;
        if (c.found) {
            EXPECT_EQ(codePage, c.codePage) << std::hex << c.value;
        }
    }
    // No encoding reads as the system's code page.
    uint32_t unknown = 0;
    uint32_t system = 0;
    EXPECT_TRUE(CodePageForEncoding(unknown, kEncodingUnknown, 0, 0));
    ASSERT_TRUE(CodePageForEncoding(system, SystemTextEncoding(), 0, 0));
    EXPECT_EQ(unknown, system);
}

TEST(ConcatenationEncoding, Table) {
    struct Case {
        uint32_t a, b;
        bool choose;
        uint32_t expected;
    } cases[] = {
        {0x500, 0x500, false, 0x500},
        {kEncodingASCII, kEncodingUTF8, false, kEncodingUTF8},
        {kEncodingUTF8, kEncodingASCII, false, kEncodingUTF8},
        {kEncodingASCII, 0x500, false, 0x500},
        {0x500, kEncodingASCII, false, 0x500},
        {kEncodingASCII, kEncodingUTF16, false, kEncodingUnknown},
        {kEncodingASCII, kEncodingUTF16, true, kEncodingUTF16},
        {0x500, 0x201, false, kEncodingUnknown},
        {0x500, 0x201, true, kEncodingUTF8},
        {kEncodingUTF16, 0x500, true, kEncodingUTF16},
        {kEncodingUTF16, kEncodingUTF8, true, kEncodingUTF8},
        {kEncodingASCII, kEncodingUnknown, false, kEncodingUnknown},
    };
    for (const Case& c : cases)
        EXPECT_EQ(ConcatenationEncoding(c.a, c.b, c.choose), c.expected)
            << std::hex << c.a << " " << c.b << " " << c.choose;
}

TEST(ConvertStringEncoding, Shortcuts) {
    const string unknown = Tagged("\xE9", kEncodingUnknown);
    EXPECT_EQ(ConvertStringEncoding(unknown, kEncodingUTF8).Record(), unknown.Record());
    EXPECT_TRUE(ConvertStringEncoding(string(), kEncodingUTF8).IsEmpty());
    const string latin = Tagged("\xE9", 0x500);
    EXPECT_EQ(ConvertStringEncoding(latin, 0x500).Record(), latin.Record());
    EXPECT_EQ(ConvertStringEncoding(latin, kEncodingUnknown).Record(), latin.Record());

    // Plain ASCII only changes its tag, also when tagged with an 8-bit encoding.
    const string abc = Tagged("abc", kEncodingASCII);
    const string mac = ConvertStringEncoding(abc, kEncodingMacRoman);
    EXPECT_EQ(BytesOf(mac), "abc");
    EXPECT_EQ(mac.Encoding(), kEncodingMacRoman);
    EXPECT_NE(mac.Record(), abc.Record());
    const string wide = ConvertStringEncoding(abc, kEncodingUTF16);
    EXPECT_EQ(BytesOf(wide), std::string_view("a\0b\0c\0", 6));

    // The same record to the same encoding again answers the same result.
    const string first = ConvertStringEncoding(latin, kEncodingUTF8);
    const string second = ConvertStringEncoding(latin, kEncodingUTF8);
    EXPECT_EQ(first.Record(), second.Record());
    EXPECT_EQ(BytesOf(first), "\xC3\xA9");
    EXPECT_EQ(abc.Encoding(), kEncodingASCII);
}

TEST(ConvertStringEncoding, BetweenEncodings) {
    struct Case {
        std::string_view from;
        uint32_t fromTag;
        std::string_view to;
        uint32_t toTag;
    } cases[] = {
        {kHiraganaUtf8, kEncodingUTF8, kHiraganaSjis, kEncodingShiftJIS},
        {kHiraganaSjis, kEncodingShiftJIS, kHiraganaUtf8, kEncodingUTF8},
        {kHiraganaSjis, kEncodingShiftJIS, kHiraganaUtf16, kEncodingUTF16},
        {kHiraganaUtf16, kEncodingUTF16, kHiraganaSjis, kEncodingShiftJIS},
        {kHiraganaUtf16, kEncodingUTF16, kHiraganaUtf8, kEncodingUTF8},
        {kHiraganaEuc, kEncodingEUCJP, kHiraganaSjis, kEncodingShiftJIS},
        {kHiraganaSjis, kEncodingShiftJIS, kHiraganaEuc, kEncodingEUCJP},
        {kHiraganaEuc, kEncodingEUCJP, kHiraganaUtf8, kEncodingUTF8},
        {kHiraganaUtf8, kEncodingUTF8, kHiraganaEuc, kEncodingEUCJP},  // through Shift-JIS
        {kHiraganaUtf16, kEncodingUTF16, kHiraganaJis, kEncodingISO2022JP},
        {kHiraganaJis, kEncodingISO2022JP, kHiraganaUtf8, kEncodingUTF8},
        {kHiraganaJis, kEncodingISO2022JP, kHiraganaEuc, kEncodingEUCJP},
        {"\xB1", kEncodingShiftJIS, "\xEF\xBD\xB1", kEncodingUTF8},
        {"\xEF\xBD\xB1", kEncodingUTF8, "\x8E\xB1", kEncodingEUCJP},
        {"\x8E\xB1", kEncodingEUCJP, "\xEF\xBD\xB1", kEncodingUTF8},
        {"caf\xE9", kEncodingWindowsLatin1, "caf\xC3\xA9", kEncodingUTF8},
        {"caf\xC3\xA9", kEncodingUTF8, "caf\xE9", kEncodingWindowsLatin1},
        {"caf\xE9", kEncodingWindowsLatin1, "caf\x8E", kEncodingMacRoman},
        {"\xC6", kEncodingWindowsCyrillic, "\xD0\x96", kEncodingUTF8},
        {"\xD0\x96", kEncodingUTF8, "\xC6", EncodingForCodePage(1251)},
        {"\xE4\xB8\xAD", kEncodingUTF8, "\xA4\xA4", kEncodingDOSChineseTrad},
        {"\xE9", kEncodingWindowsLatin1, {"\xE9\0", 2}, kEncodingUTF16},
    };
    for (const Case& c : cases) {
        const string source = Tagged(c.from, c.fromTag);
        const string result = ConvertStringEncoding(source, c.toTag);
        SCOPED_TRACE(testing::Message() << std::hex << c.fromTag << " -> " << c.toTag);
        EXPECT_EQ(BytesOf(result), c.to);
        EXPECT_EQ(result.Encoding(), c.toTag);
        EXPECT_EQ(source.Encoding(), c.fromTag);
        if (!result.IsEmpty()) {
            EXPECT_EQ(static_cast<unsigned char>(result.CString()[result.Length()]), 0);
        }
    }
}

TEST(ConvertStringEncoding, MissingCodePageGivesEmpty) {
    EXPECT_TRUE(ConvertThroughUTF16(Tagged("abc\xE9", 0x9), 0x9, 0xA).IsEmpty());
    EXPECT_TRUE(ConvertStringEncoding(Tagged("\xE9", 0x500), 0x7777).IsEmpty());
    EXPECT_TRUE(ConvertStringEncoding(Tagged("\xE9", 0x7777), kEncodingUTF8).IsEmpty());
    const string same = Tagged("x\xE9", 0x9);
    EXPECT_EQ(ConvertThroughUTF16(same, 0x9, 0x9).Record(), same.Record());
}

TEST(ReconcileStringEncodings, ConvertsOnlyWhatDiffers) {
    string a = Tagged("\xE9", 0x500);
    string b = Tagged("\xE9", 0x201);
    EXPECT_EQ(ReconcileStringEncodings(&a, &b), kEncodingUTF8);
    EXPECT_EQ(BytesOf(a), "\xC3\xA9");
    EXPECT_EQ(BytesOf(b), "\xC3\xA9");

    string ascii = Tagged("x", kEncodingASCII);
    string latin = Tagged("\xE9", 0x500);
    StringRecord* kept = latin.Record();
    EXPECT_EQ(ReconcileStringEncodings(&ascii, &latin), 0x500u);
    EXPECT_EQ(latin.Record(), kept);
    EXPECT_EQ(ascii.Encoding(), kEncodingASCII);

    string empty;
    EXPECT_EQ(ReconcileStringEncodings(&empty, &latin), 0x500u);
    string empty2;
    EXPECT_EQ(ReconcileStringEncodings(&empty, &empty2), kEncodingASCII);
    string unknown = Tagged("\xE9", kEncodingUnknown);
    EXPECT_EQ(ReconcileStringEncodings(&unknown, &latin), kEncodingUnknown);
    EXPECT_EQ(latin.Record(), kept);

    // A side that cannot be converted stops it; that side keeps its text.
    string noCodePage = Tagged("\xE9", 0x9);
    EXPECT_EQ(ReconcileStringEncodings(&latin, &noCodePage), kEncodingUnknown);
    EXPECT_EQ(BytesOf(noCodePage), "\xE9");
    EXPECT_EQ(noCodePage.Encoding(), 0x9u);
}

TEST(ReconcileStringEncodings, NullHandleAsserts) {
    FailureRecorder recorder;
    string s = Tagged("x", kEncodingASCII);
    EXPECT_EQ(ReconcileStringEncodings(&s, nullptr), kEncodingUnknown);
    ASSERT_EQ(recorder.Count(), 1u);
    EXPECT_EQ(recorder.Last().kind, kFailedAssertion);
    EXPECT_EQ(recorder.Last().file, "TextEncodingUtil");
    EXPECT_EQ(recorder.Last().line, 1249);
    EXPECT_EQ(recorder.Last().condition, "s1 and s2");
}

TEST(JapaneseByteConverters, EveryJisCharacterRoundTrips) {
    for (int32_t row = 0x21; row <= 0x7E; ++row) {
        for (int32_t cell = 0x21; cell <= 0x7E; ++cell) {
            int32_t c1 = row;
            int32_t c2 = cell;
            JisToSjis(c1, c2);
            ASSERT_TRUE((c1 >= 0x81 && c1 <= 0x9F) || (c1 >= 0xE0 && c1 <= 0xEF)) << row << " " << cell;
            ASSERT_TRUE(c2 >= 0x40 && c2 <= 0xFC && c2 != 0x7F) << row << " " << cell;
            SjisToJis(c1, c2);
            ASSERT_EQ(c1, row);
            ASSERT_EQ(c2, cell);
        }
    }
    int32_t c1 = 0x24;
    int32_t c2 = 0x22;
    JisToSjis(c1, c2);
    EXPECT_EQ(c1, 0x82);
    EXPECT_EQ(c2, 0xA0);
}

TEST(JapaneseByteConverters, Texts) {
    using Converter = string (*)(const string&);
    struct Case {
        Converter convert;
        std::string_view in, out;
    } cases[] = {
        {EucToSjisText, "a\xA4\xA2z", "a\x82\xA0z"},
        {EucToSjisText, "\x8E\xB1", "\xB1"},
        {EucToSjisText, "\x8E\x41", "\x8E\x41"},    // not a katakana: both copied
        {EucToSjisText, "\xA4\x41", "\xA4\x41"},    // lead with a non-EUC byte: both copied
        {EucToSjisText, "a\xA4", "a\xA4"},          // a lead that ends the text stays as it is
        {EucToSjisText, "\x8E", "\x8E"},
        {SjisToEucText, "a\x82\xA0\xB1", "a\xA4\xA2\x8E\xB1"},
        {SjisToEucText, "\x82\x30", "\x82\x30"},
        {SjisToEucText, "a\x82", "a\x82"},
        {SjisToJisText, "a\x82\xA0\x82\xA0" "b", "a\x1B$B\x24\x22\x24\x22\x1B(Jb"},
        {SjisToJisText, "\xB1\xB2", "\x1B(I\x31\x32\x1B(J"},
        {SjisToJisText, "\x82\xA0\r\n", "\x1B$B\x24\x22\x1B(J\r\n"},
        {SjisToJisText, "\x82", "\x82"},
        {JisToSjisText, "a\x1B$B\x24\x22\x1B(Jb", "a\x82\xA0" "b"},
        {JisToSjisText, "\x1B(I\x31\x1B(B\x31", "\xB1\x31"},
        {JisToSjisText, "\x1BK\x24\x22\n\x24", "\x82\xA0\n\x24"},  // a line end leaves two-byte mode
        {JisToSjisText, "\x1B$B\x24", "\x24"},                      // a lead at the end
        {JisToSjisText, "\x1B", ""},
    };
    for (const Case& c : cases) {
        const string result = c.convert(Tagged(c.in, kEncodingUnknown));
        EXPECT_EQ(BytesOf(result), c.out);
    }
    EXPECT_EQ(SjisToJisText(Tagged("ab", kEncodingShiftJIS)).Encoding(), kEncodingASCII);
    EXPECT_EQ(EucToSjisText(Tagged("\xA4\xA2", kEncodingEUCJP)).Encoding(), kEncodingUnknown);
    EXPECT_TRUE(SjisToJisText(string()).IsEmpty());
}
