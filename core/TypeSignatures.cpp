// The text forms of types and methods: type names as the language writes them, the type codes of
// link signatures, declaration texts and the link signatures themselves (the same grammar as the
// signatures in the application payload).
#include <cstring>

#include "ClassDefinition.h"
#include "FailureReport.h"

namespace {

constexpr const char* kSource = "objects";

struct TypeCode {
    const char* name;
    const char* code;
};

constexpr TypeCode kTypeCodes[] = {
    {"String", "s"}, {"Integer", "i4"}, {"UInteger", "u4"}, {"Boolean", "b"},
    {"Single", "f4"}, {"Double", "f8"}, {"Color", "c"},   {"Ptr", "p"},
    {"CString", "z"}, {"PString", "l"},  {"WindowPtr", "w"}, {"Class", "x"},
};

// Appends runtime text; a text started from nothing carries kEncodingASCII.
void Add(string& text, const char* more) {
    if (text.IsEmpty())
        text = string(more);
    else
        text.AppendCString(more);
}

const IntrinsicType* AsIntrinsic(const TypeDescriptor* type) {
    return reinterpret_cast<const IntrinsicType*>(type);
}
const ArrayType* AsArray(const TypeDescriptor* type) {
    return reinterpret_cast<const ArrayType*>(type);
}
const ObjectDefinition* AsDefinition(const TypeDescriptor* type) {
    return reinterpret_cast<const ObjectDefinition*>(type);
}

void AppendInteger(string& text, int32_t value) { text.Append(StringFromInteger(value)); }

void AppendDefault(string& text, const ParameterEntry& parameter) {
    const TypeDescriptor* type = parameter.parameterType;
    const char* intrinsic =
        type && type->kind == kTypeIntrinsic ? AsIntrinsic(type)->name : nullptr;
    if (intrinsic && std::strcmp(intrinsic, "String") == 0) {
        Add(text, "=\"");
        text.Append(string(reinterpret_cast<StringRecord*>(parameter.defaultValue)));
        Add(text, "\"");
    } else if (intrinsic && std::strcmp(intrinsic, "Boolean") == 0) {
        Add(text, parameter.defaultValue ? "=True" : "=False");
    } else if (intrinsic && std::strcmp(intrinsic, "Color") == 0) {
        Add(text, "=&h");
        text.Append(StringFromHex8(static_cast<uint32_t>(parameter.defaultValue)));
    } else if (type && type->kind == kTypeClass && parameter.defaultValue == 0) {
        Add(text, "=Nil");
    } else {
        Add(text, "=");
        AppendInteger(text, static_cast<int32_t>(parameter.defaultValue));
    }
}

}  // namespace

string TypeDescriptor::TypeName() const {
    switch (kind) {
    case kTypeIntrinsic:
        return string(AsIntrinsic(this)->name);
    case kTypeClass:
        return AsDefinition(this)->className;
    case kTypeArray: {
        const TypeDescriptor* element = AsArray(this)->elementType;
        string name;
        if (element)
            name = element->TypeName();
        else
            ReportAssertion(kSource, __LINE__, "atype->elementType");
        Add(name, "()");
        return name;
    }
    default:
        return string();
    }
}

string TypeDescriptor::SignatureCode() const {
    if (kind == kTypeIntrinsic) {
        const char* name = AsIntrinsic(this)->name;
        for (const TypeCode& code : kTypeCodes)
            if (name && std::strcmp(name, code.name) == 0) return string(code.code);
        ReportAssertion(kSource, __LINE__, "0");
        return string();
    }
    if (kind == kTypeArray) {
        const ArrayType* array = AsArray(this);
        string code("a");
        AppendInteger(code, array->dimensions);
        if (array->elementType)
            code.Append(array->elementType->SignatureCode());
        else
            ReportAssertion(kSource, __LINE__, "atype->elementType");
        return code;
    }
    if (kind == 2 || kind == kTypeClass) {
        string code("o<");
        code.Append(TypeName());
        Add(code, ">");
        return code;
    }
    return string();
}

string MethodDefinition::DeclarationText() const {
    if (parameterCount == 0 && !declaration.IsEmpty()) return declaration;
    string text;
    for (int32_t i = 0; i < parameterCount; ++i) {
        const ParameterEntry& parameter = parameters[i];
        if (i > 0) Add(text, ", ");
        if (i == 0 && (kind == kMethodExtends || kind == kMethodExtendsAssigns))
            Add(text, "Extends ");
        if (i == parameterCount - 1 && (kind == kMethodAssigns || kind == kMethodExtendsAssigns))
            Add(text, "Assigns ");
        if (parameter.paramArray) Add(text, "ParamArray ");
        if (parameter.byRef) Add(text, "ByRef ");
        Add(text, parameter.name);
        const TypeDescriptor* type = parameter.parameterType;
        if (type && type->kind == kTypeArray) {
            Add(text, "() As ");
            const TypeDescriptor* element = AsArray(type)->elementType;
            if (element) text.Append(element->TypeName());
        } else {
            Add(text, " As ");
            if (type) text.Append(type->TypeName());
        }
        if (parameter.hasDefault) AppendDefault(text, parameter);
    }
    return text;
}

string MethodDefinition::ReturnTypeName() const {
    return returnType ? returnType->TypeName() : returnTypeName;
}

string MethodDefinition::Signature(const ObjectDefinition* owner, bool setterForm) const {
    string text;
    if (setterForm) Add(text, "=");
    text.Append(alias.IsEmpty() ? name : alias);
    Add(text, "%");
    if (!setterForm && returnType) text.Append(returnType->SignatureCode());
    Add(text, "%");
    if (owner) text.Append(owner->AsType()->SignatureCode());
    for (int32_t i = 0; i < parameterCount; ++i) {
        const ParameterEntry& parameter = parameters[i];
        if (parameter.byRef) Add(text, "&");
        if (parameter.parameterType) {
            text.Append(parameter.parameterType->SignatureCode());
        } else {
            string message(name);
            Add(message, " has a null parameter type ptr");
            ReportAssertion(kSource, __LINE__, "param->parameterType", message.CString());
        }
    }
    if (setterForm && returnType) text.Append(returnType->SignatureCode());
    return text;
}
