#include "Win32PathText.h"

namespace {

bool IsSeparator(char c) { return c == '\\'; }

char LowerAscii(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c + 32) : c; }

int HexValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    return -1;
}

}  // namespace

int32_t MapWin32Error(uint32_t code) {
    switch (code) {
        case 2: case 3: case 15:
            return kFileNotFound;
        case 5: case 16: case 19: case 29: case 30: case 65: case 108: case 148: case 266:
            return kAccessDenied;
        case 8: case 14: case 39:
            return kNotEnoughMemory;
        case 26: case 32: case 33:
            return kFileInUse;
        case 123: case 161: case 267: case 1006:
            return kInvalidName;
        default:
            return static_cast<int32_t>(code);
    }
}

Win32PathParts SplitWin32Path(std::string_view path) {
    const size_t colon = path.find(':');
    const bool shareLike = path.size() >= 2 && IsSeparator(path[1]);
    if (colon == std::string_view::npos && !shareLike) return {{}, {}, path};
    if (colon != std::string_view::npos && path.size() - colon - 1 <= 1) {
        const std::string_view root = shareLike ? path.substr(0, 1) : path.substr(0, colon + 1);
        return {root, {}, root};
    }
    const size_t rootLength = colon != std::string_view::npos ? colon + 2 : 2;
    const std::string_view root = path.substr(0, rootLength);
    const std::string_view rest = path.substr(root.size());
    const size_t slash = rest.rfind('\\');
    if (slash == std::string_view::npos) return {root, {}, rest};
    return {root, rest.substr(0, slash + 1), rest.substr(slash + 1)};
}

std::string CombineWin32Path(std::string_view base, std::string_view other, bool append) {
    if (!SplitWin32Path(other).root.empty()) return std::string(other);
    std::string combined;
    if (append) {
        combined.append(base).append("\\");
    } else {
        const Win32PathParts parts = SplitWin32Path(base);
        combined.append(parts.root).append(parts.directory);
    }
    return combined.append(other);
}

std::string_view StripTrailingBackslash(std::string_view path) {
    if (!path.empty() && IsSeparator(path.back())) path.remove_suffix(1);
    return path;
}

std::string FolderPartOfPath(std::string_view path) {
    const Win32PathParts parts = SplitWin32Path(path);
    std::string folder(parts.root);
    if (!parts.directory.empty()) folder.append(parts.directory.substr(0, parts.directory.size() - 1));
    return folder;
}

bool IsRootPathText(std::string_view path) {
    if (path.size() >= 2 && IsSeparator(path[0]) && IsSeparator(path[1])) {
        const std::string_view body = StripTrailingBackslash(path.substr(2));
        const size_t server = body.find('\\');
        return server != std::string_view::npos && body.find('\\', server + 1) == std::string_view::npos;
    }
    return path.size() >= 2 && path.size() <= 3 && path[1] == ':';
}

std::string PercentEncodeName(std::string_view text) {
    static const char kHex[] = "0123456789ABCDEF";
    std::string encoded;
    encoded.reserve(text.size());
    for (const char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        const bool plain = (byte >= 'A' && byte <= 'Z') || (byte >= 'a' && byte <= 'z') ||
                           (byte >= '0' && byte <= '9') || byte == '-' || byte == '_' || byte == '.';
        if (plain) {
            encoded.push_back(c);
        } else {
            encoded.push_back('%');
            encoded.push_back(kHex[byte >> 4]);
            encoded.push_back(kHex[byte & 15]);
        }
    }
    return encoded;
}

std::string PercentDecodeText(std::string_view text) {
    std::string decoded;
    decoded.reserve(text.size());
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '%' && i + 2 < text.size() && HexValue(text[i + 1]) >= 0 &&
            HexValue(text[i + 2]) >= 0) {
            decoded.push_back(static_cast<char>(HexValue(text[i + 1]) << 4 | HexValue(text[i + 2])));
            i += 2;
        } else {
            decoded.push_back(text[i]);
        }
    }
    return decoded;
}

std::string JoinFileURL(const std::vector<std::string>& entries, bool directory) {
    std::string url("file://");
    for (size_t i = 0; i < entries.size(); ++i) url.append("/").append(entries[i]);
    if (directory) url.append("/");
    return url;
}

std::string ShareRootURLEntry(std::string_view absolutePath) {
    std::string entry(absolutePath.substr(0, absolutePath.empty() ? 0 : absolutePath.size() - 1));
    for (char& c : entry)
        if (c == '\\') c = '/';
    return entry;
}

std::string FileURLToPath(std::string_view url, char separator) {
    static constexpr std::string_view kScheme = "file://";
    if (url.size() < kScheme.size()) return {};
    for (size_t i = 0; i < kScheme.size(); ++i)
        if (LowerAscii(url[i]) != kScheme[i]) return {};
    url.remove_prefix(kScheme.size());
    if (url.empty() || url.front() != '/') return {};
    url.remove_prefix(1);
    std::string path(url);
    for (char& c : path)
        if (c == '/') c = separator;
    return PercentDecodeText(path);
}
