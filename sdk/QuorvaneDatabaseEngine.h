/* The database engine interface: the two records of function words through which every database
 * engine (of a plug-in or of the runtime) and every kind of engine cursor is reached, the byte
 * forms of column values and the list nodes that cross the interface.
 *
 * Both records are arrays of 32-bit words owned by the engine; the runtime keeps pointers to them
 * and never copies them, so they must live as long as any database or cursor object using them.
 * Every word from index 2 on is a cdecl function or 0 (empty: the runtime then falls back as noted
 * on each word). Handles are opaque non-zero values the engine chooses; strings are StringRecord
 * pointers (null = empty): arguments are lent for the call, results are new references. Cursor
 * results are cursor objects the engine made with QUORdbCursorFromDBCursor.
 *
 * Plain C99, free of the runtime's own types; it also compiles as C++.
 */
#ifndef QUORVANE_DATABASE_ENGINE_H
#define QUORVANE_DATABASE_ENGINE_H

#include <stddef.h>
#include <stdint.h>

#include "QuorvanePluginRecords.h"

#ifdef __cplusplus
extern "C" {
#endif

struct StringRecord;
struct ObjectHeader;

typedef void* QUORdbHandle;
/* Boolean results are read from the low byte of the accumulator. */
typedef uint8_t QUORdbBool;

/* ---- Column values ------------------------------------------------------------------------ */

/* The type byte of ColumnValue and the type words of the list nodes. Numbers are little-endian;
 * the 16-bit fields of dates and times are big-endian. */
typedef enum DBColumnType {
    kDBTypeNull = 0,      /* no bytes */
    kDBTypeShort = 2,     /* signed 16-bit */
    kDBTypeLong = 3,      /* signed 32-bit */
    kDBTypeText4 = 4,     /* bytes, read as text */
    kDBTypeText = 5,      /* text bytes, no terminator */
    kDBTypeFloat = 6,     /* IEEE single */
    kDBTypeDouble = 7,    /* IEEE double */
    kDBTypeDate = 8,      /* year, month, day */
    kDBTypeTime = 9,      /* hour, minute, second */
    kDBTypeTimeStamp = 10, /* year, month, day, hour, minute, second */
    kDBTypeBoolean = 12,  /* one byte, 0 = false */
    kDBTypeBinary = 14,
    kDBTypeLongText = 15,
    kDBTypeLongBinary = 16,
    kDBTypeString = 18    /* the bytes are a StringRecord pointer, which the reader retains */
} DBColumnType;

/* ---- List nodes the runtime builds, valid during one call --------------------------------- */

/* One column of a DatabaseRecord, newest first. */
typedef struct RecordColumnNode {
    struct RecordColumnNode* next;
    struct StringRecord* name;
    struct StringRecord* value; /* null: no value */
    int32_t type;               /* DBColumnType */
} RecordColumnNode;

/* An edit of the current row, newest first. */
typedef struct PendingEdit {
    struct PendingEdit* next;
    int32_t column;             /* 0-based */
    struct StringRecord* value; /* null: NULL */
} PendingEdit;

/* A column update of the rows a condition selects; key and condition as RowKey lent them. */
typedef struct FieldUpdate {
    struct FieldUpdate* next;
    char* key;                  /* table name, "!", column name; not terminated */
    int32_t keyLength;
    char* condition;            /* SQL condition text; not terminated */
    int32_t conditionLength;
    struct StringRecord* value; /* null: NULL */
} FieldUpdate;

typedef struct ColumnDefinitionNode {
    struct ColumnDefinitionNode* next;
    struct StringRecord* name;
    int32_t type;       /* DBColumnType */
    int32_t acceptsNull; /* 1 accepts NULL, 0 NOT NULL */
} ColumnDefinitionNode;

/* The runtime always passes one node named "*". */
typedef struct ColumnNameNode {
    struct ColumnNameNode* next;
    struct StringRecord* name;
} ColumnNameNode;

/* Leaves compare a column (left) with a literal (right, without its quotes); inner nodes join
 * their children, either of which may be 0. */
typedef enum WhereOperator {
    kWhereEqual = 0,
    kWhereLess = 1,
    kWhereGreater = 2,
    kWhereLessOrEqual = 3,
    kWhereGreaterOrEqual = 4,
    kWhereNotEqual = 5,
    kWhereLike = 6,
    kWhereNotLike = 7,
    kWhereIsNull = 8,
    kWhereIsNotNull = 9,
    kWhereAnd = 64,
    kWhereOr = 65
} WhereOperator;

typedef enum WhereComparison {
    kWhereAsStored = 0,
    kWhereUpper = 2,
    kWhereLower = 3
} WhereComparison;

typedef struct WhereNode {
    struct WhereNode* left;
    struct WhereNode* right;
    int32_t op;         /* WhereOperator */
    int32_t comparison; /* WhereComparison */
    struct StringRecord* column;
    struct StringRecord* value;
} WhereNode;

/* ---- The engine record (the runtime reads words 0 to 17) ---------------------------------- */

#define kDBRecordVersion 4

typedef struct PluginDBEngineRecord {
    uint32_t version;    /* never read */
    uint32_t systemWord; /* registration zeroes its first byte */
    void(QV_CDECL* CloseDatabase)(QUORdbHandle db);
    struct ObjectHeader*(QV_CDECL* TableSchemaCursor)(QUORdbHandle db);
    struct ObjectHeader*(QV_CDECL* FieldSchemaCursor)(QUORdbHandle db, struct StringRecord* table);
    struct ObjectHeader*(QV_CDECL* SelectSQL)(QUORdbHandle db, struct StringRecord* sql);
    QUORdbBool(QV_CDECL* ExecuteSQL)(QUORdbHandle db, struct StringRecord* sql);
    void(QV_CDECL* CreateTable)(QUORdbHandle db, struct StringRecord* table,
                                ColumnDefinitionNode* columns, const uint8_t* keyPositions,
                                int32_t keyCount);
    void(QV_CDECL* AddTableRecord)(QUORdbHandle db, struct StringRecord* table,
                                   RecordColumnNode* columns);
    struct ObjectHeader*(QV_CDECL* OpenTableCursor)(QUORdbHandle db, struct StringRecord* table,
                                                    ColumnNameNode* columns, WhereNode* where);
    void(QV_CDECL* UpdateFields)(QUORdbHandle db, FieldUpdate* updates);
    void(QV_CDECL* AddTableColumn)(QUORdbHandle db, struct StringRecord* table,
                                   ColumnDefinitionNode* column);
    struct ObjectHeader*(QV_CDECL* IndexSchemaCursor)(QUORdbHandle db, struct StringRecord* table);
    int32_t(QV_CDECL* LastErrorCode)(QUORdbHandle db);
    struct StringRecord*(QV_CDECL* LastErrorText)(QUORdbHandle db);
    void(QV_CDECL* Commit)(QUORdbHandle db);
    void(QV_CDECL* Rollback)(QUORdbHandle db);
    struct StringRecord*(QV_CDECL* GetProperty)(QUORdbHandle db, struct StringRecord* name);
} PluginDBEngineRecord;

/* ---- The cursor record (72 bytes) --------------------------------------------------------- */

typedef struct PluginDBCursorRecord {
    uint32_t version;    /* never read */
    uint32_t systemWord; /* registration zeroes it */
    void(QV_CDECL* Close)(QUORdbHandle cursor);
    int32_t(QV_CDECL* ColumnCount)(QUORdbHandle cursor);
    struct StringRecord*(QV_CDECL* ColumnName)(QUORdbHandle cursor, int32_t column);
    int32_t(QV_CDECL* RowCount)(QUORdbHandle cursor);
    /* The bytes stay valid until ReleaseValue, which gets only the handle. */
    void(QV_CDECL* ColumnValue)(QUORdbHandle cursor, int32_t column, const void** bytes,
                                uint8_t* type, int32_t* length);
    void(QV_CDECL* ReleaseValue)(QUORdbHandle cursor);
    QUORdbBool(QV_CDECL* NextRow)(QUORdbHandle cursor);
    void(QV_CDECL* DeleteRow)(QUORdbHandle cursor);
    uint32_t unused10;
    /* Key and condition are lent until the next call. */
    QUORdbBool(QV_CDECL* RowKey)(QUORdbHandle cursor, int32_t column, const void** key,
                                 int32_t* keyLength, const void** condition,
                                 int32_t* conditionLength);
    void(QV_CDECL* UpdateRow)(QUORdbHandle cursor, PendingEdit* edits);
    void(QV_CDECL* EditRow)(QUORdbHandle cursor);
    void(QV_CDECL* PreviousRow)(QUORdbHandle cursor);
    void(QV_CDECL* FirstRow)(QUORdbHandle cursor);
    void(QV_CDECL* LastRow)(QUORdbHandle cursor);
    int32_t(QV_CDECL* ColumnType)(QUORdbHandle cursor, int32_t column);
} PluginDBCursorRecord;

/* ---- Runtime calls for engines, resolved by name ------------------------------------------ */

typedef struct ObjectHeader*(QV_CDECL* QUORdbDatabaseFromDBDatabaseFunction)(
    QUORdbHandle db, PluginDBEngineRecord* record);
typedef struct ObjectHeader*(QV_CDECL* QUORdbCursorFromDBCursorFunction)(
    QUORdbHandle cursor, PluginDBCursorRecord* record);
typedef void(QV_CDECL* QUORConstructDBDatabaseFunction)(struct ObjectHeader* database,
                                                        QUORdbHandle db,
                                                        PluginDBEngineRecord* record);
typedef void(QV_CDECL* QUORSetDBIsConnectedFunction)(struct ObjectHeader* database, uint32_t flag);
typedef QUORdbHandle(QV_CDECL* QUORGetDBFromQUORdbDatabaseFunction)(struct ObjectHeader* database);
typedef QUORdbHandle(QV_CDECL* QUORGetCursorFromQUORdbCursorFunction)(struct ObjectHeader* cursor);
typedef struct StringRecord*(QV_CDECL* QUORGetDBFieldFunction)(struct ObjectHeader* database);
typedef void(QV_CDECL* QUORDatabaseSetErrorFunction)(struct ObjectHeader* database, int32_t code,
                                                     const char* message);

#if defined(__i386__)
QV_STATIC_ASSERT(sizeof(PluginDBEngineRecord) == 72, "PluginDBEngineRecord size");
QV_STATIC_ASSERT(offsetof(PluginDBEngineRecord, systemWord) == 4, "engine.systemWord");
QV_STATIC_ASSERT(offsetof(PluginDBEngineRecord, CloseDatabase) == 8, "engine.CloseDatabase");
QV_STATIC_ASSERT(offsetof(PluginDBEngineRecord, SelectSQL) == 20, "engine.SelectSQL");
QV_STATIC_ASSERT(offsetof(PluginDBEngineRecord, AddTableRecord) == 32, "engine.AddTableRecord");
QV_STATIC_ASSERT(offsetof(PluginDBEngineRecord, OpenTableCursor) == 36, "engine.OpenTableCursor");
QV_STATIC_ASSERT(offsetof(PluginDBEngineRecord, UpdateFields) == 40, "engine.UpdateFields");
QV_STATIC_ASSERT(offsetof(PluginDBEngineRecord, LastErrorCode) == 52, "engine.LastErrorCode");
QV_STATIC_ASSERT(offsetof(PluginDBEngineRecord, Commit) == 60, "engine.Commit");
QV_STATIC_ASSERT(offsetof(PluginDBEngineRecord, GetProperty) == 68, "engine.GetProperty");
QV_STATIC_ASSERT(sizeof(PluginDBCursorRecord) == 72, "PluginDBCursorRecord size");
QV_STATIC_ASSERT(offsetof(PluginDBCursorRecord, Close) == 8, "cursor.Close");
QV_STATIC_ASSERT(offsetof(PluginDBCursorRecord, ColumnValue) == 24, "cursor.ColumnValue");
QV_STATIC_ASSERT(offsetof(PluginDBCursorRecord, NextRow) == 32, "cursor.NextRow");
QV_STATIC_ASSERT(offsetof(PluginDBCursorRecord, RowKey) == 44, "cursor.RowKey");
QV_STATIC_ASSERT(offsetof(PluginDBCursorRecord, UpdateRow) == 48, "cursor.UpdateRow");
QV_STATIC_ASSERT(offsetof(PluginDBCursorRecord, LastRow) == 64, "cursor.LastRow");
QV_STATIC_ASSERT(offsetof(PluginDBCursorRecord, ColumnType) == 68, "cursor.ColumnType");
QV_STATIC_ASSERT(sizeof(RecordColumnNode) == 16, "RecordColumnNode size");
QV_STATIC_ASSERT(offsetof(RecordColumnNode, type) == 12, "RecordColumnNode.type");
QV_STATIC_ASSERT(sizeof(PendingEdit) == 12, "PendingEdit size");
QV_STATIC_ASSERT(offsetof(PendingEdit, value) == 8, "PendingEdit.value");
QV_STATIC_ASSERT(sizeof(FieldUpdate) == 24, "FieldUpdate size");
QV_STATIC_ASSERT(offsetof(FieldUpdate, condition) == 12, "FieldUpdate.condition");
QV_STATIC_ASSERT(offsetof(FieldUpdate, value) == 20, "FieldUpdate.value");
QV_STATIC_ASSERT(sizeof(ColumnDefinitionNode) == 16, "ColumnDefinitionNode size");
QV_STATIC_ASSERT(offsetof(ColumnDefinitionNode, acceptsNull) == 12, "ColumnDefinitionNode.null");
QV_STATIC_ASSERT(sizeof(ColumnNameNode) == 8, "ColumnNameNode size");
QV_STATIC_ASSERT(sizeof(WhereNode) == 24, "WhereNode size");
QV_STATIC_ASSERT(offsetof(WhereNode, comparison) == 12, "WhereNode.comparison");
QV_STATIC_ASSERT(offsetof(WhereNode, value) == 20, "WhereNode.value");
#endif

#ifdef __cplusplus
}
#endif

#endif
