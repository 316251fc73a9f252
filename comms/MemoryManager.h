// The byte queue of the socket cores: a first-in, first-out queue of bytes held in 1 MB nodes.
// Writes of any size are taken at once, the sender hands the platform the first node's bytes
// without copying, and readers take or look at bytes that arrived in several pieces. Emptied nodes
// are kept for reuse (most recently freed first) until the queue is destroyed.
//
// Pure logic: no platform calls, so it is also built and checked natively.
#pragma once

#include <cstdint>

#include "core/GuardedMemory.h"
#include "core/SimpleVector.h"

struct MemoryManagerNode : RuntimeAllocated {
    uint8_t* data;  // capacity bytes, allocated with the node
    int32_t capacity;
    int32_t readPosition;
    int32_t writePosition;
    MemoryManagerNode* mNext;
    MemoryManagerNode* mPrev;
};

class MemoryManager : public RuntimeAllocated {
public:
    static constexpr int32_t kNodeSize = 0x100000;

    MemoryManager() = default;
    ~MemoryManager();
    MemoryManager(const MemoryManager&) = delete;
    MemoryManager& operator=(const MemoryManager&) = delete;

    // Copies count bytes to the end of the queue.
    void Append(const void* bytes, int32_t count);
    // The unread bytes of the first node and, in amountOfData, how many follow there contiguously;
    // null and 0 without a node. Nothing is removed.
    const uint8_t* PeekContiguous(int32_t* amountOfData) const;
    // Removes up to count bytes from the front; emptied nodes go to the free list.
    void Consume(int32_t count);
    // Copies up to count bytes from the front into buffer and returns how many; removes them when
    // remove is true.
    int32_t Read(void* buffer, int32_t count, bool remove);
    // Empties the queue; its nodes go to the free list.
    void Clear();

    int32_t Total() const { return mTotal; }
    bool IsEmpty() const { return mTotal == 0; }

    MemoryManagerNode* mHead = nullptr;
    MemoryManagerNode* mTail = nullptr;
    int32_t mNodeSize = kNodeSize;
    int32_t mTotal = 0;
    SimpleVector<MemoryManagerNode*> mFreeNodes;

private:
    MemoryManagerNode* TakeNode();
    void FreeNode(MemoryManagerNode* node);
    void Unlink(MemoryManagerNode* node);
};
