// Built-in classes are declared as data. Each has one definition function that fills a static
// ObjectDefinition from tables of rows on its first call; definitions become class records on
// first use (DefinitionConversion.h) and are registered by name (IntrinsicRegistry.h).
//
// The row tables are 32-bit words on the 32-bit runtime, laid out as below.
#pragma once

#include <cstddef>
#include <cstdint>

#include "GuardedMemory.h"
#include "ObjectModel.h"
#include "RuntimeString.h"

struct ObjectDefinition;
struct MethodDefinition;
struct EventDefinition;

// --- types ---

enum TypeKind : int32_t { kTypeIntrinsic = 0, kTypeArray = 1, kTypeClass = 3 };

// The common head of every type record. Kind 0 is an IntrinsicType, 1 an ArrayType and 3 an
// ObjectDefinition.
struct TypeDescriptor {
    int32_t kind;

    // The type as the language writes it: "Integer", "Window", "String()".
    string TypeName() const;
    // The type's code inside link signatures: i4, o<Window>, a2i4.
    string SignatureCode() const;
};

// The built-in value types; their records and text conversions are the host's (IntrinsicTypes.h).
struct IntrinsicType {
    int32_t kind;  // kTypeIntrinsic
    const char* name;
    void (*toText)(StringRecord** out, uintptr_t value);
    bool (*fromText)(StringRecord* text, void* value);
    void (*release)(uintptr_t value);
    void (*retain)(uintptr_t value);
};

struct ArrayType {
    int32_t kind;  // kTypeArray
    const TypeDescriptor* elementType;
    int32_t dimensions;
};

template <typename T>
inline const TypeDescriptor* AsType(const T* record) {
    return reinterpret_cast<const TypeDescriptor*>(record);
}

// --- static rows ---

struct FunctionReference {
    void* toc;               // the native function, or null
    const char* linkName;    // its name in the link table
    uint8_t flag;            // the byte and the words travel with the reference, unread here
    uint32_t words[4];
};

// Row flags the loaders read.
constexpr uint32_t kRowAttr4 = 0x4;
constexpr uint32_t kRowAttr804 = 0x804;
constexpr uint32_t kRowAttr8 = 0x8;
constexpr uint32_t kRowSystem10 = 0x2000;
constexpr uint32_t kRowSystem21a = 0x4000;
constexpr uint32_t kRowSystem21b = 0x10000;

struct PropertyEntry {
    uint32_t flags;
    const char* name;
    const TypeDescriptor* type;
    void* getter;
    const char* getterLinkName;
    void* setter;
    const char* setterLinkName;
    intptr_t parameter;  // the field offset for the generic accessors
    uint32_t lastWord;
};

struct ParameterEntry {
    const char* name;
    const TypeDescriptor* parameterType;
    uint8_t byRef;
    uint8_t hasDefault;
    uintptr_t defaultValue;  // a string record, 0/1, a colour, an integer, or 0 for Nil
    uint8_t paramArray;
};

enum MethodKind : int32_t { kMethodPlain = 0, kMethodExtends = 1, kMethodAssigns = 2, kMethodExtendsAssigns = 3 };

struct MethodEntry {
    const char* name;
    const TypeDescriptor* returnType;
    ParameterEntry* parameters;
    int32_t parameterCount;
    FunctionReference function;
    FunctionReference setter;
    int32_t kind;
    uint32_t flags;
    uint32_t lastWord;
};

struct EventEntry {
    uint32_t flags;
    const char* name;
    const char* parameters;  // "X As Integer, Y As Integer"
    const char* returnText;  // "Boolean"
    EventDefinition** definition;  // receives the made EventDefinition
    uint32_t lastWord;
};

struct EventImplementationEntry {
    const char* eventName;
    void* function;
    const char* linkName;
    uint32_t flagWord;
    uint32_t words[4];
};

struct ConstantEntry {
    uint32_t flags;
    const char* name;
    int32_t typeCode;
    const char* value;
};

#ifndef _WIN64
static_assert(sizeof(FunctionReference) == 28);
static_assert(sizeof(PropertyEntry) == 36);
static_assert(sizeof(ParameterEntry) == 20);
static_assert(sizeof(MethodEntry) == 84);
static_assert(offsetof(MethodEntry, function) == 16 && offsetof(MethodEntry, setter) == 44);
static_assert(sizeof(EventEntry) == 24);
static_assert(sizeof(EventImplementationEntry) == 32);
static_assert(sizeof(ConstantEntry) == 16);
#endif

// --- member records ---

// The base of the four kinds of member record, each kept in a singly linked list of its definition.
struct MemberDefinition : RuntimeAllocated {
    virtual ~MemberDefinition() = default;
    virtual MemberDefinition* Next() const = 0;
    virtual void SetNext(MemberDefinition* next) = 0;
    // The address where a definition keeps the head of this kind's list.
    virtual void* ListHead(ObjectDefinition* definition) const = 0;

    void SetAttributes(uint32_t rowFlags, uint32_t rowLastWord);

    uint8_t attr4 = 0;
    uint8_t attr8 = 0;
    uint8_t attr804 = 0;
    uint32_t lastWord = 0;
};

template <typename Self>
struct MemberOf : MemberDefinition {
    MemberDefinition* Next() const override { return next; }
    void SetNext(MemberDefinition* n) override { next = static_cast<Self*>(n); }
    Self* next = nullptr;
};

constexpr uint32_t kUserFlagReadOnly = 0x1;
constexpr uint32_t kUserFlagPlugin = 0x2000;
constexpr uint32_t kSystemPropertyVirtual = 0x8;
constexpr int32_t kSlotKindPlugin = 3;  // served by a plug-in; no slot in the class record

struct PropertyDefinition final : MemberOf<PropertyDefinition> {
    void* ListHead(ObjectDefinition* definition) const override;

    string unused;
    string name;
    const TypeDescriptor* type = nullptr;
    uint32_t systemFlags = 0;
    uint32_t userFlags = 0;
    void* getter = nullptr;
    const char* getterLinkName = nullptr;
    void* setter = nullptr;
    const char* setterLinkName = nullptr;
    intptr_t parameter = 0;
    int32_t mPropertyTableIndex = -1;
    int32_t slotKind = 0;
    void* pluginData = nullptr;
};

struct MethodDefinition final : MemberOf<MethodDefinition> {
    void* ListHead(ObjectDefinition* definition) const override;

    // The parameters as declared: "X As Integer, Y As Integer".
    string DeclarationText() const;
    string ReturnTypeName() const;
    // The link signature, in plain form or (setter form) as the assignment "=Name".
    string Signature(const ObjectDefinition* owner, bool setterForm) const;

    string name;
    string declaration;
    string returnTypeName;
    uint32_t userFlags = 0;
    const char* rowName = nullptr;
    const TypeDescriptor* returnType = nullptr;
    ParameterEntry* parameters = nullptr;
    int32_t parameterCount = 0;
    FunctionReference function{};
    FunctionReference setter{};
    int32_t kind = kMethodPlain;
    uint32_t flags = 0;
    uint32_t rowLastWord = 0;
    string alias;  // replaces the name in the link signature when set
};

struct EventDefinition final : MemberOf<EventDefinition> {
    ~EventDefinition() override;
    void* ListHead(ObjectDefinition* definition) const override;

    string name;
    string parameterText;
    string returnText;
    int32_t index = 0;  // the event's slot in class event tables
    ParameterEntry* parsedParameters = nullptr;  // plug-in events; owned
    int32_t parsedParameterCount = 0;
};

struct EventImplementation final : MemberOf<EventImplementation> {
    void* ListHead(ObjectDefinition* definition) const override;

    string eventName;
    int32_t eventIndex = -1;
    FunctionReference implementation{};
};

struct InterfaceEntry : RuntimeAllocated {
    InterfaceEntry* next = nullptr;
    ObjectDefinition* interfaceDefinition = nullptr;
    void** methodTable = nullptr;  // slot 0 reserved
    int32_t entryCount = 0;        // including slot 0
};

// --- the definition ---

constexpr int32_t kInterfaceTableGeneration = 1;

struct ObjectDefinition {
    ObjectDefinition();
    ~ObjectDefinition();
    ObjectDefinition(const ObjectDefinition&) = delete;
    ObjectDefinition& operator=(const ObjectDefinition&) = delete;

    PropertyDefinition* Properties() const { return properties; }
    void SetProperties(PropertyDefinition* head) { properties = head; }
    void AddInterface(ObjectDefinition* interfaceDefinition);
    bool InheritsFrom(const ObjectDefinition* definition) const;
    void NumberProperties();
    bool BuildInterfaceTables();
    const TypeDescriptor* AsType() const { return reinterpret_cast<const TypeDescriptor*>(this); }

    int32_t kind = kTypeClass;
    PropertyDefinition* properties = nullptr;
    ObjectDefinition* super = nullptr;
    int32_t interfaceTableMark = 0;
    string className;
    uint8_t staticMembers = 0;
    int32_t mPropertyTableSize = 0;
    ObjectDefinition* nextDefinition = nullptr;
    int32_t objectSize = kObjectHeaderSize;
    MethodDefinition* methods = nullptr;
    EventDefinition* hooks = nullptr;
    EventImplementation* hookInstances = nullptr;
    void* menuHandlers = nullptr;
    InterfaceEntry* interfaces = nullptr;
    uint8_t isInterface = 0;
    FunctionReference initializer{};
    FunctionReference finalizer{};
};

// The newest definition; the rest follow nextDefinition.
ObjectDefinition* FirstObjectDefinition();

// --- loaders ---

PropertyDefinition* LoadProperties(const PropertyEntry* rows, int32_t count);
void LoadEvents(ObjectDefinition* definition, const EventEntry* rows, int32_t count);
void LoadMethods(ObjectDefinition* definition, const MethodEntry* rows, int32_t count);
void LoadEventImplementations(ObjectDefinition* definition, const EventImplementationEntry* rows,
                              int32_t count);
void LoadConstants(ObjectDefinition* definition, const ConstantEntry* rows, int32_t count);

// The function that implements an event for this object, or null when the application did not
// implement it. To fire: call it with the object first and the event's arguments after.
void* FindEventInstance(ObjectHeader* object, const EventDefinition* event);

// --- one class as data ---

template <typename T>
struct RowList {
    T* rows = nullptr;
    int32_t count = 0;
    constexpr RowList() = default;
    template <size_t N>
    constexpr RowList(T (&table)[N]) : rows(table), count(static_cast<int32_t>(N)) {}
};

using DefinitionFunction = ObjectDefinition* (*)();

// Everything a built-in class declares. FillClassDefinition turns it into the definition once.
struct ClassRows {
    const char* className;
    DefinitionFunction superclass;
    int32_t objectSize;
    FunctionReference initializer = {};
    FunctionReference finalizer = {};
    RowList<PropertyEntry> properties = {};
    RowList<EventEntry> events = {};
    RowList<MethodEntry> methods = {};
    RowList<EventImplementationEntry> eventImplementations = {};
    RowList<ConstantEntry> constants = {};
    RowList<const DefinitionFunction> interfaces = {};
    bool isInterface = false;
    // Runs once after filling (exception classes record their class records here).
    void (*filled)(ObjectDefinition* definition) = nullptr;
};

// The body of every definition function: fills the definition from its rows when its name is
// still empty, and returns it.
ObjectDefinition* FillClassDefinition(ObjectDefinition& definition, const ClassRows& rows);

// A native function as the rows hold it (getters, setters, event implementations).
template <typename F>
inline void* RowFunction(F* function) {
    return reinterpret_cast<void*>(function);
}

// Property rows whose accessors are linked under their own names.
#define QV_PROPERTY_ROW(flags, label, type, getter, setter, parameter)                       \
    {flags, label, type, RowFunction(getter), #getter, RowFunction(setter), #setter, parameter, 0}
#define QV_READ_ONLY_ROW(flags, label, type, getter, parameter)                              \
    {flags, label, type, RowFunction(getter), #getter, nullptr, nullptr, parameter, 0}

// A reference to a native function under its link name.
inline FunctionReference Function(void* function, const char* linkName) {
    return FunctionReference{function, linkName, 0, {0, 0, 0, 0}};
}
template <typename F>
inline FunctionReference Function(F* function, const char* linkName) {
    return Function(RowFunction(function), linkName);
}

// The root class.
ObjectDefinition* Object();
