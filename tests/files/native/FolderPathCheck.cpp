// Native checks of the folder items' platform-free rules: Windows path splitting and joining,
// roots, the error mapping, file URLs both ways, and the file-type filter and extension texts.
#include <cstdio>
#include <string>
#include <string_view>

#include "files/FileTypeRules.h"
#include "files/Win32PathText.h"
#include "NativeCheck.h"

namespace {

template <size_t N>
std::string Bytes(const char (&text)[N]) {
    return std::string(text, N - 1);
}

char Lower(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c + 32) : c; }

bool SameNameAscii(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i)
        if (Lower(a[i]) != Lower(b[i])) return false;
    return true;
}

void CheckPaths() {
    const struct {
        std::string_view path, root, directory, file;
    } splits[] = {
        {"D:\\a\\b.txt", "D:\\", "a\\", "b.txt"},
        {"D:\\x", "D:\\", "", "x"},
        {"D:", "D:", "", "D:"},
        {"D:\\", "D:", "", "D:"},
        {"\\\\server\\share\\x", "\\\\", "server\\share\\", "x"},
        {"\\\\server\\share", "\\\\", "server\\", "share"},
        {"abc", "", "", "abc"},
        {"data\\x.txt", "", "", "data\\x.txt"},
        {"", "", "", ""},
    };
    for (const auto& row : splits) {
        const Win32PathParts parts = SplitWin32Path(row.path);
        Check(parts.root == row.root && parts.directory == row.directory && parts.file == row.file,
              "split", row.path);
    }

    const struct {
        std::string_view base, other;
        bool append;
        std::string_view combined;
    } combines[] = {
        {"D:\\App", "data\\x.txt", true, "D:\\App\\data\\x.txt"},
        {"D:\\App", "E:\\y", true, "E:\\y"},
        {"D:\\App", "\\\\srv\\share\\z", true, "\\\\srv\\share\\z"},
        {"D:\\dir\\old.txt", "new.txt", false, "D:\\dir\\new.txt"},
        {"D:\\old.txt", "new.txt", false, "D:\\new.txt"},
        {"D:\\dir\\old.txt", "E:\\moved.txt", false, "E:\\moved.txt"},
        {"\\\\srv\\share\\a", "b", false, "\\\\srv\\share\\b"},
    };
    for (const auto& row : combines)
        Check(CombineWin32Path(row.base, row.other, row.append) == row.combined, "combine", row.other);

    const struct {
        std::string_view path, stripped;
    } strips[] = {{"D:\\dir\\", "D:\\dir"}, {"D:\\dir\\\\", "D:\\dir\\"}, {"D:\\dir", "D:\\dir"}, {"", ""}};
    for (const auto& row : strips) Check(StripTrailingBackslash(row.path) == row.stripped, "strip", row.path);

    const struct {
        std::string_view path, folder;
    } folders[] = {{"D:\\App\\run.exe", "D:\\App"}, {"D:\\run.exe", "D:\\"}, {"D:\\a\\b\\c", "D:\\a\\b"}};
    for (const auto& row : folders) Check(FolderPartOfPath(row.path) == row.folder, "folder part", row.path);

    const struct {
        std::string_view path;
        bool root;
    } roots[] = {
        {"D:\\", true},          {"D:", true},           {"D:\\x", false},
        {"\\\\server\\share\\", true}, {"\\\\server\\share", true}, {"\\\\server\\share\\x", false},
        {"\\\\server", false},    {"D:\\\\", false},       {"data", false},
    };
    for (const auto& row : roots) Check(IsRootPathText(row.path) == row.root, "root", row.path);
}

void CheckErrors() {
    const struct {
        uint32_t code;
        int32_t mapped;
    } errors[] = {
        {2, 101},   {3, 101},   {15, 101},  {5, 102},   {16, 102},  {19, 102},   {29, 102},
        {30, 102},  {65, 102},  {108, 102}, {148, 102}, {266, 102}, {8, 103},    {14, 103},
        {39, 103},  {26, 104},  {32, 104},  {33, 104},  {123, 105}, {161, 105},  {267, 105},
        {1006, 105}, {0, 0},    {80, 80},   {145, 145}, {31, 31},   {183, 183},
    };
    for (const auto& row : errors)
        Check(MapWin32Error(row.code) == row.mapped, "error", std::to_string(row.code));
}

void CheckURLs() {
    Check(PercentEncodeName("a b-_.~/%\xC3\xA9") == "a%20b-_.%7E%2F%25%C3%A9", "encode", "a b");
    Check(JoinFileURL({"D:", "a%20b", "c.txt"}, false) == "file:///D:/a%20b/c.txt", "join", "drive file");
    Check(JoinFileURL({"D:", "a"}, true) == "file:///D:/a/", "join", "folder");
    Check(JoinFileURL({"//server/share", "x"}, false) == "file://///server/share/x", "join", "share");
    Check(JoinFileURL({"r", "a", "b"}, false) == "file:///r/a/b", "join", "generic");
    Check(ShareRootURLEntry("\\\\server\\share\\") == "//server/share", "share entry", "");

    const struct {
        std::string_view url, path;
    } urls[] = {
        {"file:///D:/a%20b/c.txt", "D:\\a b\\c.txt"},
        {"FILE:///D:/a/", "D:\\a\\"},
        {"file://///server/share/x", "\\\\server\\share\\x"},
        {"file:///D:/%C3%A9t%C3%A9.txt", "D:\\\xC3\xA9t\xC3\xA9.txt"},
        {"file:///D:/100%", "D:\\100%"},
        {"file:///D:/%zz", "D:\\%zz"},
        {"file://D:/x", ""},
        {"http:///D:/x", ""},
        {"file:/", ""},
        {"", ""},
    };
    for (const auto& row : urls) Check(FileURLToPath(row.url, '\\') == row.path, "url", row.url);
    // Non-ASCII names survive the round trip.
    const std::string name = "\xC3\xA9t\xC3\xA9 \xE6\x97\xA5.txt";
    Check(FileURLToPath(JoinFileURL({"D:", PercentEncodeName(name)}, false), '\\') == "D:\\" + name,
          "url round trip", name);
}

void CheckFileTypes() {
    const std::vector<FileTypeFields> types = {
        {"Text", ".txt;.text", "ttxt"},
        {"Picture", ".bmp", "????"},
        {"Any", "", ""},
        {"Coded", "", "abcd"},
        {"text", ".log", ""},
    };
    std::string extension = "old";
    Check(BuildDialogFilterText("", types, SameNameAscii, &extension).empty() && extension == "old",
          "filter", "empty names");
    const std::string filter = BuildDialogFilterText("Text;Picture", types, SameNameAscii, &extension);
    Check(filter == Bytes("Text (*.txt; *.text; *.log)\0*.txt;*.text;*.log\0"
                          "Picture (*.bmp)\0*.bmp\0\0\0"),
          "filter", "Text;Picture");
    Check(extension == "bmp", "filter default extension", extension);
    extension = "keep";
    Check(BuildDialogFilterText("Any", types, SameNameAscii, &extension) == Bytes("Any (*.*)\0*.*\0\0\0"),
          "filter", "Any");
    Check(extension == "keep", "filter keeps extension", extension);
    Check(BuildDialogFilterText("Coded;Missing", types, SameNameAscii, &extension) ==
              Bytes("Coded ()\0\0Missing ()\0\0\0\0"),
          "filter", "no patterns");

    Check(IsUnknownCodeText("") && IsUnknownCodeText("????") && IsUnknownCodeText("?????") &&
              !IsUnknownCodeText("???") && !IsUnknownCodeText("TEXT"),
          "unknown code", "");

    const struct {
        std::string_view name, allowed, extension;
        int32_t maximum;
        bool changed;
        std::string_view result;
    } applied[] = {
        {"report.doc", "txt", "txt", 1024, true, "report.txt"},
        {"report.TXT", "txt", "txt", 1024, false, "report.TXT"},
        {".profile", "txt", "txt", 1024, true, ".profile.txt"},
        {"report", "", "", 1024, false, "report"},
        {"C:\\v1.2\\report", "bmp", "bmp", 1024, true, "C:\\v1.2\\report.bmp"},
        {"C:\\v1.2\\report.old", "bmp", "bmp", 1024, true, "C:\\v1.2\\report.bmp"},
        {"C:\\dir\\.profile", "bmp", "bmp", 1024, true, "C:\\dir\\.profile.bmp"},
        {"a.jpeg", "jpg;jpeg", "jpg", 1024, false, "a.jpeg"},
        {"a.b.c", ";x", "x", 1024, true, "a.b.x"},
    };
    for (const auto& row : applied) {
        std::string name(row.name);
        const bool changed = ApplyFileExtensionText(&name, row.allowed, row.extension, row.maximum);
        Check(changed == row.changed && name == row.result, "apply extension", row.name);
    }
    std::string longName(1030, 'n');
    Check(ApplyFileExtensionText(&longName, "txt", "txt", 1024) && longName == std::string(1020, 'n') + ".txt",
          "apply extension", "1030 characters");

    size_t position = 0;
    std::string_view field;
    std::string fields;
    while (NextTypeName("a;;b;", &position, &field)) fields.append("[").append(field).append("]");
    Check(fields == "[a][][b]", "type names", fields);
}

}  // namespace

int main() {
    CheckPaths();
    CheckErrors();
    CheckURLs();
    CheckFileTypes();
    std::printf("%s\n", failures ? "failed" : "ok");
    return failures ? 1 : 0;
}
