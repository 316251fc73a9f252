#include "core/PropertyAccessors.h"

#include "core/ArrayRecord.h"
#include "core/RuntimeLock.h"

extern "C" {

int32_t intGetter(ObjectHeader* object, int32_t offset) {
    return *FieldAt<int32_t>(object, offset);
}

void intSetter(ObjectHeader* object, int32_t offset, int32_t value) {
    *FieldAt<int32_t>(object, offset) = value;
}

int32_t shortGetter(ObjectHeader* object, int32_t offset) {
    return *FieldAt<int16_t>(object, offset);
}

void shortSetter(ObjectHeader* object, int32_t offset, int32_t value) {
    *FieldAt<int16_t>(object, offset) = static_cast<int16_t>(value);
}

// A Boolean field is one byte; any non-zero byte reads as true.
int32_t boolGetter(ObjectHeader* object, int32_t offset) {
    return *FieldAt<int8_t>(object, offset);
}

void boolSetter(ObjectHeader* object, int32_t offset, int32_t value) {
    *FieldAt<int8_t>(object, offset) = static_cast<int8_t>(value);
}

float singleGetter(ObjectHeader* object, int32_t offset) { return *FieldAt<float>(object, offset); }

void singleSetter(ObjectHeader* object, int32_t offset, float value) {
    *FieldAt<float>(object, offset) = value;
}

double doubleGetter(ObjectHeader* object, int32_t offset) {
    return *FieldAt<double>(object, offset);
}

void doubleSetter(ObjectHeader* object, int32_t offset, double value) {
    *FieldAt<double>(object, offset) = value;
}

StringRecord* stringGetter(ObjectHeader* object, int32_t offset) {
    StringRecord* value = *FieldAt<StringRecord*>(object, offset);
    StringRecord::AddReference(value);
    return value;
}

// The new reference comes before the old one goes, so storing the stored string keeps it alive.
void stringSetter(ObjectHeader* object, int32_t offset, StringRecord* value) {
    StringRecord** field = FieldAt<StringRecord*>(object, offset);
    StringRecord* old = *field;
    StringRecord::AddReference(value);
    *field = value;
    StringRecord::Release(old);
}

StringRecord* StringToSSGetter(ObjectHeader* object, int32_t offset) {
    RuntimeLockGuard guard(StringLock());
    StringRecord* value = *FieldAt<StringRecord*>(object, offset);
    StringRecord::AddReference(value);
    return value;
}

// The field holds a string handle's one word, so it is assigned as a handle.
void SSToStringSetter(ObjectHeader* object, int32_t offset, StringRecord* value) {
    const string incoming(value);
    reinterpret_cast<string*>(FieldAt<StringRecord*>(object, offset))->Assign(incoming);
}

ObjectHeader* objGetter(ObjectHeader* object, int32_t offset) {
    ObjectHeader* value = *FieldAt<ObjectHeader*>(object, offset);
    RuntimeLockObject(value);
    return value;
}

void objSetter(ObjectHeader* object, int32_t offset, ObjectHeader* value) {
    ObjectHeader** field = FieldAt<ObjectHeader*>(object, offset);
    RuntimeLockObject(value);
    RuntimeUnlockObject(*field);
    *field = value;
}

ArrayRecord* arrayGetter(ObjectHeader* object, int32_t offset) {
    return RuntimeLockArray(*FieldAt<ArrayRecord*>(object, offset));
}

void arraySetter(ObjectHeader* object, int32_t offset, ArrayRecord* value) {
    ArrayRecord** field = FieldAt<ArrayRecord*>(object, offset);
    RuntimeLockUnlockArrays(value, *field);
    *field = value;
}

}  // extern "C"
