#include "Permissions.h"

#include "core/DefinitionConversion.h"
#include "core/IntrinsicRegistry.h"
#include "graphics/MediaClasses.h"
#include "graphics/PictureClass.h"
#include "core/IntrinsicTypes.h"
#include "windows/MouseCursor.h"

namespace {

PermissionsObject* Fields(ObjectHeader* self) { return reinterpret_cast<PermissionsObject*>(self); }

#define QV_BIT(name, bit)                                                                        \
    {0, name, AsType(&kBooleanType), RowFunction(PermissionsGetter), "PermissionsGetter",       \
     RowFunction(PermissionsSetter), "PermissionsSetter", bit, 0}

PropertyEntry kPermissionsProperties[] = {
    QV_BIT("StickyBit", 0x200),    QV_BIT("GidBit", 0x400),        QV_BIT("UidBit", 0x800),
    QV_BIT("OwnerExecute", 0x40),  QV_BIT("OwnerWrite", 0x80),     QV_BIT("OwnerRead", 0x100),
    QV_BIT("GroupExecute", 0x8),   QV_BIT("GroupWrite", 0x10),     QV_BIT("GroupRead", 0x20),
    QV_BIT("OthersExecute", 0x1),  QV_BIT("OthersWrite", 0x2),     QV_BIT("OthersRead", 0x4),
};

#undef QV_BIT

ParameterEntry kPermsParameter[] = {{"perms", AsType(&kIntegerType), 0, 0, 0, 0}};

MethodEntry kPermissionsMethods[] = {
    {"Constructor", nullptr, kPermsParameter, 1, Function(PermissionsCtor, "PermissionsCtor"), {},
     kMethodPlain, 0, 0},
};

const ClassRows kPermissionsRows = {
    .className = "Permissions",
    .superclass = nullptr,
    .objectSize = sizeof(PermissionsObject),
    .initializer = Function(PermissionsInitializer, "PermissionsInitializer"),
    .properties = kPermissionsProperties,
    .methods = kPermissionsMethods,
};

PropertyEntry kResourceForkProperties[] = {
    {0, "TypeCount", AsType(&kIntegerType), RowFunction(resourceForkTypeCount),
     "resourceForkTypeCount", nullptr, nullptr, 0, 0},
};

ParameterEntry String(const char* name) { return {name, AsType(&kStringType), 0, 0, 0, 0}; }
ParameterEntry Integer(const char* name) { return {name, AsType(&kIntegerType), 0, 0, 0, 0}; }

ParameterEntry kIndex[] = {Integer("Index")};
ParameterEntry kTypeAndID[] = {String("ResourceType"), Integer("ID")};
ParameterEntry kTypeAndName[] = {String("ResourceType"), String("Name")};
ParameterEntry kTypeOnly[] = {String("Str")};
ParameterEntry kTypeAndIndex[] = {String("ResourceType"), Integer("Index")};
ParameterEntry kAddResource[] = {String("data"), String("ResourceType"), Integer("ID"), String("Name")};
// The Picture type is filled in when the definition is built.
ParameterEntry kAddPicture[] = {{"data", nullptr, 0, 0, 0, 0}, Integer("ID"), String("Name")};
ParameterEntry kName[] = {String("Str")};
ParameterEntry kHandle[] = {Integer("handle")};

#define QV_METHOD(name, result, parameters, function)                                         \
    {name, result, parameters, static_cast<int32_t>(sizeof parameters / sizeof parameters[0]),  \
     Function(function, #function), {}, kMethodPlain, 0, 0}
#define QV_ATTRIBUTE(name, getter, setter)                                                     \
    {name, AsType(&kBooleanType), kTypeAndID, 2, Function(getter, #getter),                    \
     Function(setter, #setter), kMethodAssigns, 0, 0}

// The result types Picture, MouseCursor and Sound are filled in when the definition is built.
MethodEntry kResourceForkMethods[] = {
    {"Close", nullptr, nullptr, 0, Function(resourceForkClose, "resourceForkClose"), {}, kMethodPlain, 0, 0},
    QV_METHOD("ResourceType", AsType(&kStringType), kIndex, resourceForkResourceType),
    QV_METHOD("GetResource", AsType(&kStringType), kTypeAndID, resourceForkGetResource),
    QV_METHOD("GetNamedResource", AsType(&kStringType), kTypeAndName, resourceForkGetNamedResource),
    QV_METHOD("ResourceCount", AsType(&kIntegerType), kTypeOnly, resourceForkResourceCount),
    QV_METHOD("ResourceID", AsType(&kIntegerType), kTypeAndIndex, resourceForkResourceID),
    QV_METHOD("ResourceName", AsType(&kStringType), kTypeAndID, resourceForkResourceName),
    QV_METHOD("AddResource", nullptr, kAddResource, resourceForkAddResource),
    QV_METHOD("RemoveResource", nullptr, kTypeAndID, resourceForkRemoveResource),
    QV_METHOD("AddPicture", nullptr, kAddPicture, resourceForkAddPicture),
    QV_METHOD("GetPicture", nullptr, kIndex, resourceForkGetPicture),
    QV_METHOD("GetNamedPicture", nullptr, kName, resourceForkGetNamedPicture),
    QV_METHOD("Getcicn", nullptr, kIndex, resourceForkGetCicn),
    QV_METHOD("Geticl", nullptr, kIndex, resourceForkGetIcl),
    QV_METHOD("Getics", nullptr, kIndex, resourceForkGetIcs),
    QV_METHOD("getCursor", nullptr, kIndex, resourceForkGetCursor),
    QV_METHOD("GetSound", nullptr, kIndex, resourceForkGetSound),
    QV_METHOD("GetHandle", AsType(&kIntegerType), kTypeAndID, resourceForkGetHandle),
    QV_METHOD("ReleaseHandle", nullptr, kHandle, resourceForkReleaseHandle),
    QV_ATTRIBUTE("ResourceLocked", resourceForkGetLocked, resourceForkSetLocked),
    QV_ATTRIBUTE("ResourceProtected", resourceForkGetProtected, resourceForkSetProtected),
    QV_ATTRIBUTE("ResourcePreload", resourceForkGetPreload, resourceForkSetPreload),
    QV_ATTRIBUTE("ResourcePurgeable", resourceForkGetPurgeable, resourceForkSetPurgeable),
    QV_ATTRIBUTE("ResourceSysHeap", resourceForkGetSysHeap, resourceForkSetSysHeap),
};

#undef QV_ATTRIBUTE
#undef QV_METHOD

const ClassRows kResourceForkRows = {
    .className = "ResourceFork",
    .superclass = nullptr,
    .objectSize = kObjectHeaderSize,
    .finalizer = Function(ResourceForkDestructor, "ResourceForkDestructor"),
    .properties = kResourceForkProperties,
    .methods = kResourceForkMethods,
};

// The resource attribute bits of the five attribute members.
constexpr int32_t kLockedAttribute = 16;
constexpr int32_t kProtectedAttribute = 8;
constexpr int32_t kPreloadAttribute = 4;
constexpr int32_t kPurgeableAttribute = 32;
constexpr int32_t kSysHeapAttribute = 64;

}  // namespace

ObjectDefinition* GetPermissionsDefinition() {
    static ObjectDefinition definition;
    return FillClassDefinition(definition, kPermissionsRows);
}

ObjectDefinition* GetResourceForkDefinition() {
    static ObjectDefinition definition;
    if (definition.className.IsEmpty()) {
        const TypeDescriptor* picture = GetPictureDefinition()->AsType();
        kAddPicture[0].parameterType = picture;
        for (MethodEntry& row : kResourceForkMethods) {
            const void* f = row.function.toc;
            if (f == RowFunction(resourceForkGetPicture) || f == RowFunction(resourceForkGetNamedPicture) ||
                f == RowFunction(resourceForkGetCicn) || f == RowFunction(resourceForkGetIcl) ||
                f == RowFunction(resourceForkGetIcs))
                row.returnType = picture;
            else if (f == RowFunction(resourceForkGetCursor))
                row.returnType = MouseCursor()->AsType();
            else if (f == RowFunction(resourceForkGetSound))
                row.returnType = GetSoundDefinition()->AsType();
        }
    }
    return FillClassDefinition(definition, kResourceForkRows);
}

void RegisterPermissionsClass() { RegisterIntrinsicClass(GetPermissionsDefinition()); }

void RegisterResourceForkClass() { RegisterIntrinsicClass(GetResourceForkDefinition()); }

extern "C" {

void PermissionsInitializer(ObjectHeader* self) { Fields(self)->mode = 0; }

bool PermissionsGetter(ObjectHeader* self, int32_t bit) {
    return self && (Fields(self)->mode & bit) == bit;
}

void PermissionsSetter(ObjectHeader* self, int32_t bit, bool value) {
    if (!self) return;
    if (value)
        Fields(self)->mode |= bit;
    else
        Fields(self)->mode &= ~bit;
}

void PermissionsCtor(ObjectHeader* self, int32_t perms) {
    if (self) Fields(self)->mode = perms;
}

void ResourceForkDestructor(ObjectHeader* self) { resourceForkClose(self); }
int32_t resourceForkTypeCount(ObjectHeader*, int32_t) { return 0; }
void resourceForkClose(ObjectHeader*) {}
StringRecord* resourceForkResourceType(ObjectHeader*, int32_t) { return nullptr; }
StringRecord* resourceForkGetResource(ObjectHeader*, StringRecord*, int32_t) { return nullptr; }
StringRecord* resourceForkGetNamedResource(ObjectHeader*, StringRecord*, StringRecord*) { return nullptr; }
int32_t resourceForkResourceCount(ObjectHeader*, StringRecord*) { return 0; }
int32_t resourceForkResourceID(ObjectHeader*, StringRecord*, int32_t) { return 0; }
StringRecord* resourceForkResourceName(ObjectHeader*, StringRecord*, int32_t) { return nullptr; }
void resourceForkAddResource(ObjectHeader*, StringRecord*, StringRecord*, int32_t, StringRecord*) {}
void resourceForkRemoveResource(ObjectHeader*, StringRecord*, int32_t) {}
void resourceForkAddPicture(ObjectHeader*, ObjectHeader*, int32_t, StringRecord*) {}
ObjectHeader* resourceForkGetPicture(ObjectHeader*, int32_t) { return nullptr; }
ObjectHeader* resourceForkGetNamedPicture(ObjectHeader*, StringRecord*) { return nullptr; }
ObjectHeader* resourceForkGetCicn(ObjectHeader*, int32_t) { return nullptr; }
ObjectHeader* resourceForkGetIcl(ObjectHeader*, int32_t) { return nullptr; }
ObjectHeader* resourceForkGetIcs(ObjectHeader*, int32_t) { return nullptr; }
ObjectHeader* resourceForkGetCursor(ObjectHeader*, int32_t) { return nullptr; }
ObjectHeader* resourceForkGetSound(ObjectHeader*, int32_t) { return nullptr; }
int32_t resourceForkGetHandle(ObjectHeader*, StringRecord*, int32_t) { return 0; }
void resourceForkReleaseHandle(ObjectHeader*, int32_t) {}
bool resourceForkGetAttribute(ObjectHeader*, StringRecord*, int32_t, int32_t) { return false; }
void resourceForkSetAttribute(ObjectHeader*, StringRecord*, int32_t, int32_t, bool) {}

bool resourceForkGetLocked(ObjectHeader* self, StringRecord* type, int32_t id) {
    return resourceForkGetAttribute(self, type, id, kLockedAttribute);
}
void resourceForkSetLocked(ObjectHeader* self, StringRecord* type, int32_t id, bool value) {
    resourceForkSetAttribute(self, type, id, kLockedAttribute, value);
}
bool resourceForkGetProtected(ObjectHeader* self, StringRecord* type, int32_t id) {
    return resourceForkGetAttribute(self, type, id, kProtectedAttribute);
}
void resourceForkSetProtected(ObjectHeader* self, StringRecord* type, int32_t id, bool value) {
    resourceForkSetAttribute(self, type, id, kProtectedAttribute, value);
}
bool resourceForkGetPreload(ObjectHeader* self, StringRecord* type, int32_t id) {
    return resourceForkGetAttribute(self, type, id, kPreloadAttribute);
}
void resourceForkSetPreload(ObjectHeader* self, StringRecord* type, int32_t id, bool value) {
    resourceForkSetAttribute(self, type, id, kPreloadAttribute, value);
}
bool resourceForkGetPurgeable(ObjectHeader* self, StringRecord* type, int32_t id) {
    return resourceForkGetAttribute(self, type, id, kPurgeableAttribute);
}
void resourceForkSetPurgeable(ObjectHeader* self, StringRecord* type, int32_t id, bool value) {
    resourceForkSetAttribute(self, type, id, kPurgeableAttribute, value);
}
bool resourceForkGetSysHeap(ObjectHeader* self, StringRecord* type, int32_t id) {
    return resourceForkGetAttribute(self, type, id, kSysHeapAttribute);
}
void resourceForkSetSysHeap(ObjectHeader* self, StringRecord* type, int32_t id, bool value) {
    resourceForkSetAttribute(self, type, id, kSysHeapAttribute, value);
}

ObjectHeader* appResourceForkGetter(ObjectHeader*, int32_t) {
    return CreateInstance(GetResourceForkDefinition());
}

}  // extern "C"
