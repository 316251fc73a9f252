#include <gtest/gtest.h>

#include <string>

#include "StringTesting.h"
#include "core/DefinitionConversion.h"
#include "core/EncodingConversion.h"
#include "values/TextEncodingObjects.h"

namespace {

// Positions of some Encodings properties.
constexpr int32_t kUTF8 = 1, kUTF16 = 2, kUCS4 = 3, kMacRoman = 4, kMacJapanese = 5,
                  kMacDevanagari = 12, kMacGurmukhi = 13, kISOLatin1 = 43, kWindowsLatin1 = 77,
                  kWindowsANSI = 78, kASCII = 88, kShiftJIS = 89, kSystemDefault = 92;

// Holds one object reference.
struct Object {
    explicit Object(ObjectHeader* o) : object(o) {}
    ~Object() { ReleaseObject(object); }
    Object(const Object&) = delete;
    ObjectHeader* object;
    TextEncodingObject* operator->() const { return reinterpret_cast<TextEncodingObject*>(object); }
};

Object Named(int32_t position) { return Object(EncodingsGetter(nullptr, position)); }

std::string Bytes(StringRecord* record) {
    const string s = string::Adopt(record);
    return std::string(BytesOf(s));
}

TEST(TextEncodingObjects, InternedPropertiesShareOneObjectAndOthersAreNew) {
    Object first = Named(kUTF8), second = Named(kUTF8);
    EXPECT_EQ(first.object, second.object);
    Object code = Object(GetEncodingObjectFromCode(kEncodingUTF8));
    EXPECT_EQ(code.object, first.object);
    Object roman = Named(kMacRoman), romanAgain = Named(kMacRoman);
    EXPECT_NE(roman.object, romanAgain.object);
    EXPECT_TRUE(TextEncodingEquals(roman.object, romanAgain.object));
    Object latin = Named(kWindowsLatin1), ansi = Named(kWindowsANSI);
    EXPECT_TRUE(TextEncodingEquals(latin.object, ansi.object));
    EXPECT_FALSE(TextEncodingEquals(roman.object, latin.object));
    EXPECT_FALSE(TextEncodingEquals(roman.object, nullptr));
    EXPECT_TRUE(TextEncodingEquals(nullptr, nullptr));
    EXPECT_EQ(EncodingsGetter(nullptr, 0), nullptr);
    EXPECT_EQ(EncodingsGetter(nullptr, 93), nullptr);
    EXPECT_EQ(GetEncodingObjectFromCode(kEncodingUnknown), nullptr);
}

TEST(TextEncodingObjects, FieldsOfTheUnicodeForms) {
    struct Case {
        int32_t position;
        int32_t base, format;
        uint32_t code;
        const char* internetName;
    };
    const Case cases[] = {
        {kUTF8, 0x100, 2, kEncodingUTF8, "UTF-8"},
        {kUTF16, 0x100, 0, 0x100, "UTF-16"},
        {kUCS4, 0x100, 3, 0x100, "UCS-4"},
        {kWindowsANSI, 0x500, 0, 0x500, "windows-1252"},
        {kMacJapanese, 1, 0, 1, "X-MAC-JAPANESE"},
        {kMacRoman, 0, 0, 0, "macintosh"},
        {kASCII, 0x600, 0, 0x600, "US-ASCII"},
        {kShiftJIS, 0xA01, 0, 0xA01, "Shift_JIS"},
        {kISOLatin1, 0x201, 0, 0x201, ""},
    };
    for (const Case& c : cases) {
        Object e = Named(c.position);
        EXPECT_EQ(textEncodingBaseGetter(e.object), c.base) << c.position;
        EXPECT_EQ(textEncodingFormatGetter(e.object), c.format) << c.position;
        EXPECT_EQ(textEncodingVariantGetter(e.object), 0) << c.position;
        EXPECT_EQ(static_cast<uint32_t>(e->value), c.code) << c.position;
        EXPECT_EQ(e->valid, 1);
        EXPECT_EQ(Bytes(textEncodingInternetName(e.object)), c.internetName) << c.position;
        EXPECT_EQ(GetEncodingFromTEObject(e.object), c.code) << c.position;
    }
    EXPECT_EQ(GetEncodingFromTEObject(nullptr), kEncodingUnknown);
    Object system = Named(kSystemDefault);
    ASSERT_NE(system.object, nullptr);
    EXPECT_EQ(GetEncodingFromTEObject(system.object), FontTextEncoding(string("System")));
}

TEST(TextEncodingObjects, ChrWritesTheCodePointInTheEncodingsForm) {
    struct Case {
        int32_t position;
        int32_t codePoint;
        std::string bytes;
    };
    const Case cases[] = {
        {kMacRoman, 0x263A, "\x26\x3A"},
        {kMacRoman, 0x41, "A"},
        {kMacRoman, 0, std::string(1, '\0')},
        {kShiftJIS, 0x8140, "\x81\x40"},
        {kUTF8, 0x263A, "\xE2\x98\xBA"},
        {kUTF16, 0x263A, "\x3A\x26"},
        {kUCS4, 0x1F600, std::string("\x00\xF6\x01\x00", 4)},
    };
    for (const Case& c : cases) {
        Object e = Named(c.position);
        const string s = string::Adopt(TextEncodingChr(e.object, c.codePoint));
        EXPECT_EQ(BytesOf(s), c.bytes) << c.position << " " << c.codePoint;
        EXPECT_EQ(s.Encoding(), static_cast<uint32_t>(e->value));
    }
    EXPECT_EQ(TextEncodingChr(nullptr, 0x41), nullptr);
}

TEST(TextEncodingObjects, StringEncodingExports) {
    EXPECT_EQ(StringGetEncoding(Tagged("raw", kEncodingUnknown).Record()), nullptr);
    Object ascii = Object(StringGetEncoding(nullptr));
    Object asciiObject = Named(kASCII);
    EXPECT_EQ(ascii.object, asciiObject.object);

    Object utf8 = Named(kUTF8);
    EXPECT_EQ(StringSetEncoding(nullptr, utf8.object), nullptr);
    const string text = Tagged("caf\xC3\xA9", kEncodingUTF8);
    StringRecord* same = StringSetEncoding(text.Record(), utf8.object);
    EXPECT_EQ(same, text.Record());
    StringRecord::Release(same);
    const string untagged = string::Adopt(StringSetEncoding(text.Record(), nullptr));
    EXPECT_NE(untagged.Record(), text.Record());
    EXPECT_EQ(untagged.Encoding(), kEncodingUnknown);
    EXPECT_EQ(BytesOf(untagged), "caf\xC3\xA9");
    EXPECT_EQ(text.Encoding(), kEncodingUTF8);

    Object latin = Named(kWindowsLatin1);
    const string converted = string::Adopt(StringConvertEncoding(text.Record(), latin.object));
    EXPECT_EQ(BytesOf(converted), "caf\xE9");
    EXPECT_EQ(converted.Encoding(), 0x500u);
    EXPECT_EQ(StringConvertEncoding(nullptr, latin.object), nullptr);
}

TEST(TextEncodingObjects, ConvertersNeedACodePageOnEachSideOrEqualValues) {
    Object utf8 = Named(kUTF8), latin = Named(kWindowsLatin1);
    Object converter = Object(getTextConverter(utf8.object, latin.object));
    ASSERT_NE(converter.object, nullptr);
    const string text = Tagged("caf\xC3\xA9", kEncodingUTF8);
    const string converted = string::Adopt(textConverterConvert(converter.object, text.Record()));
    EXPECT_EQ(BytesOf(converted), "caf\xE9");
    EXPECT_EQ(converted.Encoding(), 0x500u);
    EXPECT_EQ(textConverterConvert(converter.object, nullptr), nullptr);
    EXPECT_EQ(getTextConverter(nullptr, latin.object), nullptr);

    // Neither side has a code page: a converter could only answer the empty string.
    Object devanagari = Named(kMacDevanagari), gurmukhi = Named(kMacGurmukhi);
    EXPECT_EQ(getTextConverter(devanagari.object, gurmukhi.object), nullptr);
    EXPECT_EQ(getTextConverter(utf8.object, gurmukhi.object), nullptr);
    // Equal values only retag.
    Object retag = Object(getTextConverter(devanagari.object, Named(kMacDevanagari).object));
    ASSERT_NE(retag.object, nullptr);
    const string raw = Tagged("\x80\x81", kEncodingUnknown);
    const string tagged = string::Adopt(textConverterConvert(retag.object, raw.Record()));
    EXPECT_EQ(BytesOf(tagged), "\x80\x81");
    EXPECT_EQ(tagged.Encoding(), 0x9u);
}

TEST(TextEncodingObjects, JapaneseGuesser) {
    struct Case {
        std::string bytes;
        uint32_t expected;
    };
    const Case cases[] = {
        {"\x1B\x24\x42\x30\x21", kEncodingISO2022JP},
        {"\x1B\x4B", kEncodingISO2022JP},
        {"plain ASCII text", kEncodingUnknown},
        {"", kEncodingUnknown},
        {"\x82\xA0", kEncodingShiftJIS},
        {"\xA4\xF0", kEncodingEUCJP},
        {"\xA4\xA2", kEncodingUnknown},           // both EUC-JP and Shift-JIS
        {"\xA4\xA2\x82\xA0", kEncodingShiftJIS},  // decided by a later character
        {"\xB0\xE0\xFD", kEncodingEUCJP},
        {"\xB0", kEncodingShiftJIS},               // a half-width kana at the end
        {"\xF0\xA1", kEncodingEUCJP},
        {"\xE0\x40", kEncodingShiftJIS},
    };
    for (const Case& c : cases) {
        const string s = Tagged(c.bytes, kEncodingUnknown);
        Object guess = Object(guessJapaneseEncoding(s.Record()));
        EXPECT_EQ(GetEncodingFromTEObject(guess.object), c.expected) << c.bytes;
    }
}

TEST(TextEncodingObjects, TheEncodingsModuleAndItsRows) {
    Object module = Object(GetEncodingsObject());
    ASSERT_NE(module.object, nullptr);
    Object fromCode = Object(EncodingsGetFromCode(module.object, 0x600));
    Object ascii = Named(kASCII);
    EXPECT_EQ(fromCode.object, ascii.object);
    const PropertyDefinition* p = GetEncodingsDefinition()->Properties();
    int32_t count = 0;
    for (; p; p = p->next) ++count;
    EXPECT_EQ(count, 92);
}

}  // namespace
