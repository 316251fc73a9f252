// Folder-item implementations: the platform side of the language's FolderItem objects.
//
// FolderItemImp declares every operation a FolderItem forwards, in a fixed order, each with a
// neutral default (false, 0, nil, empty text). The copy through streams, move as copy and delete,
// recursive delete, the writability probe and the file URL are built only from other operations,
// so they serve every implementation that supplies the primitives. FolderItemImpWin32
// (FolderItemImpWin32.h) is the implementation for the disk.
//
// Texts are UTF-8 runtime strings; dates are seconds since 1904-01-01 in local time (the Date's
// TotalSeconds); four-character codes hold the first character in the high byte. Every item an
// operation answers (Clone, GetParent, FindFolder, GetItem, GetChild, ResolveAlias) and every
// stream belongs to the caller; the base ResolveAlias alone answers the receiver itself.
#pragma once

#include <cstdint>

#include "ByteStream.h"
#include "Win32PathText.h"
#include "core/GuardedMemory.h"
#include "core/ObjectModel.h"
#include "core/RuntimeString.h"
#include "core/SimpleVector.h"
#include "host/PeriodicTasks.h"

// FindFolder's codes of the Recycle Bin and of the system's temporary folder.
constexpr uint32_t kTrashFolderCode = 1000;
constexpr uint32_t kTemporaryFolderCode = 1001;
// The flag of GetItem, GetChild and ResolveAlias that follows shortcuts to their targets.
constexpr uint32_t kFollowShortcut = 64;
// The code of an unknown Mac type or creator: "????".
constexpr uint32_t kUnknownOSType = 0x3F3F3F3F;

class FolderItemImp : public RuntimeAllocated {
public:
    FolderItemImp() = default;
    // The base keeps nothing of the path.
    explicit FolderItemImp(const string&) {}
    FolderItemImp(const FolderItemImp&) = delete;
    FolderItemImp& operator=(const FolderItemImp&) = delete;
    virtual ~FolderItemImp() = default;

    virtual FolderItemImp& Assign(const FolderItemImp& other);
    virtual FolderItemImp* Clone() const;
    virtual bool Exists() const;
    virtual bool IsAlias() const;
    virtual bool IsDirectory() const;
    virtual bool IsVirtual() const;
    virtual bool IsTrash() const;
    virtual string GetName() const;
    virtual bool SetName(const string& name);
    virtual string GetAbsolutePath() const;
    virtual string GetDisplayName() const;
    virtual bool SetDisplayName(const string& name);
    virtual bool GetExtensionVisible() const;
    virtual bool SetExtensionVisible(bool visible);
    virtual int32_t GetPermissions() const;
    virtual bool SetPermissions(int32_t permissions);
    virtual bool SetOwner(const string& owner);
    virtual string GetOwner() const;
    virtual bool SetGroup(const string& group);
    virtual string GetGroup() const;
    virtual bool GetVisible() const;
    virtual bool SetVisible(bool visible);
    virtual bool GetLocked() const;
    virtual bool SetLocked(bool locked);
    virtual string GetType() const;
    // The SaveInfo bytes, relative to another item or absolute (relativeTo null).
    virtual string GetSaveInfo(const FolderItemImp* relativeTo, int32_t mode) const;
    virtual string GetShellPath() const;
    // The item as a file URL: the names from the top item down, percent-encoded, after "file://".
    virtual string GetURLPath() const;
    virtual uint32_t GetMacType() const;
    virtual bool SetMacType(uint32_t code);
    virtual uint32_t GetMacCreator() const;
    virtual bool SetMacCreator(uint32_t code);
    virtual double GetCreationDate() const;
    virtual bool SetCreationDate(double seconds);
    virtual double GetModificationDate() const;
    virtual bool SetModificationDate(double seconds);
    virtual int32_t GetMacVRefNum() const;
    virtual int32_t GetMacDirID() const;
    virtual int32_t GetNumericTag() const;
    virtual bool SetNumericTag(int32_t tag);
    virtual bool IsReadable() const;
    // Existing file: rewrites its first byte and restores its date. Otherwise: creates and
    // deletes a probe file ("$$TestFile$$", then "$$TestFile$$0", "$$TestFile$$1"...) in the
    // folder; a probe file that was made but cannot be deleted goes to a FolderItemDeleteTask.
    virtual bool IsWriteable();
    virtual int32_t GetLength() const;
    virtual bool SetLength(int32_t length);
    virtual int32_t GetResourceForkLength() const;
    // Called with read true; write chooses reading and writing. createMissing creates a missing
    // file (an existing one is never emptied): the lock files of Mutex objects rely on it.
    virtual ByteStream* OpenStream(bool read, bool write, bool createMissing = false);
    virtual int32_t ReservedNumber() const;
    virtual FolderItemImp* GetParent() const;
    virtual FolderItemImp* FindFolder(uint32_t code) const;
    virtual int32_t GetCount() const;
    virtual FolderItemImp* GetItem(int32_t index, uint32_t flags) const;
    virtual FolderItemImp* GetChild(const string& name, uint32_t flags) const;
    virtual FolderItemImp* ResolveAlias(uint32_t flags);
    virtual void RevealInShell();
    virtual void MakeFileExecutable();
    virtual bool CreateAsFolder();
    virtual ByteStream* CreateStream(const string& fileType);
    virtual bool Delete();
    // Deletes a folder's entries, all listed first, then the folder itself, also after a failed
    // entry; false (and nothing deleted) for a file.
    virtual bool DeleteRecursive();
    // Through streams: into a folder under this item's name, replacing a file there.
    virtual bool CopyFileTo(FolderItemImp* destination);
    virtual bool MoveFileTo(FolderItemImp* destination);
    virtual bool Launch(const string& parameters, bool activate);
    virtual bool MoveToTrash();
    virtual bool OpenStyledEditField(ObjectHeader* field);
    virtual ObjectHeader* OpenAsPicture(int32_t format);
    virtual ObjectHeader* OpenAsMovie();
    virtual ObjectHeader* OpenAsSound();
    virtual ObjectHeader* OpenAsJPEG();
    virtual bool OpenAsIcons(SimpleVector<ObjectHeader*>* pictures);
    virtual void* OpenAsCursor();
    virtual bool SaveAsPicture(ObjectHeader* picture, int32_t format);
    virtual bool SaveAsJPEG(ObjectHeader* picture);
    virtual bool SaveStyledEditField(ObjectHeader* field);

    // Beyond the language's operations, for the runtime's own files: creates the file only where
    // nothing exists yet, open for writing (null when something is there), and deletes it only
    // when nobody, in this process or another, has it open.
    virtual ByteStream* CreateNewStream(const string& fileType);
    virtual bool DeleteUnlessOpen();

    int32_t LastError() const { return mLastError; }
    void SetLastError(int32_t code) { mLastError = code; }

    // A special folder of the disk (FindFolder on an item without path), owned by the caller.
    static FolderItemImp* FindSpecialFolder(uint32_t code);
    // A new, uniquely named, empty file in the temporary folder (prefix "qvt"), owned by the
    // caller; null when none can be made.
    static FolderItemImp* NewTemporaryFile();
    // The item at a path relative to the folder that holds the executable; the empty path gives
    // that folder. Owned by the caller; null when the executable's path cannot be had.
    static FolderItemImp* RelativeToExecutable(const string& relative);

protected:
    int32_t mLastError = 0;
};

// Retries, every 10 ticks and without limit, deleting a probe file that could not be deleted at
// once; it ends, deleting the item and itself, once the file is gone.
class FolderItemDeleteTask final : public PeriodicTask {
public:
    explicit FolderItemDeleteTask(FolderItemImp* item) : PeriodicTask(10), mItem(item) {}
    ~FolderItemDeleteTask() override { delete mItem; }
    void Run() override;

private:
    FolderItemImp* mItem;
};

// The generic algorithms, callable by implementations that override the operations.
bool GenericCopyFileTo(FolderItemImp& source, FolderItemImp* destination);
string GenericURLPath(const FolderItemImp& item);
