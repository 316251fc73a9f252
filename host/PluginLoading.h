// Installing the plug-in libraries that the application carries: a file of the plug-in's name
// beside the executable is loaded through the system loader (so a plug-in can be replaced there),
// otherwise the carried image is mapped from memory. Each library's QUORPluginMain registers what
// it offers; the classes are built once all of them are loaded.
#pragma once

#include <cstddef>
#include <cstdint>

#include "host/PluginLibrary.h"

class FolderItemImp;

// Installs every 'QVPl' resource of the payload, the last one first; once per process.
void InstallPayloadPlugins();
PluginLibrary* LoadPluginFromFile(const FolderItemImp& item, int32_t value, bool keepName);
PluginLibrary* LoadPluginFromMemory(const void* image, size_t length, int32_t value);

extern "C" {
// The resolver handed to QUORPluginMain: a link-table function by name, without regard to case.
void* PluginResolveEntry(const char* name);
// Builds the definitions of every plug-in class registered so far.
void LoadPlugins();
void Win32InstallPlugins(int32_t value);
}
