// The Database class: the SQL dispatch to the engine or the emulation, InsertRecord, schemas,
// transactions, the error state and Close; the bridge and accessor calls of engines; databases
// carried as application resources.
#include "Database.h"

#include "BuiltinDatabaseClass.h"

#include "DatabaseObjects.h"
#include "DatabaseShutdownContext.h"
#include "SQLEmulation.h"
#include "core/DefinitionConversion.h"
#include "core/IntrinsicTypes.h"
#include "host/PluginClasses.h"
#include "core/PropertyAccessors.h"
#include "host/ResourceManager.h"

namespace {

DatabaseObject* Fields(ObjectHeader* self) { return AsDatabase(self); }

// A decimal number: sign, digits, fraction and exponent as SQL reads them bare.
bool IsNumberText(const string& text) {
    const char* p = text.CString();
    const char* end = p + text.Length();
    if (p < end && (*p == '-' || *p == '+')) ++p;
    bool digits = false;
    while (p < end && *p >= '0' && *p <= '9') ++p, digits = true;
    if (p < end && *p == '.') {
        ++p;
        while (p < end && *p >= '0' && *p <= '9') ++p, digits = true;
    }
    if (!digits) return false;
    if (p < end && (*p == 'e' || *p == 'E')) {
        ++p;
        if (p < end && (*p == '-' || *p == '+')) ++p;
        if (p == end || *p < '0' || *p > '9') return false;
        while (p < end && *p >= '0' && *p <= '9') ++p;
    }
    return p == end;
}

void AppendSQLQuoted(string* out, StringRecord* value) {
    out->AppendCString("'");
    const string text(value);
    const char* p = text.CString();
    int32_t start = 0;
    for (int32_t i = 0; i < text.Length(); ++i) {
        if (p[i] != '\'') continue;
        out->Append(MidBytes(text, start, i + 1 - start));
        out->AppendCString("'");
        start = i + 1;
    }
    out->Append(MidBytesFrom(text, start));
    out->AppendCString("'");
}

// Commit or Rollback: the engine's word, else the statement through ExecuteSQL, else nothing.
// A closed database (no handle) reaches no engine word.
void EndTransaction(ObjectHeader* self, void(QV_CDECL* PluginDBEngineRecord::*word)(QUORdbHandle),
                    const char* statement) {
    if (!self) return;
    DatabaseObject* d = Fields(self);
    if (!d->engine || !d->handle) return;
    if (d->engine->*word) {
        (d->engine->*word)(d->handle);
    } else if (d->engine->ExecuteSQL) {
        string text(statement);
        d->engine->ExecuteSQL(d->handle, text.Record());
    }
}

// A cursor an engine made for this database keeps a reference to it.
ObjectHeader* Attached(ObjectHeader* self, ObjectHeader* cursor) {
    if (cursor && !AsCursor(cursor)->database) {
        AsCursor(cursor)->database = self;
        RuntimeLockObject(self);
    }
    return cursor;
}

ObjectHeader* SchemaCursor(ObjectHeader* self,
                           ObjectHeader*(QV_CDECL* PluginDBEngineRecord::*word)(QUORdbHandle, StringRecord*),
                           StringRecord* table) {
    if (!EnsureConnected(self)) return nullptr;
    DatabaseObject* d = Fields(self);
    if (!(d->engine->*word)) return nullptr;
    return Attached(self, (d->engine->*word)(d->handle, table));
}

StringRecord* Retained(StringRecord* record) {
    StringRecord::AddReference(record);
    return record;
}

}  // namespace

bool EnsureConnected(ObjectHeader* database) {
    return database && Fields(database)->handle && Fields(database)->engine &&
           Fields(database)->connected;
}

ObjectHeader* OpenDatabaseResource(const string& engineName, const void* data, uint32_t length) {
    ObjectHeader* database = nullptr;
    if (string::CompareNoCase(engineName, string("quordb")) != 0) {
        string text;
        text.SetBytes(data, static_cast<int32_t>(length));
        database = CreateRegisteredDataSource(engineName, text.Record(), nullptr);
    } else {
        database = OpenDatabaseReference(data, length);
    }
    if (database && RuntimeObjectIsa(database, LookupObjectDefinition(GetDatabaseDefinition())))
        Fields(database)->connected = 1;
    return database;
}

extern "C" {

void DatabaseConstructor(ObjectHeader* self) {
    DatabaseObject* d = Fields(self);
    d->databaseName = d->host = d->password = d->userName = nullptr;
}

void databaseClose(ObjectHeader* self) {
    if (!self) return;
    DatabaseShutdownContext::CloseCursorsOf(self);
    DatabaseShutdownContext::RemoveDatabase(self);
    DatabaseObject* d = Fields(self);
    if (d->handle && d->engine) {
        const QUORdbHandle handle = d->handle;
        d->handle = nullptr;
        if (d->engine->CloseDatabase) d->engine->CloseDatabase(handle);
    }
    d->connected = 0;
}

void databaseDestructor(ObjectHeader* self) {
    databaseClose(self);
    DatabaseObject* d = Fields(self);
    for (StringRecord** s : {&d->databaseName, &d->host, &d->password, &d->userName, &d->errorMessage}) {
        StringRecord::Release(*s);
        *s = nullptr;
    }
}

void QUORDatabaseSetError(ObjectHeader* self, int32_t code, const char* message) {
    if (!self) return;
    DatabaseObject* d = Fields(self);
    d->errorCode = code;
    string text(message);
    StringRecord::Release(d->errorMessage);
    d->errorMessage = text.Detach();
}

ObjectHeader* databaseSQLSelect(ObjectHeader* self, StringRecord* sql) {
    if (!self) return nullptr;
    Fields(self)->errorCode = 0;
    if (!EnsureConnected(self)) return nullptr;
    DatabaseObject* d = Fields(self);
    if (!d->engine->SelectSQL) return d->engine->OpenTableCursor ? EmulatedSelect(self, sql) : nullptr;
    ObjectHeader* cursor = d->engine->SelectSQL(d->handle, sql);
    if (cursor) {
        CursorObject* c = AsCursor(cursor);
        RuntimeLockObject(self);
        RuntimeUnlockObject(c->database);
        c->database = self;
        StringRecord* old = c->statement;
        c->statement = Retained(sql);
        StringRecord::Release(old);
    }
    return cursor;
}

void databaseSQLExecute(ObjectHeader* self, StringRecord* sql) {
    if (!self) return;
    Fields(self)->errorCode = 0;
    if (!EnsureConnected(self)) return;
    DatabaseObject* d = Fields(self);
    if (d->engine->ExecuteSQL)
        d->engine->ExecuteSQL(d->handle, sql);
    else
        EmulatedExecute(self, sql);
}

void databaseInsertRecord(ObjectHeader* self, StringRecord* table, ObjectHeader* record) {
    if (!EnsureConnected(self)) return;
    DatabaseObject* d = Fields(self);
    RecordColumnNode* columns = record ? reinterpret_cast<DatabaseRecordObject*>(record)->columns : nullptr;
    if (d->engine->AddTableRecord) {
        d->engine->AddTableRecord(d->handle, table, columns);
        return;
    }
    // A long or double value goes in bare only when its text is a number, so that a column
    // first set as a number and then given any other text stays one quoted value.
    string sql("insert into ");
    sql.Append(string(table));
    sql.AppendCString("(");
    for (RecordColumnNode* c = columns; c; c = c->next) {
        if (c != columns) sql.AppendCString(",");
        sql.Append(string(c->name));
    }
    sql.AppendCString(") values (");
    for (RecordColumnNode* c = columns; c; c = c->next) {
        if (c != columns) sql.AppendCString(",");
        const string value(c->value);
        if ((c->type == kDBTypeLong || c->type == kDBTypeDouble) && IsNumberText(value))
            sql.Append(value);
        else
            AppendSQLQuoted(&sql, c->value);
    }
    sql.AppendCString(")");
    databaseSQLExecute(self, sql.Record());
}

ObjectHeader* databaseTableSchema(ObjectHeader* self) {
    if (!EnsureConnected(self) || !Fields(self)->engine->TableSchemaCursor) return nullptr;
    return Attached(self, Fields(self)->engine->TableSchemaCursor(Fields(self)->handle));
}

ObjectHeader* databaseFieldSchema(ObjectHeader* self, StringRecord* table) {
    return SchemaCursor(self, &PluginDBEngineRecord::FieldSchemaCursor, table);
}

ObjectHeader* databaseIndexSchema(ObjectHeader* self, StringRecord* table) {
    return SchemaCursor(self, &PluginDBEngineRecord::IndexSchemaCursor, table);
}

void databaseCommit(ObjectHeader* self) { EndTransaction(self, &PluginDBEngineRecord::Commit, "commit"); }

void databaseRollback(ObjectHeader* self) {
    EndTransaction(self, &PluginDBEngineRecord::Rollback, "rollback");
}

StringRecord* getDatabaseProperty(ObjectHeader* self, StringRecord* name) {
    if (!EnsureConnected(self) || !Fields(self)->engine->GetProperty) return nullptr;
    return Fields(self)->engine->GetProperty(Fields(self)->handle, name);
}

uint8_t DatabaseConnect(ObjectHeader*) { return 0; }

int32_t databaseErrorCodeGetter(ObjectHeader* self) {
    if (!self) return 0;
    DatabaseObject* d = Fields(self);
    if (d->errorCode) return d->errorCode;
    return d->engine && d->handle && d->engine->LastErrorCode ? d->engine->LastErrorCode(d->handle) : 0;
}

StringRecord* databaseErrorStringGetter(ObjectHeader* self) {
    if (!self) return nullptr;
    DatabaseObject* d = Fields(self);
    if (d->errorCode) return Retained(d->errorMessage);
    return d->engine && d->handle && d->engine->LastErrorText ? d->engine->LastErrorText(d->handle) : nullptr;
}

uint8_t databaseErrorGetter(ObjectHeader* self) { return databaseErrorCodeGetter(self) != 0; }

// --- for engines ---

ObjectHeader* QUORdbDatabaseFromDBDatabase(QUORdbHandle db, PluginDBEngineRecord* record) {
    if (!db) return nullptr;
    ObjectHeader* database = CreateInstance(GetDatabaseDefinition());
    if (!database) return nullptr;
    QUORConstructDBDatabase(database, db, record);
    return database;
}

void QUORConstructDBDatabase(ObjectHeader* database, QUORdbHandle db, PluginDBEngineRecord* record) {
    if (!database) return;
    Fields(database)->handle = db;
    Fields(database)->engine = record;
    Fields(database)->connected = 1;
    DatabaseShutdownContext::AddDatabase(database);
}

void QUORSetDBIsConnected(ObjectHeader* database, uint32_t flag) {
    if (database) Fields(database)->connected = (flag & 0xFF) != 0;
}

QUORdbHandle QUORGetDBFromQUORdbDatabase(ObjectHeader* database) {
    return database ? Fields(database)->handle : nullptr;
}

StringRecord* QUORGetDBHost(ObjectHeader* database) {
    return database ? Retained(Fields(database)->host) : nullptr;
}
StringRecord* QUORGetDBDatabaseName(ObjectHeader* database) {
    return database ? Retained(Fields(database)->databaseName) : nullptr;
}
StringRecord* QUORGetDBPassword(ObjectHeader* database) {
    return database ? Retained(Fields(database)->password) : nullptr;
}
StringRecord* QUORGetDBUserName(ObjectHeader* database) {
    return database ? Retained(Fields(database)->userName) : nullptr;
}

ObjectHeader* RuntimeGetDatabaseFromResource(int32_t id) {
    return ResourceManager::Instance().GetDatabase(static_cast<uint32_t>(id) & 0xFFFF);
}

}  // extern "C"

// --- the class ---

namespace {

ObjectDefinition sDatabase;

ParameterEntry kSQLParameter[] = {{"sqlString", AsType(&kStringType), 0, 0, 0, 0}};
ParameterEntry kTableParameter[] = {{"tableName", AsType(&kStringType), 0, 0, 0, 0}};
ParameterEntry kPropertyParameter[] = {{"v", AsType(&kStringType), 0, 0, 0, 0}};
// The DatabaseRecord type is set when the definition is built.
ParameterEntry kInsertParameters[] = {{"tableName", AsType(&kStringType), 0, 0, 0, 0},
                                      {"dbRecord", nullptr, 0, 0, 0, 0}};

#define QV_METHOD(name, result, parameters, count, function) \
    {name, result, parameters, count, Function(function, #function), {}, kMethodPlain, kRowAttr4, 0}

// The RecordSet results are set when the definition is built.
MethodEntry kDatabaseMethods[] = {
    QV_METHOD("SQLExecute", nullptr, kSQLParameter, 1, databaseSQLExecute),
    QV_METHOD("SQLSelect", nullptr, kSQLParameter, 1, databaseSQLSelect),
    QV_METHOD("InsertRecord", nullptr, kInsertParameters, 2, databaseInsertRecord),
    QV_METHOD("TableSchema", nullptr, nullptr, 0, databaseTableSchema),
    QV_METHOD("FieldSchema", nullptr, kTableParameter, 1, databaseFieldSchema),
    QV_METHOD("IndexSchema", nullptr, kTableParameter, 1, databaseIndexSchema),
    QV_METHOD("Commit", nullptr, nullptr, 0, databaseCommit),
    QV_METHOD("Rollback", nullptr, nullptr, 0, databaseRollback),
    QV_METHOD("GetProperty", AsType(&kStringType), kPropertyParameter, 1, getDatabaseProperty),
    QV_METHOD("Close", nullptr, nullptr, 0, databaseClose),
    QV_METHOD("Connect", AsType(&kBooleanType), nullptr, 0, DatabaseConnect),
};

#undef QV_METHOD

#define QV_FIELD(name, member)                                                                    \
    {kRowAttr4, name, AsType(&kStringType), RowFunction(stringGetter), "stringGetter",           \
     RowFunction(stringSetter), "stringSetter", offsetof(DatabaseObject, member), 0}

PropertyEntry kDatabaseProperties[] = {
    {kRowAttr4, "Error", AsType(&kBooleanType), RowFunction(databaseErrorGetter),
     "databaseErrorGetter", nullptr, nullptr, 0, 0},
    {kRowAttr4, "ErrorCode", AsType(&kIntegerType), RowFunction(databaseErrorCodeGetter),
     "databaseErrorCodeGetter", nullptr, nullptr, 0, 0},
    {kRowAttr4, "ErrorMessage", AsType(&kStringType), RowFunction(databaseErrorStringGetter),
     "databaseErrorStringGetter", nullptr, nullptr, 0, 0},
    QV_FIELD("DatabaseName", databaseName),
    QV_FIELD("Host", host),
    QV_FIELD("Password", password),
    QV_FIELD("UserName", userName),
};

#undef QV_FIELD

const ClassRows kDatabaseRows = {
    .className = "Database",
    .superclass = nullptr,
    .objectSize = sizeof(DatabaseObject),
    .initializer = Function(DatabaseConstructor, "DatabaseConstructor"),
    .finalizer = Function(databaseDestructor, "databaseDestructor"),
    .properties = kDatabaseProperties,
    .methods = kDatabaseMethods,
};

}  // namespace

ObjectDefinition* GetDatabaseDefinition() {
    if (sDatabase.className.IsEmpty()) {
        const TypeDescriptor* recordSet = GetRecordSetDefinition()->AsType();
        for (MethodEntry& row : kDatabaseMethods)
            if (row.function.toc == RowFunction(databaseSQLSelect) ||
                row.function.toc == RowFunction(databaseTableSchema) ||
                row.function.toc == RowFunction(databaseFieldSchema) ||
                row.function.toc == RowFunction(databaseIndexSchema))
                row.returnType = recordSet;
        kInsertParameters[1].parameterType = GetDatabaseRecordDefinition()->AsType();
    }
    return FillClassDefinition(sDatabase, kDatabaseRows);
}
