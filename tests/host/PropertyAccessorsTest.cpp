#include <gtest/gtest.h>

#include <cstring>

#include "core/ArrayRecord.h"
#include "core/ObjectModel.h"
#include "core/PropertyAccessors.h"

namespace {

// An object with room for fields behind the header; each test uses its own offsets.
class PropertyAccessors : public testing::Test {
protected:
    void SetUp() override {
        mClass = RuntimeNewClass(nullptr, 0, 0, 0, 0, 0);
        mClass->instanceSize = kObjectHeaderSize + 32;
        mObject = RuntimeNewObject(mClass);
    }
    void TearDown() override { RuntimeUnlockObject(mObject); }

    ObjectHeader* NewObject() { return RuntimeNewObject(mClass); }
    unsigned char* Bytes(int32_t offset) { return FieldAt<unsigned char>(mObject, offset); }

    static constexpr int32_t kField = kObjectHeaderSize + 8;

    ClassRecord* mClass = nullptr;
    ObjectHeader* mObject = nullptr;
};

TEST_F(PropertyAccessors, NarrowFieldsSignExtendAndStoreOnlyTheirBytes) {
    std::memset(Bytes(kField), 0x5A, 8);
    shortSetter(mObject, kField, 0x1234FFFF);
    EXPECT_EQ(shortGetter(mObject, kField), -1);
    EXPECT_EQ(Bytes(kField)[2], 0x5A);

    boolSetter(mObject, kField + 4, 0x102);
    EXPECT_EQ(Bytes(kField + 4)[0], 2);
    EXPECT_EQ(Bytes(kField + 4)[1], 0x5A);
    EXPECT_NE(boolGetter(mObject, kField + 4), 0);
    Bytes(kField + 4)[0] = 0x80;
    EXPECT_EQ(boolGetter(mObject, kField + 4), -128);
    boolSetter(mObject, kField + 4, 0);
    EXPECT_EQ(boolGetter(mObject, kField + 4), 0);
}

TEST_F(PropertyAccessors, WideFieldsRoundTrip) {
    intSetter(mObject, kField, -123456789);
    EXPECT_EQ(intGetter(mObject, kField), -123456789);
    singleSetter(mObject, kField + 4, 1.5f);
    EXPECT_EQ(singleGetter(mObject, kField + 4), 1.5f);
    doubleSetter(mObject, kField + 8, -2.25e300);
    EXPECT_EQ(doubleGetter(mObject, kField + 8), -2.25e300);
    EXPECT_EQ(intGetter(mObject, kField), -123456789);
}

TEST_F(PropertyAccessors, StringFieldsCountTheirReferences) {
    const struct {
        const char* family;
        StringRecord* (*get)(ObjectHeader*, int32_t);
        void (*set)(ObjectHeader*, int32_t, StringRecord*);
    } families[] = {
        {"string", stringGetter, stringSetter},
        {"SS", StringToSSGetter, SSToStringSetter},
    };
    for (const auto& f : families) {
        SCOPED_TRACE(f.family);
        string first("first");
        string second("second");
        StringRecord* a = first.Record();
        StringRecord* b = second.Record();

        f.set(mObject, kField, a);
        EXPECT_EQ(a->refCount, 2);
        // Storing the stored string keeps it alive, count unchanged, even as its only holder.
        first = string();
        f.set(mObject, kField, a);
        EXPECT_EQ(a->refCount, 1);
        EXPECT_STREQ(StringRecord::CString(a), "first");

        StringRecord* got = f.get(mObject, kField);
        EXPECT_EQ(got, a);
        EXPECT_EQ(a->refCount, 2);

        f.set(mObject, kField, b);
        EXPECT_EQ(a->refCount, 1);
        EXPECT_EQ(b->refCount, 2);
        StringRecord::Release(got);

        f.set(mObject, kField, nullptr);
        EXPECT_EQ(b->refCount, 1);
        EXPECT_EQ(f.get(mObject, kField), nullptr);
    }
}

TEST_F(PropertyAccessors, ObjectFieldsCountTheirReferences) {
    ObjectHeader* a = NewObject();
    ObjectHeader* b = NewObject();

    objSetter(mObject, kField, a);
    EXPECT_EQ(a->refCount, 2);
    // Storing the stored object keeps it alive with its count unchanged, even as the only holder.
    RuntimeUnlockObject(a);
    objSetter(mObject, kField, a);
    EXPECT_EQ(a->refCount, 1);
    EXPECT_EQ(*FieldAt<ObjectHeader*>(mObject, kField), a);

    ObjectHeader* got = objGetter(mObject, kField);
    EXPECT_EQ(got, a);
    EXPECT_EQ(a->refCount, 2);
    RuntimeUnlockObject(got);

    RuntimeLockObject(a);
    objSetter(mObject, kField, b);
    EXPECT_EQ(a->refCount, 1);
    EXPECT_EQ(b->refCount, 2);

    objSetter(mObject, kField, nullptr);
    EXPECT_EQ(b->refCount, 1);
    EXPECT_EQ(objGetter(mObject, kField), nullptr);
    RuntimeUnlockObject(a);
    RuntimeUnlockObject(b);
}

TEST_F(PropertyAccessors, ArrayFieldsCountTheirReferences) {
    ArrayRecord* a = CreateArray(1, kArrayInt32, 2);
    ArrayRecord* b = CreateArray(2, kArrayString, 1, 1);

    arraySetter(mObject, kField, a);
    EXPECT_EQ(a->refCount, 2);
    // Storing the stored array keeps it alive with its count unchanged, even as the only holder.
    RuntimeUnlockArray(a);
    arraySetter(mObject, kField, a);
    EXPECT_EQ(a->refCount, 1);
    EXPECT_EQ(*FieldAt<ArrayRecord*>(mObject, kField), a);

    ArrayRecord* got = arrayGetter(mObject, kField);
    EXPECT_EQ(got, a);
    EXPECT_EQ(a->refCount, 2);

    arraySetter(mObject, kField, b);
    EXPECT_EQ(a->refCount, 1);
    EXPECT_EQ(b->refCount, 2);
    RuntimeUnlockArray(got);

    arraySetter(mObject, kField, nullptr);
    EXPECT_EQ(b->refCount, 1);
    EXPECT_EQ(arrayGetter(mObject, kField), nullptr);
    RuntimeUnlockArray(b);
}

}  // namespace
