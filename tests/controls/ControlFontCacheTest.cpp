#include <gtest/gtest.h>

#include <windows.h>

#include <string>

#include "controls/ControlFontCache.h"
#include "core/Platform.h"
#include "values/CharacterTables.h"

namespace {

TextStyle Style(const char* name, int16_t size, uint8_t bold = 0, uint8_t underline = 0) {
    TextStyle style;
    style.fontName = string(name);
    style.size = size;
    style.bold = bold;
    style.underline = underline;
    return style;
}

LOGFONTW Read(HFONT font) {
    LOGFONTW log = {};
    EXPECT_EQ(GetObjectW(font, sizeof log, &log), static_cast<int>(sizeof log));
    return log;
}

std::wstring SelectedFace(HFONT font) {
    HDC dc = CreateCompatibleDC(nullptr);
    HGDIOBJ old = SelectObject(dc, font);
    wchar_t face[LF_FACESIZE] = {};
    GetTextFaceW(dc, LF_FACESIZE, face);
    SelectObject(dc, old);
    DeleteDC(dc);
    return face;
}

}  // namespace

TEST(ControlFontCacheTest, OneSharedFontPerStyleUntilTheLastRelease) {
    HFONT font = AcquireControlFont(Style("geneva", 0, 1));
    const LOGFONTW log = Read(font);
    EXPECT_STREQ(log.lfFaceName, L"MS Sans Serif");
    EXPECT_EQ(log.lfHeight, -12);
    EXPECT_EQ(log.lfWeight, 700);
    EXPECT_EQ(AcquireControlFont(Style("Geneva", 0, 1)), font) << "names compare without case";
    HFONT underlined = AcquireControlFont(Style("Geneva", 0, 1, 1));
    EXPECT_NE(underlined, font);
    EXPECT_EQ(Read(underlined).lfUnderline, 1);
    HFONT plain = AcquireControlFont(Style("Times", 9));
    EXPECT_EQ(Read(plain).lfHeight, -9);
    EXPECT_EQ(Read(plain).lfWeight, 400);
    EXPECT_STREQ(Read(plain).lfFaceName, L"Times New Roman");

    ReleaseControlFont(font);
    EXPECT_EQ(GetObjectType(font), static_cast<DWORD>(OBJ_FONT)) << "one reference is left";
    ReleaseControlFont(font);
    EXPECT_EQ(GetObjectType(font), 0u) << "the last release deletes the font";
    ReleaseControlFont(font);  // no longer held: ignored
    EXPECT_EQ(GetObjectType(underlined), static_cast<DWORD>(OBJ_FONT));
    ReleaseControlFont(underlined);
    ReleaseControlFont(plain);
    HFONT again = AcquireControlFont(Style("Geneva", 0, 1));
    EXPECT_EQ(Read(again).lfWeight, 700) << "a new font after the old one went";
    ReleaseControlFont(again);
}

TEST(ControlFontCacheTest, FontNamesMapToWindowsFaces) {
    struct Row { const char* name; const char* face; } rows[] = {
        {"", "MS Sans Serif"},         {"System", "MS Sans Serif"},
        {"APPLICATION", "MS Sans Serif"}, {"geneva", "MS Sans Serif"},
        {"SmallSystem", "MS Sans Serif"}, {"courier", "Courier New"},
        {"Times", "Times New Roman"},  {"Helvetica", "Arial"},
        {"Osaka", "MS UI Gothic"},     {"Monaco", "Monaco"},
        {"Times New Roman", "Times New Roman"},
    };
    for (const Row& r : rows) {
        const string face = MapMacFontName(string(r.name));
        EXPECT_STREQ(face.IsEmpty() ? "" : face.CString(), r.face) << r.name;
    }
}

TEST(ControlFontCacheTest, TheSansSerifFaceIsInstalled) {
    // The install step brings the faces the mapped names ask for; without them text falls back
    // to whatever the system finds.
    HFONT font = AcquireControlFont(Style("System", 12));
    EXPECT_EQ(SelectedFace(font), L"MS Sans Serif");
    ReleaseControlFont(font);
}

TEST(ControlFontCacheTest, AFaceNameOutsideAsciiReachesGdiWhole) {
    // "ＭＳ ゴシック" in UTF-8.
    const char utf8[] = "\xEF\xBC\xAD\xEF\xBC\xB3 \xE3\x82\xB4\xE3\x82\xB7\xE3\x83\x83\xE3\x82\xAF";
    TextStyle style;
    style.fontName.SetBytes(utf8, sizeof utf8 - 1);
    style.fontName.SetEncoding(kEncodingUTF8);
    const wchar_t expected[] = L"\xFF2D\xFF33 \x30B4\x30B7\x30C3\x30AF";
    HFONT font = AcquireControlFont(style);
    EXPECT_STREQ(Read(font).lfFaceName, expected);
    ReleaseControlFont(font);
    if (GetACP() != 932) return;
    // The system script follows the user language, as at start-up.
    InitializeSystemScript();
    // The ANSI call gets the system script's bytes of the same name.
    SetUnicodePlatformOverride(UnicodePlatformOverride::ForceAnsi);
    style.underline = 1;
    font = AcquireControlFont(style);
    SetUnicodePlatformOverride(UnicodePlatformOverride::None);
    EXPECT_STREQ(Read(font).lfFaceName, expected);
    ReleaseControlFont(font);
}
