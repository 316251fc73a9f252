// The abstract byte stream over a file on disk, with its three ways of opening one. DataFile
// (DataFile.h) is the implementation over a Win32 file handle.
#pragma once

#include "ByteStream.h"

#pragma push_macro("EOF")
#undef EOF

class DataFileCleaner;

class FileStream : public ByteStream {
public:
    // Defaults for a stream that does not override them: transfers, seeks and opens fail,
    // Length and Position answer -1.
    bool Read(void* buffer, int32_t length, int32_t* count = nullptr) override;
    bool Write(const void* buffer, int32_t length) override;
    bool Close() override;
    // At the end when the position is not below the length.
    bool EOF() override;
    bool SetPosition(int32_t position) override;
    int32_t Length() override;
    bool SetLength(int32_t length) override;
    int32_t Position() override;

    // Creates the file, replacing an existing one, open for reading and writing.
    virtual bool Create(const string& path);
    // Opens an existing file: mode 1 for reading only, any other mode for reading and writing.
    virtual bool Open(const string& path, int32_t mode);
    // Opens a file that the system deletes when it is closed; the file is closed at the latest
    // when the application ends. An empty path makes a new uniquely named file in the temporary
    // folder.
    virtual bool CreateTemporary(const string& path);

protected:
    // Registered for an open temporary file, so that the end of the application closes it.
    DataFileCleaner* mCleaner = nullptr;
};

// The mode of FileStream::Open for reading only.
constexpr int32_t kOpenForReading = 1;
// The mode callers pass for reading and writing.
constexpr int32_t kOpenForReadingAndWriting = 3;

#pragma pop_macro("EOF")
