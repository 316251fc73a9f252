// Data files: byte streams over Win32 file handles, as the object dump and the trace log use them.
//
// A stand-in for the files subsystem, holding only what the runtime core writes with and what lock
// files need. It lacks
// the rest of that subsystem: folder items (but for the few operations of FolderItemImp.h),
// binary and text streams, resource forks, the shell services, and the data-file lock (so reads,
// writes and seeks here are not serialised across OS threads).
#pragma once

#include "ByteStream.h"

#pragma push_macro("EOF")
#undef EOF

class FileStream : public ByteStream {
public:
    FileStream() = default;
    ~FileStream() override;

    // Creates the file at the path, replacing an existing one, and opens it for writing (others
    // may read). False when the file cannot be made; the stream then writes nothing.
    bool Create(const string& path);
    // The same, but only when nothing exists at the path yet: an existing file is left alone and
    // the answer is false.
    bool CreateNew(const string& path);
    // Opens the file with the access (GENERIC_READ, GENERIC_WRITE) and the creation disposition of
    // CreateFile; others may only read. False when it cannot be opened; the platform's error code
    // is then in LastError().
    bool OpenFile(const string& path, uint32_t access, uint32_t disposition);

    bool Read(void* buffer, int32_t count, int32_t* countRead = nullptr) override;
    bool Write(const void* buffer, int32_t count) override;
    bool Close() override;
    bool EOF() override;
    bool SetPosition(int32_t position) override;
    int32_t Length() override;
    bool SetLength(int32_t length) override;
    int32_t Position() override;
    void Flush() override;

private:
    void* mHandle = nullptr;  // the Win32 handle; null while no file is open
};

#pragma pop_macro("EOF")

// A new, unopened data file that the caller owns and deletes.
FileStream* NewDataFile();
