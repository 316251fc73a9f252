// Conversions out of a Variant, its kind and its hash. A conversion looks in the object's class for
// an Operator_Convert method whose signature names the wanted type; a Date that has none converts
// through its TotalSeconds. Each search runs once per class: its answer, none included, is cached
// by class record for the rest of the run.
#include "core/DefinitionConversion.h"
#include "core/Exceptions.h"
#include "core/FailureReport.h"
#include "core/IntKeyMap.h"
#include "values/Date.h"
#include "core/NumberConversion.h"
#include "values/NumberText.h"
#include "values/Variant.h"

namespace {

constexpr const char* kSource = "variant";

// A map by class record with the last answer in front of it: runs of values of one class, the
// common case in a loop or a Dictionary, skip the map.
template <typename V>
struct ClassCache {
    IntKeyMap<V, ClassRecord*>* map = nullptr;
    ClassRecord* lastClass = nullptr;
    V lastValue{};

    bool Get(ClassRecord* record, V& value) {
        if (record == lastClass) {
            value = lastValue;
            return true;
        }
        if (!map) map = new IntKeyMap<V, ClassRecord*>;
        if (!map->GetEntry(record, value)) return false;
        lastClass = record;
        lastValue = value;
        return true;
    }
    void Set(ClassRecord* record, V value) {
        map->SetEntry(record, value);
        lastClass = record;
        lastValue = value;
    }
};

using OperatorCache = ClassCache<void*>;

// Whether text contains pattern, ASCII letters compared without regard to case. Signature texts
// and the patterns are ASCII.
bool ContainsNoCase(const StringRecord* text, const char* pattern, int32_t patternLength) {
    const int32_t length = StringRecord::Length(text);
    const char* bytes = StringRecord::CString(text);
    auto fold = [](char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 32) : c; };
    for (int32_t start = 0; start + patternLength <= length; ++start) {
        int32_t i = 0;
        while (i < patternLength && fold(bytes[start + i]) == fold(pattern[i])) ++i;
        if (i == patternLength) return true;
    }
    return false;
}

// The function of the first method, then of the first accessor, whose signature contains the
// pattern. Compiled classes keep their methods in the method table; built-in classes declare
// theirs as rows, which become accessors.
void* FindOperator(ClassRecord* record, const char* pattern) {
    int32_t patternLength = 0;
    while (pattern[patternLength]) ++patternLength;
    for (int32_t i = 0; i < record->methodCount; ++i)
        if (record->methods[i].name &&
            ContainsNoCase(record->methods[i].name, pattern, patternLength))
            return record->methods[i].function;
    for (int32_t i = 0; i < record->accessorCount; ++i)
        if (record->accessors[i].signature &&
            ContainsNoCase(record->accessors[i].signature, pattern, patternLength))
            return record->accessors[i].function;
    return nullptr;
}

// The cached search of a pattern in the object's class.
void* CachedOperator(ObjectHeader* object, const char* pattern, OperatorCache& cache) {
    ClassRecord* record = object->classPtr;
    void* function;
    if (cache.Get(record, function)) return function;
    function = FindOperator(record, pattern);
    cache.Set(record, function);
    return function;
}

// One cache per conversion, each with its own pattern.
template <const char* Pattern>
void* ConvertOperator(ObjectHeader* object) {
    static OperatorCache cache;
    return CachedOperator(object, Pattern, cache);
}

constexpr char kToInteger[] = "Operator_Convert%i4%o<";
constexpr char kToUInteger[] = "Operator_Convert%u4%o<";
constexpr char kToBoolean[] = "Operator_Convert%b%o<";
constexpr char kToDouble[] = "Operator_Convert%f8%o<";
constexpr char kToSingle[] = "Operator_Convert%f4%o<";
constexpr char kToColor[] = "Operator_Convert%c%o<";
constexpr char kToString[] = "Operator_Convert%s%o<";
constexpr char kHash[] = "Operator_Hash%i4%o<";

template <typename T>
T Call(void* function, ObjectHeader* object) {
    return reinterpret_cast<T (*)(ObjectHeader*)>(function)(object);
}

// The TotalSeconds of a Date or one of its subclasses.
bool DateSeconds(ObjectHeader* object, double* seconds) {
    if (!ObjectIsaDefinition(object, GetDateDefinition())) return false;
    *seconds = dateTotalSecondsGetter(object, 0);
    return true;
}

bool MissingOut(const void* out) {
    if (out) return false;
    ReportAssertion(kSource, __LINE__, "out");
    return true;
}

void RaiseTypeMismatch() { RaiseExceptionDefinition(TypeMismatchException()); }

ObjectHeader* NewDateAt(double seconds) {
    ObjectHeader* date = CreateInstance(GetDateDefinition());
    dateTotalSecondsSetter(date, 0, seconds);
    return date;
}

// The result of a conversion entry point, or the empty value with a TypeMismatchException.
template <typename T, bool (*Convert)(ObjectHeader*, T*)>
T VariantTo(ObjectHeader* value) {
    T result{};
    if (!value) return result;
    if (!Convert(value, &result)) {
        RaiseTypeMismatch();
        return T{};
    }
    return result;
}

bool IsBox(ObjectHeader* value, ObjectDefinition* (*definition)()) {
    return RuntimeObjectIsa(value, LookupObjectDefinition(definition()));
}

}  // namespace

extern "C" {

bool ConvertObjectToInt(ObjectHeader* object, int32_t* out) {
    if (MissingOut(out) || !object) return false;
    double seconds;
    if (void* function = ConvertOperator<kToInteger>(object))
        *out = Call<int32_t>(function, object);
    else if (DateSeconds(object, &seconds))
        *out = TruncateToInt32(seconds);
    else
        return false;
    return true;
}

bool ConvertObjectToUInt(ObjectHeader* object, uint32_t* out) {
    if (MissingOut(out) || !object) return false;
    double seconds;
    if (void* function = ConvertOperator<kToUInteger>(object))
        *out = Call<uint32_t>(function, object);
    else if (DateSeconds(object, &seconds))
        *out = TruncateToUInt32(seconds);
    else
        return false;
    return true;
}

bool ConvertObjectToColor(ObjectHeader* object, int32_t* out) {
    if (MissingOut(out) || !object) return false;
    double seconds;
    if (void* function = ConvertOperator<kToColor>(object))
        *out = Call<int32_t>(function, object);
    else if (DateSeconds(object, &seconds))
        *out = TruncateToInt32(seconds);
    else
        return false;
    return true;
}

// Compiled code returns a Boolean in the low byte; any non-zero byte is True.
bool ConvertObjectToBoolean(ObjectHeader* object, bool* out) {
    if (!object || !out) return false;
    double seconds;
    if (void* function = ConvertOperator<kToBoolean>(object))
        *out = Call<uint8_t>(function, object) != 0;
    else if (DateSeconds(object, &seconds))
        *out = seconds != 0.0;
    else
        return false;
    return true;
}

bool ConvertObjectToDouble(ObjectHeader* object, double* out) {
    if (!object || !out) return false;
    double seconds;
    if (void* function = ConvertOperator<kToDouble>(object))
        *out = Call<double>(function, object);
    else if (DateSeconds(object, &seconds))
        *out = seconds;
    else if (void* single = ConvertOperator<kToSingle>(object))
        *out = Call<float>(single, object);
    else
        return false;
    return true;
}

bool ConvertObjectToString(ObjectHeader* object, StringRecord** out) {
    if (MissingOut(out) || !object) return false;
    if (void* function = ConvertOperator<kToString>(object))
        *out = Call<StringRecord*>(function, object);
    else if (ObjectIsaDefinition(object, GetDateDefinition()))
        *out = dateSQLDateTimeGetter(object, 0);
    else
        return false;
    return true;
}

bool ConvertObjectToDate(ObjectHeader* value, ObjectHeader** out) {
    if (MissingOut(out)) return false;
    *out = nullptr;
    switch (VarType(value)) {
    case kVariantNil:
        RaiseExceptionDefinition(NilObjectException());
        return false;
    case kVariantInteger:
    case kVariantBoolean:
    case kVariantColor: {
        const int32_t seconds = variantToInt(value);
        if (ExceptionInFlight()) return false;
        *out = NewDateAt(seconds < 0 ? seconds + 4294967296.0 : seconds);
        return true;
    }
    case kVariantDouble: {
        const double seconds = variantToDouble(value);
        if (ExceptionInFlight()) return false;
        *out = NewDateAt(seconds);
        return true;
    }
    case kVariantDate:
        RetainObject(value);
        *out = value;
        return true;
    case kVariantString: {
        const string text = string::Adopt(variantToString(value));
        if (ExceptionInFlight()) return false;
        ObjectHeader* date = NewDateFromSQLDateTime(text);
        if (ExceptionInFlight()) {
            ReleaseObject(date);
            return false;
        }
        *out = date;
        return true;
    }
    default:
        RaiseTypeMismatch();
        return false;
    }
}

int32_t variantToInt(ObjectHeader* value) { return VariantTo<int32_t, ConvertObjectToInt>(value); }
uint32_t variantToUInt(ObjectHeader* value) {
    return VariantTo<uint32_t, ConvertObjectToUInt>(value);
}
int32_t variantToColor(ObjectHeader* value) {
    return VariantTo<int32_t, ConvertObjectToColor>(value);
}
bool variantToBoolean(ObjectHeader* value) {
    return VariantTo<bool, ConvertObjectToBoolean>(value);
}
double variantToDouble(ObjectHeader* value) {
    return VariantTo<double, ConvertObjectToDouble>(value);
}
StringRecord* variantToString(ObjectHeader* value) {
    return VariantTo<StringRecord*, ConvertObjectToString>(value);
}

// ConvertObjectToDate raises for itself.
ObjectHeader* VariantToDate(ObjectHeader* value) {
    ObjectHeader* date = nullptr;
    if (!value || !ConvertObjectToDate(value, &date)) return nullptr;
    return date;
}

ObjectHeader* variantToObject(ObjectHeader* value) {
    RetainObject(value);
    return value;
}

int32_t VarType(ObjectHeader* value) {
    if (!value) return kVariantNil;
    static ClassCache<int32_t> cache;
    int32_t kind;
    if (cache.Get(value->classPtr, kind)) return kind;
    if (IsBox(value, GetIntegerObjectDefinition) || IsBox(value, GetUnsignedIntegerObjectDefinition))
        kind = kVariantInteger;
    else if (IsBox(value, GetStringObjectDefinition))
        kind = kVariantString;
    else if (IsBox(value, GetDoubleObjectDefinition))
        kind = kVariantDouble;
    else if (IsBox(value, GetBooleanObjectDefinition))
        kind = kVariantBoolean;
    else if (IsBox(value, GetColorObjectDefinition))
        kind = kVariantColor;
    else if (IsBox(value, GetDateDefinition))
        kind = kVariantDate;
    else
        kind = kVariantObject;
    cache.Set(value->classPtr, kind);
    return kind;
}

bool IsNull(ObjectHeader* value) { return value == nullptr; }

int32_t VariantHash(ObjectHeader* value) {
    if (!value) return 0;
    static OperatorCache cache;
    if (void* function = CachedOperator(value, kHash, cache)) return Call<int32_t>(function, value);
    double seconds;
    if (DateSeconds(value, &seconds)) return static_cast<int32_t>(HashWords(&seconds, 8));
    const uint32_t identity = static_cast<uint32_t>(reinterpret_cast<uintptr_t>(value));
    return static_cast<int32_t>(HashWords(&identity, 4));
}

bool RuntimeIsNumeric(ObjectHeader* value) {
    const int32_t kind = VarType(value);
    if (kind == kVariantInteger || kind == kVariantDouble) return true;
    if (kind != kVariantString) return false;
    const string text = string::Adopt(variantToString(value));
    return !ExceptionInFlight() && IsNumericText(text);
}

StringRecord* runCStr(ObjectHeader* value) {
    if (!value) return nullptr;
    if (!RuntimeIsNumeric(value)) return variantToString(value);
    double number = 0;
    ConvertObjectToDouble(value, &number);
    if (ExceptionInFlight()) return nullptr;
    return FormatCStr(number).Detach();
}

}  // extern "C"
