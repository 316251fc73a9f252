// The classes, interfaces, class extensions, modules, global methods and data sources that plug-in
// libraries register, turned into the runtime's own class definitions so that they take part in
// the language like built-in ones.
//
// Registration only records a class; its definition is built once every library of the
// application has been loaded (BuildPendingPluginClasses), so a superclass may come from a later
// library. Nothing is ever unregistered.
#pragma once

#include <cstdint>

#include "core/ClassDefinition.h"
#include "core/ObjectModel.h"
#include "core/RuntimeString.h"
#include "host/PluginLibrary.h"
#include "sdk/QuorvanePluginRecords.h"

struct PluginClass : RuntimeAllocated {
    ObjectDefinition definition;
    PluginLibrary* library = nullptr;
    PluginClassRecord* record = nullptr;
    PluginClass* next = nullptr;  // older
    bool building = false;
    bool built = false;
};

struct PluginModule : RuntimeAllocated {
    ObjectDefinition definition;
    PluginModuleRecord* record = nullptr;
    PluginLibrary* library = nullptr;
    PluginModule* next = nullptr;
};

struct PluginClassExtension : RuntimeAllocated {
    PluginClassExtension* next = nullptr;
    PluginLibrary* library = nullptr;
    PluginClassRecord* record = nullptr;
};

struct PluginGlobalMethod : RuntimeAllocated {
    PluginGlobalMethod* next = nullptr;
    PluginLibrary* library = nullptr;
    PluginMethodRecord* record = nullptr;
};

// The property's plug-in origin, kept in PropertyDefinition::pluginData.
struct PluginPropertyLink : RuntimeAllocated {
    PluginLibrary* library;
    string className;
    PluginPropertyRecord* record;
};

// The lists, newest first.
PluginClass* FirstPluginClass();
PluginModule* FirstPluginModule();
PluginClassExtension* FirstPluginClassExtension();
PluginGlobalMethod* FirstPluginGlobalMethod();

// The definition of a plug-in class or plug-in control of that name (compared without regard to
// case), or null.
ObjectDefinition* FindPluginClassDefinition(const string& name);
ObjectDefinition* FindPluginModuleDefinition(const string& name);

// Builds the definitions of the classes registered after stop (null: all of them).
void BuildPendingPluginClasses(PluginClass* stop);

// The method record at an index of a record's method array, by the record version's stride.
PluginMethodRecord* PluginMethodAt(void* methods, int32_t recordVersion, int32_t index);

// The factory of the first data source of that name (without regard to case) called with the text
// and the object; null when no plug-in registered the name.
ObjectHeader* CreateRegisteredDataSource(const string& name, StringRecord* text, ObjectHeader* object);

extern "C" {
void RegisterPluginVersion(int32_t version);
void RegisterPluginExportsTable(const PluginExportEntry* table);
void PluginRegisterClass(PluginClassRecord* record);
void PluginRegisterClassExtension(PluginClassRecord* record);
void PluginRegisterInterface(PluginInterfaceRecord* record);
void PluginRegisterModule(PluginModuleRecord* record);
void PluginRegisterMethod(void* record);
void PluginRegisterControl(void* record);
void RegisterDataSource(const char* name, ObjectHeader* (*factory)(StringRecord*, ObjectHeader*));
void PluginMarkSocketUsage();
void RegisterDataSourceInterface();
void DesignAddDataSource();
// The definition of a class name: the renames of old database class names, the built-in classes,
// the plug-in controls, then the plug-in classes.
ObjectDefinition* pluginObjectType(const char* name);
}
