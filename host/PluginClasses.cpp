#include "host/PluginClasses.h"

#include <cstring>

#include "core/FailureReport.h"
#include "core/IntrinsicRegistry.h"
#include "core/StringMap.h"
#include "core/IntrinsicTypes.h"
#include "host/PluginDeclaration.h"
#include "core/PropertyAccessors.h"

namespace {

constexpr const char* kSource = "plugin";
constexpr int32_t kClassDataBase = kObjectHeaderSize;  // without a superclass
constexpr int32_t kExtensionDataBase = kObjectHeaderSize;
constexpr uint32_t kPropertyFlag1 = 0x1;

using DataSourceFactory = ObjectHeader* (*)(StringRecord*, ObjectHeader*);

struct PluginDataSource : RuntimeAllocated {
    PluginDataSource* next;
    PluginLibrary* library;
    string name;
    DataSourceFactory factory;
};

PluginClass* sClasses = nullptr;
PluginModule* sModules = nullptr;
PluginClassExtension* sExtensions = nullptr;
PluginGlobalMethod* sGlobalMethods = nullptr;
PluginDataSource* sDataSources = nullptr;

StringMap<PluginClass*>& ClassMap() {
    static StringMap<PluginClass*> map(256);
    return map;
}

StringMap<PluginModule*>& ModuleMap() {
    static StringMap<PluginModule*> map(256);
    return map;
}

bool HasText(const char* text) { return text && text[0]; }

bool LibraryAtLeast(int32_t version) {
    PluginLibrary* library = CurrentPluginLibrary();
    return library && library->sdkVersion >= version;
}

void Debug(const char* first, const string& className, const char* middle, const string& other) {
    string text(first);
    text.Append(className);
    text.AppendCString(middle);
    text.Append(other);
    DebugLog(text.CString(), 10);
}

PluginClass* PluginClassOf(const ObjectDefinition* definition) {
    for (PluginClass* c = sClasses; c; c = c->next)
        if (&c->definition == definition) return c;
    return nullptr;
}

const TypeDescriptor* PropertyType(const char* typeName) {
    const string name(typeName);
    if (const TypeDescriptor* type = PluginTypeDescriptor(name)) return type;
    ObjectDefinition* definition = FindPluginSuperclass(name);
    return definition ? definition->AsType() : nullptr;
}

// The generic accessors of a property type. Single and Double get their own, so that a Double's
// eight bytes are read and written whole.
void GenericAccessors(const TypeDescriptor* type, void** getter, void** setter) {
    const IntrinsicType* intrinsic =
        type->kind == kTypeIntrinsic ? reinterpret_cast<const IntrinsicType*>(type) : nullptr;
    if (type->kind == kTypeClass) {
        *getter = RowFunction(&objGetter);
        *setter = RowFunction(&objSetter);
    } else if (intrinsic == &kStringType) {
        *getter = RowFunction(&stringGetter);
        *setter = RowFunction(&stringSetter);
    } else if (intrinsic == &kBooleanType) {
        *getter = RowFunction(&boolGetter);
        *setter = RowFunction(&boolSetter);
    } else if (intrinsic == &kDoubleType) {
        *getter = RowFunction(&doubleGetter);
        *setter = RowFunction(&doubleSetter);
    } else if (intrinsic == &kSingleType) {
        *getter = RowFunction(&singleGetter);
        *setter = RowFunction(&singleSetter);
    } else {
        *getter = RowFunction(&intGetter);
        *setter = RowFunction(&intSetter);
    }
}

bool IsGeneric(QUORproc function) { return function == QUORnoImplementation; }

void AddPluginProperty(PluginLibrary* library, ObjectDefinition* definition,
                       PluginPropertyRecord* record, int32_t base) {
    const TypeDescriptor* type = PropertyType(record->typeName);
    record->flags |= kPluginPropertyBuilt;
    if (!type) return;
    auto* property = new PropertyDefinition;
    property->userFlags = kUserFlagPlugin | (record->flags & kPluginPropertyFlag1 ? kPropertyFlag1 : 0);
    property->slotKind = kSlotKindPlugin;
    property->pluginData = new PluginPropertyLink{{}, library, definition->className, record};
    property->name = string(record->name);
    property->type = type;
    const bool generic = IsGeneric(record->getter) || IsGeneric(record->setter);
    property->parameter = generic ? base + record->fieldOffset : record->fieldOffset;
    void* genericGetter;
    void* genericSetter;
    GenericAccessors(type, &genericGetter, &genericSetter);
    property->getter = IsGeneric(record->getter) ? genericGetter : reinterpret_cast<void*>(record->getter);
    property->setter = IsGeneric(record->setter) ? genericSetter : reinterpret_cast<void*>(record->setter);
    property->next = definition->properties;
    definition->properties = property;
}

void AddPluginMethod(PluginLibrary* library, ObjectDefinition* definition, PluginMethodRecord* record) {
    if (!library || !definition || !record) {
        ReportAssertion(kSource, __LINE__, "plugin and defn and meth");
        return;
    }
    ParsedDeclaration parsed;
    if (!ParsePluginDeclaration(record->declaration, &parsed)) return;
    auto* method = new MethodDefinition;
    method->name = parsed.name;
    method->returnType = parsed.returnType;
    method->parameters = parsed.parameters;
    method->parameterCount = parsed.parameterCount;
    method->kind = parsed.flags;
    // Both are marked as plug-in functions; -1 as a setter means the method has no assignment form.
    if (record->function) {
        method->function.toc = reinterpret_cast<void*>(record->function);
        method->function.flag = 2;
    }
    if (record->setter && !IsGeneric(record->setter)) {
        method->setter.toc = reinterpret_cast<void*>(record->setter);
        method->setter.flag = 5;
    }
    method->declaration = method->DeclarationText();
    method->returnTypeName = method->ReturnTypeName();
    method->next = definition->methods;
    definition->methods = method;
}

int32_t InheritedEventCount(const ObjectDefinition* definition) {
    int32_t count = 0;
    for (const ObjectDefinition* d = definition->super; d; d = d->super)
        for (const EventDefinition* e = d->hooks; e; e = e->next) ++count;
    return count;
}

void AddPluginEvent(ObjectDefinition* definition, PluginEventRecord* record) {
    ParsedDeclaration parsed;
    if (!ParsePluginDeclaration(record->declaration, &parsed)) return;
    auto* event = new EventDefinition;
    event->name = parsed.name;
    event->parameterText = parsed.parameterText;
    event->returnText = parsed.returnTypeName;
    event->parsedParameters = parsed.parameters;
    event->parsedParameterCount = parsed.parameterCount;
    parsed.parameters = nullptr;
    parsed.parameterCount = 0;
    FreeParsedDeclaration(&parsed);  // the result type of an event is not kept
    if (definition->hooks) {
        EventDefinition* tail = definition->hooks;
        for (EventDefinition* e = definition->hooks; e; e = e->next) {
            if (string::CompareNoCase(e->name, event->name) == 0) {
                string message("Duplicate name found while trying to build class events.  Matched names are: ");
                message.Append(event->name);
                ReportAssertion(kSource, __LINE__, "tail->name != h->name", message.CString());
            }
            tail = e;
        }
        event->index = tail->index + 1;
        tail->next = event;
    } else {
        event->index = InheritedEventCount(definition);
        definition->hooks = event;
    }
    record->eventDefinition = event;
}

void AddMethods(PluginLibrary* library, ObjectDefinition* definition, void* methods, int32_t version,
                int32_t count) {
    if (!methods && count > 0) {
        ReportAssertion(kSource, __LINE__, "methods || methodCount == 0");
        return;
    }
    for (int32_t i = 0; i < count; ++i)
        AddPluginMethod(library, definition, PluginMethodAt(methods, version, i));
}

void AddMembers(PluginLibrary* library, ObjectDefinition* definition, PluginClassRecord* record,
                int32_t base) {
    if (record->properties || record->propertyCount <= 0)
        for (int32_t i = 0; i < record->propertyCount; ++i)
            AddPluginProperty(library, definition, &record->properties[i], base);
    else
        ReportAssertion(kSource, __LINE__, "properties || propertyCount == 0");
    AddMethods(library, definition, record->methods, record->version, record->methodCount);
    if (record->events || record->eventCount <= 0)
        for (int32_t i = 0; i < record->eventCount; ++i) AddPluginEvent(definition, &record->events[i]);
    else
        ReportAssertion(kSource, __LINE__, "events || eventCount == 0");
}

void BuildPluginClassDefinition(PluginClass* pluginClass) {
    PluginClassRecord* record = pluginClass->record;
    ObjectDefinition* definition = &pluginClass->definition;
    pluginClass->building = true;
    ObjectDefinition* super = nullptr;
    if (HasText(record->superclassName)) {
        const string superName(record->superclassName);
        super = FindPluginSuperclass(superName);
        PluginClass* superPlugin = super ? PluginClassOf(super) : nullptr;
        // A class that is its own ancestor gets no superclass rather than an endless build.
        if (superPlugin && superPlugin->building) super = nullptr;
        if (!super) {
            Debug("Couldn't find ", definition->className, " superclass: ", superName);
        } else if (superPlugin && !superPlugin->built) {
            PluginLibrary* current = CurrentPluginLibrary();
            SetCurrentPluginLibrary(superPlugin->library);
            BuildPluginClassDefinition(superPlugin);
            SetCurrentPluginLibrary(current);
        }
    }
    if (super) {
        definition->super = super;
        definition->objectSize = super->objectSize + record->dataSize;
        record->dataOffset = super->objectSize;
    } else {
        definition->objectSize = record->dataSize + kClassDataBase;
        record->dataOffset = kClassDataBase;
    }
    AddMembers(pluginClass->library, definition, record, record->dataOffset);
    if (record->eventInstances || record->eventInstanceCount <= 0) {
        for (int32_t i = 0; i < record->eventInstanceCount; ++i) {
            auto* implementation = new EventImplementation;
            implementation->eventName = string(record->eventInstances[i].eventName);
            implementation->implementation.toc = reinterpret_cast<void*>(record->eventInstances[i].function);
            implementation->next = definition->hookInstances;
            definition->hookInstances = implementation;
        }
    }
    if (HasText(record->interfaces)) {
        const char* field = record->interfaces;
        for (;;) {
            const char* comma = std::strchr(field, ',');
            string name;
            name.SetBytes(field, static_cast<int32_t>(comma ? comma - field : std::strlen(field)));
            name.SetEncoding(kEncodingASCII);
            ObjectDefinition* found = FindPluginSuperclass(name);
            if (found && found->isInterface)
                definition->AddInterface(found);
            else
                Debug("Couldn't find ", definition->className, " interface : ", name);
            if (!comma) break;
            field = comma + 1;
        }
    }
    pluginClass->building = false;
    pluginClass->built = true;
}

}  // namespace

// --- lists and lookups ---

PluginClass* FirstPluginClass() { return sClasses; }
PluginModule* FirstPluginModule() { return sModules; }
PluginClassExtension* FirstPluginClassExtension() { return sExtensions; }
PluginGlobalMethod* FirstPluginGlobalMethod() { return sGlobalMethods; }

// Plug-in controls are not registered yet, so only the classes are searched.
ObjectDefinition* FindPluginClassDefinition(const string& name) {
    PluginClass* found = nullptr;
    return ClassMap().GetEntry(name, found) ? &found->definition : nullptr;
}

ObjectDefinition* FindPluginModuleDefinition(const string& name) {
    PluginModule* found = nullptr;
    return ModuleMap().GetEntry(name, found) ? &found->definition : nullptr;
}

PluginMethodRecord* PluginMethodAt(void* methods, int32_t recordVersion, int32_t index) {
    const int32_t stride = PluginMethodStride(recordVersion);
    return reinterpret_cast<PluginMethodRecord*>(static_cast<char*>(methods) + index * stride);
}

void BuildPendingPluginClasses(PluginClass* stop) {
    // A class already built is left alone: building it again would add its members twice.
    for (PluginClass* c = sClasses; c && c != stop; c = c->next)
        if (!c->built) c->record->dataOffset = 0;
    for (PluginClass* c = sClasses; c && c != stop; c = c->next) {
        if (c->built || c->record->dataOffset != 0) continue;
        if (CurrentPluginLibrary()) ReportAssertion(kSource, __LINE__, "!loadingPlugin");
        SetCurrentPluginLibrary(c->library);
        BuildPluginClassDefinition(c);
        SetCurrentPluginLibrary(nullptr);
    }
}

ObjectHeader* CreateRegisteredDataSource(const string& name, StringRecord* text, ObjectHeader* object) {
    for (PluginDataSource* source = sDataSources; source; source = source->next)
        if (string::CompareNoCase(source->name, name) == 0) return source->factory(text, object);
    return nullptr;
}

extern "C" {

void RegisterPluginVersion(int32_t version) {
    if (PluginLibrary* library = CurrentPluginLibrary()) library->sdkVersion = version;
}

void RegisterPluginExportsTable(const PluginExportEntry* table) {
    if (PluginLibrary* library = CurrentPluginLibrary()) library->exports = table;
}

void PluginMarkSocketUsage() {
    if (PluginLibrary* library = CurrentPluginLibrary()) library->usesSockets = true;
}

void PluginRegisterClass(PluginClassRecord* record) {
    if (!record || !LibraryAtLeast(3) || !HasText(record->name)) return;
    if (pluginObjectType(record->name)) return;
    auto* pluginClass = new PluginClass;
    pluginClass->record = record;
    pluginClass->library = CurrentPluginLibrary();
    ObjectDefinition& definition = pluginClass->definition;
    definition.className = string(record->name);
    definition.staticMembers = 0;  // the definition owns its members' parameter arrays
    definition.initializer.toc = reinterpret_cast<void*>(record->constructor);
    definition.finalizer.toc = reinterpret_cast<void*>(record->destructor);
    pluginClass->next = sClasses;
    sClasses = pluginClass;
    ClassMap().SetEntry(definition.className, pluginClass);
}

void PluginRegisterInterface(PluginInterfaceRecord* record) {
    if (!record || !LibraryAtLeast(4)) return;
    auto* classRecord = static_cast<PluginClassRecord*>(GuardedNew(sizeof(PluginClassRecord)));
    std::memset(classRecord, 0, sizeof *classRecord);
    classRecord->version = record->version;
    classRecord->name = record->name;
    classRecord->methods = record->methods;
    classRecord->methodCount = record->methodCount;
    PluginRegisterClass(classRecord);
    if (sClasses && sClasses->record == classRecord) sClasses->definition.isInterface = 1;
}

void PluginRegisterClassExtension(PluginClassRecord* record) {
    if (!record) return;
    static const char kSystemClass[] = "_SystemClass";
    if (record->name && std::strcmp(record->name, "SystemClass") == 0) record->name = kSystemClass;
    ObjectDefinition* definition = FindPluginSuperclass(string(record->name));
    if (!LibraryAtLeast(3)) return;
    if (definition) AddMembers(CurrentPluginLibrary(), definition, record, kExtensionDataBase);
    auto* extension = new PluginClassExtension;
    extension->library = CurrentPluginLibrary();
    extension->record = record;
    extension->next = sExtensions;
    sExtensions = extension;
}

void PluginRegisterModule(PluginModuleRecord* record) {
    if (!record || !LibraryAtLeast(4)) return;
    auto* module = new PluginModule;
    module->record = record;
    module->library = CurrentPluginLibrary();
    ObjectDefinition& definition = module->definition;
    definition.className = string(record->name);
    definition.staticMembers = 0;
    definition.objectSize = 0;
    AddMethods(module->library, &definition, record->methods, record->version, record->methodCount);
    module->next = sModules;
    sModules = module;
    ModuleMap().SetEntry(definition.className, module);
}

void PluginRegisterMethod(void* record) {
    PluginLibrary* library = CurrentPluginLibrary();
    if (!record || !library) return;
    PluginMethodRecord* method;
    if (library->sdkVersion == 1) {
        const auto* v1 = static_cast<const PluginGlobalMethodV1*>(record);
        if (!library->exports || v1->exportIndex < 0) return;
        method = static_cast<PluginMethodRecord*>(GuardedNew(sizeof(PluginMethodRecord)));
        *method = PluginMethodRecord{library->exports[v1->exportIndex].function, nullptr, v1->declaration};
    } else if (library->sdkVersion >= 3) {
        method = static_cast<PluginMethodRecord*>(record);
    } else {
        return;
    }
    auto* global = new PluginGlobalMethod;
    global->library = library;
    global->record = method;
    global->next = sGlobalMethods;
    sGlobalMethods = global;
}

// Plug-in controls need the window system's control classes, which do not exist yet: the record
// is not read and no control is registered.
void PluginRegisterControl(void*) {}

void RegisterDataSource(const char* name, DataSourceFactory factory) {
    if (!name || !factory) return;
    auto* source = new PluginDataSource{{}, sDataSources, CurrentPluginLibrary(), string(name), factory};
    sDataSources = source;
}

void RegisterDataSourceInterface() {}
void DesignAddDataSource() {}

ObjectDefinition* pluginObjectType(const char* text) {
    if (!text) return nullptr;
    string name(text);
    if (string::CompareNoCase(name, string("DatabaseCursor")) == 0)
        name = string("RecordSet");
    else if (string::CompareNoCase(name, string("DatabaseCursorField")) == 0)
        name = string("DatabaseField");
    if (ObjectDefinition* definition = FindIntrinsicClass(name)) return definition;
    for (PluginClass* c = sClasses; c; c = c->next)
        if (string::CompareNoCase(c->definition.className, name) == 0) return &c->definition;
    return nullptr;
}

}  // extern "C"
