// The string library through its exported value and handle forms, over ASCII, UTF-8, UTF-16 and
// double-byte (Shift-JIS) text.
#include <gtest/gtest.h>

#include <climits>
#include <string>
#include <vector>

#include "FailureRecorder.h"
#include "StringTesting.h"
#include "core/ArrayRecord.h"
#include "values/CharacterTables.h"
#include "core/EncodingConversion.h"
#include "values/StringLibrary.h"

namespace {

using Unary = StringRecord* (*)(StringRecord*);
using WithCount = StringRecord* (*)(StringRecord*, int32_t);

string Apply(Unary f, const string& s) { return string::Adopt(f(s.Record())); }
string Apply(WithCount f, const string& s, int32_t n) { return string::Adopt(f(s.Record(), n)); }

string Ascii(std::string_view bytes) { return Tagged(bytes, kEncodingASCII); }
string Utf8(std::string_view bytes) { return Tagged(bytes, kEncodingUTF8); }
string Sjis(std::string_view bytes) { return Tagged(bytes, kEncodingShiftJIS); }

// The same three-character text in each form: a, n with tilde (or a double-byte character), o.
struct TextRow {
    const char* name;
    string text;
    std::string_view firstTwo;  // the bytes of the first two characters
    std::string_view lastTwo;
    std::string_view middle;    // the second character
    int32_t bytes;
    int32_t secondCode;         // DBCSAsc of the text from its second character
};

std::vector<TextRow> Rows() {
    return {
        {"ASCII", Ascii("abo"), "ab", "bo", "b", 3, 'b'},
        {"UTF-8", Utf8("a\xC3\xB1o"), "a\xC3\xB1", "\xC3\xB1o", "\xC3\xB1", 4, 0xF1},
        {"UTF-16", Wide(u"a\u00F1o"), std::string_view("a\0\xF1\0", 4),
         std::string_view("\xF1\0o\0", 4), std::string_view("\xF1\0", 2), 6, 0xF1},
        {"Shift-JIS", Sjis("a\x82\xA0o"), "a\x82\xA0", "\x82\xA0o", "\x82\xA0", 4, 0x82A0},
    };
}

std::string Texts(ArrayRecord* array) {
    std::string joined;
    for (int32_t i = 0; i <= array->upperBound[0]; ++i) {
        const string& part = reinterpret_cast<const string*>(array->data)[i];
        joined += (i ? "|" : "") + std::string(BytesOf(part));
    }
    return joined;
}

}  // namespace

// --- character tables ---

// A suite of its own, so that it runs in a process where no tables have been selected yet: text of
// an encoding without a usable code page still searches and folds ASCII letters.
TEST(CharacterTablesUnselected, SingleByteTextBeforeAnySelection) {
    const string s = Tagged("Hello", 0x7FFE);
    EXPECT_FALSE(SelectCharacterTables(0x7FFE));
    EXPECT_EQ(StringInStr(1, s.Record(), Tagged("LL", 0x7FFE).Record()), 3);
    EXPECT_EQ(StringCountFields(s.Record(), Tagged("L", 0x7FFE).Record()), 3);
}

TEST(CharacterTables, SelectionByEncoding) {
    EXPECT_FALSE(SelectCharacterTables(kEncodingUTF8));
    EXPECT_EQ(CurrentUpperTable()['a'], 'A');
    const unsigned char* utf8Upper = CurrentUpperTable();

    // UTF-16 has no usable code page: nothing changes.
    EXPECT_FALSE(SelectCharacterTables(kEncodingUTF16));
    EXPECT_EQ(CurrentUpperTable(), utf8Upper);

    EXPECT_TRUE(SelectCharacterTables(kEncodingShiftJIS));
    EXPECT_EQ(CurrentLeadTable()[0x82], 1);
    EXPECT_EQ(CurrentLeadTable()[0x41], 0);
    for (int b = 0; b < 256; ++b) ASSERT_EQ(CurrentUpperTable()[b] | CurrentLowerTable()[b], 0) << b;
    const unsigned char* sjisLead = CurrentLeadTable();
    EXPECT_TRUE(SelectCharacterTables(kEncodingShiftJIS));
    EXPECT_EQ(CurrentLeadTable(), sjisLead);  // built once

    // Unknown text is system text: the system encoding's block, cached under its value.
    SelectCharacterTables(kEncodingUnknown);
    const unsigned char* unknownLead = CurrentLeadTable();
    SelectCharacterTables(kEncodingUTF8);
    SelectCharacterTables(SystemTextEncoding());
    EXPECT_EQ(CurrentLeadTable(), unknownLead);
}

TEST(CharacterTables, DoubleByteStepping) {
    ASSERT_TRUE(SelectCharacterTables(kEncodingShiftJIS));
    const string s = Sjis("\x82\xA0" "b\x82");  // a pair, an ASCII byte, a lone lead byte
    EXPECT_EQ(DBCSCharStart(s, 1), 1);
    EXPECT_EQ(DBCSCharEnd(s, 1), 2);
    EXPECT_EQ(DBCSCharStart(s, 2), 3);
    EXPECT_EQ(DBCSCharEnd(s, 2), 3);
    EXPECT_EQ(DBCSCharStart(s, 3), 4);
    EXPECT_EQ(DBCSCharEnd(s, 3), 5);  // the lone lead byte steps past the end
    EXPECT_EQ(DBCSCharStart(s, 9), 6);
    for (int32_t n : {0, -1, INT_MIN}) {
        EXPECT_EQ(DBCSCharStart(s, n), 0);
        EXPECT_EQ(DBCSCharEnd(s, n), 0);
    }
    EXPECT_EQ(DBCSCharStart(string(), 1), 0);
    EXPECT_EQ(DBCSCharEnd(Sjis("b"), 1), 1);
}

TEST(CharacterTables, DecimalDigitsAndSystemScript) {
    EXPECT_TRUE(IsDecimalDigit('0'));
    EXPECT_TRUE(IsDecimalDigit('9'));
    for (int c : {int('/'), int(':'), 0x80, 0xB0, 0xB9, 0xFF}) EXPECT_FALSE(IsDecimalDigit(static_cast<char>(c))) << c;

    const string converted = ConvertToSystemScriptEncoding(Utf8("caf\xC3\xA9"));
    EXPECT_EQ(converted.Encoding(), kEncodingWindowsLatin1);
    EXPECT_EQ(BytesOf(converted), "caf\xE9");
}

// --- substrings, lengths and codes ---

TEST(Substrings, CharacterFormsOverEveryEncoding) {
    for (const TextRow& row : Rows()) {
        SCOPED_TRACE(row.name);
        const string& s = row.text;
        EXPECT_EQ(BytesOf(Apply(StringDBCSLeft, s, 2)), row.firstTwo);
        EXPECT_EQ(BytesOf(Apply(StringDBCSRight, s, 2)), row.lastTwo);
        EXPECT_EQ(BytesOf(string::Adopt(StringDBCSMid3(s.Record(), 2, 1))), row.middle);
        EXPECT_EQ(BytesOf(Apply(StringDBCSMid2, s, 2)), row.lastTwo);
        EXPECT_EQ(StringDBCSLen(s.Record()), 3);
        EXPECT_EQ(StringLen(s.Record()), row.bytes);
        EXPECT_EQ(StringDBCSAsc(s.Record()), 'a');
        EXPECT_EQ(StringDBCSAsc(Apply(StringDBCSMid2, s, 2).Record()), row.secondCode);
        EXPECT_EQ(Apply(StringDBCSLeft, s, 2).Encoding(), s.Encoding());

        // Whole and empty results.
        EXPECT_EQ(Apply(StringDBCSRight, s, 3).Record(), s.Record());
        EXPECT_EQ(Apply(StringDBCSLeft, s, 3).Record(), s.Record());
        EXPECT_EQ(Apply(StringDBCSMid2, s, 0).Record(), s.Record());
        EXPECT_TRUE(Apply(StringDBCSLeft, s, 0).IsEmpty());
        EXPECT_TRUE(Apply(StringDBCSRight, s, -1).IsEmpty());
        // A start below 1 shortens the count: (0, 2) is the first character only.
        EXPECT_EQ(StringDBCSLen(string::Adopt(StringDBCSMid3(s.Record(), 0, 2)).Record()), 1);
    }
}

TEST(Substrings, ExtremePositionsAndCounts) {
    const int32_t extremes[] = {INT_MIN, -1, 0, 1, 2, INT_MAX};
    for (const TextRow& row : Rows()) {
        SCOPED_TRACE(row.name);
        const string& s = row.text;
        for (int32_t n : extremes) {
            SCOPED_TRACE(n);
            EXPECT_LE(Apply(StringLeft, s, n).Length(), s.Length());
            EXPECT_LE(Apply(StringDBCSLeft, s, n).Length(), s.Length());
            EXPECT_LE(Apply(StringRight, s, n).Length(), s.Length());
            EXPECT_LE(Apply(StringDBCSRight, s, n).Length(), s.Length());
            EXPECT_LE(Apply(StringMid2, s, n).Length(), s.Length());
            EXPECT_LE(Apply(StringDBCSMid2, s, n).Length(), s.Length());
            for (int32_t count : extremes) {
                EXPECT_LE(string::Adopt(StringMid3(s.Record(), n, count)).Length(), s.Length());
                EXPECT_LE(string::Adopt(StringDBCSMid3(s.Record(), n, count)).Length(), s.Length());
            }
            EXPECT_GE(StringInStr(n, s.Record(), Ascii("o").Record()), 0);
            EXPECT_GE(StringInStrB(n, s.Record(), Ascii("o").Record()), 0);
        }
        EXPECT_EQ(Apply(StringLeft, s, INT_MAX).Record(), s.Record());
        EXPECT_EQ(Apply(StringMid2, s, INT_MIN).Record(), s.Record());
        EXPECT_EQ(string::Adopt(StringMid3(s.Record(), 1, INT_MAX)).Record(), s.Record());
        EXPECT_TRUE(string::Adopt(StringMid3(s.Record(), INT_MIN, INT_MAX)).IsEmpty());
        EXPECT_TRUE(string::Adopt(StringDBCSMid3(s.Record(), INT_MAX, INT_MAX)).IsEmpty());
    }
}

TEST(Substrings, ByteFormsAndCodes) {
    const string s = Utf8("a\xC3\xB1o");
    EXPECT_EQ(BytesOf(Apply(StringLeft, s, 2)), "a\xC3");
    EXPECT_EQ(BytesOf(Apply(StringRight, s, 1)), "o");
    EXPECT_EQ(BytesOf(string::Adopt(StringMid3(s.Record(), 2, 2))), "\xC3\xB1");
    EXPECT_EQ(BytesOf(Apply(StringMid2, s, 3)), "\xB1o");
    EXPECT_EQ(StringAsc(Apply(StringMid2, s, 2).Record()), 0xC3);
    EXPECT_EQ(StringAsc(nullptr), 0);
    EXPECT_EQ(StringDBCSAsc(nullptr), 0);
    EXPECT_EQ(StringDBCSLen(nullptr), 0);

    struct Chr {
        int32_t code;
        std::string_view bytes;
        uint32_t tag;
    } chrs[] = {
        {65, "A", kEncodingASCII},          {200, "\xC8", kEncodingUnknown},
        {321, "A", kEncodingUnknown},       {0, std::string_view("\0", 1), kEncodingASCII},
        {-1, "\xFF", kEncodingUnknown},
    };
    for (const Chr& chr : chrs) {
        const string c = string::Adopt(StringChr(chr.code));
        EXPECT_EQ(BytesOf(c), chr.bytes) << chr.code;
        EXPECT_EQ(c.Encoding(), chr.tag) << chr.code;
    }
    const string pair = string::Adopt(StringDBCSChr(0x82A0));
    EXPECT_EQ(BytesOf(pair), "\x82\xA0");
    EXPECT_EQ(pair.Encoding(), kEncodingUnknown);
    EXPECT_EQ(BytesOf(string::Adopt(StringDBCSChr(65))), "A");
    EXPECT_EQ(StringDBCSAsc(Sjis("\x82\xA0").Record()), 0x82A0);
}

// --- case and comparison ---

TEST(Case, UpperLowerAndTitle) {
    struct Case {
        string text;
        std::string_view upper;
        std::string_view lower;
        std::string_view title;
    } cases[] = {
        {Utf8("hello wORLD"), "HELLO WORLD", "hello world", "Hello World"},
        {Utf8("jean-luc"), "JEAN-LUC", "jean-luc", "Jean-luc"},
        {Utf8("\xC3\xB1" "and\xC3\xBA \xCF\x82"), "\xC3\x91" "AND\xC3\x9A \xCE\xA3", "\xC3\xB1" "and\xC3\xBA \xCF\x83",
         "\xC3\x91" "and\xC3\xBA \xCE\xA3"},
        {Tagged("caf\xE9 ol\xC9", kEncodingWindowsLatin1), "CAF\xC9 OL\xC9", "caf\xE9 ol\xE9", "Caf\xE9 Ol\xE9"},
        {Ascii("hello wORLD"), "HELLO WORLD", "hello world", "Hello World"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(BytesOf(c.text)));
        const string upper = Apply(StringUCase, c.text);
        EXPECT_EQ(BytesOf(upper), c.upper);
        EXPECT_EQ(upper.Encoding(), c.text.Encoding());
        EXPECT_EQ(BytesOf(Apply(StringLCase, c.text)), c.lower);
        EXPECT_EQ(BytesOf(Apply(StringTitleCase, c.text)), c.title);
    }
    const string wide = Apply(StringTitleCase, Wide(u"hello w\u00D6RLD"));
    EXPECT_EQ(wide.Encoding(), kEncodingUTF16);
    EXPECT_EQ(BytesOf(wide), BytesOf(Wide(u"Hello W\u00F6rld")));
    EXPECT_TRUE(Apply(StringUCase, string()).IsEmpty());
}

TEST(Comparison, ByteAndTextModes) {
    EXPECT_EQ(StringStrCompare(Ascii("a").Record(), Ascii("B").Record(), 0), 1);
    EXPECT_EQ(StringStrCompare(Ascii("a").Record(), Ascii("B").Record(), 1), -1);
    EXPECT_EQ(StringStrCompare(Utf8("abc").Record(), Utf8("ABC").Record(), 1), 1);
    EXPECT_EQ(StringStrCompare(Ascii("ab").Record(), Ascii("abc").Record(), 0), -1);
    EXPECT_EQ(StringStrCompare(nullptr, nullptr, 0), 0);
    EXPECT_EQ(StringStrCompare(nullptr, Ascii("a").Record(), 1), -1);
    EXPECT_EQ(StringStrCompare(Ascii("a").Record(), nullptr, 0), 1);

    EXPECT_EQ(RuntimeStringCompare(Utf8("abc").Record(), Utf8("ABC").Record()), 0);
    EXPECT_EQ(RuntimeStringCompare(Wide(u"abc").Record(), Utf8("ABD").Record()), -1);
    EXPECT_EQ(RuntimeStringCompare(Ascii("Apple").Record(), Ascii("apples").Record()), -1);
    EXPECT_EQ(RuntimeStringCompare(Tagged("\xE9t\xE9", kEncodingWindowsLatin1).Record(),
                                   Utf8("\xC3\x89T\xC3\x89").Record()), 0);
    EXPECT_EQ(RuntimeStringCompare(nullptr, Ascii("a").Record()), -1);
    EXPECT_EQ(RuntimeStringCompare(Ascii("a").Record(), nullptr), 1);
}

TEST(Trim, UnicodeWhiteSpace) {
    const string text = Utf8("\tx y\xE3\x80\x80");  // a tab, x y, U+3000
    EXPECT_EQ(BytesOf(Apply(runTrim, text)), "x y");
    EXPECT_EQ(BytesOf(Apply(runLTrim, text)), "x y\xE3\x80\x80");
    EXPECT_EQ(BytesOf(Apply(runRTrim, text)), "\tx y");
    const string x = Ascii("x");
    EXPECT_EQ(Apply(runTrim, x).Record(), x.Record());
    EXPECT_TRUE(Apply(runTrim, Utf8(" \xC2\xA0\r\n")).IsEmpty());
    EXPECT_TRUE(Apply(runLTrim, Ascii("   ")).IsEmpty());

    const string wide = Apply(runTrim, Wide(u"\u2003a b\u00A0"));
    EXPECT_EQ(BytesOf(wide), BytesOf(Wide(u"a b")));
    EXPECT_EQ(wide.Encoding(), kEncodingUTF16);

    // Other encodings trim through UTF-16 and come back in their own.
    const string latin = Apply(runTrim, Tagged("\xA0" "caf\xE9 ", kEncodingWindowsLatin1));
    EXPECT_EQ(BytesOf(latin), "caf\xE9");
    EXPECT_EQ(latin.Encoding(), kEncodingWindowsLatin1);
    const string unknown = Apply(runRTrim, Tagged("caf\xE9\t", kEncodingUnknown));
    EXPECT_EQ(BytesOf(unknown), "caf\xE9");
    EXPECT_EQ(unknown.Encoding(), kEncodingUnknown);
}

// --- search ---

TEST(InStr, PositionsAcrossForms) {
    struct Case {
        const char* name;
        int32_t start;
        string s;
        string find;
        int32_t text;  // StringInStr
        int32_t bytes;  // StringInStrB
    } cases[] = {
        {"case-insensitive", 1, Ascii("Hello"), Ascii("LL"), 3, 0},
        {"exact", 1, Ascii("Hello"), Ascii("ll"), 3, 3},
        {"empty find", 1, Ascii("Hello"), string(), 1, 1},
        {"empty find at 0", 0, Ascii("abc"), string(), 0, 0},
        {"start past the end", 10, Ascii("abc"), Ascii("a"), 0, 0},
        {"empty text", 1, string(), Ascii("a"), 0, 0},
        {"later start", 3, Ascii("abcabc"), Ascii("A"), 4, 0},
        {"UTF-8 character position", 1, Utf8("a\xC3\xB1o"), Ascii("O"), 3, 0},
        {"UTF-8 folded", 1, Utf8("a\xC3\xB1o"), Utf8("\xC3\x91"), 2, 0},
        {"UTF-8 start in characters", 3, Utf8("\xC3\xB1x\xC3\xB1x"), Ascii("X"), 4, 0},
        {"Greek sigma", 1, Utf8("\xCE\xBF\xCF\x82"), Utf8("\xCE\xA3"), 2, 0},
        {"UTF-16 units", 1, Wide(u"a\u00F1o"), Wide(u"\u00D1"), 2, 0},
        {"UTF-16 against UTF-8", 1, Wide(u"xyz"), Utf8("Z"), 3, 0},
        {"Latin-1", 1, Tagged("caf\xE9", kEncodingWindowsLatin1), Tagged("\xC9", kEncodingWindowsLatin1), 4, 0},
        {"Shift-JIS bytes", 1, Sjis("\x82\xA0x\x82\xA0X"), Sjis("x\x82\xA0"), 3, 3},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(StringInStr(c.start, c.s.Record(), c.find.Record()), c.text);
        EXPECT_EQ(StringExtendsInStr(c.s.Record(), c.start, c.find.Record()), c.text);
        EXPECT_EQ(StringInStrB(c.start, c.s.Record(), c.find.Record()), c.bytes);
        EXPECT_EQ(StringExtendsInStrB(c.s.Record(), c.start, c.find.Record()), c.bytes);
    }
    EXPECT_EQ(FindString(0, Utf8("a\xC3\xB1o"), Ascii("o"), true), 3);
    EXPECT_EQ(FindString(0, Utf8("a\xC3\xB1o"), Ascii("o"), false), 2);
}

TEST(InStr, DoubleByteSearchDoesNotMatchInsideACharacter) {
    // 0x82 0x61 is one character whose trail byte is "a".
    const string s = Sjis("\x82\x61" "A");
    EXPECT_EQ(StringInStr(1, s.Record(), Ascii("a").Record()), 3);
    EXPECT_EQ(StringInStrB(1, s.Record(), Ascii("a").Record()), 2);
}

// --- replacement ---

TEST(Replace, FirstAndAllOccurrences) {
    struct Case {
        string s;
        string find;
        string replacement;
        std::string_view first;
        std::string_view firstB;
        std::string_view all;
        std::string_view allB;
    } cases[] = {
        {Ascii("aXbx"), Ascii("x"), Ascii("-"), "a-bx", "aXb-", "a-b-", "aXb-"},
        {Ascii("aaa"), Ascii("aa"), Ascii("b"), "ba", "ba", "ba", "ba"},
        {Ascii("abc"), Ascii("b"), Ascii("bb"), "abbc", "abbc", "abbc", "abbc"},
        {Ascii("abab"), Ascii("AB"), string(), "ab", "abab", "", "abab"},
        {Utf8("\xC3\xB1" "a\xC3\x91"), Utf8("\xC3\x91"), Ascii("n"), "na\xC3\x91", "\xC3\xB1" "an", "nan", "\xC3\xB1" "an"},
        {Sjis("\x82\xA0x\x82\xA0X"), Ascii("X"), Sjis("\x82\xA2"), "\x82\xA0\x82\xA2\x82\xA0X",
         "\x82\xA0x\x82\xA0\x82\xA2", "\x82\xA0\x82\xA2\x82\xA0\x82\xA2", "\x82\xA0x\x82\xA0\x82\xA2"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(BytesOf(c.s)));
        const string s = c.s;
        EXPECT_EQ(BytesOf(string::Adopt(StringReplace(s.Record(), c.find.Record(), c.replacement.Record()))), c.first);
        EXPECT_EQ(BytesOf(string::Adopt(StringReplaceB(s.Record(), c.find.Record(), c.replacement.Record()))), c.firstB);
        EXPECT_EQ(BytesOf(string::Adopt(StringReplaceAll(s.Record(), c.find.Record(), c.replacement.Record()))), c.all);
        EXPECT_EQ(BytesOf(string::Adopt(StringReplaceAllB(s.Record(), c.find.Record(), c.replacement.Record()))), c.allB);
        string out;
        replaceAll(reinterpret_cast<string*>(&out), &s, &c.find, &c.replacement);
        EXPECT_EQ(BytesOf(out), c.all);
        if (!out.IsEmpty()) {
            EXPECT_EQ(out.Encoding(), s.Encoding());
        }
    }
}

TEST(Replace, NothingFoundGivesTheSourceRecord) {
    const string s = Utf8("abc");
    const string none = Ascii("z");
    for (auto f : {StringReplace, StringReplaceB, StringReplaceAll, StringReplaceAllB}) {
        EXPECT_EQ(string::Adopt(f(s.Record(), none.Record(), none.Record())).Record(), s.Record());
        EXPECT_EQ(string::Adopt(f(s.Record(), nullptr, none.Record())).Record(), s.Record());
    }
    EXPECT_TRUE(string::Adopt(StringReplaceAll(nullptr, none.Record(), none.Record())).IsEmpty());
    // The replacement is converted to the text's encoding.
    const string wide = string::Adopt(StringReplaceAll(Wide(u"a-b").Record(), Ascii("-").Record(), Utf8("\xC3\xB1").Record()));
    EXPECT_EQ(BytesOf(wide), BytesOf(Wide(u"a\u00F1b")));
}

// --- fields, splitting and joining ---

TEST(Fields, CountAndNth) {
    struct Count {
        string s;
        string delimiter;
        int32_t text;
        int32_t bytes;
    } counts[] = {
        {Ascii("a,b,,c"), Ascii(","), 4, 4},    {Ascii("a,b,"), Ascii(","), 3, 3},
        {string(), Ascii(","), 0, 0},           {Ascii("abc"), string(), 1, 1},
        {Ascii("aXbxc"), Ascii("x"), 3, 2},     {Utf8("\xC3\xB1x\xC3\x91"), Utf8("\xC3\xB1"), 3, 2},
        {Wide(u"a;b;c"), Ascii(";"), 3, 3},     {Sjis("\x82\x61" "a\x82\x61"), Ascii("a"), 2, 4},
    };
    for (const Count& c : counts) {
        SCOPED_TRACE(std::string(BytesOf(c.s)));
        EXPECT_EQ(StringCountFields(c.s.Record(), c.delimiter.Record()), c.text);
        EXPECT_EQ(countFields(&c.s, &c.delimiter), c.text);
        EXPECT_EQ(StringCountFieldsB(c.s.Record(), c.delimiter.Record()), c.bytes);
        EXPECT_EQ(countFieldsB(&c.s, &c.delimiter), c.bytes);
    }

    const string s = Ascii("aXbxc");
    const string x = Ascii("x");
    EXPECT_EQ(BytesOf(string::Adopt(StringNthField(s.Record(), x.Record(), 2))), "b");
    EXPECT_EQ(BytesOf(string::Adopt(StringNthFieldB(s.Record(), x.Record(), 2))), "c");
    string field;
    nthField(reinterpret_cast<string*>(&field), &s, &x, 3);
    EXPECT_EQ(BytesOf(field), "c");
    const string abc = Ascii("a,b,c");
    const string comma = Ascii(",");
    for (int32_t n : {4, 0, -1, INT_MIN, INT_MAX}) {
        EXPECT_TRUE(string::Adopt(StringNthField(abc.Record(), comma.Record(), n)).IsEmpty()) << n;
        EXPECT_TRUE(string::Adopt(StringNthFieldB(abc.Record(), comma.Record(), n)).IsEmpty()) << n;
    }
    const string wideField = string::Adopt(StringNthField(Wide(u"a;b;c").Record(), comma.Record(), 1));
    EXPECT_EQ(wideField.Length(), 10);
    EXPECT_EQ(BytesOf(string::Adopt(StringNthField(Wide(u"a;B;c").Record(), Ascii(";").Record(), 2))),
              BytesOf(Wide(u"B")));
}

TEST(Split, PartsAndCharacters) {
    struct Case {
        string s;
        string delimiter;
        std::string text;
        std::string bytes;
    } cases[] = {
        {Ascii("a,b,"), Ascii(","), "a|b|", "a|b|"},
        {Ascii("abc"), string(), "a|b|c", "a|b|c"},
        {Ascii("aXbxc"), Ascii("x"), "a|b|c", "aXb|c"},
        {Utf8("a\xC3\xB1"), string(), "a|\xC3\xB1", "a|\xC3|\xB1"},
        {Sjis("\x82\xA0x"), string(), "\x82\xA0|x", "\x82|\xA0|x"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(BytesOf(c.s)));
        ArrayRecord* text = StringSplit(c.s.Record(), c.delimiter.Record());
        ArrayRecord* bytes = StringSplitB(c.s.Record(), c.delimiter.Record());
        EXPECT_EQ(text->operations, SelectArrayOperations(1, kArrayString));
        EXPECT_EQ(Texts(text), c.text);
        EXPECT_EQ(Texts(bytes), c.bytes);
        EXPECT_EQ(reinterpret_cast<const string*>(text->data)[0].Encoding(), c.s.Encoding());
        RuntimeUnlockArray(text);
        RuntimeUnlockArray(bytes);
    }
    ArrayRecord* empty = StringSplit(nullptr, Ascii(",").Record());
    EXPECT_EQ(empty->upperBound[0], -1);
    RuntimeUnlockArray(empty);
    // The vector form appends the parts of a text split, its case ignored.
    SimpleVector<string> extensions;
    extensions.push_back(Ascii("first"));
    SplitStringToVector(Ascii("txt;TEXT;Md"), Ascii("t;"), extensions);
    ASSERT_EQ(extensions.size(), 4u);
    EXPECT_EQ(BytesOf(extensions[1]), "tx");
    EXPECT_EQ(BytesOf(extensions[2]), "TEX");
    EXPECT_EQ(BytesOf(extensions[3]), "Md");

    ArrayRecord* wide = StringSplit(Wide(u"a;b").Record(), Ascii(";").Record());
    ASSERT_EQ(wide->upperBound[0], 1);
    EXPECT_EQ(BytesOf(reinterpret_cast<const string*>(wide->data)[1]), BytesOf(Wide(u"b")));
    RuntimeUnlockArray(wide);
}

TEST(Split, JoinTakesTheWidestEncoding) {
    ArrayRecord* array = CreateArray(1, kArrayString, 1);
    auto set = reinterpret_cast<void (*)(ArrayRecord*, StringRecord*, int32_t)>(array->operations->Set);
    set(array, Ascii("a").Record(), 0);
    set(array, Utf8("\xC3\xB1").Record(), 1);
    const string joined = string::Adopt(StringJoin(array, Ascii(",").Record()));
    EXPECT_EQ(BytesOf(joined), "a,\xC3\xB1");
    EXPECT_EQ(joined.Encoding(), kEncodingUTF8);

    // A Latin-1 element converts to UTF-8 once.
    set(array, Tagged("\xE9", kEncodingWindowsLatin1).Record(), 0);
    EXPECT_EQ(BytesOf(string::Adopt(StringJoin(array, nullptr))), "\xC3\xA9\xC3\xB1");

    RuntimeUnlockArray(array);
    ArrayRecord* one = CreateArray(1, kArrayString, 0);
    const string only = Ascii("only");
    set(one, only.Record(), 0);
    EXPECT_EQ(string::Adopt(StringJoin(one, Ascii(",").Record())).Record(), only.Record());
    RuntimeUnlockArray(one);
    EXPECT_TRUE(string::Adopt(StringJoin(nullptr, Ascii(",").Record())).IsEmpty());
    ArrayRecord* none = CreateArray(1, kArrayString, -1);
    EXPECT_TRUE(string::Adopt(StringJoin(none, Ascii(",").Record())).IsEmpty());
    RuntimeUnlockArray(none);
}
