// The language class RegistryItem over one open RegistryKey, and the application's registry item.
#pragma once

#include <cstdint>

#include "Registry.h"
#include "core/ClassDefinition.h"
#include "core/ObjectModel.h"

// Fixed by the class definition.
struct RegistryItemObject {
    ObjectHeader header;
    RegistryKey* mRegItem;  // owned; null when the key could not be opened
};

ObjectDefinition* GetRegistryItemDefinition();

// The path of the application's item: "HKEY_LOCAL_MACHINE\Software\Made With Quorvane\" and the
// application name of the module path (the running module's when the path is empty).
string DefaultApplicationRegistryPath(const string& modulePath);

extern "C" {
void RegistryItemPathCtor(ObjectHeader* self, StringRecord* path, bool create);
void RegistryItemCopyCtor(ObjectHeader* self, ObjectHeader* source);
void RegistryItemDestructor(ObjectHeader* self);
ObjectHeader* RegistryParentGetter(ObjectHeader* self, int32_t parameter);
int32_t RegistryItemKeyCountGetter(ObjectHeader* self, int32_t parameter);
int32_t RegistryItemFolderCountGetter(ObjectHeader* self, int32_t parameter);
StringRecord* RegistryItemPathGetter(ObjectHeader* self, int32_t parameter);
ObjectHeader* RegistryItemAddFolder(ObjectHeader* self, StringRecord* name);
void RegistryItemDelete(ObjectHeader* self, StringRecord* name);
ObjectHeader* RegistryItemChild(ObjectHeader* self, StringRecord* name);
ObjectHeader* RegistryItemItem(ObjectHeader* self, int32_t index);
StringRecord* RegistryItemNameGetter(ObjectHeader* self, int32_t index);
int32_t RegistryItemKeyTypeGetter(ObjectHeader* self, int32_t index);
// Values as Variants: text (REG_EXPAND_SZ expanded, REG_MULTI_SZ as its text) as a String,
// REG_DWORD as an Integer, anything else or a missing value nil.
ObjectHeader* RegistryItemValueGetter(ObjectHeader* self, StringRecord* name);
void RegistryItemValueSetter(ObjectHeader* self, StringRecord* name, ObjectHeader* value);
ObjectHeader* RegistryItemNumValueGetter(ObjectHeader* self, int32_t index);
void RegistryItemNumValueSetter(ObjectHeader* self, int32_t index, ObjectHeader* value);
// The default value: only text and integers read; the others are nil.
ObjectHeader* RegistryItemDefaultValueGetter(ObjectHeader* self);
void RegistryItemDefaultValueSetter(ObjectHeader* self, ObjectHeader* value);
ObjectHeader* RuntimeGetDefaultApplicationRegistryItem();
ObjectHeader* GetIDERegistryKey();
}
