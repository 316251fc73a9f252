// What the byte queue needs of the runtime, for its native build: the guarded operators over
// malloc with the same 8-byte header, and a failure reporter that counts reports.
#include <cstdint>
#include <cstdio>
#include <cstdlib>

#include "core/FailureReport.h"
#include "core/GuardedMemory.h"

int gNativeFailureCount = 0;

void* GuardedNew(size_t size) {
    uint32_t* block = static_cast<uint32_t*>(std::malloc(size + 8));
    if (!block) std::abort();
    block[0] = static_cast<uint32_t>(size);
    block[1] = kGuardWordLive;
    return block + 2;
}

void* GuardedNewElements(int64_t count, size_t elementSize) {
    if (count < 0 || elementSize == 0 || static_cast<uint64_t>(count) > INT32_MAX / elementSize)
        std::abort();
    return GuardedNew(static_cast<size_t>(count) * elementSize);
}

void GuardedDelete(void* block) {
    if (!block) return;
    uint32_t* header = static_cast<uint32_t*>(block) - 2;
    if (header[1] != kGuardWordLive) std::abort();
    header[1] = kGuardWordFreed;
    std::free(header);
}

extern "C" void ReportFailure(int32_t, int16_t, const char* file, int32_t line, const char* condition,
                              const char*) {
    std::fprintf(stderr, "failure %s:%d %s\n", file, line, condition);
    ++gNativeFailureCount;
}
