#include <gtest/gtest.h>

#include <string>
#include <string_view>
#include <vector>

#include "FailureRecorder.h"
#include "StringTesting.h"
#include "core/StringUtilities.h"

namespace {

std::string Text(const string& s) { return std::string(s.CString(), size_t(s.Length())); }

std::vector<std::string> Pieces(const SimpleVector<string>& pieces) {
    std::vector<std::string> texts;
    for (uint32_t i = 0; i < pieces.size(); ++i) texts.push_back(Text(pieces[i]));
    return texts;
}

}  // namespace

TEST(StringUtilitiesSearch, PlainAndBoyerMoorePaths) {
    std::string hundred(100, '.');
    hundred.replace(90, 5, "needl");
    std::string lastBytes(100, 'x');
    lastBytes.replace(95, 5, "\xF0\x9F\x98\x80!");
    struct Case {
        int32_t start;
        std::string text;
        std::string pattern;
        int32_t found;
    } cases[] = {
        {0, "hello", "ll", 2},
        {3, "hello", "ll", -1},
        {-5, "abc", "a", 0},
        {7, "abc", "", 7},  // an empty pattern answers start, unclamped
        {-2, "abc", "", -2},
        {0, "", "a", -1},
        {0, "", "", -1},
        {3, "abc", "c", -1},  // start at the end
        {2, "abc", "c", 2},
        {0, "abc", "abcd", -1},
        {0, "aaab", "aab", 1},
        {0, std::string("a\0b\0c", 5), std::string("\0c", 2), 3},
        // Boyer-Moore: a pattern over 4 bytes and more than 80 places to try.
        {0, hundred, "needl", 90},
        {0, hundred, "needle", -1},
        {0, hundred, "neede", -1},
        {10, hundred, "needl", 90},
        {90, hundred, "needl", 90},  // too few places left: the plain scan
        {0, lastBytes, "\xF0\x9F\x98\x80!", 95},  // high bytes index the skip table unsigned
        {0, "needl" + std::string(95, '.'), "needl", 0},
    };
    for (const Case& c : cases)
        EXPECT_EQ(FindSubstring(c.start, Tagged(c.text), Tagged(c.pattern)), c.found)
            << c.start << " '" << c.text << "' '" << c.pattern << "'";
}

TEST(StringUtilitiesSearch, AgreesWithAReferenceSearch) {
    // Small alphabets give many partial matches, the cases a skip rule gets wrong.
    uint32_t seed = 7;
    auto next = [&seed] { return (seed = seed * 1664525u + 1013904223u) >> 8; };
    for (int round = 0; round < 3000; ++round) {
        const int alphabet = 2 + int(next() % 3);
        std::string text(size_t(next() % 300), ' ');
        for (char& ch : text) ch = char(0x7E + next() % alphabet);  // 0x7E.. spans the sign bit
        std::string pattern;
        if (text.size() > 10 && next() % 2) {
            const size_t at = next() % (text.size() - 8);
            pattern = text.substr(at, 1 + next() % 8);
        } else {
            pattern.resize(1 + next() % 8);
            for (char& ch : pattern) ch = char(0x7E + next() % alphabet);
        }
        const int32_t start = int32_t(next() % 40) - 5;
        size_t expected = text.find(pattern, size_t(start < 0 ? 0 : start));
        if (text.empty() || start >= int32_t(text.size())) expected = std::string::npos;
        ASSERT_EQ(FindSubstring(start, Tagged(text), Tagged(pattern)),
                  expected == std::string::npos ? -1 : int32_t(expected))
            << "round " << round;
    }
}

TEST(StringUtilitiesSearch, BoyerMooreSearchAnswersTheRangeLengthWhenAbsent) {
    const std::string range = "abcabcabdabcabd";
    EXPECT_EQ(BoyerMooreSearch("abd", 3, range.data(), int32_t(range.size())), 6);
    EXPECT_EQ(BoyerMooreSearch("abe", 3, range.data(), int32_t(range.size())), 15);
    EXPECT_EQ(BoyerMooreSearch("abd", 3, range.data(), 8), 8);  // the match would end past the range
    EXPECT_EQ(BoyerMooreSearch(range.data(), 15, range.data(), 15), 0);
    EXPECT_EQ(BoyerMooreSearch("longer", 6, "long", 4), 4);  // never reads past the range
}

TEST(StringUtilitiesSplit, PiecesAtTheSeparator) {
    struct Case {
        std::string text;
        uint32_t separator;
        std::vector<std::string> pieces;
    } cases[] = {
        {"a,b", ',', {"a", "b"}},
        {",a", ',', {"", "a"}},
        {"a,", ',', {"a"}},
        {"a,,b", ',', {"a", "", "b"}},
        {",", ',', {""}},
        {",,", ',', {"", ""}},
        {"", ',', {}},
        {"abc", ',', {"abc"}},
        {"HKEY\\Software\\Run\\", '\\', {"HKEY", "Software", "Run"}},
        {"line 1\rline 2", '\r', {"line 1", "line 2"}},
        {"\xC3\xA9t\xC3\xA9,\xE2\x82\xAC", ',', {"\xC3\xA9t\xC3\xA9", "\xE2\x82\xAC"}},
        // A separator written with two bytes is cut whole.
        {"a\xC3\xA9" "b\xC3\xA9", 0xE9, {"a", "b"}},
        // Malformed text: a stray byte does not swallow the separator after it, and a sequence
        // cut short by the end stays in the last piece.
        {"\x80,a", ',', {"\x80", "a"}},
        {"a,\xE2\x82", ',', {"a", "\xE2\x82"}},
        {"a\xF0,", ',', {"a\xF0"}},
    };
    for (const Case& c : cases) {
        string text = Tagged(c.text);
        SimpleVector<string> pieces;
        pieces.push_back(Tagged("left over"));
        SplitUTF8(text, c.separator, pieces);
        EXPECT_EQ(Pieces(pieces), c.pieces) << c.text;
        for (uint32_t i = 0; i < pieces.size(); ++i) {
            if (pieces[i].IsEmpty()) continue;
            EXPECT_EQ(pieces[i].Encoding(), kEncodingUTF8);
        }
    }
}

TEST(StringUtilitiesSplit, ConvertsTheTextToUTF8First) {
    const char16_t units[] = u"\u00E9,b";
    string text;
    text.SetWideText(reinterpret_cast<const uint16_t*>(units), 3);
    SimpleVector<string> pieces;
    SplitUTF8(text, ',', pieces);
    EXPECT_EQ(text.Encoding(), kEncodingUTF8);
    EXPECT_EQ(Text(text), "\xC3\xA9,b");
    EXPECT_EQ(Pieces(pieces), (std::vector<std::string>{"\xC3\xA9", "b"}));
}

TEST(StringUtilitiesSplit, SeparatorAbove255IsReportedAndStillSplits) {
    FailureRecorder recorder;
    string text = Tagged("a\xE2\x80\xA2" "b");
    SimpleVector<string> pieces;
    SplitUTF8(text, 0x2022, pieces);
    ASSERT_EQ(recorder.Count(), 1u);
    EXPECT_EQ(recorder.Last().kind, kFailedAssertion);
    EXPECT_EQ(recorder.Last().file, "StringUtils");
    EXPECT_EQ(recorder.Last().line, 50);
    EXPECT_EQ(recorder.Last().condition, "(unsigned long)sepChar <= 255");
    EXPECT_EQ(Pieces(pieces), (std::vector<std::string>{"a", "b"}));
}

TEST(StringUtilitiesNumbers, FormatInBases) {
    struct Case {
        uint32_t value;
        const char* binary;
        const char* octal;
        const char* hex;
    } cases[] = {
        {0, "0", "0", "0"},
        {5, "101", "5", "5"},
        {8, "1000", "10", "8"},
        {255, "11111111", "377", "FF"},
        {0xABCDEF, "101010111100110111101111", "52746757", "ABCDEF"},
        {0x80000000u, "10000000000000000000000000000000", "20000000000", "80000000"},
        {0xFFFFFFFFu, "11111111111111111111111111111111", "37777777777", "FFFFFFFF"},
    };
    for (const Case& c : cases) {
        const string texts[] = {FormatBinary(c.value), FormatOctal(c.value), FormatHex(c.value)};
        EXPECT_EQ(Text(texts[0]), c.binary);
        EXPECT_EQ(Text(texts[1]), c.octal);
        EXPECT_EQ(Text(texts[2]), c.hex);
        for (const string& s : texts) EXPECT_EQ(s.Encoding(), kEncodingASCII);
    }
}

TEST(StringUtilitiesNumbers, ParseInBases) {
    using Parser = uint32_t (*)(const char*, int32_t, bool*);
    struct Case {
        Parser parse;
        std::string text;
        uint32_t value;
        bool error;
    } cases[] = {
        {ParseHex, "ff", 255, false},
        {ParseHex, "FfA0", 0xFFA0, false},
        {ParseHex, "G1", 1, true},
        {ParseHex, "1 2", 0x12, true},
        {ParseHex, "FFFFFFFF", 0xFFFFFFFF, false},
        {ParseHex, "123456789", 0x23456789, false},  // wraps without an error
        {ParseHex, "", 0, false},
        {ParseOctal, "777", 511, false},
        {ParseOctal, "78", 7, true},
        {ParseOctal, "-1", 1, true},
        {ParseBinary, "102", 2, true},
        {ParseBinary, "1111", 15, false},
        {ParseBinary, std::string(33, '1'), 0xFFFFFFFF, false},
    };
    for (const Case& c : cases) {
        bool error = !c.error;  // cleared or set, never left as it was
        EXPECT_EQ(c.parse(c.text.data(), int32_t(c.text.size()), &error), c.value) << c.text;
        EXPECT_EQ(error, c.error) << c.text;
        EXPECT_EQ(c.parse(c.text.data(), int32_t(c.text.size()), nullptr), c.value) << c.text;
    }
    bool error = true;
    EXPECT_EQ(ParseHex("ffzz", 2, &error), 255u);  // only length characters are read
    EXPECT_FALSE(error);
    EXPECT_EQ(ParseHex("ff", -1, &error), 0u);
    EXPECT_EQ(ParseHex(nullptr, 4, &error), 0u);
    EXPECT_FALSE(error);
}

TEST(StringUtilitiesPercent, Encode) {
    struct Case {
        std::string text;
        std::string encoded;
    } cases[] = {
        {"a b/c.d", "a%20b%2Fc.d"},
        {"AZaz09-_.", "AZaz09-_."},
        {"\xC3\xA9~", "%C3%A9%7E"},
        {std::string("\0\xFF", 2), "%00%FF"},
        {"", ""},
    };
    for (const Case& c : cases) {
        const string encoded = PercentEncode(Tagged(c.text));
        EXPECT_EQ(Text(encoded), c.encoded);
        EXPECT_EQ(encoded.Encoding(), kEncodingASCII);
    }
}

TEST(StringUtilitiesPercent, Decode) {
    struct Case {
        std::string text;
        std::string decoded;
    } cases[] = {
        {"a%2fb", "a/b"},
        {"a%2Fb", "a/b"},
        {"%41%42c", "ABc"},
        {"%zz", std::string(1, '\0')},  // a character that is no hex digit counts as 0
        {"%%41", "\x04" "1"},           // "%" takes the two characters after it, whatever they are
        {"%4", "%4"},                   // too short to be an escape: kept as it is
        {"a%", "a%"},
        {"%", "%"},
        {"", ""},
    };
    for (const Case& c : cases) {
        const string decoded = PercentDecode(Tagged(c.text, kEncodingASCII), kEncodingUTF8);
        EXPECT_EQ(Text(decoded), c.decoded) << c.text;
        if (!decoded.IsEmpty()) {
            EXPECT_EQ(decoded.Encoding(), kEncodingUTF8) << c.text;
        }
    }
}

TEST(StringUtilitiesPercent, RoundTripsEveryByte) {
    std::string all;
    for (int b = 0; b < 256; ++b) all.push_back(char(b));
    const string decoded = PercentDecode(PercentEncode(Tagged(all, kEncodingUnknown)), kEncodingUnknown);
    EXPECT_EQ(Text(decoded), all);
    EXPECT_EQ(decoded.Encoding(), kEncodingUnknown);
}
