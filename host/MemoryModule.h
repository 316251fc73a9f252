// The runtime's own loader of 32-bit Windows dynamic-library images held in memory: it maps an
// image the way the system loader maps a file (sections, imports, base relocations, section
// protection, TLS callbacks and the entry point) without the image ever touching the disk.
//
// Every header, section, directory and table is checked against the image length and the mapped
// size first, so a truncated or corrupt image is refused rather than read out of bounds.
#pragma once

#include <windows.h>

#include <cstddef>
#include <cstdint>

struct MemoryModule {
    IMAGE_NT_HEADERS32* headers;  // inside the mapping
    unsigned char* base;
    HMODULE* modules;  // the imported libraries, each loaded once per import descriptor
    int32_t moduleCount;
    bool initialized;  // the entry point has been called with DLL_PROCESS_ATTACH
};

// Maps the image; null when it is not a valid 32-bit library image, when an import cannot be
// resolved (a library that cannot be loaded is shown as "Can't load library NAME"), or when its
// entry point answers false.
MemoryModule* LoadLibraryFromMemory(const void* image, size_t length);
// The address of an export, its name compared without regard to ASCII case; null when none.
void* GetProcAddressFromMemory(MemoryModule* module, const char* name);
// Detaches and unmaps; null does nothing.
void FreeLibraryFromMemory(MemoryModule* module);
