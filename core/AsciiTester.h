// The ASCII test behind string::IsASCII: one process-wide tester, made on first use and never
// freed.
#pragma once

#include <cstdint>

#include "GuardedMemory.h"

class ByteRunTester : public RuntimeAllocated {
public:
    virtual bool IsASCIIBytes(const void* bytes, int32_t length) const = 0;

protected:
    ~ByteRunTester() = default;
};

class ASCIITester final : public ByteRunTester {
public:
    // True when every byte is below 0x80 (true for an empty run).
    bool IsASCIIBytes(const void* bytes, int32_t length) const override;
};

ByteRunTester* GetASCIITester();
