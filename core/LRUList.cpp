#include "LRUList.h"

namespace {
LRUListNode* sHead = nullptr;
LRUListNode* sTail = nullptr;
}  // namespace

LRUListNode::~LRUListNode() { Unlink(); }

LRUListNode* LRUListNode::Head() { return sHead; }
LRUListNode* LRUListNode::Tail() { return sTail; }

void LRUListNode::LinkAtHead() {
    if (mLinked) return;
    mLinked = true;
    mPrevious = nullptr;
    mNext = sHead;
    if (sHead)
        sHead->mPrevious = this;
    else
        sTail = this;
    sHead = this;
}

void LRUListNode::Unlink() {
    if (!mLinked) return;
    if (mPrevious)
        mPrevious->mNext = mNext;
    else
        sHead = mNext;
    if (mNext)
        mNext->mPrevious = mPrevious;
    else
        sTail = mPrevious;
    mPrevious = mNext = nullptr;
    mLinked = false;
}

void LRUListNode::Touch() {
    Unlink();
    LinkAtHead();
}
