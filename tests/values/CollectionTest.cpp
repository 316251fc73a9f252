#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "CompiledSubclass.h"
#include "RaisedExceptions.h"
#include "core/DefinitionConversion.h"
#include "values/Collection.h"
#include "values/ObjectCursor.h"
#include "values/Variant.h"

namespace {

std::string Text(ObjectHeader* value) {
    if (!value) return "nil";
    const string s = string::Adopt(variantToString(value));
    std::string text(s.CString(), static_cast<size_t>(s.Length()));
    ReleaseObject(value);
    return text;
}

class CollectionTest : public ::testing::Test {
protected:
    CollectionTest() : mCollection(CreateInstance(GetCollectionDefinition())) {}
    ~CollectionTest() override { ReleaseObject(mCollection); }
    void Add(const char* value, const char* key = "") {
        ObjectHeader* v = stringToVariant(string(value).Record());
        collectionAdd(mCollection, v, string(key).Record());
        ReleaseObject(v);
    }
    std::string At(int32_t index) { return Text(collectionIdxItem(mCollection, index)); }
    std::string ByKey(const char* key) {
        return Text(collectionItem(mCollection, string(key).Record()));
    }
    std::vector<std::string> All() {
        std::vector<std::string> texts;
        for (int32_t i = 1; i <= collectionCount(mCollection); ++i) texts.push_back(At(i));
        return texts;
    }

    ObjectHeader* mCollection;
};

TEST_F(CollectionTest, PositionsCountFromOneAndOutsideRaise) {
    RaisedExceptions raised;
    EXPECT_EQ(collectionCount(mCollection), 0);
    EXPECT_EQ(At(1), "nil");
    EXPECT_EQ(raised.Take(), "OutOfBoundsException");
    Add("first");
    Add("second");
    EXPECT_EQ(All(), (std::vector<std::string>{"first", "second"}));
    for (int32_t index : {0, 3, -1}) {
        EXPECT_EQ(At(index), "nil") << index;
        EXPECT_EQ(raised.Take(), "OutOfBoundsException") << index;
        collectionIdxRemove(mCollection, index);
        EXPECT_EQ(raised.Take(), "OutOfBoundsException") << index;
    }
    collectionIdxRemove(mCollection, 1);
    EXPECT_EQ(All(), (std::vector<std::string>{"second"}));
    EXPECT_TRUE(raised.Names().empty());
}

TEST_F(CollectionTest, KeysCompareWithoutCaseAndTheFirstMatchWins) {
    RaisedExceptions raised;
    Add("unkeyed one");
    Add("upper", "A");
    Add("lower", "a");
    Add("unkeyed two");
    EXPECT_EQ(ByKey("a"), "upper");
    EXPECT_EQ(ByKey(""), "unkeyed one");
    EXPECT_EQ(ByKey("missing"), "nil");
    collectionKeyRemove(mCollection, string("a").Record());
    EXPECT_EQ(All(), (std::vector<std::string>{"unkeyed one", "lower", "unkeyed two"}));
    collectionKeyRemove(mCollection, string("missing").Record());
    EXPECT_EQ(collectionCount(mCollection), 3);
    EXPECT_TRUE(raised.Names().empty());
}

TEST_F(CollectionTest, ValuesAreHeldUntilRemovedOrDestroyed) {
    ObjectHeader* value = intToVariant(7);
    collectionAdd(mCollection, value, nullptr);
    collectionAdd(mCollection, value, nullptr);
    EXPECT_EQ(value->refCount, 3);
    collectionIdxRemove(mCollection, 2);
    EXPECT_EQ(value->refCount, 2);
    ReleaseObject(mCollection);
    mCollection = CreateInstance(GetCollectionDefinition());
    EXPECT_EQ(value->refCount, 1);
    ReleaseObject(value);
}

// A cursor whose handler hands out the Variants 1, 2 and 3 and then nil, counting its calls.
int32_t sHandlerCalls = 0;
ObjectHeader* HandOutThree(ObjectHeader*) {
    ++sHandlerCalls;
    return sHandlerCalls <= 3 ? intToVariant(sHandlerCalls) : nullptr;
}

class ObjectCursorTest : public ::testing::Test {
protected:
    ObjectCursorTest() {
        sHandlerCalls = 0;
        static ClassRecord* subclass = CompiledSubclass(
            GetObjectCursorDefinition(), "ThreeObjects", {{"NextObject", HandlerAddress(HandOutThree)}});
        mCursor = RuntimeNewObject(subclass);
    }
    ~ObjectCursorTest() override { ReleaseObject(mCursor); }
    std::string Item(int32_t index) { return Text(objectCursorGetItem(mCursor, index)); }

    ObjectHeader* mCursor;
};

TEST_F(ObjectCursorTest, GetItemPullsOnlyWhatItNeeds) {
    EXPECT_EQ(Item(2), "2");
    EXPECT_EQ(sHandlerCalls, 2);
    EXPECT_EQ(Item(1), "1");
    EXPECT_EQ(Item(0), "nil");
    EXPECT_EQ(sHandlerCalls, 2);
}

TEST_F(ObjectCursorTest, CountPullsTheWholeSequenceOnce) {
    EXPECT_EQ(objectCursorCountGetter(mCursor), 3);
    EXPECT_EQ(sHandlerCalls, 4);
    EXPECT_EQ(Item(4), "nil");
    EXPECT_EQ(objectCursorNextObject(mCursor), nullptr);
    EXPECT_EQ(objectCursorCountGetter(mCursor), 3);
    EXPECT_EQ(sHandlerCalls, 4);
    EXPECT_EQ(Item(3), "3");
}

TEST_F(ObjectCursorTest, TheCursorKeepsOneReferenceOfEachObject) {
    ObjectHeader* first = objectCursorNextObject(mCursor);
    EXPECT_EQ(first->refCount, 2);
    ReleaseObject(first);
    ObjectHeader* again = objectCursorGetItem(mCursor, 1);
    EXPECT_EQ(again, first);
    EXPECT_EQ(again->refCount, 2);
    ReleaseObject(again);
}

TEST(ObjectCursorPlain, WithoutAHandlerTheCursorIsEmpty) {
    ObjectHeader* cursor = CreateInstance(GetObjectCursorDefinition());
    EXPECT_EQ(objectCursorCountGetter(cursor), 0);
    EXPECT_EQ(objectCursorGetItem(cursor, 1), nullptr);
    ReleaseObject(cursor);
}

}  // namespace
