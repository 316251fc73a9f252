#include "values/ExternalFunctions.h"

#include <windows.h>

#include <cstring>

#include "core/GuardedMemory.h"
#include "core/IntKeyMap.h"
#include "core/Platform.h"
#include "core/StringMap.h"
#include "core/EncodingConversion.h"

namespace {

struct BoundFunction : RuntimeAllocated {
    BoundFunction* next;  // of the same hash
    void* module;
    string name;
    void* address;
};

int32_t sLoads = 0;
int32_t sLookups = 0;

StringMap<void*>& LibraryCache() {
    static StringMap<void*> cache(1024);
    return cache;
}

IntKeyMap<BoundFunction*, uint32_t>& FunctionCache() {
    static IntKeyMap<BoundFunction*, uint32_t> cache;
    return cache;
}

// Exported names compare with their case, so the hash keeps it.
uint32_t HashOf(void* module, const string& name) {
    uint32_t h = static_cast<uint32_t>(reinterpret_cast<uintptr_t>(module));
    const char* bytes = name.CString();
    for (int32_t i = 0; i < name.Length(); ++i) h = h * 31 + static_cast<unsigned char>(bytes[i]);
    return h;
}

bool SameBytes(const string& a, const string& b) {
    return a.Length() == b.Length() && std::memcmp(a.CString(), b.CString(), a.Length()) == 0;
}

int32_t ReadDecimal(const char* text) {
    while (*text == ' ') ++text;
    bool negative = false;
    if (*text == '+' || *text == '-') negative = *text++ == '-';
    uint32_t value = 0;
    while (*text >= '0' && *text <= '9') value = value * 10 + static_cast<uint32_t>(*text++ - '0');
    return static_cast<int32_t>(negative ? 0u - value : value);
}

}  // namespace

void* LoadLibraryByName(const string& libraryName) {
    ++sLoads;
    if (IsUnicodePlatform()) return LoadLibraryW(libraryName.ToUTF16().WidePointer());
    return LoadLibraryA(ConvertToSystemEncoding(libraryName).CString());
}

void* FindLibraryFunction(const string& functionName, void* module) {
    if (!module) return nullptr;
    ++sLookups;
    const char* name = functionName.CString();
    if (name[0] == '#') {
        const uint16_t ordinal = static_cast<uint16_t>(ReadDecimal(name + 1));
        return reinterpret_cast<void*>(GetProcAddress(static_cast<HMODULE>(module), MAKEINTRESOURCEA(ordinal)));
    }
    return reinterpret_cast<void*>(GetProcAddress(static_cast<HMODULE>(module), name));
}

int32_t ExternalLibraryLoadCount() { return sLoads; }
int32_t ExternalFunctionLookupCount() { return sLookups; }

extern "C" {

void* LoadFunctionPointerFromLibrary(StringRecord* functionRecord, StringRecord* libraryRecord) {
    const string library(libraryRecord);
    void* module = nullptr;
    if (!LibraryCache().GetEntry(library, module)) {
        // A failed load is kept too, and not tried again.
        module = LoadLibraryByName(library);
        LibraryCache().SetEntry(library, module);
    }
    if (!module) return nullptr;
    const string function(functionRecord);
    const uint32_t hash = HashOf(module, function);
    BoundFunction* head = nullptr;
    FunctionCache().GetEntry(hash, head);
    for (BoundFunction* bound = head; bound; bound = bound->next)
        if (bound->module == module && SameBytes(bound->name, function)) return bound->address;
    void* address = FindLibraryFunction(function, module);
    FunctionCache().SetEntry(hash, new BoundFunction{{}, head, module, function, address});
    return address;
}

bool IsFunctionAvailable(StringRecord* functionName, StringRecord* libraryName) {
    return LoadFunctionPointerFromLibrary(functionName, libraryName) != nullptr;
}

}  // extern "C"
