// Driving arrays in tests as compiled code does: the table is read from the array and each slot
// is called with the signature of the array's kind and shape.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "RaisedExceptions.h"
#include "core/ArrayRecord.h"

// A slot called with exactly these arguments.
template <typename Result, typename... Args>
Result CallSlot(ArrayFunction slot, Args... args) {
    return reinterpret_cast<Result (*)(Args...)>(slot)(args...);
}

// A slot of the table of more dimensions: the indexes, or the new bounds, follow as a variable
// argument list after the fixed arguments.
template <typename Result, typename... Fixed>
auto VariadicSlot(ArrayFunction slot) {
    return reinterpret_cast<Result (*)(Fixed..., ...)>(slot);
}

// An array of one to four dimensions.
inline ArrayRecord* NewArray(ArrayElementKind kind, const std::vector<int32_t>& bounds) {
    const int32_t d = static_cast<int32_t>(bounds.size());
    switch (d) {
    case 1: return CreateArray(d, kind, bounds[0]);
    case 2: return CreateArray(d, kind, bounds[0], bounds[1]);
    case 3: return CreateArray(d, kind, bounds[0], bounds[1], bounds[2]);
    case 4: return CreateArray(d, kind, bounds[0], bounds[1], bounds[2], bounds[3]);
    }
    ADD_FAILURE() << "no test array of " << d << " dimensions";
    return nullptr;
}

// Get and Set at an index of one to three dimensions, through the checked or the unchecked slot.
template <typename V>
V GetAt(ArrayRecord* array, const std::vector<int32_t>& index, bool checked = true) {
    const ArrayFunction slot = checked ? array->operations->Get : array->operations->GetUnchecked;
    switch (index.size()) {
    case 1: return CallSlot<V>(slot, array, index[0]);
    case 2: return CallSlot<V>(slot, array, index[0], index[1]);
    case 3: return VariadicSlot<V, ArrayRecord*>(slot)(array, index[0], index[1], index[2]);
    }
    ADD_FAILURE() << "no test index of " << index.size() << " dimensions";
    return V{};
}

template <typename V>
void SetAt(ArrayRecord* array, V value, const std::vector<int32_t>& index, bool checked = true) {
    const ArrayFunction slot = checked ? array->operations->Set : array->operations->SetUnchecked;
    switch (index.size()) {
    case 1: return CallSlot<void>(slot, array, value, index[0]);
    case 2: return CallSlot<void>(slot, array, value, index[0], index[1]);
    case 3:
        return VariadicSlot<void, ArrayRecord*, V>(slot)(array, value, index[0], index[1],
                                                         index[2]);
    }
    ADD_FAILURE() << "no test index of " << index.size() << " dimensions";
}

inline int32_t UBoundOf(ArrayRecord* array, int32_t dimension = 1) {
    return array->operations->UBound(array, dimension);
}

// One-dimensional operations with the kind's value type V.
template <typename V>
V Get1(ArrayRecord* array, int32_t index) {
    return CallSlot<V>(array->operations->Get, array, index);
}
template <typename V>
void Set1(ArrayRecord* array, V value, int32_t index) {
    CallSlot<void>(array->operations->Set, array, value, index);
}
template <typename V>
void Insert1(ArrayRecord* array, int32_t index, V value) {
    CallSlot<void>(array->operations->Insert, array, index, value);
}
template <typename V>
int32_t IndexOf1(ArrayRecord* array, V value, int32_t start) {
    return CallSlot<int32_t>(array->operations->IndexOf, array, value, start);
}
inline void Redim1(ArrayRecord* array, int32_t upperBound) {
    CallSlot<void>(array->operations->Redim, array, upperBound);
}
inline void Remove1(ArrayRecord* array, int32_t index) { array->operations->Remove(array, index); }

// Appending as compiled code does it: UBound, then Insert one past it.
template <typename V>
void Append1(ArrayRecord* array, V value) {
    Insert1(array, UBoundOf(array) + 1, value);
}

// The elements in flat order, read from the buffer.
template <typename E>
std::vector<E> Elements(const ArrayRecord* array) {
    int32_t count = 1;
    for (int32_t d = 0; d < array->dimensions; ++d) count *= array->upperBound[d] + 1;
    const E* data = static_cast<const E*>(array->data);
    return data ? std::vector<E>(data, data + count) : std::vector<E>();
}

// The objects of ElementClass that died, in the order they died.
inline std::vector<ObjectHeader*>& FinalisedObjects() {
    static std::vector<ObjectHeader*> finalised;
    return finalised;
}

// A plain class for object elements, and a subclass of it.
inline ClassRecord* ElementClass() {
    static ClassRecord* const elementClass = [] {
        ClassRecord* c = RuntimeNewClass(nullptr, 0, 0, 0, 0, 0);
        c->instanceSize = kObjectHeaderSize;
        c->finalizer = [](ObjectHeader* object) { FinalisedObjects().push_back(object); };
        return c;
    }();
    return elementClass;
}

inline ClassRecord* ElementSubclass() {
    static ClassRecord* const subclass = [] {
        ClassRecord* c = RuntimeNewClass(ElementClass(), 0, 0, 0, 0, 0);
        c->instanceSize = kObjectHeaderSize;
        c->finalizer = nullptr;
        return c;
    }();
    return subclass;
}

// Every array suite's fixture. Raised exceptions reach no compiled handler here: they are caught
// and named through Raised().
class ArrayTest : public testing::Test {
protected:
    // The exception raised since the last call, "" when none.
    std::string Raised() { return mRaised.Take(); }

    ObjectHeader* NewElement(ClassRecord* elementClass = ElementClass()) {
        return RuntimeNewObject(elementClass);
    }

    RaisedExceptions mRaised;
};
