/* A database engine plug-in built against the SDK alone: one in-memory table t (id, a, b) served
 * through static records, opened by the data source "TestDB". It writes every call it receives
 * to standard output as a line "engine: ...". Its records leave UpdateRow, UpdateFields and
 * AddTableRecord empty, so that the runtime writes edits and inserts as SQL statements. */
#include <windows.h>

#include "sdk/QuorvanePlugin.h"

#define EXPORT __declspec(dllexport)

static QUORdbDatabaseFromDBDatabaseFunction DatabaseFromHandle;
static QUORdbCursorFromDBCursorFunction CursorFromHandle;
static QUORBuildStringFunction BuildString;

/* --- the log --- */

static char sEntry[512];
static int sEntryLength;

static void Add(const char* bytes, int count) {
    int i;
    for (i = 0; i < count && sEntryLength < (int)sizeof sEntry - 1; i++) sEntry[sEntryLength++] = bytes[i];
}
static void AddText(const char* text) { Add(text, lstrlenA(text)); }
static void AddString(StringRecord* text) {
    if (text) Add((const char*)text->buffer + 1, text->length);
}
static void Begin(const char* word) {
    sEntryLength = 0;
    AddText("engine: ");
    AddText(word);
}
static void End(void) {
    DWORD written;
    Add("\n", 1);
    WriteFile(GetStdHandle(STD_OUTPUT_HANDLE), sEntry, (DWORD)sEntryLength, &written, NULL);
}
static void Note(const char* word) {
    Begin(word);
    End();
}

/* --- the table --- */

typedef struct Row {
    int32_t id;
    const char* a;
    int32_t b;
} Row;

static const Row kRows[] = {{5, "Ann", 2}, {6, "Bob", 3}};
static const char* const kColumns[] = {"id", "a", "b"};
enum { kRowCount = 2, kColumnCount = 3 };

typedef struct Cursor {
    int32_t row; /* -1 before the first */
    int32_t open;
    int32_t lentLong;
    char key[16];
    char condition[16];
} Cursor;

static Cursor sCursors[8];

static Cursor* C(QUORdbHandle handle) { return (Cursor*)handle; }

/* --- cursor words --- */

static void QV_CDECL CursorClose(QUORdbHandle h) {
    Note("Close");
    C(h)->open = 0;
}
static int32_t QV_CDECL ColumnCount(QUORdbHandle h) { (void)h; return kColumnCount; }
static StringRecord* QV_CDECL ColumnName(QUORdbHandle h, int32_t i) {
    (void)h;
    return i >= 0 && i < kColumnCount ? BuildString(kColumns[i], lstrlenA(kColumns[i])) : 0;
}
static int32_t QV_CDECL RowCount(QUORdbHandle h) { (void)h; return kRowCount; }
static void QV_CDECL ColumnValue(QUORdbHandle h, int32_t i, const void** bytes, uint8_t* type, int32_t* length) {
    const Row* row = &kRows[C(h)->row];
    if (i == 1) {
        *bytes = row->a;
        *type = kDBTypeText;
        *length = lstrlenA(row->a);
        return;
    }
    C(h)->lentLong = i == 0 ? row->id : row->b;
    *bytes = &C(h)->lentLong;
    *type = kDBTypeLong;
    *length = 4;
}
static QUORdbBool QV_CDECL NextRow(QUORdbHandle h) { return ++C(h)->row < kRowCount; }
static void QV_CDECL EditRow(QUORdbHandle h) { (void)h; Note("EditRow"); }
static QUORdbBool QV_CDECL RowKey(QUORdbHandle h, int32_t i, const void** key, int32_t* keyLength,
                                  const void** condition, int32_t* conditionLength) {
    Cursor* c = C(h);
    if (i <= 0 || i >= kColumnCount) return 0;
    lstrcpyA(c->key, "t!");
    lstrcatA(c->key, kColumns[i]);
    wsprintfA(c->condition, "id = %d", (int)kRows[c->row].id);
    *key = c->key;
    *keyLength = lstrlenA(c->key);
    *condition = c->condition;
    *conditionLength = lstrlenA(c->condition);
    return 1;
}
static int32_t QV_CDECL ColumnType(QUORdbHandle h, int32_t i) { (void)h; return i == 1 ? kDBTypeText : kDBTypeLong; }

static PluginDBCursorRecord sCursorRecord = {kDBRecordVersion, 0xFFFFFFFFu, CursorClose, ColumnCount, ColumnName,
                                             RowCount, ColumnValue, 0, NextRow, 0, 0, RowKey, 0, EditRow,
                                             0, 0, 0, ColumnType};

/* --- engine words --- */

static void QV_CDECL CloseDatabase(QUORdbHandle db) { (void)db; Note("CloseDatabase"); }
static ObjectHeader* QV_CDECL SelectSQL(QUORdbHandle db, StringRecord* sql) {
    int i;
    (void)db;
    Begin("SelectSQL ");
    AddString(sql);
    End();
    for (i = 0; i < 8; i++) {
        if (sCursors[i].open) continue;
        sCursors[i].open = 1;
        sCursors[i].row = -1;
        return CursorFromHandle(&sCursors[i], &sCursorRecord);
    }
    return 0;
}
static QUORdbBool QV_CDECL ExecuteSQL(QUORdbHandle db, StringRecord* sql) {
    (void)db;
    Begin("ExecuteSQL ");
    AddString(sql);
    End();
    return 1;
}

static PluginDBEngineRecord sEngineRecord = {kDBRecordVersion, 0xFFFFFFFFu, CloseDatabase, 0, 0, SelectSQL,
                                             ExecuteSQL, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0};

static ObjectHeader* QV_CDECL OpenTestDatabase(StringRecord* text, ObjectHeader* object) {
    (void)object;
    Begin("open ");
    AddString(text);
    End();
    return DatabaseFromHandle((QUORdbHandle)1, &sEngineRecord);
}

EXPORT void QV_CDECL QUORPluginMain(PluginResolver resolve) {
    PluginRegisterDBEngineFunction registerEngine = (PluginRegisterDBEngineFunction)resolve("PluginRegisterDBEngine");
    PluginRegisterDBCursorFunction registerCursor = (PluginRegisterDBCursorFunction)resolve("PluginRegisterDBCursor");
    RegisterDataSourceFunction registerSource = (RegisterDataSourceFunction)resolve("RegisterDataSource");
    DatabaseFromHandle = (QUORdbDatabaseFromDBDatabaseFunction)resolve("QUORdbDatabaseFromDBDatabase");
    CursorFromHandle = (QUORdbCursorFromDBCursorFunction)resolve("QUORdbCursorFromDBCursor");
    BuildString = (QUORBuildStringFunction)resolve("QUORBuildString");
    if (!registerEngine || !registerCursor || !registerSource || !DatabaseFromHandle || !CursorFromHandle ||
        !BuildString)
        return;
    registerEngine(&sEngineRecord);
    registerCursor(&sCursorRecord);
    registerSource("TestDB", OpenTestDatabase);
}
