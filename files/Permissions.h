// The language classes Permissions, a value holding file-mode bits (owner, group and others, and
// the three special bits) with one Boolean property per bit, and ResourceFork, whose members on
// this platform, which has no resource forks, answer empty values and do nothing.
#pragma once

#include <cstdint>

#include "core/ClassDefinition.h"
#include "core/ObjectModel.h"

struct PermissionsObject {
    ObjectHeader header;
    int32_t mode;
};

ObjectDefinition* GetPermissionsDefinition();
ObjectDefinition* GetResourceForkDefinition();
void RegisterPermissionsClass();
void RegisterResourceForkClass();

extern "C" {
void PermissionsInitializer(ObjectHeader* self);
// The row's parameter is the property's bit.
bool PermissionsGetter(ObjectHeader* self, int32_t bit);
void PermissionsSetter(ObjectHeader* self, int32_t bit, bool value);
// Stores the mode as given, bits above the special ones included.
void PermissionsCtor(ObjectHeader* self, int32_t perms);

void ResourceForkDestructor(ObjectHeader* self);
int32_t resourceForkTypeCount(ObjectHeader* self, int32_t parameter);
void resourceForkClose(ObjectHeader* self);
StringRecord* resourceForkResourceType(ObjectHeader* self, int32_t index);
StringRecord* resourceForkGetResource(ObjectHeader* self, StringRecord* type, int32_t id);
StringRecord* resourceForkGetNamedResource(ObjectHeader* self, StringRecord* type, StringRecord* name);
int32_t resourceForkResourceCount(ObjectHeader* self, StringRecord* type);
int32_t resourceForkResourceID(ObjectHeader* self, StringRecord* type, int32_t index);
StringRecord* resourceForkResourceName(ObjectHeader* self, StringRecord* type, int32_t id);
void resourceForkAddResource(ObjectHeader* self, StringRecord* data, StringRecord* type, int32_t id,
                             StringRecord* name);
void resourceForkRemoveResource(ObjectHeader* self, StringRecord* type, int32_t id);
void resourceForkAddPicture(ObjectHeader* self, ObjectHeader* picture, int32_t id, StringRecord* name);
ObjectHeader* resourceForkGetPicture(ObjectHeader* self, int32_t index);
ObjectHeader* resourceForkGetNamedPicture(ObjectHeader* self, StringRecord* name);
ObjectHeader* resourceForkGetCicn(ObjectHeader* self, int32_t index);
ObjectHeader* resourceForkGetIcl(ObjectHeader* self, int32_t index);
ObjectHeader* resourceForkGetIcs(ObjectHeader* self, int32_t index);
ObjectHeader* resourceForkGetCursor(ObjectHeader* self, int32_t index);
ObjectHeader* resourceForkGetSound(ObjectHeader* self, int32_t index);
int32_t resourceForkGetHandle(ObjectHeader* self, StringRecord* type, int32_t id);
void resourceForkReleaseHandle(ObjectHeader* self, int32_t handle);
// The five attribute members hand their attribute bit to these; nothing is kept.
bool resourceForkGetAttribute(ObjectHeader* self, StringRecord* type, int32_t id, int32_t bit);
void resourceForkSetAttribute(ObjectHeader* self, StringRecord* type, int32_t id, int32_t bit, bool value);
bool resourceForkGetLocked(ObjectHeader* self, StringRecord* type, int32_t id);
void resourceForkSetLocked(ObjectHeader* self, StringRecord* type, int32_t id, bool value);
bool resourceForkGetProtected(ObjectHeader* self, StringRecord* type, int32_t id);
void resourceForkSetProtected(ObjectHeader* self, StringRecord* type, int32_t id, bool value);
bool resourceForkGetPreload(ObjectHeader* self, StringRecord* type, int32_t id);
void resourceForkSetPreload(ObjectHeader* self, StringRecord* type, int32_t id, bool value);
bool resourceForkGetPurgeable(ObjectHeader* self, StringRecord* type, int32_t id);
void resourceForkSetPurgeable(ObjectHeader* self, StringRecord* type, int32_t id, bool value);
bool resourceForkGetSysHeap(ObjectHeader* self, StringRecord* type, int32_t id);
void resourceForkSetSysHeap(ObjectHeader* self, StringRecord* type, int32_t id, bool value);
// The Application's ResourceFork property: a new empty ResourceFork each time it is read.
ObjectHeader* appResourceForkGetter(ObjectHeader* application, int32_t parameter);
}
