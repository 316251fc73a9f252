// The six boxed classes of the Variant: their definitions, the boxing exports and the conversion
// and hash operators each class declares. Every class declares the same seven methods in the same
// order, Operator_Convert to Integer, UInteger, Boolean, Double, Color and String and
// Operator_Hash, so that one signature search serves them and the application's classes alike.
#include <cstring>

#include "core/DefinitionConversion.h"
#include "core/IntrinsicTypes.h"
#include "core/NumberConversion.h"
#include "values/NumberFormat.h"
#include "values/NumberText.h"
#include "values/Variant.h"

extern "C" {
int32_t IntegerObjectToInteger(ObjectHeader* self);
bool IntegerObjectToBoolean(ObjectHeader* self);
double IntegerObjectToDouble(ObjectHeader* self);
int32_t IntegerObjectToColor(ObjectHeader* self);
StringRecord* IntegerObjectToString(ObjectHeader* self);
int32_t IntegerObjectHash(ObjectHeader* self);
int32_t UnsignedIntegerObjectToInteger(ObjectHeader* self);
bool UnsignedIntegerObjectToBoolean(ObjectHeader* self);
double UnsignedIntegerObjectToDouble(ObjectHeader* self);
int32_t UnsignedIntegerObjectToColor(ObjectHeader* self);
StringRecord* UnsignedIntegerObjectToString(ObjectHeader* self);
int32_t UnsignedIntegerObjectHash(ObjectHeader* self);
int32_t StringObjectToInteger(ObjectHeader* self);
uint32_t StringObjectToUInteger(ObjectHeader* self);
bool StringObjectToBoolean(ObjectHeader* self);
double StringObjectToDouble(ObjectHeader* self);
int32_t StringObjectToColor(ObjectHeader* self);
StringRecord* StringObjectToString(ObjectHeader* self);
int32_t StringObjectHash(ObjectHeader* self);
void StringObjectFinalizer(ObjectHeader* self);
int32_t DoubleObjectToInteger(ObjectHeader* self);
uint32_t DoubleObjectToUInteger(ObjectHeader* self);
bool DoubleObjectToBoolean(ObjectHeader* self);
double DoubleObjectToDouble(ObjectHeader* self);
int32_t DoubleObjectToColor(ObjectHeader* self);
StringRecord* DoubleObjectToString(ObjectHeader* self);
int32_t DoubleObjectHash(ObjectHeader* self);
int32_t BooleanObjectToInteger(ObjectHeader* self);
bool BooleanObjectToBoolean(ObjectHeader* self);
double BooleanObjectToDouble(ObjectHeader* self);
int32_t BooleanObjectToColor(ObjectHeader* self);
StringRecord* BooleanObjectToString(ObjectHeader* self);
int32_t BooleanObjectHash(ObjectHeader* self);
int32_t ColorObjectToInteger(ObjectHeader* self);
bool ColorObjectToBoolean(ObjectHeader* self);
double ColorObjectToDouble(ObjectHeader* self);
int32_t ColorObjectToColor(ObjectHeader* self);
StringRecord* ColorObjectToString(ObjectHeader* self);
int32_t ColorObjectHash(ObjectHeader* self);
}

namespace {

int32_t IntegerOf(ObjectHeader* self) { return reinterpret_cast<BoxedInteger*>(self)->value; }
uint32_t UnsignedOf(ObjectHeader* self) { return static_cast<uint32_t>(IntegerOf(self)); }
StringRecord* StringOf(ObjectHeader* self) { return reinterpret_cast<BoxedString*>(self)->value; }
double DoubleOf(ObjectHeader* self) { return reinterpret_cast<BoxedDouble*>(self)->value; }
uint8_t BooleanOf(ObjectHeader* self) { return reinterpret_cast<BoxedBoolean*>(self)->value; }

int32_t HashOfWord(uint32_t word) { return static_cast<int32_t>(HashWords(&word, 4)); }

string AsciiText(const std::string& text) {
    string s;
    s.SetBytes(text.data(), static_cast<int32_t>(text.size()));
    s.SetEncoding(kEncodingASCII);
    return s;
}

// The seven operator rows of a boxed class, in their fixed order.
constexpr int kOperatorCount = 7;
struct BoxOperators {
    FunctionReference toInteger, toUInteger, toBoolean, toDouble, toColor, toString, hash;
};

MethodEntry OperatorRow(const char* name, const IntrinsicType& result, FunctionReference function) {
    return {name, AsType(&result), nullptr, 0, function, {}, kMethodPlain, kRowAttr4, 0};
}

struct BoxRows {
    MethodEntry methods[kOperatorCount];
    ClassRows rows;

    BoxRows(const char* className, int32_t size, const BoxOperators& f,
            FunctionReference finalizer = {})
        : methods{OperatorRow("Operator_Convert", kIntegerType, f.toInteger),
                  OperatorRow("Operator_Convert", kUIntegerType, f.toUInteger),
                  OperatorRow("Operator_Convert", kBooleanType, f.toBoolean),
                  OperatorRow("Operator_Convert", kDoubleType, f.toDouble),
                  OperatorRow("Operator_Convert", kColorType, f.toColor),
                  OperatorRow("Operator_Convert", kStringType, f.toString),
                  OperatorRow("Operator_Hash", kIntegerType, f.hash)},
          rows{.className = className, .superclass = nullptr, .objectSize = size,
               .finalizer = finalizer, .methods = methods} {}
};

#define QV_OPERATOR(prefix, suffix) Function(prefix##suffix, #prefix #suffix)
// The classes without a ToUInteger function of their own use ToInteger for both conversions.
#define QV_BOX_OPERATORS(prefix, unsignedSuffix)                                                  \
    BoxOperators {                                                                                \
        QV_OPERATOR(prefix, ToInteger), QV_OPERATOR(prefix, unsignedSuffix),                      \
            QV_OPERATOR(prefix, ToBoolean), QV_OPERATOR(prefix, ToDouble),                        \
            QV_OPERATOR(prefix, ToColor), QV_OPERATOR(prefix, ToString), QV_OPERATOR(prefix, Hash) \
    }

BoxRows kIntegerRows("Variant(Integer)", sizeof(BoxedInteger),
                     QV_BOX_OPERATORS(IntegerObject, ToInteger));
BoxRows kUnsignedRows("Variant(UInteger)", sizeof(BoxedInteger),
                      QV_BOX_OPERATORS(UnsignedIntegerObject, ToInteger));
BoxRows kStringRows("Variant(String)", sizeof(BoxedString),
                    QV_BOX_OPERATORS(StringObject, ToUInteger),
                    Function(StringObjectFinalizer, "StringObjectFinalizer"));
BoxRows kDoubleRows("Variant(Double)", sizeof(BoxedDouble),
                    QV_BOX_OPERATORS(DoubleObject, ToUInteger));
BoxRows kBooleanRows("Variant(Boolean)", sizeof(BoxedBoolean),
                     QV_BOX_OPERATORS(BooleanObject, ToInteger));
BoxRows kColorRows("Variant(Color)", sizeof(BoxedInteger),
                   QV_BOX_OPERATORS(ColorObject, ToInteger));

#undef QV_BOX_OPERATORS
#undef QV_OPERATOR

// A new instance of a boxed class, its class record looked up once.
template <ObjectDefinition* (*Definition)()>
ObjectHeader* NewBox() {
    static ClassRecord* record;
    if (!record) record = LookupObjectDefinition(Definition());
    return RuntimeNewObject(record);
}

}  // namespace

ObjectDefinition* GetIntegerObjectDefinition() {
    static ObjectDefinition definition;
    return FillClassDefinition(definition, kIntegerRows.rows);
}
ObjectDefinition* GetUnsignedIntegerObjectDefinition() {
    static ObjectDefinition definition;
    return FillClassDefinition(definition, kUnsignedRows.rows);
}
ObjectDefinition* GetStringObjectDefinition() {
    static ObjectDefinition definition;
    return FillClassDefinition(definition, kStringRows.rows);
}
ObjectDefinition* GetDoubleObjectDefinition() {
    static ObjectDefinition definition;
    return FillClassDefinition(definition, kDoubleRows.rows);
}
ObjectDefinition* GetBooleanObjectDefinition() {
    static ObjectDefinition definition;
    return FillClassDefinition(definition, kBooleanRows.rows);
}
ObjectDefinition* GetColorObjectDefinition() {
    static ObjectDefinition definition;
    return FillClassDefinition(definition, kColorRows.rows);
}

uint32_t HashWords(const void* words, int32_t byteCount) {
    uint32_t first;
    std::memcpy(&first, words, 4);
    uint32_t h = (first << 16) | (first >> 16);
    for (int32_t i = byteCount / 4 - 1; i >= 0; --i) {
        uint32_t word;
        std::memcpy(&word, static_cast<const char*>(words) + 4 * i, 4);
        h ^= word;
    }
    return h;
}

string DoubleVariantText(double value) {
    std::string s = numbertext::FormatDouble(value, numbertext::kScientific, 17);
    const size_t n = s.size();
    std::string suffix;
    if (n >= 3 && s[n - 1] == '0' && s[n - 3] == 'e') {
        s.resize(n - 3);
    } else if (n >= 4 && s.compare(n - 2, 2, "00") == 0 && s[n - 4] == 'e') {
        s.resize(n - 4);
    } else {
        const size_t e = s.rfind('e');
        if (e == std::string::npos) return AsciiText(s);
        suffix = s.substr(e);
        s.resize(e);
    }
    const size_t dot = s.find('.');
    if (dot != std::string::npos) {
        size_t end = s.size();
        while (end > dot + 2 && s[end - 1] == '0') --end;
        s.resize(end);
    }
    return AsciiText(s + suffix);
}

extern "C" {

ObjectHeader* intToVariant(int32_t value) {
    ObjectHeader* box = NewBox<GetIntegerObjectDefinition>();
    reinterpret_cast<BoxedInteger*>(box)->value = value;
    return box;
}

ObjectHeader* uintToVariant(uint32_t value) {
    ObjectHeader* box = NewBox<GetUnsignedIntegerObjectDefinition>();
    reinterpret_cast<BoxedInteger*>(box)->value = static_cast<int32_t>(value);
    return box;
}

ObjectHeader* stringToVariant(StringRecord* value) {
    ObjectHeader* box = NewBox<GetStringObjectDefinition>();
    reinterpret_cast<BoxedString*>(box)->value = RuntimeLockString(value);
    return box;
}

ObjectHeader* doubleToVariant(double value) {
    ObjectHeader* box = NewBox<GetDoubleObjectDefinition>();
    reinterpret_cast<BoxedDouble*>(box)->value = value;
    return box;
}

ObjectHeader* booleanToVariant(uint8_t value) {
    ObjectHeader* box = NewBox<GetBooleanObjectDefinition>();
    reinterpret_cast<BoxedBoolean*>(box)->value = value;
    return box;
}

ObjectHeader* colorToVariant(int32_t value) {
    ObjectHeader* box = NewBox<GetColorObjectDefinition>();
    reinterpret_cast<BoxedInteger*>(box)->value = value;
    return box;
}

ObjectHeader* objectToVariant(ObjectHeader* object) {
    RetainObject(object);
    return object;
}

ObjectHeader* DateToVariant(ObjectHeader* date) {
    RetainObject(date);
    return date;
}

// --- Variant(Integer) ---

int32_t IntegerObjectToInteger(ObjectHeader* self) { return IntegerOf(self); }
bool IntegerObjectToBoolean(ObjectHeader* self) { return IntegerOf(self) != 0; }
double IntegerObjectToDouble(ObjectHeader* self) { return IntegerOf(self); }
int32_t IntegerObjectToColor(ObjectHeader* self) { return IntegerOf(self); }
StringRecord* IntegerObjectToString(ObjectHeader* self) {
    return StringFromInteger(IntegerOf(self)).Detach();
}
int32_t IntegerObjectHash(ObjectHeader* self) { return HashOfWord(UnsignedOf(self)); }

// --- Variant(UInteger) ---

int32_t UnsignedIntegerObjectToInteger(ObjectHeader* self) { return IntegerOf(self); }
bool UnsignedIntegerObjectToBoolean(ObjectHeader* self) { return UnsignedOf(self) != 0; }
double UnsignedIntegerObjectToDouble(ObjectHeader* self) { return UnsignedOf(self); }
int32_t UnsignedIntegerObjectToColor(ObjectHeader* self) { return IntegerOf(self); }
StringRecord* UnsignedIntegerObjectToString(ObjectHeader* self) {
    return FormatWithSpec(UnsignedOf(self), string("-#")).Detach();
}
int32_t UnsignedIntegerObjectHash(ObjectHeader* self) { return HashOfWord(UnsignedOf(self)); }

// --- Variant(String) ---

int32_t StringObjectToInteger(ObjectHeader* self) {
    return TruncateToInt32(StringVal(StringOf(self)));
}
uint32_t StringObjectToUInteger(ObjectHeader* self) {
    return TruncateToUInt32(StringVal(StringOf(self)));
}
bool StringObjectToBoolean(ObjectHeader* self) {
    const string text(StringOf(self));
    return string::CompareNoCase(text, string("true")) == 0 || string::Compare(text, string("1")) == 0;
}
double StringObjectToDouble(ObjectHeader* self) { return StringVal(StringOf(self)); }
// "&c" introduces a colour as "&h" introduces a hexadecimal number.
int32_t StringObjectToColor(ObjectHeader* self) {
    string text(StringOf(self));
    const char* bytes = text.CString();
    if (text.Length() >= 2 && bytes[0] == '&' && (bytes[1] == 'c' || bytes[1] == 'C'))
        text = StringConcat(string("&h"), MidBytesFrom(text, 2));
    return TruncateToInt32(StringVal(text.Record()));
}
StringRecord* StringObjectToString(ObjectHeader* self) { return RuntimeLockString(StringOf(self)); }
// Letters a to z count as upper case, so that texts differing only in their case hash alike.
int32_t StringObjectHash(ObjectHeader* self) {
    const StringRecord* record = StringOf(self);
    const char* bytes = StringRecord::CString(record);
    uint32_t h = 0;
    for (int32_t i = 0; i < StringRecord::Length(record); ++i) {
        signed char c = static_cast<signed char>(bytes[i]);
        if (c >= 'a' && c <= 'z') c = static_cast<signed char>(c - 32);
        h = h * 31 + static_cast<uint32_t>(static_cast<int32_t>(c));
    }
    return static_cast<int32_t>(h);
}
void StringObjectFinalizer(ObjectHeader* self) {
    RuntimeUnlockString(StringOf(self));
    reinterpret_cast<BoxedString*>(self)->value = nullptr;
}

// --- Variant(Double) ---

int32_t DoubleObjectToInteger(ObjectHeader* self) { return TruncateToInt32(DoubleOf(self)); }
uint32_t DoubleObjectToUInteger(ObjectHeader* self) { return TruncateToUInt32(DoubleOf(self)); }
bool DoubleObjectToBoolean(ObjectHeader* self) { return DoubleOf(self) != 0.0; }
double DoubleObjectToDouble(ObjectHeader* self) { return DoubleOf(self); }
int32_t DoubleObjectToColor(ObjectHeader* self) { return TruncateToInt32(DoubleOf(self)); }
StringRecord* DoubleObjectToString(ObjectHeader* self) {
    return DoubleVariantText(DoubleOf(self)).Detach();
}
int32_t DoubleObjectHash(ObjectHeader* self) {
    const double value = DoubleOf(self);
    return static_cast<int32_t>(HashWords(&value, 8));
}

// --- Variant(Boolean) ---

int32_t BooleanObjectToInteger(ObjectHeader* self) { return BooleanOf(self); }
bool BooleanObjectToBoolean(ObjectHeader* self) { return BooleanOf(self) != 0; }
double BooleanObjectToDouble(ObjectHeader* self) { return BooleanOf(self) ? 1.0 : 0.0; }
int32_t BooleanObjectToColor(ObjectHeader* self) { return BooleanOf(self) ? 0xFFFFFF : 0; }
StringRecord* BooleanObjectToString(ObjectHeader* self) {
    return AsciiText(BooleanOf(self) ? "True" : "False").Detach();
}
int32_t BooleanObjectHash(ObjectHeader* self) { return BooleanOf(self); }

// --- Variant(Color) ---

int32_t ColorObjectToInteger(ObjectHeader* self) { return IntegerOf(self); }
bool ColorObjectToBoolean(ObjectHeader* self) { return IntegerOf(self) != 0; }
double ColorObjectToDouble(ObjectHeader* self) { return IntegerOf(self); }
int32_t ColorObjectToColor(ObjectHeader* self) { return IntegerOf(self); }
// "&h" and six hexadecimal digits at least: 255 is &h0000FF.
StringRecord* ColorObjectToString(ObjectHeader* self) {
    const string digits = string::Adopt(RuntimeHex(IntegerOf(self)));
    const int32_t prefix = 8 - digits.Length();
    if (prefix <= 0) return RuntimeLockString(digits.Record());
    string text = LeftBytes(string("&h000000"), prefix);
    text.Append(digits);
    text.SetEncoding(kEncodingASCII);
    return text.Detach();
}
int32_t ColorObjectHash(ObjectHeader* self) { return HashOfWord(UnsignedOf(self)); }

}  // extern "C"
