#include "CommandLine.h"

#include <windows.h>

#include "core/ByteUtilities.h"
#include "core/Platform.h"
#include "core/EncodingConversion.h"

namespace {

string Tagged(const char* bytes, int32_t length, uint32_t encoding) {
    string s;
    if (s.SetBytes(bytes, length)) s.SetEncoding(encoding);
    return s;
}

string ProcessCommandLine() {
    if (IsUnicodePlatform()) {
        const wchar_t* line = GetCommandLineW();
        string wide;
        wide.SetWideText(reinterpret_cast<const uint16_t*>(line), static_cast<int32_t>(wcslen(line)));
        return wide.ToUTF8();
    }
    const char* line = GetCommandLineA();
    return Tagged(line, static_cast<int32_t>(strlen(line)), SystemTextEncoding());
}

}  // namespace

string ExecutablePath() {
    if (IsUnicodePlatform()) {
        wchar_t path[1024];
        const DWORD n = GetModuleFileNameW(nullptr, path, 1024);
        string wide;
        wide.SetWideText(reinterpret_cast<const uint16_t*>(path), static_cast<int32_t>(n));
        return wide.ToUTF8();
    }
    char path[1024];
    const DWORD n = GetModuleFileNameA(nullptr, path, 1024);
    return Tagged(path, static_cast<int32_t>(n), SystemTextEncoding());
}

string CommandLineArguments(const string& commandLine, const string& modulePath) {
    const char* line = commandLine.CString();
    const int32_t length = commandLine.Length();
    const int32_t pathLength = modulePath.Length();
    int32_t start;
    const bool quoted = length > 0 && line[0] == '"';
    const int32_t pathStart = quoted ? 1 : 0;
    if (pathLength > 0 && length - pathStart >= pathLength &&
        CompareBytesNoCase(line + pathStart, pathLength, modulePath.CString(), pathLength) == 0 &&
        (pathStart + pathLength == length || line[pathStart + pathLength] == ' ' ||
         line[pathStart + pathLength] == '"')) {
        start = pathStart + pathLength;
        if (quoted && start < length && line[start] == '"') ++start;
    } else if (quoted) {
        start = 1;
        while (start < length && line[start] != '"') ++start;
        if (start < length) ++start;  // past the closing quote
    } else {
        start = 0;
        while (start < length && line[start] != ' ') ++start;
    }
    return Tagged(line + start, length - start, commandLine.Encoding());
}

string GetCommandLineArguments() { return CommandLineArguments(ProcessCommandLine(), ExecutablePath()); }
