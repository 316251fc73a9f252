#include "AsciiTester.h"

bool ASCIITester::IsASCIIBytes(const void* bytes, int32_t length) const {
    const auto* p = static_cast<const unsigned char*>(bytes);
    for (int32_t i = 0; i < length; ++i)
        if (p[i] >= 0x80) return false;
    return true;
}

ByteRunTester* GetASCIITester() {
    static ByteRunTester* sTester = nullptr;
    if (!sTester) sTester = new ASCIITester;
    return sTester;
}
