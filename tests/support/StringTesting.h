// Building and reading runtime strings in tests.
#pragma once

#include <string_view>

#include "core/RuntimeString.h"
#include "core/TextEncodings.h"

// A string of these bytes carrying this encoding tag (the empty string for no bytes).
inline string Tagged(std::string_view bytes, uint32_t tag = kEncodingUTF8) {
    string s;
    if (s.SetBytes(bytes.data(), static_cast<int32_t>(bytes.size()))) s.SetEncoding(tag);
    return s;
}

// A UTF-16 string of these units.
inline string Wide(std::u16string_view units) {
    string s;
    s.SetWideText(reinterpret_cast<const uint16_t*>(units.data()), static_cast<int32_t>(units.size()));
    return s;
}

// The bytes of a string's text.
inline std::string_view BytesOf(const string& s) {
    return {s.CString(), static_cast<size_t>(s.Length())};
}
