#include "StorageFile.h"

#include <cstring>

StorageFile::~StorageFile() = default;

std::unique_ptr<StorageFile> StorageFile::CreateTemporary() { return std::make_unique<MemoryStorageFile>(); }

bool MemoryStorageFile::ReadAt(uint32_t offset, void* buffer, uint32_t length) {
    const StorageBytes& bytes = mContents->bytes;
    if (offset > bytes.size() || length > bytes.size() - offset) return false;
    if (length) std::memcpy(buffer, bytes.data() + offset, length);
    return true;
}

bool MemoryStorageFile::WriteAt(uint32_t offset, const void* buffer, uint32_t length) {
    if (mReadOnly || uint64_t(offset) + length > 0x7FFFFFFF) return false;
    StorageBytes& bytes = mContents->bytes;
    if (offset + length > bytes.size()) bytes.resize(offset + length);
    if (length) std::memcpy(bytes.data() + offset, buffer, length);
    return true;
}

bool MemoryStorageFile::SetLength(uint32_t length) {
    if (mReadOnly || length > 0x7FFFFFFF) return false;
    mContents->bytes.resize(length);
    return true;
}

std::unique_ptr<StorageFile> MemoryStorageFile::OpenJournal(bool create) {
    if (create) {
        if (mReadOnly) return nullptr;
        mContents->journal = std::make_shared<Contents>();
        mContents->hasJournal = true;
    } else if (!mContents->hasJournal) {
        return nullptr;
    }
    return std::make_unique<MemoryStorageFile>(mContents->journal, mReadOnly);
}

bool MemoryStorageFile::RemoveJournal() {
    if (mReadOnly) return false;
    mContents->hasJournal = false;
    mContents->journal.reset();
    return true;
}
