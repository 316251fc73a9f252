// Sort and SortWith through the one-dimensional operation tables, as compiled code calls them.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>
#include <numeric>
#include <vector>

#include "ArrayTesting.h"
#include "FailureRecorder.h"
#include "StringTesting.h"
#include "core/ArraySort.h"
#include "core/Exceptions.h"

namespace {

// Counts the sort's stack tests, and keeps the deepest stack address seen at one.
struct StackChecks {
    StackChecks() { sInstance = this, previous = SetSortStackCheck(&Count); }
    ~StackChecks() { SetSortStackCheck(previous), sInstance = nullptr; }
    static void Count() {
        ++sInstance->calls;
        const auto here = reinterpret_cast<uintptr_t>(__builtin_frame_address(0));
        sInstance->deepest = std::min(sInstance->deepest, here);
    }
    static inline StackChecks* sInstance = nullptr;
    StackCheckFunction previous;
    int32_t calls = 0;
    uintptr_t deepest = UINTPTR_MAX;
};

template <typename Stored>
ArrayRecord* ArrayOf(ArrayElementKind kind, const std::vector<Stored>& values) {
    ArrayRecord* array = CreateArray(1, kind, static_cast<int32_t>(values.size()) - 1);
    if (!values.empty()) std::memcpy(array->data, values.data(), values.size() * sizeof(Stored));
    return array;
}

template <typename Stored>
std::vector<Stored> ValuesOf(const ArrayRecord* array) {
    const auto* data = static_cast<const Stored*>(array->data);
    return std::vector<Stored>(data, data + array->upperBound[0] + 1);
}

ArrayRecord* StringArray(const std::vector<const char*>& texts) {
    ArrayRecord* array = CreateArray(1, kArrayString, static_cast<int32_t>(texts.size()) - 1);
    for (size_t i = 0; i < texts.size(); ++i)
        Set1<StringRecord*>(array, Tagged(texts[i], kEncodingASCII).Record(), static_cast<int32_t>(i));
    return array;
}

std::string TextsOf(const ArrayRecord* array) {
    std::string joined;
    for (int32_t i = 0; i <= array->upperBound[0]; ++i)
        joined += std::string(i ? "," : "") +
                  std::string(BytesOf(reinterpret_cast<const string*>(array->data)[i]));
    return joined;
}

void Sort(ArrayRecord* array) { array->operations->Sort(array); }

template <typename Stored>
void ExpectSorts(ArrayElementKind kind, std::vector<Stored> values, std::vector<Stored> sorted) {
    SCOPED_TRACE(testing::Message() << "kind " << kind);
    ArrayRecord* array = ArrayOf(kind, values);
    Sort(array);
    EXPECT_EQ(ValuesOf<Stored>(array), sorted);
    RuntimeUnlockArray(array);
}

}  // namespace

TEST(ArraySort, EveryKindInItsOwnOrder) {
    ExpectSorts<int32_t>(kArrayInt32, {3, -1, 2}, {-1, 2, 3});
    ExpectSorts<uint32_t>(kArrayUInt32, {4294967295u, 1}, {1, 4294967295u});
    ExpectSorts<int8_t>(kArrayInt8, {-1, 1}, {-1, 1});
    ExpectSorts<uint8_t>(kArrayUInt8, {255, 1}, {1, 255});
    ExpectSorts<int16_t>(kArrayInt16, {300, -300, 0}, {-300, 0, 300});
    ExpectSorts<uint16_t>(kArrayUInt16, {65535, 300, 0}, {0, 300, 65535});
    ExpectSorts<float>(kArraySingle, {2.5f, -0.5f, 1.0f}, {-0.5f, 1.0f, 2.5f});
    ExpectSorts<double>(kArrayDouble, {1e300, -1e-300, 0.0}, {-1e-300, 0.0, 1e300});

    // Strings ignore case; the records move without reference changes.
    ArrayRecord* strings = StringArray({"b", "C", "a", "B2"});
    const int32_t liveBefore = LiveObjectCount();
    Sort(strings);
    EXPECT_EQ(TextsOf(strings), "a,b,B2,C");
    EXPECT_EQ(LiveObjectCount(), liveBefore);
    RuntimeUnlockArray(strings);

    // Object arrays have no order.
    EXPECT_EQ(SelectArrayOperations(1, kArrayObject)->Sort, nullptr);
}

TEST(ArraySort, LargeInputsOfEveryShape) {
    std::vector<int32_t> values(5000);
    for (int32_t i = 0; i < 5000; ++i) values[i] = (i * 7919) % 1013 - 500;  // many repeats
    const std::vector<std::vector<int32_t>> inputs = {
        values,
        [&] { auto v = values; std::sort(v.begin(), v.end()); return v; }(),
        [&] { auto v = values; std::sort(v.rbegin(), v.rend()); return v; }(),
    };
    for (const auto& input : inputs) {
        auto expected = input;
        std::sort(expected.begin(), expected.end());
        ArrayRecord* array = ArrayOf(kArrayInt32, input);
        Sort(array);
        EXPECT_EQ(ValuesOf<int32_t>(array), expected);
        RuntimeUnlockArray(array);
    }
}

TEST(ArraySort, EmptyArraysAndNaN) {
    FailureRecorder recorder;
    ArrayRecord* empty = CreateArray(1, kArrayDouble, -1);
    Sort(empty);
    EXPECT_EQ(recorder.Count(), 0u);
    RuntimeUnlockArray(empty);

    // NaN is neither greater nor smaller than anything: the sort ends, and keeps every element.
    const double nan = std::numeric_limits<double>::quiet_NaN();
    std::vector<double> values;
    for (int32_t i = 0; i < 200; ++i) values.push_back(i % 3 == 0 ? nan : double((i * 37) % 101));
    ArrayRecord* array = ArrayOf(kArrayDouble, values);
    Sort(array);
    std::vector<double> after = ValuesOf<double>(array);
    EXPECT_EQ(std::count_if(after.begin(), after.end(), [](double d) { return std::isnan(d); }),
              std::count_if(values.begin(), values.end(), [](double d) { return std::isnan(d); }));
    auto numbers = [](std::vector<double> v) {
        v.erase(std::remove_if(v.begin(), v.end(), [](double d) { return std::isnan(d); }), v.end());
        std::sort(v.begin(), v.end());
        return v;
    };
    EXPECT_EQ(numbers(after), numbers(values));
    RuntimeUnlockArray(array);
}

TEST(ArraySort, StackTestsBeforeEachPartition) {
    struct Case {
        int32_t count;
        bool equal;
        int32_t checks;
    } cases[] = {
        {16, false, 0},   // the insertion sort alone
        {17, false, 1},   // one partition, then two short ranges
        {1000, true, 1},  // every element equals the pivot: one partition sorts them all
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.count);
        std::vector<int32_t> values(c.count);
        for (int32_t i = 0; i < c.count; ++i) values[i] = c.equal ? 7 : c.count - i;
        ArrayRecord* array = ArrayOf(kArrayInt32, values);
        StackChecks checks;
        Sort(array);
        EXPECT_EQ(checks.calls, c.checks);
        EXPECT_TRUE(std::is_sorted(static_cast<int32_t*>(array->data),
                                   static_cast<int32_t*>(array->data) + c.count));
        RuntimeUnlockArray(array);
    }
}

// Values arranged so that the middle element of every range the quicksort partitions is the
// smallest of the range: each partition then splits off one element. Built by playing the sort's
// moves: with the pivot smallest, a partition only exchanges the range's first and middle elements.
std::vector<int32_t> MiddlePivotAlwaysSmallest(int32_t n) {
    std::vector<int32_t> position(n);
    std::iota(position.begin(), position.end(), 0);
    std::vector<int32_t> values(n, -1);
    int32_t rank = 0;
    int32_t lo = 0;
    for (; n - 1 - lo >= kInsertionSortLimit; ++lo) {
        const int32_t mid = lo + (n - 1 - lo) / 2;
        values[position[mid]] = rank++;
        std::swap(position[lo], position[mid]);
    }
    for (; lo < n; ++lo) values[position[lo]] = rank++;
    return values;
}

TEST(ArraySortWorstCase, StaysWithinASmallStack) {
    constexpr int32_t kCount = 100000;
    const std::vector<int32_t> values = MiddlePivotAlwaysSmallest(kCount);
    ArrayRecord* array = ArrayOf(kArrayInt32, values);
    StackChecks checks;
    const auto top = reinterpret_cast<uintptr_t>(__builtin_frame_address(0));
    Sort(array);
    // Every partition split off one element: the input is the worst case it was built to be.
    EXPECT_EQ(checks.calls, kCount - kInsertionSortLimit);
    EXPECT_LT(top - checks.deepest, 4096u);
    std::vector<int32_t> expected(kCount);
    std::iota(expected.begin(), expected.end(), 0);
    EXPECT_EQ(ValuesOf<int32_t>(array), expected);
    RuntimeUnlockArray(array);
}

TEST(ArraySortWith, FurtherArraysFollowTheKeys) {
    ArrayRecord* keys = ArrayOf<int32_t>(kArrayInt32, {3, 1, 2});
    ArrayRecord* texts = StringArray({"c", "a", "b"});
    ArrayRecord* doubles = ArrayOf<double>(kArrayDouble, {3.5, 1.5, 2.5});
    ArrayRecord* bytes = ArrayOf<uint8_t>(kArrayUInt8, {30, 10, 20});
    keys->operations->SortWith(keys, texts, doubles, bytes, nullptr);
    EXPECT_EQ(ValuesOf<int32_t>(keys), (std::vector<int32_t>{1, 2, 3}));
    EXPECT_EQ(TextsOf(texts), "a,b,c");
    EXPECT_EQ(ValuesOf<double>(doubles), (std::vector<double>{1.5, 2.5, 3.5}));
    EXPECT_EQ(ValuesOf<uint8_t>(bytes), (std::vector<uint8_t>{10, 20, 30}));

    // Equal keys in a short array keep their order.
    ArrayRecord* equal = ArrayOf<int32_t>(kArrayInt32, {2, 1, 2});
    ArrayRecord* letters = StringArray({"a", "b", "c"});
    equal->operations->SortWith(equal, letters, nullptr);
    EXPECT_EQ(ValuesOf<int32_t>(equal), (std::vector<int32_t>{1, 2, 2}));
    EXPECT_EQ(TextsOf(letters), "b,a,c");

    // String keys carry a large parallel array through the permutation's cycles.
    std::vector<const char*> names;
    std::vector<int32_t> order;
    static const char* const kNames[] = {"delta", "Alpha", "echo", "charlie", "Bravo"};
    for (int32_t i = 0; i < 500; ++i) {
        names.push_back(kNames[(i * 3) % 5]);
        order.push_back((i * 3) % 5);
    }
    ArrayRecord* nameKeys = StringArray(names);
    ArrayRecord* ranks = ArrayOf(kArrayInt32, order);
    nameKeys->operations->SortWith(nameKeys, ranks, nullptr);
    const std::vector<int32_t> sortedRanks = ValuesOf<int32_t>(ranks);
    // Alpha 1, Bravo 4, charlie 3, delta 0, echo 2.
    const int32_t rankOrder[] = {1, 4, 3, 0, 2};
    for (int32_t i = 0; i < 500; ++i) ASSERT_EQ(sortedRanks[i], rankOrder[i / 100]) << i;

    for (ArrayRecord* a : {keys, texts, doubles, bytes, equal, letters, nameKeys, ranks})
        RuntimeUnlockArray(a);
}

TEST(ArraySortWith, RefusedFurtherArraysLeaveEveryArrayUnchanged) {
    RaisedExceptions raised;
    ArrayRecord* keys = ArrayOf<int32_t>(kArrayInt32, {3, 1, 2});
    ArrayRecord* fits = ArrayOf<int32_t>(kArrayInt32, {30, 10, 20});
    ArrayRecord* longer = ArrayOf<int32_t>(kArrayInt32, {1, 2, 3, 4});
    ArrayRecord* square = CreateArray(2, kArrayInt32, 2, 2);
    for (ArrayRecord* refused : {longer, square}) {
        keys->operations->SortWith(keys, fits, refused, nullptr);
        EXPECT_EQ(raised.Take(), "OutOfBoundsException");
        EXPECT_EQ(ValuesOf<int32_t>(keys), (std::vector<int32_t>{3, 1, 2}));
        EXPECT_EQ(ValuesOf<int32_t>(fits), (std::vector<int32_t>{30, 10, 20}));
    }
    EXPECT_EQ(ValuesOf<int32_t>(longer), (std::vector<int32_t>{1, 2, 3, 4}));

    // An empty string array returns before looking at the further arrays; other kinds do not.
    ArrayRecord* noStrings = CreateArray(1, kArrayString, -1);
    noStrings->operations->SortWith(noStrings, fits, nullptr);
    EXPECT_EQ(raised.Take(), "");
    ArrayRecord* noIntegers = CreateArray(1, kArrayInt32, -1);
    noIntegers->operations->SortWith(noIntegers, fits, nullptr);
    EXPECT_EQ(raised.Take(), "OutOfBoundsException");

    for (ArrayRecord* a : {keys, fits, longer, square, noStrings, noIntegers}) RuntimeUnlockArray(a);
}

TEST(ArraySortWith, CastViewStaysInPlace) {
    ArrayRecord* keys = ArrayOf<int32_t>(kArrayInt32, {2, 1});
    ArrayRecord* objects = CreateArray(1, kArrayObject, 1);
    ArrayRecord* view = RuntimeCreateArrayCastWrapper(objects, reinterpret_cast<ClassRecord*>(1));
    ArrayRecord* carried = ArrayOf<int16_t>(kArrayInt16, {20, 10});
    keys->operations->SortWith(keys, view, carried, nullptr);
    EXPECT_EQ(ValuesOf<int32_t>(keys), (std::vector<int32_t>{1, 2}));
    EXPECT_EQ(ValuesOf<int16_t>(carried), (std::vector<int16_t>{10, 20}));
    for (ArrayRecord* a : {keys, view, objects, carried}) RuntimeUnlockArray(a);
}

TEST(ArraySortWith, ApplyPermutationForEverySize) {
    // Two cycles and a fixed point: element j becomes element permutation[j].
    const int32_t permutation[] = {2, 0, 1, 3, 5, 4};
    const std::vector<uint64_t> input = {10, 11, 12, 13, 14, 15};
    const std::vector<uint64_t> expected = {12, 10, 11, 13, 15, 14};
    auto check = [&](auto sample) {
        using Element = decltype(sample);
        std::vector<Element> buffer(input.begin(), input.end());
        ApplyPermutation(buffer.data(), sizeof(Element), permutation, 6);
        EXPECT_EQ(std::vector<uint64_t>(buffer.begin(), buffer.end()), expected) << sizeof(Element);
    };
    check(uint8_t{});
    check(uint16_t{});
    check(uint32_t{});
    check(uint64_t{});
    std::vector<uint8_t> odd = {1, 2, 3};
    ApplyPermutation(odd.data(), 3, permutation, 1);
    EXPECT_EQ(odd, (std::vector<uint8_t>{1, 2, 3}));
}

// Once the stack test has raised, the sort returns at once; SortWith then moves nothing. The raise
// reaches a handler only where frames chain through the frame pointer.
#if defined(__i386__) && !defined(_WIN64)
namespace {

int32_t sChecksBeforeRaise = 0;
int32_t sChecks = 0;

void RaisingCheck() {
    if (++sChecks == sChecksBeforeRaise) RaiseOutOfBoundsException();
}

void SortInFrame(void* array) {
    auto* a = static_cast<ArrayRecord*>(array);
    a->operations->SortWith(a, nullptr);
}

}  // namespace

TEST(ArraySortWith, RaisedStackTestEndsTheSort) {
    std::vector<int32_t> values(2000);
    for (int32_t i = 0; i < 2000; ++i) values[i] = (i * 7919) % 2000;
    ArrayRecord* array = ArrayOf(kArrayInt32, values);
    const StackCheckFunction previous = SetSortStackCheck(&RaisingCheck);
    sChecks = 0;
    sChecksBeforeRaise = 3;
    static std::string caught;
    RunInHandlerFrame(&SortInFrame, array, [](ObjectHeader* exception) {
        caught = exception && exception->classPtr ? StringRecord::CString(exception->classPtr->name) : "";
        RuntimeUnlockObject(exception);
    });
    SetSortStackCheck(previous);
    EXPECT_EQ(caught, "OutOfBoundsException");
    EXPECT_EQ(sChecks, 3);
    EXPECT_EQ(ValuesOf<int32_t>(array), values);
    RuntimeUnlockArray(array);
}
#endif
