#include <gtest/gtest.h>

#include <windows.h>

#include <string>
#include <vector>

#include "RecordingGraphics.h"
#include "graphics/GraphicsImp.h"
#include "core/TextEncodings.h"
#include "windows/Pane.h"

namespace {

string Tagged(const char* bytes, int32_t length, uint32_t encoding) {
    string s;
    s.SetBytes(bytes, length);
    s.SetEncoding(encoding);
    return s;
}

string Ascii(const char* text) { return string(text); }

std::vector<uint8_t> Aligned(const GraphicsImp& g) {
    return std::vector<uint8_t>(g.AlignedPattern(), g.AlignedPattern() + 8);
}

// Every position FitStringToWidth may answer for the text: the character starts and the end.
bool IsCharacterStart(const string& text, int32_t pos) {
    if (pos < 0 || pos > text.Length()) return false;
    if (pos == text.Length() || pos == 0) return true;
    const unsigned char* bytes = reinterpret_cast<const unsigned char*>(text.CString());
    if (text.Encoding() == kEncodingUTF8) return (bytes[pos] & 0xC0) != 0x80;
    if (IsUTF16FamilyEncoding(text.Encoding())) return pos % 2 == 0;
    for (int32_t i = 0; i < text.Length(); ++i) {
        if (i == pos) return true;
        if (i > pos) return false;
        if (IsDBCSLeadByte(bytes[i])) ++i;
    }
    return false;
}

}  // namespace

TEST(GraphicsImpState, ANewGraphicsHasTheDefaultDrawingState) {
    GraphicsImp g(nullptr);
    EXPECT_STREQ(g.GetTextFont().CString(), "System");
    EXPECT_EQ(g.GetTextFont().Encoding(), kEncodingASCII);
    EXPECT_EQ(g.TextSize(), 12);
    EXPECT_EQ(g.TextFace(), 0);
    EXPECT_EQ(g.PenWidth(), 1);
    EXPECT_EQ(g.PenHeight(), 1);
    EXPECT_TRUE((g.ForeColor() == RGBColor16{0, 0, 0}));
    EXPECT_TRUE((g.BackColor() == RGBColor16{0xFFFF, 0xFFFF, 0xFFFF}));
    EXPECT_EQ(g.OriginX(), 0);
    EXPECT_EQ(g.OriginY(), 0);
    EXPECT_FALSE(g.SupportsTranslucency());
    EXPECT_FALSE(g.HasClipRegion());
    EXPECT_EQ(g.StringWidth(Ascii("abc"), false), -1);
    EXPECT_EQ(g.StringDirection(string()), -1);
    EXPECT_EQ(g.TextEncoding(), 0xFFFFu);
    g.SetTextFace(0x10F);
    EXPECT_EQ(g.TextFace(), 0x0F) << "the low byte is kept";
    DisposeGraphicsImp(nullptr);
}

TEST(GraphicsImpState, ColourConversionsAgree) {
    struct Row { uint32_t color; RGBColor16 rgb; COLORREF ref; } rows[] = {
        {0x000000, {0, 0, 0}, 0x000000},
        {0xFF8000, {0xFFFF, 0x8080, 0}, 0x0080FF},
        {0x123456, {0x1212, 0x3434, 0x5656}, 0x563412},
    };
    for (const Row& r : rows) {
        EXPECT_TRUE(RGBColor16FromColor(r.color) == r.rgb);
        EXPECT_EQ(ColorFromRGBColor16(r.rgb), r.color);
        EXPECT_EQ(RGBColor16ToCOLORREF(r.rgb), r.ref);
        EXPECT_TRUE(ColorRefToRGBColor16(r.ref) == r.rgb);
    }
    // Only the high byte of a channel reaches a COLORREF.
    EXPECT_EQ(RGBColor16ToCOLORREF(RGBColor16{0x12FF, 0x3400, 0x56AB}), 0x563412u);
}

TEST(GraphicsImpState, StandardPatternsAlignWithBothOrigins) {
    using P = std::vector<uint8_t>;
    const P solid(8, 0xFF);
    const P checker = {0x55, 0xAA, 0x55, 0xAA, 0x55, 0xAA, 0x55, 0xAA};
    const P checkerShifted = {0xAA, 0x55, 0xAA, 0x55, 0xAA, 0x55, 0xAA, 0x55};
    struct Row { int kind, ox, oy, px, py; P rows; } rows[] = {
        {0, 3, 5, 0, 0, solid},
        {7, 0, 0, 0, 0, solid},
        {-1, 0, 0, 0, 0, solid},
        {1, 0, 0, 0, 0, checker},
        {1, 1, 0, 0, 0, checkerShifted},
        {1, 0, 1, 0, 0, checkerShifted},
        {1, 1, 1, 0, 0, checker},
        {1, 0, 0, 1, 0, checkerShifted},
        {1, 8, -8, 0, 0, checker},
        {2, 0, 0, 0, 0, {0xFF, 0, 0xFF, 0, 0xFF, 0, 0xFF, 0}},
        {2, 0, -3, 0, 2, {0, 0xFF, 0, 0xFF, 0, 0xFF, 0, 0xFF}},
        {3, 0, 0, 0, 0, P(8, 0xAA)},
        {3, 3, 0, 0, 0, P(8, 0x55)},
        {3, 0, 0, -2, 0, P(8, 0xAA)},
    };
    for (const Row& r : rows) {
        GraphicsImp g(nullptr);
        g.SetOrigin(r.ox, r.oy);
        g.SetPatternOrigin(r.px, r.py);
        g.SetStandardPattern(r.kind);
        EXPECT_EQ(Aligned(g), r.rows) << "kind " << r.kind << " origin " << r.ox << "," << r.oy
                                      << " pattern origin " << r.px << "," << r.py;
    }
    // A rotation keeps the bits that leave at the top: 0x81 moved left by 1 is 0x03.
    GraphicsImp g(nullptr);
    const uint8_t own[8] = {0x81, 1, 2, 3, 4, 5, 6, 7};
    g.SetPattern(own);
    g.SetOrigin(1, 0);
    EXPECT_EQ(Aligned(g), (P{0x03, 2, 4, 6, 8, 10, 12, 14}));
    g.SetOrigin(0, 2);
    EXPECT_EQ(Aligned(g), (P{2, 3, 4, 5, 6, 7, 0x81, 1}));
}

TEST(GraphicsStateSaverTest, RestoresInOrderOnce) {
    RecordingGraphics g;
    g.SetTextFont(Ascii("Geneva"));
    g.SetTextSize(9);
    g.SetTextFace(3);
    g.SetPenSize(2, 4);
    g.SetPenMode(5);
    g.SetForeColor(RGBColor16{1, 2, 3});
    g.SetOrigin(7, -3);
    GraphicsStateSaver saver(&g);
    g.SetTextFont(Ascii("Times"));
    g.SetTextSize(20);
    g.SetTextFace(0);
    g.SetPenSize(1, 1);
    g.SetPenMode(0);
    g.SetForeColor(RGBColor16{9, 9, 9});
    g.SetOrigin(0, 0);
    g.calls.clear();
    saver.Restore();
    const std::vector<std::string> expected = {
        "SetForeColor 0001 0002 0003", "SetPenMode 5", "SetPenSize 2 4",
        "SetTextFont Geneva", "SetTextSize 9", "SetTextFace 3"};
    EXPECT_EQ(g.calls, expected);
    EXPECT_EQ(g.OriginX(), 7);
    EXPECT_EQ(g.OriginY(), -3);
    g.calls.clear();
    saver.Restore();
    EXPECT_TRUE(g.calls.empty()) << "a second restore changes nothing";

    GraphicsStateSaver none(nullptr);
    none.Restore();
}

TEST(FitStringToWidth, AsciiAnswersTheLongestFittingPrefix) {
    // 5 units a character: n characters fit a width w when 5n < w.
    const string text = Ascii("bcdefghijklmnopqrstuvwxyz0123456789!");
    for (int32_t letter : {RecordingGraphics::kFixed, 0, -1}) {
        for (int32_t width = -3; width <= 190; ++width) {
            RecordingGraphics g;
            g.letterWidth = letter;
            int32_t expected = width <= 0 ? 0 : (width - 1) / 5;
            if (expected > text.Length()) expected = text.Length();
            EXPECT_EQ(g.FitStringToWidth(text, width, false), expected)
                << "width " << width << " width of a " << letter;
        }
    }
}

TEST(FitStringToWidth, ShortCasesAndBlanks) {
    RecordingGraphics g;
    EXPECT_EQ(g.FitStringToWidth(Ascii("abcdefgh"), 41, false), 8);
    EXPECT_EQ(g.measures, 1) << "a text that fits is measured once";
    EXPECT_EQ(g.FitStringToWidth(string(), 10, false), 0);
    EXPECT_EQ(g.FitStringToWidth(string(), 0, true), 0);
    // "abc def" fits five characters in 27 units; the cut moves back to after the blank.
    EXPECT_EQ(g.FitStringToWidth(Ascii("abc def"), 27, false), 5);
    EXPECT_EQ(g.FitStringToWidth(Ascii("abc def"), 27, true), 4);
    EXPECT_EQ(g.FitStringToWidth(Ascii("abc\t\tdef"), 23, true), 5) << "blanks after the cut skipped";
    EXPECT_EQ(g.FitStringToWidth(Ascii("abcdefg"), 27, true), 5) << "no blank: the cut stays";
}

TEST(FitStringToWidth, NeverInsideAUtf8OrUtf16Character) {
    // "aé€𝄞" repeated: one-, two-, three- and four-byte sequences.
    std::string utf8;
    for (int i = 0; i < 6; ++i) utf8 += "a\xC3\xA9\xE2\x82\xAC\xF0\x9D\x84\x9E";
    const string u8 = Tagged(utf8.data(), static_cast<int32_t>(utf8.size()), kEncodingUTF8);
    const string u16 = u8.ToUTF16();
    ASSERT_EQ(u16.Encoding(), kEncodingUTF16);
    for (const string* text : {&u8, &u16}) {
        for (int32_t letter : {RecordingGraphics::kFixed, 0, -1}) {
            for (int32_t width = 0; width < 160; width += 3) {
                RecordingGraphics g;
                g.letterWidth = letter;
                const int32_t pos = g.FitStringToWidth(*text, width, false);
                EXPECT_TRUE(IsCharacterStart(*text, pos))
                    << "width " << width << " answered " << pos << " of " << text->Length();
            }
        }
    }
}

TEST(FitStringShiftJIS, NeverInsideADoubleByteCharacter) {
    if (GetACP() != 932) GTEST_SKIP() << "needs the Japanese code page";
    // "aあいbう" and so on: single bytes between two-byte characters, some trail bytes in the
    // lead range.
    std::string bytes;
    for (int i = 0; i < 8; ++i) bytes += "a\x82\xA0\x88\x9F" "b\x83\x41";
    const string text = Tagged(bytes.data(), static_cast<int32_t>(bytes.size()), kEncodingShiftJIS);
    for (int32_t letter : {RecordingGraphics::kFixed, 0, -1}) {
        for (int32_t width = 0; width < 130; width += 2) {
            RecordingGraphics g;
            g.letterWidth = letter;
            const int32_t pos = g.FitStringToWidth(text, width, false);
            EXPECT_TRUE(IsCharacterStart(text, pos)) << "width " << width << " answered " << pos;
        }
    }
}

TEST(DrawTruncatedStringTest, CutsWithTheSuffixAndRestoresTheFace) {
    Pane pane(Rect16{0, 0, 10, 10});
    const string suffix = Ascii("...");
    struct Row {
        const char* text;
        int32_t max;
        const char* result;
        std::vector<std::string> draws;
    } rows[] = {
        // Exactly as wide as the maximum: drawn as it is, not condensed.
        {"abcd", 20, "abcd", {"DrawString abcd 3 9"}},
        // Condensed (4 units a character) it fits.
        {"abcdef", 24, "abcdef", {"DrawString abcdef 3 9"}},
        // Cut: 30 - 12 leaves 18 units, four condensed characters, and the suffix after them.
        {"abcdefghij", 30, "abcd", {"DrawString abcd 3 9", "DrawString ... 19 9"}},
        // The maximum is not above the suffix: nothing is drawn and the text is emptied.
        {"abcdefghij", 12, "", {}},
        {"abcdefghij", 5, "", {}},
    };
    for (const Row& r : rows) {
        RecordingGraphics g(&pane);
        g.SetTextFace(kFaceBold);
        string text = Ascii(r.text);
        g.calls.clear();
        g.DrawTruncatedString(text, 3, 9, r.max, suffix, nullptr);
        std::vector<std::string> draws;
        for (const std::string& call : g.calls)
            if (call.rfind("DrawString", 0) == 0) draws.push_back(call);
        EXPECT_EQ(draws, r.draws) << r.text << " in " << r.max;
        EXPECT_EQ(RecordingGraphics::Text(text), r.result);
        EXPECT_EQ(g.TextFace(), kFaceBold) << "the face is restored";
        EXPECT_EQ(g.calls.back(), "SetTextFace 1");
        EXPECT_EQ(g.calls.front(), "BeginDrawing");
    }
    RecordingGraphics without(nullptr);
    string text = Ascii("abcdefghij");
    without.DrawTruncatedString(text, 0, 0, 10, suffix, nullptr);
    EXPECT_TRUE(without.calls.empty()) << "nothing without a pane";
    EXPECT_STREQ(text.CString(), "abcdefghij");
}
