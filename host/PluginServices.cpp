#include "host/PluginServices.h"

#include <cstring>

#include "core/ClassDefinition.h"
#include "core/DefinitionConversion.h"
#include "core/FailureReport.h"
#include "core/IntKeyMap.h"
#include "core/IntrinsicRegistry.h"
#include "core/MethodSlotNames.h"
#include "core/Platform.h"
#include "core/StringMap.h"
#include "files/FolderItem.h"
#include "host/PayloadLoader.h"
#include "host/PeriodicTasks.h"
#include "host/PluginClasses.h"
#include "host/PluginDeclaration.h"
#include "core/PropertyAccessors.h"
#include "host/Startup.h"
#include "values/CharacterTables.h"
#include "core/EncodingConversion.h"
#include "core/NumberConversion.h"
#include "values/TextServices.h"
#include "values/Variant.h"

namespace {

constexpr const char* kSource = "plugin";
constexpr double kRuntimeVersion = 2005.02;

// --- type codes of signature texts ---

struct CodeName {
    const char* code;
    const char* name;
};

constexpr CodeName kCodeNames[] = {
    {"b", "Boolean"},   {"c", "Color"},     {"f4", "Single"},    {"f8", "Double"},  {"i1", "Byte"},
    {"i2", "Short"},    {"i4", "Integer"},  {"i8", "Long"},      {"u1", "UByte"},   {"u2", "UShort"},
    {"u4", "UInteger"}, {"u8", "ULong"},    {"p", "Ptr"},        {"s", "String"},   {"z", "CString"},
    {"l", "PString"},   {"w", "WindowPtr"}, {"x", "Class"},
};

// One decoded type code: the type's name and, for an array, the element's name and dimensions.
struct DecodedType {
    string name;  // the element's name for an array
    int32_t dimensions = 0;
    char first = 0;  // the code's first letter
    bool isClass = false;
};

// Decodes the code at text[*at], advancing past it; false when there is none that is known.
bool DecodeType(const char* text, int32_t length, int32_t* at, DecodedType* out) {
    if (*at >= length) return false;
    const char first = text[*at];
    out->first = first;
    if (first == 'A' || first == 'a') {
        int32_t i = *at + 1, dimensions = 0;
        while (i < length && text[i] >= '0' && text[i] <= '9') dimensions = dimensions * 10 + (text[i++] - '0');
        DecodedType element;
        if (!DecodeType(text, length, &i, &element) || element.dimensions) return false;
        out->name = element.name;
        out->isClass = element.isClass;
        out->dimensions = dimensions > 0 ? dimensions : 1;
        *at = i;
        return true;
    }
    if (first == 'o' && *at + 1 < length && text[*at + 1] == '<') {
        const char* start = text + *at + 2;
        const char* end = static_cast<const char*>(std::memchr(start, '>', length - (*at + 2)));
        if (!end) return false;
        out->name.SetBytes(start, static_cast<int32_t>(end - start));
        out->name.SetEncoding(kEncodingASCII);
        out->isClass = true;
        *at = static_cast<int32_t>(end - text) + 1;
        return true;
    }
    for (const CodeName& code : kCodeNames) {
        const int32_t n = static_cast<int32_t>(std::strlen(code.code));
        if (*at + n <= length && std::memcmp(text + *at, code.code, n) == 0) {
            out->name = string(code.name);
            *at += n;
            return true;
        }
    }
    return false;
}

// "(,) As Integer" for a two-dimensional array, " As Integer" otherwise.
void AppendTypePart(string& text, const DecodedType& type) {
    if (type.dimensions) {
        text.AppendCString("(");
        for (int32_t d = 1; d < type.dimensions; ++d) text.AppendCString(",");
        text.AppendCString(")");
    }
    text.AppendCString(" As ");
    text.Append(type.name);
}

// The parts of a signature text after its last ".": the name, the return code, the codes.
struct SignatureParts {
    bool assignment = false;
    string name;
    string returnCode;
    string parameterCodes;
};

bool SplitSignature(const string& signature, SignatureParts* parts) {
    const char* text = signature.CString();
    const char* last = std::strrchr(text, '.');
    const char* start = last ? last + 1 : text;
    if (*start == '=') {
        parts->assignment = true;
        ++start;
    }
    const char* p1 = std::strchr(start, '%');
    if (!p1) return false;
    const char* p2 = std::strchr(p1 + 1, '%');
    if (!p2) return false;
    parts->name.SetBytes(start, static_cast<int32_t>(p1 - start));
    parts->returnCode.SetBytes(p1 + 1, static_cast<int32_t>(p2 - p1 - 1));
    parts->parameterCodes = string(p2 + 1);
    parts->name.SetEncoding(signature.Encoding());
    return !parts->name.IsEmpty();
}

// --- class records ---

int32_t EntryCount(const ClassRecord* record) { return record->methodCount + record->accessorCount; }

bool EntryAt(const ClassRecord* record, int32_t index, void** function, StringRecord** signature) {
    if (index < 0 || index >= EntryCount(record)) return false;
    if (index < record->methodCount) {
        *function = record->methods[index].function;
        *signature = record->methods[index].name;
    } else {
        *function = record->accessors[index - record->methodCount].function;
        *signature = record->accessors[index - record->methodCount].signature;
    }
    return *function && *signature;
}

// The property name of a descriptor: the text up to the first "%".
string PropertyNameOf(StringRecord* descriptor) {
    const char* text = StringRecord::CString(descriptor);
    const char* mark = std::strchr(text, '%');
    string name;
    name.SetBytes(text, static_cast<int32_t>(mark ? mark - text : std::strlen(text)));
    name.SetEncoding(descriptor ? descriptor->encoding : kEncodingASCII);
    return name;
}

bool PropertyTypeOf(StringRecord* descriptor, DecodedType* type) {
    const char* text = StringRecord::CString(descriptor);
    const char* mark = std::strchr(text, '%');
    if (!mark) return false;
    int32_t at = static_cast<int32_t>(mark - text) + 1;
    return DecodeType(text, StringRecord::Length(descriptor), &at, type);
}

void GenericByLetter(char first, const char* code, void** getter, void** setter) {
    *getter = *setter = nullptr;
    switch (first) {
    case 'A':
    case 'a':
        *getter = RowFunction(&arrayGetter), *setter = RowFunction(&arraySetter);
        break;
    case 'b':
        *getter = RowFunction(&boolGetter), *setter = RowFunction(&boolSetter);
        break;
    case 'c':
    case 'i':
        *getter = RowFunction(&intGetter), *setter = RowFunction(&intSetter);
        break;
    case 'd':
        *getter = RowFunction(&doubleGetter), *setter = RowFunction(&doubleSetter);
        break;
    case 'f':
        // "f8" is a Double: it is read and written whole.
        if (code[1] == '8')
            *getter = RowFunction(&doubleGetter), *setter = RowFunction(&doubleSetter);
        else
            *getter = RowFunction(&singleGetter), *setter = RowFunction(&singleSetter);
        break;
    case 'o':
        *getter = RowFunction(&objGetter), *setter = RowFunction(&objSetter);
        break;
    case 's':
        *getter = RowFunction(&stringGetter), *setter = RowFunction(&stringSetter);
        break;
    default:
        break;
    }
}

// --- the property cache ---

enum class ValueKind { Integer, Double, Single, String, Boolean, Object, Other };

struct CachedProperty : RuntimeAllocated {
    ValueKind kind;
    string typeName;
    void* getter;
    void* setter;
    int32_t parameter;
};

using PropertyTable = StringMap<CachedProperty*>;

struct PropertyCache {
    IntKeyMap<PropertyTable*, const ClassRecord*> classes;
    ~PropertyCache() {
        // The tables and entries live for the run; the static goes at exit.
    }
};

PropertyCache* sPropertyCache = nullptr;
int32_t sWalkCount = 0;

ValueKind KindOf(const DecodedType& type) {
    if (type.dimensions) return ValueKind::Other;
    if (type.isClass) return ValueKind::Object;
    switch (type.first) {
    case 'i':
    case 'c':
        return type.name.CString()[0] == 'I' || type.name.CString()[0] == 'C' ? ValueKind::Integer
                                                                             : ValueKind::Other;
    case 'f':
        return type.name.CString()[0] == 'D' ? ValueKind::Double : ValueKind::Single;
    case 's':
        return ValueKind::String;
    case 'b':
        return ValueKind::Boolean;
    default:
        return ValueKind::Other;
    }
}

CachedProperty* MakeEntry(ClassRecord* record, const string& name) {
    ++sWalkCount;
    for (int32_t i = 0; i < record->propertyCount; ++i) {
        const PropertySlot& slot = record->properties[i];
        if (string::CompareNoCase(PropertyNameOf(slot.descriptor), name) != 0) continue;
        DecodedType type;
        if (!PropertyTypeOf(slot.descriptor, &type)) return nullptr;
        auto* entry = new CachedProperty;
        entry->kind = KindOf(type);
        entry->typeName = type.name;
        QUORGetClassProperty(record, i, &entry->getter, &entry->setter, &entry->parameter, nullptr);
        return entry;
    }
    return nullptr;
}

// In front of the maps, a small table keyed by class and name text answers repeated reads without
// making a runtime string; entries never change once made, so it needs no invalidation.
struct RecentProperty {
    const ClassRecord* classRecord;
    uint32_t hash;
    char name[40];
    const CachedProperty* entry;
};

constexpr uint32_t kRecentCount = 64;
RecentProperty sRecent[kRecentCount];

char Fold(char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 32) : c; }

// The folded hash of a name short enough for the table, or false.
bool RecentHash(const char* name, uint32_t* hash) {
    uint32_t h = 0;
    for (size_t i = 0; name[i]; ++i) {
        if (i + 1 >= sizeof RecentProperty::name) return false;
        h = h * 31 + static_cast<unsigned char>(Fold(name[i]));
    }
    *hash = h;
    return true;
}

RecentProperty& RecentSlot(const ClassRecord* record, uint32_t hash) {
    const uint32_t key = hash ^ static_cast<uint32_t>(reinterpret_cast<uintptr_t>(record) >> 4);
    return sRecent[key % kRecentCount];
}

bool SameFolded(const char* a, const char* b) {
    for (; *a && *b; ++a, ++b)
        if (Fold(*a) != Fold(*b)) return false;
    return *a == *b;
}

const CachedProperty* LookupPropertyAccessors(ObjectHeader* object, const char* name);

const CachedProperty* FindPropertyAccessors(ObjectHeader* object, const char* name) {
    if (!object || !name || !object->classPtr) return nullptr;
    uint32_t hash;
    if (!RecentHash(name, &hash)) return LookupPropertyAccessors(object, name);
    RecentProperty& slot = RecentSlot(object->classPtr, hash);
    if (slot.classRecord == object->classPtr && slot.hash == hash && SameFolded(slot.name, name))
        return slot.entry;
    const CachedProperty* entry = LookupPropertyAccessors(object, name);
    slot.classRecord = object->classPtr;
    slot.hash = hash;
    std::strcpy(slot.name, name);
    slot.entry = entry;
    return entry;
}

const CachedProperty* LookupPropertyAccessors(ObjectHeader* object, const char* name) {
    if (!sPropertyCache) sPropertyCache = new PropertyCache;
    PropertyTable* table = nullptr;
    if (!sPropertyCache->classes.GetEntry(object->classPtr, table)) {
        table = new PropertyTable(256);
        sPropertyCache->classes.SetEntry(object->classPtr, table);
    }
    const string key(name);
    CachedProperty* entry = nullptr;
    if (table->GetEntry(key, entry)) return entry;
    entry = MakeEntry(object->classPtr, key);
    table->SetEntry(key, entry);
    return entry;
}

template <typename R>
R CallGetter(const CachedProperty* p, ObjectHeader* object) {
    return reinterpret_cast<R (*)(ObjectHeader*, int32_t)>(p->getter)(object, p->parameter);
}

template <typename V>
void CallSetter(const CachedProperty* p, ObjectHeader* object, V value) {
    reinterpret_cast<void (*)(ObjectHeader*, int32_t, V)>(p->setter)(object, p->parameter, value);
}

const CachedProperty* Setter(ObjectHeader* object, const char* name) {
    const CachedProperty* p = FindPropertyAccessors(object, name);
    return p && p->setter ? p : nullptr;
}

bool SameText(const char* a, const char* b) { return a && b && lstrcmpiA(a, b) == 0; }

bool CarriesTypeName(ClassRecord* record, const string& typeName) {
    for (ClassRecord* c = record; c; c = c->super)
        if (string::CompareNoCase(string(c->name), typeName) == 0) return true;
    for (int32_t i = 0; i < record->interfaceCount; ++i) {
        ClassRecord* interfaceClass = record->interfaces[i].interfaceClass;
        if (!interfaceClass) {
            ReportAssertion(kSource, __LINE__, "iface.super");
            continue;
        }
        if (string::CompareNoCase(string(interfaceClass->name), typeName) == 0) return true;
    }
    return false;
}

// Without such a property the object itself may supply the value: "Value", or the name ending in
// the wanted type, converts the object as a Variant would.
bool NamesOwnValue(const char* name, const char* typedName) {
    return SameText(name, "Value") || SameText(name, typedName);
}

}  // namespace

string DeclarationFromSignature(const string& signature, bool withOwner) {
    SignatureParts parts;
    if (!SplitSignature(signature, &parts)) return string();
    string text(parts.returnCode.IsEmpty() ? "Sub " : "Function ");
    text.Append(parts.name);
    text.AppendCString("(");
    const char* codes = parts.parameterCodes.CString();
    const int32_t length = parts.parameterCodes.Length();
    // The written parameters, so that "Assigns " can go before the last one.
    string written[64];
    int32_t count = 0;
    for (int32_t at = 0, number = 0; at < length; ++number) {
        bool byRef = false;
        if (codes[at] == '&') {
            byRef = true;
            ++at;
        }
        DecodedType type;
        if (!DecodeType(codes, length, &at, &type)) return string();
        if (number == 0 && !withOwner) continue;
        if (count == 64) return string();
        string parameter(byRef ? "ByRef param" : "param");
        parameter.Append(StringFromInteger(number));
        AppendTypePart(parameter, type);
        written[count++] = parameter;
    }
    for (int32_t i = 0; i < count; ++i) {
        if (i > 0) text.AppendCString(", ");
        if (parts.assignment && i == count - 1) text.AppendCString("Assigns ");
        text.Append(written[i]);
    }
    text.AppendCString(")");
    if (!parts.returnCode.IsEmpty()) {
        int32_t at = 0;
        DecodedType type;
        if (!DecodeType(parts.returnCode.CString(), parts.returnCode.Length(), &at, &type)) return string();
        if (type.dimensions) {
            text.AppendCString(" As ");
            text.Append(type.name);
            text.AppendCString("(");
            for (int32_t d = 1; d < type.dimensions; ++d) text.AppendCString(",");
            text.AppendCString(")");
        } else {
            AppendTypePart(text, type);
        }
    }
    return text;
}

int32_t PropertyCacheWalkCount() { return sWalkCount; }

extern "C" {

// --- strings ---

const char* StringGetCString(StringRecord* text) { return StringRecord::CString(text); }

const unsigned char* StringGetPString(StringRecord* text) {
    static const unsigned char kEmpty[2] = {0, 0};
    return text && text->buffer ? text->buffer : kEmpty;
}

StringRecord* QUORBuildString(const void* bytes, int32_t length) {
    string text;
    if (bytes && length > 0) text.SetBytes(bytes, length);
    text.SetEncoding(kEncodingUnknown);
    return text.Detach();
}

void QUORLockString(StringRecord* text) { RuntimeLockString(text); }
void QUORUnlockString(StringRecord* text) { RuntimeUnlockString(text); }

uint32_t QUORGetStringEncoding(StringRecord* text) { return text ? text->encoding : kEncodingASCII; }

// Retagged in place, as plug-ins expect; but the payload's literals are shared by all compiled
// code and keep their tag, and the kept conversion of the record is dropped.
void QUORSetStringEncoding(StringRecord* text, uint32_t encoding) {
    if (!text) return;
    const auto* data = static_cast<const char*>(PayloadDataBase());
    const auto* record = reinterpret_cast<const char*>(text);
    if (data && record >= data && record < data + PayloadDataSize()) return;
    ForgetStringConversion(text);
    text->encoding = encoding;
}

uint32_t QUORGetFontEncoding(const char* fontName) { return FontTextEncoding(string(fontName)); }

StringRecord* QUORConvertString(StringRecord* text, uint32_t encoding) {
    return ConvertStringEncoding(string(text), encoding).Detach();
}

void QUORStripAmpersands(StringRecord** variable) {
    if (!variable || !*variable) return;
    const string stripped = StripAmpersandsCopy(string(*variable), nullptr);
    StringRecord* old = *variable;
    *variable = string(stripped).Detach();
    StringRecord::Release(old);
}

StringRecord* PluginInterpretConstantValue(StringRecord* text) { return RuntimeLockString(text); }
StringRecord* PluginDefaultControlFont() { return string("System").Detach(); }
StringRecord* PluginDefaultControlCaption() { return string("Untitled").Detach(); }
int32_t PluginDefaultControlFontSize() { return 12; }

// --- objects and classes ---

void QUORLockObject(ObjectHeader* object) { RuntimeLockObject(object); }
void QUORUnlockObject(ObjectHeader* object) { RuntimeUnlockObject(object); }

ObjectHeader* PluginNewInstance(const char* className) {
    if (!className) return nullptr;
    if (ObjectDefinition* definition = pluginObjectType(className)) return CreateInstance(definition);
    ClassRecord* record = PluginClassRecordNamed(className);
    return record ? RuntimeNewObject(record) : nullptr;
}

ObjectHeader* PluginNewOfSameClass(ObjectHeader* object) {
    return object ? RuntimeNewObject(RuntimeClassOf(object)) : nullptr;
}

ClassRecord* PluginClassRecordNamed(const char* className) {
    if (!className) return nullptr;
    const string name(className);
    for (ClassRecord* c = FirstClassRecord(); c; c = c->next)
        if (string::CompareNoCase(string(c->name), name) == 0) return c;
    return nullptr;
}

void* GetEventInstance(ObjectHeader* object, const EventDefinition* event) {
    return object && event ? FindEventInstance(object, event) : nullptr;
}

void* GetInterfaceRoutine(ObjectHeader* object, const char* interfaceName, const char* methodName) {
    if (!object || !object->classPtr || !methodName) return nullptr;
    ObjectDefinition* interfaceDefinition = pluginObjectType(interfaceName);
    if (!interfaceDefinition) return nullptr;
    return FindInterfaceRoutine(object, LookupObjectDefinition(interfaceDefinition), string(methodName));
}

void* FindInterfaceRoutine(ObjectHeader* object, ClassRecord* interfaceClass, const string& method) {
    return FindInterfaceMethod(object, interfaceClass, method);
}

int32_t QUORCountClassMethods(ClassRecord* record) {
    if (!record) {
        ReportAssertion(kSource, __LINE__, "classDef");
        return 0;
    }
    return EntryCount(record);
}

bool QUORGetClassMethod(ClassRecord* record, int32_t index, void** function, StringRecord** declaration) {
    if (!record) return false;
    void* found;
    StringRecord* signature;
    if (!EntryAt(record, index, &found, &signature)) return false;
    string text = DeclarationFromSignature(string(signature), true);
    if (text.IsEmpty()) return false;
    if (function) *function = found;
    if (declaration) *declaration = text.Detach();
    return true;
}

int32_t QUORCountClassProperties(ClassRecord* record) { return record ? record->propertyCount : 0; }

bool QUORGetClassProperty(ClassRecord* record, int32_t index, void** getter, void** setter,
                          int32_t* parameter, StringRecord** declaration) {
    if (!record || index < 0 || index >= record->propertyCount) return false;
    const PropertySlot& slot = record->properties[index];
    const char* text = StringRecord::CString(slot.descriptor);
    const char* mark = std::strchr(text, '%');
    const char* code = mark ? mark + 1 : "";
    void* genericGetter;
    void* genericSetter;
    GenericByLetter(code[0], code, &genericGetter, &genericSetter);
    const auto choose = [](void* word, void* generic) {
        return reinterpret_cast<uintptr_t>(word) == kPlainFieldAccessor ? generic : word;
    };
    if (getter) *getter = choose(slot.getter, genericGetter);
    if (setter) *setter = choose(slot.setter, genericSetter);
    if (parameter) *parameter = slot.parameter;
    if (declaration) {
        DecodedType type;
        string result = PropertyNameOf(slot.descriptor);
        if (PropertyTypeOf(slot.descriptor, &type)) AppendTypePart(result, type);
        *declaration = result.Detach();
    }
    return true;
}

void* QUORLoadGlobalMethod(void*, const char* declaration) {
    ParsedDeclaration requested;
    if (!ParsePluginDeclaration(declaration, &requested)) return nullptr;
    void* found = nullptr;
    const int32_t count = IntrinsicFunctionCount();
    for (int32_t i = 0; i < count && !found; ++i) {
        const MethodEntry* row = IntrinsicFunctionAt(i);
        if (!row) {
            ReportAssertion(kSource, __LINE__, "meth");
            continue;
        }
        if (DeclarationsMatch(requested, row->name, row->returnType, row->parameters, row->parameterCount))
            found = row->function.toc;
    }
    FreeParsedDeclaration(&requested);
    return found;
}

void* QUORLoadObjectMethod(ObjectHeader* object, const char* declaration) {
    if (!object || !object->classPtr) return nullptr;
    ParsedDeclaration requested;
    if (!ParsePluginDeclaration(declaration, &requested)) return nullptr;
    ClassRecord* record = object->classPtr;
    void* found = nullptr;
    for (int32_t i = 0; i < EntryCount(record) && !found; ++i) {
        void* function;
        StringRecord* signature;
        if (!EntryAt(record, i, &function, &signature)) continue;
        SignatureParts parts;
        if (!SplitSignature(string(signature), &parts) || string::CompareNoCase(parts.name, requested.name) != 0)
            continue;
        const string candidateText = DeclarationFromSignature(string(signature), false);
        ParsedDeclaration candidate;
        if (candidateText.IsEmpty() || !ParsePluginDeclaration(candidateText.CString(), &candidate)) continue;
        if (DeclarationsMatch(requested, candidate.name.CString(), candidate.returnType, candidate.parameters,
                              candidate.parameterCount))
            found = function;
        FreeParsedDeclaration(&candidate);
    }
    FreeParsedDeclaration(&requested);
    return found;
}

// --- properties by name ---

bool QUORGetPropValueInt(ObjectHeader* object, const char* name, int32_t* value) {
    if (!value) return false;
    const CachedProperty* p = FindPropertyAccessors(object, name);
    if (!p) {
        if (!object) return false;
        if (NamesOwnValue(name, "IntegerValue") && ConvertObjectToInt(object, value)) return true;
        if (!SameText(name, "Type")) return false;
        *value = VarType(object);
        return true;
    }
    if (!p->getter) return false;
    switch (p->kind) {
    case ValueKind::Integer:
        *value = CallGetter<int32_t>(p, object);
        return true;
    case ValueKind::Double:
        *value = TruncateToInt32(CallGetter<double>(p, object));
        return true;
    case ValueKind::Single:
        *value = TruncateToInt32(CallGetter<float>(p, object));
        return true;
    default:
        return false;
    }
}

bool QUORGetPropValueDouble(ObjectHeader* object, const char* name, double* value) {
    if (!value) return false;
    const CachedProperty* p = FindPropertyAccessors(object, name);
    if (!p) return object && NamesOwnValue(name, "DoubleValue") && ConvertObjectToDouble(object, value);
    if (!p->getter) return false;
    switch (p->kind) {
    case ValueKind::Integer:
        *value = CallGetter<int32_t>(p, object);
        return true;
    case ValueKind::Double:
        *value = CallGetter<double>(p, object);
        return true;
    case ValueKind::Single:
        *value = CallGetter<float>(p, object);
        return true;
    default:
        return false;
    }
}

bool QUORGetPropValueString(ObjectHeader* object, const char* name, StringRecord** value) {
    if (!value) return false;
    const CachedProperty* p = FindPropertyAccessors(object, name);
    if (!p) return object && NamesOwnValue(name, "StringValue") && ConvertObjectToString(object, value);
    if (!p->getter || p->kind != ValueKind::String) return false;
    *value = CallGetter<StringRecord*>(p, object);
    return true;
}

bool QUORGetPropValueBool(ObjectHeader* object, const char* name, uint8_t* value) {
    if (!value) return false;
    const CachedProperty* p = FindPropertyAccessors(object, name);
    if (!p) {
        bool result;
        if (!object || !NamesOwnValue(name, "BooleanValue") || !ConvertObjectToBoolean(object, &result))
            return false;
        *value = result;
        return true;
    }
    if (!p->getter || p->kind != ValueKind::Boolean) return false;
    *value = static_cast<uint8_t>(CallGetter<int32_t>(p, object)) != 0;
    return true;
}

bool QUORGetPropValueObject(ObjectHeader* object, const char* name, ObjectHeader** value) {
    if (!value) return false;
    const CachedProperty* p = FindPropertyAccessors(object, name);
    if (!p) {
        if (object && (SameText(name, "Value") || SameText(name, "ObjectValue"))) {
            RetainObject(object);
            *value = object;
            return true;
        }
        return object && SameText(name, "DateValue") && ConvertObjectToDate(object, value);
    }
    if (!p->getter || p->kind != ValueKind::Object) return false;
    *value = CallGetter<ObjectHeader*>(p, object);
    return true;
}

bool QUORSetPropValueInt(ObjectHeader* object, const char* name, int32_t value) {
    const CachedProperty* p = Setter(object, name);
    if (!p) return false;
    switch (p->kind) {
    case ValueKind::Integer:
        CallSetter<int32_t>(p, object, value);
        return true;
    case ValueKind::Double:
        CallSetter<double>(p, object, value);
        return true;
    case ValueKind::Single:
        CallSetter<float>(p, object, static_cast<float>(value));
        return true;
    default:
        return false;
    }
}

bool QUORSetPropValueDouble(ObjectHeader* object, const char* name, double value) {
    const CachedProperty* p = Setter(object, name);
    if (!p) return false;
    switch (p->kind) {
    case ValueKind::Integer:
        CallSetter<int32_t>(p, object, TruncateToInt32(value));
        return true;
    case ValueKind::Double:
        CallSetter<double>(p, object, value);
        return true;
    case ValueKind::Single:
        CallSetter<float>(p, object, static_cast<float>(value));
        return true;
    default:
        return false;
    }
}

bool QUORSetPropValueString(ObjectHeader* object, const char* name, StringRecord* value) {
    const CachedProperty* p = Setter(object, name);
    if (!p || p->kind != ValueKind::String) return false;
    CallSetter<StringRecord*>(p, object, value);
    return true;
}

bool QUORSetPropValueBoolean(ObjectHeader* object, const char* name, uint8_t value) {
    const CachedProperty* p = Setter(object, name);
    if (!p || p->kind != ValueKind::Boolean) return false;
    CallSetter<int32_t>(p, object, value);
    return true;
}

bool QUORSetPropValueObject(ObjectHeader* object, const char* name, ObjectHeader* value) {
    const CachedProperty* p = Setter(object, name);
    if (!p || p->kind != ValueKind::Object) return false;
    if (value && string::CompareNoCase(p->typeName, string("Object")) != 0) {
        if (!value->classPtr) {
            ReportAssertion(kSource, __LINE__, "cls");
            return false;
        }
        if (!CarriesTypeName(value->classPtr, p->typeName)) return false;
    }
    CallSetter<ObjectHeader*>(p, object, value);
    return true;
}

// --- facts about the runtime ---

double QUORGetQVVersion() { return kRuntimeVersion; }
bool QUORinRuntime() { return true; }
// The remote debugger does not exist yet, so the application never runs under it.
bool QUORInDebugMode() { return false; }
void QUORYieldToQV() { RunDuePeriodicTasks(false); }

ObjectHeader* QUORGetProjectFolder() {
    return NewFolderItemForImp(FolderItemImp::RelativeToExecutable(string()));
}

StringRecord* QUORGetCommandLineForUnix() { return nullptr; }
int32_t QUORGetWin32Charset() { return ScriptToCharset(SystemScript()); }

}  // extern "C"
