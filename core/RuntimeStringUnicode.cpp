// The handle's conversions to UTF-8 and UTF-16: the platform's UTF-8 code page does the work.
#include <windows.h>

#include <cstring>

#include "RuntimeString.h"
#include "core/EncodingConversion.h"

string string::ToUTF8() const {
    if (!mRecord || mRecord->encoding == kEncodingUTF8) return *this;
    if (mRecord->encoding != kEncodingUTF16)
        return ConvertStringEncoding(*this, kEncodingUTF8);

    // Exactly the record's units: a record made with SetWideBytes has no 16-bit terminator to
    // read, and an odd trailing byte is not a unit.
    const int units = mRecord->length / 2;
    const auto* wide = reinterpret_cast<LPCWCH>(mRecord->buffer + 1);
    string result;
    const int needed = WideCharToMultiByte(CP_UTF8, 0, wide, units, nullptr, 0, nullptr, nullptr);
    if (needed <= 0) return result;
    char* text = result.AllocateBytes(needed);
    if (!text) return result;
    const int written = WideCharToMultiByte(CP_UTF8, 0, wide, units, text, needed, nullptr, nullptr);
    if (written <= 0) return string();
    StringRecord* record = result.Record();
    record->length = written;
    record->buffer[0] = static_cast<unsigned char>(written < 255 ? written : 255);
    record->buffer[written + 1] = 0;
    record->encoding = kEncodingUTF8;
    return result;
}

string string::ToUTF16() const {
    if (!mRecord || mRecord->encoding == kEncodingUTF16) return *this;
    if (mRecord->encoding == kEncodingUnknown)
        return ConvertThroughUTF16(*this, SystemTextEncoding(), kEncodingUTF16);
    if (mRecord->encoding != kEncodingUTF8) return ConvertStringEncoding(*this, kEncodingUTF16);

    // The text and its terminator in; at most one unit per byte out, plus the terminator.
    const int32_t length = mRecord->length;
    string result;
    char* text = result.AllocateBytes(2 * length + 1);
    if (!text) return result;
    const int units = MultiByteToWideChar(CP_UTF8, 0, reinterpret_cast<LPCCH>(mRecord->buffer + 1),
                                          length + 1, reinterpret_cast<LPWSTR>(text), length + 1);
    if (units <= 1) return string();
    StringRecord* record = result.Record();
    record->length = 2 * (units - 1);
    record->buffer[0] = static_cast<unsigned char>(record->length);
    record->encoding = kEncodingUTF16;
    return result;
}
