#include "host/MemoryModule.h"

#include <cstdio>
#include <cstring>

#include "core/FailureReport.h"

namespace {

constexpr uint32_t kPageSize = 0x1000;
constexpr size_t kMessageSize = 1024;

using EntryPoint = BOOL(WINAPI*)(HINSTANCE, DWORD, LPVOID);

// A range lies inside a size without wrapping.
bool Inside(uint64_t offset, uint64_t size, uint64_t limit) {
    return offset <= limit && size <= limit - offset;
}

uint32_t RoundUp(uint32_t value, uint32_t alignment) {
    return alignment ? (value + alignment - 1) / alignment * alignment : value;
}

struct Mapping {
    MemoryModule* module;
    uint32_t imageSize;

    unsigned char* At(uint32_t rva) const { return module->base + rva; }
    bool Holds(uint32_t rva, uint32_t size) const { return Inside(rva, size, imageSize); }
    // A NUL-terminated text that ends inside the mapping.
    const char* Text(uint32_t rva) const {
        if (rva >= imageSize) return nullptr;
        const char* text = reinterpret_cast<const char*>(At(rva));
        return memchr(text, 0, imageSize - rva) ? text : nullptr;
    }
    // A virtual address of the image as an offset, when it lies inside.
    bool Offset(uint32_t address, uint32_t size, uint32_t* rva) const {
        const uint32_t start = static_cast<uint32_t>(reinterpret_cast<uintptr_t>(module->base));
        if (address < start) return false;
        *rva = address - start;
        return Holds(*rva, size);
    }
    const IMAGE_DATA_DIRECTORY& Directory(int index) const {
        return module->headers->OptionalHeader.DataDirectory[index];
    }
    bool HasDirectory(int index) const {
        return static_cast<int>(module->headers->OptionalHeader.NumberOfRvaAndSizes) > index &&
               Directory(index).Size != 0;
    }
    IMAGE_SECTION_HEADER* Sections() const { return IMAGE_FIRST_SECTION(module->headers); }
    int SectionCount() const { return module->headers->FileHeader.NumberOfSections; }
};

// The headers of a well-formed 32-bit image, or null.
const IMAGE_NT_HEADERS32* CheckHeaders(const unsigned char* image, size_t length) {
    if (!image || length < sizeof(IMAGE_DOS_HEADER)) return nullptr;
    const auto* dos = reinterpret_cast<const IMAGE_DOS_HEADER*>(image);
    if (dos->e_magic != IMAGE_DOS_SIGNATURE || dos->e_lfanew < 0) return nullptr;
    if (!Inside(static_cast<uint32_t>(dos->e_lfanew), sizeof(IMAGE_NT_HEADERS32), length))
        return nullptr;
    const auto* nt = reinterpret_cast<const IMAGE_NT_HEADERS32*>(image + dos->e_lfanew);
    if (nt->Signature != IMAGE_NT_SIGNATURE) return nullptr;
    if (nt->FileHeader.Machine != IMAGE_FILE_MACHINE_I386 ||
        nt->OptionalHeader.Magic != IMAGE_NT_OPTIONAL_HDR32_MAGIC)
        return nullptr;
    const IMAGE_OPTIONAL_HEADER32& optional = nt->OptionalHeader;
    const uint32_t imageSize = optional.SizeOfImage;
    if (imageSize == 0 || optional.SizeOfHeaders > imageSize || optional.SizeOfHeaders > length)
        return nullptr;
    const uint64_t sectionTable = static_cast<uint64_t>(dos->e_lfanew) + offsetof(IMAGE_NT_HEADERS32, OptionalHeader) +
                                  nt->FileHeader.SizeOfOptionalHeader;
    const uint64_t tableSize = uint64_t(nt->FileHeader.NumberOfSections) * sizeof(IMAGE_SECTION_HEADER);
    if (!Inside(sectionTable, tableSize, optional.SizeOfHeaders)) return nullptr;
    if (nt->FileHeader.SizeOfOptionalHeader < offsetof(IMAGE_OPTIONAL_HEADER32, DataDirectory))
        return nullptr;
    const auto* section = reinterpret_cast<const IMAGE_SECTION_HEADER*>(image + sectionTable);
    for (int i = 0; i < nt->FileHeader.NumberOfSections; ++i, ++section) {
        if (section->SizeOfRawData && !Inside(section->PointerToRawData, section->SizeOfRawData, length))
            return nullptr;
        const uint32_t extent = section->Misc.VirtualSize > section->SizeOfRawData
                                    ? section->Misc.VirtualSize
                                    : section->SizeOfRawData;
        if (!Inside(section->VirtualAddress, extent, imageSize)) return nullptr;
    }
    if (optional.AddressOfEntryPoint >= imageSize) return nullptr;
    if (optional.NumberOfRvaAndSizes > IMAGE_NUMBEROF_DIRECTORY_ENTRIES) return nullptr;
    for (uint32_t i = 0; i < optional.NumberOfRvaAndSizes; ++i) {
        const IMAGE_DATA_DIRECTORY& directory = optional.DataDirectory[i];
        // The security directory holds a file offset, not an address; it is never read.
        if (i != IMAGE_DIRECTORY_ENTRY_SECURITY && directory.Size &&
            !Inside(directory.VirtualAddress, directory.Size, imageSize))
            return nullptr;
    }
    return nt;
}

void CopySections(const Mapping& map, const unsigned char* image) {
    IMAGE_SECTION_HEADER* section = map.Sections();
    for (int i = 0; i < map.SectionCount(); ++i, ++section)
        if (section->SizeOfRawData)
            std::memcpy(map.At(section->VirtualAddress), image + section->PointerToRawData,
                        section->SizeOfRawData);
    // The rest of every section is already zero: the whole image was committed zero-filled.
}

bool AddModule(MemoryModule* module, HMODULE handle) {
    const size_t bytes = sizeof(HMODULE) * (module->moduleCount + 1);
    void* grown = module->modules ? HeapReAlloc(GetProcessHeap(), 0, module->modules, bytes)
                                  : HeapAlloc(GetProcessHeap(), 0, bytes);
    if (!grown) return false;
    module->modules = static_cast<HMODULE*>(grown);
    module->modules[module->moduleCount++] = handle;
    return true;
}

void ShowCannotLoad(const char* library) {
    char text[kMessageSize];
    std::snprintf(text, sizeof text, "Can't load library %s", library);
    ShowPlainMessage(text);
}

bool ResolveImports(const Mapping& map) {
    if (!map.HasDirectory(IMAGE_DIRECTORY_ENTRY_IMPORT)) return true;
    uint32_t rva = map.Directory(IMAGE_DIRECTORY_ENTRY_IMPORT).VirtualAddress;
    for (;; rva += sizeof(IMAGE_IMPORT_DESCRIPTOR)) {
        if (!map.Holds(rva, sizeof(IMAGE_IMPORT_DESCRIPTOR))) return false;
        const auto* descriptor = reinterpret_cast<const IMAGE_IMPORT_DESCRIPTOR*>(map.At(rva));
        if (descriptor->Name == 0) return true;
        const char* name = map.Text(descriptor->Name);
        if (!name) return false;
        HMODULE library = LoadLibraryA(name);
        if (!library) {
            ShowCannotLoad(name);
            return false;
        }
        if (!AddModule(map.module, library)) {
            FreeLibrary(library);
            return false;
        }
        const uint32_t lookup = descriptor->OriginalFirstThunk ? descriptor->OriginalFirstThunk
                                                               : descriptor->FirstThunk;
        for (uint32_t i = 0;; ++i) {
            const uint32_t lookupRva = lookup + i * 4, addressRva = descriptor->FirstThunk + i * 4;
            if (!map.Holds(lookupRva, 4) || !map.Holds(addressRva, 4)) return false;
            const uint32_t entry = *reinterpret_cast<uint32_t*>(map.At(lookupRva));
            if (entry == 0) break;
            FARPROC function;
            if (entry & IMAGE_ORDINAL_FLAG32) {
                function = GetProcAddress(library, reinterpret_cast<LPCSTR>(uintptr_t(entry & 0xFFFF)));
            } else {
                const char* procedure = map.Text(entry + 2);
                if (!procedure) return false;
                function = GetProcAddress(library, procedure);
            }
            if (!function) return false;
            *reinterpret_cast<uint32_t*>(map.At(addressRva)) =
                static_cast<uint32_t>(reinterpret_cast<uintptr_t>(function));
        }
    }
}

bool Relocate(const Mapping& map, uint32_t delta) {
    if (!map.HasDirectory(IMAGE_DIRECTORY_ENTRY_BASERELOC)) return true;
    const IMAGE_DATA_DIRECTORY& directory = map.Directory(IMAGE_DIRECTORY_ENTRY_BASERELOC);
    uint32_t rva = directory.VirtualAddress;
    const uint32_t end = rva + directory.Size;
    while (rva + sizeof(IMAGE_BASE_RELOCATION) <= end) {
        const auto* block = reinterpret_cast<const IMAGE_BASE_RELOCATION*>(map.At(rva));
        if (block->VirtualAddress == 0) break;
        if (block->SizeOfBlock < sizeof(IMAGE_BASE_RELOCATION) || !Inside(rva, block->SizeOfBlock, end))
            return false;
        const auto* entries = reinterpret_cast<const uint16_t*>(block + 1);
        const uint32_t count = (block->SizeOfBlock - sizeof(IMAGE_BASE_RELOCATION)) / 2;
        for (uint32_t i = 0; i < count; ++i) {
            if ((entries[i] >> 12) != IMAGE_REL_BASED_HIGHLOW) continue;
            const uint32_t target = block->VirtualAddress + (entries[i] & 0xFFF);
            if (!map.Holds(target, 4)) return false;
            *reinterpret_cast<uint32_t*>(map.At(target)) += delta;
        }
        rva += block->SizeOfBlock;
    }
    return true;
}

// Private memory cannot be copy-on-write, so writable sections are plainly read-write.
DWORD ProtectionOf(uint32_t characteristics) {
    const bool executable = characteristics & IMAGE_SCN_MEM_EXECUTE;
    const bool readable = characteristics & IMAGE_SCN_MEM_READ;
    const bool writable = characteristics & IMAGE_SCN_MEM_WRITE;
    DWORD protection;
    if (executable)
        protection = writable ? PAGE_EXECUTE_READWRITE : readable ? PAGE_EXECUTE_READ : PAGE_EXECUTE;
    else
        protection = writable ? PAGE_READWRITE : readable ? PAGE_READONLY : PAGE_NOACCESS;
    if (characteristics & IMAGE_SCN_MEM_NOT_CACHED) protection |= PAGE_NOCACHE;
    return protection;
}

// Each section by its own extent, whole pages: the pages of its neighbours keep theirs.
void ProtectSections(const Mapping& map) {
    const IMAGE_SECTION_HEADER* section = map.Sections();
    for (int i = 0; i < map.SectionCount(); ++i, ++section) {
        uint32_t size = section->Misc.VirtualSize ? section->Misc.VirtualSize : section->SizeOfRawData;
        size = RoundUp(size, kPageSize);
        if (size > map.imageSize - section->VirtualAddress) size = map.imageSize - section->VirtualAddress;
        if (size == 0) continue;
        if (section->Characteristics & IMAGE_SCN_MEM_DISCARDABLE) {
            // Discarding shares pages with nothing else only when the section starts a page.
            if (section->VirtualAddress % kPageSize == 0)
                VirtualFree(map.At(section->VirtualAddress), size, MEM_DECOMMIT);
            continue;
        }
        DWORD old;
        VirtualProtect(map.At(section->VirtualAddress), size, ProtectionOf(section->Characteristics), &old);
    }
}

using TlsCallback = void(NTAPI*)(PVOID, DWORD, PVOID);

// Runs the image's TLS callbacks, as the system loader does around the entry point.
void RunTlsCallbacks(const Mapping& map, DWORD reason) {
    if (!map.HasDirectory(IMAGE_DIRECTORY_ENTRY_TLS)) return;
    const IMAGE_DATA_DIRECTORY& directory = map.Directory(IMAGE_DIRECTORY_ENTRY_TLS);
    if (directory.Size < sizeof(IMAGE_TLS_DIRECTORY32)) return;
    const auto* tls = reinterpret_cast<const IMAGE_TLS_DIRECTORY32*>(map.At(directory.VirtualAddress));
    uint32_t rva;
    if (!tls->AddressOfCallBacks || !map.Offset(tls->AddressOfCallBacks, 4, &rva)) return;
    for (;; rva += 4) {
        if (!map.Holds(rva, 4)) return;
        const uint32_t address = *reinterpret_cast<const uint32_t*>(map.At(rva));
        uint32_t codeRva;
        if (address == 0 || !map.Offset(address, 1, &codeRva)) return;
        reinterpret_cast<TlsCallback>(map.At(codeRva))(map.module->base, reason, nullptr);
    }
}

bool CallEntryPoint(const Mapping& map, DWORD reason) {
    const uint32_t entry = map.module->headers->OptionalHeader.AddressOfEntryPoint;
    return reinterpret_cast<EntryPoint>(map.At(entry))(reinterpret_cast<HINSTANCE>(map.module->base),
                                                       reason, nullptr);
}

Mapping MappingOf(MemoryModule* module) {
    return Mapping{module, module->headers->OptionalHeader.SizeOfImage};
}

}  // namespace

MemoryModule* LoadLibraryFromMemory(const void* data, size_t length) {
    const auto* image = static_cast<const unsigned char*>(data);
    const IMAGE_NT_HEADERS32* source = CheckHeaders(image, length);
    if (!source) return nullptr;
    const uint32_t imageSize = source->OptionalHeader.SizeOfImage;
    const uint32_t preferred = source->OptionalHeader.ImageBase;

    void* base = VirtualAlloc(reinterpret_cast<void*>(uintptr_t(preferred)), imageSize, MEM_RESERVE,
                              PAGE_READWRITE);
    if (!base) base = VirtualAlloc(nullptr, imageSize, MEM_RESERVE, PAGE_READWRITE);
    if (!base) return nullptr;
    auto* module = static_cast<MemoryModule*>(HeapAlloc(GetProcessHeap(), HEAP_ZERO_MEMORY, sizeof(MemoryModule)));
    if (!module) {
        VirtualFree(base, 0, MEM_RELEASE);
        return nullptr;
    }
    module->base = static_cast<unsigned char*>(base);
    if (!VirtualAlloc(base, imageSize, MEM_COMMIT, PAGE_READWRITE)) {
        VirtualFree(base, 0, MEM_RELEASE);
        HeapFree(GetProcessHeap(), 0, module);
        return nullptr;
    }
    std::memcpy(base, image, source->OptionalHeader.SizeOfHeaders);
    const auto* dos = reinterpret_cast<const IMAGE_DOS_HEADER*>(image);
    module->headers = reinterpret_cast<IMAGE_NT_HEADERS32*>(module->base + dos->e_lfanew);
    module->headers->OptionalHeader.ImageBase = static_cast<uint32_t>(reinterpret_cast<uintptr_t>(base));

    const Mapping map = MappingOf(module);
    CopySections(map, image);
    const uint32_t delta = static_cast<uint32_t>(reinterpret_cast<uintptr_t>(base)) - preferred;
    if (!ResolveImports(map) || (delta != 0 && !Relocate(map, delta))) {
        FreeLibraryFromMemory(module);
        return nullptr;
    }
    ProtectSections(map);
    FlushInstructionCache(GetCurrentProcess(), base, imageSize);

    RunTlsCallbacks(map, DLL_PROCESS_ATTACH);
    if (module->headers->OptionalHeader.AddressOfEntryPoint == 0) return module;
    if (!CallEntryPoint(map, DLL_PROCESS_ATTACH)) {
        RunTlsCallbacks(map, DLL_PROCESS_DETACH);
        FreeLibraryFromMemory(module);
        return nullptr;
    }
    module->initialized = true;
    return module;
}

void* GetProcAddressFromMemory(MemoryModule* module, const char* name) {
    if (!module || !name) return nullptr;
    const Mapping map = MappingOf(module);
    if (!map.HasDirectory(IMAGE_DIRECTORY_ENTRY_EXPORT)) return nullptr;
    const uint32_t rva = map.Directory(IMAGE_DIRECTORY_ENTRY_EXPORT).VirtualAddress;
    if (!map.Holds(rva, sizeof(IMAGE_EXPORT_DIRECTORY))) return nullptr;
    const auto* exports = reinterpret_cast<const IMAGE_EXPORT_DIRECTORY*>(map.At(rva));
    const uint32_t names = exports->NumberOfNames, functions = exports->NumberOfFunctions;
    if (names == 0 || functions == 0) return nullptr;
    if (!map.Holds(exports->AddressOfNames, names * 4) ||
        !map.Holds(exports->AddressOfNameOrdinals, names * 2) ||
        !map.Holds(exports->AddressOfFunctions, functions * 4))
        return nullptr;
    const auto* nameTable = reinterpret_cast<const uint32_t*>(map.At(exports->AddressOfNames));
    const auto* ordinals = reinterpret_cast<const uint16_t*>(map.At(exports->AddressOfNameOrdinals));
    const auto* functionTable = reinterpret_cast<const uint32_t*>(map.At(exports->AddressOfFunctions));
    for (uint32_t i = 0; i < names; ++i) {
        const char* exported = map.Text(nameTable[i]);
        if (!exported || lstrcmpiA(exported, name) != 0) continue;
        if (ordinals[i] >= functions || !map.Holds(functionTable[ordinals[i]], 1)) return nullptr;
        return map.At(functionTable[ordinals[i]]);
    }
    return nullptr;
}

void FreeLibraryFromMemory(MemoryModule* module) {
    if (!module) return;
    const Mapping map = MappingOf(module);
    if (module->initialized) {
        CallEntryPoint(map, DLL_PROCESS_DETACH);
        RunTlsCallbacks(map, DLL_PROCESS_DETACH);
        module->initialized = false;
    }
    for (int32_t i = 0; i < module->moduleCount; ++i)
        if (module->modules[i] != reinterpret_cast<HMODULE>(-1)) FreeLibrary(module->modules[i]);
    if (module->modules) HeapFree(GetProcessHeap(), 0, module->modules);
    VirtualFree(module->base, 0, MEM_RELEASE);
    HeapFree(GetProcessHeap(), 0, module);
}
