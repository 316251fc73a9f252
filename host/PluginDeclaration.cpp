#include "host/PluginDeclaration.h"

#include <cstring>

#include "core/FailureReport.h"
#include "core/IntrinsicRegistry.h"
#include "host/DeclarationLexer.h"
#include "core/IntrinsicTypes.h"
#include "host/PluginClasses.h"
#include "host/PluginLibrary.h"

namespace {

struct Rename {
    const char* from;
    const char* to;
};

constexpr Rename kClassRenames[] = {
    {"DatabaseCursor", "RecordSet"},
    {"DatabaseCursorField", "DatabaseField"},
    {"ExcelApplication", "OldExcelApplication"},
    {"PowerPointApplication", "OldPowerPointApplication"},
    {"WordApplication", "OldWordApplication"},
};

char* CopyName(const char* text) {
    const size_t length = std::strlen(text);
    char* copy = GuardedNewArray<char>(length + 1);
    std::memcpy(copy, text, length + 1);
    return copy;
}

const TypeDescriptor* NewArrayType(const TypeDescriptor* element) {
    auto* array = static_cast<ArrayType*>(GuardedNew(sizeof(ArrayType)));
    *array = ArrayType{kTypeArray, element, 1};
    return AsType(array);
}

// The type a type token names; null when it names none.
const TypeDescriptor* TypeOfToken(int32_t token) {
    switch (token) {
    case kTokenInteger:
        return AsType(&kIntegerType);
    case kTokenBoolean:
        return AsType(&kBooleanType);
    case kTokenColor:
        return AsType(&kColorType);
    case kTokenString:
        return AsType(&kStringType);
    case kTokenDouble:
        return AsType(&kDoubleType);
    case kTokenSingle:
        return AsType(&kSingleType);
    case kTokenObject:
        return Object()->AsType();
    case kTokenIdentifier: {
        ObjectDefinition* definition = FindPluginSuperclass(string(LexerTokenText()));
        return definition ? definition->AsType() : nullptr;
    }
    default:
        return nullptr;
    }
}

void FreeArrayType(const TypeDescriptor* type) {
    if (type && type->kind == kTypeArray) GuardedDelete(const_cast<TypeDescriptor*>(type));
}

void FreeParameters(ParameterEntry* parameters, int32_t count, bool withTypes) {
    if (!parameters) return;
    for (int32_t i = 0; i < count; ++i) {
        GuardedDeleteArray(const_cast<char*>(parameters[i].name));
        if (withTypes) FreeArrayType(parameters[i].parameterType);
    }
    GuardedDeleteArray(parameters);
}

// The diagnostic goes to the debug-message sink.
bool Fail(const char* what, const char* text, ParameterEntry* parameters, int32_t count,
          const char* typeName = nullptr) {
    string message(what);
    if (typeName) {
        message.AppendCString("\"");
        message.AppendCString(typeName);
        message.AppendCString("\"");
    }
    message.AppendCString(" in ");
    if (PluginLibrary* library = CurrentPluginLibrary()) message.Append(library->fileName);
    message.AppendCString(":\r\r");
    message.AppendCString(text);
    DebugLog(message.CString(), 10);
    FreeParameters(parameters, count, true);
    return false;
}

const TypeDescriptor* ElementOf(const TypeDescriptor* type) {
    return reinterpret_cast<const ArrayType*>(type)->elementType;
}
int32_t DimensionsOf(const TypeDescriptor* type) {
    return reinterpret_cast<const ArrayType*>(type)->dimensions;
}

bool SameType(const TypeDescriptor* a, const TypeDescriptor* b) {
    if (a == b) return true;
    if (!a || !b || a->kind != kTypeArray || b->kind != kTypeArray) return false;
    return DimensionsOf(a) == DimensionsOf(b) && SameType(ElementOf(a), ElementOf(b));
}

}  // namespace

const TypeDescriptor* PluginTypeDescriptor(const string& name) {
    static const IntrinsicType* const kTypes[] = {&kColorType,  &kIntegerType, &kBooleanType,
                                                  &kSingleType, &kDoubleType,  &kStringType};
    for (const IntrinsicType* type : kTypes)
        if (string::CompareNoCase(name, string(type->name)) == 0) return AsType(type);
    return nullptr;
}

ObjectDefinition* FindPluginSuperclass(const string& requested) {
    string name = requested;
    for (const Rename& rename : kClassRenames)
        if (string::CompareNoCase(name, string(rename.from)) == 0) name = string(rename.to);
    if (ObjectDefinition* definition = FindIntrinsicClass(name)) return definition;
    return FindPluginClassDefinition(name);
}

bool ParsePluginDeclaration(const char* text, ParsedDeclaration* out) {
    *out = ParsedDeclaration{};
    if (!text) return false;
    LexerSetInput(text);
    int32_t token = LexerNextSignificantToken();
    if (token == kTokenSub || token == kTokenFunction) token = LexerNextSignificantToken();
    if (token != kTokenIdentifier) return Fail("Invalid plugin method format", text, nullptr, 0);
    out->name = string(LexerTokenText());
    token = LexerNextSignificantToken();

    ParameterEntry* parameters = nullptr;
    int32_t count = 0;
    if (token == '(') {
        const int32_t textStart = LexerPosition();
        int32_t textEnd = textStart;
        token = LexerNextSignificantToken();
        if (token != ')') {
            for (int32_t index = 0;; ++index) {
                ParameterEntry parameter{};
                bool extends = false, assigns = false;
                if (token == kTokenByVal || token == kTokenByRef || token == kTokenExtends ||
                    token == kTokenAssigns) {
                    parameter.byRef = token == kTokenByRef;
                    extends = token == kTokenExtends;
                    assigns = token == kTokenAssigns;
                    token = LexerNextSignificantToken();
                }
                if (token != kTokenIdentifier)
                    return Fail("Invalid plugin method format", text, parameters, count);
                const string parameterName(LexerTokenText());
                token = LexerNextSignificantToken();
                bool isArray = false;
                if (token == '(') {
                    if (LexerNextSignificantToken() != ')')
                        return Fail("Invalid plugin method format", text, parameters, count);
                    isArray = true;
                    token = LexerNextSignificantToken();
                }
                if (token != kTokenAs)
                    return Fail("Invalid plugin method format", text, parameters, count);
                token = LexerNextSignificantToken();
                const TypeDescriptor* type = TypeOfToken(token);
                if (!type)
                    return Fail("Unknown type ", text, parameters, count, LexerTokenText());
                textEnd = LexerPosition();
                token = LexerNextSignificantToken();
                if (token == '=') {
                    token = LexerNextSignificantToken();
                    if (token == '-') token = LexerNextSignificantToken();
                    parameter.hasDefault = 1;
                    textEnd = LexerPosition();
                    token = LexerNextSignificantToken();
                }
                parameter.parameterType = isArray ? NewArrayType(type) : type;
                parameter.name = CopyName(parameterName.CString());
                // The array grows by one each time: declarations have a handful of parameters.
                auto* grown = GuardedNewArray<ParameterEntry>(count + 1);
                if (parameters) std::memcpy(grown, parameters, sizeof(ParameterEntry) * count);
                GuardedDeleteArray(parameters);
                parameters = grown;
                parameters[count++] = parameter;
                if (extends && index == 0) out->flags |= kDeclarationExtends;
                const bool last = token == ')';
                if (assigns && last) out->flags |= kDeclarationAssigns;
                if (token == ',') {
                    token = LexerNextSignificantToken();
                    continue;
                }
                if (token != ')')
                    return Fail("Invalid plugin method format", text, parameters, count);
                break;
            }
        }
        out->parameterText = MidBytes(string(text), textStart, textEnd - textStart);
        token = LexerNextSignificantToken();
    }

    if (token == kTokenAs) {
        token = LexerNextSignificantToken();
        const TypeDescriptor* type = TypeOfToken(token);
        if (!type) {
            out->flags = 0;
            if (token == kTokenIdentifier)
                return Fail("Unknown type ", text, parameters, count, LexerTokenText());
            return Fail("Invalid return type", text, parameters, count);
        }
        string typeName(LexerTokenText());
        if (LexerNextSignificantToken() == '(' && LexerNextSignificantToken() == ')') {
            type = NewArrayType(type);
            typeName.AppendCString("()");
        }
        out->returnType = type;
        out->returnTypeName = typeName;
    }
    out->parameters = parameters;
    out->parameterCount = count;
    return true;
}

void FreeParsedDeclaration(ParsedDeclaration* parsed) {
    FreeParameters(parsed->parameters, parsed->parameterCount, true);
    FreeArrayType(parsed->returnType);
    parsed->parameters = nullptr;
    parsed->parameterCount = 0;
    parsed->returnType = nullptr;
}

bool DeclarationsMatch(const ParsedDeclaration& requested, const char* candidateName,
                       const TypeDescriptor* candidateReturn, const ParameterEntry* candidateParameters,
                       int32_t candidateCount) {
    if (string::CompareNoCase(requested.name, string(candidateName)) != 0) return false;
    const TypeDescriptor* asked = requested.returnType;
    if ((asked == nullptr) != (candidateReturn == nullptr)) return false;
    if (asked && !SameType(asked, candidateReturn)) {
        if (asked->kind != kTypeClass || candidateReturn->kind != kTypeClass) return false;
        const auto* candidateClass = reinterpret_cast<const ObjectDefinition*>(candidateReturn);
        if (!candidateClass->InheritsFrom(reinterpret_cast<const ObjectDefinition*>(asked)))
            return false;
    }
    if (requested.parameterCount != candidateCount) return false;
    for (int32_t i = 0; i < candidateCount; ++i) {
        const ParameterEntry& want = requested.parameters[i];
        const ParameterEntry& have = candidateParameters[i];
        if (!SameType(want.parameterType, have.parameterType)) return false;
        if ((want.byRef != 0) != (have.byRef != 0)) return false;
    }
    return true;
}
