// The cursor classes (DatabaseCursor and RecordSet) and the field classes (DatabaseCursorField
// and DatabaseField): row movement, typed reads of the engine's value forms, pending edits and
// their writing back through the engine or as generated UPDATE statements.
#include <cstring>

#include "DatabaseObjects.h"
#include "DatabaseShutdownContext.h"
#include "DatabaseValueText.h"
#include "JPEGPictures.h"
#include "controls/BindingInterfaces.h"
#include "core/DefinitionConversion.h"
#include "core/GuardedMemory.h"
#include "graphics/PictureClass.h"
#include "core/IntrinsicTypes.h"
#include "values/Date.h"
#include "values/NumberText.h"
#include "values/Variant.h"

namespace {

CursorObject* Cursor(ObjectHeader* self) { return AsCursor(self); }

string Copy(const void* bytes, int32_t length) {
    string text;
    if (bytes && length > 0) text.SetBytes(bytes, length);
    return text;
}

// A value the engine lent for one read.
struct ColumnValue {
    uint8_t type = kDBTypeNull;
    const unsigned char* bytes = nullptr;
    int32_t length = 0;

    int32_t Long() const { int32_t v; std::memcpy(&v, bytes, 4); return v; }
    int16_t Short() const { int16_t v; std::memcpy(&v, bytes, 2); return v; }
    float Single() const { float v; std::memcpy(&v, bytes, 4); return v; }
    double Double() const { double v; std::memcpy(&v, bytes, 8); return v; }
    StringRecord* Record() const { StringRecord* v; std::memcpy(&v, bytes, sizeof v); return v; }
    // Each fixed form needs its bytes; a short value reads as NULL.
    bool Sized() const {
        switch (type) {
            case kDBTypeShort: return length >= 2;
            case kDBTypeLong: case kDBTypeFloat: return length >= 4;
            case kDBTypeDouble: return length >= 8;
            case kDBTypeDate: case kDBTypeTime: return length >= 6;
            case kDBTypeTimeStamp: return length >= 12;
            case kDBTypeBoolean: return length >= 1;
            case kDBTypeString: return length >= 4;
            default: return true;
        }
    }
    void Fields(uint16_t* out, int32_t count) const {
        for (int32_t i = 0; i < count; ++i) out[i] = DBBigEndian16(bytes + 2 * i);
    }
};

// Whether the cursor's current row can be read at all: open, on a row, with ColumnValue.
bool Readable(CursorObject* c) {
    return c->handle && c->record && c->record->ColumnValue && !c->eof && !c->bof;
}

// Reads a column under the value protocol: ColumnValue, the conversion at once, ReleaseValue.
template <typename Result, typename Convert>
Result ReadColumn(CursorObject* c, int32_t column, Convert convert) {
    ColumnValue value;
    const void* bytes = nullptr;
    c->record->ColumnValue(c->handle, column, &bytes, &value.type, &value.length);
    value.bytes = static_cast<const unsigned char*>(bytes);
    if (!value.bytes || value.length < 0 || !value.Sized()) value.type = kDBTypeNull;
    Result result = convert(value);
    if (c->record->ReleaseValue) c->record->ReleaseValue(c->handle);
    return result;
}

PendingEdit* EditOf(CursorObject* c, int32_t column) {
    for (PendingEdit* e = c->edits; e; e = e->next)
        if (e->column == column) return e;
    return nullptr;
}

void FreeEdits(CursorObject* c) {
    while (PendingEdit* e = c->edits) {
        c->edits = e->next;
        StringRecord::Release(e->value);
        GuardedDelete(e);
    }
}

bool IsText(uint8_t type) {
    return type == kDBTypeText4 || type == kDBTypeText || type == kDBTypeBinary ||
           type == kDBTypeLongText || type == kDBTypeLongBinary;
}

string StringOf(const ColumnValue& v) {
    uint16_t f[6];
    switch (v.type) {
        case kDBTypeShort: return DBIntegerText(v.Short());
        case kDBTypeLong: return DBIntegerText(v.Long());
        case kDBTypeFloat: return DBDoubleText(v.Single(), kSingleDigits);
        case kDBTypeDouble: return DBDoubleText(v.Double(), kDoubleDigits);
        case kDBTypeDate: v.Fields(f, 3); return DBDateText(f[0], f[1], f[2]);
        case kDBTypeTime: v.Fields(f, 3); return DBTimeText(f[0], f[1], f[2]);
        case kDBTypeTimeStamp: v.Fields(f, 6); return DBTimeStampText(f);
        case kDBTypeBoolean: return DBBooleanText(v.bytes[0] != 0);
        case kDBTypeString: return string(v.Record());
        default: return IsText(v.type) ? Copy(v.bytes, v.length) : string();
    }
}

double DoubleOf(const ColumnValue& v) {
    switch (v.type) {
        case kDBTypeShort: return v.Short();
        case kDBTypeLong: return v.Long();
        case kDBTypeFloat: return v.Single();
        case kDBTypeDouble: return v.Double();
        case kDBTypeBoolean: return v.bytes[0] ? 1.0 : 0.0;
        case kDBTypeString: return StringVal(v.Record());
        default: return IsText(v.type) ? StringVal(Copy(v.bytes, v.length).Record()) : 0.0;
    }
}

bool BooleanOf(const ColumnValue& v) {
    switch (v.type) {
        case kDBTypeShort: return v.Short() != 0;
        case kDBTypeLong: return v.Long() != 0;
        case kDBTypeFloat: return v.Single() != 0.0f;
        case kDBTypeDouble: return v.Double() != 0.0;
        case kDBTypeBoolean: return v.bytes[0] != 0;
        default: return IsText(v.type) && DBTextIsTrue(Copy(v.bytes, v.length));
    }
}

// The Date of a date, time or timestamp value; a time alone falls on the given day.
ObjectHeader* DateOf(const ColumnValue& v, int32_t timeYear, int32_t timeMonth, int32_t timeDay) {
    uint16_t f[6];
    switch (v.type) {
        case kDBTypeDate: v.Fields(f, 3); return NewDateFromFields(f[0], f[1], f[2], 0, 0, 0);
        case kDBTypeTime:
            v.Fields(f, 3);
            return NewDateFromFields(timeYear, timeMonth, timeDay, f[0], f[1], f[2]);
        case kDBTypeTimeStamp: v.Fields(f, 6); return NewDateFromFields(f[0], f[1], f[2], f[3], f[4], f[5]);
        default: return nullptr;
    }
}

ObjectHeader* VariantOf(const ColumnValue& v) {
    switch (v.type) {
        case kDBTypeShort: return intToVariant(v.Short());
        case kDBTypeLong: return intToVariant(v.Long());
        case kDBTypeFloat: return doubleToVariant(v.Single());
        case kDBTypeDouble: return doubleToVariant(v.Double());
        case kDBTypeDate: case kDBTypeTime: case kDBTypeTimeStamp: return DateOf(v, 0, 0, 0);
        case kDBTypeBoolean: return booleanToVariant(v.bytes[0] != 0);
        case kDBTypeString: return stringToVariant(v.Record());
        default: return IsText(v.type) ? stringToVariant(Copy(v.bytes, v.length).Record()) : nullptr;
    }
}

// A pending edit's text read as a Boolean: a text that reads as true, or a non-zero number.
bool EditIsTrue(StringRecord* text) {
    return DBTextIsTrue(string(text)) || DBTruncatedInteger(StringVal(text)) != 0;
}

// The field's cursor when its row can be read; the edit of its column, if any, into *edit.
CursorObject* ReadableCursor(ObjectHeader* field, PendingEdit** edit) {
    if (!field || !AsField(field)->cursor) return nullptr;
    CursorObject* c = Cursor(AsField(field)->cursor);
    if (!Readable(c)) return nullptr;
    *edit = EditOf(c, AsField(field)->column);
    return c;
}

ObjectHeader* NewField(ObjectHeader* cursor, int32_t column) {
    ObjectHeader* field = CreateInstance(GetDatabaseFieldDefinition());
    if (!field) return nullptr;
    RuntimeLockObject(cursor);
    AsField(field)->cursor = cursor;
    AsField(field)->column = column;
    return field;
}

string ColumnNameOf(CursorObject* c, int32_t column) {
    if (c->handle && c->record->ColumnName) return string::Adopt(c->record->ColumnName(c->handle, column));
    string name("field");
    name.Append(DBIntegerText(column + 1));
    return name;
}

void SetPending(ObjectHeader* field, const string& text) {
    if (!field || !AsField(field)->cursor) return;
    CursorObject* c = Cursor(AsField(field)->cursor);
    if (!c->editMode) return;
    if (PendingEdit* e = EditOf(c, AsField(field)->column)) {
        StringRecord::Release(e->value);
        e->value = RetainedRecord(text);
        return;
    }
    auto* e = static_cast<PendingEdit*>(GuardedNew(sizeof(PendingEdit)));
    *e = PendingEdit{c->edits, AsField(field)->column, RetainedRecord(text)};
    c->edits = e;
}

void FreeFieldUpdates(FieldUpdate* list) {
    while (FieldUpdate* u = list) {
        list = u->next;
        GuardedDelete(u->key);
        GuardedDelete(u->condition);
        StringRecord::Release(u->value);
        GuardedDelete(u);
    }
}

char* CopyBytes(const void* bytes, int32_t length) {
    auto* copy = static_cast<char*>(GuardedNew(length > 0 ? length : 1));
    if (length > 0) std::memcpy(copy, bytes, length);
    return copy;
}

void AppendDoubled(string* out, const string& text, char quote) {
    int32_t start = 0;
    const char* p = text.CString();
    for (int32_t i = 0; i < text.Length(); ++i) {
        if (p[i] != quote) continue;
        out->Append(MidBytes(text, start, i + 1 - start));
        const char q[2] = {quote, 0};
        out->AppendCString(q);
        start = i + 1;
    }
    out->Append(MidBytesFrom(text, start));
}

string Bytes(const char* bytes, int32_t length) {
    string text = Copy(bytes, length);
    return text;
}

}  // namespace

// Builds UPDATE statements from field updates where the engine has no UpdateFields: the updates
// of one table and one condition go into one statement.
void ApplyFieldUpdates(ObjectHeader* database, FieldUpdate* list) {
    DatabaseObject* d = AsDatabase(database);
    if (!database || !d->engine) return;
    if (d->engine->UpdateFields) {
        if (d->handle) d->engine->UpdateFields(d->handle, list);
        return;
    }
    if (!d->handle) return;
    struct Group : RuntimeAllocated {
        Group* next;
        string table, assignments, condition;
    };
    Group* groups = nullptr;
    for (FieldUpdate* u = list; u; u = u->next) {
        const char* bang = static_cast<const char*>(std::memchr(u->key, '!', u->keyLength));
        const int32_t tableLength = bang ? static_cast<int32_t>(bang - u->key) : u->keyLength;
        const string table = Bytes(u->key, tableLength);
        const string column = bang ? Bytes(bang + 1, u->keyLength - tableLength - 1) : string();
        const string condition = Bytes(u->condition, u->conditionLength);
        string assignment("[");
        assignment.Append(column);
        if (!u->value) {
            assignment.AppendCString("] = NULL");
        } else {
            assignment.AppendCString("] = '");
            AppendDoubled(&assignment, string(u->value), '\'');
            assignment.AppendCString("'");
        }
        Group* group = groups;
        while (group && !(string::CompareNoCase(group->table, table) == 0 &&
                          string::Compare(group->condition, condition) == 0))
            group = group->next;
        if (group) {
            group->assignments.AppendCString(", ");
            group->assignments.Append(assignment);
        } else {
            groups = new Group{{}, groups, table, assignment, condition};
        }
    }
    while (Group* g = groups) {
        groups = g->next;
        string sql("UPDATE [");
        sql.Append(g->table);
        sql.AppendCString("] SET ");
        sql.Append(g->assignments);
        sql.AppendCString(" WHERE ");
        sql.Append(g->condition);
        databaseSQLExecute(database, sql.Record());
        delete g;
    }
}

extern "C" {

// --- DatabaseCursor ---

ObjectHeader* WrapEngineCursor(QUORdbHandle handle, PluginDBCursorRecord* record) {
    if (!handle) return nullptr;
    ObjectHeader* cursor = CreateInstance(GetRecordSetDefinition());
    if (!cursor) return nullptr;
    Cursor(cursor)->handle = handle;
    Cursor(cursor)->record = record;
    cursorMoveNext(cursor);
    Cursor(cursor)->bof = Cursor(cursor)->eof;
    DatabaseShutdownContext::AddCursor(cursor);
    return cursor;
}

QUORdbHandle QUORGetCursorFromQUORdbCursor(ObjectHeader* cursor) {
    return cursor ? Cursor(cursor)->handle : nullptr;
}

void cursorMoveNext(ObjectHeader* self) {
    if (!self) return;
    CursorObject* c = Cursor(self);
    if (!c->handle) return;
    FreeEdits(c);
    c->eof = c->record && c->record->NextRow ? !c->record->NextRow(c->handle) : 1;
    ++c->rowCounter;
}

void CursorMovePrev(ObjectHeader* self) {
    if (!self || !Cursor(self)->handle) return;
    FreeEdits(Cursor(self));
    if (Cursor(self)->record->PreviousRow) Cursor(self)->record->PreviousRow(Cursor(self)->handle);
}

void CursorMoveFirst(ObjectHeader* self) {
    if (!self || !Cursor(self)->handle) return;
    FreeEdits(Cursor(self));
    if (Cursor(self)->record->FirstRow) Cursor(self)->record->FirstRow(Cursor(self)->handle);
}

void CursorMoveLast(ObjectHeader* self) {
    if (!self || !Cursor(self)->handle) return;
    FreeEdits(Cursor(self));
    if (Cursor(self)->record->LastRow) Cursor(self)->record->LastRow(Cursor(self)->handle);
}

int32_t cursorFieldCount(ObjectHeader* self) {
    if (!self || !Cursor(self)->handle || !Cursor(self)->record->ColumnCount) return 0;
    return Cursor(self)->record->ColumnCount(Cursor(self)->handle);
}

ObjectHeader* cursorGetFieldByName(ObjectHeader* self, StringRecord* name) {
    if (!self || !Cursor(self)->handle || !Cursor(self)->record->ColumnCount) return nullptr;
    CursorObject* c = Cursor(self);
    const string wanted(name);
    const int32_t count = c->record->ColumnCount(c->handle);
    for (int32_t i = 0; i < count; ++i)
        if (string::CompareNoCase(ColumnNameOf(c, i), wanted) == 0) return NewField(self, i);
    return nullptr;
}

ObjectHeader* cursorGetFieldByIndex(ObjectHeader* self, int32_t index) {
    if (!self || !Cursor(self)->handle || !Cursor(self)->record->ColumnCount) return nullptr;
    if (index < 1 || index > Cursor(self)->record->ColumnCount(Cursor(self)->handle)) return nullptr;
    return NewField(self, index - 1);
}

void cursorDeleteRecord(ObjectHeader* self) {
    if (!self || !Cursor(self)->handle || Cursor(self)->eof) return;
    if (Cursor(self)->record->DeleteRow) Cursor(self)->record->DeleteRow(Cursor(self)->handle);
}

void cursorEdit(ObjectHeader* self) {
    if (!self || !Cursor(self)->handle) return;
    Cursor(self)->editMode = 1;
    if (Cursor(self)->record->EditRow) Cursor(self)->record->EditRow(Cursor(self)->handle);
}

void cursorUpdate(ObjectHeader* self) {
    if (!self || !Cursor(self)->editMode) return;
    CursorObject* c = Cursor(self);
    if (c->edits && c->handle) {
        if (c->record->UpdateRow) {
            c->record->UpdateRow(c->handle, c->edits);
        } else if (c->database) {
            FieldUpdate* list = nullptr;
            for (PendingEdit* e = c->edits; e; e = e->next) {
                const void* key = nullptr;
                const void* condition = nullptr;
                int32_t keyLength = 0, conditionLength = 0;
                if (!c->record->RowKey ||
                    !c->record->RowKey(c->handle, e->column, &key, &keyLength, &condition, &conditionLength))
                    continue;
                if (keyLength < 0 || conditionLength < 0) continue;
                auto* u = static_cast<FieldUpdate*>(GuardedNew(sizeof(FieldUpdate)));
                StringRecord::AddReference(e->value);
                *u = FieldUpdate{list, CopyBytes(key, keyLength), keyLength,
                                 CopyBytes(condition, conditionLength), conditionLength, e->value};
                list = u;
            }
            if (list) ApplyFieldUpdates(c->database, list);
            FreeFieldUpdates(list);
        }
    }
    c->editMode = 0;
}

void cursorClose(ObjectHeader* self) {
    if (!self) return;
    CursorObject* c = Cursor(self);
    FreeEdits(c);
    if (c->handle) {
        DatabaseShutdownContext::RemoveCursor(self);
        const QUORdbHandle handle = c->handle;
        c->handle = nullptr;
        if (c->record && c->record->Close) c->record->Close(handle);
        StringRecord::Release(c->statement);
        c->statement = nullptr;
    }
    if (ObjectHeader* database = c->database) {
        c->database = nullptr;
        RuntimeUnlockObject(database);
    }
}

void databaseCursorDestructor(ObjectHeader* self) { cursorClose(self); }

int32_t RecordSetRecordCount(ObjectHeader* self) {
    if (!self || !Cursor(self)->handle || !Cursor(self)->record || !Cursor(self)->record->RowCount)
        return -1;
    return Cursor(self)->record->RowCount(Cursor(self)->handle);
}

int32_t RecordSetColumnType(ObjectHeader* self, int32_t index) {
    if (!self || index < 0 || !Cursor(self)->handle || !Cursor(self)->record->ColumnType) return -1;
    return Cursor(self)->record->ColumnType(Cursor(self)->handle, index);
}

uint8_t cursorBOFGetter(ObjectHeader* self) { return self ? Cursor(self)->bof : 0; }
uint8_t cursorEOFGetter(ObjectHeader* self) { return self ? Cursor(self)->eof : 0; }

// --- DatabaseCursorField ---

void databaseCursorFieldDestructor(ObjectHeader* self) {
    if (ObjectHeader* cursor = AsField(self)->cursor) {
        AsField(self)->cursor = nullptr;
        RuntimeUnlockObject(cursor);
    }
}

StringRecord* cursorFieldNameGetter(ObjectHeader* self) {
    if (!self || !AsField(self)->cursor) return nullptr;
    CursorObject* c = Cursor(AsField(self)->cursor);
    return ColumnNameOf(c, AsField(self)->column).Detach();
}

StringRecord* cursorFieldStringValueGetter(ObjectHeader* self) {
    PendingEdit* edit = nullptr;
    CursorObject* c = ReadableCursor(self, &edit);
    if (!c) return nullptr;
    if (edit) return RetainedRecord(string(edit->value));
    return ReadColumn<string>(c, AsField(self)->column, StringOf).Detach();
}

double cursorFieldDoubleValueGetter(ObjectHeader* self) {
    PendingEdit* edit = nullptr;
    CursorObject* c = ReadableCursor(self, &edit);
    if (!c) return 0.0;
    if (edit) return StringVal(edit->value);
    return ReadColumn<double>(c, AsField(self)->column, DoubleOf);
}

int32_t cursorFieldIntegerValueGetter(ObjectHeader* self) {
    return DBTruncatedInteger(cursorFieldDoubleValueGetter(self));
}

StringRecord* cursorFieldNativeValueGetter(ObjectHeader* self) {
    if (!self || !AsField(self)->cursor) return nullptr;
    CursorObject* c = Cursor(AsField(self)->cursor);
    if (!Readable(c)) return nullptr;
    return ReadColumn<string>(c, AsField(self)->column, [](const ColumnValue& v) {
        return Copy(v.bytes, v.length);
    }).Detach();
}

ObjectHeader* cursorFieldDateValueGetter(ObjectHeader* self) {
    PendingEdit* edit = nullptr;
    CursorObject* c = ReadableCursor(self, &edit);
    if (!c) return nullptr;
    if (edit) return NewDateFromSQLDateTime(string(edit->value));
    return ReadColumn<ObjectHeader*>(c, AsField(self)->column,
                                     [](const ColumnValue& v) { return DateOf(v, 1, 1, 1); });
}

uint8_t CursorFieldBooleanValueGetter(ObjectHeader* self) {
    PendingEdit* edit = nullptr;
    CursorObject* c = ReadableCursor(self, &edit);
    if (!c) return 0;
    if (edit) return EditIsTrue(edit->value);
    return ReadColumn<bool>(c, AsField(self)->column, BooleanOf);
}

ObjectHeader* CursorFieldValueGetter(ObjectHeader* self) {
    PendingEdit* edit = nullptr;
    CursorObject* c = ReadableCursor(self, &edit);
    if (!c) return nullptr;
    if (edit) return stringToVariant(edit->value);
    return ReadColumn<ObjectHeader*>(c, AsField(self)->column, VariantOf);
}

ObjectHeader* cursorFieldMactPictGetter(ObjectHeader*) { return nullptr; }

ObjectHeader* cursorFieldJPEGGetter(ObjectHeader* self) {
    PendingEdit* edit = nullptr;
    CursorObject* c = ReadableCursor(self, &edit);
    if (!c) return nullptr;
    if (edit) return JPEGBytesToPicture(string(edit->value));
    const string bytes = ReadColumn<string>(c, AsField(self)->column, [](const ColumnValue& v) {
        return IsText(v.type) && v.type != kDBTypeText4 ? Copy(v.bytes, v.length) : string();
    });
    return JPEGBytesToPicture(bytes);
}

void databaseCursorFieldSetString(ObjectHeader* self, StringRecord* text) { SetPending(self, string(text)); }

void cursorFieldStringValueSetter(ObjectHeader* self, StringRecord* text) {
    SetPending(self, string(text));
}

void cursorFieldDoubleValueSetter(ObjectHeader* self, double value) {
    SetPending(self, DBDoubleText(value, kWrittenDoubleDigits));
}

void cursorFieldIntegerValueSetter(ObjectHeader* self, int32_t value) {
    SetPending(self, DBIntegerText(value));
}

void cursorFieldDateValueSetter(ObjectHeader* self, ObjectHeader* date) {
    if (!date) return;
    string text;
    DateToSQLDateTime(&text, date);
    SetPending(self, text);
}

void CursorFieldBooleanValueSetter(ObjectHeader* self, uint8_t value) {
    SetPending(self, DBBooleanText(value != 0));
}

void cursorFieldMactPictSetter(ObjectHeader* self, ObjectHeader*) { SetPending(self, string()); }

void cursorFieldJPEGSetter(ObjectHeader* self, ObjectHeader* picture) {
    SetPending(self, picture ? PictureToJPEGBytes(picture) : string());
}

void CursorFieldValueSetter(ObjectHeader* self, ObjectHeader* value) {
    string text;
    switch (VarType(value)) {
        case kVariantNil:
        case kVariantObject:
            break;
        case kVariantInteger: {
            int32_t n = 0;
            ConvertObjectToInt(value, &n);
            text = DBIntegerText(n);
            break;
        }
        case kVariantDouble: {
            double x = 0;
            ConvertObjectToDouble(value, &x);
            text = DBDoubleText(x, kWrittenDoubleDigits);
            break;
        }
        case kVariantDate:
            DateToSQLDateTime(&text, value);
            break;
        case kVariantBoolean: {
            bool b = false;
            ConvertObjectToBoolean(value, &b);
            text = DBBooleanText(b);
            break;
        }
        default: {
            StringRecord* record = nullptr;
            ConvertObjectToString(value, &record);
            text = string::Adopt(record);
            // An empty text would be NULL: one zero byte keeps it a value.
            if (text.IsEmpty()) text.SetBytes("", 1);
            break;
        }
    }
    SetPending(self, text);
}

StringRecord* databaseCursorFieldGetString(ObjectHeader* self) { return cursorFieldStringValueGetter(self); }

ObjectHeader* CursorFieldConvertToDate(ObjectHeader* self) { return cursorFieldDateValueGetter(self); }
StringRecord* CursorFieldConvertToString(ObjectHeader* self) { return cursorFieldStringValueGetter(self); }
int32_t CursorFieldConvertToInteger(ObjectHeader* self) { return cursorFieldIntegerValueGetter(self); }
double CursorFieldConvertToDouble(ObjectHeader* self) { return cursorFieldDoubleValueGetter(self); }
uint8_t CursorFieldConvertToBoolean(ObjectHeader* self) { return CursorFieldBooleanValueGetter(self); }

}  // extern "C"

// --- the classes ---

namespace {

ObjectDefinition sCursor, sRecordSet, sCursorField, sField;

ParameterEntry kNameParameter[] = {{"Name", AsType(&kStringType), 0, 0, 0, 0}};
ParameterEntry kIndexParameter[] = {{"Index", AsType(&kIntegerType), 0, 0, 0, 0}};
ParameterEntry kStringParameter[] = {{"v", AsType(&kStringType), 0, 0, 0, 0}};

#define QV_METHOD(name, result, parameters, count, function) \
    {name, result, parameters, count, Function(function, #function), {}, kMethodPlain, kRowAttr4, 0}

MethodEntry kCursorMethods[] = {
    QV_METHOD("MoveNext", nullptr, nullptr, 0, cursorMoveNext),
    QV_METHOD("Field", AsType(&sField), kNameParameter, 1, cursorGetFieldByName),
    QV_METHOD("IdxField", AsType(&sField), kIndexParameter, 1, cursorGetFieldByIndex),
    QV_METHOD("DeleteRecord", nullptr, nullptr, 0, cursorDeleteRecord),
    QV_METHOD("Edit", nullptr, nullptr, 0, cursorEdit),
    QV_METHOD("Update", nullptr, nullptr, 0, cursorUpdate),
    QV_METHOD("Close", nullptr, nullptr, 0, cursorClose),
    QV_METHOD("MovePrevious", nullptr, nullptr, 0, CursorMovePrev),
    QV_METHOD("MoveFirst", nullptr, nullptr, 0, CursorMoveFirst),
    QV_METHOD("MoveLast", nullptr, nullptr, 0, CursorMoveLast),
    QV_METHOD("RecordCount", AsType(&kIntegerType), nullptr, 0, RecordSetRecordCount),
    QV_METHOD("ColumnType", AsType(&kIntegerType), kIndexParameter, 1, RecordSetColumnType),
};

PropertyEntry kCursorProperties[] = {
    {kRowAttr4, "BOF", AsType(&kBooleanType), RowFunction(cursorBOFGetter), "cursorBOFGetter",
     nullptr, nullptr, 0, 0},
    {kRowAttr4, "EOF", AsType(&kBooleanType), RowFunction(cursorEOFGetter), "cursorEOFGetter",
     nullptr, nullptr, 0, 0},
    {kRowAttr4, "FieldCount", AsType(&kIntegerType), RowFunction(cursorFieldCount),
     "cursorFieldCount", nullptr, nullptr, 0, 0},
};

#define QV_PROPERTY(flags, name, type, getter, setter)                                     \
    {flags, name, type, RowFunction(getter), #getter, RowFunction(setter), #setter, 0, 0}

// The Date, Picture and Variant types are set when the definition is built.
PropertyEntry kFieldProperties[] = {
    {kRowAttr4, "Name", AsType(&kStringType), RowFunction(cursorFieldNameGetter),
     "cursorFieldNameGetter", nullptr, nullptr, 0, 0},
    QV_PROPERTY(kRowAttr4, "StringValue", AsType(&kStringType), cursorFieldStringValueGetter,
                cursorFieldStringValueSetter),
    QV_PROPERTY(kRowAttr4, "DoubleValue", AsType(&kDoubleType), cursorFieldDoubleValueGetter,
                cursorFieldDoubleValueSetter),
    QV_PROPERTY(kRowAttr4, "IntegerValue", AsType(&kIntegerType), cursorFieldIntegerValueGetter,
                cursorFieldIntegerValueSetter),
    {kRowAttr4, "NativeValue", AsType(&kStringType), RowFunction(cursorFieldNativeValueGetter),
     "cursorFieldNativeValueGetter", nullptr, nullptr, 0, 0},
    QV_PROPERTY(kRowAttr4, "DateValue", nullptr, cursorFieldDateValueGetter, cursorFieldDateValueSetter),
    QV_PROPERTY(0, "MacPictValue", nullptr, cursorFieldMactPictGetter, cursorFieldMactPictSetter),
    QV_PROPERTY(0, "JPEGValue", nullptr, cursorFieldJPEGGetter, cursorFieldJPEGSetter),
    QV_PROPERTY(kRowAttr4, "BooleanValue", AsType(&kBooleanType), CursorFieldBooleanValueGetter,
                CursorFieldBooleanValueSetter),
    QV_PROPERTY(kRowAttr4, "Value", nullptr, CursorFieldValueGetter, CursorFieldValueSetter),
};

#undef QV_PROPERTY

MethodEntry kFieldMethods[] = {
    QV_METHOD("getString", AsType(&kStringType), nullptr, 0, databaseCursorFieldGetString),
    QV_METHOD("setString", nullptr, kStringParameter, 1, databaseCursorFieldSetString),
    QV_METHOD("Operator_Convert", nullptr, nullptr, 0, CursorFieldConvertToDate),
    QV_METHOD("Operator_Convert", AsType(&kStringType), nullptr, 0, CursorFieldConvertToString),
    QV_METHOD("Operator_Convert", AsType(&kIntegerType), nullptr, 0, CursorFieldConvertToInteger),
    QV_METHOD("Operator_Convert", AsType(&kDoubleType), nullptr, 0, CursorFieldConvertToDouble),
    QV_METHOD("Operator_Convert", AsType(&kBooleanType), nullptr, 0, CursorFieldConvertToBoolean),
};

#undef QV_METHOD

const DefinitionFunction kFieldInterfaces[] = {StringProviderInterface};

const ClassRows kCursorRows = {
    .className = "DatabaseCursor",
    .superclass = nullptr,
    .objectSize = sizeof(CursorObject),
    .finalizer = Function(databaseCursorDestructor, "databaseCursorDestructor"),
    .properties = kCursorProperties,
    .methods = kCursorMethods,
};

const ClassRows kRecordSetRows = {
    .className = "RecordSet",
    .superclass = GetDatabaseCursorDefinition,
    .objectSize = sizeof(CursorObject),
};

const ClassRows kCursorFieldRows = {
    .className = "DatabaseCursorField",
    .superclass = nullptr,
    .objectSize = sizeof(FieldObject),
    .finalizer = Function(databaseCursorFieldDestructor, "databaseCursorFieldDestructor"),
    .properties = kFieldProperties,
    .methods = kFieldMethods,
    .interfaces = kFieldInterfaces,
};

const ClassRows kFieldRows = {
    .className = "DatabaseField",
    .superclass = GetDatabaseCursorFieldDefinition,
    .objectSize = sizeof(FieldObject),
};

}  // namespace

ObjectDefinition* GetDatabaseCursorDefinition() {
    if (sCursor.className.IsEmpty()) {
        const TypeDescriptor* field = GetDatabaseFieldDefinition()->AsType();
        for (MethodEntry& row : kCursorMethods)
            if (row.returnType == AsType(&sField)) row.returnType = field;
    }
    return FillClassDefinition(sCursor, kCursorRows);
}

ObjectDefinition* GetRecordSetDefinition() { return FillClassDefinition(sRecordSet, kRecordSetRows); }

ObjectDefinition* GetDatabaseCursorFieldDefinition() {
    if (sCursorField.className.IsEmpty()) {
        const TypeDescriptor* date = GetDateDefinition()->AsType();
        const TypeDescriptor* picture = GetPictureDefinition()->AsType();
        const TypeDescriptor* variant = GetVariantDefinition()->AsType();
        for (PropertyEntry& row : kFieldProperties) {
            if (row.getter == RowFunction(cursorFieldDateValueGetter)) row.type = date;
            if (row.getter == RowFunction(cursorFieldMactPictGetter) ||
                row.getter == RowFunction(cursorFieldJPEGGetter))
                row.type = picture;
            if (row.getter == RowFunction(CursorFieldValueGetter)) row.type = variant;
        }
        kFieldMethods[2].returnType = date;
    }
    return FillClassDefinition(sCursorField, kCursorFieldRows);
}

ObjectDefinition* GetDatabaseFieldDefinition() { return FillClassDefinition(sField, kFieldRows); }
