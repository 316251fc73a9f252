#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <cstring>
#include <limits>

#include "values/NumberFormat.h"
#include "values/NumberParse.h"
#include "values/NumberText.h"
#include "values/Variant.h"

namespace {

using namespace numbertext;

std::string Text(StringRecord* record) {
    const string s = string::Adopt(record);
    return std::string(s.CString(), static_cast<size_t>(s.Length()));
}

TEST(NumberText, StrGivesSevenSignificantDigits) {
    const struct {
        double x;
        const char* text;
    } cases[] = {
        {3.14159265, "3.141593"},     {100, "100"},
        {0.5, "0.5"},                 {0.00001, "0.00001"},
        {1e6, "1000000"},             {1234567, "1.234567e+6"},
        {0.000001, "1.000000e-06"},   {-0.0, "0"},
        {0, "0"},                     {-0.0000001, "-1.000000e-07"},
        {-2.5, "-2.5"},               {1e100, "1.000000e+100"},
        {std::numeric_limits<double>::quiet_NaN(), "NaN"},
        {std::numeric_limits<double>::infinity(), "inf"},
    };
    for (const auto& c : cases) EXPECT_EQ(Text(StringStr(c.x)), c.text) << c.x;
    const string s = string::Adopt(StringStr(1.5));
    EXPECT_EQ(s.Encoding(), kEncodingASCII);
}

TEST(NumberText, DigitsDropTheSignOfZeroTexts) {
    EXPECT_EQ(FormatDigits(-0.001, true, 2), "0.00");
    EXPECT_EQ(FormatDigits(-0.006, true, 2), "-0.01");
    EXPECT_EQ(FormatDigits(1e-300, true, 2), "0.00");
    // Fixed texts of large values keep their integer zeros, whatever the count of digits.
    EXPECT_EQ(FormatDouble(1e10, kFixed, 7), "10000000000");
    EXPECT_EQ(FormatDouble(1.25, kFixed, 7), "1.25");
}

TEST(NumberText, FormatFollowsThePicture) {
    const struct {
        double x;
        const char* picture;
        const char* text;
    } cases[] = {
        {1234567.891, "#,##0.00", "1,234,567.89"},
        {1234567.891, "#", "1234568"},
        {5, "000", "005"},
        {1.5, "0.00", "1.50"},
        {1, "#.##", "1."},
        {0, "#", "0"},
        {-5, "#", "5"},
        {-5, "-#", "-5"},
        {-5, "#;(#)", "(5)"},
        {0, "#;(#);nil\\!", "!"},
        {0, "#;(#)", "0"},
        {5, "+#", "+5"},
        {0, "+#", "0"},
        {-5, "+#", "-5"},
        {0.256, "0.0%", "25.6%"},
        {1234.5, "Scientific", "1.234500E+3"},
        {0.00012, "scientific", "1.200000E-04"},
        {-1234.5, "SCIENTIFIC", "-1.234500E+3"},
        {1234.5, "0.00E-00", "1.23E3"},
        {0.00012, "0.0e+", "1.2e-04"},
        {7, "\\#0", "#7"},
        {7, "abc 0", "7"},
        {5, "#,##0", "5"},
        {0, "0,000", "0,000"},
        {1234, "0.0.0", "1234.00"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(FormatWithPicture(c.x, c.picture, false, ",", "."), c.text)
            << c.x << " " << c.picture;
}

TEST(NumberText, FormatHasNoSizeLimit) {
    const std::string huge = FormatWithPicture(1e300, "#", false, ",", ".");
    ASSERT_EQ(huge.size(), 301u);
    EXPECT_EQ(huge.substr(0, 5), "10000");

    const std::string picture = "0." + std::string(400, '0');
    const std::string third = FormatWithPicture(1.0 / 3, picture, false, ",", ".");
    ASSERT_EQ(third.size(), 402u);
    EXPECT_EQ(third.substr(0, 8), "0.333333");
}

TEST(NumberText, FormatUsesTheGivenSeparators) {
    EXPECT_EQ(FormatWithPicture(1234567.891, "#,##0.00", false, ".", ","), "1.234.567,89");
    // A separator of several bytes, and an escaped character of several bytes.
    EXPECT_EQ(FormatWithPicture(1234, "#,##0 \\\xE2\x82\xAC", true, "\xC2\xA0", ","),
              "1\xC2\xA0" "234\xE2\x82\xAC");
}

TEST(NumberText, SectionsSkipEscapedSeparators) {
    EXPECT_EQ(SelectFormatSection(-1, "a\\;b;c;d", false), "c");
    EXPECT_EQ(SelectFormatSection(0, "a;b;c", false), "c");
    EXPECT_EQ(SelectFormatSection(0, "a;b", false), "a");
    EXPECT_EQ(SelectFormatSection(-1, "a;b", false), "b");
    EXPECT_EQ(SelectFormatSection(1, "a;b;c", false), "a");
}

TEST(NumberText, ValReadsPrefixesAndLeadingNumbers) {
    const struct {
        const char* text;
        double value;
    } cases[] = {
        {"&hFF", 255},   {"&HFFFFFFFF", -1}, {"&b101", 5},  {"&o17", 15},
        {"&x1", 0},      {"12abc", 12},      {"", 0},       {"  -1.5e3", -1500},
        {"1,234", 1},    {"1d5", 1},         {"+7", 7},     {"+-7", 0},
        {".5", 0.5},     {"abc", 0},         {"1e400", std::numeric_limits<double>::infinity()},
        {"1e-400", 0},   {"inf", 0},         {"-inf", 0},   {"infinity", 0},
        {" nan", 0},     {"+NaN", 0},        {"INF5", 0},   {"-.5", -0.5},
        {".", 0},        {"-.e5", 0},
    };
    for (const auto& c : cases) {
        string s(c.text);
        EXPECT_EQ(StringVal(s.Record()), c.value) << c.text;
    }
    // CDbl reads by the same grammar.
    for (const char* special : {"inf", "-infinity", "nan", "+NaN"}) {
        string s(special);
        EXPECT_EQ(runCDbl(s.Record()), 0.0) << special;
    }
}

TEST(NumberText, GrammarOfACompleteNumber) {
    const struct {
        const char* text;
        bool number;
    } cases[] = {
        {"1,2,3", true}, {"12.", true},  {".5", true},   {"1e5", true},   {"1d5", true},
        {".e5", true},   {" -3", true},  {"1e5 ", true}, {"-.5", true},  {"1E+5", true},
        {"12 ", false},  {"1e", false},  {"-", false},   {".", false},    {"1.2.3", false},
        {"", false},     {"  ", false},  {"a1", false},  {"-e5", false},  {"1e+", false},
        {"1x", false},
    };
    for (const auto& c : cases) EXPECT_EQ(IsCompleteNumber(c.text), c.number) << c.text;

    bool notNumber = false;
    ParseNumberText("&x1", &notNumber);
    EXPECT_TRUE(notNumber);
    ParseNumberText("&hFZ", &notNumber);
    EXPECT_TRUE(notNumber);
    ParseNumberText("&h1F", &notNumber);
    EXPECT_FALSE(notNumber);
}

TEST(NumberText, ValReadsUTF16Text) {
    string s;
    const uint16_t units[] = {'4', '2', '.', '5'};
    s.SetWideText(units, 4);
    EXPECT_EQ(StringVal(s.Record()), 42.5);
}

TEST(NumberText, IsNumericTextTakesSpecialValues) {
    const struct {
        const char* text;
        bool numeric;
    } cases[] = {
        {"nan", true}, {"INF", true}, {"Inf(123)", true}, {"NaN(12x)", false},
        {"12", true},  {"&x1", false}, {"&hFF", true},    {"", false},
    };
    for (const auto& c : cases) EXPECT_EQ(IsNumericText(string(c.text)), c.numeric) << c.text;
}

TEST(NumberText, TypeOfNumeric) {
    const struct {
        const char* text;
        int32_t type;
    } cases[] = {
        {"12", 1},  {"12.0", 2}, {"1e3", 2}, {"3000000000", 2}, {"&hFF", 1}, {"&h", 1},
        {"&b102", 0}, {"&x", 0}, {"-5", 0},  {"1x", 0},         {".5", 2},   {"", 0},
    };
    for (const auto& c : cases) {
        string s(c.text);
        EXPECT_EQ(RuntimeTypeOfNumeric(s.Record()), c.type) << c.text;
    }
}

TEST(NumberText, IntegerConversions) {
    EXPECT_EQ(FPToInt(-2.7), -2);
    EXPECT_EQ(FPToInt(3e9), INT32_MIN);
    EXPECT_EQ(FPToInt(std::nan("")), INT32_MIN);
    EXPECT_EQ(SingleToInt(2.9f), 2);
    EXPECT_EQ(IntToFP(-7), -7.0);
    EXPECT_EQ(Text(RuntimeHex(-1)), "FFFFFFFF");
    EXPECT_EQ(Text(RuntimeBin(5)), "101");
    EXPECT_EQ(Text(RuntimeOct(8)), "10");
}

// Runs under a German locale as a test of its own: "." groups thousands and "," is the point.
TEST(NumberTextGerman, SeparatorsComeFromTheUserLocale) {
    const char* language = std::getenv("LANG");
    if (!language || std::strncmp(language, "de_DE", 5) != 0) GTEST_SKIP() << "needs LANG=de_DE";
    string thousands, decimal;
    GetLocaleSeparators(&thousands, &decimal, nullptr, nullptr);
    ASSERT_STREQ(decimal.CString(), ",");
    string s("1.234,5");
    EXPECT_EQ(runCDbl(s.Record()), 1234.5);
    for (const char* special : {"inf", "nan", "infinity"}) {
        string text(special);
        EXPECT_EQ(runCDbl(text.Record()), 0.0) << special;
        EXPECT_EQ(StringVal(text.Record()), 0.0) << special;
    }
    EXPECT_TRUE(IsNumericText(s));
    ObjectHeader* boxed = stringToVariant(s.Record());
    EXPECT_TRUE(RuntimeIsNumeric(boxed));
    ReleaseObject(boxed);
    ObjectHeader* half = doubleToVariant(2.5);
    EXPECT_EQ(Text(runCStr(half)), "2,5");
    ReleaseObject(half);
    EXPECT_EQ(Text(FormatCStr(2.5).Detach()), "2,5");
    string picture("#,##0.00");
    EXPECT_EQ(Text(StringFormat(1234567.891, picture.Record())), "1.234.567,89");
}

}  // namespace
