// The built-in database class and the calls that open built-in database files as Database
// objects.
#pragma once

#include <cstdint>

#include "core/ClassDefinition.h"
#include "core/ObjectModel.h"

ObjectDefinition* GetQUORDatabaseOldFormatDefinition();
// A 'Z' reference of a "quordb" database resource: the file it names beside the executable, as
// a connected Database; nil when the data names none or the file cannot be opened.
ObjectHeader* OpenDatabaseReference(const void* data, uint32_t length);

extern "C" {
ObjectHeader* newQUORDatabase(ObjectHeader* item);
ObjectHeader* openQUORDatabase(ObjectHeader* item);
void QUORDatabaseConstructor(ObjectHeader* self);
void QUORDatabaseDestructor(ObjectHeader* self);
ObjectHeader* QUORDatabaseFolderItemGetter(ObjectHeader* self, int32_t parameter);
void QUORDatabaseFolderItemSetter(ObjectHeader* self, int32_t parameter, ObjectHeader* item);
uint8_t QUORDatabaseConnect(ObjectHeader* self);
uint8_t QUORDatabaseCreateDatabaseFile(ObjectHeader* self);
}
