#include "PluginClasses.h"

// Stand-in until the plug-in host exists: no plug-in has registered a class, so no name is found.
ObjectDefinition* FindPluginClassDefinition(const string&) { return nullptr; }
