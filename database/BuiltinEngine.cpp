#include "BuiltinEngine.h"

#include <string>
#include <vector>

#include "DatabaseObjects.h"

namespace {

EngineDatabase* Database(QUORdbHandle handle) { return AsEngineDatabase(handle); }
EngineCursor* Cursor(QUORdbHandle handle) { return static_cast<EngineCursor*>(handle); }

std::string Text(StringRecord* record) {
    const string text(record);
    return text.IsEmpty() ? std::string() : std::string(text.CString(), size_t(text.Length()));
}

StringRecord* NewRecord(std::string_view text) {
    string out;
    if (!text.empty()) out.SetBytes(text.data(), int32_t(text.size()));
    return out.Detach();
}

// The caller's tree copied into one array, children by index, without recursion.
WhereCopy CopyWhere(const WhereNode* root) {
    WhereCopy copy;
    if (!root) return copy;
    struct Pending {
        const WhereNode* node;
        int32_t parent;
        bool right;
    };
    std::vector<Pending> pending{{root, -1, false}};
    while (!pending.empty()) {
        const Pending item = pending.back();
        pending.pop_back();
        const int32_t index = int32_t(copy.terms.size());
        WhereTerm term;
        term.op = item.node->op;
        term.mode = item.node->comparison;
        term.column = Text(item.node->column);
        term.literal = Text(item.node->value);
        copy.terms.push_back(std::move(term));
        if (item.parent < 0)
            copy.root = index;
        else if (item.right)
            copy.terms[size_t(item.parent)].right = index;
        else
            copy.terms[size_t(item.parent)].left = index;
        if (item.node->right) pending.push_back({item.node->right, index, true});
        if (item.node->left) pending.push_back({item.node->left, index, false});
    }
    return copy;
}

PluginDBCursorRecord* TableCursorRecord();
PluginDBCursorRecord* SchemaCursorRecord();

ObjectHeader* Wrapped(EngineCursor* cursor) {
    if (!cursor) return nullptr;
    PluginDBCursorRecord* record =
        cursor->CursorKind() == EngineCursor::Kind::kTable ? TableCursorRecord() : SchemaCursorRecord();
    return WrapEngineCursor(cursor, record);
}

// --- engine slots ---

void QV_CDECL EngineCloseDatabase(QUORdbHandle db) {
    if (!db) return;
    Database(db)->Close();
    delete Database(db);
}

ObjectHeader* QV_CDECL EngineTableSchemaCursor(QUORdbHandle db) {
    return db ? Wrapped(Database(db)->TableSchemaCursor()) : nullptr;
}

ObjectHeader* QV_CDECL EngineFieldSchemaCursor(QUORdbHandle db, StringRecord* table) {
    return db ? Wrapped(Database(db)->FieldSchemaCursor(Text(table))) : nullptr;
}

void QV_CDECL EngineCreateTable(QUORdbHandle db, StringRecord* table, ColumnDefinitionNode* columns,
                                const uint8_t* keyPositions, int32_t keyCount) {
    if (!db) return;
    std::vector<ColumnDefinition> definitions;
    for (ColumnDefinitionNode* c = columns; c; c = c->next)
        definitions.push_back({Text(c->name), c->type, uint8_t(c->acceptsNull ? 1 : 0)});
    std::vector<int32_t> positions;
    for (int32_t i = 0; keyPositions && i < keyCount; ++i) positions.push_back(keyPositions[i]);
    Database(db)->CreateTable(Text(table), definitions, positions);
}

void QV_CDECL EngineAddTableRecord(QUORdbHandle db, StringRecord* table, RecordColumnNode* columns) {
    if (!db) return;
    std::vector<ColumnText> values;
    for (RecordColumnNode* c = columns; c; c = c->next)
        values.push_back({Text(c->name), -1, c->value != nullptr, Text(c->value)});
    Database(db)->AddTableRecord(Text(table), values);
}

ObjectHeader* QV_CDECL EngineOpenTableCursor(QUORdbHandle db, StringRecord* table, ColumnNameNode* columns,
                                             WhereNode* where) {
    if (!db) return nullptr;
    std::vector<std::string> names;
    for (ColumnNameNode* c = columns; c; c = c->next) names.push_back(Text(c->name));
    return Wrapped(Database(db)->OpenTableCursor(Text(table), names, CopyWhere(where)));
}

void QV_CDECL EngineAddTableColumn(QUORdbHandle db, StringRecord* table, ColumnDefinitionNode* column) {
    if (!db || !column) return;
    Database(db)->AddTableColumn(Text(table), {Text(column->name), column->type,
                                               uint8_t(column->acceptsNull ? 1 : 0)});
}

int32_t QV_CDECL EngineLastErrorCode(QUORdbHandle db) { return db ? Database(db)->LastErrorCode() : -1; }

StringRecord* QV_CDECL EngineLastErrorText(QUORdbHandle db) {
    if (!db || !Database(db)->LastErrorCode()) return nullptr;
    return NewRecord(Database(db)->LastErrorText());
}

void QV_CDECL EngineCommit(QUORdbHandle db) {
    if (db) Database(db)->Commit();
}

void QV_CDECL EngineRollback(QUORdbHandle db) {
    if (db) Database(db)->Rollback();
}

// --- cursor slots ---

void QV_CDECL CursorClose(QUORdbHandle cursor) {
    if (!cursor) return;
    EngineDatabase* database = Cursor(cursor)->Owner();
    if (database)
        database->CloseCursor(Cursor(cursor));
    else
        delete Cursor(cursor);
}

int32_t QV_CDECL CursorColumnCount(QUORdbHandle cursor) { return cursor ? Cursor(cursor)->ColumnCount() : 0; }

StringRecord* QV_CDECL CursorColumnName(QUORdbHandle cursor, int32_t column) {
    if (!cursor || column < 0 || column >= Cursor(cursor)->ColumnCount()) return nullptr;
    return NewRecord(Cursor(cursor)->ColumnName(column));
}

void QV_CDECL CursorColumnValue(QUORdbHandle cursor, int32_t column, const void** bytes, uint8_t* type,
                                int32_t* length) {
    const void* b = nullptr;
    uint8_t t = 0;
    int32_t n = 0;
    if (cursor) Cursor(cursor)->ColumnValue(column, &b, &t, &n);
    if (bytes) *bytes = b;
    if (type) *type = t;
    if (length) *length = n;
}

void QV_CDECL CursorReleaseValue(QUORdbHandle cursor) {
    if (cursor) Cursor(cursor)->ReleaseValue();
}

QUORdbBool QV_CDECL CursorNextRow(QUORdbHandle cursor) { return cursor && Cursor(cursor)->NextRow(); }

void QV_CDECL CursorDeleteRow(QUORdbHandle cursor) {
    if (cursor) Cursor(cursor)->DeleteRow();
}

QUORdbBool QV_CDECL CursorRowKey(QUORdbHandle cursor, int32_t column, const void** key, int32_t* keyLength,
                                 const void** condition, int32_t* conditionLength) {
    std::string_view k, c;
    if (!cursor || !Cursor(cursor)->RowKey(column, &k, &c)) return 0;
    if (key) *key = k.data();
    if (keyLength) *keyLength = int32_t(k.size());
    if (condition) *condition = c.data();
    if (conditionLength) *conditionLength = int32_t(c.size());
    return 1;
}

void QV_CDECL CursorUpdateRow(QUORdbHandle cursor, PendingEdit* edits) {
    if (!cursor) return;
    std::vector<ColumnText> changes;
    for (PendingEdit* e = edits; e; e = e->next) changes.push_back({{}, e->column, e->value != nullptr, Text(e->value)});
    Cursor(cursor)->UpdateRow(changes);
}

int32_t QV_CDECL CursorColumnType(QUORdbHandle cursor, int32_t column) {
    return cursor ? Cursor(cursor)->ColumnType(column) : 0;
}

PluginDBEngineRecord sEngine = {
    kDBRecordVersion, 0, EngineCloseDatabase, EngineTableSchemaCursor, EngineFieldSchemaCursor,
    nullptr, nullptr, EngineCreateTable, EngineAddTableRecord, EngineOpenTableCursor, nullptr,
    EngineAddTableColumn, nullptr, EngineLastErrorCode, EngineLastErrorText, EngineCommit,
    EngineRollback, nullptr,
};

PluginDBCursorRecord sTableCursor = {
    kDBRecordVersion, 0, CursorClose, CursorColumnCount, CursorColumnName, nullptr, CursorColumnValue,
    CursorReleaseValue, CursorNextRow, CursorDeleteRow, 0, CursorRowKey, CursorUpdateRow, nullptr,
    nullptr, nullptr, nullptr, CursorColumnType,
};

PluginDBCursorRecord sSchemaCursor = {
    kDBRecordVersion, 0, CursorClose, CursorColumnCount, CursorColumnName, nullptr, CursorColumnValue,
    CursorReleaseValue, CursorNextRow, nullptr, 0, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr,
    nullptr,
};

PluginDBCursorRecord* TableCursorRecord() { return &sTableCursor; }
PluginDBCursorRecord* SchemaCursorRecord() { return &sSchemaCursor; }

}  // namespace

PluginDBEngineRecord* BuiltinEngineRecord() { return &sEngine; }

ObjectHeader* WrapEngineStore(std::unique_ptr<PageStore> store) {
    if (!store) return nullptr;
    auto* database = new EngineDatabase(std::move(store));
    ObjectHeader* object = QUORdbDatabaseFromDBDatabase(database, &sEngine);
    if (!object) EngineCloseDatabase(database);
    return object;
}
