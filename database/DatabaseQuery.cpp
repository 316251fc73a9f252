// DatabaseQuery: a SELECT with an optional parameter whose rows it offers to bound lists, and the
// registration of the database classes.
#include "BuiltinDatabaseClass.h"
#include "DatabaseObjects.h"
#include "controls/BindingInterfaces.h"
#include "controls/NotificationReceiverList.h"
#include "core/DefinitionConversion.h"
#include "core/IntrinsicRegistry.h"
#include "core/IntrinsicTypes.h"
#include "core/PropertyAccessors.h"

namespace {

DatabaseQueryObject* Query(ObjectHeader* self) { return reinterpret_cast<DatabaseQueryObject*>(self); }
NotificationReceiverList& Receivers(ObjectHeader* self) { return Query(self)->receivers; }

EventDefinition* sQueryComplete = nullptr;

// The query text with every "%1" replaced by the parameter.
string StatementText(ObjectHeader* self) {
    const string query(Query(self)->sqlQuery);
    const string parameter(Query(self)->parameter);
    string text;
    const char* p = query.CString();
    int32_t start = 0;
    for (int32_t i = 0; i + 1 < query.Length(); ++i) {
        if (p[i] != '%' || p[i + 1] != '1') continue;
        text.Append(MidBytes(query, start, i - start));
        text.Append(parameter);
        start = i + 2;
        ++i;
    }
    text.Append(MidBytesFrom(query, start));
    text.SetEncoding(query.Encoding());
    return text;
}

void RunStatement(ObjectHeader* self) {
    DatabaseQueryObject* q = Query(self);
    if (!q->database || !q->sqlQuery) return;
    const string statement = StatementText(self);
    ObjectHeader* cursor = databaseSQLSelect(q->database, statement.Record());
    if (!cursor) return;
    ObjectHeader* result = CreateInstance(GetScrollableCursorDefinition());
    if (result) scrollableCursorConstructor(result, cursor);
    RuntimeUnlockObject(cursor);
    q->result = result;
}

void ReleaseResult(DatabaseQueryObject* q) {
    if (ObjectHeader* result = q->result) {
        q->result = nullptr;
        RuntimeUnlockObject(result);
    }
}

}  // namespace

extern "C" {

void databaseQueryRunQuery(ObjectHeader* self) {
    if (!self) return;
    DatabaseQueryObject* q = Query(self);
    q->ran = 1;
    ReleaseResult(q);
    RunStatement(self);
    if (q->busy == 0) Receivers(self).SendListDataReload();
    if (auto fire = reinterpret_cast<void (*)(ObjectHeader*)>(FindEventInstance(self, sQueryComplete)))
        fire(self);
}

int32_t databaseQueryGetCount(ObjectHeader* self) {
    if (!self) return 0;
    DatabaseQueryObject* q = Query(self);
    if (!q->ran) {
        ++q->busy;
        q->ran = 1;
        if (q->database && q->sqlQuery) databaseQueryRunQuery(self);
        --q->busy;
    }
    return q->result ? scrollableCursorGetCount(q->result) : 0;
}

ObjectHeader* databaseQueryGetRow(ObjectHeader* self, int32_t v) {
    return self && Query(self)->result ? scrollableCursorGetRow(Query(self)->result, v) : nullptr;
}

void databaseQueryAddLDNR(ObjectHeader* self, ObjectHeader* receiver) {
    if (self) Receivers(self).Add(receiver);
}

void databaseQueryRemoveLDNR(ObjectHeader* self, ObjectHeader* receiver) {
    if (self) Receivers(self).Remove(receiver);
}

void databaseQuerySetParameter(ObjectHeader* self, StringRecord* text) {
    if (!self) return;
    StringRecord::AddReference(text);
    StringRecord::Release(Query(self)->parameter);
    Query(self)->parameter = text;
    databaseQueryRunQuery(self);
}

void databaseQueryDestructor(ObjectHeader* self) {
    DatabaseQueryObject* q = Query(self);
    if (ObjectHeader* database = q->database) {
        q->database = nullptr;
        RuntimeUnlockObject(database);
    }
    StringRecord::Release(q->sqlQuery);
    q->sqlQuery = nullptr;
    StringRecord::Release(q->parameter);
    q->parameter = nullptr;
    ReleaseResult(q);
    Receivers(self).RemoveAll();
}

}  // extern "C"

// --- the class ---

namespace {

ObjectDefinition sQuery;

ParameterEntry kIndexParameter[] = {{"v", AsType(&kIntegerType), 0, 0, 0, 0}};
ParameterEntry kStrParameter[] = {{"Str", AsType(&kStringType), 0, 0, 0, 0}};
// The receiver type is set when the definition is built.
ParameterEntry kReceiverParameter[] = {{"receiver", nullptr, 0, 0, 0, 0}};

#define QV_METHOD(name, result, parameters, count, function) \
    {name, result, parameters, count, Function(function, #function), {}, kMethodPlain, kRowAttr4, 0}

// The tupleInterface result is set when the definition is built.
MethodEntry kQueryMethods[] = {
    QV_METHOD("GetCount", AsType(&kIntegerType), nullptr, 0, databaseQueryGetCount),
    QV_METHOD("GetRow", nullptr, kIndexParameter, 1, databaseQueryGetRow),
    QV_METHOD("RunQuery", nullptr, nullptr, 0, databaseQueryRunQuery),
    QV_METHOD("addListDataNotificationReceiver", nullptr, kReceiverParameter, 1, databaseQueryAddLDNR),
    QV_METHOD("removeListDataNotificationReceiver", nullptr, kReceiverParameter, 1, databaseQueryRemoveLDNR),
    QV_METHOD("PerformAction", nullptr, nullptr, 0, databaseQueryRunQuery),
    QV_METHOD("setString", nullptr, kStrParameter, 1, databaseQuerySetParameter),
};

#undef QV_METHOD

// The Database type is set when the definition is built.
PropertyEntry kQueryProperties[] = {
    {kRowAttr4, "Database", nullptr, RowFunction(objGetter), "objGetter", RowFunction(objSetter),
     "objSetter", offsetof(DatabaseQueryObject, database), 0},
    {kRowAttr4, "SQLQuery", AsType(&kStringType), RowFunction(stringGetter), "stringGetter",
     RowFunction(stringSetter), "stringSetter", offsetof(DatabaseQueryObject, sqlQuery), 0},
};

EventEntry kQueryEvents[] = {{0, "QueryComplete", "", "", &sQueryComplete, 0}};

const DefinitionFunction kQueryInterfaces[] = {ListDataProviderInterface, ListDataNotifierInterface,
                                               ActionNotificationReceiverInterface,
                                               StringInterfaceInterface};

const ClassRows kQueryRows = {
    .className = "DatabaseQuery",
    .superclass = nullptr,
    .objectSize = sizeof(DatabaseQueryObject),
    .finalizer = Function(databaseQueryDestructor, "databaseQueryDestructor"),
    .properties = kQueryProperties,
    .events = kQueryEvents,
    .methods = kQueryMethods,
    .interfaces = kQueryInterfaces,
};

}  // namespace

ObjectDefinition* GetDatabaseQueryDefinition() {
    if (sQuery.className.IsEmpty()) {
        kQueryProperties[0].type = GetDatabaseDefinition()->AsType();
        kQueryMethods[1].returnType = TupleInterface()->AsType();
        kReceiverParameter[0].parameterType = ListDataNotificationReceiverInterface()->AsType();
    }
    return FillClassDefinition(sQuery, kQueryRows);
}

extern "C" void RegisterDatabaseClasses() {
    RegisterIntrinsicClass(GetDatabaseDefinition());
    RegisterIntrinsicClass(GetDatabaseCursorDefinition());
    RegisterIntrinsicClass(GetDatabaseCursorFieldDefinition());
    RegisterIntrinsicClass(GetRecordSetDefinition());
    RegisterIntrinsicClass(GetDatabaseFieldDefinition());
    RegisterIntrinsicClass(GetDatabaseRecordDefinition());
    RegisterIntrinsicClass(GetScrollableCursorDefinition());
    RegisterIntrinsicClass(GetQUORDatabaseOldFormatDefinition());
    RegisterIntrinsicClass(GetDatabaseQueryDefinition());
}
