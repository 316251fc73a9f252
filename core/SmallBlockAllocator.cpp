#include "SmallBlockAllocator.h"

#include <cstdlib>

#include "ExitCodes.h"
#include "FailureReport.h"
#include "RuntimeLock.h"

namespace {

struct FreeListLink {
    FreeListLink* next;
};

constinit RuntimeLock sAllocatorLock;
FreeListLink* sFreeLists[kSizeClassCount];
char* sChunkNext;
int32_t sChunkBytesLeft;
int32_t sBytesInUse;
OutOfMemoryHook sOutOfMemoryHook = nullptr;

// Held as a length-prefixed text, as the fatal-message routine takes it.
const char kOutOfMemoryText[] = "\x39This application has run out of memory and must quit now.";

RuntimeLock& AllocatorLock() {
    if (!sAllocatorLock.Exists()) InitAllocatorLock();
    return sAllocatorLock;
}

}  // namespace

[[noreturn]] static void OutOfMemory(bool reportAssertion) {
    if (sOutOfMemoryHook) sOutOfMemoryHook();
    ShowFatalMessage(kOutOfMemoryText + 1);
    if (reportAssertion) ReportAssertion("utility", 1058, "0");
    EndProcess(kExitOutOfMemory);
}

void ExitOutOfMemory() { OutOfMemory(false); }

void SetOutOfMemoryHook(OutOfMemoryHook hook) { sOutOfMemoryHook = hook; }

void InitAllocatorLock() { sAllocatorLock.Create(); }

void* AllocateMemory(int32_t size, int32_t mayFail) {
    if (size <= 0) return nullptr;
    if (size <= kLargestSmallBlock) return AllocateSmallBlock(size, mayFail);
    return AllocateBlock(size, mayFail);
}

void* AllocateSmallBlock(int32_t size, int32_t mayFail) {
    const int sizeClass = SizeClassOf(size);
    // A free block holds its list link, which outgrows a 4-byte block where pointers are wider.
    const int32_t blockBytes =
        sizeClass * 4 < int32_t(sizeof(FreeListLink)) ? int32_t(sizeof(FreeListLink)) : sizeClass * 4;
    RuntimeLock& lock = AllocatorLock();
    lock.Enter();
    sBytesInUse += size;
    if (FreeListLink* head = sFreeLists[sizeClass]) {
        sFreeLists[sizeClass] = head->next;
        lock.Leave();
        return head;
    }
    if (sChunkBytesLeft < blockBytes) {
        // The old chunk's remainder is abandoned: blocks never span chunks or change class.
        char* chunk = static_cast<char*>(std::malloc(kAllocatorChunkSize));
        if (!chunk) {
            sBytesInUse -= size;
            lock.Leave();
            if (mayFail == 1) return nullptr;
            OutOfMemory(false);
        }
        sChunkNext = chunk;
        sChunkBytesLeft = kAllocatorChunkSize;
    }
    void* block = sChunkNext;
    sChunkNext += blockBytes;
    sChunkBytesLeft -= blockBytes;
    lock.Leave();
    return block;
}

void* AllocateBlock(int32_t size, int32_t mayFail) {
    RuntimeLock& lock = AllocatorLock();
    lock.Enter();
    void* block = std::malloc(static_cast<size_t>(size));
    lock.Leave();
    if (!block && mayFail != 1) OutOfMemory(true);
    return block;
}

void FreeMemory(void* block, int32_t size) {
    if (!block) return;
    const int sizeClass = SizeClassOf(size);
    if (sizeClass <= 0) return;  // no block is ever made at such a size
    if (sizeClass >= kSizeClassCount) {
        FreeBlock(block);
        return;
    }
    RuntimeLock& lock = AllocatorLock();
    lock.Enter();
    sBytesInUse -= size;
    auto* link = static_cast<FreeListLink*>(block);
    link->next = sFreeLists[sizeClass];
    sFreeLists[sizeClass] = link;
    lock.Leave();
}

void FreeBlock(void* block) {
    RuntimeLock& lock = AllocatorLock();
    lock.Enter();
    std::free(block);
    lock.Leave();
}

int32_t SmallBlockBytesInUse() { return sBytesInUse; }
int32_t AllocatorChunkBytesLeft() { return sChunkBytesLeft; }
void* AllocatorFreeListHead(int sizeClass) {
    return sizeClass > 0 && sizeClass < kSizeClassCount ? sFreeLists[sizeClass] : nullptr;
}
