// The built-in database class QUORDatabaseOldFormat, the functions that make or open a built-in
// database file at a FolderItem, and the "quordb" database resources of the application.
#include <windows.h>

#include <cstddef>

#include "BuiltinDatabaseClass.h"
#include "BuiltinEngine.h"
#include "DataFileStorage.h"
#include "DatabaseObjects.h"
#include "DatabaseShutdownContext.h"
#include "core/DefinitionConversion.h"
#include "files/FolderItem.h"
#include "files/FolderItemImp.h"
#include "core/IntrinsicTypes.h"

namespace {

struct BuiltinDatabaseObject {
    DatabaseObject database;
    ObjectHeader* databaseFile;  // a FolderItem, held
};
static_assert(offsetof(BuiltinDatabaseObject, databaseFile) == sizeof(DatabaseObject),
              "DatabaseFile follows the Database fields");

BuiltinDatabaseObject* Fields(ObjectHeader* self) { return reinterpret_cast<BuiltinDatabaseObject*>(self); }

// The item's whole path: no length limit on the way to the file layer.
bool ItemPath(ObjectHeader* item, string& path) {
    FolderItemImp* imp = item ? FolderItemImpOf(item) : nullptr;
    if (!imp) return false;
    path = imp->GetAbsolutePath();
    return !path.IsEmpty();
}

ObjectHeader* OpenAtPath(const string& path) { return WrapEngineStore(OpenDatabaseFile(path)); }

// The executable's full path, read with a buffer grown until it fits.
std::string ExecutablePath() {
    std::string buffer(MAX_PATH, '\0');
    for (;;) {
        const DWORD length = GetModuleFileNameA(nullptr, buffer.data(), DWORD(buffer.size()));
        if (length == 0) return {};
        if (length < buffer.size()) {
            buffer.resize(length);
            return buffer;
        }
        if (buffer.size() > 0x100000) return {};
        buffer.resize(buffer.size() * 2);
    }
}

// Takes the engine handle of a Database just made over; the made object is released.
uint8_t TakeOver(ObjectHeader* self, ObjectHeader* made) {
    if (!made) return 0;
    DatabaseObject* source = AsDatabase(made);
    if (!source->handle) {
        RuntimeUnlockObject(made);
        return 0;
    }
    DatabaseObject* target = &Fields(self)->database;
    if (target->handle) {
        // The old connection ends as Close ends it: its cursors, then the engine (which commits),
        // so its file is neither leaked nor left open.
        DatabaseShutdownContext::CloseCursorsOf(self);
        const QUORdbHandle old = target->handle;
        target->handle = nullptr;
        if (target->engine && target->engine->CloseDatabase) target->engine->CloseDatabase(old);
    }
    target->handle = source->handle;
    target->engine = BuiltinEngineRecord();
    target->connected = source->connected;
    DatabaseShutdownContext::RemoveDatabase(made);
    DatabaseShutdownContext::RemoveDatabase(self);
    DatabaseShutdownContext::AddDatabase(self);
    source->handle = nullptr;
    source->engine = nullptr;
    RuntimeUnlockObject(made);
    return 1;
}

uint8_t ConnectWith(ObjectHeader* self, ObjectHeader* (*open)(ObjectHeader*)) {
    if (!self) return 0;
    if (!Fields(self)->databaseFile) {
        QUORDatabaseSetError(self, 1, "A Database file was not specified");
        return 0;
    }
    return TakeOver(self, open(Fields(self)->databaseFile));
}

}  // namespace

ObjectHeader* OpenDatabaseReference(const void* data, uint32_t length) {
    const char* bytes = static_cast<const char*>(data);
    if (!bytes || length == 0 || bytes[0] != 'Z') return nullptr;
    const std::string_view rest(bytes + 1, length - 1);
    const size_t first = rest.find('\x01');
    const std::string_view field1 = rest.substr(0, first);
    std::string_view field2;
    if (first != std::string_view::npos) field2 = rest.substr(first + 1).substr(0, rest.substr(first + 1).find('\x01'));
    std::string relative;
    if (!field2.empty()) {
        relative.assign(field2);
        for (char& c : relative)
            if (c == ':') c = '\\';
    } else {
        const size_t separator = field1.find_last_of(":\\");
        relative.assign(separator != std::string_view::npos && separator > 0 ? field1.substr(separator + 1)
                                                                            : field1);
    }
    std::string path = ExecutablePath();
    const size_t folder = path.find_last_of('\\');
    path.resize(folder == std::string::npos ? 0 : folder + 1);
    path += relative;
    string runtimePath;
    runtimePath.SetBytes(path.data(), int32_t(path.size()));
    return OpenAtPath(runtimePath);
}

extern "C" {

ObjectHeader* newQUORDatabase(ObjectHeader* item) {
    string path;
    if (!ItemPath(item, path)) return nullptr;
    return WrapEngineStore(CreateDatabaseFile(path));
}

ObjectHeader* openQUORDatabase(ObjectHeader* item) {
    string path;
    if (!ItemPath(item, path)) return nullptr;
    return OpenAtPath(path);
}

void QUORDatabaseConstructor(ObjectHeader* self) {
    Fields(self)->database.engine = BuiltinEngineRecord();
    Fields(self)->database.handle = nullptr;
}

// CloseDatabase frees the whole engine handle, its error text included.
void QUORDatabaseDestructor(ObjectHeader* self) {
    DatabaseObject* d = &Fields(self)->database;
    if (d->handle) {
        const QUORdbHandle handle = d->handle;
        d->handle = nullptr;
        BuiltinEngineRecord()->CloseDatabase(handle);
    }
    RuntimeUnlockObject(Fields(self)->databaseFile);
    Fields(self)->databaseFile = nullptr;
}

ObjectHeader* QUORDatabaseFolderItemGetter(ObjectHeader* self, int32_t) {
    if (!self) return nullptr;
    ObjectHeader* item = Fields(self)->databaseFile;
    if (item) RuntimeLockObject(item);
    return item;
}

void QUORDatabaseFolderItemSetter(ObjectHeader* self, int32_t, ObjectHeader* item) {
    if (!self) return;
    if (item) RuntimeLockObject(item);
    ObjectHeader* old = Fields(self)->databaseFile;
    Fields(self)->databaseFile = item;
    if (old) RuntimeUnlockObject(old);
}

uint8_t QUORDatabaseConnect(ObjectHeader* self) { return ConnectWith(self, openQUORDatabase); }

uint8_t QUORDatabaseCreateDatabaseFile(ObjectHeader* self) {
    return ConnectWith(self, newQUORDatabase);
}

}  // extern "C"

namespace {

ObjectDefinition sBuiltinDatabase;

#define QV_METHOD(name, function) \
    {name, AsType(&kBooleanType), nullptr, 0, Function(function, #function), {}, kMethodPlain, kRowAttr4, 0}

MethodEntry kBuiltinDatabaseMethods[] = {
    QV_METHOD("Connect", QUORDatabaseConnect),
    QV_METHOD("CreateDatabaseFile", QUORDatabaseCreateDatabaseFile),
};

#undef QV_METHOD

// The FolderItem type is set when the definition is built.
PropertyEntry kBuiltinDatabaseProperties[] = {
    {kRowAttr4, "DatabaseFile", nullptr, RowFunction(QUORDatabaseFolderItemGetter),
     "QUORDatabaseFolderItemGetter", RowFunction(QUORDatabaseFolderItemSetter),
     "QUORDatabaseFolderItemSetter", 0, 0},
};

const ClassRows kBuiltinDatabaseRows = {
    .className = "QUORDatabaseOldFormat",
    .superclass = GetDatabaseDefinition,
    .objectSize = sizeof(BuiltinDatabaseObject),
    .initializer = Function(QUORDatabaseConstructor, "QUORDatabaseConstructor"),
    .finalizer = Function(QUORDatabaseDestructor, "QUORDatabaseDestructor"),
    .properties = kBuiltinDatabaseProperties,
    .methods = kBuiltinDatabaseMethods,
};

}  // namespace

ObjectDefinition* GetQUORDatabaseOldFormatDefinition() {
    if (sBuiltinDatabase.className.IsEmpty()) kBuiltinDatabaseProperties[0].type = GetFolderItemDefinition()->AsType();
    return FillClassDefinition(sBuiltinDatabase, kBuiltinDatabaseRows);
}
