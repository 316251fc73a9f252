#include <gtest/gtest.h>

#include <vector>

#include "FailureRecorder.h"
#include "QueueModelCheck.h"
#include "comms/MemoryManager.h"

namespace {

std::vector<uint8_t> Bytes(int32_t count, uint8_t first = 0) {
    std::vector<uint8_t> bytes(static_cast<size_t>(count));
    for (int32_t i = 0; i < count; ++i) bytes[i] = static_cast<uint8_t>(first + i);
    return bytes;
}

int32_t NodeCount(const MemoryManager& queue) {
    int32_t count = 0;
    for (MemoryManagerNode* node = queue.mHead; node; node = node->mNext) ++count;
    return count;
}

TEST(MemoryManager, PartlyReadTailKeepsWritingAtItsWritePosition) {
    MemoryManager queue;
    queue.Append(Bytes(10).data(), 10);
    queue.Consume(4);
    queue.Append(Bytes(10, 10).data(), 10);
    ASSERT_EQ(queue.mHead, queue.mTail);
    EXPECT_EQ(queue.mTail->writePosition, 20);
    EXPECT_EQ(queue.mTail->readPosition, 4);
    EXPECT_EQ(queue.Total(), 16);
    int32_t length = 0;
    const uint8_t* piece = queue.PeekContiguous(&length);
    EXPECT_EQ(length, 16);
    EXPECT_EQ(piece[0], 4);
    EXPECT_EQ(piece[15], 19);
}

TEST(MemoryManager, ThreeMillionBytesFillThreeNodesAndPeekReturnsTheFirst) {
    MemoryManager queue;
    std::vector<uint8_t> bytes = Bytes(3000000);
    queue.Append(bytes.data(), 3000000);
    ASSERT_EQ(NodeCount(queue), 3);
    EXPECT_EQ(queue.mHead->writePosition, 1048576);
    EXPECT_EQ(queue.mHead->mNext->writePosition, 1048576);
    EXPECT_EQ(queue.mTail->writePosition, 902848);
    int32_t length = 0;
    queue.PeekContiguous(&length);
    EXPECT_EQ(length, 1048576);
    std::vector<uint8_t> back(3000000);
    EXPECT_EQ(queue.Read(back.data(), 3000000, true), 3000000);
    EXPECT_EQ(back, bytes);
    EXPECT_EQ(queue.mFreeNodes.size(), 3u);
}

TEST(MemoryManager, ReadBeyondTheTotalCopiesWhatThereIs) {
    MemoryManager queue;
    queue.Append("abc", 3);
    char buffer[5] = {};
    EXPECT_EQ(queue.Read(buffer, 5, false), 3);
    EXPECT_EQ(queue.Total(), 3);
    EXPECT_EQ(queue.Read(buffer, 5, true), 3);
    EXPECT_EQ(std::string(buffer, 3), "abc");
    EXPECT_EQ(queue.Total(), 0);
    EXPECT_EQ(queue.mHead, nullptr);
    EXPECT_EQ(queue.mFreeNodes.size(), 1u);
}

TEST(MemoryManager, ClearThenAppendReusesTheLastFreedNode) {
    MemoryManager queue;
    std::vector<uint8_t> bytes = Bytes(1048576 + 5);
    queue.Append(bytes.data(), static_cast<int32_t>(bytes.size()));
    MemoryManagerNode* second = queue.mTail;
    queue.Clear();
    EXPECT_EQ(queue.mFreeNodes.size(), 2u);
    queue.Append("xy", 2);
    EXPECT_EQ(queue.mHead, second);
    EXPECT_EQ(second->readPosition, 0);
    EXPECT_EQ(second->writePosition, 2);
    EXPECT_EQ(second->mNext, nullptr);
    EXPECT_EQ(second->mPrev, nullptr);
    EXPECT_EQ(queue.Total(), 2);
}

TEST(MemoryManager, EmptyNodesAreRecycledByAnyConsume) {
    MemoryManager queue;
    queue.Append("", 0);  // leaves one empty node in the chain
    ASSERT_NE(queue.mHead, nullptr);
    queue.Consume(0);
    EXPECT_EQ(queue.mHead, nullptr);
    EXPECT_EQ(queue.mTail, nullptr);
    EXPECT_EQ(queue.mFreeNodes.size(), 1u);
    int32_t length = 7;
    EXPECT_EQ(queue.PeekContiguous(&length), nullptr);
    EXPECT_EQ(length, 0);
    // A consume beyond the total lowers it only by what was there.
    queue.Append("abcd", 4);
    queue.Consume(100);
    EXPECT_EQ(queue.Total(), 0);
}

TEST(MemoryManager, PeekWithoutItsOutArgumentIsReported) {
    FailureRecorder recorder;
    MemoryManager queue;
    queue.Append("a", 1);
    EXPECT_EQ(queue.PeekContiguous(nullptr), nullptr);
    ASSERT_EQ(recorder.Count(), 2u);
    EXPECT_EQ(recorder.Reports()[0].condition, "amountOfData");
    EXPECT_EQ(recorder.Reports()[1].condition, "howManyBytes");
    EXPECT_EQ(recorder.Last().file, "MemoryManager");
}

TEST(MemoryManager, RandomOperationsMatchADeque) {
    for (uint32_t seed = 1; seed <= 20; ++seed) {
        EXPECT_EQ(RunQueueModelCheck(seed, 400, 64), "");
    }
    EXPECT_EQ(RunQueueModelCheck(99, 60, MemoryManager::kNodeSize), "");
}

}  // namespace
