// Array records and their operation tables: creation, element access in every kind and shape,
// upper bounds, reference counts, disposal and the cast view.
#include <cstring>
#include <set>

#include "ArrayTesting.h"
#include "FailureRecorder.h"
#include "core/ArrayRecord.h"
#include "core/RuntimeString.h"
#include "core/Rnd.h"

// CompiledArrays.c, built like compiled application code.
extern "C" {
ArrayRecord* CompiledAppendSingles(int32_t count, float first, float step);
float CompiledSingleAt(ArrayRecord* array, int32_t index);
float CompiledSingleCell(ArrayRecord* array, float value, int32_t i, int32_t j, int32_t k);
double CompiledDoubleCell(ArrayRecord* array, double value, int32_t i, int32_t j, int32_t k);
void CompiledRedim2(ArrayRecord* array, int32_t upper0, int32_t upper1);
int32_t CompiledIndexOf(ArrayRecord* array, int32_t value);
void CompiledAssignArray(ArrayRecord** variable, ArrayRecord* value);
}

namespace {

constexpr int32_t kPointer = sizeof(void*);

std::vector<void*>& DestroyedArrays() {
    static std::vector<void*> destroyed;
    return destroyed;
}

void RecordDestroyedArray(void* address) { DestroyedArrays().push_back(address); }

class ArrayCreation : public ArrayTest {};

TEST_F(ArrayCreation, RecordsAreSizedAndZeroed) {
    const struct {
        ArrayElementKind kind;
        std::vector<int32_t> bounds;
        int32_t bufferLength;
    } cases[] = {
        {kArrayInt32, {-1}, 0},
        {kArrayString, {4}, 5 * kPointer},
        {kArrayDouble, {2, 3}, 96},
        {kArrayInt16, {3, -1}, 0},
        {kArrayUInt8, {1, 1, 1}, 8},
        {kArraySingle, {1, 0, 2, 1}, 48},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << "kind " << c.kind << ", " << c.bounds.size() << " dims");
        const int32_t dimensions = static_cast<int32_t>(c.bounds.size());
        ArrayRecord* array = NewArray(c.kind, c.bounds);
        ASSERT_NE(array, nullptr);
        EXPECT_EQ(array->refCount, 1);
        EXPECT_EQ(array->operations, SelectArrayOperations(dimensions, c.kind));
        EXPECT_EQ(array->dimensions, dimensions);
        EXPECT_EQ(array->growthStep, 16);
        EXPECT_EQ(std::vector<int32_t>(array->upperBound, array->upperBound + dimensions),
                  c.bounds);
        EXPECT_EQ(array->bufferLength, c.bufferLength);
        EXPECT_EQ(array->data == nullptr, c.bufferLength == 0);
        const auto* bytes = static_cast<const unsigned char*>(array->data);
        for (int32_t i = 0; i < array->bufferLength; ++i) ASSERT_EQ(bytes[i], 0) << i;
        RuntimeUnlockArray(array);
    }
}

TEST_F(ArrayCreation, EachKindAndShapeHasItsOwnTable) {
    const int32_t sizes[kArrayKindCount] = {4, 4, 8, kPointer, kPointer, 1, 1, 2, 2, 4};
    const ArrayOperations* shared = SelectArrayOperations(1, kArrayInt32);
    std::set<ArrayFunction> getters;
    for (int32_t kind = 0; kind < kArrayKindCount; ++kind) {
        const ArrayOperations* one = SelectArrayOperations(1, kind);
        const ArrayOperations* two = SelectArrayOperations(2, kind);
        const ArrayOperations* many = SelectArrayOperations(3, kind);
        EXPECT_EQ(SelectArrayOperations(7, kind), many);
        EXPECT_EQ(ArrayElementSize(kind), sizes[kind]);
        for (const ArrayOperations* table : {one, two, many}) {
            SCOPED_TRACE(testing::Message() << "kind " << kind << ", table " << table);
            ASSERT_NE(table, nullptr);
            for (ArrayFunction access :
                 {table->Get, table->Set, table->GetUnchecked, table->SetUnchecked}) {
                EXPECT_NE(access, nullptr);
            }
            getters.insert(table->Get);
            EXPECT_EQ(table->Insert != nullptr, table == one);
            EXPECT_EQ(table->Remove != nullptr, table == one);
            EXPECT_EQ(table->IndexOf != nullptr, table == one);
            // Only one-dimensional arrays of an ordered kind sort.
            const bool sorts = table == one && kind != kArrayObject;
            EXPECT_EQ(table->Sort != nullptr, sorts);
            EXPECT_EQ(table->SortWith != nullptr, sorts);
            EXPECT_EQ(table->Shuffle, one->Shuffle);
            EXPECT_EQ(table->ElementSize, one->ElementSize);
            EXPECT_EQ(table->ElementSize(), sizes[kind]);
            EXPECT_EQ(table->UBound, shared->UBound);
            EXPECT_EQ(table->Dispose, shared->Dispose);
            const auto lock = kind == kArrayString   ? ArrayFunction(&RuntimeLockString)
                              : kind == kArrayObject ? ArrayFunction(&RuntimeLockObject)
                                                     : nullptr;
            const auto unlock = kind == kArrayString   ? ArrayFunction(&RuntimeUnlockString)
                                : kind == kArrayObject ? ArrayFunction(&RuntimeUnlockObject)
                                                       : nullptr;
            EXPECT_EQ(ArrayFunction(table->RetainElement), lock);
            EXPECT_EQ(ArrayFunction(table->ReleaseElement), unlock);
        }
        EXPECT_EQ(two->Redim, many->Redim);
        EXPECT_NE(one->Redim, two->Redim);
    }
    EXPECT_EQ(getters.size(), 3u * kArrayKindCount);
}

TEST_F(ArrayCreation, UnknownKindsAndBadBoundsMakeNoArray) {
    {
        FailureRecorder recorder;
        EXPECT_EQ(CreateArray(1, ArrayElementKind(10), 0), nullptr);
        EXPECT_EQ(CreateArray(2, ArrayElementKind(10), 0, 0), nullptr);
        EXPECT_EQ(CreateArray(3, ArrayElementKind(-1), 0, 0, 0), nullptr);
        EXPECT_EQ(ArrayElementSize(10), 0);
        ASSERT_EQ(recorder.Count(), 4u);
        const int32_t lines[] = {2157, 2171, 2185, 130};
        for (size_t i = 0; i < 4; ++i) {
            const RecordedFailure& report = recorder.Reports()[i];
            EXPECT_EQ(report.kind, kFailedAssertion);
            EXPECT_EQ(report.file, "RuntimeArrayFoundation");
            EXPECT_EQ(report.line, lines[i]);
            EXPECT_EQ(report.condition, "0");
        }
    }
    EXPECT_EQ(Raised(), "");

    EXPECT_EQ(CreateArray(1, kArrayInt32, -2), nullptr);
    EXPECT_EQ(Raised(), "OutOfBoundsException");
    EXPECT_EQ(CreateArray(2, kArrayString, 3, -5), nullptr);
    EXPECT_EQ(Raised(), "OutOfBoundsException");
    EXPECT_EQ(CreateArray(0, kArrayInt32), nullptr);
    EXPECT_EQ(Raised(), "OutOfBoundsException");
}

class ArrayElements : public ArrayTest {
protected:
    // Stores `in` at one element of a one-, two- and three-dimensional array through the checked
    // and the unchecked slots, then expects `stored` in the buffer at its flat index and nothing
    // anywhere else, and `out` back from Get.
    template <typename V, typename E>
    void ExpectRoundTrip(ArrayElementKind kind, V in, V out, E stored) {
        const struct {
            std::vector<int32_t> bounds;
            std::vector<int32_t> index;
            size_t flat;
        } shapes[] = {
            {{3}, {2}, 2},
            {{2, 3}, {1, 2}, 7},
            {{1, 2, 1}, {1, 1, 1}, 9},
        };
        for (const auto& shape : shapes) {
            for (bool checked : {true, false}) {
                SCOPED_TRACE(testing::Message() << "kind " << kind << ", " << shape.bounds.size()
                                                << " dims, checked " << checked);
                ArrayRecord* array = NewArray(kind, shape.bounds);
                SetAt<V>(array, in, shape.index, checked);
                const std::vector<E> elements = Elements<E>(array);
                for (size_t i = 0; i < elements.size(); ++i) {
                    if (i == shape.flat)
                        EXPECT_EQ(elements[i], stored);
                    else
                        EXPECT_EQ(elements[i], E{}) << i;
                }
                EXPECT_EQ(GetAt<V>(array, shape.index, checked), out);
                RuntimeUnlockArray(array);
            }
        }
        EXPECT_EQ(Raised(), "");
    }
};

TEST_F(ArrayElements, ValuesCrossTheTableInTheirKindsWidth) {
    ExpectRoundTrip<int32_t, int32_t>(kArrayInt32, -7, -7, -7);
    ExpectRoundTrip<uint32_t, uint32_t>(kArrayUInt32, 0xFFFFFFFFu, 0xFFFFFFFFu, 0xFFFFFFFFu);
    ExpectRoundTrip<float, float>(kArraySingle, 1.5f, 1.5f, 1.5f);
    ExpectRoundTrip<double, double>(kArrayDouble, -2.25e300, -2.25e300, -2.25e300);
    // Narrow kinds keep the low bits and come back widened by their signedness.
    ExpectRoundTrip<uint32_t, uint8_t>(kArrayUInt8, 0x1FF, 0xFF, 0xFF);
    ExpectRoundTrip<int32_t, int8_t>(kArrayInt8, 0x180, -128, -128);
    ExpectRoundTrip<uint32_t, uint16_t>(kArrayUInt16, 0x12345, 0x2345, 0x2345);
    ExpectRoundTrip<int32_t, int16_t>(kArrayInt16, 0x18000, -32768, -32768);
}

TEST_F(ArrayElements, TheFirstIndexRunsFastest) {
    ArrayRecord* plane = CreateArray(2, kArrayDouble, 2, 3);
    for (int32_t j = 0; j <= 3; ++j)
        for (int32_t i = 0; i <= 2; ++i) SetAt<double>(plane, 10.0 * i + j, {i, j});
    const std::vector<double> flat = Elements<double>(plane);
    for (int32_t j = 0; j <= 3; ++j)
        for (int32_t i = 0; i <= 2; ++i) EXPECT_EQ(flat[i + 3 * j], 10.0 * i + j);
    EXPECT_EQ(flat[11], 23.0);
    RuntimeUnlockArray(plane);

    ArrayRecord* cube = CreateArray(3, kArrayInt32, 1, 2, 3);
    for (int32_t k = 0; k <= 3; ++k)
        for (int32_t j = 0; j <= 2; ++j)
            for (int32_t i = 0; i <= 1; ++i) SetAt<int32_t>(cube, 100 * i + 10 * j + k, {i, j, k});
    const std::vector<int32_t> cells = Elements<int32_t>(cube);
    for (int32_t k = 0; k <= 3; ++k)
        for (int32_t j = 0; j <= 2; ++j)
            for (int32_t i = 0; i <= 1; ++i)
                EXPECT_EQ(cells[i + 2 * j + 6 * k], 100 * i + 10 * j + k);
    RuntimeUnlockArray(cube);
}

class ArrayBounds : public ArrayTest {};

TEST_F(ArrayBounds, AnIndexOutsideRaisesAndChangesNothing) {
    const struct {
        std::vector<int32_t> bounds;
        std::vector<int32_t> index;
    } cases[] = {
        {{-1}, {0}},           {{3}, {-1}},           {{3}, {4}},
        {{2, 3}, {3, 0}},      {{2, 3}, {0, 4}},      {{2, 3}, {-1, 0}},
        {{2, -1}, {0, 0}},     {{1, 1, 1}, {2, 0, 0}}, {{1, 1, 1}, {0, 2, 0}},
        {{1, 1, 1}, {0, 0, -1}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.bounds.size() << " dims, index " << c.index.back());
        ArrayRecord* integers = NewArray(kArrayInt32, c.bounds);
        ArrayRecord* doubles = NewArray(kArrayDouble, c.bounds);
        if (integers->data) std::memset(integers->data, 0x11, integers->bufferLength);
        if (doubles->data) std::memset(doubles->data, 0x11, doubles->bufferLength);
        const std::vector<int32_t> integersBefore = Elements<int32_t>(integers);
        const std::vector<double> doublesBefore = Elements<double>(doubles);

        EXPECT_EQ(GetAt<int32_t>(integers, c.index), 0);
        EXPECT_EQ(Raised(), "OutOfBoundsException");
        EXPECT_EQ(GetAt<double>(doubles, c.index), 0.0);
        EXPECT_EQ(Raised(), "OutOfBoundsException");
        SetAt<int32_t>(integers, 5, c.index);
        EXPECT_EQ(Raised(), "OutOfBoundsException");
        SetAt<double>(doubles, 5.0, c.index);
        EXPECT_EQ(Raised(), "OutOfBoundsException");
        EXPECT_EQ(Elements<int32_t>(integers), integersBefore);
        EXPECT_EQ(Elements<double>(doubles), doublesBefore);
        RuntimeUnlockArray(integers);
        RuntimeUnlockArray(doubles);
    }
}

TEST_F(ArrayBounds, UpperBoundsByDimension) {
    ArrayRecord* cube = CreateArray(3, kArrayUInt8, 1, 2, 3);
    EXPECT_EQ(UBoundOf(cube, -1), 3);
    EXPECT_EQ(UBoundOf(cube, 1), 1);
    EXPECT_EQ(UBoundOf(cube, 2), 2);
    EXPECT_EQ(UBoundOf(cube, 3), 3);
    EXPECT_EQ(Raised(), "");
    for (int32_t dimension : {0, 4, -2}) {
        EXPECT_EQ(UBoundOf(cube, dimension), -1);
        EXPECT_EQ(Raised(), "OutOfBoundsException") << dimension;
    }

    EXPECT_EQ(RuntimeUBound(cube), 1);
    EXPECT_EQ(RuntimeUBound2Param(cube, 3), 3);
    EXPECT_EQ(RuntimeUBound2Param(cube, -1), 3);
    EXPECT_EQ(Raised(), "");
    EXPECT_EQ(RuntimeUBound2Param(cube, 0), -1);
    EXPECT_EQ(Raised(), "OutOfBoundsException");
    RuntimeUnlockArray(cube);

    ArrayRecord* empty = CreateArray(1, kArrayInt32, -1);
    EXPECT_EQ(RuntimeUBound(empty), -1);
    RuntimeUnlockArray(empty);

    EXPECT_EQ(RuntimeUBound(nullptr), 0);
    EXPECT_EQ(Raised(), "NilObjectException");
    EXPECT_EQ(RuntimeUBound2Param(nullptr, 1), -1);
    EXPECT_EQ(Raised(), "NilObjectException");
}

class ArrayReferences : public ArrayTest {
protected:
    void TearDown() override {
        SetArrayDestroyHook(nullptr);
        DestroyedArrays().clear();
    }
};

// Each shape's accessors handle references themselves, so each is checked.
const std::vector<int32_t> kShapeBounds[] = {{4}, {1, 1}, {1, 0, 1}};

TEST_F(ArrayReferences, StringElementsAreCounted) {
    for (const std::vector<int32_t>& bounds : kShapeBounds) {
        SCOPED_TRACE(testing::Message() << bounds.size() << " dims");
        const std::vector<int32_t> last = bounds;
        string first("first");
        string second("second");
        ArrayRecord* array = NewArray(kArrayString, bounds);
        EXPECT_EQ(GetAt<StringRecord*>(array, last), nullptr);

        SetAt(array, first.Record(), last);
        EXPECT_EQ(first.Record()->refCount, 2);
        StringRecord* got = GetAt<StringRecord*>(array, last);
        EXPECT_EQ(got, first.Record());
        EXPECT_EQ(first.Record()->refCount, 3);
        StringRecord::Release(got);

        // Storing the stored string keeps it, even as its only holder.
        StringRecord* only = first.Detach();
        StringRecord::Release(only);
        SetAt(array, only, last, false);
        EXPECT_EQ(only->refCount, 1);
        EXPECT_STREQ(StringRecord::CString(only), "first");
        first = string(only);

        SetAt(array, second.Record(), last);
        EXPECT_EQ(first.Record()->refCount, 1);
        EXPECT_EQ(second.Record()->refCount, 2);
        RuntimeUnlockArray(array);
        EXPECT_EQ(second.Record()->refCount, 1);
    }
}

TEST_F(ArrayReferences, ObjectElementsAreCounted) {
    for (const std::vector<int32_t>& bounds : kShapeBounds) {
        SCOPED_TRACE(testing::Message() << bounds.size() << " dims");
        const std::vector<int32_t> last = bounds;
        ObjectHeader* first = NewElement();
        ObjectHeader* second = NewElement();
        ArrayRecord* array = NewArray(kArrayObject, bounds);

        SetAt(array, first, last);
        EXPECT_EQ(first->refCount, 2);
        ObjectHeader* got = GetAt<ObjectHeader*>(array, last, false);
        EXPECT_EQ(got, first);
        EXPECT_EQ(first->refCount, 3);
        RuntimeUnlockObject(got);

        RuntimeUnlockObject(first);
        SetAt(array, first, last);
        EXPECT_EQ(first->refCount, 1);
        FinalisedObjects().clear();
        SetAt(array, second, last);
        EXPECT_EQ(FinalisedObjects(), std::vector<ObjectHeader*>{first});
        EXPECT_EQ(second->refCount, 2);
        RuntimeUnlockArray(array);
        EXPECT_EQ(second->refCount, 1);
        RuntimeUnlockObject(second);
    }
}

TEST_F(ArrayReferences, TheLastUnlockReleasesElementsThenCallsTheHook) {
    EXPECT_EQ(RuntimeLockArray(nullptr), nullptr);
    RuntimeUnlockArray(nullptr);
    RuntimeLockUnlockArrays(nullptr, nullptr);

    SetArrayDestroyHook(&RecordDestroyedArray);
    ArrayRecord* a = CreateArray(1, kArrayString, 2);
    ArrayRecord* b = CreateArray(1, kArrayString, -1);
    EXPECT_EQ(RuntimeLockArray(a), a);
    EXPECT_EQ(a->refCount, 2);
    RuntimeLockUnlockArrays(a, a);
    EXPECT_EQ(a->refCount, 2);
    RuntimeLockUnlockArrays(b, a);
    EXPECT_EQ(a->refCount, 1);
    EXPECT_EQ(b->refCount, 2);

    string texts[] = {string("a"), string("b"), string("c")};
    for (int32_t i = 0; i < 3; ++i) SetAt(a, texts[i].Record(), {i});
    RuntimeUnlockArray(a);
    for (const string& text : texts) EXPECT_EQ(text.Record()->refCount, 1);
    EXPECT_EQ(DestroyedArrays(), std::vector<void*>{a});

    // No buffer, nothing to release; a count below zero never frees.
    b->refCount = 0;
    RuntimeUnlockArray(b);
    EXPECT_EQ(b->refCount, -1);
    EXPECT_EQ(DestroyedArrays().size(), 1u);
    b->refCount = 1;
    RuntimeUnlockArray(b);
    EXPECT_EQ(DestroyedArrays(), (std::vector<void*>{a, b}));
}

class ArrayCastView : public ArrayTest {
protected:
    void SetUp() override {
        mArray = CreateArray(1, kArrayObject, 1);
        for (int32_t i = 0; i < 2; ++i) {
            mMembers[i] = NewElement(ElementSubclass());
            Set1(mArray, mMembers[i], i);
        }
        mOutsider = NewElement(ElementClass());
        mView = RuntimeCreateArrayCastWrapper(mArray, ElementSubclass());
    }
    void TearDown() override {
        RuntimeUnlockArray(mView);
        RuntimeUnlockArray(mArray);
        for (ObjectHeader* member : mMembers) RuntimeUnlockObject(member);
        RuntimeUnlockObject(mOutsider);
        SetArrayDestroyHook(nullptr);
        DestroyedArrays().clear();
    }

    ArrayRecord* mArray = nullptr;
    ArrayRecord* mView = nullptr;
    ObjectHeader* mMembers[2] = {};
    ObjectHeader* mOutsider = nullptr;
};

TEST_F(ArrayCastView, AViewHoldsTheArrayAndIsNeverWrappedAgain) {
    auto* view = reinterpret_cast<ArrayCastWrapper*>(mView);
    ASSERT_NE(mView, mArray);
    EXPECT_EQ(view->refCount, 1);
    EXPECT_EQ(view->operations, &kArrayCastWrapperOperations);
    EXPECT_EQ(view->data, mArray->data);
    EXPECT_EQ(view->viewedArray, mArray);
    EXPECT_EQ(view->elementClass, ElementSubclass());
    EXPECT_EQ(mArray->refCount, 2);

    EXPECT_EQ(RuntimeCreateArrayCastWrapper(nullptr, ElementClass()), nullptr);
    EXPECT_EQ(RuntimeCreateArrayCastWrapper(mArray, nullptr), mArray);
    EXPECT_EQ(mArray->refCount, 3);
    RuntimeUnlockArray(mArray);
    EXPECT_EQ(RuntimeCreateArrayCastWrapper(mView, ElementClass()), mView);
    EXPECT_EQ(view->refCount, 2);
    RuntimeUnlockArray(mView);

    // Dropping the last reference to the view drops the view's reference to the array.
    SetArrayDestroyHook(&RecordDestroyedArray);
    ArrayRecord* second = RuntimeCreateArrayCastWrapper(mArray, ElementClass());
    EXPECT_EQ(mArray->refCount, 3);
    RuntimeUnlockArray(second);
    EXPECT_EQ(mArray->refCount, 2);
    EXPECT_EQ(DestroyedArrays(), std::vector<void*>{second});
}

TEST_F(ArrayCastView, OnlyMembersOfTheClassAreStored) {
    for (ArrayFunction set : {mView->operations->Set, mView->operations->SetUnchecked}) {
        CallSlot<void>(set, mView, mOutsider, int32_t(0));
        EXPECT_EQ(Raised(), "IllegalCastException");
        EXPECT_EQ(Elements<ObjectHeader*>(mArray)[0], mMembers[0]);
        CallSlot<void>(set, mView, static_cast<ObjectHeader*>(nullptr), int32_t(0));
        EXPECT_EQ(Elements<ObjectHeader*>(mArray)[0], nullptr);
        CallSlot<void>(set, mView, mMembers[0], int32_t(0));
        EXPECT_EQ(Elements<ObjectHeader*>(mArray)[0], mMembers[0]);
        EXPECT_EQ(Raised(), "");
    }
    EXPECT_EQ(mMembers[0]->refCount, 2);

    Insert1(mView, 2, mOutsider);
    EXPECT_EQ(Raised(), "IllegalCastException");
    EXPECT_EQ(RuntimeUBound(mArray), 1);
    Insert1(mView, 2, mMembers[1]);
    EXPECT_EQ(Elements<ObjectHeader*>(mArray),
              (std::vector<ObjectHeader*>{mMembers[0], mMembers[1], mMembers[1]}));
    EXPECT_EQ(mMembers[1]->refCount, 3);

    // Out-of-bounds stores through the view raise as the array does.
    Set1(mView, mMembers[0], 3);
    EXPECT_EQ(Raised(), "OutOfBoundsException");
}

TEST_F(ArrayCastView, EveryOtherOperationReachesTheViewedArray) {
    ObjectHeader* got = Get1<ObjectHeader*>(mView, 1);
    EXPECT_EQ(got, mMembers[1]);
    RuntimeUnlockObject(got);
    got = CallSlot<ObjectHeader*>(mView->operations->GetUnchecked, mView, int32_t(0));
    EXPECT_EQ(got, mMembers[0]);
    RuntimeUnlockObject(got);
    EXPECT_EQ(mMembers[0]->refCount, 2);

    for (ObjectHeader* value : {mMembers[0], mMembers[1], mOutsider}) {
        for (int32_t start : {0, 1}) {
            EXPECT_EQ(IndexOf1(mView, value, start), IndexOf1(mArray, value, start));
        }
    }
    EXPECT_EQ(IndexOf1(mView, mMembers[1], 0), 1);
    EXPECT_EQ(UBoundOf(mView, 1), 1);
    EXPECT_EQ(UBoundOf(mView, -1), 1);
    EXPECT_EQ(RuntimeUBound(mView), 1);

    srnd(1);
    const bool exchanges = rnd() < 0.5;
    srnd(1);
    mView->operations->Shuffle(mView);
    EXPECT_EQ(Elements<ObjectHeader*>(mArray)[0], mMembers[exchanges ? 1 : 0]);

    Redim1(mView, 3);
    EXPECT_EQ(RuntimeUBound(mArray), 3);
    Remove1(mView, 0);
    EXPECT_EQ(RuntimeUBound(mArray), 2);
    EXPECT_EQ(Elements<ObjectHeader*>(mArray)[0], mMembers[exchanges ? 0 : 1]);
    EXPECT_EQ(Raised(), "");
}

class ArrayCompiledCode : public ArrayTest {};

TEST_F(ArrayCompiledCode, CallsTheTablesThroughTheHeader) {
    ArrayRecord* singles = CompiledAppendSingles(20, 0.5f, 0.25f);
    EXPECT_EQ(RuntimeUBound(singles), 19);
    EXPECT_EQ(singles->growthStep, 64);
    for (int32_t i = 0; i < 20; ++i) {
        EXPECT_EQ(CompiledSingleAt(singles, i), 0.5f + 0.25f * float(i)) << i;
        EXPECT_EQ(Elements<float>(singles)[i], 0.5f + 0.25f * float(i)) << i;
    }

    ArrayRecord* cube = CreateArray(3, kArraySingle, 1, 2, 3);
    EXPECT_EQ(CompiledSingleCell(cube, -3.75f, 1, 2, 3), -3.75f);
    EXPECT_EQ(Elements<float>(cube)[1 + 2 * 2 + 3 * 6], -3.75f);
    RuntimeUnlockArray(cube);
    ArrayRecord* doubles = CreateArray(3, kArrayDouble, 1, 1, 1);
    EXPECT_EQ(CompiledDoubleCell(doubles, 1e300, 0, 1, 1), 1e300);
    EXPECT_EQ(Elements<double>(doubles)[6], 1e300);
    RuntimeUnlockArray(doubles);

    ArrayRecord* plane = CreateArray(2, kArrayInt32, 1, 1);
    for (int32_t i = 0; i < 4; ++i) static_cast<int32_t*>(plane->data)[i] = i;
    CompiledRedim2(plane, 0, 1);
    EXPECT_EQ(Elements<int32_t>(plane), (std::vector<int32_t>{0, 2}));
    RuntimeUnlockArray(plane);

    ArrayRecord* integers = CreateArray(1, kArrayInt32, 2);
    Set1(integers, int32_t(8), 2);
    EXPECT_EQ(CompiledIndexOf(integers, 8), 2);
    RuntimeUnlockArray(integers);

    ArrayRecord* variable = nullptr;
    CompiledAssignArray(&variable, singles);
    CompiledAssignArray(&variable, singles);
    EXPECT_EQ(singles->refCount, 2);
    CompiledAssignArray(&variable, nullptr);
    EXPECT_EQ(singles->refCount, 1);
    RuntimeUnlockArray(singles);
    EXPECT_EQ(Raised(), "");
}

}  // namespace

class ArrayDirectAccess : public ArrayTest {};

TEST_F(ArrayDirectAccess, ReadsWritesAndAppendsThroughTheTable) {
    ArrayRecord* integers = CreateArray(1, kArrayInt32, 1);
    SetAt<int32_t>(integers, 7, {1});
    EXPECT_EQ(RuntimeDirectReadIntArray(integers, 1), 7);
    RuntimeIntArrayAppend(integers, 9);
    RuntimeIntArrayAppend(integers, 11);
    EXPECT_EQ(Elements<int32_t>(integers), (std::vector<int32_t>{0, 7, 9, 11}));
    EXPECT_EQ(RuntimeDirectReadIntArray(integers, 4), 0);
    EXPECT_EQ(Raised(), "OutOfBoundsException");
    RuntimeUnlockArray(integers);

    string text("text");
    ArrayRecord* strings = CreateArray(1, kArrayString, 0);
    SetAt(strings, text.Record(), {0});
    StringRecord* read = RuntimeDirectReadStringArray(strings, 0);
    EXPECT_EQ(read, text.Record());
    EXPECT_EQ(text.Record()->refCount, 3);  // ours, the array's and the read's
    StringRecord::Release(read);
    RuntimeUnlockArray(strings);

    ObjectHeader* element = NewElement();
    ArrayRecord* objects = CreateArray(1, kArrayObject, 0);
    RuntimeDirectWriteObjectArray(objects, 0, element);
    EXPECT_EQ(element->refCount, 2);
    ObjectHeader* got = RuntimeDirectReadObjectArray(objects, 0);
    EXPECT_EQ(got, element);
    RuntimeUnlockObject(got);
    RuntimeUnlockArray(objects);
    RuntimeUnlockObject(element);

    EXPECT_EQ(RuntimeDirectReadIntArray(nullptr, 0), 0);
    EXPECT_EQ(Raised(), "NilObjectException");
    RuntimeIntArrayAppend(nullptr, 1);
    EXPECT_EQ(Raised(), "NilObjectException");
}
