// Data files, BinaryStream, TextInputStream and registry values against the bare Win32 calls that
// do the same work, measured side by side; the printed ratios are runtime time over raw time.
#include <windows.h>

#include <cstdio>
#include <string>

#include "BenchTiming.h"
#include "core/ObjectModel.h"
#include "files/BinaryStream.h"
#include "files/DataFile.h"
#include "files/Registry.h"
#include "files/TextStreams.h"

namespace {

constexpr int kFileBytes = 1 << 20;

std::string TempPath(const char* name) {
    char temp[MAX_PATH];
    GetTempPathA(MAX_PATH, temp);
    return std::string(temp) + name + std::to_string(GetCurrentProcessId());
}

HANDLE RawOpen(const std::string& path, DWORD disposition) {
    return CreateFileA(path.c_str(), GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ, nullptr,
                       disposition, FILE_ATTRIBUTE_NORMAL, nullptr);
}

// Writes then reads the whole file in pieces of the size, through a DataFile and raw.
void FilePieces(const std::string& path, int piece) {
    std::string buffer(static_cast<size_t>(piece), 'x');
    const double ours = Best([&] {
        DataFile* file = NewDataFile();
        file->Create(string(path.c_str()));
        for (int done = 0; done < kFileBytes; done += piece) file->Write(buffer.data(), piece);
        file->SetPosition(0);
        int32_t count = 0;
        for (int done = 0; done < kFileBytes; done += piece) file->Read(buffer.data(), piece, &count);
        delete file;
    });
    const double raw = Best([&] {
        HANDLE file = RawOpen(path, CREATE_ALWAYS);
        DWORD n = 0;
        for (int done = 0; done < kFileBytes; done += piece) WriteFile(file, buffer.data(), piece, &n, nullptr);
        SetFilePointer(file, 0, nullptr, FILE_BEGIN);
        for (int done = 0; done < kFileBytes; done += piece) ReadFile(file, buffer.data(), piece, &n, nullptr);
        CloseHandle(file);
    });
    std::printf("DataFile write+read in %d-byte pieces: %.2f\n", piece, ours / raw);
}

void BinaryLongs(const std::string& path) {
    constexpr int kCount = kFileBytes / 4;
    const double ours = Best([&] {
        DataFile* file = NewDataFile();
        file->Create(string(path.c_str()));
        ObjectHeader* stream = NewBinaryStream(file);
        for (int i = 0; i < kCount; ++i) BinaryStreamWriteLong(stream, i);
        BinaryStreamSetPosition(stream, 0, 0);
        int32_t sum = 0;
        for (int i = 0; i < kCount; ++i) sum += BinaryStreamReadLong(stream);
        RuntimeUnlockObject(stream);
        return uint64_t(uint32_t(sum));
    });
    const double raw = Best([&] {
        HANDLE file = RawOpen(path, CREATE_ALWAYS);
        DWORD n = 0;
        for (int i = 0; i < kCount; ++i) {
            const uint32_t big = _byteswap_ulong(static_cast<uint32_t>(i));
            WriteFile(file, &big, 4, &n, nullptr);
        }
        SetFilePointer(file, 0, nullptr, FILE_BEGIN);
        int32_t sum = 0;
        for (int i = 0; i < kCount; ++i) {
            uint32_t big = 0;
            ReadFile(file, &big, 4, &n, nullptr);
            sum += static_cast<int32_t>(_byteswap_ulong(big));
        }
        CloseHandle(file);
        return uint64_t(uint32_t(sum));
    });
    std::printf("BinaryStream WriteLong+ReadLong: %.2f\n", ours / raw);
}

// Lines of 40 bytes: ReadLine against a raw reader with a 1024-byte buffer splitting at CR LF.
void Lines(const std::string& path) {
    {
        HANDLE file = RawOpen(path, CREATE_ALWAYS);
        const std::string line = std::string(38, 'l') + "\r\n";
        DWORD n = 0;
        for (int done = 0; done < kFileBytes; done += 40) WriteFile(file, line.data(), 40, &n, nullptr);
        CloseHandle(file);
    }
    const double ours = Best([&] {
        DataFile* file = NewDataFile();
        file->Open(string(path.c_str()), kOpenForReading);
        ObjectHeader* input = NewTextInputStream(file);
        uint64_t total = 0;
        while (!TextInputStreamEOF(input)) total += TextInputReadLine(input, kEncodingUTF8).Length();
        RuntimeUnlockObject(input);
        return total;
    });
    const double raw = Best([&] {
        HANDLE file = RawOpen(path, OPEN_EXISTING);
        char buffer[1024];
        std::string line;
        uint64_t total = 0;
        DWORD n = 0;
        while (ReadFile(file, buffer, sizeof buffer, &n, nullptr) && n) {
            for (DWORD i = 0; i < n; ++i) {
                if (buffer[i] == '\r') continue;
                if (buffer[i] == '\n') {
                    total += line.size();
                    line.clear();
                } else {
                    line += buffer[i];
                }
            }
        }
        CloseHandle(file);
        return total;
    });
    std::printf("TextInputStream ReadLine: %.2f\n", ours / raw);
}

void RegistryValues() {
    const std::string sub = "Software\\QVBench-" + std::to_string(GetCurrentProcessId());
    RegistryKey key;
    key.Open(string(("HKEY_CURRENT_USER\\" + sub).c_str()), true);
    HKEY raw = nullptr;
    RegOpenKeyExA(HKEY_CURRENT_USER, sub.c_str(), 0, KEY_ALL_ACCESS, &raw);
    constexpr int kCount = 2000;
    const string name("value");
    const string text("some text of a preference");
    const double ourInteger = Best([&] {
        int32_t sum = 0;
        for (int i = 0; i < kCount; ++i) {
            key.SetIntegerValue(name, i);
            sum += key.GetIntegerValue(name);
        }
        return uint64_t(uint32_t(sum));
    });
    const double rawInteger = Best([&] {
        int32_t sum = 0;
        for (int i = 0; i < kCount; ++i) {
            RegSetValueExW(raw, L"value", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&i), 4);
            int32_t value = 0;
            DWORD size = 4;
            RegQueryValueExW(raw, L"value", nullptr, nullptr, reinterpret_cast<BYTE*>(&value), &size);
            sum += value;
        }
        return uint64_t(uint32_t(sum));
    });
    const double ourText = Best([&] {
        uint64_t total = 0;
        for (int i = 0; i < kCount; ++i) {
            key.SetTextValue(name, text, false);
            total += key.GetTextValue(name, true).Length();
        }
        return total;
    });
    const double rawText = Best([&] {
        uint64_t total = 0;
        const wchar_t wide[] = L"some text of a preference";
        for (int i = 0; i < kCount; ++i) {
            RegSetValueExW(raw, L"value", 0, REG_SZ, reinterpret_cast<const BYTE*>(wide), sizeof wide);
            wchar_t back[64];
            DWORD size = sizeof back;
            RegQueryValueExW(raw, L"value", nullptr, nullptr, reinterpret_cast<BYTE*>(back), &size);
            total += size / 2 - 1;
        }
        return total;
    });
    RegCloseKey(raw);
    RegDeleteKeyA(HKEY_CURRENT_USER, sub.c_str());
    std::printf("Registry integer set+get: %.2f\n", ourInteger / rawInteger);
    std::printf("Registry text set+get: %.2f\n", ourText / rawText);
}

}  // namespace

int main() {
    const std::string path = TempPath("qv-storage-bench-");
    FilePieces(path, 16);
    FilePieces(path, 4096);
    BinaryLongs(path);
    Lines(path);
    DeleteFileA(path.c_str());
    RegistryValues();
    return 0;
}
