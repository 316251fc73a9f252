// A hash map keyed by language strings, compared without regard to ASCII letter case, that also
// keeps its entries in insertion order. Iterators attached to the map survive the removal of the
// entry they stand on. The map does not own its values (pointers or 32-bit integers).
//
// Every key is converted to UTF-8 before it is hashed, compared or stored, so one text is one key
// whatever encoding it arrives in.
#pragma once

#include <cstddef>
#include <cstdint>

#include "FailureReport.h"
#include "GuardedMemory.h"
#include "RuntimeString.h"

template <typename V>
class StringMapIterator;

template <typename V>
class StringMap final : public RuntimeAllocated {
public:
    // Buckets are allocated on the first SetEntry. A count of 0 would leave nothing to take the
    // hash modulo, so it counts as 1.
    explicit StringMap(uint32_t bucketCount) : mBucketCount(bucketCount ? bucketCount : 1) {}
    ~StringMap();
    StringMap(const StringMap&) = delete;
    StringMap& operator=(const StringMap&) = delete;

    bool GetEntry(const string& key, V& value) const;
    bool HasEntry(const string& key) const;
    // Replaces the value of an equal key (the stored key keeps its letter case) or adds an entry.
    void SetEntry(const string& key, V value);
    bool RemoveEntry(const string& key);
    void Resize(uint32_t newSize);
    // Attached to this map; the caller deletes it (the map deletes those still attached when it dies).
    StringMapIterator<V>* NewIterator() { return new StringMapIterator<V>(this); }

    uint32_t Count() const { return mCount; }
    uint32_t BucketCount() const { return mBucketCount; }

    // Both work on UTF-8 keys. Letters fold in ASCII only, in the hash and in the compare alike:
    // a compare that folded more than the hash would join or split keys by where they happen to
    // land.
    static uint32_t Hash(const string& key);
    static bool KeysEqual(const string& a, const string& b);

private:
    friend class StringMapIterator<V>;

    struct Entry : RuntimeAllocated {
        Entry* nextInBucket;
        Entry* nextInOrder;
        string key;  // UTF-8
        V value;
    };

    uint32_t BucketOf(const string& key) const { return Hash(key) % mBucketCount; }
    static const string& LookupKey(const string& key, string& converted);
    Entry* Find(const string& utf8Key) const;
    void AllocateBuckets();
    void Detach(StringMapIterator<V>* iterator);

    uint32_t mBucketCount;
    uint32_t mCount = 0;
    Entry** mBuckets = nullptr;
    Entry* mFirst = nullptr;
    Entry* mLast = nullptr;
    StringMapIterator<V>* mIterators = nullptr;
};

template <typename V>
class StringMapIterator final : public RuntimeAllocated {
public:
    explicit StringMapIterator(StringMap<V>* p);
    ~StringMapIterator();
    StringMapIterator(const StringMapIterator&) = delete;
    StringMapIterator& operator=(const StringMapIterator&) = delete;

    // The next value in insertion order; false at the end.
    bool Next(V& value);
    // Removes the entry the iterator stands on; the next Next returns the one after it.
    void RemoveCurrent();
    // The (UTF-8) key of the entry the last Next returned.
    const string& CurrentKey() const { return mCurrent->key; }

private:
    friend class StringMap<V>;
    using Entry = typename StringMap<V>::Entry;

    StringMap<V>* mMap;
    bool mStarted = false;
    Entry* mCurrent = nullptr;
    StringMapIterator* mNextIterator = nullptr;
};

// --- StringMap ---

template <typename V>
uint32_t StringMap<V>::Hash(const string& key) {
    const char* bytes = key.CString();
    const int32_t length = key.Length();
    uint32_t h = 0;
    for (int32_t i = 0; i < length; ++i) {
        // Bytes from 0x80 up count as negative values.
        int32_t c = static_cast<signed char>(bytes[i]);
        if (c >= 'a' && c <= 'z') c -= 32;
        h = h * 31 + static_cast<uint32_t>(c);
    }
    return h;
}

template <typename V>
bool StringMap<V>::KeysEqual(const string& a, const string& b) {
    if (a.Record() == b.Record()) return true;
    const int32_t length = a.Length();
    if (length != b.Length()) return false;
    const unsigned char* x = reinterpret_cast<const unsigned char*>(a.CString());
    const unsigned char* y = reinterpret_cast<const unsigned char*>(b.CString());
    for (int32_t i = 0; i < length; ++i) {
        unsigned char p = x[i], q = y[i];
        if (p >= 'a' && p <= 'z') p -= 32;
        if (q >= 'a' && q <= 'z') q -= 32;
        if (p != q) return false;
    }
    return true;
}

template <typename V>
StringMap<V>::~StringMap() {
    if (mIterators) {
        DebugLog("WARNING: StringMap deleted with iterators still attached.", 10);
        while (mIterators) delete mIterators;  // each detaches itself
    }
    if (mIterators) ReportAssertion("stringmap", 203, "NULL == mIterators");
    for (Entry* entry = mFirst; entry;) {
        Entry* next = entry->nextInOrder;
        delete entry;
        entry = next;
    }
    GuardedDeleteArray(mBuckets);
}

template <typename V>
void StringMap<V>::AllocateBuckets() {
    // A count whose array the address space cannot hold goes to the allocator as a size it refuses.
    const uint64_t bytes = uint64_t(mBucketCount) * sizeof(Entry*);
    mBuckets = static_cast<Entry**>(GuardedNew(bytes > SIZE_MAX ? SIZE_MAX : size_t(bytes)));
    for (uint32_t i = 0; i < mBucketCount; ++i) mBuckets[i] = nullptr;
}

// A lookup takes a UTF-8 key as it is, and an ASCII-tagged key whose bytes are all ASCII too,
// since its UTF-8 form has the very same bytes; any other key is converted into converted.
template <typename V>
const string& StringMap<V>::LookupKey(const string& key, string& converted) {
    const uint32_t tag = key.Encoding();
    if (tag == kEncodingUTF8 || (tag == kEncodingASCII && key.IsASCII())) return key;
    converted = key.ToUTF8();
    return converted;
}

template <typename V>
typename StringMap<V>::Entry* StringMap<V>::Find(const string& utf8Key) const {
    if (!mBuckets) return nullptr;
    for (Entry* entry = mBuckets[BucketOf(utf8Key)]; entry; entry = entry->nextInBucket)
        if (KeysEqual(entry->key, utf8Key)) return entry;
    return nullptr;
}

template <typename V>
bool StringMap<V>::GetEntry(const string& key, V& value) const {
    if (!mBuckets) return false;
    string converted;
    Entry* entry = Find(LookupKey(key, converted));
    if (!entry) return false;
    value = entry->value;
    return true;
}

template <typename V>
bool StringMap<V>::HasEntry(const string& key) const {
    string converted;
    return mBuckets && Find(LookupKey(key, converted));
}

template <typename V>
void StringMap<V>::SetEntry(const string& key, V value) {
    string utf8 = key.ToUTF8();
    if (!mBuckets) AllocateBuckets();
    const uint32_t bucket = BucketOf(utf8);
    for (Entry* entry = mBuckets[bucket]; entry; entry = entry->nextInBucket) {
        if (KeysEqual(entry->key, utf8)) {
            entry->value = value;
            return;
        }
    }
    Entry* entry = new Entry{{}, mBuckets[bucket], nullptr, static_cast<string&&>(utf8), value};
    mBuckets[bucket] = entry;
    if (mLast)
        mLast->nextInOrder = entry;
    else
        mFirst = entry;
    mLast = entry;
    ++mCount;
    if (mCount > (mBucketCount * 3) / 4) Resize(mBucketCount * 2);
}

template <typename V>
void StringMap<V>::Resize(uint32_t newSize) {
    if (newSize == 0) {
        ReportAssertion("stringmap", 137, "newSize > 0");
        return;
    }
    if (newSize == mBucketCount) return;
    mBucketCount = newSize;
    if (!mBuckets) return;
    GuardedDeleteArray(mBuckets);
    AllocateBuckets();
    for (Entry* entry = mFirst; entry; entry = entry->nextInOrder) {
        const uint32_t bucket = BucketOf(entry->key);
        entry->nextInBucket = mBuckets[bucket];
        mBuckets[bucket] = entry;
    }
}

template <typename V>
bool StringMap<V>::RemoveEntry(const string& key) {
    if (!mBuckets) return false;
    string converted;
    const string& utf8 = LookupKey(key, converted);

    Entry* inHash = nullptr;
    for (Entry** link = &mBuckets[BucketOf(utf8)]; *link; link = &(*link)->nextInBucket) {
        if (KeysEqual((*link)->key, utf8)) {
            inHash = *link;
            *link = inHash->nextInBucket;
            break;
        }
    }

    Entry* previous = nullptr;
    Entry* inOrder = mFirst;
    while (inOrder && !(inHash ? inOrder == inHash : KeysEqual(inOrder->key, utf8))) {
        previous = inOrder;
        inOrder = inOrder->nextInOrder;
    }
    if ((inHash != nullptr) != (inOrder != nullptr))
        ReportAssertion("stringmap", 176, "foundInHash == foundInOrder");

    Entry* removed = inOrder ? inOrder : inHash;
    if (!removed) return false;

    // Every iterator on the entry moves to its successor, started or not: one left on the freed
    // entry would step from freed memory.
    for (StringMapIterator<V>* it = mIterators; it; it = it->mNextIterator) {
        if (it->mCurrent == removed) {
            it->mCurrent = removed->nextInOrder;
            it->mStarted = false;
        }
    }

    if (inOrder) {
        if (previous)
            previous->nextInOrder = inOrder->nextInOrder;
        else
            mFirst = inOrder->nextInOrder;
        if (mLast == inOrder) mLast = previous;
    }
    delete removed;
    --mCount;
    return true;
}

template <typename V>
void StringMap<V>::Detach(StringMapIterator<V>* iterator) {
    for (StringMapIterator<V>** link = &mIterators; *link; link = &(*link)->mNextIterator) {
        if (*link == iterator) {
            *link = iterator->mNextIterator;
            iterator->mNextIterator = nullptr;
            return;
        }
    }
}

// --- StringMapIterator ---

template <typename V>
StringMapIterator<V>::StringMapIterator(StringMap<V>* p) : mMap(p) {
    if (!p) {
        ReportAssertion("stringmap", 251, "p");
        return;
    }
    mCurrent = p->mFirst;
    mNextIterator = p->mIterators;
    p->mIterators = this;
}

template <typename V>
StringMapIterator<V>::~StringMapIterator() {
    if (!mMap) {
        ReportAssertion("stringmap", 263, "map");
        return;
    }
    mMap->Detach(this);
}

template <typename V>
bool StringMapIterator<V>::Next(V& value) {
    if (!mStarted)
        mStarted = true;
    else if (mCurrent)
        mCurrent = mCurrent->nextInOrder;
    if (!mCurrent) return false;
    value = mCurrent->value;
    return true;
}

template <typename V>
void StringMapIterator<V>::RemoveCurrent() {
    if (!mMap || !mStarted || !mCurrent) return;
    Entry* removed = mCurrent;
    mCurrent = removed->nextInOrder;
    mStarted = false;
    const string key = removed->key;  // the entry and its key die inside RemoveEntry
    mMap->RemoveEntry(key);
}
