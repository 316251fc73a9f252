// The operations that size, search and shuffle arrays, driven through the arrays' own tables.
#include <algorithm>
#include <cmath>

#include "ArrayTesting.h"
#include "FailureRecorder.h"
#include "core/ArrayRecord.h"
#include "core/RuntimeString.h"
#include "core/Rnd.h"

namespace {

ArrayRecord* Integers(const std::vector<int32_t>& values) {
    ArrayRecord* array = CreateArray(1, kArrayInt32, int32_t(values.size()) - 1);
    for (size_t i = 0; i < values.size(); ++i) Set1(array, values[i], int32_t(i));
    return array;
}

// A two-dimensional Int32 array holding 0, 1, 2, ... in flat order.
ArrayRecord* Counting2(int32_t upper0, int32_t upper1) {
    ArrayRecord* array = CreateArray(2, kArrayInt32, upper0, upper1);
    int32_t* cells = static_cast<int32_t*>(array->data);
    for (int32_t i = 0; i < (upper0 + 1) * (upper1 + 1); ++i) cells[i] = i;
    return array;
}

void Redim2(ArrayRecord* array, int32_t upper0, int32_t upper1) {
    VariadicSlot<void, ArrayRecord*>(array->operations->Redim)(array, upper0, upper1);
}

class ArrayRedim : public ArrayTest {};

TEST_F(ArrayRedim, OneDimensionKeepsTheFrontAndZeroFillsGrowth) {
    ArrayRecord* array = Integers({1, 2, 3, 4});
    Append1(array, 5);
    const void* grownData = array->data;
    ASSERT_EQ(array->growthStep, 32);

    // Its own bound changes nothing, not even the step that Insert doubled.
    Redim1(array, 4);
    EXPECT_EQ(array->data, grownData);
    EXPECT_EQ(array->growthStep, 32);

    Redim1(array, 1);
    EXPECT_EQ(Elements<int32_t>(array), (std::vector<int32_t>{1, 2}));
    EXPECT_EQ(array->bufferLength, 8);
    EXPECT_EQ(array->growthStep, 16);
    Redim1(array, 4);
    EXPECT_EQ(Elements<int32_t>(array), (std::vector<int32_t>{1, 2, 0, 0, 0}));
    EXPECT_EQ(array->bufferLength, 20);

    Redim1(array, -1);
    EXPECT_EQ(RuntimeUBound(array), -1);
    EXPECT_EQ(array->bufferLength, 0);
    EXPECT_NE(array->data, nullptr);
    EXPECT_EQ(IndexOf1(array, 0, 0), -1);
    EXPECT_EQ(Raised(), "");

    Redim1(array, -2);
    EXPECT_EQ(Raised(), "OutOfBoundsException");
    EXPECT_EQ(RuntimeUBound(array), -1);
    RuntimeUnlockArray(array);
}

TEST_F(ArrayRedim, OneDimensionReleasesDroppedElementsInOrder) {
    ArrayRecord* objects = CreateArray(1, kArrayObject, 4);
    std::vector<ObjectHeader*> made;
    for (int32_t i = 0; i <= 4; ++i) {
        made.push_back(NewElement());
        Set1(objects, made.back(), i);
        RuntimeUnlockObject(made.back());
    }
    FinalisedObjects().clear();
    Redim1(objects, 1);
    EXPECT_EQ(FinalisedObjects(), (std::vector<ObjectHeader*>{made[2], made[3], made[4]}));
    Redim1(objects, 4);
    EXPECT_EQ(Elements<ObjectHeader*>(objects),
              (std::vector<ObjectHeader*>{made[0], made[1], nullptr, nullptr, nullptr}));
    RuntimeUnlockArray(objects);

    string texts[] = {string("a"), string("b"), string("c")};
    ArrayRecord* strings = CreateArray(1, kArrayString, 2);
    for (int32_t i = 0; i <= 2; ++i) Set1(strings, texts[i].Record(), i);
    Redim1(strings, 0);
    EXPECT_EQ(texts[0].Record()->refCount, 2);
    EXPECT_EQ(texts[1].Record()->refCount, 1);
    EXPECT_EQ(texts[2].Record()->refCount, 1);
    RuntimeUnlockArray(strings);
}

TEST_F(ArrayRedim, ManyDimensionsKeepEachElementsIndexes) {
    const struct {
        int32_t upper0, upper1;
        std::vector<int32_t> expected;
    } cases[] = {
        {2, 0, {0, 1, 0}},
        {0, 1, {0, 2}},
        {1, 1, {0, 1, 2, 3}},
        {2, 2, {0, 1, 0, 2, 3, 0, 0, 0, 0}},
        {-1, 3, {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << "to (" << c.upper0 << ", " << c.upper1 << ")");
        ArrayRecord* array = Counting2(1, 1);
        Redim2(array, c.upper0, c.upper1);
        EXPECT_EQ(array->upperBound[0], c.upper0);
        EXPECT_EQ(array->upperBound[1], c.upper1);
        EXPECT_EQ(array->bufferLength, int32_t(c.expected.size() * 4));
        EXPECT_EQ(array->growthStep, 16);
        EXPECT_EQ(Elements<int32_t>(array), c.expected);
        RuntimeUnlockArray(array);
    }

    // (2, 2) to (1, 2): element (1, 2) stays at (1, 2), though its flat place moves.
    ArrayRecord* square = Counting2(2, 2);
    Redim2(square, 1, 2);
    EXPECT_EQ(GetAt<int32_t>(square, {1, 2}), 1 + 2 * 3);
    RuntimeUnlockArray(square);

    ArrayRecord* cube = CreateArray(3, kArrayInt32, 1, 1, 1);
    for (int32_t i = 0; i < 8; ++i) static_cast<int32_t*>(cube->data)[i] = i;
    VariadicSlot<void, ArrayRecord*>(cube->operations->Redim)(cube, 2, 0, 1);
    EXPECT_EQ(Elements<int32_t>(cube), (std::vector<int32_t>{0, 1, 0, 4, 5, 0}));
    RuntimeUnlockArray(cube);
    EXPECT_EQ(Raised(), "");
}

TEST_F(ArrayRedim, ManyDimensionsReleaseWhatNoLongerFits) {
    string texts[] = {string("a"), string("b"), string("c"), string("d")};
    ArrayRecord* array = CreateArray(2, kArrayString, 1, 1);
    for (int32_t i = 0; i < 4; ++i) SetAt(array, texts[i].Record(), {i % 2, i / 2});
    Redim2(array, 0, 1);
    const int32_t counts[] = {2, 1, 2, 1};
    for (int32_t i = 0; i < 4; ++i) EXPECT_EQ(texts[i].Record()->refCount, counts[i]) << i;
    Redim2(array, 0, -2);
    EXPECT_EQ(Raised(), "OutOfBoundsException");
    EXPECT_EQ(array->upperBound[1], 1);
    Redim2(array, -1, 1);
    EXPECT_EQ(array->data, nullptr);
    EXPECT_EQ(texts[0].Record()->refCount, 1);
    Redim2(array, 1, 0);
    EXPECT_EQ(Elements<StringRecord*>(array), (std::vector<StringRecord*>{nullptr, nullptr}));
    RuntimeUnlockArray(array);
}

class ArrayInsert : public ArrayTest {};

TEST_F(ArrayInsert, AppendingGrowsByADoublingStep) {
    ArrayRecord* array = CreateArray(1, kArrayInt32, -1);
    Append1(array, 0);
    EXPECT_EQ(RuntimeUBound(array), 0);
    EXPECT_EQ(array->bufferLength, 64);
    EXPECT_EQ(array->growthStep, 32);
    for (int32_t i = 1; i < 17; ++i) Append1(array, i);
    EXPECT_EQ(array->bufferLength, 192);
    EXPECT_EQ(array->growthStep, 64);
    std::vector<int32_t> expected(17);
    for (int32_t i = 0; i < 17; ++i) expected[i] = i;
    EXPECT_EQ(Elements<int32_t>(array), expected);

    // The step stops doubling at 131072 elements.
    while (array->growthStep < 131072) Append1(array, 7);
    const int32_t length = array->bufferLength;
    while (array->bufferLength == length) Append1(array, 7);
    EXPECT_EQ(array->bufferLength, length + 131072 * 4);
    EXPECT_EQ(array->growthStep, 131072);
    RuntimeUnlockArray(array);
}

TEST_F(ArrayInsert, AtEitherEndOrInside) {
    ArrayRecord* array = Integers({1, 2, 3});
    Insert1(array, 0, 10);
    Insert1(array, 4, 40);
    Insert1(array, 2, 20);
    EXPECT_EQ(Elements<int32_t>(array), (std::vector<int32_t>{10, 1, 20, 2, 3, 40}));
    EXPECT_EQ(Raised(), "");
    for (int32_t index : {7, -1}) {
        Insert1(array, index, 99);
        EXPECT_EQ(Raised(), "OutOfBoundsException") << index;
    }
    EXPECT_EQ(Elements<int32_t>(array), (std::vector<int32_t>{10, 1, 20, 2, 3, 40}));
    RuntimeUnlockArray(array);

    CallSlot<void>(SelectArrayOperations(1, kArrayInt32)->Insert, static_cast<ArrayRecord*>(nullptr),
                   int32_t(0), int32_t(1));
    EXPECT_EQ(Raised(), "NilObjectException");
}

TEST_F(ArrayInsert, ValuesKeepTheirKind) {
    string text("text");
    ArrayRecord* strings = CreateArray(1, kArrayString, -1);
    Append1(strings, text.Record());
    Insert1(strings, 0, static_cast<StringRecord*>(nullptr));
    EXPECT_EQ(text.Record()->refCount, 2);
    EXPECT_EQ(Elements<StringRecord*>(strings), (std::vector<StringRecord*>{nullptr, text.Record()}));
    RuntimeUnlockArray(strings);
    EXPECT_EQ(text.Record()->refCount, 1);

    ArrayRecord* singles = CreateArray(1, kArraySingle, 0);
    Insert1(singles, 0, 2.5f);
    EXPECT_EQ(Elements<float>(singles), (std::vector<float>{2.5f, 0.0f}));
    RuntimeUnlockArray(singles);

    ArrayRecord* doubles = CreateArray(1, kArrayDouble, -1);
    Append1(doubles, 1e-300);
    EXPECT_EQ(Elements<double>(doubles), std::vector<double>{1e-300});
    RuntimeUnlockArray(doubles);

    ArrayRecord* bytes = CreateArray(1, kArrayInt8, -1);
    Append1(bytes, int32_t(0x1FF));
    EXPECT_EQ(Get1<int32_t>(bytes, 0), -1);
    RuntimeUnlockArray(bytes);
}

class ArrayRemove : public ArrayTest {};

TEST_F(ArrayRemove, ClosesTheGapAndMakesTheBufferExact) {
    ArrayRecord* array = Integers({1, 2, 3, 4});
    Append1(array, 5);
    Remove1(array, 4);
    Remove1(array, 0);
    EXPECT_EQ(Elements<int32_t>(array), (std::vector<int32_t>{2, 3, 4}));
    EXPECT_EQ(array->bufferLength, 12);
    EXPECT_EQ(array->growthStep, 16);
    Remove1(array, 1);
    EXPECT_EQ(Elements<int32_t>(array), (std::vector<int32_t>{2, 4}));
    for (int32_t index : {2, -1}) {
        Remove1(array, index);
        EXPECT_EQ(Raised(), "OutOfBoundsException") << index;
    }
    Remove1(array, 0);
    Remove1(array, 0);
    EXPECT_EQ(RuntimeUBound(array), -1);
    EXPECT_EQ(array->bufferLength, 0);
    EXPECT_EQ(Raised(), "");
    RuntimeUnlockArray(array);

    SelectArrayOperations(1, kArrayInt32)->Remove(nullptr, 0);
    EXPECT_EQ(Raised(), "NilObjectException");
}

TEST_F(ArrayRemove, ReleasesTheRemovedElement) {
    string texts[] = {string("a"), string("b")};
    ArrayRecord* array = CreateArray(1, kArrayString, 1);
    for (int32_t i = 0; i < 2; ++i) Set1(array, texts[i].Record(), i);
    Remove1(array, 0);
    EXPECT_EQ(texts[0].Record()->refCount, 1);
    EXPECT_EQ(texts[1].Record()->refCount, 2);
    EXPECT_EQ(Elements<StringRecord*>(array), std::vector<StringRecord*>{texts[1].Record()});
    RuntimeUnlockArray(array);
}

class ArrayOneDimensionalForms : public ArrayTest {};

TEST_F(ArrayOneDimensionalForms, ReportOtherShapesAndChangeNothing) {
    const ArrayOperations* line = SelectArrayOperations(1, kArrayInt32);
    ArrayRecord* plane = CreateArray(2, kArrayInt32, 1, 1);
    FailureRecorder recorder;
    CallSlot<void>(line->Insert, plane, int32_t(0), int32_t(1));
    line->Remove(plane, 0);
    CallSlot<void>(line->Redim, plane, int32_t(3));
    CallSlot<void>(line->Redim, static_cast<ArrayRecord*>(nullptr), int32_t(3));
    ASSERT_EQ(recorder.Count(), 4u);
    const struct {
        int32_t line;
        const char* condition;
    } reports[] = {
        {749, "1 == array->dimensions"},
        {826, "1 == array->dimensions"},
        {997, "1 == array->dimensions"},
        {996, "array"},
    };
    for (size_t i = 0; i < 4; ++i) {
        EXPECT_EQ(recorder.Reports()[i].file, "RuntimeArrayFoundation");
        EXPECT_EQ(recorder.Reports()[i].line, reports[i].line);
        EXPECT_EQ(recorder.Reports()[i].condition, reports[i].condition);
    }
    EXPECT_EQ(Elements<int32_t>(plane), (std::vector<int32_t>{0, 0, 0, 0}));
    RuntimeUnlockArray(plane);
}

class ArrayIndexOf : public ArrayTest {};

TEST_F(ArrayIndexOf, FindsTheFirstEqualElementFromTheStart) {
    ArrayRecord* array = Integers({5, 6, 5, 7});
    const struct {
        int32_t value, start, found;
    } cases[] = {
        {5, 0, 0}, {5, 1, 2}, {5, 3, -1}, {7, 3, 3}, {6, -1, 1}, {8, 0, -1},
    };
    for (const auto& c : cases)
        EXPECT_EQ(IndexOf1(array, c.value, c.start), c.found) << c.value << " from " << c.start;
    EXPECT_EQ(Raised(), "");
    for (int32_t start : {4, -2}) {
        EXPECT_EQ(IndexOf1(array, 5, start), -1);
        EXPECT_EQ(Raised(), "OutOfBoundsException") << start;
    }
    RuntimeUnlockArray(array);

    EXPECT_EQ(CallSlot<int32_t>(SelectArrayOperations(1, kArrayInt32)->IndexOf,
                                static_cast<ArrayRecord*>(nullptr), int32_t(5), int32_t(0)),
              -1);
    ArrayRecord* empty = CreateArray(1, kArrayInt32, -1);
    EXPECT_EQ(IndexOf1(empty, 0, 5), -1);
    RuntimeUnlockArray(empty);
    EXPECT_EQ(Raised(), "");
}

TEST_F(ArrayIndexOf, EachKindComparesInItsOwnWay) {
    // Narrow kinds compare only their own width.
    ArrayRecord* bytes = CreateArray(1, kArrayUInt8, 1);
    Set1(bytes, uint32_t(2), 0);
    Set1(bytes, uint32_t(1), 1);
    EXPECT_EQ(IndexOf1(bytes, uint32_t(257), 0), 1);
    RuntimeUnlockArray(bytes);
    ArrayRecord* shorts = CreateArray(1, kArrayInt16, 0);
    Set1(shorts, int32_t(-1), 0);
    EXPECT_EQ(IndexOf1(shorts, int32_t(0xFFFF), 0), 0);
    RuntimeUnlockArray(shorts);

    // Floating point: a NaN equals nothing, not even itself.
    ArrayRecord* doubles = CreateArray(1, kArrayDouble, 1);
    Set1(doubles, std::nan(""), 0);
    Set1(doubles, -0.0, 1);
    EXPECT_EQ(IndexOf1(doubles, std::nan(""), 0), -1);
    EXPECT_EQ(IndexOf1(doubles, 0.0, 0), 1);
    RuntimeUnlockArray(doubles);
    ArrayRecord* singles = CreateArray(1, kArraySingle, 1);
    Set1(singles, 0.1f, 1);
    EXPECT_EQ(IndexOf1(singles, 0.1f, 0), 1);
    RuntimeUnlockArray(singles);

    // Strings ignore case and the searched string is only held during the search.
    string texts[] = {string("x"), string(), string("ABC"), string("abc")};
    ArrayRecord* strings = CreateArray(1, kArrayString, 3);
    for (int32_t i = 0; i < 4; ++i) Set1(strings, texts[i].Record(), i);
    string wanted("abc");
    EXPECT_EQ(IndexOf1(strings, wanted.Record(), 0), 2);
    EXPECT_EQ(IndexOf1(strings, wanted.Record(), 3), 3);
    EXPECT_EQ(IndexOf1(strings, static_cast<StringRecord*>(nullptr), 0), 1);
    EXPECT_EQ(wanted.Record()->refCount, 1);
    RuntimeUnlockArray(strings);

    // Objects are the same object or not at all.
    ObjectHeader* first = NewElement();
    ObjectHeader* second = NewElement();
    ArrayRecord* objects = CreateArray(1, kArrayObject, 1);
    Set1(objects, second, 1);
    EXPECT_EQ(IndexOf1(objects, second, 0), 1);
    EXPECT_EQ(IndexOf1(objects, first, 0), -1);
    EXPECT_EQ(IndexOf1(objects, static_cast<ObjectHeader*>(nullptr), 0), 0);
    EXPECT_EQ(second->refCount, 2);
    RuntimeUnlockArray(objects);
    RuntimeUnlockObject(first);
    RuntimeUnlockObject(second);
}

class ArrayShuffle : public ArrayTest {};

TEST_F(ArrayShuffle, TwoElementsExchangeExactlyWhenRndIsBelowOneHalf) {
    bool seen[2] = {false, false};
    for (int32_t seed = 1; seed < 20 * 12345; seed += 12345) {
        srnd(seed);
        const bool exchange = rnd() < 0.5;
        seen[exchange] = true;
        srnd(seed);
        ArrayRecord* array = Integers({1, 2});
        array->operations->Shuffle(array);
        const std::vector<int32_t> expected = exchange ? std::vector<int32_t>{2, 1}
                                                       : std::vector<int32_t>{1, 2};
        EXPECT_EQ(Elements<int32_t>(array), expected) << seed;
        RuntimeUnlockArray(array);
    }
    EXPECT_TRUE(seen[0] && seen[1]);
}

TEST_F(ArrayShuffle, MixesEveryDimensionAsRawValues) {
    string texts[12];
    ArrayRecord* plane = CreateArray(2, kArrayString, 3, 2);
    ArrayRecord* twin = CreateArray(2, kArrayString, 3, 2);
    for (int32_t i = 0; i < 12; ++i) {
        texts[i] = StringFromInteger(i);
        SetAt(plane, texts[i].Record(), {i % 4, i / 4});
        SetAt(twin, texts[i].Record(), {i % 4, i / 4});
    }
    srnd(4242);
    plane->operations->Shuffle(plane);
    srnd(4242);
    twin->operations->Shuffle(twin);

    const std::vector<StringRecord*> shuffled = Elements<StringRecord*>(plane);
    EXPECT_EQ(shuffled, Elements<StringRecord*>(twin));
    bool changedColumn = false;
    for (int32_t i = 0; i < 12; ++i) {
        EXPECT_EQ(texts[i].Record()->refCount, 3);
        const auto at = std::find(shuffled.begin(), shuffled.end(), texts[i].Record());
        ASSERT_NE(at, shuffled.end());
        if ((at - shuffled.begin()) / 4 != i / 4) changedColumn = true;
    }
    EXPECT_TRUE(changedColumn);
    RuntimeUnlockArray(plane);
    RuntimeUnlockArray(twin);
}

TEST_F(ArrayShuffle, NothingToMixDrawsNothing) {
    ArrayRecord* one = Integers({9});
    ArrayRecord* empty = CreateArray(1, kArrayInt32, -1);
    ArrayRecord* column = Counting2(0, 5);  // a first upper bound of 0 leaves it as it is
    for (ArrayRecord* array : {one, empty, column, static_cast<ArrayRecord*>(nullptr)}) {
        const std::vector<int32_t> before = array ? Elements<int32_t>(array) : std::vector<int32_t>();
        srnd(77);
        SelectArrayOperations(array ? array->dimensions : 1, kArrayInt32)->Shuffle(array);
        EXPECT_EQ(srnd(0), 77.0) << "a number was drawn";
        if (array) {
            EXPECT_EQ(Elements<int32_t>(array), before);
        }
    }
    for (ArrayRecord* array : {one, empty, column}) RuntimeUnlockArray(array);
}

}  // namespace
