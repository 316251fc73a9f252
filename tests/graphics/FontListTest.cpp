#include <gtest/gtest.h>

#include <windows.h>

#include <cctype>
#include <string>

#include "RaisedExceptions.h"
#include "graphics/FontList.h"

namespace {

int CALLBACK FindSymbolFace(const LOGFONTA* font, const TEXTMETRICA*, DWORD, LPARAM data) {
    if (font->lfCharSet != SYMBOL_CHARSET) return 1;
    *reinterpret_cast<std::string*>(data) = font->lfFaceName;
    return 0;
}

// A face the system enumerates with the symbol character set, or "".
std::string SymbolFace() {
    std::string face;
    HDC screen = GetDC(nullptr);
    EnumFontsA(screen, nullptr, FindSymbolFace, reinterpret_cast<LPARAM>(&face));
    ReleaseDC(nullptr, screen);
    return face;
}

std::string Cased(std::string text, bool upper) {
    for (char& c : text)
        c = static_cast<char>(upper ? std::toupper(static_cast<unsigned char>(c))
                                    : std::tolower(static_cast<unsigned char>(c)));
    return text;
}

}  // namespace

TEST(FontList, NamesAndBounds) {
    const int32_t count = getFontCount();
    ASSERT_GT(count, 0);
    StringRecord* first = getFontName(0);
    EXPECT_GT(StringRecord::Length(first), 0);
    StringRecord::Release(first);
    RaisedExceptions raised;
    EXPECT_EQ(getFontName(count), nullptr);
    EXPECT_EQ(raised.Take(), "OutOfBoundsException");
    EXPECT_EQ(getFontName(-1), nullptr);
    EXPECT_EQ(raised.Take(), "OutOfBoundsException");
    EXPECT_EQ(getFontCount(), count) << "the list is built once";
}

TEST(FontList, CharsetOfANameInAnyCase) {
    const std::string symbol = SymbolFace();
    ASSERT_FALSE(symbol.empty()) << "the install step brings symbol faces";
    const BYTE system = FontCharset(string("No Such Face Here"));
    for (bool upper : {false, true})
        EXPECT_EQ(FontCharset(string(Cased(symbol, upper).c_str())), SYMBOL_CHARSET) << symbol;
    EXPECT_NE(system, SYMBOL_CHARSET);
    EXPECT_EQ(FontCharset(string("tahoma")), system) << "a face of another charset";
}
