// The life of an array: creation, reference counts, upper bounds, disposal and the cast view.
// Everything runs on the one OS thread (language threads switch only at yield points), so no
// count or buffer takes a lock.
#include <cstring>

#include "ArrayKinds.h"
#include "Exceptions.h"
#include "FailureReport.h"
#include "GuardedMemory.h"
#include "SmallBlockAllocator.h"

namespace {

ArrayDestroyHook sDestroyHook = nullptr;

ArrayCastWrapper* AsView(ArrayRecord* array) { return reinterpret_cast<ArrayCastWrapper*>(array); }

}  // namespace

bool ArrayByteLength(const int32_t* upperBounds, int32_t dimensions, int32_t elementSize,
                     int32_t* byteLength) {
    int64_t bytes = elementSize;
    for (int32_t d = 0; d < dimensions; ++d) {
        if (upperBounds[d] < 0) {
            *byteLength = 0;
            return true;
        }
    }
    for (int32_t d = 0; d < dimensions; ++d) {
        bytes *= static_cast<int64_t>(upperBounds[d]) + 1;
        if (bytes > INT32_MAX) return false;
    }
    *byteLength = static_cast<int32_t>(bytes);
    return true;
}

extern "C" ArrayRecord* CreateArray(int32_t dimensions, ArrayElementKind kind, ...) {
    if (dimensions < 1) {
        RaiseOutOfBoundsException();
        return nullptr;
    }
    // A kind without a table is reported there; no array is made for it.
    const ArrayOperations* operations = SelectArrayOperations(dimensions, kind);
    if (!operations) return nullptr;

    const uint64_t headerSize = kArrayRecordHeadSize + uint64_t(dimensions) * sizeof(int32_t);
    if (headerSize > INT32_MAX) ExitOutOfMemory();
    auto* array = static_cast<ArrayRecord*>(GuardedNew(static_cast<size_t>(headerSize)));
    array->refCount = 1;
    array->operations = operations;
    array->data = nullptr;
    array->dimensions = dimensions;
    array->growthStep = 16;

    va_list bounds;
    va_start(bounds, kind);
    bool boundsValid = true;
    for (int32_t d = 0; d < dimensions; ++d) {
        array->upperBound[d] = va_arg(bounds, int32_t);
        if (array->upperBound[d] < -1) boundsValid = false;
    }
    va_end(bounds);
    if (!boundsValid) {
        GuardedDelete(array);
        RaiseOutOfBoundsException();
        return nullptr;
    }

    if (!ArrayByteLength(array->upperBound, dimensions, operations->ElementSize(),
                         &array->bufferLength))
        ExitOutOfMemory();
    if (array->bufferLength > 0) {
        array->data = GuardedNew(array->bufferLength);
        std::memset(array->data, 0, array->bufferLength);
    }
    return array;
}

extern "C" ArrayRecord* RuntimeLockArray(ArrayRecord* array) {
    if (array) ++array->refCount;
    return array;
}

// A count that goes below zero never frees.
extern "C" void RuntimeUnlockArray(ArrayRecord* array) {
    if (array && --array->refCount == 0) FreeArray(array);
}

extern "C" void RuntimeLockUnlockArrays(ArrayRecord* newArray, ArrayRecord* oldArray) {
    if (newArray == oldArray) return;
    RuntimeLockArray(newArray);
    RuntimeUnlockArray(oldArray);
}

extern "C" int32_t RuntimeUBound(ArrayRecord* array) {
    if (!array) {
        RaiseNilObjectException();
        return 0;
    }
    if (!array->operations || !array->operations->UBound) {
        ReportAssertion(kArraySource, 2217, "fp");
        return 0;
    }
    return array->operations->UBound(array, 1);
}

extern "C" int32_t RuntimeUBound2Param(ArrayRecord* array, int32_t dimension) {
    if (!array) {
        RaiseNilObjectException();
        return -1;
    }
    if (!array->operations || !array->operations->UBound) {
        ReportAssertion(kArraySource, 2241, "fp");
        return -1;
    }
    return array->operations->UBound(array, dimension);
}

// Direct element access for compiled code, through the array's own table so that bounds tests,
// cast views and reference counts behave as for any other access. A nil array raises.
namespace {

template <typename F>
F* Slot(ArrayRecord* array, ArrayFunction ArrayOperations::*slot) {
    if (!array) {
        RaiseNilObjectException();
        return nullptr;
    }
    return reinterpret_cast<F*>(array->operations->*slot);
}

}  // namespace

extern "C" StringRecord* RuntimeDirectReadStringArray(ArrayRecord* array, int32_t index) {
    auto* get = Slot<StringRecord*(ArrayRecord*, int32_t)>(array, &ArrayOperations::Get);
    return get ? get(array, index) : nullptr;
}

extern "C" ObjectHeader* RuntimeDirectReadObjectArray(ArrayRecord* array, int32_t index) {
    auto* get = Slot<ObjectHeader*(ArrayRecord*, int32_t)>(array, &ArrayOperations::Get);
    return get ? get(array, index) : nullptr;
}

extern "C" int32_t RuntimeDirectReadIntArray(ArrayRecord* array, int32_t index) {
    auto* get = Slot<int32_t(ArrayRecord*, int32_t)>(array, &ArrayOperations::Get);
    return get ? get(array, index) : 0;
}

extern "C" void RuntimeDirectWriteObjectArray(ArrayRecord* array, int32_t index,
                                              ObjectHeader* value) {
    if (auto* set = Slot<void(ArrayRecord*, ObjectHeader*, int32_t)>(array, &ArrayOperations::Set))
        set(array, value, index);
}

extern "C" void RuntimeIntArrayAppend(ArrayRecord* array, int32_t value) {
    auto* insert = Slot<void(ArrayRecord*, int32_t, int32_t)>(array, &ArrayOperations::Insert);
    if (!insert) return;
    const int32_t bound = RuntimeUBound(array);
    if (!ExceptionInFlight()) insert(array, bound + 1, value);
}

int32_t ArrayUBound(ArrayRecord* array, int32_t dimension) {
    if (dimension == -1) return array->dimensions;
    if (dimension < 1 || dimension > array->dimensions) {
        RaiseOutOfBoundsException();
        return -1;
    }
    return array->upperBound[dimension - 1];
}

void DisposeArray(ArrayRecord* array) {
    if (!array) {
        ReportAssertion(kArraySource, 1078, "array");
        return;
    }
    if (!array->data) return;
    if (auto release = array->operations->ReleaseElement) {
        // Only pointer kinds have a release, so every element is one pointer.
        int64_t count = 1;
        for (int32_t d = 0; d < array->dimensions; ++d) count *= int64_t(array->upperBound[d]) + 1;
        void** elements = static_cast<void**>(array->data);
        for (int64_t i = 0; i < count; ++i) release(elements[i]);
    }
    GuardedDelete(array->data);
    array->data = nullptr;
}

void FreeArray(ArrayRecord* array) {
    if (!array) {
        ReportAssertion(kArraySource, 2310, "array");
        return;
    }
    if (array->operations && array->operations->Dispose) array->operations->Dispose(array);
    GuardedDelete(array);
    if (sDestroyHook) sDestroyHook(array);
}

void SetArrayDestroyHook(ArrayDestroyHook hook) { sDestroyHook = hook; }

// --- the cast view ---

extern "C" ArrayRecord* RuntimeCreateArrayCastWrapper(ArrayRecord* array,
                                                      ClassRecord* elementClass) {
    if (!array) return nullptr;
    RuntimeLockArray(array);
    // Without a class there is nothing to check; a view is never wrapped again, whatever class
    // is asked. Either way the reference just taken is the caller's.
    if (!elementClass || array->operations == &kArrayCastWrapperOperations) return array;
    auto* view = static_cast<ArrayCastWrapper*>(GuardedNew(sizeof(ArrayCastWrapper)));
    view->refCount = 1;
    view->operations = &kArrayCastWrapperOperations;
    view->data = array->data;
    view->viewedArray = array;
    view->elementClass = elementClass;
    return reinterpret_cast<ArrayRecord*>(view);
}

namespace {

// The viewed array is a one-dimensional object array; its slots are called with its own
// signatures. Slots it leaves empty do nothing through the view either.
using ObjectGet = ObjectHeader* (*)(ArrayRecord* array, int32_t index);
using ObjectSet = void (*)(ArrayRecord* array, ObjectHeader* value, int32_t index);
using ObjectRedim = void (*)(ArrayRecord* array, int32_t upperBound);
using ObjectInsert = void (*)(ArrayRecord* array, int32_t index, ObjectHeader* value);
using ObjectIndexOf = int32_t (*)(ArrayRecord* array, ObjectHeader* value, int32_t start);

ArrayRecord* Viewed(ArrayRecord* view) { return AsView(view)->viewedArray; }

bool MayStore(ArrayRecord* view, ObjectHeader* value) {
    if (!value || RuntimeObjectIsa(value, AsView(view)->elementClass)) return true;
    RaiseIllegalCastException();
    return false;
}

template <ArrayFunction ArrayOperations::*kSlot>
ObjectHeader* ViewGet(ArrayRecord* view, int32_t index) {
    ArrayRecord* viewed = Viewed(view);
    return reinterpret_cast<ObjectGet>(viewed->operations->*kSlot)(viewed, index);
}

template <ArrayFunction ArrayOperations::*kSlot>
void ViewSet(ArrayRecord* view, ObjectHeader* value, int32_t index) {
    if (!MayStore(view, value)) return;
    ArrayRecord* viewed = Viewed(view);
    reinterpret_cast<ObjectSet>(viewed->operations->*kSlot)(viewed, value, index);
}

void ViewRedim(ArrayRecord* view, int32_t upperBound) {
    ArrayRecord* viewed = Viewed(view);
    reinterpret_cast<ObjectRedim>(viewed->operations->Redim)(viewed, upperBound);
}

void ViewInsert(ArrayRecord* view, int32_t index, ObjectHeader* value) {
    if (!MayStore(view, value)) return;
    ArrayRecord* viewed = Viewed(view);
    if (auto insert = reinterpret_cast<ObjectInsert>(viewed->operations->Insert))
        insert(viewed, index, value);
}

void ViewRemove(ArrayRecord* view, int32_t index) {
    ArrayRecord* viewed = Viewed(view);
    if (viewed->operations->Remove) viewed->operations->Remove(viewed, index);
}

int32_t ViewIndexOf(ArrayRecord* view, ObjectHeader* value, int32_t start) {
    ArrayRecord* viewed = Viewed(view);
    auto indexOf = reinterpret_cast<ObjectIndexOf>(viewed->operations->IndexOf);
    return indexOf ? indexOf(viewed, value, start) : -1;
}

void ViewShuffle(ArrayRecord* view) {
    ArrayRecord* viewed = Viewed(view);
    viewed->operations->Shuffle(viewed);
}

int32_t ViewUBound(ArrayRecord* view, int32_t dimension) {
    ArrayRecord* viewed = Viewed(view);
    return viewed->operations->UBound(viewed, dimension);
}

void ViewDispose(ArrayRecord* view) { RuntimeUnlockArray(Viewed(view)); }

template <typename Function>
ArrayFunction Slot(Function function) {
    return reinterpret_cast<ArrayFunction>(function);
}

}  // namespace

// Sort and SortWith stay empty: a view only ever wraps an object array, whose table has no
// sorting to forward to.
const ArrayOperations kArrayCastWrapperOperations = {
    Slot(&ViewGet<&ArrayOperations::Get>),
    Slot(&ViewSet<&ArrayOperations::Set>),
    Slot(&ViewGet<&ArrayOperations::GetUnchecked>),
    Slot(&ViewSet<&ArrayOperations::SetUnchecked>),
    Slot(&ViewRedim),
    Slot(&ViewInsert),
    &ViewRemove,
    nullptr,
    nullptr,
    Slot(&ViewIndexOf),
    &ViewShuffle,
    &ViewUBound,
    nullptr,
    nullptr,
    &ViewDispose,
    nullptr,
};
