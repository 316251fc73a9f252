#include "PageStore.h"

#include <algorithm>
#include <cstring>

namespace {

constexpr uint32_t kJournalMagic = 0x514A524E;  // "QJRN"
constexpr uint32_t kJournalEnd = 0x454E4421;    // "END!"
constexpr uint32_t kJournalFixed = 12;          // magic, committed page count, image count

uint32_t PageOffset(uint32_t number) { return kStoreHeaderSize + number * kPageSize; }

// FNV-1a over the journal, so a torn journal is never replayed.
uint32_t Checksum(const uint8_t* bytes, size_t length) {
    uint32_t hash = 2166136261u;
    for (size_t i = 0; i < length; ++i) hash = (hash ^ bytes[i]) * 16777619u;
    return hash;
}

}  // namespace

StorageErrorSink::~StorageErrorSink() = default;
PageStore::PendingWork::~PendingWork() = default;

PageStore::PageStore(std::unique_ptr<StorageFile> file) : mFile(std::move(file)) {}

PageStore::~PageStore() { Close(); }

void PageStore::ReportError(int32_t code, const char* text) {
    if (mSink) mSink->StorageError(code, text);
}

std::unique_ptr<PageStore> PageStore::Create(std::unique_ptr<StorageFile> file) {
    std::unique_ptr<PageStore> store(new PageStore(std::move(file)));
    uint8_t header[kStoreHeaderSize] = {};
    Store32(header + kHeaderMagic, kStoreMagic);
    Store32(header + kHeaderVersion, kStoreVersion);
    if (!store->mFile->SetLength(kStoreHeaderSize) ||
        !store->mFile->WriteAt(0, header, kStoreHeaderSize)) {
        store->mOpening = true;  // nothing worth a header word was written
        return nullptr;
    }
    CachedPage* root = store->NewPage(kTagCatalogLeaf, 0);
    if (!root) {
        store->mOpening = true;
        return nullptr;
    }
    store->ReleasePage(root);
    return store;
}

std::unique_ptr<PageStore> PageStore::Open(std::unique_ptr<StorageFile> file) {
    std::unique_ptr<PageStore> store(new PageStore(std::move(file)));
    store->mOpening = true;
    uint8_t header[kStoreHeaderSize];
    if (!store->mFile->ReadAt(0, header, kStoreHeaderSize)) return nullptr;
    if (Load32(header + kHeaderMagic) != kStoreMagic) return nullptr;
    if (Load32(header + kHeaderVersion) != kStoreVersion) return nullptr;
    if (Load32(header + kHeaderOpenFlag) != 0) {
        if (!store->Recover()) return nullptr;
        if (!store->mFile->ReadAt(0, header, kStoreHeaderSize)) return nullptr;
    } else if (!store->mFile->IsReadOnly()) {
        // A journal left by a commit that finished writing: its images are stale.
        store->mFile->RemoveJournal();
    }
    store->mTransaction = Load32(header + kHeaderCounter) + 1;
    store->mNextId = Load32(header + kHeaderNextId);
    store->mCatalogRoot = store->mCommittedCatalogRoot = Load32(header + kHeaderCatalogRoot);
    store->mPageCount = store->mCommittedPageCount =
        (store->mFile->Length() - std::min(store->mFile->Length(), kStoreHeaderSize)) / kPageSize;
    store->mOpening = false;
    return store;
}

// The open flag is set: the last transaction never finished. A complete journal means pages may
// have been overwritten in place, so its images and header go back; without one no page was
// touched in place and the file holds the last committed state.
bool PageStore::Recover() {
    if (mFile->IsReadOnly()) return !mFile->OpenJournal(false);
    std::unique_ptr<StorageFile> journal = mFile->OpenJournal(false);
    if (journal) {
        const uint32_t length = journal->Length();
        StorageBytes bytes(length);
        bool complete = length >= kJournalFixed + kStoreHeaderSize + 8 &&
                        journal->ReadAt(0, bytes.data(), length) &&
                        Load32(bytes.data()) == kJournalMagic &&
                        Load32(bytes.data() + length - 4) == kJournalEnd &&
                        Load32(bytes.data() + length - 8) == Checksum(bytes.data(), length - 8);
        const uint32_t images = complete ? Load32(bytes.data() + 8) : 0;
        complete = complete && uint64_t(images) * (4 + kPageSize) + kJournalFixed +
                                       kStoreHeaderSize + 8 == length;
        if (complete) {
            const uint8_t* image = bytes.data() + kJournalFixed + kStoreHeaderSize;
            for (uint32_t i = 0; i < images; ++i, image += 4 + kPageSize)
                if (!mFile->WriteAt(PageOffset(Load32(image)), image + 4, kPageSize)) return false;
            uint8_t* header = bytes.data() + kJournalFixed;
            Store32(header + kHeaderOpenFlag, 1);
            if (!mFile->SetLength(PageOffset(Load32(bytes.data() + 4))) ||
                !mFile->WriteAt(0, header, kStoreHeaderSize) || !mFile->Flush())
                return false;
        }
        journal.reset();
    }
    const uint8_t clear[4] = {};
    if (!mFile->WriteAt(kHeaderOpenFlag, clear, 4) || !mFile->Flush()) return false;
    mFile->RemoveJournal();
    return true;
}

bool PageStore::Close() {
    if (mClosed) return true;
    bool ok = true;
    if (!mOpening) ok = Commit();
    for (CachedPage*& page : mIndex) {
        if (page) {
            page->Unlink();
            delete page;
            page = nullptr;
        }
    }
    mCachedPages = 0;
    mCleanNewest = mCleanOldest = nullptr;
    mChangedPages.clear();
    mClosed = true;
    mFile.reset();
    return ok;
}

void PageStore::LinkClean(CachedPage* page) {
    page->mCleanOlder = mCleanNewest;
    page->mCleanNewer = nullptr;
    if (mCleanNewest)
        mCleanNewest->mCleanNewer = page;
    else
        mCleanOldest = page;
    mCleanNewest = page;
    page->mInCleanList = true;
}

void PageStore::UnlinkClean(CachedPage* page) {
    if (!page->mInCleanList) return;
    (page->mCleanNewer ? page->mCleanNewer->mCleanOlder : mCleanNewest) = page->mCleanOlder;
    (page->mCleanOlder ? page->mCleanOlder->mCleanNewer : mCleanOldest) = page->mCleanNewer;
    page->mCleanNewer = page->mCleanOlder = nullptr;
    page->mInCleanList = false;
}

void PageStore::DropPage(CachedPage* page) {
    UnlinkClean(page);
    if (page->mNumber < mIndex.size() && mIndex[page->mNumber] == page)
        mIndex[page->mNumber] = nullptr;
    --mCachedPages;
    if (page->mPins > 0) {
        page->mRetired = true;
        return;
    }
    page->Unlink();
    delete page;
}

// Pages that are neither pinned nor changed are dropped, least recently used first; changed pages
// stay until they are written.
void PageStore::EvictIfFull() {
    while (mCachedPages >= mCacheLimit && mCleanOldest) DropPage(mCleanOldest);
}

CachedPage* PageStore::LoadPage(uint32_t number) {
    if (mClosed) return nullptr;
    if (CachedPage* page = Lookup(number)) {
        UnlinkClean(page);
        ++page->mPins;
        page->Touch();
        return page;
    }
    if (number >= mPageCount) return nullptr;
    EvictIfFull();
    CachedPage* page = new CachedPage;
    if (!mFile->ReadAt(PageOffset(number), page->mBytes, kPageSize)) {
        delete page;
        return nullptr;
    }
    page->mNumber = number;
    page->mPins = 1;
    if (mIndex.size() <= number) mIndex.resize(number + 1, nullptr);
    mIndex[number] = page;
    ++mCachedPages;
    if (mPurged.size() <= number) mPurged.resize(number + 1, false);
    if (!mPurged[number]) {
        mPurged[number] = true;
        Purge(page);
    }
    page->LinkAtHead();
    return page;
}

// Deleted rows of finished transactions go when a table leaf is first read. Only the low 24 bits
// of transaction numbers are kept in marks, so only those are compared. A store that may not
// change keeps them; they read as deleted anyway.
void PageStore::Purge(CachedPage* page) {
    if (page->Tag() != kTagTableLeaf || mFile->IsReadOnly()) return;
    uint8_t* data = page->Data();
    uint32_t used = std::min(page->Used(), kPageDataSize);
    const uint32_t mark = CurrentMark();
    uint32_t offset = 0;
    bool removed = false;
    while (offset + kEntryHeaderSize <= used) {
        const uint32_t length = Load16(data + offset);
        if (length < kEntryHeaderSize || length > used - offset) return;  // left for the reader
        if (data[offset + 2] == kMarkDeleted && MarkTransaction(data + offset) != mark) {
            std::memmove(data + offset, data + offset + length, used - offset - length);
            used -= length;
            std::memset(data + used, 0, length);
            removed = true;
        } else {
            offset += length;
        }
    }
    if (removed) {
        page->SetUsed(used);
        MarkChanged(page);
    }
}

void PageStore::ReleasePage(CachedPage* page) {
    if (!page || --page->mPins > 0) return;
    if (page->mRetired) {
        page->Unlink();
        delete page;
        return;
    }
    if (!page->mChanged) LinkClean(page);
}

CachedPage* PageStore::NewPage(uint32_t tag, uint32_t origin) {
    if (mClosed || mFile->IsReadOnly()) {
        ReportError(2000, "The database is read only");
        return nullptr;
    }
    if (mPageCount >= (0x7FFFFFFFu - kStoreHeaderSize) / kPageSize) return nullptr;
    const uint32_t number = mPageCount;
    if (!BeginTransaction() || !mFile->SetLength(PageOffset(number + 1))) return nullptr;
    ++mPageCount;
    EvictIfFull();
    CachedPage* page = new CachedPage;
    std::memset(page->mBytes, 0, kPageSize);
    Store32(page->mBytes + kPageTag, tag);
    Store32(page->mBytes + kPageOrigin, origin == kNoPage ? number : origin);
    page->mNumber = number;
    page->mPins = 1;
    if (mIndex.size() <= number) mIndex.resize(number + 1, nullptr);
    mIndex[number] = page;
    if (mPurged.size() <= number) mPurged.resize(number + 1, false);
    mPurged[number] = true;
    ++mCachedPages;
    page->LinkAtHead();
    MarkChanged(page);
    return page;
}

bool PageStore::MarkChanged(CachedPage* page) {
    if (page->mChanged) return true;
    if (!BeginTransaction()) return false;
    page->mChanged = true;
    UnlinkClean(page);
    mChangedPages.push_back(page);
    if (Load32(page->mBytes + kPageStamp) != mTransaction) {
        Store32(page->mBytes + kPageStamp, mTransaction);
        Store32(page->mBytes + kPagePrevChanged, mChainHead);
        mChainHead = page->mNumber;
    }
    return true;
}

bool PageStore::BeginTransaction() {
    if (mInTransaction) return true;
    if (mClosed || mFile->IsReadOnly()) {
        ReportError(2000, "The database is read only");
        return false;
    }
    uint8_t words[12];
    Store32(words, mTransaction);
    Store32(words + 4, 1);
    Store32(words + 8, mNextId);
    if (!mFile->WriteAt(kHeaderCounter, words, sizeof words) || !mFile->Flush()) {
        ReportError(2000, "The database file could not be written");
        return false;
    }
    mInTransaction = true;
    return true;
}

bool PageStore::SetCatalogRoot(uint32_t page) {
    if (!BeginTransaction()) return false;
    mCatalogRoot = page;
    return true;
}

bool PageStore::WriteHeaderWords(uint32_t flag) {
    uint8_t words[12];
    Store32(words, flag);
    Store32(words + 4, mNextId);
    Store32(words + 8, mCatalogRoot);
    return mFile->WriteAt(kHeaderOpenFlag, words, flag ? 8 : 12) && mFile->Flush();
}

// Saves the committed images of the pages about to be overwritten, and the header, flushed, before
// any of them is written in place.
bool PageStore::WriteJournal() {
    uint32_t images = 0;
    for (CachedPage* page : mChangedPages)
        if (page->mNumber < mCommittedPageCount) ++images;
    if (!images) return true;
    StorageBytes bytes(kJournalFixed + kStoreHeaderSize + size_t(images) * (4 + kPageSize) + 8);
    Store32(bytes.data(), kJournalMagic);
    Store32(bytes.data() + 4, mCommittedPageCount);
    Store32(bytes.data() + 8, images);
    if (!mFile->ReadAt(0, bytes.data() + kJournalFixed, kStoreHeaderSize)) return false;
    uint8_t* image = bytes.data() + kJournalFixed + kStoreHeaderSize;
    for (CachedPage* page : mChangedPages) {
        if (page->mNumber >= mCommittedPageCount) continue;
        Store32(image, page->mNumber);
        if (!mFile->ReadAt(PageOffset(page->mNumber), image + 4, kPageSize)) return false;
        image += 4 + kPageSize;
    }
    const size_t sum = bytes.size() - 8;
    Store32(bytes.data() + sum, Checksum(bytes.data(), sum));
    Store32(bytes.data() + sum + 4, kJournalEnd);
    std::unique_ptr<StorageFile> journal = mFile->OpenJournal(true);
    return journal && journal->WriteAt(0, bytes.data(), uint32_t(bytes.size())) && journal->Flush();
}

bool PageStore::WriteChangedPages() {
    std::sort(mChangedPages.begin(), mChangedPages.end(),
              [](const CachedPage* a, const CachedPage* b) { return a->mNumber < b->mNumber; });
    for (CachedPage* page : mChangedPages)
        if (!mFile->WriteAt(PageOffset(page->mNumber), page->mBytes, kPageSize)) return false;
    return mFile->Flush();
}

bool PageStore::FinishPendingWork() {
    // Finishing may add work of its own (parked rows of one cursor land through another).
    while (!mPending.empty()) {
        PendingWork* work = mPending.back();
        mPending.pop_back();
        if (!work->FinishPending()) return false;
    }
    return true;
}

void PageStore::AddPending(PendingWork* work) {
    if (std::find(mPending.begin(), mPending.end(), work) == mPending.end())
        mPending.push_back(work);
}

void PageStore::RemovePending(PendingWork* work) {
    mPending.erase(std::remove(mPending.begin(), mPending.end(), work), mPending.end());
}

bool PageStore::Commit() {
    if (mClosed) return false;
    if (!FinishPendingWork()) return false;
    if (!mInTransaction) return true;
    if (!WriteJournal() || !WriteChangedPages() || !WriteHeaderWords(0)) {
        ReportError(2000, "The database file could not be written");
        return false;
    }
    mFile->RemoveJournal();
    for (CachedPage* page : mChangedPages) {
        page->mChanged = false;
        if (page->mPins == 0) LinkClean(page);
    }
    mChangedPages.clear();
    mCommittedPageCount = mPageCount;
    mCommittedCatalogRoot = mCatalogRoot;
    ++mTransaction;
    mInTransaction = false;
    mChainHead = kNoPage;
    return true;
}

// The committed images on disk are the state before the transaction: changed pages are read
// back (in place when someone holds them) and pages made since are dropped with the file's tail.
bool PageStore::Rollback() {
    if (mClosed) return false;
    for (PendingWork* work : mPending) work->DropPending();
    mPending.clear();
    bool ok = true;
    for (CachedPage* page : mChangedPages) {
        page->mChanged = false;
        if (page->mNumber < mCommittedPageCount && page->mPins > 0) {
            ok = mFile->ReadAt(PageOffset(page->mNumber), page->mBytes, kPageSize) && ok;
            mPurged[page->mNumber] = false;
        } else {
            if (page->mNumber < mPurged.size()) mPurged[page->mNumber] = false;
            DropPage(page);
        }
    }
    mChangedPages.clear();
    mPageCount = mCommittedPageCount;
    mCatalogRoot = mCommittedCatalogRoot;
    RootsMoved();
    if (mInTransaction && !mFile->IsReadOnly()) {
        ok = mFile->SetLength(PageOffset(mPageCount)) && WriteHeaderWords(0) && ok;
        mFile->RemoveJournal();
    }
    ++mTransaction;
    mInTransaction = false;
    mChainHead = kNoPage;
    if (!ok) ReportError(2000, "The database file could not be written");
    return ok;
}
