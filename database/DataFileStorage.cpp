#include "DataFileStorage.h"

#include <windows.h>

#include "StorageTree.h"
#include "core/Platform.h"
#include "files/DataFile.h"
#include "core/EncodingConversion.h"

#undef EOF

namespace {

string JournalPath(const string& path) {
    string journal = path;
    journal.AppendCString(".journal");
    return journal;
}

bool DeletePath(const string& path) {
    if (IsUnicodePlatform()) {
        const string wide = path.ToUTF16();
        return DeleteFileW(wide.WidePointer()) || GetLastError() == ERROR_FILE_NOT_FOUND;
    }
    const string ansi = ConvertToSystemEncoding(path);
    return DeleteFileA(ansi.CString()) || GetLastError() == ERROR_FILE_NOT_FOUND;
}

}  // namespace

DataFileStorage::DataFileStorage(DataFile* file, const string& path, bool readOnly)
    : mFile(file), mPath(path), mReadOnly(readOnly) {}

DataFileStorage::~DataFileStorage() { delete mFile; }

std::unique_ptr<DataFileStorage> DataFileStorage::Create(const string& path) {
    DataFile* file = NewDataFile();
    if (!file) return nullptr;
    if (!file->Create(path)) {
        delete file;
        return nullptr;
    }
    return std::unique_ptr<DataFileStorage>(new DataFileStorage(file, path, false));
}

std::unique_ptr<DataFileStorage> DataFileStorage::Open(const string& path) {
    DataFile* file = NewDataFile();
    if (!file) return nullptr;
    bool readOnly = false;
    if (!file->OpenFile(path, GENERIC_READ | GENERIC_WRITE, OPEN_EXISTING)) {
        readOnly = true;
        if (!file->OpenFile(path, GENERIC_READ, OPEN_EXISTING)) {
            delete file;
            return nullptr;
        }
    }
    return std::unique_ptr<DataFileStorage>(new DataFileStorage(file, path, readOnly));
}

bool DataFileStorage::ReadAt(uint32_t offset, void* buffer, uint32_t length) {
    int32_t count = 0;
    return offset <= 0x7FFFFFFF && mFile->SetPosition(int32_t(offset)) &&
           mFile->Read(buffer, int32_t(length), &count) && count == int32_t(length);
}

bool DataFileStorage::WriteAt(uint32_t offset, const void* buffer, uint32_t length) {
    return !mReadOnly && offset <= 0x7FFFFFFF && mFile->SetPosition(int32_t(offset)) &&
           mFile->Write(buffer, int32_t(length));
}

uint32_t DataFileStorage::Length() { return uint32_t(mFile->Length()); }

bool DataFileStorage::SetLength(uint32_t length) {
    return !mReadOnly && length <= 0x7FFFFFFF && mFile->SetLength(int32_t(length));
}

// The data file keeps a flush failure only as its last error, which a success never clears: a
// changed error code is the failure.
bool DataFileStorage::Flush() {
    const int32_t before = mFile->LastError();
    mFile->Flush();
    return mFile->LastError() == before;
}

std::unique_ptr<StorageFile> DataFileStorage::OpenJournal(bool create) {
    const string path = JournalPath(mPath);
    if (create) {
        if (mReadOnly) return nullptr;
        return Create(path);
    }
    DataFile* file = NewDataFile();
    if (!file) return nullptr;
    if (!file->OpenFile(path, GENERIC_READ, OPEN_EXISTING)) {
        delete file;
        return nullptr;
    }
    return std::unique_ptr<DataFileStorage>(new DataFileStorage(file, path, true));
}

bool DataFileStorage::RemoveJournal() { return !mReadOnly && DeletePath(JournalPath(mPath)); }

std::unique_ptr<StorageFile> DataFileStorage::CreateTemporary() {
    DataFile* file = NewDataFile();
    if (!file) return nullptr;
    if (!file->CreateTemporary(string())) {
        delete file;
        return nullptr;
    }
    return std::unique_ptr<DataFileStorage>(new DataFileStorage(file, string(), false));
}

std::unique_ptr<PageStore> CreateDatabaseFile(const string& path) {
    std::unique_ptr<DataFileStorage> file = DataFileStorage::Create(path);
    if (!file) return nullptr;
    return CreateDatabase(std::move(file));
}

std::unique_ptr<PageStore> OpenDatabaseFile(const string& path) {
    std::unique_ptr<DataFileStorage> file = DataFileStorage::Open(path);
    if (!file) return nullptr;
    return PageStore::Open(std::move(file));
}
