// The runtime's allocator: sizes up to 252 bytes come from per-size free lists fed from 8 KB chunks,
// larger sizes from the C library's heap. FreeMemory must be given the size the block was made with.
#pragma once

#include <cstdint>

constexpr int32_t kLargestSmallBlock = 252;
constexpr int32_t kAllocatorChunkSize = 8192;
constexpr int kSizeClassCount = 64;

// mayFail == 1 lets the call return null when memory is out; any other value ends the process.
void* AllocateMemory(int32_t size, int32_t mayFail);
void* AllocateSmallBlock(int32_t size, int32_t mayFail);
void* AllocateBlock(int32_t size, int32_t mayFail);
void FreeMemory(void* block, int32_t size);
void FreeBlock(void* block);
void InitAllocatorLock();

// Ends drawing, shows the out-of-memory text and ends the process: for any allocation that may not
// fail and found no memory.
[[noreturn]] void ExitOutOfMemory();
// What runs first when memory is out, before the text is shown: start-up installs the window
// system's end of all drawing, so that the text can be painted. By default nothing runs.
using OutOfMemoryHook = void (*)();
void SetOutOfMemoryHook(OutOfMemoryHook hook);

// Bytes of small blocks in use, as requested (not rounded to their class); heap blocks not counted.
int32_t SmallBlockBytesInUse();

// What the allocator holds now, for tests: the bytes left in the current chunk and the block at the
// head of one size class's free list.
int32_t AllocatorChunkBytesLeft();
void* AllocatorFreeListHead(int sizeClass);

inline int SizeClassOf(int32_t size) { return (size + 3) / 4; }

// The bytes of count elements of elementSize bytes each, worked out without wrapping: -1 when the
// count is negative or the product is beyond an allocation size, which every allocator refuses.
inline int32_t ByteCountOf(int64_t count, int32_t elementSize) {
    if (count < 0 || elementSize < 0) return -1;
    const int64_t bytes = count * elementSize;
    return bytes > INT32_MAX ? -1 : static_cast<int32_t>(bytes);
}
