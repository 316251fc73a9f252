#include "TestEngine.h"

#include "database/DatabaseObjects.h"

namespace {

TestEngine* sCurrent = nullptr;
std::vector<std::string> sLog;

std::string Bytes(StringRecord* text) {
    const string s(text);
    return std::string(s.CString(), s.Length());
}

TestCursor* C(QUORdbHandle handle) { return static_cast<TestCursor*>(handle); }

StringRecord* NewText(const std::string& text) {
    string s;
    s.SetBytes(text.data(), static_cast<int32_t>(text.size()));
    return s.Detach();
}

void Note(const std::string& entry) { sLog.push_back(entry); }

// --- engine words ---
void QV_CDECL CloseDatabase(QUORdbHandle) { Note("CloseDatabase"); }
ObjectHeader* QV_CDECL TableSchema(QUORdbHandle) { Note("TableSchema"); return nullptr; }
ObjectHeader* QV_CDECL FieldSchema(QUORdbHandle, StringRecord* t) { Note("FieldSchema " + Bytes(t)); return nullptr; }
ObjectHeader* QV_CDECL SelectSQL(QUORdbHandle, StringRecord* sql) {
    Note("SelectSQL " + Bytes(sql));
    return CurrentEngine().NewCursor(&CurrentEngine().table);
}
QUORdbBool QV_CDECL ExecuteSQL(QUORdbHandle, StringRecord* sql) { Note(Bytes(sql)); return 1; }
void QV_CDECL AddTableRecord(QUORdbHandle, StringRecord* table, RecordColumnNode* c) {
    std::string entry = "AddTableRecord " + Bytes(table);
    for (; c; c = c->next) entry += " " + Bytes(c->name) + "=" + Bytes(c->value) + ":" + std::to_string(c->type);
    Note(entry);
}
void QV_CDECL UpdateFields(QUORdbHandle, FieldUpdate* u) {
    std::string entry = "UpdateFields";
    for (; u; u = u->next)
        entry += " " + std::string(u->key, u->keyLength) + "@" + std::string(u->condition, u->conditionLength) +
                 "=" + Bytes(u->value);
    Note(entry);
}
int32_t QV_CDECL LastErrorCode(QUORdbHandle) { Note("LastErrorCode"); return CurrentEngine().lastErrorCode; }
StringRecord* QV_CDECL LastErrorText(QUORdbHandle) { Note("LastErrorText"); return NewText("engine says"); }
void QV_CDECL Commit(QUORdbHandle) { Note("Commit"); }
void QV_CDECL Rollback(QUORdbHandle) { Note("Rollback"); }
StringRecord* QV_CDECL GetProperty(QUORdbHandle, StringRecord* name) { return NewText("property " + Bytes(name)); }

// --- cursor words ---
void QV_CDECL Close(QUORdbHandle h) { Note("Close"); delete C(h); }
int32_t QV_CDECL ColumnCount(QUORdbHandle h) { return static_cast<int32_t>(C(h)->table->columns.size()); }
StringRecord* QV_CDECL ColumnName(QUORdbHandle h, int32_t i) { return NewText(C(h)->table->columns.at(i)); }
int32_t QV_CDECL RowCount(QUORdbHandle h) { return static_cast<int32_t>(C(h)->table->rows.size()); }
void QV_CDECL ColumnValue(QUORdbHandle h, int32_t i, const void** bytes, uint8_t* type, int32_t* length) {
    const TestValue& v = C(h)->table->rows.at(C(h)->row).at(i);
    *bytes = v.bytes.data();
    *type = v.type;
    *length = static_cast<int32_t>(v.bytes.size());
}
void QV_CDECL ReleaseValue(QUORdbHandle) {}
QUORdbBool QV_CDECL NextRow(QUORdbHandle h) {
    ++C(h)->row;
    return C(h)->row < static_cast<int32_t>(C(h)->table->rows.size());
}
void QV_CDECL DeleteRow(QUORdbHandle h) { Note("DeleteRow " + std::to_string(C(h)->row)); }
QUORdbBool QV_CDECL RowKey(QUORdbHandle h, int32_t i, const void** key, int32_t* keyLength,
                           const void** condition, int32_t* conditionLength) {
    C(h)->lentKey = "t!" + C(h)->table->columns.at(i);
    C(h)->lentCondition = "id = 5";
    *key = C(h)->lentKey.data();
    *keyLength = static_cast<int32_t>(C(h)->lentKey.size());
    *condition = C(h)->lentCondition.data();
    *conditionLength = static_cast<int32_t>(C(h)->lentCondition.size());
    return C(h)->table->columns.at(i) != "id";
}
void QV_CDECL UpdateRow(QUORdbHandle, PendingEdit* e) {
    std::string entry = "UpdateRow";
    for (; e; e = e->next) entry += " " + std::to_string(e->column) + "=" + Bytes(e->value);
    Note(entry);
}
void QV_CDECL EditRow(QUORdbHandle) { Note("EditRow"); }
void QV_CDECL PreviousRow(QUORdbHandle) { Note("PreviousRow"); }
void QV_CDECL FirstRow(QUORdbHandle) { Note("FirstRow"); }
void QV_CDECL LastRow(QUORdbHandle) { Note("LastRow"); }
int32_t QV_CDECL ColumnType(QUORdbHandle h, int32_t i) {
    return i < static_cast<int32_t>(C(h)->table->columns.size()) ? kDBTypeText : 0;
}

}  // namespace

TestEngine::TestEngine() {
    engine = {kDBRecordVersion, 0, CloseDatabase, TableSchema, FieldSchema, SelectSQL, ExecuteSQL,
              nullptr, AddTableRecord, nullptr, UpdateFields, nullptr, nullptr, LastErrorCode,
              LastErrorText, Commit, Rollback, GetProperty};
    cursor = {kDBRecordVersion, 0, Close, ColumnCount, ColumnName, RowCount, ColumnValue, ReleaseValue,
              NextRow, DeleteRow, 0, RowKey, UpdateRow, EditRow, PreviousRow, FirstRow, LastRow, ColumnType};
    sCurrent = this;
    sLog.clear();
}

std::vector<std::string>& TestEngine::Log() { return sLog; }

std::string TestEngine::Joined() {
    std::string all;
    for (const std::string& entry : sLog) all += (all.empty() ? "" : " | ") + entry;
    return all;
}

ObjectHeader* TestEngine::NewCursor(TestTable* t) { return WrapEngineCursor(new TestCursor(t), &cursor); }

ObjectHeader* TestEngine::NewDatabase() {
    static int handle;
    return QUORdbDatabaseFromDBDatabase(&handle, &engine);
}

TestEngine& CurrentEngine() { return *sCurrent; }
