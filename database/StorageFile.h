// What the built-in database store needs of its file: positioned whole reads and writes, length
// changes, a flush to the disk, and a journal file beside it. The runtime backs it with data files;
// memory files serve tests and the native build.
#pragma once

#include <cstdint>
#include <memory>

#include "StorageFormat.h"

class StorageFile {
public:
    StorageFile() = default;
    StorageFile(const StorageFile&) = delete;
    StorageFile& operator=(const StorageFile&) = delete;
    virtual ~StorageFile();

    // Each succeeds only when every byte moved.
    virtual bool ReadAt(uint32_t offset, void* buffer, uint32_t length) = 0;
    virtual bool WriteAt(uint32_t offset, const void* buffer, uint32_t length) = 0;
    virtual uint32_t Length() = 0;
    virtual bool SetLength(uint32_t length) = 0;
    // Makes everything written so far durable.
    virtual bool Flush() = 0;
    virtual bool IsReadOnly() const = 0;

    // The journal beside the file: opened (and emptied when create is set) or null when it
    // does not exist or cannot be made. RemoveJournal deletes it.
    virtual std::unique_ptr<StorageFile> OpenJournal(bool create) = 0;
    virtual bool RemoveJournal() = 0;
    // A new empty scratch file that vanishes with its object, or null; a memory file unless the
    // file kind has its own.
    virtual std::unique_ptr<StorageFile> CreateTemporary();
};

// A file in memory; its journal is a second memory file that outlives openings of it, so a store
// can be closed, "crash" and be reopened over the same bytes.
class MemoryStorageFile final : public StorageFile {
public:
    struct Contents {
        StorageBytes bytes;
        std::shared_ptr<Contents> journal;
        bool hasJournal = false;
    };

    MemoryStorageFile() : mContents(std::make_shared<Contents>()) {}
    explicit MemoryStorageFile(std::shared_ptr<Contents> contents, bool readOnly = false)
        : mContents(std::move(contents)), mReadOnly(readOnly) {}

    bool ReadAt(uint32_t offset, void* buffer, uint32_t length) override;
    bool WriteAt(uint32_t offset, const void* buffer, uint32_t length) override;
    uint32_t Length() override { return uint32_t(mContents->bytes.size()); }
    bool SetLength(uint32_t length) override;
    bool Flush() override { return true; }
    bool IsReadOnly() const override { return mReadOnly; }
    std::unique_ptr<StorageFile> OpenJournal(bool create) override;
    bool RemoveJournal() override;

    const std::shared_ptr<Contents>& Shared() const { return mContents; }

private:
    std::shared_ptr<Contents> mContents;
    bool mReadOnly = false;
};
