#include "host/PluginEntryPoints.h"

#include <cstdlib>
#include <cstring>

#include "core/FailureReport.h"
#include "core/SmallBlockAllocator.h"
#include "core/StringMap.h"
#include "core/LinkTable.h"
#include "host/PluginClasses.h"

namespace {

constexpr const char* kSource = "plugin";

StringMap<void*>* sEntryTable = nullptr;

// Link-table names must outlive the run.
const char* KeptName(const string& name) {
    const string utf8 = name.ToUTF8();
    char* copy = static_cast<char*>(GuardedNew(static_cast<size_t>(utf8.Length()) + 1));
    std::memcpy(copy, utf8.CString(), static_cast<size_t>(utf8.Length()) + 1);
    return copy;
}

string EntryName(const char* owner, const char* middle, const char* last = nullptr) {
    string name(owner);
    name.AppendCString(".");
    name.AppendCString(middle ? middle : "");
    if (last) name.AppendCString(last);
    return name;
}

void Add(const string& name, void* function, bool linkToo) {
    sEntryTable->SetEntry(name, function);
    if (linkToo) RegisterRelocEntry(KeptName(name), function);
}

bool IsNone(QUORproc function) { return function == QUORnoImplementation; }

void AddProperties(const char* owner, const PluginPropertyRecord* properties, int32_t count) {
    if (!properties && count > 0) {
        ReportAssertion(kSource, __LINE__, "properties || propertyCount == 0");
        return;
    }
    for (int32_t i = 0; i < count; ++i) {
        const PluginPropertyRecord& property = properties[i];
        if (!IsNone(property.getter))
            Add(EntryName(owner, property.name, ".Get"), reinterpret_cast<void*>(property.getter), true);
        if (!IsNone(property.setter))
            Add(EntryName(owner, property.name, ".Set"), reinterpret_cast<void*>(property.setter), true);
    }
}

void AddMethods(const char* owner, void* methods, int32_t version, int32_t count) {
    if (!methods && count > 0) {
        ReportAssertion(kSource, __LINE__, "methods || methodCount == 0");
        return;
    }
    for (int32_t i = 0; i < count; ++i) {
        const PluginMethodRecord* method = PluginMethodAt(methods, version, i);
        if (IsNone(method->function))
            ReportAssertion(kSource, __LINE__, "method->function != (QUORproc) QUORnoImplementation");
        Add(EntryName(owner, method->declaration), reinterpret_cast<void*>(method->function), false);
        if (!IsNone(method->setter))
            Add(EntryName(owner, method->declaration, ".Set"), reinterpret_cast<void*>(method->setter), false);
    }
}

void AddEventInstances(const char* owner, const PluginEventInstanceRecord* instances, int32_t count) {
    if (!instances && count > 0) {
        ReportAssertion(kSource, __LINE__, "events || eventCount == 0");
        return;
    }
    for (int32_t i = 0; i < count; ++i)
        Add(EntryName(owner, "Events.", instances[i].eventName), reinterpret_cast<void*>(instances[i].function),
            true);
}

void BuildEntryTable() {
    sEntryTable = new StringMap<void*>(256);
    for (PluginClass* c = FirstPluginClass(); c; c = c->next) {
        const PluginClassRecord* record = c->record;
        AddProperties(record->name, record->properties, record->propertyCount);
        AddMethods(record->name, record->methods, record->version, record->methodCount);
        AddEventInstances(record->name, record->eventInstances, record->eventInstanceCount);
        if (record->constructor)
            Add(EntryName(record->name, "__init"), reinterpret_cast<void*>(record->constructor), false);
        if (record->destructor)
            Add(EntryName(record->name, "__exit"), reinterpret_cast<void*>(record->destructor), false);
    }
    for (PluginGlobalMethod* g = FirstPluginGlobalMethod(); g; g = g->next) {
        if (IsNone(g->record->function))
            ReportAssertion(kSource, __LINE__, "method->function != (QUORproc) QUORnoImplementation");
        Add(string(g->record->declaration), reinterpret_cast<void*>(g->record->function), false);
    }
    for (PluginClassExtension* e = FirstPluginClassExtension(); e; e = e->next) {
        const PluginClassRecord* record = e->record;
        AddProperties(record->name, record->properties, record->propertyCount);
        AddMethods(record->name, record->methods, record->version, record->methodCount);
    }
    for (PluginModule* m = FirstPluginModule(); m; m = m->next)
        AddMethods(m->record->name, m->record->methods, m->record->version, m->record->methodCount);
}

}  // namespace

extern "C" {

void** RuntimeAllocatePluginEntrypointsTable(int32_t count) {
    const int32_t bytes = ByteCountOf(count, sizeof(void*));
    if (bytes <= 0) return nullptr;
    return static_cast<void**>(std::malloc(static_cast<size_t>(bytes)));
}

void* RuntimeLookupPluginEntrypoint(StringRecord* nameRecord) {
    if (!sEntryTable) BuildEntryTable();
    const string name(nameRecord);
    if (name.Length() == 1 && name.CString()[0] == '_') return nullptr;
    void* function = nullptr;
    if (sEntryTable->GetEntry(name, function)) return function;
    string message("can't find plugin method ");
    message.Append(name);
    ReportAssertion(kSource, __LINE__, "pluginEntryTable.GetEntry( entrypointName, out )", message.CString());
    return nullptr;
}

}  // extern "C"
