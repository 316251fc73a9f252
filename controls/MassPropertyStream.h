// The packed design-time property values that compiled set-up code hands to
// RuntimeMassPropertySetter: records back to back, each a big-endian 16-bit property index and a
// value whose layout the property's type code gives. Platform-free, so that it builds natively.
#pragma once

#include <cstddef>
#include <cstdint>

// One decoded value; only the member of the record's type code is meaningful.
struct MassPropertyValue {
    char code;            // 'b', 'c', 'd', 'f', 'i' or 's'
    int32_t integer;      // b (0 or 1), c (red * 65536 + green * 256 + blue), i
    float single;         // f
    double real;          // d
    const char* bytes;    // s: the text inside the stream, not terminated
    uint32_t length;      // s
};

enum class MassPropertyFault {
    kUnknownCode,  // the property's type has no record layout
    kTruncated,    // the stream ends inside a record
};

// What the decoder asks of the object the records are applied to.
class MassPropertyTarget {
public:
    // The type code of the property at index, or 0 to stop (an index past the table or a
    // read-only property, which the target reports itself).
    virtual char TypeCodeOf(uint16_t index) = 0;
    virtual void Apply(uint16_t index, const MassPropertyValue& value) = 0;
    virtual void Fault(MassPropertyFault fault, uint16_t index) = 0;

protected:
    ~MassPropertyTarget() = default;
};

// Applies every record of the stream in order. Every value is checked against the bytes left
// before it is read: the first record that does not fit, has an unknown type code, or that the
// target refuses ends the run, so no later record is read out of step.
void DecodeMassPropertyStream(const uint8_t* data, size_t size, MassPropertyTarget& target);
