// Disk folder items against the bare Win32 calls that answer the same questions, measured side by
// side; the printed ratios are folder-item time over raw time.
#include <windows.h>

#include <cstdio>
#include <string>
#include <vector>

#include "BenchTiming.h"
#include "files/FolderItem.h"
#include "files/FolderItemImpWin32.h"

namespace {

constexpr int kFiles = 1000;
// Each language item resolves its path to the long form and looks for a shortcut header, which
// costs about a millisecond under Wine and many times that in an emulated machine: the language
// part takes a tenth of the files, and its ratios are per item.
constexpr int kLanguageFiles = 100;
constexpr int kCopyBytes = 10 << 20;

std::wstring WideOf(const std::string& s) { return std::wstring(s.begin(), s.end()); }

// Through the language's entry points: an object made from each path text, then asked Exists and
// Length; and Child of the folder by name, then Exists.
void Language(const std::string& folder, double raw) {
    std::vector<string> texts, names;
    for (int i = 0; i < kLanguageFiles; ++i) {
        const std::string name = "f" + std::to_string(i) + ".txt";
        texts.push_back(string((folder + "\\" + name).c_str()));
        names.push_back(string(name.c_str()));
    }
    ObjectHeader* parent = RuntimeGetFolderItem(string(folder.c_str()).Record(), 0);
    uint64_t sum = 0;
    const double get = Best(
        [&] {
            uint64_t total = 0;
            for (const string& text : texts) {
                ObjectHeader* item = RuntimeGetFolderItem(text.Record(), 0);
                total += fileExistsGetter(item, 0) + static_cast<uint32_t>(fileSizeGetter(item, 0));
                RuntimeUnlockObject(item);
            }
            return total;
        },
        sum);
    const double child = Best(
        [&] {
            uint64_t total = 0;
            for (const string& name : names) {
                ObjectHeader* item = FolderChild(parent, name.Record());
                total += fileExistsGetter(item, 0);
                RuntimeUnlockObject(item);
            }
            return total;
        },
        sum);
    RuntimeUnlockObject(parent);
    const double rawPerItem = raw / kFiles;
    std::printf("GetFolderItem with Exists and Length over %d files: %.2f\n", kLanguageFiles,
                get / kLanguageFiles / rawPerItem);
    std::printf("Child with Exists over %d names: %.2f\n", kLanguageFiles,
                child / kLanguageFiles / rawPerItem);
}

void Queries(const std::string& folder) {
    std::vector<FolderItemImpWin32*> items;
    std::vector<std::wstring> paths;
    for (int i = 0; i < kFiles; ++i) {
        const std::string path = folder + "\\f" + std::to_string(i) + ".txt";
        HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
        DWORD written = 0;
        WriteFile(file, path.data(), static_cast<DWORD>(path.size()), &written, nullptr);
        CloseHandle(file);
        items.push_back(new FolderItemImpWin32(string(path.c_str())));
        paths.push_back(WideOf(path));
    }
    uint64_t sum = 0;
    const double raw = Best(
        [&] {
            uint64_t total = 0;
            WIN32_FILE_ATTRIBUTE_DATA data;
            for (const std::wstring& path : paths)
                if (GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &data)) total += data.nFileSizeLow;
            return total;
        },
        sum);
    const double exists = Best(
        [&] {
            uint64_t total = 0;
            for (FolderItemImpWin32* item : items) total += item->Exists();
            return total;
        },
        sum);
    const double length = Best(
        [&] {
            uint64_t total = 0;
            for (FolderItemImpWin32* item : items) total += static_cast<uint32_t>(item->GetLength());
            return total;
        },
        sum);
    const double date = Best(
        [&] {
            double total = 0;
            for (FolderItemImpWin32* item : items) total += item->GetModificationDate();
            return static_cast<uint64_t>(total);
        },
        sum);
    std::printf("Exists over %d files: %.2f\n", kFiles, exists / raw);
    std::printf("GetLength over %d files: %.2f\n", kFiles, length / raw);
    std::printf("GetModificationDate over %d files: %.2f\n", kFiles, date / raw);
    Language(folder, raw);
    for (size_t i = 0; i < items.size(); ++i) {
        delete items[i];
        DeleteFileW(paths[i].c_str());
    }
}

void Copy(const std::string& folder) {
    const std::string source = folder + "\\source.bin";
    const std::string target = folder + "\\target.bin";
    std::vector<char> bytes(kCopyBytes, 'q');
    HANDLE file = CreateFileA(source.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    DWORD written = 0;
    WriteFile(file, bytes.data(), kCopyBytes, &written, nullptr);
    CloseHandle(file);
    FolderItemImpWin32 from{string(source.c_str())};
    FolderItemImpWin32 to{string(target.c_str())};
    const double ours = Best([&] {
        DeleteFileA(target.c_str());
        from.CopyFileTo(&to);
    });
    const double raw = Best([&] {
        DeleteFileA(target.c_str());
        CopyFileW(WideOf(source).c_str(), WideOf(target).c_str(), TRUE);
    });
    std::printf("CopyFileTo of 10 MB: %.2f\n", ours / raw);
    DeleteFileA(source.c_str());
    DeleteFileA(target.c_str());
}

}  // namespace

int main() {
    // Each line as soon as it is measured, even into a pipe.
    std::setvbuf(stdout, nullptr, _IONBF, 0);
    char temp[MAX_PATH];
    GetTempPathA(MAX_PATH, temp);
    const std::string folder = std::string(temp) + "qv-folder-bench-" + std::to_string(GetCurrentProcessId());
    CreateDirectoryA(folder.c_str(), nullptr);
    Queries(folder);
    Copy(folder);
    RemoveDirectoryA(folder.c_str());
    return 0;
}
