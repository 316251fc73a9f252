#include "PayloadLoader.h"

#include <windows.h>

#include <cstring>

#include "core/LinkTable.h"
#include "ResourceManager.h"
#include "ShutdownContexts.h"
#include "core/ByteUtilities.h"
#include "core/FailureReport.h"
#include "core/GuardedMemory.h"
#include "core/Platform.h"
#include "core/SimpleVector.h"
#include "core/EncodingConversion.h"
#include "windows/CommandLine.h"

namespace {

constexpr const char* kSource = "loaderX86";
constexpr const char* kCorrupt = "Executable is corrupt!";

struct DeclareLibrary : RuntimeAllocated {
    DeclareLibrary* next;
    string name;
    HMODULE module;
};

struct SymbolPair {
    uint32_t codeOffset;
    string name;
};

// What the loader keeps for the rest of the run; nothing of it is freed.
struct PayloadState {
    uint8_t* code = nullptr;
    uint32_t codeSize = 0;
    uint8_t* data = nullptr;
    uint32_t dataSize = 0;
    uint8_t* symbols = nullptr;
    uint32_t symbolsSize = 0;
    SimpleVector<SymbolPair>* symbolTable = nullptr;
    DeclareLibrary* libraries = nullptr;
    bool mdi = false;
    string mdiCaption;
} sPayload;

void ReportCorrupt() { ReportAssertion(kSource, __LINE__, "0", kCorrupt); }

uint32_t Read32(const uint8_t* p) {
    uint32_t value;
    std::memcpy(&value, p, 4);
    return value;
}
void Write32(uint8_t* p, uint32_t value) { std::memcpy(p, &value, 4); }

uint32_t Address32(const void* p) {
    return static_cast<uint32_t>(reinterpret_cast<uintptr_t>(p));
}

// A cursor over one member that refuses to read past its end.
class MemberReader {
public:
    MemberReader(const uint8_t* bytes, uint32_t length) : mBytes(bytes), mLength(length) {}
    bool AtEnd() const { return mPosition >= mLength; }
    uint32_t Position() const { return mPosition; }
    bool Byte(uint8_t* value) { return Take(value, 1); }
    bool Word16(uint16_t* value) { return Take(value, 2); }
    bool Word32(uint32_t* value) { return Take(value, 4); }
    // A name counted by one byte and followed by a NUL.
    bool Name(const char** name, uint8_t* nameLength) {
        if (!Byte(nameLength) || mLength - mPosition < uint32_t(*nameLength) + 1u) return false;
        *name = reinterpret_cast<const char*>(mBytes + mPosition);
        if (mBytes[mPosition + *nameLength] != 0) return false;
        mPosition += uint32_t(*nameLength) + 1u;
        return true;
    }
    bool Skip(uint32_t count, const uint8_t** start) {
        if (mLength - mPosition < count) return false;
        *start = mBytes + mPosition;
        mPosition += count;
        return true;
    }

private:
    bool Take(void* value, uint32_t size) {
        if (mLength - mPosition < size) return false;
        std::memcpy(value, mBytes + mPosition, size);
        mPosition += size;
        return true;
    }
    const uint8_t* mBytes;
    uint32_t mLength;
    uint32_t mPosition = 0;
};

// A 32-bit value site inside the code member.
bool CodeSite(uint32_t offset) { return offset <= sPayload.codeSize && sPayload.codeSize - offset >= 4; }

// Walks a fix-up chain, storing at each site what value(site) gives. A chain that leaves the code
// or runs longer than the code has sites is corrupt.
template <typename Value>
bool PatchChain(uint32_t head, Value value) {
    uint32_t site = head;
    for (uint32_t steps = 0; site != 0; ++steps) {
        if (!CodeSite(site) || steps > sPayload.codeSize / 4) return false;
        uint8_t* p = sPayload.code + site;
        const uint32_t next = Read32(p);
        Write32(p, value(site));
        site = next;
    }
    return true;
}

enum class Link { Done, Missing, Corrupt };

uint32_t Relative(const void* target, uint32_t site) {
    return Address32(target) - (Address32(sPayload.code) + site + 4);
}

const RelocEntry* FindRuntimeFunction(const char* name) {
    const int32_t count = RelocEntryCount();
    for (int32_t i = 0; i < count; ++i) {
        const RelocEntry* entry = RelocEntryAt(i);
        if (entry && entry->name && CStringCompareNoCase(entry->name, name) == 0) return entry;
    }
    return nullptr;
}

DeclareLibrary* FindLibrary(const char* fileName) {
    for (DeclareLibrary* node = sPayload.libraries; node; node = node->next)
        if (CStringCompareNoCase(node->name.CString(), fileName) == 0) return node;
    auto* node = new DeclareLibrary;
    node->name = string(fileName);
    node->module = LoadLibraryA(fileName);
    node->next = sPayload.libraries;
    sPayload.libraries = node;
    return node;
}

Link LinkRuntimeFunction(MemberReader& reader) {
    uint8_t mode, nameLength;
    uint32_t head;
    const char* name;
    if (!reader.Byte(&mode) || !reader.Word32(&head) || !reader.Name(&name, &nameLength))
        return Link::Corrupt;
    const RelocEntry* entry = FindRuntimeFunction(name);
    if (!entry) {
        string message("Function '");
        message.AppendCString(name);
        message.AppendCString("' was not exported");
        ReportAssertion(kSource, __LINE__, "foundFunction", message.CString());
        return Link::Missing;
    }
    const void* function = entry->code;
    const bool linked = mode == 1
        ? PatchChain(head, [&](uint32_t site) { return Relative(function, site); })
        : PatchChain(head, [&](uint32_t) { return Address32(function); });
    return linked ? Link::Done : Link::Corrupt;
}

Link LinkDeclaredFunction(MemberReader& reader) {
    uint32_t head;
    uint8_t procedureLength, libraryLength;
    const char* procedure;
    const char* library;
    if (!reader.Word32(&head) || !reader.Name(&procedure, &procedureLength) ||
        !reader.Name(&library, &libraryLength))
        return Link::Corrupt;
    DeclareLibrary* node = FindLibrary(library);
    // A library that did not load is not searched: GetProcAddress of a null module would search
    // the runtime itself.
    FARPROC address = node->module ? GetProcAddress(node->module, procedure) : nullptr;
    if (!address) {
        string message("Could not resolve function '");
        message.AppendCString(procedure);
        message.AppendCString("' in ");
        message.AppendCString(library);
        ReportAssertion(kSource, __LINE__, "functionEntry", message.CString());
        return Link::Missing;
    }
    const void* target = reinterpret_cast<const void*>(address);
    return PatchChain(head, [&](uint32_t site) { return Relative(target, site); }) ? Link::Done
                                                                                   : Link::Corrupt;
}

// Adds base to the 32-bit value at a code offset.
bool Relocate(MemberReader& reader, const void* base) {
    uint32_t offset;
    if (!reader.Word32(&offset) || !CodeSite(offset)) return false;
    uint8_t* site = sPayload.code + offset;
    Write32(site, Read32(site) + Address32(base));
    return true;
}

constexpr uint32_t kLiteralRecordSize = 20;

bool PrepareStringLiteral(MemberReader& reader) {
    uint32_t offset;
    if (!reader.Word32(&offset) || !CodeSite(offset)) return false;
    uint8_t* site = sPayload.code + offset;
    const uint32_t recordOffset = Read32(site);
    if (recordOffset > sPayload.dataSize || sPayload.dataSize - recordOffset < kLiteralRecordSize)
        return false;
    Write32(site, recordOffset + Address32(sPayload.data));
    auto* record = reinterpret_cast<StringRecord*>(sPayload.data + recordOffset);
    if (!record->buffer) {
        // The buffer must lie inside the data member too: length byte, the bytes and a NUL.
        const uint32_t length = static_cast<uint32_t>(record->length);
        if (sPayload.dataSize - recordOffset - kLiteralRecordSize < length + 2u) return false;
        record->buffer = sPayload.data + recordOffset + kLiteralRecordSize;
    }
    return true;
}

uint8_t* AllocateCode(uint32_t size) {
    return static_cast<uint8_t*>(
        VirtualAlloc(nullptr, size, MEM_COMMIT | MEM_RESERVE, PAGE_EXECUTE_READWRITE));
}

// The members as read, before they are installed.
struct Members {
    uint8_t* bytes[kMemberCount] = {};
    uint32_t size[kMemberCount] = {};
    uint32_t rsrcFileOffset = 0;
};

// Whether the symbols member holds the pairs its count claims.
bool SymbolPairsFit(const uint8_t* bytes, uint32_t size) {
    return size >= 4 && 4 + uint64_t(Read32(bytes)) * 8 <= size;
}

// Installs the members and runs the three passes. The code member must be present and not empty.
bool InstallMembers(const Members& members) {
    const uint32_t symbolsSize = members.size[kMemberSymbols];
    if (!members.bytes[kMemberCode] || members.size[kMemberCode] == 0 ||
        (symbolsSize > 0 && !SymbolPairsFit(members.bytes[kMemberSymbols], symbolsSize))) {
        ReportCorrupt();
        return false;
    }
    sPayload.code = members.bytes[kMemberCode];
    sPayload.codeSize = members.size[kMemberCode];
    sPayload.data = members.bytes[kMemberData];
    sPayload.dataSize = members.size[kMemberData];
    sPayload.symbols = members.bytes[kMemberSymbols];
    sPayload.symbolsSize = members.size[kMemberSymbols];
    sPayload.symbolTable = nullptr;
    sPayload.mdi = false;
    sPayload.mdiCaption = string();
    bool ok = LinkPayloadImports(members.bytes[kMemberImport], members.size[kMemberImport]);
    ok = RegisterPayloadResources(members.bytes[kMemberRsrc], members.size[kMemberRsrc],
                                  members.rsrcFileOffset) && ok;
    ok = ApplyPayloadOptions(members.bytes[kMemberOptions], members.size[kMemberOptions]) && ok;
    return ok;
}

// --- reading from a file ---

class FileReader {
public:
    explicit FileReader(const string& path) {
        if (IsUnicodePlatform()) {
            const string wide = path.ToUTF16();
            mHandle = CreateFileW(wide.WidePointer(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                  nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
        } else {
            const string local = ConvertToSystemEncoding(path);
            mHandle = CreateFileA(local.CString(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                  nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
        }
    }
    ~FileReader() {
        if (IsOpen()) CloseHandle(mHandle);
    }
    bool IsOpen() const { return mHandle != INVALID_HANDLE_VALUE; }
    bool Seek(int64_t position, DWORD method) {
        LARGE_INTEGER distance;
        distance.QuadPart = position;
        return SetFilePointerEx(mHandle, distance, nullptr, method);
    }
    uint32_t Position() { return static_cast<uint32_t>(Position64()); }
    // The bytes from the current position to the end of the file.
    uint64_t BytesLeft() {
        LARGE_INTEGER size{};
        if (!GetFileSizeEx(mHandle, &size)) return 0;
        const uint64_t position = Position64();
        const uint64_t end = static_cast<uint64_t>(size.QuadPart);
        return end > position ? end - position : 0;
    }
    bool Read(void* buffer, uint32_t size) {
        DWORD done = 0;
        return ReadFile(mHandle, buffer, size, &done, nullptr) && done == size;
    }
    bool AtMagic() {
        char magic[sizeof kPayloadMagic];
        return Read(magic, sizeof magic) && std::memcmp(magic, kPayloadMagic, sizeof magic) == 0;
    }

private:
    uint64_t Position64() {
        LARGE_INTEGER zero{}, position{};
        SetFilePointerEx(mHandle, zero, &position, FILE_CURRENT);
        return static_cast<uint64_t>(position.QuadPart);
    }

    HANDLE mHandle = INVALID_HANDLE_VALUE;
};

// One member: its count, then its bytes (the code member into executable memory).
bool ReadMember(FileReader& file, int index, Members& members) {
    int32_t count;
    if (!file.Read(&count, 4)) return false;
    const bool alwaysRead = index <= kMemberImport;
    if (count < 0 && alwaysRead) return false;
    if (count <= 0) return true;
    // A count is held against what the file still has before anything is allocated for it: a
    // corrupt count must not end the process as out of memory.
    if (static_cast<uint64_t>(count) > file.BytesLeft()) return false;
    if (index == kMemberRsrc) members.rsrcFileOffset = file.Position();
    uint8_t* bytes = index == kMemberCode ? AllocateCode(count)
                                          : static_cast<uint8_t*>(GuardedNew(count));
    if (!bytes || !file.Read(bytes, count)) return false;
    members.bytes[index] = bytes;
    members.size[index] = static_cast<uint32_t>(count);
    return true;
}

}  // namespace

// --- passes ---

bool LinkPayloadImports(const uint8_t* bytes, uint32_t length) {
    MemberReader reader(bytes, bytes ? length : 0);
    // Every unresolved function is reported; the application then does not run, since its sites
    // would call nothing valid.
    bool resolved = true;
    while (!reader.AtEnd()) {
        uint8_t tag;
        reader.Byte(&tag);
        Link result = Link::Done;
        switch (tag) {
        case kImportRuntimeFunction:
            result = LinkRuntimeFunction(reader);
            break;
        case kImportDataRelocation:
            result = Relocate(reader, sPayload.data) ? Link::Done : Link::Corrupt;
            break;
        case kImportCodeRelocation:
            result = Relocate(reader, sPayload.code) ? Link::Done : Link::Corrupt;
            break;
        case kImportDeclareFunction:
            result = LinkDeclaredFunction(reader);
            break;
        case kImportStringLiteral:
            result = PrepareStringLiteral(reader) ? Link::Done : Link::Corrupt;
            break;
        default:
            break;  // a tag byte alone is a record
        }
        if (result == Link::Corrupt) {
            ReportCorrupt();
            return false;
        }
        if (result == Link::Missing) resolved = false;
    }
    return resolved;
}

bool RegisterPayloadResources(const uint8_t* bytes, uint32_t length, uint32_t fileOffset) {
    MemberReader reader(bytes, bytes ? length : 0);
    while (!reader.AtEnd()) {
        uint32_t type, reserved, dataLength;
        uint16_t id;
        const uint8_t* data;
        if (!reader.Word32(&type) || !reader.Word16(&id) || !reader.Word32(&reserved) ||
            !reader.Word32(&dataLength)) {
            ReportCorrupt();
            return false;
        }
        const uint32_t dataPosition = reader.Position();
        if (!reader.Skip(dataLength, &data)) {
            ReportCorrupt();
            return false;
        }
        ResourceManager::Add(type, id, data, dataLength, fileOffset ? fileOffset + dataPosition : 0);
    }
    return true;
}

bool ApplyPayloadOptions(const uint8_t* bytes, uint32_t length) {
    MemberReader reader(bytes, bytes ? length : 0);
    while (!reader.AtEnd()) {
        uint8_t tag;
        reader.Byte(&tag);
        if (tag != 0) {
            ReportAssertion(kSource, __LINE__, "0");
            continue;
        }
        uint32_t captionLength;
        if (!reader.Word32(&captionLength)) {
            ReportCorrupt();
            return false;
        }
        sPayload.mdi = true;
        if (static_cast<int32_t>(captionLength) > 0) {
            const uint8_t* caption;
            uint32_t encoding;
            if (!reader.Skip(captionLength, &caption) || !reader.Word32(&encoding)) {
                ReportCorrupt();
                return false;
            }
            string text;
            text.SetBytes(caption, static_cast<int32_t>(captionLength));
            text.SetEncoding(encoding);
            sPayload.mdiCaption = text;
        }
    }
    return true;
}

// --- finding and reading ---

uint8_t* ReadWholeFile(const char* fileName, uint32_t* size) {
    *size = 0;
    HANDLE file = CreateFileA(fileName, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return nullptr;
    const DWORD length = GetFileSize(file, nullptr);
    auto* bytes = static_cast<uint8_t*>(GuardedNew(length ? length : 1));
    DWORD done = 0;
    if (length == INVALID_FILE_SIZE || !ReadFile(file, bytes, length, &done, nullptr) ||
        done != length) {
        CloseHandle(file);
        GuardedDelete(bytes);
        return nullptr;
    }
    CloseHandle(file);
    *size = length;
    return bytes;
}

bool LoadPayloadFromFallbackFiles() {
    static const struct {
        const char* fileName;
        PayloadMemberIndex member;
    } kFiles[] = {
        {"import.dat", kMemberImport}, {"code.dat", kMemberCode},       {"data.dat", kMemberData},
        {"rsrc.dat", kMemberRsrc},     {"options.dat", kMemberOptions}, {"symbols.dat", kMemberSymbols},
    };
    Members members;
    for (const auto& file : kFiles) {
        uint32_t size;
        uint8_t* bytes = ReadWholeFile(file.fileName, &size);
        if (file.member == kMemberCode && bytes && size) {
            uint8_t* code = AllocateCode(size);
            std::memcpy(code, bytes, size);
            GuardedDelete(bytes);
            bytes = code;
        }
        members.bytes[file.member] = bytes;
        members.size[file.member] = size;
    }
    return InstallMembers(members);
}

bool LoadPayloadFromFile(const string& path, uint32_t offset, uint32_t length) {
    FileReader file(path);
    if (!file.IsOpen()) {
        ReportAssertion(kSource, __LINE__, "0");
        return false;
    }
    // A stale offset (the file was rewritten in front of the payload) is found again from the end.
    if (!file.Seek(offset, FILE_BEGIN) || !file.AtMagic()) {
        if (!file.Seek(-static_cast<int64_t>(length) - 6, FILE_END) || !file.AtMagic()) {
            ReportCorrupt();
            return false;
        }
    }
    Members members;
    for (int index = 0; index < kMemberCount; ++index) {
        if (!ReadMember(file, index, members)) {
            ReportCorrupt();
            return false;
        }
    }
    return InstallMembers(members);
}

void RunPayloadEntry() {
    reinterpret_cast<void (*)()>(sPayload.code)();
    DestroyShutdownContexts();
}

bool LoadAndRunPayload() {
    uint32_t offset = 0, length = 0;
    HRSRC resource = FindResourceA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(kPayloadLocatorId), "PICKLE");
    const uint8_t* locator = nullptr;
    if (resource) {
        HGLOBAL loaded = LoadResource(GetModuleHandleA(nullptr), resource);
        locator = loaded ? static_cast<const uint8_t*>(LockResource(loaded)) : nullptr;
    }
    if (locator && std::memcmp(locator, "PICK", 4) != 0) {
        offset = Read32(locator);
        length = Read32(locator + 4);
    }
    const bool loaded = offset == 0 ? LoadPayloadFromFallbackFiles()
                                    : LoadPayloadFromFile(ExecutablePath(), offset, length);
    // After a report nothing of the application runs: its code may call unlinked sites.
    if (!loaded) return false;
    RunPayloadEntry();
    return true;
}

// --- state ---

void* PayloadCodeBase() { return sPayload.code; }
uint32_t PayloadCodeSize() { return sPayload.codeSize; }
void* PayloadDataBase() { return sPayload.data; }
uint32_t PayloadDataSize() { return sPayload.dataSize; }
bool IsPayloadMDI() { return sPayload.mdi; }
const string& PayloadMDICaption() { return sPayload.mdiCaption; }

int32_t DeclaredLibraryCount() {
    int32_t count = 0;
    for (DeclareLibrary* node = sPayload.libraries; node; node = node->next) ++count;
    return count;
}

bool LookupCodeSymbol(const void* address, string* name, int32_t* distance) {
    if (!sPayload.symbolTable && sPayload.symbols && sPayload.symbolsSize >= 4) {
        sPayload.symbolTable = new SimpleVector<SymbolPair>;
        const uint32_t count = Read32(sPayload.symbols);
        const uint64_t pairsEnd = 4 + uint64_t(count) * 8;
        if (pairsEnd <= sPayload.symbolsSize) {
            const char* names = reinterpret_cast<const char*>(sPayload.symbols + pairsEnd);
            const uint32_t namesSize = sPayload.symbolsSize - static_cast<uint32_t>(pairsEnd);
            for (uint32_t i = 0; i < count; ++i) {
                const uint32_t nameOffset = Read32(sPayload.symbols + 4 + i * 8 + 4);
                if (nameOffset >= namesSize) continue;
                const size_t nameLength = strnlen(names + nameOffset, namesSize - nameOffset);
                string text;
                text.SetBytes(names + nameOffset, static_cast<int32_t>(nameLength));
                text.SetEncoding(kEncodingASCII);
                sPayload.symbolTable->push_back(SymbolPair{Read32(sPayload.symbols + 4 + i * 8), text});
            }
        }
    }
    const uint8_t* p = static_cast<const uint8_t*>(address);
    if (!sPayload.code || p < sPayload.code || p >= sPayload.code + sPayload.codeSize) return false;
    if (!sPayload.symbolTable || sPayload.symbolTable->size() == 0) return false;
    const uint32_t offset = static_cast<uint32_t>(p - sPayload.code);
    int32_t nearest = static_cast<int32_t>(sPayload.codeSize);
    string found;
    const SimpleVector<SymbolPair>& pairs = *sPayload.symbolTable;
    for (uint32_t i = 0; i < pairs.size(); ++i) {
        if (pairs[i].codeOffset < offset) {
            nearest = static_cast<int32_t>(offset - pairs[i].codeOffset);
            found = pairs[i].name;
        }
    }
    if (name) *name = found;
    if (distance) *distance = nearest;
    return true;
}
