#include "values/TextEncodingObjects.h"

#include <cstddef>

#include "core/DefinitionConversion.h"
#include "core/Exceptions.h"
#include "core/IntKeyMap.h"
#include "core/IntrinsicTypes.h"
#include "core/PropertyAccessors.h"
#include "core/EncodingConversion.h"
#include "values/JapaneseEncodingGuess.h"
#include "core/TextEncodings.h"
#include "core/Utf8Codec.h"

namespace {

constexpr int32_t kUnicodeBase = 0x100;
constexpr int32_t kFormatUTF16 = 0;
constexpr int32_t kFormatUTF8 = 2;
constexpr int32_t kFormatUCS4 = 3;
constexpr uint32_t kFontEncoding = 0xFFFFFFFF;  // SystemDefault: the encoding of the font "System"

TextEncodingObject* Fields(ObjectHeader* e) { return reinterpret_cast<TextEncodingObject*>(e); }
TextConverterObject* Converter(ObjectHeader* c) { return reinterpret_cast<TextConverterObject*>(c); }

uint32_t ValueOf(int32_t base, int32_t format) {
    return base == kUnicodeBase && format == kFormatUTF8 ? kEncodingUTF8
                                                         : static_cast<uint32_t>(base);
}

void SplitEncodingValue(uint32_t value, int32_t& base, int32_t& variant, int32_t& format) {
    variant = 0;
    if (value == kEncodingUTF8) {
        base = kUnicodeBase;
        format = kFormatUTF8;
    } else {
        base = static_cast<int32_t>(value);
        format = 0;
    }
}

ObjectHeader* NewEncodingFromValue(uint32_t value) {
    int32_t base, variant, format;
    SplitEncodingValue(value, base, variant, format);
    ObjectHeader* encoding = getTextEncoding(base, variant, format);
    if (encoding) Fields(encoding)->value = static_cast<int32_t>(value);
    return encoding;
}

uint32_t WantedValue(ObjectHeader* encoding) {
    return encoding ? static_cast<uint32_t>(Fields(encoding)->value) : kEncodingUnknown;
}

// The interning cache: one object per value, each holding the reference it was made with.
IntKeyMap<ObjectHeader*>& InternedEncodings() {
    static auto* cache = new IntKeyMap<ObjectHeader*>;
    return *cache;
}

struct NamedEncoding {
    const char* name;
    uint32_t value;
    bool interned;
    int32_t format;
};

const NamedEncoding kNamedEncodings[] = {
    {"UTF8", kEncodingUTF8, true, 0}, {"UTF16", 0x100, true, 0}, {"UCS4", 0x100, false, kFormatUCS4},
    {"MacRoman", 0x0, false, 0}, {"MacJapanese", 0x1, false, 0}, {"MacChineseTrad", 0x2, false, 0},
    {"MacKorean", 0x3, false, 0}, {"MacArabic", 0x4, false, 0}, {"MacHebrew", 0x5, false, 0},
    {"MacGreek", 0x6, false, 0}, {"MacCyrillic", 0x7, false, 0}, {"MacDevanagari", 0x9, false, 0},
    {"MacGurmukhi", 0xA, false, 0}, {"MacGujarati", 0xB, false, 0}, {"MacOriya", 0xC, false, 0},
    {"MacBengali", 0xD, false, 0}, {"MacTamil", 0xE, false, 0}, {"MacTelugu", 0xF, false, 0},
    {"MacKannada", 0x10, false, 0}, {"MacMalayalam", 0x11, false, 0},
    {"MacSinhalese", 0x12, false, 0}, {"MacBurmese", 0x13, false, 0}, {"MacKhmer", 0x14, false, 0},
    {"MacThai", 0x15, false, 0}, {"MacLaotian", 0x16, false, 0}, {"MacGeorgian", 0x17, false, 0},
    {"MacArmenian", 0x18, false, 0}, {"MacChineseSimp", 0x19, false, 0},
    {"MacTibetan", 0x1A, false, 0}, {"MacMongolian", 0x1B, false, 0},
    {"MacEthiopic", 0x1C, false, 0}, {"MacCentralEurRoman", 0x1D, false, 0},
    {"MacVietnamese", 0x1E, false, 0}, {"MacExtArabic", 0x1F, false, 0},
    {"MacSymbol", 0x21, false, 0}, {"MacDingbats", 0x22, false, 0}, {"MacTurkish", 0x23, false, 0},
    {"MacCroatian", 0x24, false, 0}, {"MacIcelandic", 0x25, false, 0},
    {"MacRomanian", 0x26, false, 0}, {"MacCeltic", 0x27, false, 0}, {"MacGaelic", 0x28, false, 0},
    {"ISOLatin1", 0x201, false, 0}, {"ISOLatin2", 0x202, false, 0}, {"ISOLatin3", 0x203, false, 0},
    {"ISOLatin4", 0x204, false, 0}, {"ISOLatinCyrillic", 0x205, false, 0},
    {"ISOLatinArabic", 0x206, false, 0}, {"ISOLatinGreek", 0x207, false, 0},
    {"ISOLatinHebrew", 0x208, false, 0}, {"ISOLatin5", 0x209, false, 0},
    {"ISOLatin6", 0x20A, false, 0}, {"ISOLatin7", 0x20D, false, 0}, {"ISOLatin8", 0x20E, false, 0},
    {"ISOLatin9", 0x20F, false, 0}, {"DOSLatinUS", 0x400, false, 0}, {"DOSGreek", 0x405, false, 0},
    {"DOSBalticRim", 0x406, false, 0}, {"DOSLatin1", 0x410, false, 0},
    {"DOSGreek1", 0x411, false, 0}, {"DOSLatin2", 0x412, false, 0},
    {"DOSCyrillic", 0x413, false, 0}, {"DOSTurkish", 0x414, false, 0},
    {"DOSPortuguese", 0x415, false, 0}, {"DOSIcelandic", 0x416, false, 0},
    {"DOSHebrew", 0x417, false, 0}, {"DOSCanadianFrench", 0x418, false, 0},
    {"DOSArabic", 0x419, false, 0}, {"DOSNordic", 0x41A, false, 0},
    {"DOSRussian", 0x41B, false, 0}, {"DOSGreek2", 0x41C, false, 0}, {"DOSThai", 0x41D, false, 0},
    {"DOSJapanese", 0x420, false, 0}, {"DOSChineseSimplif", 0x421, false, 0},
    {"DOSKorean", 0x422, false, 0}, {"DOSChineseTrad", 0x423, false, 0},
    {"WindowsLatin1", 0x500, false, 0}, {"WindowsANSI", 0x500, false, 0},
    {"WindowsLatin2", 0x501, false, 0}, {"WindowsCyrillic", 0x502, false, 0},
    {"WindowsGreek", 0x503, false, 0}, {"WindowsLatin5", 0x504, false, 0},
    {"WindowsHebrew", 0x505, false, 0}, {"WindowsArabic", 0x506, false, 0},
    {"WindowsBalticRim", 0x507, false, 0}, {"WindowsVietnamese", 0x508, false, 0},
    {"WindowsKoreanJohab", 0x510, false, 0}, {"ASCII", 0x600, true, 0},
    {"ShiftJIS", 0xA01, false, 0}, {"KOI8_R", 0xA02, false, 0},
    {"MacRomanLatin1", 0xA04, false, 0}, {"SystemDefault", kFontEncoding, false, 0},
};
constexpr int32_t kNamedEncodingCount = static_cast<int32_t>(std::size(kNamedEncodings));
static_assert(kNamedEncodingCount == 92);

// --- TextEncoding ---

PropertyEntry IntegerProperty(const char* name, int32_t (*getter)(ObjectHeader*), const char* link) {
    return {kRowAttr4, name, AsType(&kIntegerType), RowFunction(getter), link, nullptr, nullptr, 0, 0};
}

PropertyEntry kTextEncodingProperties[] = {
    IntegerProperty("base", textEncodingBaseGetter, "textEncodingBaseGetter"),
    IntegerProperty("variant", textEncodingVariantGetter, "textEncodingVariantGetter"),
    IntegerProperty("format", textEncodingFormatGetter, "textEncodingFormatGetter"),
    {kRowAttr4, "internetName", AsType(&kStringType), RowFunction(textEncodingInternetName),
     "textEncodingInternetName", nullptr, nullptr, 0, 0},
    {kRowAttr4, "code", AsType(&kIntegerType), RowFunction(intGetter), "intGetter", nullptr, nullptr,
     offsetof(TextEncodingObject, value), 0},
};

ParameterEntry kChrParameters[] = {{"codePoint", AsType(&kIntegerType), 0, 0, 0, 0}};
ParameterEntry kEqualsParameters[] = {{"otherEncoding", nullptr, 0, 0, 0, 0}};

MethodEntry kTextEncodingMethods[] = {
    {"Chr", AsType(&kStringType), kChrParameters, 1, Function(TextEncodingChr, "TextEncodingChr"),
     {}, kMethodPlain, kRowAttr4, 0},
    {"Equals", AsType(&kBooleanType), kEqualsParameters, 1,
     Function(TextEncodingEquals, "TextEncodingEquals"), {}, kMethodPlain, kRowAttr4, 0},
};

const ClassRows kTextEncodingRows = {
    .className = "TextEncoding",
    .superclass = nullptr,
    .objectSize = sizeof(TextEncodingObject),
    .properties = kTextEncodingProperties,
    .methods = kTextEncodingMethods,
};

// --- TextConverter ---

ParameterEntry kConvertParameters[] = {{"text", AsType(&kStringType), 0, 0, 0, 0}};

MethodEntry kTextConverterMethods[] = {
    {"convert", AsType(&kStringType), kConvertParameters, 1,
     Function(textConverterConvert, "textConverterConvert"), {}, kMethodPlain, kRowAttr4, 0},
    {"clear", nullptr, nullptr, 0, Function(textConverterClear, "textConverterClear"), {},
     kMethodPlain, kRowAttr4, 0},
};

const ClassRows kTextConverterRows = {
    .className = "TextConverter",
    .superclass = nullptr,
    .objectSize = sizeof(TextConverterObject),
    .finalizer = Function(textConverterDestructor, "textConverterDestructor"),
    .methods = kTextConverterMethods,
};

// --- _Encodings: one property row per named encoding, made when the module is built ---

PropertyEntry kEncodingsProperties[kNamedEncodingCount];
ParameterEntry kGetFromCodeParameters[] = {{"encodingCode", AsType(&kIntegerType), 0, 0, 0, 0}};
MethodEntry kEncodingsMethods[] = {
    {"GetFromCode", nullptr, kGetFromCodeParameters, 1,
     Function(EncodingsGetFromCode, "EncodingsGetFromCode"), {}, kMethodPlain, kRowAttr4, 0},
};

const ClassRows kEncodingsRows = {
    .className = "_Encodings",
    .superclass = nullptr,
    .objectSize = kObjectHeaderSize,
    .properties = kEncodingsProperties,
    .methods = kEncodingsMethods,
};

bool IsJapaneseCodePage(uint32_t codePage) {
    return codePage == 932 || codePage == kCodePageEUCJP || codePage == kCodePageISO2022JP;
}

string OneCharacter(ObjectHeader* encoding, int32_t codePoint) {
    const auto point = static_cast<uint32_t>(codePoint);
    const TextEncodingObject* e = Fields(encoding);
    string s;
    unsigned char bytes[5];
    int32_t count = 0;
    if (!IsUTF16FamilyEncoding(static_cast<uint32_t>(e->value) & 0xFFFF)) {
        for (int shift = 24; shift >= 0; shift -= 8) {
            const auto byte = static_cast<unsigned char>(point >> shift);
            if (count == 0 && byte == 0 && shift > 0) continue;
            bytes[count++] = byte;
        }
        s.SetBytes(bytes, count);
    } else if (e->format == kFormatUCS4) {
        for (int shift = 0; shift < 32; shift += 8)
            bytes[count++] = static_cast<unsigned char>(point >> shift);
        s.SetBytes(bytes, count);
    } else if (e->format == kFormatUTF16) {
        const auto unit = static_cast<uint16_t>(point);
        s.SetWideText(&unit, 1);
    } else {
        s.SetBytes(bytes, Utf8Encode(point, bytes));
    }
    s.SetEncoding(static_cast<uint32_t>(e->value));
    return s;
}

}  // namespace

ObjectDefinition* GetTextEncodingDefinition() {
    static ObjectDefinition definition;
    if (definition.className.IsEmpty()) kEqualsParameters[0].parameterType = definition.AsType();
    return FillClassDefinition(definition, kTextEncodingRows);
}

ObjectDefinition* GetTextConverterDefinition() {
    static ObjectDefinition definition;
    return FillClassDefinition(definition, kTextConverterRows);
}

ObjectDefinition* GetEncodingsDefinition() {
    static ObjectDefinition definition;
    if (definition.className.IsEmpty()) {
        const TypeDescriptor* encoding = GetTextEncodingDefinition()->AsType();
        for (int32_t i = 0; i < kNamedEncodingCount; ++i)
            kEncodingsProperties[i] = {kRowAttr4, kNamedEncodings[i].name, encoding,
                                       RowFunction(EncodingsGetter), "EncodingsGetter", nullptr,
                                       nullptr, i + 1, 0};
        kEncodingsMethods[0].returnType = encoding;
    }
    return FillClassDefinition(definition, kEncodingsRows);
}

extern "C" {

ObjectHeader* getTextEncoding(int32_t base, int32_t variant, int32_t format) {
    ObjectHeader* encoding = CreateInstance(GetTextEncodingDefinition());
    if (!encoding) return nullptr;
    TextEncodingObject* e = Fields(encoding);
    e->base = base;
    e->variant = variant;
    e->format = format;
    e->valid = 1;
    e->value = static_cast<int32_t>(ValueOf(base, format));
    return encoding;
}

ObjectHeader* GetEncodingObjectFromCode(uint32_t value) {
    if (value == kEncodingUnknown) return nullptr;
    IntKeyMap<ObjectHeader*>& cache = InternedEncodings();
    ObjectHeader* encoding = nullptr;
    if (!cache.GetEntry(value, encoding)) {
        encoding = NewEncodingFromValue(value);
        if (!encoding) return nullptr;
        cache.SetEntry(value, encoding);
    }
    RuntimeLockObject(encoding);
    return encoding;
}

uint32_t GetEncodingFromTEObject(ObjectHeader* encoding) { return WantedValue(encoding); }

ObjectHeader* getFontTextEncoding(StringRecord* fontName) {
    const uint32_t value = FontTextEncoding(string(fontName));
    return value == kEncodingUnknown ? nullptr : NewEncodingFromValue(value);
}

ObjectHeader* getInternetTextEncoding(StringRecord*) { return nullptr; }

ObjectHeader* guessJapaneseEncoding(StringRecord* text) {
    const uint32_t value = GuessJapaneseEncodingValue(
        text ? text->buffer + 1 : nullptr, StringRecord::Length(text));
    return value == kEncodingUnknown ? nullptr : getTextEncoding(static_cast<int32_t>(value), 0, 0);
}

ObjectHeader* GetEncodingsObject() { return CreateInstance(GetEncodingsDefinition()); }

ObjectHeader* EncodingsGetter(ObjectHeader*, int32_t position) {
    if (position < 1 || position > kNamedEncodingCount) return nullptr;
    const NamedEncoding& named = kNamedEncodings[position - 1];
    if (named.interned) return GetEncodingObjectFromCode(named.value);
    if (named.value == kFontEncoding) return getFontTextEncoding(string("System").Record());
    return getTextEncoding(static_cast<int32_t>(named.value), 0, named.format);
}

ObjectHeader* EncodingsGetFromCode(ObjectHeader*, int32_t value) {
    return GetEncodingObjectFromCode(static_cast<uint32_t>(value));
}

int32_t textEncodingBaseGetter(ObjectHeader* encoding) {
    if (!encoding) return RaiseNilObjectException(), 0;
    return Fields(encoding)->base;
}

int32_t textEncodingVariantGetter(ObjectHeader* encoding) {
    if (!encoding) return RaiseNilObjectException(), 0;
    return Fields(encoding)->variant;
}

int32_t textEncodingFormatGetter(ObjectHeader* encoding) {
    if (!encoding) return RaiseNilObjectException(), 0;
    return Fields(encoding)->format;
}

StringRecord* textEncodingInternetName(ObjectHeader* encoding) {
    if (!encoding) return RaiseNilObjectException(), nullptr;
    const TextEncodingObject* e = Fields(encoding);
    const char* name = nullptr;
    if (e->base == kUnicodeBase) {
        constexpr const char* kUnicodeNames[] = {"UTF-16", "UTF-7", "UTF-8", "UCS-4"};
        if (e->format >= 0 && e->format <= 3) name = kUnicodeNames[e->format];
    } else if (static_cast<uint32_t>(e->base) == kEncodingUTF8) {
        name = "UTF-8";
    } else {
        switch (e->base) {
            case 0x500: name = "windows-1252"; break;
            case 0x600: name = "US-ASCII"; break;
            case 0x0: name = "macintosh"; break;
            case 0x1: name = "X-MAC-JAPANESE"; break;
            case 0xA01: name = "Shift_JIS"; break;
            default: break;
        }
    }
    return string(name).Detach();
}

StringRecord* TextEncodingChr(ObjectHeader* encoding, int32_t codePoint) {
    if (!encoding) return nullptr;
    return OneCharacter(encoding, codePoint).Detach();
}

bool TextEncodingEquals(ObjectHeader* encoding, ObjectHeader* other) {
    if (encoding == other) return true;
    return encoding && other && Fields(encoding)->value == Fields(other)->value;
}

// Two sides without any code page are not compatible unless their values are equal: a converter
// between them could only turn every text into the empty string.
ObjectHeader* getTextConverter(ObjectHeader* source, ObjectHeader* destination) {
    if (!source || !destination) return nullptr;
    const TextEncodingObject* s = Fields(source);
    const TextEncodingObject* d = Fields(destination);
    uint32_t sourcePage = 0, destinationPage = 0;
    const bool sourceHasPage =
        CodePageForEncoding(sourcePage, static_cast<uint32_t>(s->base), s->variant, s->format);
    const bool destinationHasPage = CodePageForEncoding(
        destinationPage, static_cast<uint32_t>(d->base), d->variant, d->format);
    const uint32_t sourceValue = ValueOf(s->base, s->format);
    const uint32_t destinationValue = ValueOf(d->base, d->format);
    const bool compatible =
        sourceValue == destinationValue ||
        (sourceHasPage && destinationHasPage &&
         (sourcePage == destinationPage ||
          (IsJapaneseCodePage(sourcePage) && IsJapaneseCodePage(destinationPage))));
    if ((!sourceHasPage || !destinationHasPage) && !compatible) return nullptr;
    ObjectHeader* converter = CreateInstance(GetTextConverterDefinition());
    if (!converter) return nullptr;
    Converter(converter)->source = static_cast<int32_t>(sourceValue);
    Converter(converter)->destination = static_cast<int32_t>(destinationValue);
    return converter;
}

StringRecord* textConverterConvert(ObjectHeader* converter, StringRecord* text) {
    if (!converter) return RaiseNilObjectException(), nullptr;
    if (!text) return nullptr;
    const auto from = static_cast<uint32_t>(Converter(converter)->source);
    const auto to = static_cast<uint32_t>(Converter(converter)->destination);
    const string s(text);
    if (from != to) return ConvertThroughUTF16(s, from, to).Detach();
    if (s.Encoding() == to) return string(s).Detach();
    string copy;
    copy.CopyRecordBytes(text);
    copy.SetEncoding(to);
    return copy.Detach();
}

void textConverterClear(ObjectHeader*) {}

void textConverterDestructor(ObjectHeader*) {}

ObjectHeader* StringGetEncoding(StringRecord* text) {
    const uint32_t tag = string(text).Encoding();
    return tag == kEncodingUnknown ? nullptr : GetEncodingObjectFromCode(tag);
}

StringRecord* StringSetEncoding(StringRecord* text, ObjectHeader* encoding) {
    if (!text) return nullptr;
    const uint32_t wanted = WantedValue(encoding);
    const string s(text);
    if (s.Encoding() == wanted) return string(s).Detach();
    string copy;
    copy.CopyRecordBytes(text);
    copy.SetEncoding(wanted);
    return copy.Detach();
}

StringRecord* StringConvertEncoding(StringRecord* text, ObjectHeader* encoding) {
    if (!text) return nullptr;
    const uint32_t wanted = WantedValue(encoding);
    const string s(text);
    if (s.Encoding() == wanted) return string(s).Detach();
    return ConvertStringEncoding(s, wanted).Detach();
}

}  // extern "C"
