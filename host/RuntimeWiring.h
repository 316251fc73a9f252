// The application's assembly: the tables that name every subsystem, and the calls through which the
// ground floors (core and values, which include nothing above them) reach the floors above. Core
// keeps the mechanism (rows, registries, lookup); this supplies the rows.
#pragma once

#include <cstdint>

#include "core/ClassDefinition.h"

// Hands the ground floors their tables and hooks: the fixed rows of the link table, the
// global-function table, the end of drawing when memory is out, the stack test and the order of
// strings in a sort, the search of plug-in classes and a Single's text. The first thing the runtime
// (and every test program) does.
void InstallRuntimeWiring();

extern "C" {
// Registers the built-in classes of the user interface, in their fixed order.
void CreateControlClasses();
}

// The global functions of the language in table order, and the step that fills in their class
// types once the classes exist (IntrinsicFunctionTable.cpp).
extern MethodEntry gIntrinsicFunctionRows[];
extern const int32_t gIntrinsicFunctionRowCount;
void CompleteIntrinsicFunctionRows();
