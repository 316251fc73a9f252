#include "DataFile.h"

#include <windows.h>

#include <string>


#include "core/FailureReport.h"
#include "core/Platform.h"
#include "core/EncodingConversion.h"

#undef EOF

namespace {

// Made on first use and never deleted, so data files may be used from static destructors too.
CRITICAL_SECTION& DataFileLock() {
    static CRITICAL_SECTION* lock = [] {
        static CRITICAL_SECTION section;
        InitializeCriticalSection(&section);
        return &section;
    }();
    return *lock;
}

class DataFileLockGuard {
public:
    DataFileLockGuard() { EnterCriticalSection(&DataFileLock()); }
    ~DataFileLockGuard() { LeaveCriticalSection(&DataFileLock()); }
    DataFileLockGuard(const DataFileLockGuard&) = delete;
    DataFileLockGuard& operator=(const DataFileLockGuard&) = delete;
};

constexpr DWORD kTemporaryFlags = FILE_FLAG_DELETE_ON_CLOSE | FILE_ATTRIBUTE_TEMPORARY;
constexpr DWORD kNameCapacity = 1024;

// Others may only read beside every data file.
HANDLE OpenHandle(const string& path, DWORD access, DWORD disposition, DWORD flags) {
    if (IsUnicodePlatform()) {
        const string wide = path.ToUTF16();
        return CreateFileW(wide.WidePointer(), access, FILE_SHARE_READ, nullptr, disposition,
                           flags, nullptr);
    }
    const string ansi = ConvertToSystemEncoding(path);
    return CreateFileA(ansi.CString(), access, FILE_SHARE_READ, nullptr, disposition, flags,
                       nullptr);
}

// A new empty file named by the system (qvt, hexadecimal digits, .tmp) in the temporary
// folder, opened to be deleted on close; invalid when none could be made, the failure reported.
// The buffers live on the heap: runtime threads run on small stacks.
HANDLE CreateTemporaryHandle() {
    if (IsUnicodePlatform()) {
        std::wstring dirBuffer(kNameCapacity, L'\0'), pathBuffer(kNameCapacity, L'\0');
        wchar_t* dir = dirBuffer.data();
        wchar_t* filePath = pathBuffer.data();
        const bool haveDir = GetTempPathW(kNameCapacity, dir) != 0;
        if (!haveDir) ReportAssertion("DataFile", 238, "0 != ::GetTempPathW( _MAX_PATH, dir )");
        if (!haveDir || !GetTempFileNameW(dir, L"qvt", 0, filePath)) {
            if (haveDir)
                ReportAssertion("DataFile", 239,
                                "0 != ::GetTempFileNameW( dir, L\"qvt\", 0, filePath )");
            return INVALID_HANDLE_VALUE;
        }
        return CreateFileW(filePath, GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ, nullptr,
                           OPEN_EXISTING, kTemporaryFlags, nullptr);
    }
    std::string dirBuffer(kNameCapacity, '\0'), pathBuffer(kNameCapacity, '\0');
    char* dir = dirBuffer.data();
    char* filePath = pathBuffer.data();
    const bool haveDir = GetTempPathA(kNameCapacity, dir) != 0;
    if (!haveDir) ReportAssertion("DataFile", 244, "0 != ::GetTempPath( _MAX_PATH, dir )");
    if (!haveDir || !GetTempFileNameA(dir, "qvt", 0, filePath)) {
        if (haveDir)
            ReportAssertion("DataFile", 245, "0 != ::GetTempFileName( dir,\"qvt\", 0, filePath )");
        return INVALID_HANDLE_VALUE;
    }
    return CreateFileA(filePath, GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ, nullptr,
                       OPEN_EXISTING, kTemporaryFlags, nullptr);
}

}  // namespace

void InitializeDataFileLock() { DataFileLock(); }

DataFile* NewDataFile() { return new DataFile; }

DataFile::~DataFile() { DataFile::Close(); }

bool DataFile::OpenFile(const string& path, uint32_t access, uint32_t disposition) {
    Close();
    HANDLE handle = OpenHandle(path, access, disposition, FILE_ATTRIBUTE_NORMAL);
    if (handle == INVALID_HANDLE_VALUE) {
        mLastError = static_cast<int32_t>(GetLastError());
        return false;
    }
    mHandle = handle;
    return true;
}

bool DataFile::Create(const string& path) {
    return OpenFile(path, GENERIC_READ | GENERIC_WRITE, CREATE_ALWAYS);
}

bool DataFile::CreateNew(const string& path) { return OpenFile(path, GENERIC_WRITE, CREATE_NEW); }

bool DataFile::Open(const string& path, int32_t mode) {
    const DWORD access = mode == kOpenForReading ? GENERIC_READ : GENERIC_READ | GENERIC_WRITE;
    return OpenFile(path, access, OPEN_EXISTING);
}

bool DataFile::CreateTemporary(const string& path) {
    Close();
    HANDLE handle = path.IsEmpty()
                        ? CreateTemporaryHandle()
                        : OpenHandle(path, GENERIC_READ | GENERIC_WRITE, OPEN_EXISTING,
                                     kTemporaryFlags);
    if (handle == INVALID_HANDLE_VALUE) {
        mLastError = static_cast<int32_t>(GetLastError());
        return false;
    }
    mHandle = handle;
    mCleaner = new DataFileCleaner(this);
    return true;
}

bool DataFile::Read(void* buffer, int32_t length, int32_t* count) {
    if (length == 0) {
        if (count) *count = 0;
        return true;
    }
    DWORD read = 0;
    BOOL ok;
    {
        DataFileLockGuard guard;
        ok = ReadFile(mHandle, buffer, static_cast<DWORD>(length), &read, nullptr);
        if (!ok) mLastError = static_cast<int32_t>(GetLastError());
    }
    if (count) *count = static_cast<int32_t>(read);
    return ok;
}

bool DataFile::Write(const void* buffer, int32_t length) {
    DataFileLockGuard guard;
    DWORD written = 0;
    const BOOL ok = WriteFile(mHandle, buffer, static_cast<DWORD>(length), &written, nullptr);
    if (!ok) mLastError = static_cast<int32_t>(GetLastError());
    return ok;
}

// A temporary file's cleaner closes the handle from its destructor, which comes back here with
// the cleaner already cleared.
bool DataFile::Close() {
    if (mCleaner) {
        DataFileCleaner* cleaner = mCleaner;
        mCleaner = nullptr;
        delete cleaner;
    } else if (mHandle) {
        CloseHandle(mHandle);
        mHandle = nullptr;
    }
    return true;
}

bool DataFile::EOF() { return !mHandle || FileStream::EOF(); }

bool DataFile::SetPosition(int32_t position) {
    DataFileLockGuard guard;
    if (SetFilePointer(mHandle, position, nullptr, FILE_BEGIN) == INVALID_SET_FILE_POINTER) {
        mLastError = static_cast<int32_t>(GetLastError());
        return false;
    }
    return true;
}

int32_t DataFile::Length() {
    const DWORD size = GetFileSize(mHandle, nullptr);
    if (size == INVALID_FILE_SIZE && GetLastError() != NO_ERROR) {
        mLastError = static_cast<int32_t>(GetLastError());
        return 0;
    }
    return static_cast<int32_t>(size);
}

// Where the new end cannot be reached, nothing is cut: ending the file at the old position
// instead would lose data.
bool DataFile::SetLength(int32_t length) {
    const int32_t position = Position();
    if (!SetPosition(length)) return false;
    const BOOL ok = SetEndOfFile(mHandle);
    if (!ok) mLastError = static_cast<int32_t>(GetLastError());
    SetPosition(position);
    return ok;
}

int32_t DataFile::Position() {
    DataFileLockGuard guard;
    const DWORD position = SetFilePointer(mHandle, 0, nullptr, FILE_CURRENT);
    if (position == INVALID_SET_FILE_POINTER) {
        mLastError = static_cast<int32_t>(GetLastError());
        return -1;
    }
    return static_cast<int32_t>(position);
}

void DataFile::Flush() {
    if (!FlushFileBuffers(mHandle)) mLastError = static_cast<int32_t>(GetLastError());
}

DataFileCleaner::~DataFileCleaner() {
    mFile->mCleaner = nullptr;
    mFile->Close();
}
