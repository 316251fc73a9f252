#include "GuardedMemory.h"

#include <climits>

#include "FailureReport.h"
#include "SmallBlockAllocator.h"

namespace {
struct GuardHeader {
    uint32_t size;
    uint32_t guard;
};
static_assert(sizeof(GuardHeader) == 8);
}  // namespace

void* GuardedNew(size_t size) {
    // A size the 32-bit header cannot hold asks for more than the heap has.
    if (size > INT32_MAX - 8) ExitOutOfMemory();
    auto* header = static_cast<GuardHeader*>(AllocateMemory(static_cast<int32_t>(size + 8), 0));
    header->size = static_cast<uint32_t>(size);
    header->guard = kGuardWordLive;
    return header + 1;
}

void* GuardedNewElements(int64_t count, size_t elementSize) {
    const int32_t bytes = ByteCountOf(count, static_cast<int32_t>(elementSize));
    if (bytes < 0) ExitOutOfMemory();
    return GuardedNew(static_cast<size_t>(bytes));
}

void GuardedDelete(void* block) {
    if (!block) return;
    GuardHeader* header = static_cast<GuardHeader*>(block) - 1;
    if (header->guard != kGuardWordLive)
        ReportAssertion("dump", 105, "0", "overwrote start of block");
    header->guard = kGuardWordFreed;
    FreeMemory(header, static_cast<int32_t>(header->size + 8));
}
