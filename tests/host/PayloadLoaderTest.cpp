// The payload loader on payloads built byte by byte: finding the payload, linking its imports,
// its symbols and options, and the corrupt payloads it must refuse without a crash.
#include <gtest/gtest.h>

#include <windows.h>

#include <cstring>
#include <string>
#include <vector>

#include "FailureRecorder.h"
#include "StringTesting.h"
#include "core/ByteUtilities.h"
#include "core/LinkTable.h"
#include "host/PayloadLoader.h"

namespace {

using Bytes = std::vector<uint8_t>;

void Put32(Bytes& b, uint32_t v) {
    for (int i = 0; i < 4; ++i) b.push_back(uint8_t(v >> (8 * i)));
}
void Put16(Bytes& b, uint16_t v) {
    b.push_back(uint8_t(v));
    b.push_back(uint8_t(v >> 8));
}
void PutName(Bytes& b, const std::string& name) {
    b.push_back(uint8_t(name.size()));
    b.insert(b.end(), name.begin(), name.end());
    b.push_back(0);
}
uint32_t Get32(const void* p) {
    uint32_t v;
    std::memcpy(&v, p, 4);
    return v;
}
uint32_t Address32(const void* p) { return static_cast<uint32_t>(reinterpret_cast<uintptr_t>(p)); }

// The members of a payload, written as the compiler writes them.
struct Payload {
    Bytes code{0xC3};
    Bytes data, import, symbols, rsrc, options;

    void RuntimeFunction(const std::string& name, uint32_t head, uint8_t mode = 1) {
        import.push_back(kImportRuntimeFunction);
        import.push_back(mode);
        Put32(import, head);
        PutName(import, name);
    }
    void DeclareFunction(const std::string& procedure, const std::string& library, uint32_t head) {
        import.push_back(kImportDeclareFunction);
        Put32(import, head);
        PutName(import, procedure);
        PutName(import, library);
    }
    void Relocation(ImportRecordKind kind, uint32_t offset) {
        import.push_back(kind);
        Put32(import, offset);
    }
    // A call site at offset whose link (the next site) is next.
    void CallSite(uint32_t offset, uint32_t next) {
        if (code.size() < offset + 4) code.resize(offset + 4, 0x90);
        std::memcpy(&code[offset], &next, 4);
    }

    // A member whose count claims other than its size: its index (kMemberCount: none) and count.
    int miscounted = kMemberCount;
    uint32_t claimedCount = 0;

    Bytes Members() const {
        Bytes all;
        int index = 0;
        for (const Bytes* member : {&code, &data, &import, &symbols, &rsrc, &options}) {
            Put32(all, index++ == miscounted ? claimedCount : uint32_t(member->size()));
            all.insert(all.end(), member->begin(), member->end());
        }
        return all;
    }
    // A file: some bytes of an executable, the magic, the members.
    Bytes File(size_t prefix, uint32_t* offset, uint32_t* length) const {
        Bytes file(prefix, 0xCC);
        *offset = uint32_t(file.size());
        file.insert(file.end(), kPayloadMagic, kPayloadMagic + 6);
        const Bytes members = Members();
        file.insert(file.end(), members.begin(), members.end());
        *length = uint32_t(members.size());
        return file;
    }
};

std::string TempPath(const char* name) {
    char folder[MAX_PATH];
    GetTempPathA(MAX_PATH, folder);
    return std::string(folder) + name;
}

void WriteFile(const std::string& path, const Bytes& bytes) {
    HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    DWORD done = 0;
    ::WriteFile(file, bytes.data(), DWORD(bytes.size()), &done, nullptr);
    CloseHandle(file);
}

// A folder of the test's own as the current directory, for member files; it is left and removed
// with the member files when the test ends.
class MemberFileFolder {
public:
    explicit MemberFileFolder(const char* name) : mFolder(TempPath(name)) {
        GetCurrentDirectoryA(MAX_PATH, mPrevious);
        CreateDirectoryA(mFolder.c_str(), nullptr);
        SetCurrentDirectoryA(mFolder.c_str());
    }
    ~MemberFileFolder() {
        for (const char* file :
             {"code.dat", "data.dat", "import.dat", "symbols.dat", "rsrc.dat", "options.dat"})
            DeleteFileA(file);
        SetCurrentDirectoryA(mPrevious);
        RemoveDirectoryA(mFolder.c_str());
    }

private:
    const std::string mFolder;
    char mPrevious[MAX_PATH];
};

// Loads a payload from a file the way the runtime reads its own executable.
bool LoadFromFile(const Payload& payload, size_t prefix = 64, int32_t offsetShift = 0) {
    uint32_t offset, length;
    const Bytes file = payload.File(prefix, &offset, &length);
    const std::string path = TempPath("qv-payload-test.exe");
    WriteFile(path, file);
    const bool loaded = LoadPayloadFromFile(string(path.c_str()), offset + offsetShift, length);
    DeleteFileA(path.c_str());
    return loaded;
}

const uint8_t* Code() { return static_cast<const uint8_t*>(PayloadCodeBase()); }

void* Linked(const char* name) { return LookupRelocEntry(string(name))->code; }

}  // namespace

TEST(PayloadLoader, LinksRuntimeFunctionsByNameInAnyCase) {
    Payload p;
    p.code = Bytes(32, 0x90);
    // Two relative sites chained 4 -> 12, one absolute site at 20.
    p.CallSite(4, 12);
    p.CallSite(12, 0);
    p.CallSite(20, 0);
    p.RuntimeFunction("runtimeaddstring", 4, 1);
    p.RuntimeFunction("RUNTIMENEWOBJECT", 20, 0);
    ASSERT_TRUE(LoadFromFile(p));

    const uint32_t base = Address32(Code());
    EXPECT_EQ(Get32(Code() + 4), Address32(Linked("RuntimeAddString")) - (base + 4 + 4));
    EXPECT_EQ(Get32(Code() + 12), Address32(Linked("RuntimeAddString")) - (base + 12 + 4));
    EXPECT_EQ(Get32(Code() + 20), Address32(Linked("RuntimeNewObject")));
    // The code lies in executable memory.
    MEMORY_BASIC_INFORMATION info;
    VirtualQuery(Code(), &info, sizeof info);
    EXPECT_EQ(info.Protect, DWORD(PAGE_EXECUTE_READWRITE));
}

TEST(PayloadLoader, FindsThePayloadWhereverTheLocatorSays) {
    Payload p;
    p.code = {0x90, 0xC3};
    EXPECT_TRUE(LoadFromFile(p, 64));
    EXPECT_EQ(Code()[1], 0xC3);
    // A stale offset: the magic is found again from the end of the file.
    EXPECT_TRUE(LoadFromFile(p, 64, -16));
    EXPECT_TRUE(LoadFromFile(p, 64, 5));

    FailureRecorder recorder;
    EXPECT_FALSE(LoadPayloadFromFile(string("Z:\\no\\such\\file.exe"), 0, 0));
    EXPECT_EQ(recorder.Last().condition, "0");
    EXPECT_EQ(recorder.Last().file, "loaderX86");
}

TEST(PayloadLoader, FallbackFilesOfTheCurrentDirectory) {
    const MemberFileFolder folder("qv-fallback-test");

    Payload p;
    p.code = Bytes(16, 0x90);
    p.CallSite(8, 0);
    p.RuntimeFunction("RuntimeLockObject", 8, 0);
    p.data = {1, 2, 3, 4};
    const struct {
        const char* name;
        const Bytes& bytes;
    } files[] = {{"code.dat", p.code}, {"data.dat", p.data}, {"import.dat", p.import}};
    for (const auto& f : files) WriteFile(f.name, f.bytes);

    EXPECT_TRUE(LoadPayloadFromFallbackFiles());
    EXPECT_EQ(Get32(Code() + 8), Address32(Linked("RuntimeLockObject")));
    EXPECT_EQ(PayloadDataSize(), 4u);
    EXPECT_FALSE(IsPayloadMDI());
    MEMORY_BASIC_INFORMATION info;
    VirtualQuery(Code(), &info, sizeof info);
    EXPECT_EQ(info.Protect, DWORD(PAGE_EXECUTE_READWRITE));

    // Without the code file there is no application.
    DeleteFileA("code.dat");
    FailureRecorder recorder;
    EXPECT_FALSE(LoadPayloadFromFallbackFiles());
    EXPECT_EQ(recorder.Last().message, "Executable is corrupt!");
}

// Counts inside the fallback files beyond the bytes of their file.
TEST(PayloadLoader, FallbackFilesWithCountsBeyondTheirBytesAreRefused) {
    const MemberFileFolder folder("qv-corrupt-fallback-test");

    Bytes symbols, rsrc, options;
    Put32(symbols, 0x7FFFFFFF);
    Put32(symbols, 0);
    Put32(symbols, 0);
    Put32(rsrc, 0x54455854);  // 'TEXT'
    Put16(rsrc, 128);
    Put32(rsrc, 0);
    Put32(rsrc, 0x7FFFFFFF);
    rsrc.push_back('x');
    options.push_back(0);
    Put32(options, 0x7FFFFFFF);
    options.push_back('x');
    const struct {
        const char* fileName;
        const Bytes& bytes;
    } cases[] = {{"symbols.dat", symbols}, {"rsrc.dat", rsrc}, {"options.dat", options}};
    WriteFile("code.dat", Bytes(8, 0xCC));
    for (const auto& c : cases) {
        WriteFile(c.fileName, c.bytes);
        FailureRecorder recorder;
        EXPECT_FALSE(LoadPayloadFromFallbackFiles()) << c.fileName;
        ASSERT_EQ(recorder.Count(), 1u) << c.fileName;
        EXPECT_EQ(recorder.Last().message, "Executable is corrupt!") << c.fileName;
        DeleteFileA(c.fileName);
    }
}

TEST(PayloadLoader, UnresolvedFunctionsAreReportedAndNothingRuns) {
    Payload p;
    p.code = Bytes(16, 0x90);
    p.CallSite(4, 0);
    p.CallSite(8, 0);
    p.RuntimeFunction("NoSuchRuntimeFunction", 4);
    p.RuntimeFunction("RuntimeAddString", 8);
    FailureRecorder recorder;
    EXPECT_FALSE(LoadFromFile(p));
    ASSERT_EQ(recorder.Count(), 1u);
    EXPECT_EQ(recorder.Last().condition, "foundFunction");
    EXPECT_EQ(recorder.Last().message, "Function 'NoSuchRuntimeFunction' was not exported");
    EXPECT_EQ(Get32(Code() + 4), 0u);  // unpatched
    EXPECT_NE(Get32(Code() + 8), 0u);  // the others are still linked
}

TEST(PayloadLoader, DeclaredLibrariesLoadOncePerName) {
    Payload p;
    p.code = Bytes(32, 0x90);
    p.CallSite(4, 0);
    p.CallSite(8, 0);
    p.CallSite(12, 0);
    p.DeclareFunction("GetTickCount", "kernel32", 4);
    p.DeclareFunction("GetCurrentProcessId", "Kernel32", 8);
    p.DeclareFunction("GetTickCount", "kernel32.dll", 12);
    const int32_t before = DeclaredLibraryCount();
    ASSERT_TRUE(LoadFromFile(p));
    EXPECT_EQ(DeclaredLibraryCount(), before + 2);
    const uint32_t base = Address32(Code());
    const auto target = Address32(reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("kernel32"), "GetTickCount")));
    EXPECT_EQ(Get32(Code() + 4), target - (base + 4 + 4));
    EXPECT_EQ(Get32(Code() + 12), target - (base + 12 + 4));

    // A library that does not load is never searched with a null module.
    Payload q;
    q.code = Bytes(16, 0x90);
    q.CallSite(4, 0);
    q.DeclareFunction("WinMain", "no-such-library", 4);
    FailureRecorder recorder;
    EXPECT_FALSE(LoadFromFile(q));
    EXPECT_EQ(recorder.Last().condition, "functionEntry");
    EXPECT_EQ(recorder.Last().message, "Could not resolve function 'WinMain' in no-such-library");
    EXPECT_EQ(Get32(Code() + 4), 0u);
}

TEST(PayloadLoader, RelocationsAddTheBases) {
    Payload p;
    p.code = Bytes(16, 0x90);
    p.data = Bytes(8, 0);
    p.CallSite(8, 4);   // a data offset
    p.CallSite(12, 2);  // a code offset
    p.Relocation(kImportDataRelocation, 8);
    p.Relocation(kImportCodeRelocation, 12);
    ASSERT_TRUE(LoadFromFile(p));
    const uint8_t* data = static_cast<const uint8_t*>(PayloadDataBase());
    EXPECT_EQ(Get32(Code() + 8), Address32(data + 4));
    EXPECT_EQ(Get32(Code() + 12), Address32(Code() + 2));
}

// Literal string records are the 32-bit runtime's string records written out.
#if defined(__i386__) && !defined(_WIN64)
TEST(PayloadLoader, LiteralStringsArePreparedOnce) {
    Payload p;
    p.code = Bytes(8, 0x90);
    // A literal record at data offset 8: count 1, no buffer yet, size, length 2, UTF-8, then "hi".
    p.data = Bytes(8, 0);
    Put32(p.data, 1);
    Put32(p.data, 0);
    Put32(p.data, 4);
    Put32(p.data, 2);
    Put32(p.data, kEncodingUTF8);
    p.data.insert(p.data.end(), {2, 'h', 'i', 0});
    p.CallSite(0, 8);  // the literal's data offset, at two sites
    p.CallSite(4, 8);
    p.Relocation(kImportStringLiteral, 0);
    p.Relocation(kImportStringLiteral, 4);
    ASSERT_TRUE(LoadFromFile(p));

    const uint8_t* data = static_cast<const uint8_t*>(PayloadDataBase());
    EXPECT_EQ(Get32(Code() + 0), Address32(data + 8));
    EXPECT_EQ(Get32(Code() + 4), Address32(data + 8));
    const auto* record = reinterpret_cast<const StringRecord*>(data + 8);
    EXPECT_EQ(record->buffer, data + 28);
    EXPECT_EQ(std::string(BytesOf(string(const_cast<StringRecord*>(record)))), "hi");
}
#endif

TEST(PayloadLoader, SymbolsNameTheNearestCodeBelow) {
    Payload p;
    p.code = Bytes(64, 0x90);
    Put32(p.symbols, 2);
    Put32(p.symbols, 0);
    Put32(p.symbols, 0);
    Put32(p.symbols, 0x10);
    Put32(p.symbols, 6);
    for (const char* name : {"Entry", "Second"}) p.symbols.insert(p.symbols.end(), name, name + std::strlen(name) + 1);
    ASSERT_TRUE(LoadFromFile(p));

    struct Case {
        uint32_t offset;
        const char* name;
        int32_t distance;
    } cases[] = {{0x10, "Entry", 0x10}, {0x11, "Second", 1}, {0x3F, "Second", 0x2F}, {0, "", 64}};
    for (const Case& c : cases) {
        string name;
        int32_t distance = -1;
        EXPECT_TRUE(LookupCodeSymbol(Code() + c.offset, &name, &distance)) << c.offset;
        EXPECT_EQ(std::string(BytesOf(name)), c.name) << c.offset;
        EXPECT_EQ(distance, c.distance) << c.offset;
    }
    EXPECT_FALSE(LookupCodeSymbol(Code() + 64, nullptr, nullptr));
    EXPECT_FALSE(LookupCodeSymbol(Code() - 1, nullptr, nullptr));

    Payload none;
    none.code = Bytes(8, 0x90);
    ASSERT_TRUE(LoadFromFile(none));
    EXPECT_FALSE(LookupCodeSymbol(Code() + 4, nullptr, nullptr));
}

TEST(PayloadLoader, MDIOption) {
    Payload p;
    p.options.push_back(0);
    Put32(p.options, 4);
    p.options.insert(p.options.end(), {'D', 'o', 'c', 's'});
    Put32(p.options, kEncodingUTF8);
    ASSERT_TRUE(LoadFromFile(p));
    EXPECT_TRUE(IsPayloadMDI());
    EXPECT_EQ(std::string(BytesOf(PayloadMDICaption())), "Docs");
    EXPECT_EQ(PayloadMDICaption().Encoding(), kEncodingUTF8);

    Payload q;
    q.options = {7};
    FailureRecorder recorder;
    EXPECT_TRUE(LoadFromFile(q));
    EXPECT_FALSE(IsPayloadMDI());
    EXPECT_EQ(recorder.Last().condition, "0");
}

TEST(PayloadLoader, CorruptPayloadsAreRefused) {
    struct Case {
        const char* what;
        Payload payload;
        size_t truncateBy;
    };
    std::vector<Case> cases;
    cases.push_back({"empty code", {}, 0});
    cases.back().payload.code.clear();
    cases.push_back({"truncated member", {}, 3});
    cases.back().payload.data = Bytes(16, 1);
    cases.push_back({"relocation past the code", {}, 0});
    cases.back().payload.Relocation(kImportDataRelocation, 100);
    cases.push_back({"chain leaving the code", {}, 0});
    cases.back().payload.code = Bytes(8, 0x90);
    cases.back().payload.CallSite(2, 400);
    cases.back().payload.RuntimeFunction("RuntimeAddString", 2);
    cases.push_back({"literal past the data", {}, 0});
    cases.back().payload.code = Bytes(8, 0x90);
    cases.back().payload.CallSite(0, 4);
    cases.back().payload.data = Bytes(8, 0);
    cases.back().payload.Relocation(kImportStringLiteral, 0);
    cases.push_back({"record cut short", {}, 0});
    cases.back().payload.import = {kImportRuntimeFunction, 1, 0, 0};
    cases.push_back({"resource longer than its member", {}, 0});
    Put32(cases.back().payload.rsrc, 0x54455854);  // 'TEXT'
    Put16(cases.back().payload.rsrc, 128);
    Put32(cases.back().payload.rsrc, 0);
    Put32(cases.back().payload.rsrc, 1000);
    // Counts beyond the bytes left in the file: refused before anything is allocated for them,
    // rather than ending the process as out of memory.
    const struct {
        const char* what;
        PayloadMemberIndex member;
        uint32_t count;
    } miscounts[] = {
        {"code count beyond the file", kMemberCode, 0x7FFFFFFF},
        {"data count beyond the file", kMemberData, 0x7FFFFFFF},
        {"import count beyond the file", kMemberImport, 0x7FFFFFFF},
        {"symbols count beyond the file", kMemberSymbols, 0x7FFFFFFF},
        {"rsrc count beyond the file", kMemberRsrc, 0x7FFFFFFF},
        {"options count beyond the file", kMemberOptions, 0x7FFFFFFF},
        {"options count one byte beyond the file", kMemberOptions, 4},
        {"data count taking the members after it", kMemberData, 24},
    };
    for (const auto& m : miscounts) {
        cases.push_back({m.what, {}, 0});
        cases.back().payload.data = Bytes(4, 7);
        cases.back().payload.options = Bytes(3, 0);
        cases.back().payload.miscounted = m.member;
        cases.back().payload.claimedCount = m.count;
    }
    // Counts inside members beyond the member.
    cases.push_back({"symbols with more pairs than the member holds", {}, 0});
    Put32(cases.back().payload.symbols, 0x7FFFFFFF);
    Put32(cases.back().payload.symbols, 0);
    Put32(cases.back().payload.symbols, 0);
    cases.push_back({"symbols member too short for its count", {}, 0});
    cases.back().payload.symbols = {1, 0};
    cases.push_back({"resource length beyond the member", {}, 0});
    Put32(cases.back().payload.rsrc, 0x54455854);
    Put16(cases.back().payload.rsrc, 128);
    Put32(cases.back().payload.rsrc, 0);
    Put32(cases.back().payload.rsrc, 0x7FFFFFFF);
    cases.push_back({"MDI caption beyond the member", {}, 0});
    cases.back().payload.options.push_back(0);
    Put32(cases.back().payload.options, 0x7FFFFFFF);
    cases.back().payload.options.insert(cases.back().payload.options.end(), {'D', 'o', 'c'});

    for (const Case& c : cases) {
        FailureRecorder recorder;
        uint32_t offset, length;
        Bytes file = c.payload.File(32, &offset, &length);
        file.resize(file.size() - c.truncateBy);
        const std::string path = TempPath("qv-corrupt-test.exe");
        WriteFile(path, file);
        EXPECT_FALSE(LoadPayloadFromFile(string(path.c_str()), offset, length)) << c.what;
        DeleteFileA(path.c_str());
        ASSERT_EQ(recorder.Count(), 1u) << c.what;
        EXPECT_EQ(recorder.Last().message, "Executable is corrupt!") << c.what;
    }

    // A file without the magic at either place.
    Payload p;
    uint32_t offset, length;
    Bytes file = p.File(32, &offset, &length);
    file[offset] = 'X';
    const std::string path = TempPath("qv-corrupt-test.exe");
    WriteFile(path, file);
    FailureRecorder recorder;
    EXPECT_FALSE(LoadPayloadFromFile(string(path.c_str()), offset, length));
    EXPECT_EQ(recorder.Last().message, "Executable is corrupt!");
    DeleteFileA(path.c_str());
}

#if defined(__i386__) && !defined(_WIN64)
TEST(PayloadLoader, RunsTheEntry) {
    Payload p;
    // mov dword [data + 0], 42; ret
    p.code = {0xC7, 0x05, 0, 0, 0, 0, 42, 0, 0, 0, 0xC3};
    p.data = Bytes(4, 0);
    p.Relocation(kImportDataRelocation, 2);
    ASSERT_TRUE(LoadFromFile(p));
    RunPayloadEntry();
    EXPECT_EQ(Get32(PayloadDataBase()), 42u);
}
#endif
