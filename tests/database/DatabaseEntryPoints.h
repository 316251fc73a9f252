// The entry points of the database classes as compiled code calls them.
#pragma once

#include "database/DatabaseObjects.h"

extern "C" {
void databaseInsertRecord(ObjectHeader* self, StringRecord* table, ObjectHeader* record);
void databaseCommit(ObjectHeader* self);
void databaseRollback(ObjectHeader* self);
int32_t databaseErrorCodeGetter(ObjectHeader* self);
StringRecord* databaseErrorStringGetter(ObjectHeader* self);
uint8_t databaseErrorGetter(ObjectHeader* self);
uint8_t DatabaseConnect(ObjectHeader* self);
void CursorMoveFirst(ObjectHeader* self);
ObjectHeader* cursorGetFieldByName(ObjectHeader* self, StringRecord* name);
void cursorDeleteRecord(ObjectHeader* self);
void cursorEdit(ObjectHeader* self);
void cursorUpdate(ObjectHeader* self);
int32_t RecordSetRecordCount(ObjectHeader* self);
int32_t RecordSetColumnType(ObjectHeader* self, int32_t index);
uint8_t cursorBOFGetter(ObjectHeader* self);
uint8_t cursorEOFGetter(ObjectHeader* self);
StringRecord* cursorFieldNameGetter(ObjectHeader* self);
void cursorFieldStringValueSetter(ObjectHeader* self, StringRecord* text);
double cursorFieldDoubleValueGetter(ObjectHeader* self);
int32_t cursorFieldIntegerValueGetter(ObjectHeader* self);
void cursorFieldIntegerValueSetter(ObjectHeader* self, int32_t value);
StringRecord* cursorFieldNativeValueGetter(ObjectHeader* self);
ObjectHeader* cursorFieldDateValueGetter(ObjectHeader* self);
uint8_t CursorFieldBooleanValueGetter(ObjectHeader* self);
void CursorFieldBooleanValueSetter(ObjectHeader* self, uint8_t value);
ObjectHeader* CursorFieldValueGetter(ObjectHeader* self);
void CursorFieldValueSetter(ObjectHeader* self, ObjectHeader* value);
ObjectHeader* cursorFieldJPEGGetter(ObjectHeader* self);
void cursorFieldJPEGSetter(ObjectHeader* self, ObjectHeader* picture);
StringRecord* getDatabaseRecordColumn(ObjectHeader* self, StringRecord* name);
void setDatabaseRecordColumn(ObjectHeader* self, StringRecord* name, StringRecord* value);
void setDatabaseRecordIntegerColumn(ObjectHeader* self, StringRecord* name, int32_t value);
uint8_t GetDatabaseRecordBooleanColumn(ObjectHeader* self, StringRecord* name);
int32_t getDatabaseRecordFieldCount(ObjectHeader* self);
StringRecord* getDatabaseRecordIndString(ObjectHeader* self, int32_t v);
int32_t databaseQueryGetCount(ObjectHeader* self);
ObjectHeader* databaseQueryGetRow(ObjectHeader* self, int32_t v);
void databaseQueryRunQuery(ObjectHeader* self);
void databaseQueryAddLDNR(ObjectHeader* self, ObjectHeader* receiver);
void databaseQuerySetParameter(ObjectHeader* self, StringRecord* text);
}
