#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "core/IntrinsicTypes.h"

namespace {

string TextOf(const IntrinsicType& type, uintptr_t value) {
    StringRecord* out = nullptr;
    type.toText(&out, value);
    return string::Adopt(out);
}

}  // namespace

TEST(IntrinsicTypes, FixedOrderAndLookupByName) {
    const char* const names[14] = {"String", "Integer", "UInteger", "Boolean", "Single",
                                   "Double", "Color", "Ptr", "WindowPtr", "OSType",
                                   "CString", "PString", "Short", "Class"};
    for (int i = 0; i < 14; ++i) {
        EXPECT_EQ(kIntrinsicTypes[i]->kind, kTypeIntrinsic);
        EXPECT_STREQ(kIntrinsicTypes[i]->name, names[i]);
        EXPECT_EQ(FindIntrinsicType(names[i]), kIntrinsicTypes[i]);
    }
    EXPECT_EQ(FindIntrinsicType("wINDOWpTR"), &kWindowPtrType);
    EXPECT_EQ(FindIntrinsicType("Variant"), nullptr);
    EXPECT_EQ(FindIntrinsicType(nullptr), nullptr);
}

TEST(IntrinsicTypes, SpawnTableLeavesOutUIntegerAndClass) {
    const IntrinsicType* table[13];
    table[12] = &kClassType;
    EXPECT_EQ(FillSpawnTypeTable(table), table);
    const IntrinsicType* const expected[12] = {
        &kStringType, &kIntegerType, &kBooleanType, &kSingleType, &kDoubleType, &kColorType,
        &kPtrType, &kWindowPtrType, &kOSTypeType, &kCStringType, &kPStringType, &kShortType};
    for (int i = 0; i < 12; ++i) EXPECT_EQ(table[i], expected[i]) << i;
    EXPECT_EQ(table[12], &kClassType) << "wrote past the twelve";
    EXPECT_EQ(FillSpawnTypeTable(nullptr), nullptr);
}

TEST(IntrinsicTypes, BooleanText) {
    const struct {
        const char* text;
        bool value;
    } cases[] = {{"true", true}, {"TRUE", true}, {"True", true}, {"yes", false},
                 {"1", false},   {"Truex", false}, {"", false}};
    for (const auto& c : cases) {
        bool value = !c.value;
        string text(c.text);
        EXPECT_TRUE(kBooleanType.fromText(text.Record(), &value));
        EXPECT_EQ(value, c.value) << c.text;
    }
    EXPECT_STREQ(TextOf(kBooleanType, 1).CString(), "True");
    EXPECT_STREQ(TextOf(kBooleanType, 0).CString(), "False");
}

TEST(IntrinsicTypes, IntegerAndColorText) {
    for (const IntrinsicType* type : {&kIntegerType, &kUIntegerType, &kColorType}) {
        SCOPED_TRACE(type->name);
        EXPECT_STREQ(TextOf(*type, static_cast<uint32_t>(-42)).CString(), "-42");
        EXPECT_STREQ(TextOf(*type, 0x00FF8000).CString(), "16744448");
        string text(" 16744448 apples");
        int32_t value = 0;
        EXPECT_TRUE(type->fromText(text.Record(), &value));
        EXPECT_EQ(value, 0x00FF8000);
        EXPECT_EQ(text.Record()->refCount, 1);
    }
}

TEST(IntrinsicTypes, StringConversionsShareTheRecord) {
    string held("text");
    StringRecord* record = held.Record();

    string shown = TextOf(kStringType, reinterpret_cast<uintptr_t>(record));
    EXPECT_EQ(shown.Record(), record);
    EXPECT_EQ(record->refCount, 2);

    StringRecord* parsed = nullptr;
    EXPECT_TRUE(kStringType.fromText(record, &parsed));
    EXPECT_EQ(parsed, record);
    EXPECT_EQ(record->refCount, 3);

    kStringType.release(reinterpret_cast<uintptr_t>(parsed));
    EXPECT_EQ(record->refCount, 2);
    kStringType.retain(reinterpret_cast<uintptr_t>(record));
    EXPECT_EQ(record->refCount, 3);
    kStringType.release(reinterpret_cast<uintptr_t>(record));
}

TEST(IntrinsicTypes, SingleText) {
    const struct {
        float value;
        const char* text;
    } cases[] = {{1.5f, "1.5"}, {0.1f, "0.1"}, {1234567.0f, "1.234567e+6"}, {-0.0f, "0"}};
    for (const auto& c : cases) {
        uint32_t bits;
        std::memcpy(&bits, &c.value, sizeof bits);
        EXPECT_STREQ(TextOf(kSingleType, bits).CString(), c.text);
    }
    string text("2.25e1");
    float value = 0;
    EXPECT_TRUE(kSingleType.fromText(text.Record(), &value));
    EXPECT_EQ(value, 22.5f);
}
