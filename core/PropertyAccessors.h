// The generic property accessors: property rows that name one of them give the field's byte offset
// inside the object as the row's parameter. Getters take (object, offset); setters take the new
// value third. They do no checks: the caller passes an object of the class whose row supplied the
// offset. Setters that hold references add the new one before dropping the old one.
#pragma once

#include <cstdint>

#include "core/ObjectModel.h"
#include "core/RuntimeString.h"

struct ArrayRecord;

extern "C" {
int32_t intGetter(ObjectHeader* object, int32_t offset);
void intSetter(ObjectHeader* object, int32_t offset, int32_t value);
int32_t shortGetter(ObjectHeader* object, int32_t offset);
void shortSetter(ObjectHeader* object, int32_t offset, int32_t value);
int32_t boolGetter(ObjectHeader* object, int32_t offset);
void boolSetter(ObjectHeader* object, int32_t offset, int32_t value);
float singleGetter(ObjectHeader* object, int32_t offset);
void singleSetter(ObjectHeader* object, int32_t offset, float value);
double doubleGetter(ObjectHeader* object, int32_t offset);
void doubleSetter(ObjectHeader* object, int32_t offset, double value);
StringRecord* stringGetter(ObjectHeader* object, int32_t offset);
void stringSetter(ObjectHeader* object, int32_t offset, StringRecord* value);
StringRecord* StringToSSGetter(ObjectHeader* object, int32_t offset);
void SSToStringSetter(ObjectHeader* object, int32_t offset, StringRecord* value);
ObjectHeader* objGetter(ObjectHeader* object, int32_t offset);
void objSetter(ObjectHeader* object, int32_t offset, ObjectHeader* value);
ArrayRecord* arrayGetter(ObjectHeader* object, int32_t offset);
void arraySetter(ObjectHeader* object, int32_t offset, ArrayRecord* value);
}
