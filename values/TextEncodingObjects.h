// The language's TextEncoding, TextConverter and Encodings module: encoding values (the tags that
// strings carry) as objects, one shared object per value from the interning cache, the 92 named
// encodings, internet names, Chr, the Japanese guesser and the string exports that read, set or
// convert a string's encoding.
#pragma once

#include <cstdint>

#include "core/ClassDefinition.h"
#include "core/ObjectModel.h"
#include "core/RuntimeString.h"

// Fixed by the class definition's size; compiled code and plug-ins read the fields.
struct TextEncodingObject {
    ObjectHeader header;
    int32_t base;
    int32_t variant;
    int32_t format;  // for base 0x100: 0 UTF-16, 1 UTF-7, 2 UTF-8, 3 UCS-4
    int32_t valid;
    int32_t value;  // what strings carry: kEncodingUTF8 for UTF-8, else the base
};

struct TextConverterObject {
    ObjectHeader header;
    int32_t source;
    int32_t destination;
};

ObjectDefinition* GetTextEncodingDefinition();
ObjectDefinition* GetTextConverterDefinition();
ObjectDefinition* GetEncodingsDefinition();

extern "C" {
// Object results are new references owned by the caller; nil is null.
ObjectHeader* getTextEncoding(int32_t base, int32_t variant, int32_t format);
// The interned object of a value; nil for kEncodingUnknown.
ObjectHeader* GetEncodingObjectFromCode(uint32_t value);
// kEncodingUnknown for nil.
uint32_t GetEncodingFromTEObject(ObjectHeader* encoding);
ObjectHeader* getFontTextEncoding(StringRecord* fontName);
ObjectHeader* getInternetTextEncoding(StringRecord* name);
ObjectHeader* guessJapaneseEncoding(StringRecord* text);
ObjectHeader* GetEncodingsObject();
// position 1 to 92; any other gives nil.
ObjectHeader* EncodingsGetter(ObjectHeader* module, int32_t position);
ObjectHeader* EncodingsGetFromCode(ObjectHeader* module, int32_t value);
int32_t textEncodingBaseGetter(ObjectHeader* encoding);
int32_t textEncodingVariantGetter(ObjectHeader* encoding);
int32_t textEncodingFormatGetter(ObjectHeader* encoding);
StringRecord* textEncodingInternetName(ObjectHeader* encoding);
StringRecord* TextEncodingChr(ObjectHeader* encoding, int32_t codePoint);
bool TextEncodingEquals(ObjectHeader* encoding, ObjectHeader* other);
ObjectHeader* getTextConverter(ObjectHeader* source, ObjectHeader* destination);
StringRecord* textConverterConvert(ObjectHeader* converter, StringRecord* text);
void textConverterClear(ObjectHeader* converter);
void textConverterDestructor(ObjectHeader* converter);
ObjectHeader* StringGetEncoding(StringRecord* text);
StringRecord* StringSetEncoding(StringRecord* text, ObjectHeader* encoding);
StringRecord* StringConvertEncoding(StringRecord* text, ObjectHeader* encoding);
}
