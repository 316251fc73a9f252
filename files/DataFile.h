// Data files: file streams over Win32 file handles, behind every file the runtime reads or writes
// as a stream. Each transfer and seek holds the process-wide data-file lock, so that it is one
// step for every data file of the process.
#pragma once

#include "FileStream.h"
#include "host/ShutdownContexts.h"

#pragma push_macro("EOF")
#undef EOF

class DataFile final : public FileStream {
public:
    DataFile() = default;
    ~DataFile() override;

    bool Create(const string& path) override;
    bool Open(const string& path, int32_t mode) override;
    bool CreateTemporary(const string& path) override;
    // Creates the file only where nothing exists yet, open for writing; an existing file is left
    // alone and the answer is false.
    bool CreateNew(const string& path);
    // Opens with the access (GENERIC_READ, GENERIC_WRITE) and creation disposition of CreateFile;
    // others may only read.
    bool OpenFile(const string& path, uint32_t access, uint32_t disposition);

    // A read of 0 bytes touches nothing; a read at the end succeeds with count 0.
    bool Read(void* buffer, int32_t length, int32_t* count = nullptr) override;
    bool Write(const void* buffer, int32_t length) override;
    // Closes the handle (a temporary file goes through its cleaner); harmless when nothing is
    // open.
    bool Close() override;
    bool EOF() override;
    // False when the file pointer could not be moved (a negative position, no file).
    bool SetPosition(int32_t position) override;
    // 0 when the size cannot be had.
    int32_t Length() override;
    // Truncates or extends; the position stays where it was, even past the new end.
    bool SetLength(int32_t length) override;
    // -1 when the pointer cannot be had.
    int32_t Position() override;
    void Flush() override;

private:
    friend class DataFileCleaner;

    void* mHandle = nullptr;  // null while unopened or closed
};

// Closes its temporary data file when the owner closes it or, at the latest, when the application
// ends and the shut-down contexts are destroyed.
class DataFileCleaner final : public ShutdownContext {
public:
    explicit DataFileCleaner(DataFile* file) : mFile(file) {}
    ~DataFileCleaner() override;

private:
    DataFile* mFile;
};

// A new, unopened data file that the caller owns and deletes (which closes it); null only when
// memory cannot be had.
DataFile* NewDataFile();

// Sets up the data-file lock; the main entry calls it once at start-up, before any data file
// exists. The lock is never deleted.
void InitializeDataFileLock();

#pragma pop_macro("EOF")
