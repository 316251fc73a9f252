#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "RaisedExceptions.h"
#include "core/DefinitionConversion.h"
#include "values/MemoryBlock.h"

namespace {

using Bytes = std::vector<unsigned char>;

// Takes over a returned string.
std::string Text(StringRecord* record) {
    const string s = string::Adopt(record);
    return std::string(s.CString(), static_cast<size_t>(s.Length()));
}

class MemoryBlockTest : public ::testing::Test {
protected:
    ~MemoryBlockTest() override {
        for (ObjectHeader* block : mBlocks) ReleaseObject(block);
    }
    ObjectHeader* Keep(ObjectHeader* block) {
        if (block) mBlocks.push_back(block);
        return block;
    }
    // A block of the bytes in the given order (true: little-endian).
    ObjectHeader* Block(const Bytes& bytes, bool littleEndian = true) {
        ObjectHeader* block = Keep(newMemoryBlock(static_cast<int32_t>(bytes.size())));
        if (!bytes.empty()) std::memcpy(MemoryBlockFields(block)->data, bytes.data(), bytes.size());
        MemoryBlockFields(block)->LittleEndian = littleEndian;
        return block;
    }
    static Bytes Contents(ObjectHeader* block) {
        const MemoryBlockObject* b = MemoryBlockFields(block);
        return Bytes(b->data, b->data + b->size);
    }

    std::vector<ObjectHeader*> mBlocks;
    RaisedExceptions mRaised;
};

TEST_F(MemoryBlockTest, FieldsAndCreation) {
    ObjectHeader* block = Keep(CreateInstance(GetMemoryBlockDefinition()));
    memoryBlockNewConstructor(block, -5);
    EXPECT_EQ(memoryBlockGetSize(block, 0), 0);
    EXPECT_EQ(MemoryBlockFields(block)->LittleEndian, 1);  // the machine's order
    EXPECT_EQ(newMemoryBlock(-5), nullptr);
    EXPECT_EQ(CreateMemoryBlock(-1), nullptr);
    EXPECT_EQ(Contents(Keep(newMemoryBlock(3))), (Bytes{0, 0, 0}));
    ObjectHeader* empty = Keep(CreateMemoryBlock(0));
    ASSERT_NE(empty, nullptr);
    EXPECT_EQ(MemoryBlockFields(empty)->data, nullptr);
    EXPECT_EQ(mRaised.Take(), "");
}

TEST_F(MemoryBlockTest, NumbersFollowTheBlockByteOrder) {
    ObjectHeader* big = Block(Bytes(8), false);
    memorySetLong(big, 0, 0x01020304);
    EXPECT_EQ(Contents(big), (Bytes{1, 2, 3, 4, 0, 0, 0, 0}));
    EXPECT_EQ(memoryGetShort(big, 0), 0x0102);
    EXPECT_EQ(memoryGetLong(big, 0), 0x01020304);
    ObjectHeader* little = Block(Bytes(8), true);
    memorySetLong(little, 0, 0x01020304);
    EXPECT_EQ(Contents(little), (Bytes{4, 3, 2, 1, 0, 0, 0, 0}));

    struct Case {
        bool littleEndian;
        int32_t uShort, shortValue;
    };
    for (const Case& c : {Case{false, 0xFFFE, -2}, Case{true, 0xFEFF, -257}}) {
        ObjectHeader* block = Block({0xFF, 0xFE}, c.littleEndian);
        EXPECT_EQ(memoryGetUShort(block, 0), c.uShort);
        EXPECT_EQ(memoryGetShort(block, 0), c.shortValue);
    }
    memorySetShort(big, 0, 0x12345);  // the low 16 bits
    memorySetByte(big, 2, 0x1FF);
    EXPECT_EQ(Contents(big), (Bytes{0x23, 0x45, 0xFF, 4, 0, 0, 0, 0}));
    EXPECT_EQ(memoryGetByte(big, 2), 255);

    memorySetSingle(big, 0, 1.5);
    EXPECT_EQ(Contents(big), (Bytes{0x3F, 0xC0, 0, 0, 0, 0, 0, 0}));
    EXPECT_EQ(memoryGetSingle(big, 0), 1.5);
    memorySetDouble(big, 0, -2.0);
    EXPECT_EQ(Contents(big), (Bytes{0xC0, 0, 0, 0, 0, 0, 0, 0}));
    memorySetDouble(little, 0, 0.1);
    EXPECT_EQ(memoryGetDouble(little, 0), 0.1);
    memorySetBoolean(little, 7, true);
    EXPECT_TRUE(memoryGetBoolean(little, 7));
    EXPECT_EQ(memoryGetByte(little, 7), 1);
    EXPECT_EQ(mRaised.Take(), "");
}

// Accesses that reach outside a block of known size raise and read zero or write nothing.
TEST_F(MemoryBlockTest, BoundsOfBlocksOfKnownSize) {
    ObjectHeader* block = Block({1, 2, 3, 4});
    struct Case {
        int32_t offset;
        bool allowed;
    };
    for (const Case& c : {Case{0, true}, Case{1, false}, Case{-1, false}, Case{INT32_MAX, false}}) {
        memorySetLong(block, c.offset, 0x55555555);
        EXPECT_EQ(mRaised.Take(), c.allowed ? "" : "OutOfBoundsException") << c.offset;
        const int32_t value = memoryGetLong(block, c.offset);
        EXPECT_EQ(mRaised.Take(), c.allowed ? "" : "OutOfBoundsException") << c.offset;
        EXPECT_EQ(value, c.allowed ? 0x55555555 : 0) << c.offset;
        memorySetLong(block, 0, 0x04030201);
    }
    EXPECT_EQ(memoryGetByte(block, 4), 0);
    EXPECT_EQ(mRaised.Take(), "OutOfBoundsException");
    memorySetDouble(block, 0, 1.0);
    EXPECT_EQ(mRaised.Take(), "OutOfBoundsException");
    EXPECT_EQ(Contents(block), (Bytes{1, 2, 3, 4}));
    // An empty block refuses every read, even of nothing.
    ObjectHeader* empty = Block({});
    EXPECT_EQ(Text(memoryGetCString(empty, 0)), "");
    EXPECT_EQ(mRaised.Take(), "OutOfBoundsException");
    EXPECT_EQ(memoryGetColor(empty, 0, 0), 0u);
    EXPECT_EQ(mRaised.Take(), "OutOfBoundsException");
}

TEST_F(MemoryBlockTest, StringLayouts) {
    ObjectHeader* block = Block(Bytes(8, 0xAA));
    memorySetCString(block, 1, string("abc").Record());
    EXPECT_EQ(Contents(block), (Bytes{0xAA, 'a', 'b', 'c', 0, 0xAA, 0xAA, 0xAA}));
    EXPECT_EQ(Text(memoryGetCString(block, 1)), "abc");
    // Without a zero byte the text ends with the block.
    EXPECT_EQ(Text(memoryGetCString(block, 5)), "\xAA\xAA\xAA");
    memorySetCString(block, 4, string("abcd").Record());  // no room for the zero byte
    EXPECT_EQ(mRaised.Take(), "OutOfBoundsException");

    memorySetPString(block, 0, string("xy").Record());
    EXPECT_EQ(Contents(block)[0], 2);
    EXPECT_EQ(Text(memoryGetPString(block, 0)), "xy");
    memorySetByte(block, 0, 9);  // a count past the end
    EXPECT_EQ(Text(memoryGetPString(block, 0)), "");
    EXPECT_EQ(mRaised.Take(), "OutOfBoundsException");

    memorySetString(block, 2, 4, string("pq").Record());
    EXPECT_EQ(Contents(block), (Bytes{9, 'x', 'p', 'q', 0, 0, 0xAA, 0xAA}));
    StringRecord* bytes = memoryGetString(block, 1, 3);
    EXPECT_EQ(bytes->encoding, kEncodingUnknown);
    EXPECT_EQ(Text(bytes), "xpq");
    EXPECT_EQ(memoryGetString(block, 0, 0), nullptr);
    memorySetString(block, 6, 3, string("z").Record());
    EXPECT_EQ(mRaised.Take(), "OutOfBoundsException");
    EXPECT_EQ(Contents(block)[6], 0xAA);
    EXPECT_EQ(mRaised.Take(), "");
}

// More than 255 bytes: the count byte says 255 and only 255 bytes follow it.
TEST_F(MemoryBlockTest, LongPStringIsCutTo255Bytes) {
    ObjectHeader* block = Block(Bytes(400, 0xEE));
    const std::string text(300, 'q');
    string record;
    record.SetBytes(text.data(), 300);
    memorySetPString(block, 0, record.Record());
    EXPECT_EQ(mRaised.Take(), "");
    const Bytes bytes = Contents(block);
    EXPECT_EQ(bytes[0], 255);
    EXPECT_EQ(bytes[255], 'q');
    EXPECT_EQ(bytes[256], 0xEE);
    EXPECT_EQ(Text(memoryGetPString(block, 0)), std::string(255, 'q'));
}

TEST_F(MemoryBlockTest, WideStringsInBothOrders) {
    for (bool littleEndian : {true, false}) {
        ObjectHeader* block = Block(Bytes(8, 0xAA), littleEndian);
        memorySetWString(block, 0, string("Ab").Record());
        const Bytes expected = littleEndian ? Bytes{'A', 0, 'b', 0, 0, 0, 0xAA, 0xAA}
                                            : Bytes{0, 'A', 0, 'b', 0, 0, 0xAA, 0xAA};
        EXPECT_EQ(Contents(block), expected);
        StringRecord* text = memoryGetWString(block, 0);
        ASSERT_NE(text, nullptr);
        EXPECT_EQ(text->encoding, kEncodingUTF16);
        EXPECT_EQ(Text(text), std::string("A\0b\0", 4));
        memorySetWString(block, 4, string("xy").Record());  // 6 bytes from offset 4
        EXPECT_EQ(mRaised.Take(), "OutOfBoundsException");
    }
    // A unit that does not lie wholly inside the block ends the text.
    ObjectHeader* odd = Block({'a', 0, 'b'});
    EXPECT_EQ(Text(memoryGetWString(odd, 0)), std::string("a\0", 2));
}

TEST_F(MemoryBlockTest, ColorValues) {
    struct Case {
        Bytes bytes;
        bool littleEndian;
        int32_t bits;
        uint32_t color;
    };
    const Case cases[] = {
        {{0xFF, 0x7F}, true, 16, 0xF8F8F8},  {{0x7F, 0xFF}, false, 16, 0xF8F8F8},
        {{0x1F, 0x00}, true, 16, 0x0000F8},  {{0x00, 0x7C}, true, 16, 0xF80000},
        {{0x11, 0x22, 0x33}, false, 24, 0x112233}, {{0x11, 0x22, 0x33}, true, 24, 0x332211},
        {{0x33, 0x22, 0x11, 0x99}, true, 32, 0x112233},
        {{0x99, 0x11, 0x22, 0x33}, false, 32, 0x112233},
        {{0x11, 0x22, 0x33, 0x44}, true, 8, 0},
    };
    for (const Case& c : cases) {
        ObjectHeader* block = Block(c.bytes, c.littleEndian);
        EXPECT_EQ(memoryGetColor(block, 0, c.bits), c.color) << c.bits << " " << c.littleEndian;
        if (c.bits == 8) continue;
        // Writing the colour back gives the bytes again, but for the byte a 32-bit read ignores.
        ObjectHeader* copy = Block(Bytes(c.bytes.size()), c.littleEndian);
        memorySetColor(copy, 0, c.bits, c.color);
        Bytes expected = c.bytes;
        if (c.bits == 32) expected[c.littleEndian ? 3 : 0] = 0;
        EXPECT_EQ(Contents(copy), expected) << c.bits << " " << c.littleEndian;
        EXPECT_EQ(memoryGetColor(copy, 0, c.bits), c.color);
    }
    ObjectHeader* block = Block(Bytes(2));
    memorySetColor(block, 0, 24, 0x123456);
    EXPECT_EQ(mRaised.Take(), "OutOfBoundsException");
    memorySetColor(block, 0, 12, 0x123456);
    EXPECT_EQ(Contents(block), (Bytes{0, 0}));
    EXPECT_EQ(mRaised.Take(), "");
}

TEST_F(MemoryBlockTest, Compare) {
    ObjectHeader* abc = Block({'a', 'b', 'c'});
    ObjectHeader* abd = Block({'a', 'b', 'd'});
    ObjectHeader* ab = Block({'a', 'b'});
    ObjectHeader* empty = Block({});
    struct Case {
        ObjectHeader *a, *b;
        int32_t result;
    };
    const Case cases[] = {
        {abc, abd, -1}, {abd, abc, 1},       {ab, abc, -1},         {abc, ab, 1},
        {abc, abc, 0},  {nullptr, empty, 0}, {empty, nullptr, 0},   {nullptr, ab, -1},
        {ab, nullptr, 1}, {Block({0xFF}), Block({0x00}), 255}, {Block({0}), Block({0xFF}), -255},
        {Block({'a', 'b', 'c'}), abc, 0},
    };
    for (const Case& c : cases) EXPECT_EQ(MemoryBlockCompareOperator(c.a, c.b), c.result);
}

TEST_F(MemoryBlockTest, MidLeftAndRight) {
    ObjectHeader* block = Block({0, 1, 2, 3, 4, 5, 6, 7, 8, 9}, false);
    struct Case {
        ObjectHeader* result;
        Bytes bytes;
    };
    const Case cases[] = {
        {MemoryBlockMidB3(block, -2, 5), {0, 1, 2}},
        {MemoryBlockMidB3(block, 7, 10), {7, 8, 9}},
        {MemoryBlockMidB2(block, 8), {8, 9}},
        {MemoryBlockRightB(block, 100), {0, 1, 2, 3, 4, 5, 6, 7, 8, 9}},
        {MemoryBlockRightB(block, 2), {8, 9}},
        {MemoryBlockLeftB(block, 3), {0, 1, 2}},
    };
    for (const Case& c : cases) {
        ASSERT_NE(Keep(c.result), nullptr);
        EXPECT_EQ(Contents(c.result), c.bytes);
        EXPECT_EQ(MemoryBlockFields(c.result)->LittleEndian, 0);
    }
    EXPECT_EQ(MemoryBlockLeftB(block, 0), nullptr);
    EXPECT_EQ(MemoryBlockMidB3(block, 10, 1), nullptr);
    EXPECT_EQ(MemoryBlockMidB3(block, -5, 5), nullptr);
    EXPECT_EQ(MemoryBlockRightB(block, 0), nullptr);
    EXPECT_EQ(mRaised.Take(), "");
}

TEST_F(MemoryBlockTest, SizeChanges) {
    ObjectHeader* block = Block({1, 2, 3});
    memoryBlockSetSize(block, 0, 6);
    EXPECT_EQ(Contents(block), (Bytes{1, 2, 3, 0, 0, 0}));
    memoryBlockSetSize(block, 0, 2);
    EXPECT_EQ(Contents(block), (Bytes{1, 2}));
    memoryBlockSetSize(block, 0, -1);
    EXPECT_EQ(mRaised.Take(), "OutOfBoundsException");
    EXPECT_EQ(memoryBlockGetSize(block, 0), 2);
    memoryBlockSetSize(block, 0, 0);
    EXPECT_EQ(memoryBlockGetSize(block, 0), 0);
    EXPECT_EQ(MemoryBlockFields(block)->data, nullptr);
    memoryBlockSetSize(block, 0, 4);
    EXPECT_EQ(Contents(block), (Bytes{0, 0, 0, 0}));
}

// A block over an outside address: Size -1, nothing checked, nothing freed; setting its Size
// gives it cleared bytes of its own and leaves the outside bytes alone.
TEST_F(MemoryBlockTest, BlocksOfUnknownSize) {
    unsigned char outside[12] = {0x10, 0x20, 0x30, 0x40, 'h', 0, 'i', 0, 0, 0, 0x55, 0x55};
    ObjectHeader* block = Keep(PtrToMemoryBlock(outside));
    EXPECT_EQ(memoryBlockGetSize(block, 0), -1);
    EXPECT_EQ(memoryBlockGetPtr(block), outside);
    EXPECT_EQ(memoryGetLong(block, 0), 0x40302010);
    EXPECT_EQ(memoryGetByte(block, 11), 0x55);
    EXPECT_EQ(Text(memoryGetWString(block, 4)), std::string("h\0i\0", 4));  // to the zero unit
    EXPECT_EQ(Text(memoryGetCString(block, 4)), "h");
    EXPECT_EQ(MemoryBlockToStringOperator(block), nullptr);
    EXPECT_EQ(MemoryBlockMidB3(block, 0, 4), nullptr);
    EXPECT_EQ(MemoryBlockRightB(block, 4), nullptr);
    memorySetByte(block, 1, 0x21);
    EXPECT_EQ(outside[1], 0x21);
    memoryBlockSetSize(block, 0, 10);
    EXPECT_EQ(memoryBlockGetSize(block, 0), 10);
    EXPECT_NE(memoryBlockGetPtr(block), outside);
    EXPECT_EQ(Contents(block), Bytes(10));
    EXPECT_EQ(outside[0], 0x10);

    ObjectHeader* pointer = Block(Bytes(4), true);
    memorySetPtr(pointer, 0, block);
    ObjectHeader* again = Keep(memoryGetPtr(pointer, 0));
    EXPECT_EQ(memoryBlockGetPtr(again), memoryBlockGetPtr(block));
    EXPECT_EQ(memoryBlockGetSize(again, 0), -1);
    memorySetPtr(pointer, 0, nullptr);
    EXPECT_EQ(memoryGetPtr(pointer, 0), nullptr);
    // A block over no address refuses reads and writes rather than touching address 0.
    ObjectHeader* none = Keep(PtrToMemoryBlock(nullptr));
    memorySetLong(none, 0, 1);
    EXPECT_EQ(mRaised.Take(), "OutOfBoundsException");
    EXPECT_EQ(memoryGetLong(none, 0), 0);
    EXPECT_EQ(mRaised.Take(), "OutOfBoundsException");
}

TEST_F(MemoryBlockTest, StringConversionsAndJoining) {
    ObjectHeader* block = Keep(CreateInstance(GetMemoryBlockDefinition()));
    MemoryBlockFromStringOperator(block, string("abc").Record());
    EXPECT_EQ(Contents(block), (Bytes{'a', 'b', 'c'}));
    StringRecord* text = MemoryBlockToStringOperator(block);
    EXPECT_EQ(text->encoding, kEncodingUnknown);
    EXPECT_EQ(Text(text), "abc");
    MemoryBlockFields(block)->LittleEndian = 0;
    ObjectHeader* sum = Keep(MemoryBlockAddOperator(block, Block({'d'})));
    EXPECT_EQ(Contents(sum), (Bytes{'a', 'b', 'c', 'd'}));
    EXPECT_EQ(MemoryBlockFields(sum)->LittleEndian, 1);
    ObjectHeader* alone = Keep(MemoryBlockAddOperator(nullptr, block));
    EXPECT_EQ(Contents(alone), (Bytes{'a', 'b', 'c'}));
    ObjectHeader* nothing = Keep(MemoryBlockAddOperator(nullptr, nullptr));
    ASSERT_NE(nothing, nullptr);
    EXPECT_EQ(memoryBlockGetSize(nothing, 0), 0);
}

}  // namespace
