#include "MemoryManager.h"

#include <cstring>

#include "core/FailureReport.h"

namespace {

constexpr const char* kSource = "MemoryManager";

MemoryManagerNode* NewNode(int32_t capacity) {
    // One block: the node, then its bytes.
    void* block = GuardedNew(sizeof(MemoryManagerNode) + static_cast<size_t>(capacity));
    MemoryManagerNode* node = static_cast<MemoryManagerNode*>(block);
    node->data = static_cast<uint8_t*>(block) + sizeof(MemoryManagerNode);
    node->capacity = capacity;
    node->readPosition = 0;
    node->writePosition = 0;
    node->mNext = nullptr;
    node->mPrev = nullptr;
    return node;
}

int32_t CopyInto(MemoryManagerNode* node, const uint8_t* bytes, int32_t count) {
    int32_t room = node->capacity - node->writePosition;
    int32_t n = count < room ? count : room;
    if (n > 0) std::memcpy(node->data + node->writePosition, bytes, static_cast<size_t>(n));
    node->writePosition += n;
    return n;
}

}  // namespace

MemoryManager::~MemoryManager() {
    Clear();
    for (uint32_t i = 0; i < mFreeNodes.size(); ++i) GuardedDelete(mFreeNodes[i]);
    mFreeNodes.set_capacity(0);
}

MemoryManagerNode* MemoryManager::TakeNode() {
    if (mFreeNodes.size() == 0) return NewNode(mNodeSize);
    MemoryManagerNode* node = mFreeNodes.pop_back();
    node->readPosition = 0;
    node->writePosition = 0;
    node->mNext = nullptr;
    node->mPrev = nullptr;
    return node;
}

void MemoryManager::FreeNode(MemoryManagerNode* node) { mFreeNodes.push_back(node); }

void MemoryManager::Append(const void* bytes, int32_t count) {
    const uint8_t* source = static_cast<const uint8_t*>(bytes);
    if (count < 0) count = 0;
    if (!mTail) {
        if (mHead) ReportAssertion(kSource, 60, "not mHead");
        mTail = TakeNode();
        mHead = mTail;
        if (mTail->mNext) ReportAssertion(kSource, 63, "not mTail->mNext");
        if (mTail->mPrev) ReportAssertion(kSource, 64, "not mTail->mPrev");
    }
    if (!mTail) {
        ReportAssertion(kSource, 67, "mTail");
        return;
    }
    int32_t copied = CopyInto(mTail, source, count);
    while (copied < count) {
        MemoryManagerNode* newNode = TakeNode();
        if (newNode->mNext) ReportAssertion(kSource, 73, "not newNode->mNext");
        if (newNode->mPrev) ReportAssertion(kSource, 74, "not newNode->mPrev");
        mTail->mNext = newNode;
        newNode->mPrev = mTail;
        mTail = newNode;
        copied += CopyInto(newNode, source + copied, count - copied);
    }
    mTotal += count;
}

const uint8_t* MemoryManager::PeekContiguous(int32_t* amountOfData) const {
    if (!amountOfData) {
        ReportAssertion(kSource, 85, "amountOfData");
        ReportAssertion(kSource, 86, "howManyBytes");
        return nullptr;
    }
    if (!mHead) {
        *amountOfData = 0;
        return nullptr;
    }
    *amountOfData = mHead->writePosition - mHead->readPosition;
    return mHead->data + mHead->readPosition;
}

void MemoryManager::Unlink(MemoryManagerNode* node) {
    if (node->mPrev) node->mPrev->mNext = node->mNext;
    if (node->mNext) node->mNext->mPrev = node->mPrev;
    if (mHead == node) mHead = node->mNext;
    if (mTail == node) mTail = node->mPrev;
    node->mNext = nullptr;
    node->mPrev = nullptr;
}

void MemoryManager::Consume(int32_t count) {
    int32_t consumed = 0;
    MemoryManagerNode* node = mHead;
    while (node) {
        const int32_t available = node->writePosition - node->readPosition;
        const int32_t wanted = count - consumed;
        const int32_t take = wanted < available ? (wanted > 0 ? wanted : 0) : available;
        if (take < available) {
            node->readPosition += take;
            consumed += take;
            break;
        }
        consumed += take;
        MemoryManagerNode* next = node->mNext;
        Unlink(node);
        FreeNode(node);
        node = next;
    }
    mTotal -= consumed;
}

int32_t MemoryManager::Read(void* buffer, int32_t count, bool remove) {
    uint8_t* target = static_cast<uint8_t*>(buffer);
    int32_t copied = 0;
    for (MemoryManagerNode* node = mHead; node && copied < count; node = node->mNext) {
        int32_t n = node->writePosition - node->readPosition;
        if (n > count - copied) n = count - copied;
        if (n > 0)
            std::memcpy(target + copied, node->data + node->readPosition, static_cast<size_t>(n));
        copied += n;
    }
    if (remove) Consume(copied);
    return copied;
}

void MemoryManager::Clear() {
    MemoryManagerNode* node = mHead;
    while (node) {
        MemoryManagerNode* next = node->mNext;
        node->mNext = nullptr;
        node->mPrev = nullptr;
        FreeNode(node);
        node = next;
    }
    mHead = nullptr;
    mTail = nullptr;
    mTotal = 0;
}
