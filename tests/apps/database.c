/* Uses a database of the test engine plug-in as compiled code does: the database of a 'DBAS'
 * resource naming the plug-in's data source, a SELECT walked row by row, an edit written back, a
 * DatabaseRecord inserted and a DatabaseQuery run; the first cursor is still held when the
 * application ends. A "quordb" resource naming a file that does not exist opens nothing. The
 * engine writes its own lines. */
#include "OutputLine.h"

int32_t QV_CDECL RuntimeInit(void);
void QV_CDECL RuntimeInitExternalClasses(void);
int32_t QV_CDECL RuntimeExit(void);
ObjectHeader* QV_CDECL RuntimeGetDatabaseFromResource(int32_t id);
ObjectHeader* QV_CDECL databaseSQLSelect(ObjectHeader* self, StringRecord* sql);
void QV_CDECL databaseInsertRecord(ObjectHeader* self, StringRecord* table, ObjectHeader* record);
void QV_CDECL cursorMoveNext(ObjectHeader* self);
int32_t QV_CDECL cursorEOFGetter(ObjectHeader* self);
void QV_CDECL cursorEdit(ObjectHeader* self);
void QV_CDECL cursorUpdate(ObjectHeader* self);
void QV_CDECL cursorClose(ObjectHeader* self);
ObjectHeader* QV_CDECL cursorGetFieldByName(ObjectHeader* self, StringRecord* name);
ObjectHeader* QV_CDECL cursorGetFieldByIndex(ObjectHeader* self, int32_t index);
StringRecord* QV_CDECL cursorFieldStringValueGetter(ObjectHeader* self);
int32_t QV_CDECL cursorFieldIntegerValueGetter(ObjectHeader* self);
void QV_CDECL cursorFieldIntegerValueSetter(ObjectHeader* self, int32_t value);
void QV_CDECL setDatabaseRecordColumn(ObjectHeader* self, StringRecord* name, StringRecord* value);
void QV_CDECL setDatabaseRecordIntegerColumn(ObjectHeader* self, StringRecord* name, int32_t value);
void QV_CDECL objSetter(ObjectHeader* object, int32_t offset, ObjectHeader* value);
void QV_CDECL stringSetter(ObjectHeader* object, int32_t offset, StringRecord* value);
int32_t QV_CDECL databaseQueryGetCount(ObjectHeader* self);
ObjectHeader* QV_CDECL databaseQueryGetRow(ObjectHeader* self, int32_t v);
StringRecord* QV_CDECL getDatabaseRecordIndString(ObjectHeader* self, int32_t v);

/* The instance fields of DatabaseQuery after the object header. */
enum { kQueryDatabase = 24, kQuerySQL = 28 };

static void SetInteger(ObjectHeader* cursor, int32_t column, int32_t value) {
    ObjectHeader* field = cursorGetFieldByIndex(cursor, column);
    cursorFieldIntegerValueSetter(field, value);
    RuntimeUnlockObject(field);
}

void QvMain(void) {
    ObjectHeader *database, *held, *edited, *field, *record, *query, *row;
    StringRecord* text;

    RuntimeInit();
    RuntimeInitExternalClasses();

    database = RuntimeGetDatabaseFromResource(128);
    AppendText("database: rows");
    held = databaseSQLSelect(database, QV_LITERAL("select * from t"));
    while (!(cursorEOFGetter(held) & 0xFF)) {
        field = cursorGetFieldByName(held, QV_LITERAL("A"));
        text = cursorFieldStringValueGetter(field);
        AppendText(" ");
        AppendString(text);
        RuntimeUnlockString(text);
        RuntimeUnlockObject(field);
        field = cursorGetFieldByIndex(held, 3);
        AppendText(" ");
        AppendNumber(cursorFieldIntegerValueGetter(field));
        RuntimeUnlockObject(field);
        cursorMoveNext(held);
    }

    edited = databaseSQLSelect(database, QV_LITERAL("select * from t where id = 5"));
    cursorEdit(edited);
    SetInteger(edited, 2, 1);
    SetInteger(edited, 3, 2);
    cursorUpdate(edited);
    cursorClose(edited);
    RuntimeUnlockObject(edited);

    record = RuntimeNewObject(RuntimeLookupClass(QV_LITERAL("DatabaseRecord")));
    setDatabaseRecordColumn(record, QV_LITERAL("a"), QV_LITERAL("O'Neil"));
    setDatabaseRecordIntegerColumn(record, QV_LITERAL("b"), 5);
    databaseInsertRecord(database, QV_LITERAL("t"), record);
    RuntimeUnlockObject(record);

    query = RuntimeNewObject(RuntimeLookupClass(QV_LITERAL("DatabaseQuery")));
    objSetter(query, kQueryDatabase, database);
    stringSetter(query, kQuerySQL, QV_LITERAL("select a from t"));
    AppendText(" query ");
    AppendNumber(databaseQueryGetCount(query));
    row = databaseQueryGetRow(query, 2);
    text = getDatabaseRecordIndString(row, 2);
    AppendText(" ");
    AppendString(text);
    RuntimeUnlockString(text);
    RuntimeUnlockObject(row);
    RuntimeUnlockObject(query);

    AppendText(RuntimeGetDatabaseFromResource(129) ? " quordb opened" : " quordb nil");
    WriteLine();
    RuntimeUnlockObject(database);
    RuntimeExit();
}
