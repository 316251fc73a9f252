// libFuzzer target: the mass-property decoder over arbitrary streams against a property table
// of every type code (and one unknown), checking that each value lies inside the stream.
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "controls/MassPropertyStream.h"

namespace {

class Target final : public MassPropertyTarget {
public:
    Target(const uint8_t* data, size_t size) : mData(data), mSize(size) {}
    char TypeCodeOf(uint16_t index) override {
        static const char kCodes[] = {'b', 'c', 'd', 'f', 'i', 's', 'x'};
        return index < sizeof kCodes ? kCodes[index] : 0;
    }
    void Apply(uint16_t, const MassPropertyValue& value) override {
        if (value.code != 's') return;
        const auto* bytes = reinterpret_cast<const uint8_t*>(value.bytes);
        if (bytes < mData || bytes + value.length > mData + mSize) std::abort();
        volatile uint8_t sum = 0;
        for (uint32_t i = 0; i < value.length; ++i) sum = sum + bytes[i];
    }
    void Fault(MassPropertyFault, uint16_t) override {}

private:
    const uint8_t* mData;
    size_t mSize;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    Target target(data, size);
    DecodeMassPropertyStream(data, size, target);
    return 0;
}
