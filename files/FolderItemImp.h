// Folder-item implementations: the file-system entries behind the language's FolderItem objects.
//
// A stand-in for the files subsystem, holding only what the resource table's temporary files and
// the Mutex lock files use: the temporary folder, a child of it by name, creating, opening and
// deleting that file, a child's shortcut followed to its target, and a path taken relative to the
// executable's folder (where plug-in files are looked for). It lacks the rest: other relative
// paths and long-path normalisation, volumes, folder listing, and every other folder-item
// operation.
#pragma once

#include <cstdint>

#include "ByteStream.h"
#include "core/GuardedMemory.h"
#include "core/RuntimeString.h"

// FindFolder's code of the system's temporary folder.
constexpr uint32_t kTemporaryFolderCode = 1001;
// GetChild's flag that follows a shortcut of that name to its target.
constexpr uint32_t kFollowShortcut = 64;

class FolderItemImp : public RuntimeAllocated {
public:
    FolderItemImp() = default;
    FolderItemImp(const FolderItemImp&) = delete;
    FolderItemImp& operator=(const FolderItemImp&) = delete;
    virtual ~FolderItemImp() = default;

    // A new implementation of the same item, owned by the caller.
    virtual FolderItemImp* Clone() const = 0;
    // True when the item exists on disk.
    virtual bool Exists() const = 0;
    // The full path.
    virtual string GetAbsolutePath() const = 0;
    // The entry of that name in this folder, owned by the caller; null when there is none to be had.
    virtual FolderItemImp* GetChild(const string& name, uint32_t flags) const = 0;
    // Creates the file when nothing exists under its name yet and opens it for writing; a new
    // stream owned by the caller, or null when something is there already or the file cannot be
    // made. The file type is not kept on this platform.
    virtual ByteStream* CreateNewStream(const string& fileType) = 0;
    // Creates the file, replacing an existing one, open for reading and writing while others may
    // only read; a new stream owned by the caller, or null on failure.
    virtual ByteStream* CreateStream(const string& fileType) = 0;
    // Opens the existing file (or, with createMissing, creates it when it is missing; an existing
    // file is never truncated); with write set, others may only read while it is open. A new
    // stream owned by the caller, or null, the platform's error code then kept in LastError().
    virtual ByteStream* OpenStream(bool read, bool write, bool createMissing = false) = 0;
    // Deletes the file, or the folder when it is empty.
    virtual bool Delete() = 0;
    // Deletes the file only when nobody, in this process or another, has it open.
    virtual bool DeleteUnlessOpen() = 0;

    uint32_t LastError() const { return mLastError; }

    // The folder of a code, owned by the caller; null when it cannot be had. Only the temporary
    // folder (kTemporaryFolderCode, from GetTempPath) is known here.
    static FolderItemImp* FindFolder(uint32_t code);
    // A new, uniquely named, empty file in the temporary folder (prefix "qvt"), owned by the
    // caller; null when none can be made.
    static FolderItemImp* NewTemporaryFile();
    // The item at a path relative to the folder that holds the executable; the empty path gives
    // that folder. Owned by the caller; null when the executable's path cannot be had.
    static FolderItemImp* RelativeToExecutable(const string& relative);

protected:
    uint32_t mLastError = 0;
};

// An item of the Win32 file system, named by its full path.
class FolderItemImpWin32 final : public FolderItemImp {
public:
    explicit FolderItemImpWin32(const string& path) : mPath(path) {}

    FolderItemImp* Clone() const override;
    bool Exists() const override;
    string GetAbsolutePath() const override;
    FolderItemImp* GetChild(const string& name, uint32_t flags) const override;
    ByteStream* CreateNewStream(const string& fileType) override;
    ByteStream* CreateStream(const string& fileType) override;
    ByteStream* OpenStream(bool read, bool write, bool createMissing = false) override;
    bool Delete() override;
    bool DeleteUnlessOpen() override;

private:
    string mPath;
};
