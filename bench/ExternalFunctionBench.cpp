// Binding an outside library's function through the runtime's caches, as compiled code does
// before every external call, against a bare GetProcAddress of the same function.
#include <windows.h>

#include <cstdio>

#include "BenchTiming.h"
#include "core/GuardedMemory.h"
#include "core/RuntimeString.h"
#include "core/SmallBlockAllocator.h"
#include "values/ExternalFunctions.h"

int main() {
    InitAllocatorLock();
    InitStringLock();
    constexpr int kCalls = 1'000'000;
    const string function("GetTickCount"), library("kernel32");
    HMODULE kernel = GetModuleHandleA("kernel32");
    uint64_t cached = 0, bare = 0;
    const double viaCache = Best(
        [&] {
            uint64_t sum = 0;
            for (int i = 0; i < kCalls; ++i)
                sum += reinterpret_cast<uintptr_t>(LoadFunctionPointerFromLibrary(function.Record(), library.Record()));
            return sum;
        },
        cached);
    const double viaSystem = Best(
        [&] {
            uint64_t sum = 0;
            for (int i = 0; i < kCalls; ++i) sum += reinterpret_cast<uintptr_t>(GetProcAddress(kernel, "GetTickCount"));
            return sum;
        },
        bare);
    std::printf("external function bound through the caches %.1f ns, by GetProcAddress %.1f ns: ratio %.2f (%s)\n",
                viaCache / kCalls * 1e9, viaSystem / kCalls * 1e9, viaCache / viaSystem,
                cached == bare ? "same addresses" : "DIFFERENT addresses");
    return 0;
}
