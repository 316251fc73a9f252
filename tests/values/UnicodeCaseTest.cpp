#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "FailureRecorder.h"
#include "core/GuardedMemory.h"
#include "core/SmallBlockAllocator.h"
#include "values/CaseTables.h"
#include "values/UnicodeCase.h"

namespace {

const unsigned char* U(const std::string& text) {
    return reinterpret_cast<const unsigned char*>(text.data());
}

using Utf8Mapper = void (*)(const unsigned char*, int32_t, unsigned char**, int32_t*);
using Utf16Mapper = uint16_t* (*)(const uint16_t*, int32_t);

std::string MapUtf8(Utf8Mapper mapper, const std::string& text) {
    unsigned char* result = nullptr;
    int32_t length = -1;
    mapper(U(text), int32_t(text.size()), &result, &length);
    EXPECT_NE(result, nullptr);
    if (!result) return "<null>";
    EXPECT_EQ(result[length], 0) << "the result is NUL-terminated";
    std::string mapped(reinterpret_cast<char*>(result), size_t(length));
    GuardedDelete(result);
    return mapped;
}

std::u16string MapUtf16(Utf16Mapper mapper, const std::u16string& text) {
    const int32_t byteLength = int32_t(text.size() * 2);
    uint16_t* result = mapper(reinterpret_cast<const uint16_t*>(text.data()), byteLength);
    EXPECT_EQ(GuardedBlockSize(result), size_t(2 * byteLength));
    std::u16string mapped(reinterpret_cast<char16_t*>(result), text.size());
    GuardedDelete(result);
    return mapped;
}

}  // namespace

TEST(UnicodeCase, CodePointMappings) {
    struct Case {
        uint32_t codePoint;
        uint32_t upper;
        uint32_t lower;
    } cases[] = {
        {0x61, 0x41, 0x61},
        {0x41, 0x41, 0x61},
        {0x40, 0x40, 0x40},
        {0xE9, 0xC9, 0xE9},
        {0xFF, 0x178, 0xFF},
        {0xDF, 0xDF, 0xDF},        // no simple upper-case mapping
        {0x1E9E, 0x1E9E, 0xDF},    // capital sharp s folds to U+00DF
        // Real upper-case mappings, not the inverse of the folding (which gives U+0345 and U+00B5).
        {0x3B9, 0x399, 0x3B9},
        {0x3BC, 0x39C, 0x3BC},
        {0x3C2, 0x3A3, 0x3C3},
        {0x3C3, 0x3A3, 0x3C3},
        {0x3A3, 0x3A3, 0x3C3},
        {0x345, 0x399, 0x3B9},
        {0xB5, 0x39C, 0x3BC},
        {0x131, 0x49, 0x131},      // dotless i has an upper case but no folding
        {0x212A, 0x212A, 0x6B},    // Kelvin sign
        {0x17F, 0x53, 0x73},       // long s
        {0x250, 0x2C6F, 0x250},    // its capital needs a byte more in UTF-8
        {0x23A, 0x23A, 0x2C65},
        {0xFF3A, 0xFF3A, 0xFF5A},
        {0xFF5A, 0xFF3A, 0xFF5A},
        {0x4E2D, 0x4E2D, 0x4E2D},
        // Cherokee: the folding maps the small letters onto their capitals; lower case still
        // gives the small letters and upper case the capitals.
        {0x13A0, 0x13A0, 0xAB70},
        {0xAB70, 0x13A0, 0xAB70},
        {0x13EF, 0x13EF, 0xABBF},
        {0xABBF, 0x13EF, 0xABBF},
        {0x13F0, 0x13F0, 0x13F8},
        {0x13F8, 0x13F0, 0x13F8},
        {0x13F5, 0x13F5, 0x13FD},
        {0x13FD, 0x13F5, 0x13FD},
        // Above U+FFFF nothing maps, least of all through the low 16 bits (0x61, 0x41, 0x3C3).
        {0x10061, 0x10061, 0x10061},
        {0x10041, 0x10041, 0x10041},
        {0x203C3, 0x203C3, 0x203C3},
        {0x10428, 0x10428, 0x10428},
        {0x10400, 0x10400, 0x10400},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(UnicodeToUpper(c.codePoint), c.upper) << std::hex << c.codePoint;
        EXPECT_EQ(UnicodeToLower(c.codePoint), c.lower) << std::hex << c.codePoint;
    }
}

// Every pair of the generated tables is reachable through the maps (no pair lost to a collision
// or to the ASCII shortcut).
TEST(UnicodeCase, MapsCoverTheWholeTables) {
    ASSERT_GT(kCaseFoldPairsCount, 1000);
    ASSERT_GT(kCaseUpperPairsCount, 1000);
    for (int32_t i = 0; i < kCaseFoldPairsCount; ++i)
        EXPECT_EQ(UnicodeToLower(CaseFoldPairs[i].source), CaseFoldPairs[i].target)
            << std::hex << CaseFoldPairs[i].source;
    for (int32_t i = 0; i < kCaseUpperPairsCount; ++i)
        EXPECT_EQ(UnicodeToUpper(CaseUpperPairs[i].source), CaseUpperPairs[i].target)
            << std::hex << CaseUpperPairs[i].source;
    for (int32_t i = 1; i < kCaseFoldPairsCount; ++i)
        EXPECT_LT(CaseFoldPairs[i - 1].source, CaseFoldPairs[i].source);
}

// Lower case is the folded value, so no folded value may be a capital: a code point that some
// letter upper-cases to.
TEST(UnicodeCase, NoFoldedValueIsACapital) {
    for (int32_t i = 0; i < kCaseFoldPairsCount; ++i)
        for (int32_t k = 0; k < kCaseUpperPairsCount; ++k)
            ASSERT_NE(CaseFoldPairs[i].target, CaseUpperPairs[k].target)
                << std::hex << "U+" << CaseFoldPairs[i].source << " folds to the capital U+"
                << CaseFoldPairs[i].target << " of U+" << CaseUpperPairs[k].source;
}

TEST(UnicodeCase, Utf8TextMappings) {
    struct Case {
        const char* name;
        Utf8Mapper mapper;
        std::string text;
        std::string expected;
    } cases[] = {
        {"upper", Utf8ToUpper, "hello, w\xC3\xB6rld 42", "HELLO, W\xC3\x96RLD 42"},
        {"upper", Utf8ToUpper, "stra\xC3\x9F" "e", "STRA\xC3\x9F" "E"},
        {"upper", Utf8ToUpper, "\xCF\x82\xCF\x83\xCE\xB9\xCE\xBC", "\xCE\xA3\xCE\xA3\xCE\x99\xCE\x9C"},
        {"upper", Utf8ToUpper, "", ""},
        // U+0250 (two bytes) upper-cases to U+2C6F (three): the text grows, nothing is cut.
        {"upper", Utf8ToUpper, "\xC9\x90\xC9\x90\xC9\x90\xC9\x90\xC9\x90\xC9\x90",
         "\xE2\xB1\xAF\xE2\xB1\xAF\xE2\xB1\xAF\xE2\xB1\xAF\xE2\xB1\xAF\xE2\xB1\xAF"},
        {"upper", Utf8ToUpper, "a\xF0\x90\x90\xA8" "b", "A\xF0\x90\x90\xA8" "B"},  // U+10428 stays
        {"upper", Utf8ToUpper, "ab\xE2\x82", "AB\xEF\xBF\xBD"},  // truncated at the end
        // Malformed text decodes to wider code points than its bytes: eight bytes become 29.
        {"upper", Utf8ToUpper, "\xF7\xF7\xF7\xF7\xF7\xF7\xF7\xF7",
         "\xF7\xB7\xB7\xB7\xF7\xB7\xB7\xB7\xF7\xB7\xB7\xB7\xF7\xB7\xB7\xB7\xF7\xB7\xB7\xB7"
         "\xEF\xBF\xBD\xEF\xBF\xBD\xEF\xBF\xBD"},
        {"lower", Utf8ToLower, "HeLLo \xCE\x9A\xCE\x8C\xCE\xA3\xCE\x9C\xCE\x95",
         "hello \xCE\xBA\xCF\x8C\xCF\x83\xCE\xBC\xCE\xB5"},
        {"lower", Utf8ToLower, "\xC8\xBA\xC8\xBA\xC8\xBA", "\xE2\xB1\xA5\xE2\xB1\xA5\xE2\xB1\xA5"},
        {"lower", Utf8ToLower, "\xE2\x84\xAA", "k"},
        // Cherokee capitals U+13A0 U+13F5 and small letters U+AB70 U+13FD.
        {"lower", Utf8ToLower, "\xE1\x8E\xA0\xE1\x8F\xB5\xEA\xAD\xB0\xE1\x8F\xBD",
         "\xEA\xAD\xB0\xE1\x8F\xBD\xEA\xAD\xB0\xE1\x8F\xBD"},
        {"upper", Utf8ToUpper, "\xE1\x8E\xA0\xE1\x8F\xB5\xEA\xAD\xB0\xE1\x8F\xBD",
         "\xE1\x8E\xA0\xE1\x8F\xB5\xE1\x8E\xA0\xE1\x8F\xB5"},
        {"title", Utf8ToTitle, "hELLO wORLD", "Hello World"},
        {"title", Utf8ToTitle, "a\xC2\xA0" "b", "A\xC2\xA0" "B"},  // after a no-break space
        {"title", Utf8ToTitle, "a\tb\nc", "A\tB\nC"},
        {"title", Utf8ToTitle, "jean-luc", "Jean-luc"},             // not after a hyphen
        {"title", Utf8ToTitle, "  two  spaces", "  Two  Spaces"},
        {"title", Utf8ToTitle, "\xC3\xA9LAN vital", "\xC3\x89lan Vital"},
        {"title", Utf8ToTitle, "x\xE3\x80\x80y\xE2\x80\x83z", "X\xE3\x80\x80Y\xE2\x80\x83Z"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(MapUtf8(c.mapper, c.text), c.expected) << c.name << " of '" << c.text << "'";
}

TEST(UnicodeCase, Utf8ResultOutConventions) {
    const std::string text = "\xC9\x90 abc";  // U+0250: six bytes become seven
    const int32_t before = SmallBlockBytesInUse();

    Utf8ToUpper(U(text), int32_t(text.size()), nullptr, nullptr);  // nothing to do
    int32_t length = -1;
    Utf8ToUpper(U(text), int32_t(text.size()), nullptr, &length);  // only the length
    EXPECT_EQ(length, 7);
    EXPECT_EQ(SmallBlockBytesInUse(), before) << "no block is left behind";

    unsigned char* result = nullptr;
    Utf8ToUpper(U(text), int32_t(text.size()), &result, nullptr);  // only the block
    ASSERT_NE(result, nullptr);
    EXPECT_STREQ(reinterpret_cast<char*>(result), "\xE2\xB1\xAF ABC");
    GuardedDelete(result);

    // No text, a null pointer or a negative length: an empty, terminated block.
    struct Bad {
        const unsigned char* bytes;
        int32_t length;
    } bad[] = {{U(text), 0}, {nullptr, 5}, {U(text), -3}};
    for (const Bad& b : bad) {
        result = nullptr;
        length = -1;
        Utf8ToLower(b.bytes, b.length, &result, &length);
        ASSERT_NE(result, nullptr);
        EXPECT_EQ(length, 0);
        EXPECT_EQ(result[0], 0);
        GuardedDelete(result);
    }
    EXPECT_EQ(SmallBlockBytesInUse(), before);
}

TEST(UnicodeCase, Utf16TextMappings) {
    struct Case {
        const char* name;
        Utf16Mapper mapper;
        std::u16string text;
        std::u16string expected;
    } cases[] = {
        {"upper", Utf16ToUpper, u"abc \u03C2\u00E9\u00DF", u"ABC \u03A3\u00C9\u00DF"},
        {"lower", Utf16ToLower, u"ABC \u03A3\u00C9\u212A", u"abc \u03C3\u00E9k"},
        {"title", Utf16ToTitle, u"hELLO wORLD", u"Hello World"},
        {"title", Utf16ToTitle, u"a\u00A0b-c\u3000d", u"A\u00A0B-c\u3000D"},
        // Surrogates pass unchanged: U+10428 stays as it is.
        {"upper", Utf16ToUpper, u"x\U00010428y", u"X\U00010428Y"},
        {"lower", Utf16ToLower, u"X\U00010400Y", u"x\U00010400y"},
        {"lower", Utf16ToLower, u"\u13A0\u13F5\uAB70\u13FD", u"\uAB70\u13FD\uAB70\u13FD"},
        {"upper", Utf16ToUpper, u"\u13A0\u13F5\uAB70\u13FD", u"\u13A0\u13F5\u13A0\u13F5"},
        {"upper", Utf16ToUpper, u"", u""},
    };
    for (const Case& c : cases) EXPECT_TRUE(MapUtf16(c.mapper, c.text) == c.expected) << c.name;

    // An odd byte length maps the whole units only; no units gives an empty block.
    const char16_t text[] = u"abc";
    uint16_t* result = Utf16ToUpper(reinterpret_cast<const uint16_t*>(text), 5);
    EXPECT_EQ(result[0], u'A');
    EXPECT_EQ(result[1], u'B');
    EXPECT_EQ(GuardedBlockSize(result), 10u);
    GuardedDelete(result);
    for (int32_t byteLength : {0, -4}) {
        result = Utf16ToLower(nullptr, byteLength);
        EXPECT_NE(result, nullptr);
        GuardedDelete(result);
    }
}

TEST(UnicodeCase, HasNoCase) {
    struct Case {
        std::string text;
        bool noCase;
    } cases[] = {
        {"", true},
        {"123 !?@[`{", true},
        {"12a", false},
        {"Z", false},
        {"\xE4\xB8\xAD\xE6\x96\x87", true},           // CJK
        {"\xF0\x9F\x98\x80", true},                   // emoji
        {"\xD0\x96", false},                          // Cyrillic capital
        {"\xC3\x9F", false},                          // U+00DF is a folded value
        {"\xC4\xB1", false},                          // U+0131 only has an upper case
        {"\xCD\x85", false},                          // U+0345
        {"\xE2\x82", true},                           // truncated: U+FFFD
    };
    for (const Case& c : cases)
        EXPECT_EQ(Utf8HasNoCase(U(c.text), int32_t(c.text.size())), c.noCase) << c.text;
    EXPECT_TRUE(Utf8HasNoCase(nullptr, 4));
    // The length bounds the scan: the letter past it is not seen.
    EXPECT_TRUE(Utf8HasNoCase(U("12a"), 2));
}

TEST(UnicodeCase, Compare) {
    struct Case {
        std::string a;
        std::string b;
        bool ignoreCase;
        int32_t expected;
    } cases[] = {
        {"abc", "ABD", true, -1},
        {"abc", "ABD", false, 1},
        {"ab", "abc", false, -1},
        {"ab", "ABC", true, -1},
        {"abc", "abc", false, 0},
        {"", "", false, 0},
        {"", "a", true, -1},
        {"HeLLo", "hEllO", true, 0},
        {"\xC3\xA9", "\xC3\x89", true, 0},                       // é, É
        {"\xC3\xA9", "\xC3\x89", false, 1},
        {"\xCF\x83\xCF\x82", "\xCE\xA3\xCE\xA3", true, 0},         // σς, ΣΣ
        {"\xC2\xB5", "\xCE\xBC", true, 0},                       // micro sign and mu
        {"\xE1\x8E\xA0\xE1\x8F\xB5", "\xEA\xAD\xB0\xE1\x8F\xBD", true, 0},  // Cherokee
        {"\xE1\x8E\xA0", "\xEA\xAD\xB0", false, -1},
        {"z", "\xC3\xA9", false, -1},                            // by code point, not by letter
        {"\xEF\xBD\x81", "\xF0\x90\x80\x80", false, -1},         // U+FF41 before U+10000
        {"\xF0\x90\x81\xA1", "a", true, 1},                      // U+10061 is not 'a'
        {"a\xE2\x82", "a\xEF\xBF\xBD", false, -1},               // truncated: U+FFFD, fewer bytes
    };
    for (const Case& c : cases) {
        EXPECT_EQ(CompareUtf8(U(c.a), int32_t(c.a.size()), U(c.b), int32_t(c.b.size()), c.ignoreCase),
                  c.expected)
            << "'" << c.a << "' and '" << c.b << "'";
        EXPECT_EQ(CompareUtf8(U(c.b), int32_t(c.b.size()), U(c.a), int32_t(c.a.size()), c.ignoreCase),
                  -c.expected)
            << "'" << c.b << "' and '" << c.a << "'";
    }
    EXPECT_EQ(CompareUtf8(nullptr, 3, U("a"), 1, false), -1);
    EXPECT_EQ(CompareUtf8(U("a"), -1, nullptr, 0, false), 0);
}

TEST(UnicodeCase, CompareUtf16) {
    struct Case {
        std::u16string a;
        std::u16string b;
        bool ignoreCase;
        int32_t expected;
    } cases[] = {
        {u"abc", u"ABD", true, -1},
        {u"abc", u"ABD", false, 1},
        {u"ab", u"abc", true, -1},
        {u"\u03C3\u03C2", u"\u03A3\u03A3", true, 0},
        {u"\u03C3\u03C2", u"\u03A3\u03A3", false, 1},
        {u"", u"", true, 0},
        {u"\u13A0\u13F5", u"\uAB70\u13FD", true, 0},  // Cherokee capitals and small letters
        {u"\uFF41", u"\U00010000", false, 1},  // by unit: U+FF41 after the lead surrogate
    };
    for (const Case& c : cases) {
        auto* a = reinterpret_cast<const uint16_t*>(c.a.data());
        auto* b = reinterpret_cast<const uint16_t*>(c.b.data());
        const int32_t la = int32_t(c.a.size() * 2), lb = int32_t(c.b.size() * 2);
        EXPECT_EQ(CompareUtf16(a, la, b, lb, c.ignoreCase), c.expected);
        EXPECT_EQ(CompareUtf16(b, lb, a, la, c.ignoreCase), -c.expected);
    }
    // Odd byte lengths count whole units only.
    const char16_t text[] = u"ab";
    auto* units = reinterpret_cast<const uint16_t*>(text);
    EXPECT_EQ(CompareUtf16(units, 3, units, 2, false), 0);
    EXPECT_EQ(CompareUtf16(nullptr, 4, units, 2, false), -1);
}
