#include "DefinitionConversion.h"

#include "FailureReport.h"
#include "IntKeyMap.h"
#include "IntrinsicRegistry.h"
#include "StringMap.h"

namespace {

constexpr const char* kSource = "ObjectDefinitionConverter";

PluginClassFinder sPluginClassFinder = nullptr;

// Both caches grow for the whole run; their entries do not own the class records.
IntKeyMap<ClassRecord*, const ObjectDefinition*>& DefinitionCache() {
    static IntKeyMap<ClassRecord*, const ObjectDefinition*> cache;
    return cache;
}

StringMap<ClassRecord*>& ClassNameCache() {
    static StringMap<ClassRecord*> cache(256);
    return cache;
}

bool SameName(StringRecord* a, const string& b) { return string::CompareNoCase(string(a), b) == 0; }

ClassRecord* FindCompiledClass(const string& name) {
    for (ClassRecord* c = FirstClassRecord(); c; c = c->next)
        if (SameName(c->name, name)) return c;
    return nullptr;
}

struct Counts {
    int32_t interfaces = 0;
    int32_t events = 0;
    int32_t accessors = 0;
    int32_t properties = 0;
    int32_t methods = 0;
};

void CheckNotVirtual(const MethodDefinition* method) {
    if (method->userFlags & kSystemPropertyVirtual)
        ReportAssertion(kSource, __LINE__, "0 == (item->userFlags & systemPropertyVirtual)");
}

Counts CountSlots(ObjectDefinition* definition, const ClassRecord* superRecord) {
    Counts n;
    if (superRecord) {
        n.interfaces = superRecord->interfaceCount;
        n.events = superRecord->eventCount;
        n.accessors = superRecord->accessorCount;
        n.properties = superRecord->propertyCount;
        n.methods = superRecord->methodCount;
    }
    for (InterfaceEntry* e = definition->interfaces; e; e = e->next) ++n.interfaces;
    for (EventDefinition* e = definition->hooks; e; e = e->next) e->index = n.events++;
    for (MethodDefinition* m = definition->methods; m; m = m->next) {
        CheckNotVirtual(m);
        if (m->function.toc) ++n.accessors;
        if (m->setter.toc) ++n.accessors;
    }
    for (PropertyDefinition* p = definition->properties; p; p = p->next) {
        if (p->slotKind == kSlotKindPlugin) continue;
        if (p->mPropertyTableIndex != n.properties)
            ReportAssertion(kSource, __LINE__, "item->mPropertyTableIndex == propertyCount",
                            "Manifest file outdated?");
        ++n.properties;
    }
    if (n.properties != definition->mPropertyTableSize)
        ReportAssertion(kSource, __LINE__, "propertyCount == defn->mPropertyTableSize");
    return n;
}

void FillEvents(ObjectDefinition* definition, ClassRecord* out) {
    for (EventDefinition* e = definition->hooks; e; e = e->next)
        if (e->index >= 0 && e->index < out->eventCount)
            out->events[e->index].name = string(e->name).Detach();
    for (EventImplementation* impl = definition->hookInstances; impl; impl = impl->next) {
        for (ObjectDefinition* d = definition->super; d; d = d->super) {
            for (EventDefinition* e = d->hooks; e; e = e->next) {
                if (string::CompareNoCase(e->name, impl->eventName) != 0) continue;
                impl->eventIndex = e->index;
                if (e->index >= 0 && e->index < out->eventCount)
                    out->events[e->index].vector = impl->implementation.toc;
            }
        }
    }
}

void FillInterfaces(ObjectDefinition* definition, ClassRecord* out, int32_t first) {
    int32_t slot = first;
    for (InterfaceEntry* entry = definition->interfaces; entry; entry = entry->next, ++slot) {
        if (slot >= out->interfaceCount) {
            ReportAssertion(kSource, __LINE__, "itableCtr < out->interfaceCount");
            continue;
        }
        InterfaceSlot& target = out->interfaces[slot];
        target.interfaceClass = entry->interfaceDefinition ? LookupObjectDefinition(entry->interfaceDefinition) : nullptr;
        // A table that failed to build has no entries.
        const int32_t count = entry->methodTable && entry->entryCount > 1 ? entry->entryCount - 1 : 0;
        target.methodCount = count;
        target.methods = RuntimeNewVtable(count);
        for (int32_t i = 1; i <= count; ++i) {
            void* function = entry->methodTable[i];
            target.methods[i - 1].function = function;
            target.methods[i - 1].name = MethodSignatureFor(definition, function).Detach();
        }
    }
}

void FillAccessors(ObjectDefinition* definition, ClassRecord* out, int32_t first) {
    int32_t slot = first;
    auto add = [&](void* function, string signature) {
        if (slot >= out->accessorCount) return;
        out->accessors[slot].function = function;
        out->accessors[slot].signature = signature.Detach();
        ++slot;
    };
    for (MethodDefinition* m = definition->methods; m; m = m->next) {
        CheckNotVirtual(m);
        if (m->function.toc) add(m->function.toc, m->Signature(definition, false));
        if (m->setter.toc) add(m->setter.toc, m->Signature(definition, true));
    }
}

void FillProperties(ObjectDefinition* definition, ClassRecord* out, int32_t first) {
    int32_t counter = first;
    for (PropertyDefinition* p = definition->properties; p; p = p->next) {
        if (p->slotKind == kSlotKindPlugin) continue;
        if (counter >= out->propertyCount) {
            ReportAssertion(kSource, __LINE__, "propertyCtr < out->propertyCount");
            continue;
        }
        if (p->mPropertyTableIndex != counter)
            ReportAssertion(kSource, __LINE__, "propertyCtr == ivar->mPropertyTableIndex");
        string descriptor(p->name);
        descriptor.AppendCString("%");
        if (p->type) descriptor.Append(p->type->SignatureCode());
        descriptor.AppendCString("%");
        PropertySlot& slot = out->properties[counter++];
        slot.descriptor = descriptor.Detach();
        slot.parameter = static_cast<int32_t>(p->parameter);
        slot.getter = p->getter;
        slot.setter = p->setter;
    }
}

}  // namespace

ClassRecord* ConvertObjectDefinition(ObjectDefinition* definition) {
    if (!definition) return nullptr;
    ClassRecord* superRecord = nullptr;
    if (definition->super) {
        superRecord = LookupObjectDefinition(definition->super);
        if (!superRecord) ReportAssertion(kSource, __LINE__, "super");
    }
    definition->BuildInterfaceTables();
    definition->NumberProperties();
    const Counts n = CountSlots(definition, superRecord);

    ClassRecord* out = RuntimeNewClass(superRecord, n.methods, n.interfaces, n.events, n.accessors,
                                       n.properties);
    if (!out) {
        ReportAssertion(kSource, __LINE__, "out");
        return nullptr;
    }
    out->name = string(definition->className).Detach();
    out->initializer = reinterpret_cast<ObjectCallback>(definition->initializer.toc);
    out->finalizer = reinterpret_cast<ObjectCallback>(definition->finalizer.toc);
    out->instanceSize = definition->objectSize;
    out->isAnInterface = definition->isInterface ? 1 : 0;

    FillEvents(definition, out);
    FillInterfaces(definition, out, superRecord ? superRecord->interfaceCount : 0);
    FillAccessors(definition, out, superRecord ? superRecord->accessorCount : 0);
    FillProperties(definition, out, superRecord ? superRecord->propertyCount : 0);
    return out;
}

void SetPluginClassFinder(PluginClassFinder finder) { sPluginClassFinder = finder; }

string MethodSignatureFor(const ObjectDefinition* definition, const void* function) {
    if (!function) return string();
    for (const ObjectDefinition* d = definition; d; d = d->super)
        for (const MethodDefinition* m = d->methods; m; m = m->next)
            if (m->function.toc == function || m->setter.toc == function)
                return m->Signature(d, false);
    return string();
}

extern "C" {

ClassRecord* LookupObjectDefinition(ObjectDefinition* definition) {
    if (!definition) {
        ReportAssertion(kSource, __LINE__, "defn");
        return nullptr;
    }
    IntKeyMap<ClassRecord*, const ObjectDefinition*>& cache = DefinitionCache();
    ClassRecord* record = nullptr;
    if (cache.GetEntry(definition, record)) return record;
    record = FindCompiledClass(definition->className);
    if (!record) record = ConvertObjectDefinition(definition);
    cache.SetEntry(definition, record);
    return record;
}

ClassRecord* RuntimeLookupClass(StringRecord* nameRecord) {
    const string name(nameRecord);
    StringMap<ClassRecord*>& cache = ClassNameCache();
    ClassRecord* record = nullptr;
    if (cache.GetEntry(name, record)) return record;
    ObjectDefinition* definition = FindIntrinsicClass(name);
    if (!definition && sPluginClassFinder) definition = sPluginClassFinder(name);
    if (!definition) return nullptr;
    record = LookupObjectDefinition(definition);
    if (record) cache.SetEntry(name, record);
    return record;
}

ObjectHeader* CreateInstance(ObjectDefinition* definition) {
    if (!definition) ReportAssertion(kSource, __LINE__, "defn");
    return RuntimeNewObject(definition ? LookupObjectDefinition(definition) : nullptr);
}

}  // extern "C"
