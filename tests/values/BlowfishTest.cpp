#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "FailureRecorder.h"
#include "RaisedExceptions.h"
#include "core/DefinitionConversion.h"
#include "values/Blowfish.h"
#include "values/MemoryBlock.h"

namespace {

using Bytes = std::vector<unsigned char>;

ObjectHeader* Keyed(const Bytes& key) {
    ObjectHeader* cipher = CreateInstance(GetBlowfishDefinition());
    string text;
    text.SetBytes(key.data(), static_cast<int32_t>(key.size()));
    BlowfishInitialize(cipher, text.Record());
    return cipher;
}

ObjectHeader* BlockOf(const Bytes& bytes, bool littleEndian) {
    ObjectHeader* block = newMemoryBlock(static_cast<int32_t>(bytes.size()));
    if (!bytes.empty()) std::memcpy(MemoryBlockFields(block)->data, bytes.data(), bytes.size());
    MemoryBlockFields(block)->LittleEndian = littleEndian;
    return block;
}

Bytes Contents(ObjectHeader* block) {
    const MemoryBlockObject* b = MemoryBlockFields(block);
    return Bytes(b->data, b->data + b->size);
}

// Published vectors of the cipher whose keys hold no zero byte after the first (the key text
// ends at its first zero byte).
TEST(Blowfish, PublishedVectorsInABigEndianBlock) {
    struct Case {
        Bytes key, plain, cipher;
    };
    const Case cases[] = {
        {Bytes(8, 0), Bytes(8, 0), {0x4E, 0xF9, 0x97, 0x45, 0x61, 0x98, 0xDD, 0x78}},
        {Bytes(8, 0xFF), Bytes(8, 0xFF), {0x51, 0x86, 0x6F, 0xD5, 0xB8, 0x5E, 0xCB, 0x8A}},
        {Bytes(8, 0x11), Bytes(8, 0x11), {0x24, 0x66, 0xDD, 0x87, 0x8B, 0x96, 0x3C, 0x9D}},
        {{0x01, 0x23, 0x45, 0x67, 0x89, 0xAB, 0xCD, 0xEF}, Bytes(8, 0x11),
         {0x61, 0xF9, 0xC3, 0x80, 0x22, 0x81, 0xB0, 0x96}},
        {{0xFE, 0xDC, 0xBA, 0x98, 0x76, 0x54, 0x32, 0x10},
         {0x01, 0x23, 0x45, 0x67, 0x89, 0xAB, 0xCD, 0xEF},
         {0x0A, 0xCE, 0xAB, 0x0F, 0xC6, 0xA0, 0xA2, 0x8D}},
    };
    for (const Case& c : cases) {
        ObjectHeader* cipher = Keyed(c.key);
        Bytes twice = c.plain;
        twice.insert(twice.end(), c.plain.begin(), c.plain.end());
        ObjectHeader* block = BlockOf(twice, false);
        BlowfishEncipherByBlock(cipher, block);
        Bytes expected = c.cipher;
        expected.insert(expected.end(), c.cipher.begin(), c.cipher.end());  // each group alone
        EXPECT_EQ(Contents(block), expected);
        BlowfishDecipherByBlock(cipher, block);
        EXPECT_EQ(Contents(block), twice);
        ReleaseObject(block);
        ReleaseObject(cipher);
    }
}

TEST(Blowfish, IntegerFormAndLittleEndianBlocks) {
    ObjectHeader* cipher = Keyed(Bytes(8, 0));
    int32_t l = 0, r = 0;
    BlowfishEncipher(cipher, &l, &r);
    EXPECT_EQ(static_cast<uint32_t>(l), 0x4EF99745u);
    EXPECT_EQ(static_cast<uint32_t>(r), 0x6198DD78u);
    BlowfishDecipher(cipher, &l, &r);
    EXPECT_EQ(l, 0);
    EXPECT_EQ(r, 0);
    // A little-endian block takes each half in the machine's order: not the big-endian result,
    // but the Integer form's result of the same halves.
    const Bytes plain = {1, 2, 3, 4, 5, 6, 7, 8};
    ObjectHeader* block = BlockOf(plain, true);
    BlowfishEncipherByBlock(cipher, block);
    l = 0x04030201;
    r = 0x08070605;
    BlowfishEncipher(cipher, &l, &r);
    EXPECT_EQ(memoryGetLong(block, 0), l);
    EXPECT_EQ(memoryGetLong(block, 4), r);
    BlowfishDecipherByBlock(cipher, block);
    EXPECT_EQ(Contents(block), plain);
    ReleaseObject(block);
    ReleaseObject(cipher);
}

TEST(Blowfish, BlocksThatAreNotWholeGroups) {
    ObjectHeader* cipher = Keyed({'k', 'e', 'y'});
    RaisedExceptions raised;
    const Bytes twelve = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12};
    ObjectHeader* block = BlockOf(twelve, false);
    BlowfishEncipherByBlock(cipher, block);
    BlowfishDecipherByBlock(cipher, block);
    ASSERT_EQ(raised.Seen().size(), 2u);
    EXPECT_EQ(raised.Seen()[0].name, "UnsupportedFormatException");
    EXPECT_EQ(raised.Seen()[0].message, "The data being encrypted must be in multiples of 8 bytes");
    EXPECT_EQ(raised.Seen()[0].errorNumber, 0);
    EXPECT_EQ(raised.Seen()[1].message, "The data being decrypted must be in multiples of 8 bytes");
    EXPECT_EQ(Contents(block), twelve);
    ObjectHeader* empty = BlockOf({}, false);
    BlowfishEncipherByBlock(cipher, empty);
    BlowfishEncipherByBlock(cipher, nullptr);
    EXPECT_EQ(raised.Seen().size(), 2u);
    ReleaseObject(empty);
    ReleaseObject(block);
    ReleaseObject(cipher);
}

// Only the first 72 key bytes reach the state; the same key gives the same state.
TEST(Blowfish, KeySchedule) {
    Bytes key(80);
    for (size_t i = 0; i < key.size(); ++i) key[i] = static_cast<unsigned char>(i + 1);
    ObjectHeader* full = Keyed(key);
    ObjectHeader* cut = Keyed(Bytes(key.begin(), key.begin() + 72));
    ObjectHeader* shorter = Keyed(Bytes(key.begin(), key.begin() + 71));
    const auto* a = reinterpret_cast<const BlowfishObject*>(full);
    const auto* b = reinterpret_cast<const BlowfishObject*>(cut);
    const auto* c = reinterpret_cast<const BlowfishObject*>(shorter);
    EXPECT_EQ(std::memcmp(a->P, b->P, sizeof a->P), 0);
    EXPECT_EQ(std::memcmp(a->S, b->S, sizeof a->S), 0);
    EXPECT_NE(std::memcmp(a->P, c->P, sizeof a->P), 0);
    // The key text ends at its first zero byte.
    ObjectHeader* zeroEnded = Keyed({'a', 'b', 0, 'c'});
    ObjectHeader* ab = Keyed({'a', 'b'});
    EXPECT_EQ(std::memcmp(reinterpret_cast<const BlowfishObject*>(zeroEnded)->S,
                          reinterpret_cast<const BlowfishObject*>(ab)->S, sizeof a->S),
              0);
    for (ObjectHeader* o : {full, cut, shorter, zeroEnded, ab}) ReleaseObject(o);

    FailureRecorder recorder;
    ObjectHeader* unkeyed = CreateInstance(GetBlowfishDefinition());
    BlowfishInitialize(unkeyed, nullptr);
    ASSERT_EQ(recorder.Count(), 1u);
    EXPECT_EQ(recorder.Last().file, "BlowFish");
    EXPECT_EQ(recorder.Last().condition, "initStr");
    EXPECT_EQ(recorder.Last().message, "Cannot initialize blowfish with an empty string");
    ReleaseObject(unkeyed);
}

}  // namespace
