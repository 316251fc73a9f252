#include "FileTypeRules.h"

namespace {

char LowerAscii(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c + 32) : c; }

bool EqualNoCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i)
        if (LowerAscii(a[i]) != LowerAscii(b[i])) return false;
    return true;
}

void ReplaceSemicolons(std::string* filter, std::string_view patterns) {
    for (const char c : patterns) {
        filter->push_back(c);
        if (c == ';') filter->push_back(' ');
    }
}

}  // namespace

bool NextTypeName(std::string_view list, size_t* position, std::string_view* field) {
    if (*position >= list.size()) return false;
    const size_t end = list.find(';', *position);
    if (end == std::string_view::npos) {
        *field = list.substr(*position);
        *position = list.size();
    } else {
        *field = list.substr(*position, end - *position);
        *position = end + 1;
    }
    return true;
}

bool IsUnknownCodeText(std::string_view code) {
    return code.empty() || (code.size() >= 4 && code.substr(0, 4) == "????");
}

std::string BuildDialogFilterText(std::string_view names, const std::vector<FileTypeFields>& types,
                                  bool (*sameName)(std::string_view, std::string_view),
                                  std::string* defaultExtension) {
    std::string filter;
    if (names.empty()) return filter;
    size_t position = 0;
    std::string_view name;
    while (NextTypeName(names, &position, &name)) {
        std::string patterns;
        for (const FileTypeFields& type : types) {
            if (!sameName(type.name, name)) continue;
            if (!type.extensions.empty()) {
                size_t at = 0;
                std::string_view extension;
                while (NextTypeName(type.extensions, &at, &extension)) {
                    if (extension.empty()) continue;
                    if (patterns.empty()) {
                        patterns.append("*").append(extension);
                        if (extension.front() == '.') defaultExtension->assign(extension.substr(1));
                    } else {
                        patterns.append(";*").append(extension);
                    }
                }
            } else if (IsUnknownCodeText(type.macCreator) && patterns.empty()) {
                patterns = "*.*";
            }
        }
        filter.append(name).append(" (");
        ReplaceSemicolons(&filter, patterns);
        filter.append(")").push_back('\0');
        filter.append(patterns).push_back('\0');
    }
    filter.push_back('\0');
    filter.push_back('\0');
    return filter;
}

bool ApplyFileExtensionText(std::string* name, std::string_view allowed, std::string_view extension,
                            int32_t maximum) {
    if (extension.empty()) return false;
    const std::string dotted = std::string(".").append(extension);
    size_t at = 0;
    std::string_view field;
    while (NextTypeName(allowed, &at, &field)) {
        if (field.empty() || name->size() < field.size() + 1) continue;
        const std::string_view tail = std::string_view(*name).substr(name->size() - field.size() - 1);
        if (tail.front() == '.' && EqualNoCase(tail.substr(1), field)) return false;
    }
    // Only the last component's extension is replaced: a dot in a folder name is no extension.
    const size_t component = name->find_last_of("\\/");
    const size_t start = component == std::string::npos ? 0 : component + 1;
    const size_t dot = name->rfind('.');
    if (dot != std::string::npos && dot > start) name->resize(dot);
    const int64_t limit = static_cast<int64_t>(maximum) - static_cast<int64_t>(dotted.size());
    if (limit >= 0 && static_cast<int64_t>(name->size()) >= limit) name->resize(static_cast<size_t>(limit));
    name->append(dotted);
    return true;
}
