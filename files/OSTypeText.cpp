#include "files/OSTypeText.h"

#include "core/EncodingConversion.h"

uint32_t OSTypeFromString(const string& text) {
    if (text.IsEmpty()) return 0x3F3F3F3F;  // "????"
    const string system = ConvertToSystemEncoding(text);
    const auto* bytes = reinterpret_cast<const unsigned char*>(system.CString());
    uint32_t code = 0;
    for (int32_t i = 0; i < 4; ++i) code = code << 8 | (i < system.Length() ? bytes[i] : 0);
    return code;
}
