// The declaration texts of plug-in methods and events, read with the declaration lexer:
// "Function Area(scale As Double, ByRef count As Integer) As Integer".
#pragma once

#include <cstdint>

#include "core/ClassDefinition.h"
#include "core/RuntimeString.h"

constexpr int32_t kDeclarationExtends = 1;  // the first parameter is marked Extends
constexpr int32_t kDeclarationAssigns = 2;  // the last parameter is marked Assigns

struct ParsedDeclaration {
    string name;
    string parameterText;   // as written, from just after "(" to the end of the last parameter
    string returnTypeName;  // empty for none; "()" appended for an array result
    const TypeDescriptor* returnType = nullptr;
    ParameterEntry* parameters = nullptr;  // guarded array; names are guarded copies
    int32_t parameterCount = 0;
    int32_t flags = 0;
};

// False when the text does not follow the declaration grammar or names a type that cannot be
// found; nothing is then left allocated.
bool ParsePluginDeclaration(const char* text, ParsedDeclaration* out);
// Frees what a parse that was not handed to a definition allocated: the parameter array, its
// names and the array type descriptors made for it.
void FreeParsedDeclaration(ParsedDeclaration* parsed);

// The built-in type of a type name ("Color", "Integer", "Boolean", "Single", "Double", "String",
// without regard to case); null for any other name.
const TypeDescriptor* PluginTypeDescriptor(const string& name);
// The class of a type name: after the renames of old class names, a built-in class, then a
// plug-in class, then a plug-in control. Null when none.
ObjectDefinition* FindPluginSuperclass(const string& name);

// Whether the candidate's signature serves where the requested one is asked for: equal names
// (without regard to case), matching results, and parameters of the same types (arrays by element
// type and dimensions) and passing.
bool DeclarationsMatch(const ParsedDeclaration& requested, const char* candidateName,
                       const TypeDescriptor* candidateReturn, const ParameterEntry* candidateParameters,
                       int32_t candidateCount);
