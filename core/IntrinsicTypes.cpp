#include "core/IntrinsicTypes.h"

#include <cstring>

#include "core/ByteUtilities.h"

namespace {

SingleTextHooks sSingleText = {nullptr, nullptr};

// Conversions write a new reference into the out handle without reading it: it is a result slot.

void StringToText(StringRecord** out, uintptr_t value) {
    auto* record = reinterpret_cast<StringRecord*>(value);
    StringRecord::AddReference(record);
    *out = record;
}

bool StringFromText(StringRecord* text, void* value) {
    string held(text);
    *static_cast<StringRecord**>(value) = held.Retain();
    return true;
}

void StringRelease(uintptr_t value) {
    StringRecord::Release(reinterpret_cast<StringRecord*>(value));
}

void StringRetain(uintptr_t value) {
    StringRecord::AddReference(reinterpret_cast<StringRecord*>(value));
}

void IntegerToText(StringRecord** out, uintptr_t value) {
    *out = StringFromInteger(static_cast<int32_t>(value)).Detach();
}

bool IntegerFromText(StringRecord* text, void* value) {
    *static_cast<int32_t*>(value) = CStringToInteger(StringRecord::CString(text));
    return true;
}

// A Boolean is one byte wide, as its field is.
void BooleanToText(StringRecord** out, uintptr_t value) {
    *out = string(static_cast<uint8_t>(value) ? "True" : "False").Detach();
}

bool BooleanFromText(StringRecord* text, void* value) {
    *static_cast<bool*>(value) = string::CompareNoCase(string(text), string("True")) == 0;
    return true;
}

bool ColorFromText(StringRecord* text, void* value) {
    const string held(text);
    *static_cast<int32_t*>(value) = CStringToInteger(held.CString());
    return true;
}

// A Single travels as its 32-bit pattern.
void SingleToText(StringRecord** out, uintptr_t value) {
    const uint32_t bits = static_cast<uint32_t>(value);
    float single;
    std::memcpy(&single, &bits, sizeof single);
    *out = sSingleText.toText ? sSingleText.toText(single).Detach() : string().Detach();
}

bool SingleFromText(StringRecord* text, void* value) {
    if (!sSingleText.fromText) return false;
    *static_cast<float*>(value) = static_cast<float>(sSingleText.fromText(text));
    return true;
}

}  // namespace

const IntrinsicType kStringType = {kTypeIntrinsic, "String", StringToText, StringFromText,
                                   StringRelease, StringRetain};
const IntrinsicType kIntegerType = {kTypeIntrinsic, "Integer", IntegerToText, IntegerFromText,
                                    nullptr, nullptr};
const IntrinsicType kUIntegerType = {kTypeIntrinsic, "UInteger", IntegerToText, IntegerFromText,
                                     nullptr, nullptr};
const IntrinsicType kBooleanType = {kTypeIntrinsic, "Boolean", BooleanToText, BooleanFromText,
                                    nullptr, nullptr};
const IntrinsicType kSingleType = {kTypeIntrinsic, "Single", SingleToText, SingleFromText, nullptr,
                                   nullptr};
const IntrinsicType kDoubleType = {kTypeIntrinsic, "Double", nullptr, nullptr, nullptr, nullptr};
const IntrinsicType kColorType = {kTypeIntrinsic, "Color", IntegerToText, ColorFromText, nullptr,
                                  nullptr};
const IntrinsicType kPtrType = {kTypeIntrinsic, "Ptr", nullptr, nullptr, nullptr, nullptr};
const IntrinsicType kWindowPtrType = {kTypeIntrinsic, "WindowPtr", nullptr, nullptr, nullptr,
                                      nullptr};
const IntrinsicType kOSTypeType = {kTypeIntrinsic, "OSType", nullptr, nullptr, nullptr, nullptr};
const IntrinsicType kCStringType = {kTypeIntrinsic, "CString", nullptr, nullptr, nullptr, nullptr};
const IntrinsicType kPStringType = {kTypeIntrinsic, "PString", nullptr, nullptr, nullptr, nullptr};
const IntrinsicType kShortType = {kTypeIntrinsic, "Short", nullptr, nullptr, nullptr, nullptr};
const IntrinsicType kClassType = {kTypeIntrinsic, "Class", nullptr, nullptr, nullptr, nullptr};

const IntrinsicType* const kIntrinsicTypes[14] = {
    &kStringType,  &kIntegerType, &kUIntegerType, &kBooleanType,   &kSingleType,
    &kDoubleType,  &kColorType,   &kPtrType,      &kWindowPtrType, &kOSTypeType,
    &kCStringType, &kPStringType, &kShortType,    &kClassType,
};

void SetSingleTextHooks(const SingleTextHooks& hooks) { sSingleText = hooks; }

const IntrinsicType* FindIntrinsicType(const char* name) {
    if (!name) return nullptr;
    for (const IntrinsicType* type : kIntrinsicTypes)
        if (CStringCompareNoCase(type->name, name) == 0) return type;
    return nullptr;
}

extern "C" const IntrinsicType** FillSpawnTypeTable(const IntrinsicType** table) {
    // What plug-ins receive: UInteger and Class are not among them.
    static const IntrinsicType* const kSpawnTypes[12] = {
        &kStringType, &kIntegerType,   &kBooleanType, &kSingleType,  &kDoubleType,  &kColorType,
        &kPtrType,    &kWindowPtrType, &kOSTypeType,  &kCStringType, &kPStringType, &kShortType,
    };
    if (!table) return nullptr;
    for (int i = 0; i < 12; ++i) table[i] = kSpawnTypes[i];
    return table;
}
