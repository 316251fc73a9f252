// Windows path texts, file URLs and the FolderItem error codes, free of the platform: the rules
// behind the disk folder items, kept apart so that they can be checked natively.
//
// Paths are UTF-8 bytes. A root is "D:" (a drive) or "\\server\share" (a network share), with its
// trailing backslash dropped as the folder items store it.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

// The FolderItem error codes; other codes are platform error numbers passed through unchanged.
enum FolderItemError : int32_t {
    kNoError = 0,
    kDestDoesNotExistError = 100,
    kFileNotFound = 101,
    kAccessDenied = 102,
    kNotEnoughMemory = 103,
    kFileInUse = 104,
    kInvalidName = 105,
};

// Windows error numbers met by the folder items.
constexpr uint32_t kErrorFileNotFound = 2;
constexpr uint32_t kErrorFileExists = 80;

// The FolderItem error code of a Windows error number (or a shell-execution result).
int32_t MapWin32Error(uint32_t code);

// A path in three parts: root ("D:\", "D:" or "\\"), directory part (ending with a backslash, or
// empty) and file part. A bare root ("D:", "D:\") has itself as file part.
struct Win32PathParts {
    std::string_view root;
    std::string_view directory;
    std::string_view file;
};
Win32PathParts SplitWin32Path(std::string_view path);

// Other, unchanged when it has a root of its own; otherwise appended to base after a backslash,
// or (append false) put in place of base's last component.
std::string CombineWin32Path(std::string_view base, std::string_view other, bool append);
// Without one trailing backslash, when there is one.
std::string_view StripTrailingBackslash(std::string_view path);
// The folder that holds a path: root plus directory part without its final backslash, or the
// root alone. D:\App\run.exe gives D:\App; D:\run.exe gives D:\.
std::string FolderPartOfPath(std::string_view path);
// True for the text of a drive root (D: or D:\) or a share root (\\server\share, one trailing
// backslash allowed).
bool IsRootPathText(std::string_view path);

// Every byte but A-Z, a-z, 0-9, "-", "_" and "." as "%" and two upper-case hexadecimal digits.
std::string PercentEncodeName(std::string_view text);
// Each "%" and two hexadecimal digits as that byte; any other "%" stays.
std::string PercentDecodeText(std::string_view text);
// A file URL from its entries, outermost first: "file://", then each entry followed by "/" except
// the last, which gets one only for a folder.
std::string JoinFileURL(const std::vector<std::string>& entries, bool directory);
// The URL entry of a share root's absolute path "\\server\share\": "//server/share".
std::string ShareRootURLEntry(std::string_view absolutePath);
// The path a file URL names, its slashes turned into the separator and percent escapes decoded;
// empty unless it starts with "file://" (in any letter case) and a further "/".
std::string FileURLToPath(std::string_view url, char separator);
