#include "RegistryAccessors.h"

#include <windows.h>

#include <string_view>

#include "RegistryPath.h"
#include "core/DefinitionConversion.h"
#include "core/Exceptions.h"
#include "core/FailureReport.h"
#include "core/EncodingConversion.h"
#include "values/MemoryBlock.h"
#include "values/Variant.h"
#include "core/IntrinsicTypes.h"

namespace {

constexpr const char* kSource = "RegistryAccessors";

RegistryItemObject* Fields(ObjectHeader* self) {
    return reinterpret_cast<RegistryItemObject*>(self);
}

// The item's key. A nil item raises NilObjectException; an item without a key (the application's
// item or the IDE key when the key could not be opened, or a copy of one) raises
// RegistryAccessErrorException rather than reach the registry through no key.
RegistryKey* KeyOf(ObjectHeader* self) {
    if (!self) {
        RaiseNilObjectException();
        return nullptr;
    }
    RegistryKey* key = Fields(self)->mRegItem;
    if (!key) RaiseExceptionDefinition(RegistryAccessErrorException());
    return key;
}

// A new object of the receiver's own class, without a constructor run, owning the key; a null
// key raises RegistryAccessErrorException.
ObjectHeader* NewRegistryItemLike(ObjectHeader* self, RegistryKey* key) {
    if (!key) {
        RaiseExceptionDefinition(RegistryAccessErrorException());
        return nullptr;
    }
    if (!self) {
        ReportAssertion(kSource, 33, "entry");
        delete key;
        return nullptr;
    }
    ObjectHeader* item = RuntimeNewObject(RuntimeClassOf(self));
    if (!item) {
        delete key;
        return nullptr;
    }
    Fields(item)->mRegItem = key;
    return item;
}

// An index at or past the count, or negative, raises OutOfBoundsException.
bool InRange(int32_t index, int32_t count) {
    if (static_cast<uint32_t>(index) < static_cast<uint32_t>(count)) return true;
    RaiseOutOfBoundsException();
    return false;
}

// The bytes of a binary value as a new MemoryBlock; nil when it cannot be made.
ObjectHeader* ReadBlock(RegistryKey* key, const string& name) {
    uint32_t size = 0;
    void* bytes = key->GetBinaryValue(name, &size);
    ObjectHeader* block = newMemoryBlock(static_cast<int32_t>(size));
    if (block && size > 0) {
        string text;
        text.SetBytes(bytes, static_cast<int32_t>(size));
        memorySetString(block, 0, static_cast<int32_t>(size), text.Record());
    }
    GuardedDelete(bytes);
    return block;
}

// A value of the key as a Variant by its kind: text, an integer, or binary bytes as a MemoryBlock
// (nil when the block cannot be made); a missing value or one of another kind is nil.
ObjectHeader* ReadVariant(RegistryKey* key, const string& name, bool textAndIntegerOnly) {
    const int32_t kind = key->GetValueKind(name);
    if (kind == kRegistryText || (kind == kRegistryMultiText && !textAndIntegerOnly))
        return stringToVariant(key->GetTextValue(name, true).Record());
    if (kind == kRegistryInteger) return intToVariant(key->GetIntegerValue(name));
    if (kind == kRegistryBinary && !textAndIntegerOnly) return ReadBlock(key, name);
    return nullptr;
}

// Writes the value by its Variant kind: Integer, UInteger, Boolean (1 or 0) and Color as an
// integer, Double, Date and String as their text, a MemoryBlock (unless textAndIntegerOnly) as
// binary bytes. Other objects and nil write nothing. A failed write raises
// RegistryAccessErrorException.
void WriteVariant(RegistryKey* key, const string& name, ObjectHeader* value,
                  bool textAndIntegerOnly) {
    bool written = true;
    switch (VarType(value)) {
        case kVariantInteger:
        case kVariantColor:
            written = key->SetIntegerValue(name, reinterpret_cast<BoxedInteger*>(value)->value);
            break;
        case kVariantBoolean:
            written = key->SetIntegerValue(name, reinterpret_cast<BoxedBoolean*>(value)->value ? 1 : 0);
            break;
        case kVariantDouble:
        case kVariantDate:
        case kVariantString:
            written = key->SetTextValue(name, string::Adopt(variantToString(value)), false);
            break;
        default:
            if (!textAndIntegerOnly && IsMemoryBlock(value)) {
                const MemoryBlockObject* block = MemoryBlockFields(value);
                const uint32_t size = block->sizeKnown && block->size > 0 ? block->size : 0;
                written = key->SetBinaryValue(name, block->data, size);
            }
            break;
    }
    if (!written) RaiseExceptionDefinition(RegistryAccessErrorException());
}

ObjectDefinition sDefinition;

PropertyEntry kRegistryItemProperties[] = {
    {kRowAttr4, "Parent", AsType(&sDefinition), RowFunction(RegistryParentGetter),
     "RegistryParentGetter", nullptr, nullptr, 0, 0},
    {kRowAttr4, "KeyCount", AsType(&kIntegerType), RowFunction(RegistryItemKeyCountGetter),
     "RegistryItemKeyCountGetter", nullptr, nullptr, 0, 0},
    {kRowAttr4, "FolderCount", AsType(&kIntegerType), RowFunction(RegistryItemFolderCountGetter),
     "RegistryItemFolderCountGetter", nullptr, nullptr, 0, 0},
    {kRowAttr4, "Path", AsType(&kStringType), RowFunction(RegistryItemPathGetter),
     "RegistryItemPathGetter", nullptr, nullptr, 0, 0},
};

ParameterEntry kPathCtorParameters[] = {{"Path", AsType(&kStringType), 0, 0, 0, 0},
                                        {"Create", AsType(&kBooleanType), 0, 1, 1, 0}};
ParameterEntry kCopyCtorParameters[] = {{"Source", AsType(&sDefinition), 0, 0, 0, 0}};
ParameterEntry kNameParameter[] = {{"Name", AsType(&kStringType), 0, 0, 0, 0}};
ParameterEntry kIndexParameter[] = {{"Index", AsType(&kIntegerType), 0, 0, 0, 0}};
// The Variant parameter types are set when the definition is built.
ParameterEntry kNameValueParameters[] = {{"Name", AsType(&kStringType), 0, 0, 0, 0},
                                         {"Value", nullptr, 0, 0, 0, 0}};
ParameterEntry kIndexValueParameters[] = {{"Index", AsType(&kIntegerType), 0, 0, 0, 0},
                                          {"Value", nullptr, 0, 0, 0, 0}};
ParameterEntry kValueParameter[] = {{"Value", nullptr, 0, 0, 0, 0}};

#define QV_METHOD(name, result, parameters, count, function) \
    {name, result, parameters, count, Function(function, #function), {}, kMethodPlain, kRowAttr4, 0}
#define QV_ASSIGNS(name, parameters, count, function) \
    {name, nullptr, parameters, count, Function(function, #function), {}, kMethodAssigns, kRowAttr4, 0}

MethodEntry kRegistryItemMethods[] = {
    QV_METHOD("Constructor", nullptr, kPathCtorParameters, 2, RegistryItemPathCtor),
    QV_METHOD("Constructor", nullptr, kCopyCtorParameters, 1, RegistryItemCopyCtor),
    QV_METHOD("AddFolder", AsType(&sDefinition), kNameParameter, 1, RegistryItemAddFolder),
    QV_METHOD("Delete", nullptr, kNameParameter, 1, RegistryItemDelete),
    QV_METHOD("Child", AsType(&sDefinition), kNameParameter, 1, RegistryItemChild),
    QV_METHOD("Item", AsType(&sDefinition), kIndexParameter, 1, RegistryItemItem),
    QV_METHOD("Name", AsType(&kStringType), kIndexParameter, 1, RegistryItemNameGetter),
    QV_METHOD("KeyType", AsType(&kIntegerType), kIndexParameter, 1, RegistryItemKeyTypeGetter),
    QV_METHOD("Value", nullptr, kNameParameter, 1, RegistryItemValueGetter),
    QV_ASSIGNS("Value", kNameValueParameters, 2, RegistryItemValueSetter),
    QV_METHOD("Value", nullptr, kIndexParameter, 1, RegistryItemNumValueGetter),
    QV_ASSIGNS("Value", kIndexValueParameters, 2, RegistryItemNumValueSetter),
    QV_METHOD("DefaultValue", nullptr, nullptr, 0, RegistryItemDefaultValueGetter),
    QV_ASSIGNS("DefaultValue", kValueParameter, 1, RegistryItemDefaultValueSetter),
};

#undef QV_ASSIGNS
#undef QV_METHOD

const void* const kVariantResults[] = {
    reinterpret_cast<const void*>(RegistryItemValueGetter),
    reinterpret_cast<const void*>(RegistryItemNumValueGetter),
    reinterpret_cast<const void*>(RegistryItemDefaultValueGetter)};

const ClassRows kRegistryItemRows = {
    .className = "RegistryItem",
    .superclass = nullptr,
    .objectSize = sizeof(RegistryItemObject),
    .finalizer = Function(RegistryItemDestructor, "RegistryItemDestructor"),
    .properties = kRegistryItemProperties,
    .methods = kRegistryItemMethods,
};

// The full file name of the running module.
string ModulePath() {
    char name[1024] = {};
    const DWORD length = GetModuleFileNameA(GetModuleHandleA(nullptr), name, sizeof name);
    string path;
    path.SetBytes(name, static_cast<int32_t>(length < sizeof name ? length : 0));
    path.SetEncoding(SystemTextEncoding());
    return path;
}

}  // namespace

ObjectDefinition* GetRegistryItemDefinition() {
    if (sDefinition.className.IsEmpty()) {
        const TypeDescriptor* variant = GetVariantDefinition()->AsType();
        for (ParameterEntry* p : {&kNameValueParameters[1], &kIndexValueParameters[1], &kValueParameter[0]})
            p->parameterType = variant;
        for (MethodEntry& row : kRegistryItemMethods)
            for (const void* getter : kVariantResults)
                if (row.function.toc == getter) row.returnType = variant;
    }
    return FillClassDefinition(sDefinition, kRegistryItemRows);
}

string DefaultApplicationRegistryPath(const string& modulePath) {
    const string module = modulePath.IsEmpty() ? ModulePath() : modulePath;
    const std::string_view name =
        ApplicationNameOfModule(std::string_view(module.CString(), module.Length()));
    string application;
    application.SetBytes(name.data(), static_cast<int32_t>(name.size()));
    application.SetEncoding(module.Encoding());
    return StringConcat(string("HKEY_LOCAL_MACHINE\\Software\\Made With Quorvane\\"), application);
}

extern "C" {

void RegistryItemPathCtor(ObjectHeader* self, StringRecord* path, bool create) {
    RegistryKey* key = new RegistryKey;
    if (!key || !key->Open(string(path), create)) {
        delete key;
        RaiseExceptionDefinition(RegistryAccessErrorException());
        return;
    }
    delete Fields(self)->mRegItem;
    Fields(self)->mRegItem = key;
}

// The copy opens a handle of its own; a source without a key gives a copy without one.
void RegistryItemCopyCtor(ObjectHeader* self, ObjectHeader* source) {
    if (!self || !source) {
        RaiseNilObjectException();
        return;
    }
    const RegistryKey* from = Fields(source)->mRegItem;
    if (!from) return;
    RegistryKey* key = new RegistryKey(*from);
    if (!key) {
        RaiseExceptionDefinition(OutOfMemoryException());
        return;
    }
    Fields(self)->mRegItem = key;
}

void RegistryItemDestructor(ObjectHeader* self) {
    delete Fields(self)->mRegItem;
    Fields(self)->mRegItem = nullptr;
}

ObjectHeader* RegistryParentGetter(ObjectHeader* self, int32_t) {
    RegistryKey* key = KeyOf(self);
    return key ? NewRegistryItemLike(self, key->OpenParent()) : nullptr;
}

int32_t RegistryItemKeyCountGetter(ObjectHeader* self, int32_t) {
    RegistryKey* key = KeyOf(self);
    return key ? key->ValueCount() : 0;
}

int32_t RegistryItemFolderCountGetter(ObjectHeader* self, int32_t) {
    RegistryKey* key = KeyOf(self);
    return key ? key->SubKeyCount() : 0;
}

StringRecord* RegistryItemPathGetter(ObjectHeader* self, int32_t) {
    RegistryKey* key = KeyOf(self);
    return key ? key->GetPath().Detach() : nullptr;
}

ObjectHeader* RegistryItemAddFolder(ObjectHeader* self, StringRecord* name) {
    RegistryKey* key = KeyOf(self);
    return key ? NewRegistryItemLike(self, key->CreateChild(string(name))) : nullptr;
}

// A value of the name goes first; only without one is a sub-key of the name deleted.
void RegistryItemDelete(ObjectHeader* self, StringRecord* name) {
    RegistryKey* key = KeyOf(self);
    if (key && !key->DeleteValue(string(name))) key->DeleteSubKey(string(name));
}

ObjectHeader* RegistryItemChild(ObjectHeader* self, StringRecord* name) {
    RegistryKey* key = KeyOf(self);
    return key ? NewRegistryItemLike(self, key->OpenChild(string(name))) : nullptr;
}

ObjectHeader* RegistryItemItem(ObjectHeader* self, int32_t index) {
    RegistryKey* key = KeyOf(self);
    if (!key || !InRange(index, key->SubKeyCount())) return nullptr;
    return NewRegistryItemLike(self, key->OpenChildAt(index));
}

StringRecord* RegistryItemNameGetter(ObjectHeader* self, int32_t index) {
    RegistryKey* key = KeyOf(self);
    return key ? key->ValueNameAt(index).Detach() : nullptr;
}

int32_t RegistryItemKeyTypeGetter(ObjectHeader* self, int32_t index) {
    if (!self) {
        ReportAssertion(kSource, 541, "obj");
        return kRegistryUnknown;
    }
    if (!Fields(self)->mRegItem) {
        ReportAssertion(kSource, 542, "obj->mRegItem");
        return kRegistryUnknown;
    }
    return Fields(self)->mRegItem->GetValueKindAt(index);
}

ObjectHeader* RegistryItemValueGetter(ObjectHeader* self, StringRecord* name) {
    if (!self) {
        ReportAssertion(kSource, 168, "obj");
        return nullptr;
    }
    if (!Fields(self)->mRegItem) {
        ReportAssertion(kSource, 169, "obj->mRegItem");
        return nullptr;
    }
    return ReadVariant(Fields(self)->mRegItem, string(name), false);
}

void RegistryItemValueSetter(ObjectHeader* self, StringRecord* name, ObjectHeader* value) {
    if (RegistryKey* key = KeyOf(self)) WriteVariant(key, string(name), value, false);
}

ObjectHeader* RegistryItemNumValueGetter(ObjectHeader* self, int32_t index) {
    RegistryKey* key = KeyOf(self);
    if (!key || !InRange(index, key->ValueCount())) return nullptr;
    return ReadVariant(key, key->ValueNameAt(index), false);
}

void RegistryItemNumValueSetter(ObjectHeader* self, int32_t index, ObjectHeader* value) {
    RegistryKey* key = KeyOf(self);
    if (key && InRange(index, key->ValueCount())) WriteVariant(key, key->ValueNameAt(index), value, false);
}

ObjectHeader* RegistryItemDefaultValueGetter(ObjectHeader* self) {
    RegistryKey* key = KeyOf(self);
    return key ? ReadVariant(key, string(), true) : nullptr;
}

void RegistryItemDefaultValueSetter(ObjectHeader* self, ObjectHeader* value) {
    if (RegistryKey* key = KeyOf(self)) WriteVariant(key, string(), value, true);
}

// Returned in every case; when the key cannot be opened or made, RegistryAccessErrorException
// is pending and the item has no key.
ObjectHeader* RuntimeGetDefaultApplicationRegistryItem() {
    ObjectHeader* item = CreateInstance(GetRegistryItemDefinition());
    if (!item) return nullptr;
    const string path = DefaultApplicationRegistryPath(string());
    RegistryItemPathCtor(item, path.Record(), true);
    return item;
}

ObjectHeader* GetIDERegistryKey() {
    ObjectHeader* item = CreateInstance(GetRegistryItemDefinition());
    if (item) Fields(item)->mRegItem = OpenIDERegistryKey();
    return item;
}

}  // extern "C"
