// The base of objects kept in one global least-recently-used order: picture implementations and
// database pages. The head is the most recently used.
#pragma once

#include <cstdint>

class LRUListNode {
public:
    LRUListNode() = default;
    virtual ~LRUListNode();
    LRUListNode(const LRUListNode&) = delete;
    LRUListNode& operator=(const LRUListNode&) = delete;

    void LinkAtHead();
    void Unlink();
    void Touch();  // used now: moves to the head

    bool IsLinked() const { return mLinked; }
    LRUListNode* Previous() const { return mPrevious; }
    LRUListNode* Next() const { return mNext; }

    static LRUListNode* Head();
    static LRUListNode* Tail();

private:
    bool mLinked = false;
    LRUListNode* mPrevious = nullptr;
    LRUListNode* mNext = nullptr;
};
