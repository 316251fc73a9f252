#include "RelativePath.h"

#include <algorithm>
#include <vector>

#include "Win32PathText.h"

namespace {

char LowerAscii(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c + 32) : c; }

bool SameText(std::string_view a, std::string_view b) {
    return a.size() == b.size() &&
           std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) { return LowerAscii(x) == LowerAscii(y); });
}

// The fields of a path between its backslashes; a trailing backslash gives no empty field.
std::vector<std::string_view> Fields(std::string_view path) {
    std::vector<std::string_view> fields;
    path = StripTrailingBackslash(path);
    if (path.empty()) return fields;
    for (size_t start = 0;;) {
        const size_t end = path.find('\\', start);
        fields.push_back(path.substr(start, end == std::string_view::npos ? end : end - start));
        if (end == std::string_view::npos) return fields;
        start = end + 1;
    }
}

std::string_view FieldAt(const std::vector<std::string_view>& fields, size_t index) {
    return index < fields.size() ? fields[index] : std::string_view();
}

// The folder an item stands for: a folder itself, a file its root and directory part.
std::string_view FolderOf(std::string_view path, bool isDirectory) {
    if (isDirectory) return path;
    const Win32PathParts parts = SplitWin32Path(path);
    return path.substr(0, parts.root.size() + parts.directory.size());
}

}  // namespace

std::string MakeRelativePathText(std::string_view itemPath, bool itemIsDirectory,
                                 std::string_view basePath, bool baseIsDirectory, bool* unforeseen) {
    const Win32PathParts item = SplitWin32Path(itemPath);
    if (!SameText(StripTrailingBackslash(item.root), StripTrailingBackslash(SplitWin32Path(basePath).root)))
        return std::string();
    const std::string_view base = FolderOf(basePath, baseIsDirectory);
    std::string target;
    std::string_view name;
    if (itemIsDirectory) {
        target.append(StripTrailingBackslash(itemPath)).append("\\");
    } else {
        target.append(item.root).append(item.directory);
        name = item.file;
    }
    if (SameText(StripTrailingBackslash(base), StripTrailingBackslash(target))) {
        if (!itemIsDirectory) return std::string(name);
        // The base folder itself: its own name would name a child of that name, so the path
        // climbs out and enters it again. A root has no folder to climb to.
        return item.directory.empty() ? std::string() : std::string("..\\").append(item.file);
    }
    const std::vector<std::string_view> baseFields = Fields(base);
    const std::vector<std::string_view> targetFields = Fields(target);
    const size_t count = baseFields.size();
    // Field 0, the drive, is not compared.
    size_t same = 0;
    for (size_t k = 1; k < std::max(count, targetFields.size()) &&
                       SameText(FieldAt(baseFields, k), FieldAt(targetFields, k));
         ++k)
        ++same;
    if (same >= count) {
        if (unforeseen) *unforeseen = true;
        return std::string();
    }
    std::string answer;
    for (size_t climb = count - same - 1; climb > 0; --climb) answer.append("..\\");
    for (size_t k = same + 1; k < targetFields.size() && !targetFields[k].empty(); ++k)
        answer.append(targetFields[k]).append("\\");
    answer.append(name);
    return std::string(StripTrailingBackslash(answer));
}

std::string ResolveRelativePathText(std::string_view relativePath, std::string_view basePath,
                                    bool baseIsDirectory) {
    const std::string_view base = FolderOf(basePath, baseIsDirectory);
    const std::vector<std::string_view> fields = Fields(relativePath);
    if (fields.empty()) return std::string();
    const std::vector<std::string_view> baseFields = Fields(base);
    std::string result(StripTrailingBackslash(base));
    // The base field that the next ".." removes.
    size_t remaining = baseFields.size();
    for (const std::string_view field : fields) {
        if (field.empty()) break;
        if (field != "..") {
            result.append("\\").append(field);
            continue;
        }
        if (remaining == 0) return std::string();
        const size_t cut = baseFields[--remaining].size() + 1;
        if (cut >= result.size()) return std::string();
        result.resize(result.size() - cut);
    }
    return result;
}
