#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "RaisedExceptions.h"
#include "core/DefinitionConversion.h"
#include "files/BinaryStream.h"
#include "files/MemoryBlockStream.h"
#include "values/MemoryBlock.h"

#undef EOF

namespace {

using Bytes = std::vector<unsigned char>;

Bytes Contents(ObjectHeader* block) {
    const MemoryBlockObject* b = MemoryBlockFields(block);
    return Bytes(b->data, b->data + b->size);
}

ObjectHeader* BlockOf(const Bytes& bytes) {
    ObjectHeader* block = newMemoryBlock(static_cast<int32_t>(bytes.size()));
    if (!bytes.empty()) std::memcpy(MemoryBlockFields(block)->data, bytes.data(), bytes.size());
    return block;
}

ObjectHeader* StreamOn(ObjectHeader* block) {
    ObjectHeader* stream = CreateInstance(GetBinaryStreamDefinition());
    BinaryStringMemoryBlockCtor(stream, block);
    return stream;
}

// Writing grows the block by at least 32 bytes at a time; Close trims it to what was written.
TEST(MemoryBlockStream, WritingGrowsTheBlockAndCloseTrimsIt) {
    ObjectHeader* block = BlockOf({});
    MemoryBlockFields(block)->LittleEndian = 0;
    ObjectHeader* stream = StreamOn(block);
    BinaryStreamWriteLong(stream, 0x01020304);
    BinaryStreamWriteByte(stream, 5);
    EXPECT_EQ(memoryBlockGetSize(block, 0), 32);
    EXPECT_EQ(BinaryStreamGetLength(stream, 0), 5);
    EXPECT_EQ(block->refCount, 2);  // the stream's reference
    BinaryStreamClose(stream);
    EXPECT_EQ(block->refCount, 1);
    EXPECT_EQ(Contents(block), (Bytes{1, 2, 3, 4, 5}));
    RuntimeUnlockObject(stream);

    // A write far past the end grows by the block's size and the write together.
    struct Case {
        int32_t size, position, count, grownTo;
    };
    for (const Case& c : {Case{10, 0, 10, 42}, Case{10, 10, 100, 142}, Case{100, 50, 60, 200}}) {
        MemoryBlockStream raw;
        ObjectHeader* sized = newMemoryBlock(c.size);
        raw.Attach(sized);
        raw.SetPosition(c.position);
        const std::string bytes(static_cast<size_t>(c.count), 'w');
        EXPECT_TRUE(raw.Write(bytes.data(), c.count));
        EXPECT_EQ(memoryBlockGetSize(sized, 0), c.grownTo) << c.size << " " << c.count;
        EXPECT_EQ(raw.Length(), c.position + c.count);
        raw.Close();
        EXPECT_EQ(memoryBlockGetSize(sized, 0), c.position + c.count);
        ReleaseObject(sized);
    }
    ReleaseObject(block);
}

TEST(MemoryBlockStream, ReadsTheBlockInItsByteOrder) {
    for (const bool littleEndian : {false, true}) {
        ObjectHeader* block = BlockOf({1, 2, 3, 4, 0xFF});
        MemoryBlockFields(block)->LittleEndian = littleEndian;
        ObjectHeader* stream = StreamOn(block);
        MemoryBlockFields(block)->LittleEndian = !littleEndian;  // later changes do not reach it
        EXPECT_EQ(BinaryStreamReadLong(stream), littleEndian ? 0x04030201 : 0x01020304);
        EXPECT_FALSE(BinaryStreamEOF(stream));
        EXPECT_EQ(BinaryStreamReadByte(stream), 0xFF);
        EXPECT_TRUE(BinaryStreamEOF(stream));
        EXPECT_EQ(BinaryStreamReadShort(stream), 0);  // nothing left
        BinaryStreamSetPosition(stream, 0, 100);
        EXPECT_EQ(BinaryStreamGetPosition(stream, 0), 5);
        BinaryStreamClose(stream);
        EXPECT_EQ(Contents(block), (Bytes{1, 2, 3, 4, 0xFF}));
        RuntimeUnlockObject(stream);
        ReleaseObject(block);
    }
}

TEST(MemoryBlockStream, NilAndUnknownSizeBlocks) {
    RaisedExceptions raised;
    ObjectHeader* stream = StreamOn(nullptr);
    EXPECT_EQ(raised.Take(), "NilObjectException");
    EXPECT_EQ(reinterpret_cast<BinaryStreamObject*>(stream)->LittleEndian, 0);
    EXPECT_TRUE(BinaryStreamEOF(stream));
    RuntimeUnlockObject(stream);

    // Over an outside address the stream reads and writes in place, without length or growth,
    // and Close leaves the block wrapping that address.
    unsigned char outside[8] = {9, 8, 7, 6, 0, 0, 0, 0};
    ObjectHeader* wrapping = PtrToMemoryBlock(outside);
    MemoryBlockStream raw;
    raw.Attach(wrapping);
    EXPECT_EQ(raw.Length(), -1);
    EXPECT_FALSE(raw.EOF());
    unsigned char two[2] = {};
    int32_t got = 0;
    EXPECT_TRUE(raw.Read(two, 2, &got));
    EXPECT_EQ(got, 2);
    EXPECT_EQ(two[1], 8);
    EXPECT_TRUE(raw.Write("ab", 2));
    EXPECT_EQ(outside[2], 'a');
    raw.Close();
    EXPECT_EQ(memoryBlockGetPtr(wrapping), outside);
    EXPECT_EQ(memoryBlockGetSize(wrapping, 0), -1);
    ReleaseObject(wrapping);

    MemoryBlockStream detached;
    EXPECT_TRUE(detached.EOF());
    EXPECT_FALSE(detached.Write("a", 1));
    EXPECT_FALSE(detached.Read(two, 1, &got));
    EXPECT_EQ(detached.Length(), 0);
    EXPECT_EQ(raised.Take(), "");
}

TEST(MemoryBlockStream, SetLengthResizesTheBlock) {
    ObjectHeader* block = BlockOf({1, 2, 3});
    MemoryBlockStream raw;
    raw.Attach(block);
    EXPECT_TRUE(raw.SetLength(6));
    EXPECT_EQ(Contents(block), (Bytes{1, 2, 3, 0, 0, 0}));
    EXPECT_EQ(raw.Length(), 6);
    EXPECT_TRUE(raw.SetLength(2));
    raw.Close();
    EXPECT_EQ(Contents(block), (Bytes{1, 2}));
    ReleaseObject(block);
}

}  // namespace
