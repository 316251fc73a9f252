// The registries of built-in classes, modules and global functions. Registering a definition also
// enters every native function it names in the link table under its link name.
#pragma once

#include <cstdint>

#include "ClassDefinition.h"
#include "RuntimeString.h"

void RegisterIntrinsicClass(ObjectDefinition* definition);
ObjectDefinition* FindIntrinsicClass(const string& name);
// The class registrations in their order; null for an index outside 0 to the count - 1.
int32_t IntrinsicClassRegistrationCount();
ObjectDefinition* IntrinsicClassRegistrationAt(int32_t index);
void RegisterIntrinsicModule(ObjectDefinition* definition);
void RegisterDefinitionFunctions(ObjectDefinition* definition);
void RegisterFunctionReference(const FunctionReference* reference);

// The global functions of the language: the application's table, which start-up supplies before the
// first use (without it the table is empty). Its rows are loaded on the first ask, after complete
// has filled in what exists only once the classes do (class-typed results and parameters).
struct IntrinsicFunctionRows {
    MethodEntry* rows;
    int32_t count;
    void (*complete)();
};
void SetIntrinsicFunctionRows(const IntrinsicFunctionRows& rows);
void LoadIntrinsicFunctions();
int32_t RegisterIntrinsicFunctions(MethodEntry* rows, int32_t count);
void RegisterIntrinsicFunction(MethodEntry* row);
int32_t IntrinsicFunctionCount();
MethodEntry* IntrinsicFunctionAt(int32_t index);
