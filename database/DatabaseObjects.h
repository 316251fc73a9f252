// The instance layouts of the database classes and the operations they share.
#pragma once

#include <cstdint>

#include "controls/NotificationReceiverList.h"
#include "core/ClassDefinition.h"
#include "core/ObjectModel.h"
#include "core/RuntimeString.h"
#include "sdk/QuorvaneDatabaseEngine.h"

class TemporaryRecordStore;

struct DatabaseObject {
    ObjectHeader header;
    QUORdbHandle handle;             // null: none
    PluginDBEngineRecord* engine;    // null: never connected
    int32_t errorCode;               // the runtime's, 0 = none
    StringRecord* errorMessage;
    StringRecord* databaseName;
    StringRecord* host;
    StringRecord* password;
    StringRecord* userName;
    uint8_t connected;
};

struct CursorObject {
    ObjectHeader header;
    QUORdbHandle handle;             // null once closed
    int32_t rowCounter;
    ObjectHeader* database;          // held; may be nil
    PluginDBCursorRecord* record;
    uint8_t eof;
    uint8_t bof;
    uint8_t editMode;
    PendingEdit* edits;              // newest first; each holds its value
    StringRecord* statement;
};

struct FieldObject {
    ObjectHeader header;
    ObjectHeader* cursor;  // held
    int32_t column;        // 0-based
};

struct DatabaseRecordObject {
    ObjectHeader header;
    RecordColumnNode* columns;  // newest first
};

struct ScrollableCursorObject {
    ObjectHeader header;
    TemporaryRecordStore* store;  // null when none could be made
    int32_t columnCount;
};

struct DatabaseQueryObject {
    ObjectHeader header;
    ObjectHeader* database;
    StringRecord* sqlQuery;
    uint16_t ran;
    uint16_t busy;
    ObjectHeader* result;  // a ScrollableCursor
    NotificationReceiverList receivers;
    StringRecord* parameter;
};

inline DatabaseObject* AsDatabase(ObjectHeader* o) { return reinterpret_cast<DatabaseObject*>(o); }
inline CursorObject* AsCursor(ObjectHeader* o) { return reinterpret_cast<CursorObject*>(o); }
inline FieldObject* AsField(ObjectHeader* o) { return reinterpret_cast<FieldObject*>(o); }

ObjectDefinition* GetDatabaseDefinition();
ObjectDefinition* GetDatabaseCursorDefinition();
ObjectDefinition* GetRecordSetDefinition();
ObjectDefinition* GetDatabaseCursorFieldDefinition();
ObjectDefinition* GetDatabaseFieldDefinition();
ObjectDefinition* GetDatabaseRecordDefinition();
ObjectDefinition* GetScrollableCursorDefinition();
ObjectDefinition* GetDatabaseQueryDefinition();

// True when the database has an engine handle and its connected flag is set.
bool EnsureConnected(ObjectHeader* database);

// The value text of a string (null for the empty string), as a new reference.
inline StringRecord* RetainedRecord(const string& text) {
    string copy(text);
    return copy.Detach();
}

// Frees a list of record columns and releases their strings.
void FreeRecordColumns(RecordColumnNode* head);
// Sets a column of a DatabaseRecord (the value is taken over); a new column gets the type.
void SetRecordColumn(ObjectHeader* record, StringRecord* name, const string& value, int32_t type);
// Appends a nameless text column at the tail.
void AppendRecordColumn(ObjectHeader* record, const string& value);

extern "C" {
void RegisterDatabaseClasses();
void QUORDatabaseSetError(ObjectHeader* database, int32_t code, const char* message);
ObjectHeader* QUORdbDatabaseFromDBDatabase(QUORdbHandle db, PluginDBEngineRecord* record);
// Engines reach it under the link name QUORdbCursorFromDBCursor.
ObjectHeader* WrapEngineCursor(QUORdbHandle cursor, PluginDBCursorRecord* record);
void QUORConstructDBDatabase(ObjectHeader* database, QUORdbHandle db, PluginDBEngineRecord* record);
void QUORSetDBIsConnected(ObjectHeader* database, uint32_t flag);
QUORdbHandle QUORGetDBFromQUORdbDatabase(ObjectHeader* database);
QUORdbHandle QUORGetCursorFromQUORdbCursor(ObjectHeader* cursor);
StringRecord* QUORGetDBHost(ObjectHeader* database);
StringRecord* QUORGetDBDatabaseName(ObjectHeader* database);
StringRecord* QUORGetDBPassword(ObjectHeader* database);
StringRecord* QUORGetDBUserName(ObjectHeader* database);
void databaseSQLExecute(ObjectHeader* database, StringRecord* sql);
ObjectHeader* databaseSQLSelect(ObjectHeader* database, StringRecord* sql);
void databaseClose(ObjectHeader* database);
void cursorMoveNext(ObjectHeader* cursor);
void cursorClose(ObjectHeader* cursor);
int32_t cursorFieldCount(ObjectHeader* cursor);
ObjectHeader* cursorGetFieldByIndex(ObjectHeader* cursor, int32_t index);
StringRecord* cursorFieldStringValueGetter(ObjectHeader* field);
int32_t cursorFieldIntegerValueGetter(ObjectHeader* field);
void scrollableCursorConstructor(ObjectHeader* self, ObjectHeader* cursor);
int32_t scrollableCursorGetCount(ObjectHeader* self);
ObjectHeader* scrollableCursorGetRow(ObjectHeader* self, int32_t v);
}
