#include "RegistryPath.h"

namespace {

struct RootName {
    std::string_view name;
    RegistryRoot root;
};

constexpr RootName kRootNames[] = {
    {"HKEY_LOCAL_MACHINE", RegistryRoot::LocalMachine},
    {"HKEY_CURRENT_USER", RegistryRoot::CurrentUser},
    {"HKEY_CLASSES_ROOT", RegistryRoot::ClassesRoot},
    {"HKEY_CURRENT_CONFIG", RegistryRoot::CurrentConfig},
    {"HKEY_USERS", RegistryRoot::Users},
};

char Upper(char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c; }

bool StartsWithNoCase(std::string_view text, std::string_view prefix) {
    if (text.size() < prefix.size()) return false;
    for (size_t i = 0; i < prefix.size(); ++i)
        if (Upper(text[i]) != prefix[i]) return false;
    return true;
}

}  // namespace

RegistryRootSplit SplitRegistryRootText(std::string_view path) {
    for (const RootName& root : kRootNames) {
        if (!StartsWithNoCase(path, root.name)) continue;
        const size_t offset = root.name.size() + 1;
        return {root.root, offset < path.size() ? offset : path.size()};
    }
    return {RegistryRoot::None, 0};
}

// Splitting keeps empty components between separators but drops the empty one after a trailing
// separator; so the parent ends before the last separator that precedes a non-empty component,
// or, with a trailing separator, before the separator ahead of the last real component.
std::string_view ParentPathOf(std::string_view path) {
    std::string_view components = path;
    if (!components.empty() && components.back() == '\\') components.remove_suffix(1);
    const size_t last = components.rfind('\\');
    if (last == std::string_view::npos) return std::string_view();
    return path.substr(0, last);
}

// The volume is a drive (letter, colon, backslash) or the two backslashes of a network path; the
// folders end at the last backslash after it. A path no longer than its drive is its own name.
std::string_view ApplicationNameOfModule(std::string_view path) {
    const size_t colon = path.find(':');
    const bool hasColon = colon != std::string_view::npos;
    std::string_view fileName = path;
    if (hasColon || (path.size() > 1 && path[1] == '\\')) {
        const size_t volumeEnd = hasColon ? colon + 2 : 2;
        if (!hasColon || path.size() > volumeEnd) {
            const std::string_view rest = path.substr(volumeEnd);
            const size_t slash = rest.rfind('\\');
            fileName = slash == std::string_view::npos ? rest : rest.substr(slash + 1);
        } else {
            fileName = path.substr(0, colon + 1);
        }
    }
    const size_t dot = fileName.find('.');
    return dot == std::string_view::npos ? fileName : fileName.substr(0, dot);
}
