#include "FileStream.h"

#include <windows.h>

#include "core/Platform.h"
#include "values/EncodingConversion.h"

#undef EOF

namespace {

HANDLE OpenHandle(const string& path, DWORD access, DWORD disposition) {
    constexpr DWORD kShare = FILE_SHARE_READ;
    if (IsUnicodePlatform()) {
        const string wide = path.ToUTF16();
        return CreateFileW(wide.WidePointer(), access, kShare, nullptr, disposition,
                           FILE_ATTRIBUTE_NORMAL, nullptr);
    }
    const string ansi = ConvertToSystemEncoding(path);
    return CreateFileA(ansi.CString(), access, kShare, nullptr, disposition, FILE_ATTRIBUTE_NORMAL,
                       nullptr);
}

}  // namespace

FileStream::~FileStream() { Close(); }

bool FileStream::Create(const string& path) { return OpenFile(path, GENERIC_WRITE, CREATE_ALWAYS); }

bool FileStream::CreateNew(const string& path) { return OpenFile(path, GENERIC_WRITE, CREATE_NEW); }

bool FileStream::OpenFile(const string& path, uint32_t access, uint32_t disposition) {
    Close();
    HANDLE handle = OpenHandle(path, access, disposition);
    if (handle == INVALID_HANDLE_VALUE) mLastError = static_cast<int32_t>(GetLastError());
    mHandle = handle == INVALID_HANDLE_VALUE ? nullptr : handle;
    return mHandle != nullptr;
}

bool FileStream::Read(void* buffer, int32_t count, int32_t* countRead) {
    if (countRead) *countRead = 0;
    if (!mHandle || !buffer || count < 0) return false;
    DWORD read = 0;
    const bool ok = ReadFile(mHandle, buffer, static_cast<DWORD>(count), &read, nullptr);
    if (countRead) *countRead = static_cast<int32_t>(read);
    return ok && read == static_cast<DWORD>(count);
}

bool FileStream::Write(const void* buffer, int32_t count) {
    if (!mHandle) return false;
    if (!buffer || count <= 0) return true;
    DWORD written = 0;
    return WriteFile(mHandle, buffer, static_cast<DWORD>(count), &written, nullptr) &&
           written == static_cast<DWORD>(count);
}

bool FileStream::Close() {
    if (mHandle) CloseHandle(mHandle);
    mHandle = nullptr;
    return true;
}

bool FileStream::EOF() { return !mHandle || Position() >= Length(); }

bool FileStream::SetPosition(int32_t position) {
    return mHandle && position >= 0 &&
           SetFilePointer(mHandle, position, nullptr, FILE_BEGIN) != INVALID_SET_FILE_POINTER;
}

int32_t FileStream::Length() {
    if (!mHandle) return 0;
    const DWORD size = GetFileSize(mHandle, nullptr);
    return size == INVALID_FILE_SIZE ? 0 : static_cast<int32_t>(size);
}

// The position stays where it was, or moves back to the new end when it lay beyond it.
bool FileStream::SetLength(int32_t length) {
    const int32_t position = Position();
    if (!SetPosition(length) || !SetEndOfFile(mHandle)) return false;
    return SetPosition(position < length ? position : length);
}

int32_t FileStream::Position() {
    if (!mHandle) return 0;
    const DWORD position = SetFilePointer(mHandle, 0, nullptr, FILE_CURRENT);
    return position == INVALID_SET_FILE_POINTER ? 0 : static_cast<int32_t>(position);
}

void FileStream::Flush() {
    if (mHandle) FlushFileBuffers(mHandle);
}

FileStream* NewDataFile() { return new FileStream; }
