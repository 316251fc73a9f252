// Run by CTest in the default locale and under ja_JP and zh_TW, whose system code pages (932 and
// 950) are double-byte: the character forms over system text, which carries kEncodingUnknown.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "StringTesting.h"
#include "values/CharacterTables.h"
#include "core/EncodingConversion.h"
#include "values/StringLibrary.h"

namespace {

// "x", one double-byte character whose trail byte is "a", another character, then "A".
struct SystemText {
    uint32_t encoding;
    std::string_view text;
    std::string_view trailA;  // the character whose trail byte is "a"
    std::string_view other;
    int32_t otherCode;
};

constexpr SystemText kTexts[] = {
    {kEncodingShiftJIS, "x\x82\x61\x82\xA0" "A", "\x82\x61", "\x82\xA0", 0x82A0},
    {kEncodingDOSChineseTrad, "x\xA4\x61\xA4\xA4" "A", "\xA4\x61", "\xA4\xA4", 0xA4A4},
};

string Str(StringRecord* record) { return string::Adopt(record); }

}  // namespace

TEST(SystemDoubleByte, CharacterFormsOverSystemText) {
    const SystemText* row = nullptr;
    for (const SystemText& candidate : kTexts)
        if (candidate.encoding == SystemTextEncoding()) row = &candidate;
    const char* locale = std::getenv("LC_ALL");
    const std::string_view language = locale ? locale : "";
    if (language.starts_with("ja") || language.starts_with("zh")) {
        ASSERT_NE(row, nullptr) << language;
    }
    if (!row) {
        // A single-byte system: the character forms count bytes.
        const string s = Tagged("x\xE9z", kEncodingUnknown);
        EXPECT_EQ(StringDBCSLen(s.Record()), 3);
        EXPECT_EQ(StringDBCSInStr(1, s.Record(), Tagged("Z", kEncodingASCII).Record()), 3);
        return;
    }
    EXPECT_TRUE(SelectSystemCharacterTables());
    const string s = Tagged(row->text, kEncodingUnknown);
    const string a = Tagged("a", kEncodingASCII);
    EXPECT_EQ(StringDBCSLen(s.Record()), 4);
    EXPECT_EQ(StringLen(s.Record()), 6);
    EXPECT_EQ(BytesOf(Str(StringDBCSLeft(s.Record(), 2))), std::string("x") + std::string(row->trailA));
    EXPECT_EQ(BytesOf(Str(StringDBCSMid3(s.Record(), 3, 1))), row->other);
    EXPECT_EQ(BytesOf(Str(StringDBCSMid2(s.Record(), 4))), "A");
    EXPECT_EQ(BytesOf(Str(StringDBCSRight(s.Record(), 2))), std::string(row->other) + "A");
    EXPECT_EQ(StringDBCSAsc(Str(StringDBCSMid2(s.Record(), 3)).Record()), row->otherCode);
    const string chr = Str(StringDBCSChr(row->otherCode));
    EXPECT_EQ(BytesOf(chr), row->other);
    EXPECT_EQ(chr.Encoding(), kEncodingUnknown);

    // "a" matches the final "A", never the trail byte: InStr answers a byte position,
    // StringDBCSInStr a character position.
    EXPECT_EQ(StringInStr(1, s.Record(), a.Record()), 6);
    EXPECT_EQ(StringDBCSInStr(1, s.Record(), a.Record()), 4);
    EXPECT_EQ(StringDBCSInStr(3, s.Record(), Tagged(row->other, kEncodingUnknown).Record()), 3);
    EXPECT_EQ(StringDBCSInStr(4, s.Record(), Tagged(row->other, kEncodingUnknown).Record()), 0);
    EXPECT_EQ(StringInStrB(1, s.Record(), a.Record()), 3);  // the byte form does see it

    // Fields, splits and case keep whole characters.
    EXPECT_EQ(StringCountFields(s.Record(), a.Record()), 2);
    EXPECT_EQ(BytesOf(Str(StringUCase(s.Record()))).substr(1, 4),
              std::string(row->trailA) + std::string(row->other));
}
