// The classes that plug-ins register, as class lookup by name sees them.
#pragma once

#include "core/ClassDefinition.h"
#include "core/RuntimeString.h"

// The definition of a plug-in class or plug-in control of that name (compared without regard to
// case), or null.
ObjectDefinition* FindPluginClassDefinition(const string& name);
