#include "host/PluginLoading.h"

#include <windows.h>

#include "core/Platform.h"
#include "files/FolderItemImp.h"
#include "core/LinkTable.h"
#include "host/MemoryModule.h"
#include "host/PluginClasses.h"
#include "host/ResourceManager.h"
#include "core/EncodingConversion.h"

namespace {

using PluginMain = void (*)(void* (*resolver)(const char*));

PluginLibrary* sCurrentLibrary = nullptr;
int32_t sInstallSetting = 0;  // kept for callers that set it; nothing reads it

struct PendingPlugin : RuntimeAllocated {
    PendingPlugin* next;
    const unsigned char* image;
    size_t length;
    string fileName;  // UTF-8
};

// The library's entry runs with the library current; none is current afterwards.
PluginLibrary* RunPluginMain(void* main, PluginLibrary* library) {
    SetCurrentPluginLibrary(library);
    reinterpret_cast<PluginMain>(main)(&PluginResolveEntry);
    SetCurrentPluginLibrary(nullptr);
    return library;
}

}  // namespace

PluginLibrary* CurrentPluginLibrary() { return sCurrentLibrary; }
void SetCurrentPluginLibrary(PluginLibrary* library) { sCurrentLibrary = library; }

PluginLibrary* LoadPluginFromFile(const FolderItemImp& item, int32_t value, bool keepName) {
    const string path = item.GetAbsolutePath();
    HMODULE module;
    if (IsUnicodePlatform())
        module = LoadLibraryW(path.ToUTF16().WidePointer());
    else
        module = LoadLibraryA(ConvertToSystemEncoding(path).CString());
    PluginLibrary* library = nullptr;
    if (module) {
        if (void* main = reinterpret_cast<void*>(GetProcAddress(module, "QUORPluginMain"))) {
            library = new PluginLibrary;
            library->systemModule = module;
            library->value = value;
            if (keepName) library->fileName = path;
            RunPluginMain(main, library);
        }
    }
    SetCurrentPluginLibrary(nullptr);
    return library;
}

PluginLibrary* LoadPluginFromMemory(const void* image, size_t length, int32_t value) {
    MemoryModule* module = LoadLibraryFromMemory(image, length);
    PluginLibrary* library = nullptr;
    if (module) {
        if (void* main = GetProcAddressFromMemory(module, "QUORPluginMain")) {
            library = new PluginLibrary;
            library->memoryModule = module;
            library->value = value;
            RunPluginMain(main, library);
        }
    }
    SetCurrentPluginLibrary(nullptr);
    return library;
}

void InstallPayloadPlugins() {
    static bool installed = false;
    if (installed) return;
    installed = true;
    PendingPlugin* pending = nullptr;
    const uint32_t count = ResourceManagerCommon::GetCount();
    for (uint32_t i = 0; i < count; ++i) {
        const ResourceEntry entry = ResourceManagerCommon::GetAt(i);
        if (entry.type != kResourcePlugin || entry.length < 1) continue;
        const auto* bytes = static_cast<const unsigned char*>(entry.data);
        const uint32_t nameLength = bytes[0];
        if (nameLength + 1 > entry.length) continue;
        auto* plugin = new PendingPlugin;
        plugin->image = bytes + 1 + nameLength;
        plugin->length = entry.length - 1 - nameLength;
        plugin->fileName.SetBytes(bytes + 1, static_cast<int32_t>(nameLength));
        plugin->fileName.SetEncoding(kEncodingUTF8);
        plugin->next = pending;
        pending = plugin;
    }
    FolderItemImp* folder = FolderItemImp::RelativeToExecutable(string());
    while (pending) {
        PendingPlugin* plugin = pending;
        pending = plugin->next;
        FolderItemImp* child =
            folder && !plugin->fileName.IsEmpty() ? folder->GetChild(plugin->fileName, kFollowShortcut) : nullptr;
        // A file that exists but fails to load is not replaced by the carried image.
        if (child && child->Exists())
            LoadPluginFromFile(*child, 0, false);
        else
            LoadPluginFromMemory(plugin->image, plugin->length, 0);
        delete child;
        delete plugin;
    }
    BuildPendingPluginClasses(nullptr);
    delete folder;
}

extern "C" {

void* PluginResolveEntry(const char* name) {
    if (!name) return nullptr;
    const RelocEntry* entry = LookupRelocEntry(string(name));
    return entry ? entry->code : nullptr;
}

void LoadPlugins() { BuildPendingPluginClasses(nullptr); }

void Win32InstallPlugins(int32_t value) { sInstallSetting = value; }

}  // extern "C"
