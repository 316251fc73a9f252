// Paths across the system calls: UTF-16 for the wide calls of the NT family, the system text
// encoding for the ANSI calls elsewhere, and back to UTF-8.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "core/RuntimeString.h"

// A path ready for whichever form of a system call the platform takes.
class SystemPath {
public:
    explicit SystemPath(const string& path);
    bool IsWide() const { return mWide; }
    const wchar_t* Wide() const { return mText.WidePointer(); }
    const char* Ansi() const { return mText.CString(); }

private:
    string mText;
    bool mWide;
};

// UTF-8 texts of what the wide and the ANSI calls answer; a negative length reads up to the NUL.
string PathFromWide(const wchar_t* text, int32_t length = -1);
string PathFromSystem(const char* text, int32_t length = -1);
// A UTF-8 runtime string of plain bytes.
string Utf8Text(const char* bytes, int32_t length);
// The bytes of a runtime string, and a UTF-8 runtime string of a standard one.
std::string_view TextView(const string& text);
string Utf8Text(const std::string& text);
