// The open built-in database file: header words, a bounded cache of pages and the transaction
// state. Transactions are implicit (the first change begins one). Changed pages stay in memory
// until commit, which first saves the images it will overwrite, and the header, in a journal
// beside the file; so a crash at any point leaves the last committed state recoverable, and a
// rollback just drops the changed pages and re-reads the committed ones.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "StorageFile.h"
#include "core/LRUList.h"

class PageStore;

class CachedPage final : public LRUListNode {
public:
    uint8_t* Bytes() { return mBytes; }
    uint8_t* Data() { return mBytes + kPageHeaderSize; }
    uint32_t Number() const { return mNumber; }
    uint32_t Tag() const { return Load32(mBytes + kPageTag); }
    uint32_t Used() const { return Load16(mBytes + kPageUsed); }
    void SetUsed(uint32_t used) { Store16(mBytes + kPageUsed, used); }
    bool IsChanged() const { return mChanged; }

private:
    friend class PageStore;
    uint8_t mBytes[kPageSize];
    uint32_t mNumber = 0;
    int32_t mPins = 0;
    bool mChanged = false;
    bool mRetired = false;  // dropped by a rollback while pinned: deleted at its last release
    CachedPage* mCleanNewer = nullptr;  // the store's list of unpinned unchanged pages
    CachedPage* mCleanOlder = nullptr;
    bool mInCleanList = false;
};

// Where the store's own failures go: the engine ties it to its handle's error code and text.
class StorageErrorSink {
public:
    virtual ~StorageErrorSink();
    virtual void StorageError(int32_t code, const char* text) = 0;
};

class PageStore {
public:
    static constexpr uint32_t kDefaultCacheLimit = 2048;  // pages, 16 MB

    // Writes a new file over an empty stream and leaves page 0 made as the catalog root, in an
    // open transaction. Null (the file deleted) on failure.
    static std::unique_ptr<PageStore> Create(std::unique_ptr<StorageFile> file);
    // Reads and checks the header; a file left with its open flag set is repaired from a complete
    // journal or taken as its last committed pages. Null on a refused file.
    static std::unique_ptr<PageStore> Open(std::unique_ptr<StorageFile> file);
    // Closes: commits what is pending.
    ~PageStore();
    bool Close();

    // Page n pinned, or null when the file does not hold it whole.
    CachedPage* LoadPage(uint32_t number);
    void ReleasePage(CachedPage* page);
    // A new zeroed page with the tag and tree origin, pinned and changed.
    CachedPage* NewPage(uint32_t tag, uint32_t origin);
    // The first-change rule: begins a transaction, stamps the page and chains it. False when the
    // store refuses changes (read only, or the header could not be written).
    bool MarkChanged(CachedPage* page);
    bool BeginTransaction();
    bool Commit();
    bool Rollback();

    uint32_t NextId() { return mNextId++; }
    uint32_t CurrentTransaction() const { return mTransaction; }
    uint32_t CurrentMark() const { return mTransaction & 0xFFFFFF; }
    bool InTransaction() const { return mInTransaction; }
    uint32_t PageCount() const { return mPageCount; }
    uint32_t CatalogRoot() const { return mCatalogRoot; }
    // The catalog root moves when it splits; the header word follows at commit.
    bool SetCatalogRoot(uint32_t page);
    bool IsReadOnly() const { return mFile->IsReadOnly(); }
    std::unique_ptr<StorageFile> CreateTemporaryFile() { return mFile->CreateTemporary(); }
    // Advances whenever a tree root may have moved (a root split, a rollback), so cursors know
    // when to look their root up again.
    uint32_t RootEpoch() const { return mRootEpoch; }
    void RootsMoved() { ++mRootEpoch; }

    void SetCacheLimit(uint32_t pages) { mCacheLimit = pages < 8 ? 8 : pages; }
    uint32_t CachedPages() const { return mCachedPages; }
    void SetErrorSink(StorageErrorSink* sink) { mSink = sink; }
    void ReportError(int32_t code, const char* text);

    // Work that must land before the changes are written (rows parked by key-changing updates);
    // Commit runs it and fails when it fails; Rollback drops it.
    class PendingWork {
    public:
        virtual ~PendingWork();
        virtual bool FinishPending() = 0;
        virtual void DropPending() = 0;
    };
    void AddPending(PendingWork* work);
    void RemovePending(PendingWork* work);

private:
    explicit PageStore(std::unique_ptr<StorageFile> file);

    CachedPage* Lookup(uint32_t number) const {
        return number < mIndex.size() ? mIndex[number] : nullptr;
    }
    void Purge(CachedPage* page);
    void LinkClean(CachedPage* page);
    void UnlinkClean(CachedPage* page);
    void EvictIfFull();
    void DropPage(CachedPage* page);
    bool WriteHeaderWords(uint32_t flag);
    bool WriteJournal();
    bool WriteChangedPages();
    bool Recover();
    bool FinishPendingWork();

    std::unique_ptr<StorageFile> mFile;
    std::vector<CachedPage*> mIndex;       // by page number
    std::vector<bool> mPurged;             // pages already purged of deleted entries
    std::vector<CachedPage*> mChangedPages;
    CachedPage* mCleanNewest = nullptr;
    CachedPage* mCleanOldest = nullptr;
    std::vector<PendingWork*> mPending;
    StorageErrorSink* mSink = nullptr;
    uint32_t mNextId = 1;
    uint32_t mPageCount = 0;
    uint32_t mCommittedPageCount = 0;
    uint32_t mCatalogRoot = 0;
    uint32_t mCommittedCatalogRoot = 0;
    uint32_t mChainHead = kNoPage;
    uint32_t mTransaction = 1;
    uint32_t mCachedPages = 0;
    uint32_t mRootEpoch = 1;
    uint32_t mCacheLimit = kDefaultCacheLimit;
    bool mInTransaction = false;
    bool mOpening = false;
    bool mClosed = false;
};
