// Built-in database files on disk: the store's file interface over data files, its journal the
// file of the same path with ".journal" appended, and the creating and opening of databases.
#pragma once

#include <memory>

#include "PageStore.h"
#include "core/RuntimeString.h"

class DataFile;

class DataFileStorage final : public StorageFile {
public:
    // Creates (or empties) the file; null when it cannot be made.
    static std::unique_ptr<DataFileStorage> Create(const string& path);
    // Opens for reading and writing or, when that fails, for reading only; null when neither
    // works.
    static std::unique_ptr<DataFileStorage> Open(const string& path);
    ~DataFileStorage() override;

    bool ReadAt(uint32_t offset, void* buffer, uint32_t length) override;
    bool WriteAt(uint32_t offset, const void* buffer, uint32_t length) override;
    uint32_t Length() override;
    bool SetLength(uint32_t length) override;
    bool Flush() override;
    bool IsReadOnly() const override { return mReadOnly; }
    std::unique_ptr<StorageFile> OpenJournal(bool create) override;
    bool RemoveJournal() override;
    // A "qvt" file in the temporary folder, deleted when closed.
    std::unique_ptr<StorageFile> CreateTemporary() override;

private:
    DataFileStorage(DataFile* file, const string& path, bool readOnly);

    DataFile* mFile;
    string mPath;
    bool mReadOnly;
};

// A new database at the path, with its system tables; null when it cannot be made.
std::unique_ptr<PageStore> CreateDatabaseFile(const string& path);
// The database at the path; null when it cannot be opened or is refused.
std::unique_ptr<PageStore> OpenDatabaseFile(const string& path);
