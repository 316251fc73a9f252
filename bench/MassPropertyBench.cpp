// Applying a control's design-time values from one packed 12-record stream, as set-up code does,
// against twelve direct setter calls: the decoding and the property-table walk are the cost.
#include <windows.h>

#include <cstdio>
#include <string>

#include "BenchTiming.h"
#include "controls/ControlServices.h"
#include "core/GuardedMemory.h"
#include "core/ObjectModel.h"
#include "core/RuntimeString.h"
#include "core/SmallBlockAllocator.h"
#include "core/PropertyAccessors.h"

namespace {

constexpr int kApplications = 200'000;
constexpr int kProperties = 12;

// Twelve properties: eight integers, two Booleans, a colour and a text.
const char* const kNames[kProperties] = {"Left%i4%",  "Top%i4%",   "Width%i4%", "Height%i4%",
                                         "A%i4%",     "B%i4%",     "C%i4%",     "D%i4%",
                                         "Visible%b%", "Enabled%b%", "Tint%c%", "Caption%s%"};

ClassRecord* BenchClass() {
    ClassRecord* record = RuntimeNewClass(nullptr, 0, 0, 0, 0, kProperties);
    record->name = string("BenchControl").Detach();
    record->instanceSize = kObjectHeaderSize + 4 * kProperties;
    for (int32_t i = 0; i < kProperties; ++i)
        record->properties[i] = PropertySlot{string(kNames[i]).Detach(), kObjectHeaderSize + 4 * i,
                                             reinterpret_cast<void*>(kPlainFieldAccessor),
                                             reinterpret_cast<void*>(kPlainFieldAccessor)};
    return record;
}

std::string Stream() {
    std::string s;
    auto index = [&](int i) { s += char(0); s += char(i); };
    for (int i = 0; i < 8; ++i) {
        index(i);
        s += std::string("\0\0\0", 3) + char(10 + i);
    }
    index(8); s += char(1);
    index(9); s += char(0);
    index(10); s += "\xFF\x80";
    s += char(0);
    index(11); s += std::string("\0\0\0\x04", 4) + "Push";
    return s;
}

}  // namespace

int main() {
    InitAllocatorLock();
    InitStringLock();
    ObjectHeader* control = RuntimeNewObject(BenchClass());
    const std::string bytes = Stream();
    string stream;
    stream.SetBytes(bytes.data(), static_cast<int32_t>(bytes.size()));
    string caption("Push");

    uint64_t packed = 0, direct = 0;
    const double mass = Best(
        [&] {
            for (int i = 0; i < kApplications; ++i) RuntimeMassPropertySetter(control, stream.Record());
            return static_cast<uint64_t>(intGetter(control, kObjectHeaderSize + 28));
        },
        packed);
    const double calls = Best(
        [&] {
            for (int i = 0; i < kApplications; ++i) {
                for (int32_t p = 0; p < 8; ++p) intSetter(control, kObjectHeaderSize + 4 * p, 10 + p);
                boolSetter(control, kObjectHeaderSize + 32, 1);
                boolSetter(control, kObjectHeaderSize + 36, 0);
                intSetter(control, kObjectHeaderSize + 40, 0xFF8000);
                stringSetter(control, kObjectHeaderSize + 44, caption.Record());
            }
            return static_cast<uint64_t>(intGetter(control, kObjectHeaderSize + 28));
        },
        direct);
    std::printf("12-record mass-property stream %.1f ns, twelve setter calls %.1f ns: ratio %.1f "
                "(checksums %s)\n",
                mass / kApplications * 1e9, calls / kApplications * 1e9, mass / calls,
                packed == direct ? "equal" : "DIFFER");
    stringSetter(control, kObjectHeaderSize + 44, nullptr);
    RuntimeUnlockObject(control);
    return 0;
}
