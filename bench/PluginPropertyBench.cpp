// Reading an Integer property by name through the plug-in service, which finds the accessor in
// its per-class cache, against calling the property's getter directly as compiled code does.
// Plug-ins read properties by name in drawing and event code, so the cached lookup is the cost.
#include <windows.h>

#include <cstdio>

#include "BenchTiming.h"
#include "core/GuardedMemory.h"
#include "core/ObjectModel.h"
#include "core/RuntimeString.h"
#include "core/SmallBlockAllocator.h"
#include "host/PluginServices.h"
#include "core/PropertyAccessors.h"
#include "host/RuntimeWiring.h"

namespace {

constexpr int kReads = 2'000'000;

ClassRecord* BenchClass() {
    const char* names[] = {"Left%i4%", "Top%i4%", "Width%i4%", "Height%i4%", "Caption%s%", "Visible%b%"};
    ClassRecord* record = RuntimeNewClass(nullptr, 0, 0, 0, 0, 6);
    record->name = string("BenchShape").Detach();
    record->instanceSize = kObjectHeaderSize + 24;
    for (int32_t i = 0; i < 6; ++i)
        record->properties[i] = PropertySlot{string(names[i]).Detach(), kObjectHeaderSize + 4 * i,
                                             reinterpret_cast<void*>(kPlainFieldAccessor),
                                             reinterpret_cast<void*>(kPlainFieldAccessor)};
    return record;
}

}  // namespace

int main() {
    InstallRuntimeWiring();
    InitAllocatorLock();
    InitStringLock();
    ObjectHeader* shape = RuntimeNewObject(BenchClass());
    *FieldAt<int32_t>(shape, kObjectHeaderSize + 12) = 3;
    using Getter = int32_t (*)(ObjectHeader*, int32_t);
    volatile Getter direct = &intGetter;

    uint64_t byName = 0, byGetter = 0;
    const double named = Best(
        [&] {
            uint64_t sum = 0;
            for (int i = 0; i < kReads; ++i) {
                int32_t value = 0;
                QUORGetPropValueInt(shape, "Height", &value);
                sum += static_cast<uint32_t>(value);
            }
            return sum;
        },
        byName);
    const double getter = Best(
        [&] {
            uint64_t sum = 0;
            for (int i = 0; i < kReads; ++i) sum += static_cast<uint32_t>(direct(shape, kObjectHeaderSize + 12));
            return sum;
        },
        byGetter);
    std::printf("property read by name (cached) %.1f ns, by the getter %.1f ns: ratio %.1f (checksums %s)\n",
                named / kReads * 1e9, getter / kReads * 1e9, named / getter, byName == byGetter ? "equal" : "DIFFER");
    RuntimeUnlockObject(shape);
    return 0;
}
