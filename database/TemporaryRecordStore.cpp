#include "TemporaryRecordStore.h"

#include "files/DataFile.h"

TemporaryRecordStore* TemporaryRecordStore::Create() {
    DataFile* index = NewDataFile();
    DataFile* data = NewDataFile();
    if (index && data && index->CreateTemporary(string()) && data->CreateTemporary(string()))
        return new TemporaryRecordStore(index, data);
    delete index;
    delete data;
    return nullptr;
}

TemporaryRecordStore::~TemporaryRecordStore() {
    delete mIndex;
    delete mData;
}

DataFile* TemporaryRecordStore::AppendRecord() {
    const int32_t offset = mData->Length();
    if (!mData->SetPosition(offset) || !mIndex->SetPosition(4 * mCount) || !mIndex->Write(&offset, 4))
        return nullptr;
    ++mCount;
    return mData;
}

DataFile* TemporaryRecordStore::GetRecord(int32_t i) {
    if (i < 0 || i >= mCount) return nullptr;
    int32_t offset = 0;
    int32_t count = 0;
    if (!mIndex->SetPosition(4 * i) || !mIndex->Read(&offset, 4, &count) || count != 4 ||
        !mData->SetPosition(offset))
        return nullptr;
    return mData;
}
