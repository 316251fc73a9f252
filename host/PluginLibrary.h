// A loaded plug-in library as the registration calls see it, and the one library that is current
// while its QUORPluginMain runs or its classes are built.
#pragma once

#include <cstdint>

#include "core/GuardedMemory.h"
#include "core/RuntimeString.h"
#include "sdk/QuorvanePluginRecords.h"

struct MemoryModule;

struct PluginLibrary : RuntimeAllocated {
    int32_t sdkVersion = 1;  // until the library calls RegisterPluginVersion
    string fileName;         // empty unless the loader was asked to keep it
    int32_t value = 0;
    void* systemModule = nullptr;           // loaded by the system loader, or
    MemoryModule* memoryModule = nullptr;   // mapped from memory
    const PluginExportEntry* exports = nullptr;
    bool usesSockets = false;
};

// Null outside a library's QUORPluginMain and the building of its classes.
PluginLibrary* CurrentPluginLibrary();
void SetCurrentPluginLibrary(PluginLibrary* library);
