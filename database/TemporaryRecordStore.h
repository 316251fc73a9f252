// An append-only store of byte records in two temporary data files: the records back to back in
// one, the 4-byte offset of each (machine byte order) in the other, so that any record is two
// seeks away. The files are removed when the store is deleted, or at the end of the application.
#pragma once

#include <cstdint>

#include "core/GuardedMemory.h"

class DataFile;

class TemporaryRecordStore final : public RuntimeAllocated {
public:
    // Null when either file cannot be opened.
    static TemporaryRecordStore* Create();
    ~TemporaryRecordStore();
    TemporaryRecordStore(const TemporaryRecordStore&) = delete;
    TemporaryRecordStore& operator=(const TemporaryRecordStore&) = delete;

    // Starts a new record: the data file positioned at its end for the caller to write the
    // record; null when the index cannot be written (the count then stays).
    DataFile* AppendRecord();
    // The data file positioned at the start of record i (0-based); null outside the records or
    // when a read fails.
    DataFile* GetRecord(int32_t i);
    int32_t Count() const { return mCount; }

private:
    TemporaryRecordStore(DataFile* index, DataFile* data) : mIndex(index), mData(data) {}

    int32_t mCount = 0;
    DataFile* mIndex;
    DataFile* mData;
};
