// Run by CTest once in the default locale and once each under ja_JP and zh_TW, from which Wine
// takes the user's default language.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string_view>

#include "core/RuntimeString.h"
#include "core/EncodingConversion.h"

namespace {

std::string_view Locale() {
    for (const char* name : {"LC_ALL", "LANG"}) {
        const char* value = std::getenv(name);
        if (value && *value) return value;
    }
    return "";
}

std::string_view Bytes(const string& s) { return {s.CString(), static_cast<size_t>(s.Length())}; }

string Tagged(std::string_view bytes, uint32_t tag) {
    string s;
    if (s.SetBytes(bytes.data(), static_cast<int32_t>(bytes.size()))) s.SetEncoding(tag);
    return s;
}

}  // namespace

TEST(SystemEncoding, FollowsTheUserLanguage) {
    const std::string_view locale = Locale();
    uint32_t expected = kEncodingWindowsLatin1;
    if (locale.starts_with("ja")) expected = kEncodingShiftJIS;
    else if (locale.starts_with("zh")) expected = kEncodingDOSChineseTrad;
    EXPECT_EQ(SystemTextEncoding(), expected) << "locale " << locale;
    EXPECT_EQ(FontTextEncoding(string()), expected);  // the empty name answers the last value
}

TEST(SystemEncoding, SystemTextConvertsBothWays) {
    struct Sample {
        uint32_t encoding;
        std::string_view utf8;
        std::string_view system;
    } samples[] = {
        {kEncodingShiftJIS, "\xE3\x81\x82\xEF\xBD\xB1", "\x82\xA0\xB1"},  // hiragana a, katakana a
        {kEncodingDOSChineseTrad, "\xE4\xB8\xAD\xE6\x96\x87", "\xA4\xA4\xA4\xE5"},
        {kEncodingWindowsLatin1, "caf\xC3\xA9", "caf\xE9"},
    };
    for (const Sample& sample : samples) {
        if (sample.encoding != SystemTextEncoding()) continue;
        const string converted = ConvertToSystemEncoding(Tagged(sample.utf8, kEncodingUTF8));
        EXPECT_EQ(Bytes(converted), sample.system);
        EXPECT_EQ(converted.Encoding(), sample.encoding);

        // Bytes of no known encoding are read as system text, and keep their tag.
        const string unknown = Tagged(sample.system, kEncodingUnknown);
        EXPECT_EQ(Bytes(unknown.ToUTF16().ToUTF8()), sample.utf8);
        EXPECT_EQ(unknown.Encoding(), kEncodingUnknown);
    }
}
