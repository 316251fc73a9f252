#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "RaisedExceptions.h"
#include "core/DefinitionConversion.h"
#include "values/Dictionary.h"
#include "values/Variant.h"

namespace {

std::string Text(ObjectHeader* value) {
    const string s = string::Adopt(variantToString(value));
    return std::string(s.CString(), static_cast<size_t>(s.Length()));
}

class DictionaryTest : public ::testing::Test {
protected:
    DictionaryTest() : mDictionary(CreateInstance(GetDictionaryDefinition())) {}
    ~DictionaryTest() override {
        ReleaseObject(mDictionary);
        for (ObjectHeader* v : mValues) ReleaseObject(v);
    }
    ObjectHeader* Keep(ObjectHeader* v) {
        mValues.push_back(v);
        return v;
    }
    ObjectHeader* S(const char* text) {
        const string s(text);
        return Keep(stringToVariant(s.Record()));
    }
    ObjectHeader* I(int32_t value) { return Keep(intToVariant(value)); }
    void Set(ObjectHeader* key, ObjectHeader* value) { dictionaryValueSetter(mDictionary, key, value); }
    std::string Get(ObjectHeader* key) {
        ObjectHeader* value = dictionaryValueGetter(mDictionary, key);
        const std::string text = value ? Text(value) : "nil";
        ReleaseObject(value);
        return text;
    }
    std::vector<std::string> Column(ArrayRecord* array) {
        std::vector<std::string> texts;
        for (int32_t i = 0; i <= RuntimeUBound(array); ++i) {
            ObjectHeader* v = RuntimeDirectReadObjectArray(array, i);
            texts.push_back(v ? Text(v) : "nil");
            ReleaseObject(v);
        }
        RuntimeUnlockArray(array);
        return texts;
    }
    int32_t Count() { return dictionaryCount(mDictionary); }
    int32_t Bins() { return dictionaryGetBins(mDictionary); }

    ObjectHeader* mDictionary;
    std::vector<ObjectHeader*> mValues;
};

TEST_F(DictionaryTest, KeysHashAndCompareAsVariants) {
    Set(S("abc"), I(1));
    Set(S("ABC"), I(2));  // the same entry, which keeps its first key
    Set(I(1), S("integer"));
    Set(Keep(doubleToVariant(1.0)), S("double"));  // equal to 1, but another hash
    Set(nullptr, S("nil key"));
    EXPECT_EQ(Count(), 4);
    EXPECT_EQ(Get(S("Abc")), "2");
    EXPECT_EQ(Column(dictionaryKeys(mDictionary)), (std::vector<std::string>{"abc", "1", "1.0", "nil"}));
    EXPECT_EQ(Get(nullptr), "nil key");
    EXPECT_TRUE(dictionaryHasKey(mDictionary, I(1)));
    EXPECT_FALSE(dictionaryHasKey(mDictionary, I(2)));
}

TEST_F(DictionaryTest, BinsGrowThroughThePrimesUnlessFixed) {
    for (int32_t i = 0; i < 46; ++i) Set(I(i), I(i));
    EXPECT_EQ(Bins(), 61);
    Set(I(46), I(46));
    EXPECT_EQ(Bins(), 127);
    dictionarySetBins(mDictionary, 0, 10);
    for (int32_t i = 47; i < 300; ++i) Set(I(i), I(i));
    EXPECT_EQ(Bins(), 10);
    EXPECT_EQ(Get(I(299)), "299");
    dictionarySetBins(mDictionary, 0, 0);  // rehashed to fit, growing again
    EXPECT_EQ(Bins(), 509);
    for (int32_t i = 300; i < 400; ++i) Set(I(i), I(i));
    EXPECT_EQ(Bins(), 1021);
    EXPECT_EQ(Count(), 400);
    for (int32_t i = 0; i < 400; i += 37) EXPECT_EQ(Get(I(i)), std::to_string(i));
    dictionaryRemoveAll(mDictionary);
    EXPECT_EQ(Count(), 0);
    EXPECT_EQ(Bins(), 61);
    EXPECT_TRUE(Column(dictionaryKeys(mDictionary)).empty());
}

TEST_F(DictionaryTest, RemovalMovesTheLastEntryIntoTheGap) {
    Set(S("a"), I(1));
    Set(S("b"), I(2));
    Set(S("c"), I(3));
    dictionaryRemove(mDictionary, S("A"));
    EXPECT_EQ(Column(dictionaryKeys(mDictionary)), (std::vector<std::string>{"c", "b"}));
    EXPECT_EQ(Column(dictionaryValues(mDictionary)), (std::vector<std::string>{"3", "2"}));
    ObjectHeader* second = dictionaryValueByIndex(mDictionary, 1);
    EXPECT_EQ(Text(second), "2");
    ReleaseObject(second);
}

TEST_F(DictionaryTest, MissingKeysAndIndexes) {
    Set(S("present"), I(1));
    RaisedExceptions raised;
    EXPECT_EQ(Get(S("absent")), "nil");
    EXPECT_EQ(raised.Take(), "KeyNotFoundException");
    dictionaryRemove(mDictionary, S("absent"));
    EXPECT_EQ(raised.Take(), "KeyNotFoundException");
    ObjectHeader* fallback = DictionaryLookup(mDictionary, S("absent"), S("default"));
    EXPECT_EQ(Text(fallback), "default");
    ReleaseObject(fallback);
    EXPECT_EQ(dictionaryKey(mDictionary, Count()), nullptr);
    EXPECT_EQ(raised.Take(), "OutOfBoundsException");
    EXPECT_EQ(dictionaryKey(mDictionary, -1), nullptr);
    EXPECT_EQ(raised.Take(), "OutOfBoundsException");
    EXPECT_EQ(Count(), 1);
}

// A bin count whose chain heads would not fit in memory, however its byte size wraps, raises
// OutOfMemoryException and leaves the entries where they were.
TEST_F(DictionaryTest, BinCountsBeyondMemoryRaise) {
    for (int32_t i = 0; i < 5; ++i) Set(I(i), I(i));
    RaisedExceptions raised;
    for (const int32_t count : {0x40000001, 0x40000000, 0x20000000, 0x7FFFFFFF, 0x60000001}) {
        dictionarySetBins(mDictionary, 0, count);
        EXPECT_EQ(raised.Take(), "OutOfMemoryException") << count;
        EXPECT_EQ(Bins(), 61) << count;
    }
    for (int32_t i = 0; i < 5; ++i) EXPECT_EQ(Get(I(i)), std::to_string(i));
}

// Values and keys are released when replaced, removed, cleared and destroyed.
TEST_F(DictionaryTest, ReferencesAreKeptAndReleased) {
    ObjectHeader* key = S("key");
    ObjectHeader* first = I(1);
    ObjectHeader* second = I(2);
    Set(key, first);
    EXPECT_EQ(key->refCount, 2);
    EXPECT_EQ(first->refCount, 2);
    Set(key, second);
    EXPECT_EQ(first->refCount, 1);
    EXPECT_EQ(second->refCount, 2);
    dictionaryRemove(mDictionary, key);
    EXPECT_EQ(key->refCount, 1);
    EXPECT_EQ(second->refCount, 1);
    Set(key, second);
    ObjectHeader* other = CreateInstance(GetDictionaryDefinition());
    dictionaryValueSetter(other, key, second);
    ReleaseObject(other);
    EXPECT_EQ(key->refCount, 2);
    EXPECT_EQ(second->refCount, 2);
    EXPECT_EQ(RuntimeLookupDictionaryClass(), LookupObjectDefinition(GetDictionaryDefinition()));
}

}  // namespace
