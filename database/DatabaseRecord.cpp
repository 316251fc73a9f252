// DatabaseRecord, the named and typed column values an application inserts with InsertRecord,
// and ScrollableCursor, the rows of a cursor copied into a temporary record store so that they
// can be counted and fetched by number.
#include "DatabaseObjects.h"
#include "DatabaseValueText.h"
#include "JPEGPictures.h"
#include "TemporaryRecordStore.h"
#include "controls/BindingInterfaces.h"
#include "core/ByteUtilities.h"
#include "core/DefinitionConversion.h"
#include "files/DataFile.h"
#include "graphics/PictureClass.h"
#include "host/EventLoop.h"
#include "core/IntrinsicTypes.h"
#include "values/Date.h"
#include "values/NumberText.h"

namespace {

DatabaseRecordObject* Record(ObjectHeader* self) { return reinterpret_cast<DatabaseRecordObject*>(self); }
ScrollableCursorObject* Scrollable(ObjectHeader* self) {
    return reinterpret_cast<ScrollableCursorObject*>(self);
}

RecordColumnNode* NewColumn(RecordColumnNode* next, StringRecord* name, const string& value, int32_t type) {
    auto* node = static_cast<RecordColumnNode*>(GuardedNew(sizeof(RecordColumnNode)));
    StringRecord::AddReference(name);
    *node = RecordColumnNode{next, name, RetainedRecord(value), type};
    return node;
}

// The value text of the first column of that name, ignoring case; empty when there is none.
string ColumnText(ObjectHeader* self, StringRecord* name) {
    if (!self) return string();
    const string wanted(name);
    for (RecordColumnNode* c = Record(self)->columns; c; c = c->next)
        if (string::CompareNoCase(string(c->name), wanted) == 0) return string(c->value);
    return string();
}

// One text of a stored row: its length, its encoding tag, its bytes.
bool WriteText(DataFile* file, const string& text) {
    return file->WriteVarInt(text.Length()) && file->WriteVarInt(static_cast<int32_t>(
                                                   text.IsEmpty() ? kEncodingASCII : text.Encoding())) &&
           (text.Length() == 0 || file->Write(text.CString(), text.Length()));
}

bool ReadText(DataFile* file, string* text) {
    int32_t length = 0, encoding = 0, count = 0;
    if (!file->ReadVarInt(length) || !file->ReadVarInt(encoding) || length < 0) return false;
    if (length == 0) {
        *text = string();
        return true;
    }
    char* bytes = text->AllocateBytes(length);
    if (!bytes || !file->Read(bytes, length, &count) || count != length) return false;
    text->SetEncoding(static_cast<uint32_t>(encoding));
    return true;
}

}  // namespace

void FreeRecordColumns(RecordColumnNode* head) {
    while (RecordColumnNode* node = head) {
        head = node->next;
        StringRecord::Release(node->name);
        StringRecord::Release(node->value);
        GuardedDelete(node);
    }
}

void SetRecordColumn(ObjectHeader* self, StringRecord* name, const string& value, int32_t type) {
    if (!self) return;
    const string wanted(name);
    for (RecordColumnNode* c = Record(self)->columns; c; c = c->next) {
        if (string::CompareNoCase(string(c->name), wanted) != 0) continue;
        StringRecord::Release(c->value);
        c->value = RetainedRecord(value);
        return;
    }
    Record(self)->columns = NewColumn(Record(self)->columns, name, value, type);
}

void AppendRecordColumn(ObjectHeader* self, const string& value) {
    RecordColumnNode** tail = &Record(self)->columns;
    while (*tail) tail = &(*tail)->next;
    *tail = NewColumn(nullptr, nullptr, value, kDBTypeText);
}

extern "C" {

// --- DatabaseRecord ---

void databaseRecordDestructor(ObjectHeader* self) {
    FreeRecordColumns(Record(self)->columns);
    Record(self)->columns = nullptr;
}

StringRecord* getDatabaseRecordColumn(ObjectHeader* self, StringRecord* name) {
    return ColumnText(self, name).Detach();
}
void setDatabaseRecordColumn(ObjectHeader* self, StringRecord* name, StringRecord* value) {
    SetRecordColumn(self, name, string(value), kDBTypeText);
}

double getDatabaseRecordDoubleColumn(ObjectHeader* self, StringRecord* name) {
    return StringVal(ColumnText(self, name).Record());
}
void setDatabaseRecordDoubleColumn(ObjectHeader* self, StringRecord* name, double value) {
    SetRecordColumn(self, name, DBDoubleText(value, kWrittenDoubleDigits), kDBTypeDouble);
}

int32_t getDatabaseRecordIntegerColumn(ObjectHeader* self, StringRecord* name) {
    return CStringToInteger(ColumnText(self, name).CString());
}
void setDatabaseRecordIntegerColumn(ObjectHeader* self, StringRecord* name, int32_t value) {
    SetRecordColumn(self, name, DBIntegerText(value), kDBTypeLong);
}

ObjectHeader* getDatabaseRecordDateColumn(ObjectHeader* self, StringRecord* name) {
    const string text = ColumnText(self, name);
    return text.IsEmpty() ? nullptr : NewDateFromSQLDateTime(text);
}
void setDatabaseRecordDateColumn(ObjectHeader* self, StringRecord* name, ObjectHeader* date) {
    if (!date) return;
    string text;
    DateToSQLDateTime(&text, date);
    SetRecordColumn(self, name, text, kDBTypeDate);
}

ObjectHeader* getDatabaseRecordMacPictColumn(ObjectHeader*, StringRecord*) { return nullptr; }
void setDatabaseRecordMacPictColumn(ObjectHeader* self, StringRecord* name, ObjectHeader* picture) {
    if (picture) SetRecordColumn(self, name, string(), kDBTypeText);
}

ObjectHeader* getDatabaseRecordJPEGColumn(ObjectHeader* self, StringRecord* name) {
    return JPEGBytesToPicture(ColumnText(self, name));
}
void setDatabaseRecordJPEGColumn(ObjectHeader* self, StringRecord* name, ObjectHeader* picture) {
    if (picture) SetRecordColumn(self, name, PictureToJPEGBytes(picture), kDBTypeText);
}

StringRecord* GetDatabaseRecordBlobColumn(ObjectHeader* self, StringRecord* name) {
    return ColumnText(self, name).Detach();
}
void SetDatabaseRecordBlobColumn(ObjectHeader* self, StringRecord* name, StringRecord* value) {
    SetRecordColumn(self, name, string(value), kDBTypeBinary);
}

uint8_t GetDatabaseRecordBooleanColumn(ObjectHeader* self, StringRecord* name) {
    return string::CompareNoCase(ColumnText(self, name), string("true")) == 0;
}
void SetDatabaseRecordBooleanColumn(ObjectHeader* self, StringRecord* name, uint8_t value) {
    SetRecordColumn(self, name, DBBooleanText(value != 0), kDBTypeBoolean);
}

int32_t getDatabaseRecordFieldCount(ObjectHeader* self) {
    int32_t count = 0;
    for (RecordColumnNode* c = self ? Record(self)->columns : nullptr; c; c = c->next) ++count;
    return count;
}

StringRecord* getDatabaseRecordIndString(ObjectHeader* self, int32_t v) {
    int32_t i = 1;
    for (RecordColumnNode* c = self ? Record(self)->columns : nullptr; c; c = c->next, ++i)
        if (i == v) return RetainedRecord(string(c->value));
    return nullptr;
}

// --- ScrollableCursor ---

void scrollableCursorConstructor(ObjectHeader* self, ObjectHeader* cursor) {
    ScrollableCursorObject* s = Scrollable(self);
    if (!cursor || s->store) return;
    s->columnCount = cursorFieldCount(cursor);
    s->store = TemporaryRecordStore::Create();
    while (!AsCursor(cursor)->eof && AsCursor(cursor)->handle) {
        DataFile* file = s->store ? s->store->AppendRecord() : nullptr;
        for (int32_t i = 1; i <= s->columnCount; ++i) {
            ObjectHeader* field = cursorGetFieldByIndex(cursor, i);
            const string text = string::Adopt(cursorFieldStringValueGetter(field));
            RuntimeUnlockObject(field);
            if (file) WriteText(file, text);
        }
        cursorMoveNext(cursor);
        RuntimeBackgroundTask();
    }
}

void scrollableCursorDestructor(ObjectHeader* self) {
    delete Scrollable(self)->store;
    Scrollable(self)->store = nullptr;
}

int32_t scrollableCursorGetCount(ObjectHeader* self) {
    return self && Scrollable(self)->store ? Scrollable(self)->store->Count() : 0;
}

ObjectHeader* scrollableCursorGetRow(ObjectHeader* self, int32_t v) {
    if (!self || !Scrollable(self)->store) return nullptr;
    DataFile* file = Scrollable(self)->store->GetRecord(v - 1);
    if (!file) return nullptr;
    ObjectHeader* record = CreateInstance(GetDatabaseRecordDefinition());
    if (!record) return nullptr;
    for (int32_t i = 0; i < Scrollable(self)->columnCount; ++i) {
        string text;
        if (!ReadText(file, &text)) break;
        AppendRecordColumn(record, text);
    }
    return record;
}

}  // extern "C"

// --- the classes ---

namespace {

ObjectDefinition sRecord, sScrollable;

ParameterEntry kNameParameter[] = {{"Name", AsType(&kStringType), 0, 0, 0, 0}};
// The second parameter's type is the value's; the Date and Picture ones are set when the
// definition is built.
ParameterEntry kStringValue[] = {{"Name", AsType(&kStringType), 0, 0, 0, 0}, {"v", AsType(&kStringType), 0, 0, 0, 0}};
ParameterEntry kDoubleValue[] = {{"Name", AsType(&kStringType), 0, 0, 0, 0}, {"v", AsType(&kDoubleType), 0, 0, 0, 0}};
ParameterEntry kIntegerValue[] = {{"Name", AsType(&kStringType), 0, 0, 0, 0}, {"v", AsType(&kIntegerType), 0, 0, 0, 0}};
ParameterEntry kBooleanValue[] = {{"Name", AsType(&kStringType), 0, 0, 0, 0}, {"v", AsType(&kBooleanType), 0, 0, 0, 0}};
ParameterEntry kDateValue[] = {{"Name", AsType(&kStringType), 0, 0, 0, 0}, {"v", nullptr, 0, 0, 0, 0}};
ParameterEntry kPictureValue[] = {{"Name", AsType(&kStringType), 0, 0, 0, 0}, {"v", nullptr, 0, 0, 0, 0}};
ParameterEntry kIndexParameter[] = {{"v", AsType(&kIntegerType), 0, 0, 0, 0}};
ParameterEntry kCursorParameter[] = {{"cursor", nullptr, 0, 0, 0, 0}};

#define QV_METHOD(flags, name, result, parameters, count, function) \
    {name, result, parameters, count, Function(function, #function), {}, kMethodPlain, flags, 0}
#define QV_ASSIGNS(flags, name, parameters, function) \
    {name, nullptr, parameters, 2, Function(function, #function), {}, kMethodAssigns, flags, 0}
#define QV_COLUMN(flags, name, type, values, getter, setter) \
    QV_METHOD(flags, name, type, kNameParameter, 1, getter), QV_ASSIGNS(flags, name, values, setter)

MethodEntry kRecordMethods[] = {
    QV_COLUMN(kRowAttr4, "Column", AsType(&kStringType), kStringValue, getDatabaseRecordColumn,
              setDatabaseRecordColumn),
    QV_COLUMN(kRowAttr4, "DoubleColumn", AsType(&kDoubleType), kDoubleValue,
              getDatabaseRecordDoubleColumn, setDatabaseRecordDoubleColumn),
    QV_COLUMN(kRowAttr4, "IntegerColumn", AsType(&kIntegerType), kIntegerValue,
              getDatabaseRecordIntegerColumn, setDatabaseRecordIntegerColumn),
    QV_COLUMN(kRowAttr4, "DateColumn", nullptr, kDateValue, getDatabaseRecordDateColumn,
              setDatabaseRecordDateColumn),
    QV_COLUMN(0, "MacPictColumn", nullptr, kPictureValue, getDatabaseRecordMacPictColumn,
              setDatabaseRecordMacPictColumn),
    QV_COLUMN(0, "JPEGColumn", nullptr, kPictureValue, getDatabaseRecordJPEGColumn,
              setDatabaseRecordJPEGColumn),
    QV_COLUMN(kRowAttr4, "BlobColumn", AsType(&kStringType), kStringValue,
              GetDatabaseRecordBlobColumn, SetDatabaseRecordBlobColumn),
    QV_COLUMN(kRowAttr4, "BooleanColumn", AsType(&kBooleanType), kBooleanValue,
              GetDatabaseRecordBooleanColumn, SetDatabaseRecordBooleanColumn),
    QV_METHOD(kRowAttr4, "FieldCount", AsType(&kIntegerType), nullptr, 0, getDatabaseRecordFieldCount),
    QV_METHOD(kRowAttr4, "getIndString", AsType(&kStringType), kIndexParameter, 1,
              getDatabaseRecordIndString),
};

// The tupleInterface result is set when the definition is built.
MethodEntry kScrollableMethods[] = {
    QV_METHOD(kRowAttr4, "Constructor", nullptr, kCursorParameter, 1, scrollableCursorConstructor),
    QV_METHOD(kRowAttr4, "GetCount", AsType(&kIntegerType), nullptr, 0, scrollableCursorGetCount),
    QV_METHOD(kRowAttr4, "GetRow", nullptr, kIndexParameter, 1, scrollableCursorGetRow),
};

#undef QV_COLUMN
#undef QV_ASSIGNS
#undef QV_METHOD

const DefinitionFunction kRecordInterfaces[] = {TupleInterface};
const DefinitionFunction kScrollableInterfaces[] = {ListDataProviderInterface};

const ClassRows kRecordRows = {
    .className = "DatabaseRecord",
    .superclass = nullptr,
    .objectSize = sizeof(DatabaseRecordObject),
    .finalizer = Function(databaseRecordDestructor, "databaseRecordDestructor"),
    .methods = kRecordMethods,
    .interfaces = kRecordInterfaces,
};

const ClassRows kScrollableRows = {
    .className = "ScrollableCursor",
    .superclass = nullptr,
    .objectSize = sizeof(ScrollableCursorObject),
    .finalizer = Function(scrollableCursorDestructor, "scrollableCursorDestructor"),
    .methods = kScrollableMethods,
    .interfaces = kScrollableInterfaces,
};

}  // namespace

ObjectDefinition* GetDatabaseRecordDefinition() {
    if (sRecord.className.IsEmpty()) {
        const TypeDescriptor* date = GetDateDefinition()->AsType();
        const TypeDescriptor* picture = GetPictureDefinition()->AsType();
        kDateValue[1].parameterType = date;
        kPictureValue[1].parameterType = picture;
        for (MethodEntry& row : kRecordMethods) {
            if (row.function.toc == RowFunction(getDatabaseRecordDateColumn)) row.returnType = date;
            if (row.function.toc == RowFunction(getDatabaseRecordMacPictColumn) ||
                row.function.toc == RowFunction(getDatabaseRecordJPEGColumn))
                row.returnType = picture;
        }
    }
    return FillClassDefinition(sRecord, kRecordRows);
}

ObjectDefinition* GetScrollableCursorDefinition() {
    if (sScrollable.className.IsEmpty()) {
        kCursorParameter[0].parameterType = GetRecordSetDefinition()->AsType();
        kScrollableMethods[2].returnType = TupleInterface()->AsType();
    }
    return FillClassDefinition(sScrollable, kScrollableRows);
}
