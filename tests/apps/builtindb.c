/* Uses the built-in database as compiled code does: a file made beside the executable with
 * newQUORDatabase, a table made through the engine record, DatabaseRecords inserted (a date,
 * "TRUE", "yes", 10,000 bytes of long text, a missing NOT NULL column, a duplicate key), the schema
 * cursors walked, a commit, a rollback and a close; then QUORDatabaseOldFormat connecting to it,
 * and 'DBAS' resources whose 'Z' references name it and Data\Customers. The file stays for the
 * independent reader. */
#include "OutputLine.h"
#include "sdk/QuorvaneDatabaseEngine.h"

int32_t QV_CDECL RuntimeInit(void);
void QV_CDECL RuntimeInitExternalClasses(void);
int32_t QV_CDECL RuntimeExit(void);
ObjectHeader* QV_CDECL RuntimeGetDatabaseFromResource(int32_t id);
void QV_CDECL databaseInsertRecord(ObjectHeader* self, StringRecord* table, ObjectHeader* record);
void QV_CDECL databaseCommit(ObjectHeader* self);
void QV_CDECL databaseRollback(ObjectHeader* self);
void QV_CDECL databaseClose(ObjectHeader* self);
ObjectHeader* QV_CDECL databaseTableSchema(ObjectHeader* self);
ObjectHeader* QV_CDECL databaseFieldSchema(ObjectHeader* self, StringRecord* table);
int32_t QV_CDECL databaseErrorCodeGetter(ObjectHeader* self);
StringRecord* QV_CDECL databaseErrorStringGetter(ObjectHeader* self);
void QV_CDECL cursorMoveNext(ObjectHeader* self);
int32_t QV_CDECL cursorEOFGetter(ObjectHeader* self);
int32_t QV_CDECL cursorFieldCount(ObjectHeader* self);
ObjectHeader* QV_CDECL cursorGetFieldByIndex(ObjectHeader* self, int32_t index);
StringRecord* QV_CDECL cursorFieldStringValueGetter(ObjectHeader* self);
void QV_CDECL setDatabaseRecordColumn(ObjectHeader* self, StringRecord* name, StringRecord* value);

/* The Database fields after the object header: the engine handle, then the engine record. */
enum { kDatabaseHandle = 24, kDatabaseEngine = 28 };

static PluginDBEngineRecord* EngineOf(ObjectHeader* database) {
    return *(PluginDBEngineRecord**)((char*)database + kDatabaseEngine);
}
static QUORdbHandle HandleOf(ObjectHeader* database) {
    return *(QUORdbHandle*)((char*)database + kDatabaseHandle);
}

static void Line(void) {
    WriteLine();
    sLength = 0;
}

static void AppendError(ObjectHeader* database) {
    StringRecord* text = databaseErrorStringGetter(database);
    AppendText(" ");
    AppendNumber(databaseErrorCodeGetter(database));
    if (text) {
        AppendText(" ");
        AppendString(text);
        RuntimeUnlockString(text);
    }
}

/* Every row of a cursor the caller owns (released here); texts over 40 bytes as their length. */
static void AppendRows(ObjectHeader* cursor) {
    int32_t i, count;
    if (!cursor) {
        AppendText(" nil");
        return;
    }
    count = cursorFieldCount(cursor);
    while (!(cursorEOFGetter(cursor) & 0xFF)) {
        AppendText(" (");
        for (i = 1; i <= count; i++) {
            ObjectHeader* field = cursorGetFieldByIndex(cursor, i);
            StringRecord* text = cursorFieldStringValueGetter(field);
            if (i > 1) AppendText(" ");
            if (text && text->length > 40)
                AppendNumber(text->length);
            else
                AppendString(text);
            RuntimeUnlockString(text);
            RuntimeUnlockObject(field);
        }
        AppendText(")");
        cursorMoveNext(cursor);
    }
    RuntimeUnlockObject(cursor);
}

static void AppendTable(ObjectHeader* database, const char* table) {
    PluginDBEngineRecord* engine = EngineOf(database);
    ColumnNameNode all = {0, QV_LITERAL("*")};
    StringRecord* name = table[0] == 'C' ? QV_LITERAL("Customers") : QV_LITERAL("Other");
    AppendRows(engine->OpenTableCursor(HandleOf(database), name, &all, 0));
}

static void Insert(ObjectHeader* database, const char* name, StringRecord* born, StringRecord* notes) {
    ObjectHeader* record = RuntimeNewObject(RuntimeLookupClass(QV_LITERAL("DatabaseRecord")));
    if (name[0] == 'O') setDatabaseRecordColumn(record, QV_LITERAL("Name"), QV_LITERAL("O'Hara"));
    if (name[0] == 'S') setDatabaseRecordColumn(record, QV_LITERAL("Name"), QV_LITERAL("Smith"));
    if (born) setDatabaseRecordColumn(record, QV_LITERAL("Born"), born);
    setDatabaseRecordColumn(record, QV_LITERAL("VIP"), QV_LITERAL("TRUE"));
    setDatabaseRecordColumn(record, QV_LITERAL("Fan"), QV_LITERAL("yes"));
    if (notes) setDatabaseRecordColumn(record, QV_LITERAL("Notes"), notes);
    databaseInsertRecord(database, QV_LITERAL("Customers"), record);
    RuntimeUnlockObject(record);
}

static StringRecord* LongText(void) {
    StringRecord* text = RuntimeLockString(QV_LITERAL("abcdefghij"));
    int32_t i;
    for (i = 1; i < 1000; i++) {
        StringRecord* longer = RuntimeAddString(text, QV_LITERAL("abcdefghij"));
        RuntimeUnlockString(text);
        text = longer;
    }
    return text;
}

static void MakeTable(ObjectHeader* database, StringRecord* table) {
    ColumnDefinitionNode notes = {0, QV_LITERAL("Notes"), kDBTypeLongText, 1};
    ColumnDefinitionNode fan = {&notes, QV_LITERAL("Fan"), kDBTypeBoolean, 1};
    ColumnDefinitionNode vip = {&fan, QV_LITERAL("VIP"), kDBTypeBoolean, 1};
    ColumnDefinitionNode born = {&vip, QV_LITERAL("Born"), kDBTypeDate, 1};
    ColumnDefinitionNode name = {&born, QV_LITERAL("Name"), kDBTypeText, 0};
    const uint8_t key = 0;
    EngineOf(database)->CreateTable(HandleOf(database), table, &name, &key, 1);
}

void QvMain(void) {
    ObjectHeader *item, *database, *folder, *other, *object, *missing;
    StringRecord* notes;

    RuntimeInit();
    RuntimeInitExternalClasses();

    item = RuntimeGetFolderItem(QV_LITERAL("Customers"), 0);
    database = newQUORDatabase(item);
    AppendText(database ? "made:" : "made: nil");
    MakeTable(database, QV_LITERAL("Customers"));
    AppendError(database);
    notes = LongText();
    Insert(database, "O", QV_LITERAL("2001-02-03"), notes);
    AppendError(database);
    Insert(database, "-", QV_LITERAL("2002-03-04"), 0);
    AppendError(database);
    Insert(database, "O", 0, 0);
    AppendError(database);
    RuntimeUnlockString(notes);
    Line();

    AppendText("schema:");
    AppendRows(databaseTableSchema(database));
    AppendRows(databaseFieldSchema(database, QV_LITERAL("customers")));
    Line();

    databaseCommit(database);
    Insert(database, "S", QV_LITERAL("1999-12-31"), 0);
    AppendText("rows:");
    AppendTable(database, "Customers");
    databaseRollback(database);
    AppendText(" rolled back:");
    AppendTable(database, "Customers");
    databaseClose(database);
    RuntimeUnlockObject(database);
    Line();

    object = RuntimeNewObject(RuntimeLookupClass(QV_LITERAL("QUORDatabaseOldFormat")));
    AppendText("class: connect ");
    AppendText(QUORDatabaseConnect(object) & 0xFF ? "True" : "False");
    AppendError(object);
    missing = RuntimeGetFolderItem(QV_LITERAL("no-such-folder\\deeper\\x.qvdb"), 0);
    QUORDatabaseFolderItemSetter(object, 0, missing);
    AppendText(QUORDatabaseCreateDatabaseFile(object) & 0xFF ? " create True" : " create False");
    RuntimeUnlockObject(missing);
    QUORDatabaseFolderItemSetter(object, 0, item);
    AppendText(QUORDatabaseConnect(object) & 0xFF ? " connect True" : " connect False");
    AppendText(QUORDatabaseConnect(object) & 0xFF ? " again True" : " again False");
    AppendTable(object, "Customers");
    databaseClose(object);
    RuntimeUnlockObject(object);
    Line();

    folder = RuntimeGetFolderItem(QV_LITERAL("Data"), 0);
    FolderItemCreateAsFolder(folder);
    RuntimeUnlockObject(folder);
    folder = RuntimeGetFolderItem(QV_LITERAL("Data\\Customers"), 0);
    other = newQUORDatabase(folder);
    MakeTable(other, QV_LITERAL("Other"));
    databaseClose(other);
    RuntimeUnlockObject(other);
    RuntimeUnlockObject(folder);
    AppendText("resources:");
    other = RuntimeGetDatabaseFromResource(128);
    AppendRows(other ? databaseTableSchema(other) : 0);
    if (other) databaseClose(other);
    RuntimeUnlockObject(other);
    other = RuntimeGetDatabaseFromResource(129);
    AppendRows(other ? databaseTableSchema(other) : 0);
    if (other) databaseClose(other);
    RuntimeUnlockObject(other);
    Line();

    RuntimeUnlockObject(item);
    RuntimeExit();
}
