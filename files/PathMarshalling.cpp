#include "PathMarshalling.h"

#include <cstring>
#include <cwchar>

#include "core/Platform.h"
#include "core/EncodingConversion.h"

SystemPath::SystemPath(const string& path) : mWide(IsUnicodePlatform()) {
    mText = mWide ? path.ToUTF8().ToUTF16() : ConvertToSystemEncoding(path);
}

string PathFromWide(const wchar_t* text, int32_t length) {
    if (length < 0) length = static_cast<int32_t>(std::wcslen(text));
    string wide;
    wide.SetWideText(reinterpret_cast<const uint16_t*>(text), length);
    return wide.ToUTF8();
}

string PathFromSystem(const char* text, int32_t length) {
    if (length < 0) length = static_cast<int32_t>(std::strlen(text));
    string system;
    system.SetBytes(text, length);
    system.SetEncoding(SystemTextEncoding());
    return system.ToUTF8();
}

string Utf8Text(const char* bytes, int32_t length) {
    string text;
    text.SetBytes(bytes, length);
    text.SetEncoding(kEncodingUTF8);
    return text;
}

std::string_view TextView(const string& text) {
    return std::string_view(text.CString(), static_cast<size_t>(text.Length()));
}

string Utf8Text(const std::string& text) { return Utf8Text(text.data(), static_cast<int32_t>(text.size())); }
