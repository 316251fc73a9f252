#include <gtest/gtest.h>

#include "FailureRecorder.h"
#include "core/ExitCodes.h"
#include "core/GuardedMemory.h"
#include "core/Platform.h"
#include "core/SmallBlockAllocator.h"

namespace {

// Empties one size class's free list so that the next allocation of that class is carved fresh.
void DrainFreeList(int sizeClass) {
    while (AllocatorFreeListHead(sizeClass)) AllocateMemory(sizeClass * 4, 0);
}

}  // namespace

TEST(SmallBlockAllocator, NonPositiveSizesGiveNullAndCountNothing) {
    const int32_t before = SmallBlockBytesInUse();
    EXPECT_EQ(AllocateMemory(0, 0), nullptr);
    EXPECT_EQ(AllocateMemory(-5, 1), nullptr);
    EXPECT_EQ(SmallBlockBytesInUse(), before);
}

TEST(SmallBlockAllocator, FreedBlockIsReusedBySameClassAndCounted) {
    DrainFreeList(2);
    const int32_t before = SmallBlockBytesInUse();
    void* five = AllocateMemory(5, 0);
    EXPECT_EQ(SmallBlockBytesInUse(), before + 5);
    FreeMemory(five, 5);
    EXPECT_EQ(SmallBlockBytesInUse(), before);
    EXPECT_EQ(AllocatorFreeListHead(2), five);
    void* eight = AllocateMemory(8, 0);
    EXPECT_EQ(eight, five);
    EXPECT_EQ(SmallBlockBytesInUse(), before + 8);
    FreeMemory(eight, 8);
}

TEST(SmallBlockAllocator, LastFreedIsFirstReused) {
    void* a = AllocateMemory(40, 0);
    void* b = AllocateMemory(40, 0);
    FreeMemory(a, 40);
    FreeMemory(b, 40);
    EXPECT_EQ(AllocateMemory(40, 0), b);
    EXPECT_EQ(AllocateMemory(40, 0), a);
}

TEST(SmallBlockAllocator, BoundaryBetweenListsAndHeap) {
    DrainFreeList(63);
    const int32_t before = SmallBlockBytesInUse();
    void* small = AllocateMemory(252, 0);
    EXPECT_EQ(SmallBlockBytesInUse(), before + 252);
    void* large = AllocateMemory(253, 0);
    EXPECT_EQ(SmallBlockBytesInUse(), before + 252);
    FreeMemory(large, 253);
    EXPECT_EQ(SmallBlockBytesInUse(), before + 252);
    FreeMemory(small, 252);
    EXPECT_EQ(AllocatorFreeListHead(63), small);
    EXPECT_EQ(SmallBlockBytesInUse(), before);
}

TEST(SmallBlockAllocator, ChunkRemainderTooSmallIsAbandoned) {
    DrainFreeList(1);
    DrainFreeList(4);
    // Walk the current chunk down with the smallest blocks until fewer than 16 bytes are left.
    while (AllocatorChunkBytesLeft() >= 16 || AllocatorChunkBytesLeft() == 0) AllocateMemory(1, 0);
    const int32_t remainder = AllocatorChunkBytesLeft();
    ASSERT_GT(remainder, 0);
    char* block = static_cast<char*>(AllocateMemory(16, 0));
    EXPECT_EQ(AllocatorChunkBytesLeft(), kAllocatorChunkSize - 16);
    // The abandoned bytes are never handed out: the next small block comes from the new chunk.
    EXPECT_EQ(static_cast<char*>(AllocateMemory(1, 0)), block + 16);
}

TEST(SmallBlockAllocator, FreeingABlockLeavesItsNeighbourAlone) {
    DrainFreeList(1);
    DrainFreeList(2);
    auto* first = static_cast<unsigned char*>(AllocateMemory(1, 0));
    auto* second = static_cast<unsigned char*>(AllocateMemory(4, 0));
    second[0] = 0xAB;
    second[3] = 0xCD;
    FreeMemory(first, 1);
    EXPECT_EQ(second[0], 0xAB);
    EXPECT_EQ(second[3], 0xCD);
    FreeMemory(second, 4);
}

TEST(SmallBlockAllocator, ClassesAreFourBytesApart) {
    DrainFreeList(3);
    DrainFreeList(4);
    if (AllocatorChunkBytesLeft() < 64) AllocateMemory(252, 0);
    char* nine = static_cast<char*>(AllocateMemory(9, 0));
    char* next = static_cast<char*>(AllocateMemory(13, 0));
    EXPECT_EQ(next - nine, 12);
}

TEST(SmallBlockAllocatorDeathTest, OversizedGuardedRequestEndsWithOutOfMemoryCode) {
    EXPECT_EXIT(GuardedNew(static_cast<size_t>(-1) - 4), testing::ExitedWithCode(kExitOutOfMemory),
                "run out of memory and must quit now");
}

#ifndef _WIN64
TEST(SmallBlockAllocatorDeathTest, HeapFailureMayFailOrMustNot) {
    EXPECT_EQ(AllocateMemory(0x7FFFFFF0, 1), nullptr);
    EXPECT_EXIT(AllocateMemory(0x7FFFFFF0, 0), testing::ExitedWithCode(kExitOutOfMemory),
                "run out of memory");
}
#endif

TEST(SmallBlockAllocator, ByteCountsNeverWrap) {
    const struct {
        int64_t count;
        int32_t elementSize;
        int32_t bytes;
    } cases[] = {
        {0, 4, 0},           {3, 4, 12},          {0x1FFFFFFF, 4, 0x7FFFFFFC},
        {0x20000000, 4, -1}, {0x40000001, 4, -1}, {0x7FFFFFFF, 8, -1},
        {0x7FFFFFFF, 1, 0x7FFFFFFF}, {-1, 4, -1}, {0x100000001, 1, -1},
    };
    for (const auto& c : cases)
        EXPECT_EQ(ByteCountOf(c.count, c.elementSize), c.bytes) << c.count << " x " << c.elementSize;
}

// Element counts whose byte size would wrap to a short block end the process as out of memory.
TEST(SmallBlockAllocatorDeathTest, ElementCountsThatWrapEndWithOutOfMemoryCode) {
    // Each case starts a process: the byte counts themselves are ByteCountsNeverWrap's table.
    EXPECT_EXIT(GuardedNewElements(0x40000001, 4), testing::ExitedWithCode(kExitOutOfMemory),
                "run out of memory");
    EXPECT_EXIT(MultiByteToWide("", 0x7FFFFFFF, nullptr, CP_ACP),
                testing::ExitedWithCode(kExitOutOfMemory), "run out of memory");
    void* block = GuardedNewElements(3, 4);
    EXPECT_EQ(GuardedBlockSize(block), 12u);
    GuardedDelete(block);
}
