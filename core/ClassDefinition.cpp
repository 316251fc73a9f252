#include "ClassDefinition.h"

#include <cstring>

#include "FailureReport.h"
#include "IntrinsicRegistry.h"
#include "SmallBlockAllocator.h"
#include "comms/SocketClasses.h"
#include "controls/TimerClass.h"

namespace {

constexpr const char* kSource = "ObjectDefinition";

ObjectDefinition* sFirstDefinition = nullptr;

string TextOf(const char* text) { return string(text); }

template <typename T>
void DeleteList(T* head) {
    while (head) {
        T* next = head->next;
        delete head;
        head = next;
    }
}

template <typename T>
void Append(T*& head, T*& tail, T* record) {
    if (tail)
        tail->next = record;
    else
        head = record;
    tail = record;
}

uint32_t SystemFlagsOf(uint32_t rowFlags) {
    uint32_t flags = 0;
    if (rowFlags & (kRowSystem21a | kRowSystem21b)) flags |= 0x21;
    if (rowFlags & kRowSystem10) flags |= 0x10;
    return flags;
}

}  // namespace

void MemberDefinition::SetAttributes(uint32_t rowFlags, uint32_t rowLastWord) {
    attr4 = (rowFlags & kRowAttr4) != 0;
    attr804 = (rowFlags & kRowAttr804) == kRowAttr804;
    attr8 = (rowFlags & kRowAttr8) != 0;
    lastWord = rowLastWord;
}

void* PropertyDefinition::ListHead(ObjectDefinition* definition) const {
    return &definition->properties;
}
void* MethodDefinition::ListHead(ObjectDefinition* definition) const {
    return &definition->methods;
}
void* EventDefinition::ListHead(ObjectDefinition* definition) const { return &definition->hooks; }
void* EventImplementation::ListHead(ObjectDefinition* definition) const {
    return &definition->hookInstances;
}

EventDefinition::~EventDefinition() { GuardedDeleteArray(parsedParameters); }

// --- ObjectDefinition ---

ObjectDefinition::ObjectDefinition() {
    nextDefinition = sFirstDefinition;
    sFirstDefinition = this;
}

ObjectDefinition::~ObjectDefinition() {
    if (!staticMembers) {
        // Plug-in definitions own their methods' parameter lists and the names in them.
        for (MethodDefinition* m = methods; m; m = m->next) {
            if (!m->parameters) continue;
            for (int32_t i = 0; i < m->parameterCount; ++i)
                GuardedDeleteArray(const_cast<char*>(m->parameters[i].name));
            GuardedDeleteArray(m->parameters);
        }
    }
    DeleteList(properties);
    DeleteList(methods);
    DeleteList(hooks);
    DeleteList(hookInstances);
    while (interfaces) {
        InterfaceEntry* next = interfaces->next;
        if (interfaces->methodTable)
            FreeMemory(interfaces->methodTable, sizeof(void*) * interfaces->entryCount);
        delete interfaces;
        interfaces = next;
    }
    for (ObjectDefinition** link = &sFirstDefinition; *link; link = &(*link)->nextDefinition) {
        if (*link == this) {
            *link = nextDefinition;
            break;
        }
    }
}

ObjectDefinition* FirstObjectDefinition() { return sFirstDefinition; }

void ObjectDefinition::AddInterface(ObjectDefinition* interfaceDefinition) {
    auto* entry = new InterfaceEntry;
    entry->interfaceDefinition = interfaceDefinition;
    entry->next = interfaces;
    interfaces = entry;
}

bool ObjectDefinition::InheritsFrom(const ObjectDefinition* definition) const {
    for (const ObjectDefinition* d = this; d; d = d->super)
        if (d == definition) return true;
    return false;
}

void ObjectDefinition::NumberProperties() {
    int32_t index = 0;
    if (super) {
        super->NumberProperties();
        index = super->mPropertyTableSize;
    }
    for (PropertyDefinition* p = properties; p; p = p->next)
        if (p->slotKind != kSlotKindPlugin) p->mPropertyTableIndex = index++;
    mPropertyTableSize = index;
}

bool ObjectDefinition::BuildInterfaceTables() {
    if (isInterface || interfaceTableMark == kInterfaceTableGeneration) return true;
    interfaceTableMark = kInterfaceTableGeneration;
    for (InterfaceEntry* entry = interfaces; entry; entry = entry->next) {
        if (entry->methodTable) FreeMemory(entry->methodTable, sizeof(void*) * entry->entryCount);
        int32_t size = 1;
        for (MethodDefinition* m = entry->interfaceDefinition ? entry->interfaceDefinition->methods : nullptr; m;
             m = m->next)
            ++size;
        entry->entryCount = size;
        entry->methodTable = static_cast<void**>(AllocateMemory(sizeof(void*) * size, false));
        entry->methodTable[0] = nullptr;
        int32_t slot = 1;
        for (MethodDefinition* wanted = entry->interfaceDefinition ? entry->interfaceDefinition->methods : nullptr;
             wanted; wanted = wanted->next) {
            MethodDefinition* found = nullptr;
            for (ObjectDefinition* d = this; d && !found; d = d->super)
                for (MethodDefinition* m = d->methods; m && !found; m = m->next)
                    if (string::CompareNoCase(m->name, wanted->name) == 0) found = m;
            if (!found) {
                ReportFailure(kFailureCode, kInvalidClassDefinition, kSource, __LINE__, nullptr,
                              nullptr);
                return false;
            }
            entry->methodTable[slot++] = found->function.toc;
        }
    }
    if (!staticMembers && super && super->interfaceTableMark != kInterfaceTableGeneration)
        super->BuildInterfaceTables();
    return true;
}

// --- loaders ---

PropertyDefinition* LoadProperties(const PropertyEntry* rows, int32_t count) {
    PropertyDefinition* head = nullptr;
    PropertyDefinition* tail = nullptr;
    for (int32_t i = 0; i < count; ++i) {
        const PropertyEntry& row = rows[i];
        auto* p = new PropertyDefinition;
        p->name = TextOf(row.name);
        p->type = row.type;
        p->getter = row.getter;
        p->getterLinkName = row.getterLinkName;
        p->setter = row.setter;
        p->setterLinkName = row.setterLinkName;
        p->parameter = row.parameter;
        p->SetAttributes(row.flags, row.lastWord);
        p->systemFlags = SystemFlagsOf(row.flags);
        if (!row.setter) p->userFlags |= kUserFlagReadOnly;
        Append(head, tail, p);
    }
    return head;
}

void LoadEvents(ObjectDefinition* definition, const EventEntry* rows, int32_t count) {
    int32_t index = 0;
    for (ObjectDefinition* d = definition->super; d; d = d->super)
        for (EventDefinition* e = d->hooks; e; e = e->next) ++index;
    definition->hooks = nullptr;
    EventDefinition* tail = nullptr;
    for (int32_t i = 0; i < count; ++i) {
        const EventEntry& row = rows[i];
        auto* e = new EventDefinition;
        e->name = TextOf(row.name);
        e->parameterText = TextOf(row.parameters);
        e->returnText = TextOf(row.returnText);
        e->index = index++;
        e->SetAttributes(row.flags, row.lastWord);
        if (row.definition) *row.definition = e;
        Append(definition->hooks, tail, e);
    }
}

void LoadMethods(ObjectDefinition* definition, const MethodEntry* rows, int32_t count) {
    definition->methods = nullptr;
    MethodDefinition* tail = nullptr;
    for (int32_t i = 0; i < count; ++i) {
        const MethodEntry& row = rows[i];
        auto* m = new MethodDefinition;
        m->name = TextOf(row.name);
        m->rowName = row.name;
        m->returnType = row.returnType;
        m->parameters = row.parameters;
        m->parameterCount = row.parameterCount;
        m->function = row.function;
        m->setter = row.setter;
        m->kind = row.kind;
        m->flags = row.flags;
        m->rowLastWord = row.lastWord;
        m->returnTypeName = m->ReturnTypeName();
        m->declaration = m->DeclarationText();
        m->SetAttributes(row.flags, row.lastWord);
        if (row.flags & (kRowSystem21a | kRowSystem21b)) m->userFlags |= 0x21;
        Append(definition->methods, tail, m);
    }
}

void LoadEventImplementations(ObjectDefinition* definition, const EventImplementationEntry* rows,
                              int32_t count) {
    for (int32_t i = 0; i < count; ++i) {
        const EventImplementationEntry& row = rows[i];
        auto* e = new EventImplementation;
        e->eventName = TextOf(row.eventName);
        e->implementation.toc = row.function;
        e->implementation.linkName = row.linkName;
        e->implementation.flag = static_cast<uint8_t>(row.flagWord);
        std::memcpy(e->implementation.words, row.words, sizeof row.words);
        e->next = definition->hookInstances;
        definition->hookInstances = e;
    }
}

// Class constants have no run-time presence.
void LoadConstants(ObjectDefinition*, const ConstantEntry*, int32_t) {}

void* FindEventInstance(ObjectHeader* object, const EventDefinition* event) {
    if (!object || !event || !object->eventTable || !object->classPtr) return nullptr;
    // The index was numbered for the event's own class; an object of an unrelated class can have
    // fewer slots, so the index is checked against the object's class before reading.
    if (event->index < 0 || event->index >= object->classPtr->eventCount) return nullptr;
    return object->eventTable[event->index].vector;
}

// --- one class as data ---

ObjectDefinition* FillClassDefinition(ObjectDefinition& definition, const ClassRows& rows) {
    if (!definition.className.IsEmpty()) return &definition;
    definition.super = rows.superclass ? rows.superclass() : nullptr;
    definition.className = TextOf(rows.className);
    definition.objectSize = rows.objectSize;
    definition.initializer = rows.initializer;
    definition.finalizer = rows.finalizer;
    definition.isInterface = rows.isInterface;
    definition.SetProperties(LoadProperties(rows.properties.rows, rows.properties.count));
    LoadEvents(&definition, rows.events.rows, rows.events.count);
    LoadMethods(&definition, rows.methods.rows, rows.methods.count);
    LoadEventImplementations(&definition, rows.eventImplementations.rows,
                             rows.eventImplementations.count);
    LoadConstants(&definition, rows.constants.rows, rows.constants.count);
    for (int32_t i = 0; i < rows.interfaces.count; ++i)
        definition.AddInterface(rows.interfaces.rows[i]());
    definition.staticMembers = 1;
    if (rows.filled) rows.filled(&definition);
    return &definition;
}

// --- the root class ---

namespace {
const ClassRows kObjectRows = {
    .className = "Object",
    .superclass = nullptr,
    .objectSize = kObjectHeaderSize,
    .initializer = {},
    .finalizer = {},
};
}  // namespace

ObjectDefinition* Object() {
    static ObjectDefinition definition;
    return FillClassDefinition(definition, kObjectRows);
}

// The classes of the user interface, in their fixed registration order. Each subsystem adds its
// definition functions here as it is built; the rest of the order is (after Timer): Serial,
// SerialPort, DatabaseQuery, RGBSurface, the picture classes, Graphics, Control, RectControl, the
// list box classes, Canvas, StaticText, ContextualMenu, ScrollBar, Slider, Window,
// ContainerControl, EmbeddedWindowControl, GroupBox, Line, Oval, RoundRectangle, Rectangle,
// EditField, PagePanel, OLEContainer, sys$popupRowTag, ProgressBar, _PaneChild, PrinterSetup,
// MoviePlayer, MoviePlayerAction, PushButton, CheckBox, RadioButton, PopupMenu, ComboBox,
// NotePlayer, Movie, Sound, StyledTextPrinter, TabPanel, MouseCursor, DataControlAction,
// DataControl, TrayItem; the socket classes come before Object (UDPSocket and Datagram after
// TCPSocket, Socket and IPCSocket after ServerSocket).
extern "C" void CreateControlClasses() {
    static const DefinitionFunction kClasses[] = {
        SocketCore,
        TCPSocket,
        ServerSocket,
        Object,
        Timer,
    };
    for (DefinitionFunction definition : kClasses) RegisterIntrinsicClass(definition());
}
