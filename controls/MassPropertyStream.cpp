#include "controls/MassPropertyStream.h"

#include <cstring>

namespace {

uint32_t BigEndian(const uint8_t* p, size_t n) {
    uint32_t value = 0;
    for (size_t i = 0; i < n; ++i) value = value << 8 | p[i];
    return value;
}

// Bytes the value of a type code takes before any text, 0 for an unknown code.
size_t FixedSize(char code) {
    switch (code) {
        case 'b': return 1;
        case 'c': return 3;
        case 'd': return 8;
        case 'f':
        case 'i':
        case 's': return 4;
        default: return 0;
    }
}

}  // namespace

void DecodeMassPropertyStream(const uint8_t* data, size_t size, MassPropertyTarget& target) {
    size_t at = 0;
    while (at < size) {
        if (size - at < 2) {
            target.Fault(MassPropertyFault::kTruncated, 0);
            return;
        }
        const auto index = static_cast<uint16_t>(BigEndian(data + at, 2));
        at += 2;
        const char code = target.TypeCodeOf(index);
        if (code == 0) return;
        const size_t fixed = FixedSize(code);
        if (fixed == 0) {
            target.Fault(MassPropertyFault::kUnknownCode, index);
            return;
        }
        if (size - at < fixed) {
            target.Fault(MassPropertyFault::kTruncated, index);
            return;
        }
        const uint8_t* p = data + at;
        at += fixed;
        MassPropertyValue value{};
        value.code = code;
        switch (code) {
            case 'b': value.integer = p[0] != 0; break;
            case 'c': value.integer = static_cast<int32_t>(BigEndian(p, 3)); break;
            case 'i': value.integer = static_cast<int32_t>(BigEndian(p, 4)); break;
            case 'f': {
                const uint32_t bits = BigEndian(p, 4);
                std::memcpy(&value.single, &bits, sizeof bits);
                break;
            }
            case 'd': {
                const uint64_t bits = uint64_t{BigEndian(p, 4)} << 32 | BigEndian(p + 4, 4);
                std::memcpy(&value.real, &bits, sizeof bits);
                break;
            }
            case 's': {
                value.length = BigEndian(p, 4);
                if (size - at < value.length) {
                    target.Fault(MassPropertyFault::kTruncated, index);
                    return;
                }
                value.bytes = reinterpret_cast<const char*>(data + at);
                at += value.length;
                break;
            }
        }
        target.Apply(index, value);
    }
}
