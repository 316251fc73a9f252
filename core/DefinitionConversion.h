// Definitions become class records on first need, superclass first; the records are cached by
// definition and by class name.
#pragma once

#include "ClassDefinition.h"
#include "ObjectModel.h"
#include "RuntimeString.h"

extern "C" {
// The class record of a definition (never null). A class that compiled code built under the name
// of a built-in class stands for that definition.
ClassRecord* LookupObjectDefinition(ObjectDefinition* definition);
// The class of a name, compared without regard to case; null when no class bears it.
ClassRecord* RuntimeLookupClass(StringRecord* name);
// A new object of a definition, with one reference for the caller.
ObjectHeader* CreateInstance(ObjectDefinition* definition);
}

// Where RuntimeLookupClass looks for a name that no built-in class bears: start-up installs the
// search of the loaded plug-ins' classes. Until then (and for null) such a name names no class.
using PluginClassFinder = ObjectDefinition* (*)(const string& name);
void SetPluginClassFinder(PluginClassFinder finder);

ClassRecord* ConvertObjectDefinition(ObjectDefinition* definition);
// The link signature of the method whose function or setter is the function, searched in the
// definition and then its superclasses; empty when none.
string MethodSignatureFor(const ObjectDefinition* definition, const void* function);
