/* Arrays used the way compiled application code uses them: every element operation is read from
 * the array's own table and called with the signature of its kind and shape, appending is UBound
 * and then Insert, and assignment goes through RuntimeLockUnlockArrays. It sees the runtime only
 * through the C header and is built freestanding, without the C library. */
#include "sdk/QuorvaneRuntime.h"

typedef float(QV_CDECL* SingleGet)(ArrayRecord* array, int32_t index);
typedef void(QV_CDECL* SingleInsert)(ArrayRecord* array, int32_t index, float value);
typedef float(QV_CDECL* SingleGetN)(ArrayRecord* array, ...);
typedef void(QV_CDECL* SingleSetN)(ArrayRecord* array, float value, ...);
typedef double(QV_CDECL* DoubleGetN)(ArrayRecord* array, ...);
typedef void(QV_CDECL* DoubleSetN)(ArrayRecord* array, double value, ...);
typedef int32_t(QV_CDECL* IntegerIndexOf)(ArrayRecord* array, int32_t value, int32_t start);

/* A Single array of count values first, first + step, ..., each appended. */
ArrayRecord* CompiledAppendSingles(int32_t count, float first, float step) {
    ArrayRecord* array = CreateArray(1, kArraySingle, -1);
    int32_t i;
    for (i = 0; i < count; ++i) {
        const int32_t end = array->operations->UBound(array, 1) + 1;
        ((SingleInsert)array->operations->Insert)(array, end, first + step * (float)i);
    }
    return array;
}

float CompiledSingleAt(ArrayRecord* array, int32_t index) {
    return ((SingleGet)array->operations->Get)(array, index);
}

/* Stores value at (i, j, k) of a three-dimensional Single or Double array and reads it back. */
float CompiledSingleCell(ArrayRecord* array, float value, int32_t i, int32_t j, int32_t k) {
    ((SingleSetN)array->operations->Set)(array, value, i, j, k);
    return ((SingleGetN)array->operations->Get)(array, i, j, k);
}

double CompiledDoubleCell(ArrayRecord* array, double value, int32_t i, int32_t j, int32_t k) {
    ((DoubleSetN)array->operations->Set)(array, value, i, j, k);
    return ((DoubleGetN)array->operations->Get)(array, i, j, k);
}

/* Redim of a two-dimensional array takes one bound per dimension. */
void CompiledRedim2(ArrayRecord* array, int32_t upper0, int32_t upper1) {
    array->operations->Redim(array, upper0, upper1);
}

int32_t CompiledIndexOf(ArrayRecord* array, int32_t value) {
    return ((IntegerIndexOf)array->operations->IndexOf)(array, value, 0);
}

void CompiledAssignArray(ArrayRecord** variable, ArrayRecord* value) {
    RuntimeLockUnlockArrays(value, *variable);
    *variable = value;
}
