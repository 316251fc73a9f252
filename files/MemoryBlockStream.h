// A read-write byte stream over the bytes of a MemoryBlock, which it holds a reference to from
// Attach until Close. Writing past the end of a block of known size grows it; Close trims the block
// to the farthest position written, so a block written through a BinaryStream ends with exactly
// those bytes. A block that wraps an outside address is read and written there, unchecked.
#pragma once

#include "ByteStream.h"
#include "core/ObjectModel.h"

#pragma push_macro("EOF")
#undef EOF

class MemoryBlockStream : public ByteStream {
public:
    ~MemoryBlockStream() override;

    // Closes what was attached, then reads and writes the block from position 0 with its size as
    // length. A nil block raises NilObjectException.
    void Attach(ObjectHeader* block);

    bool Read(void* buffer, int32_t length, int32_t* count = nullptr) override;
    bool Write(const void* buffer, int32_t length) override;
    bool Close() override;
    bool EOF() override;
    // Clamped to 0 and, in a block of known size, its size.
    bool SetPosition(int32_t position) override;
    // -1 over a block of unknown size.
    int32_t Length() override;
    bool SetLength(int32_t length) override;
    int32_t Position() override;

private:
    ObjectHeader* mBlock = nullptr;
    int32_t mPosition = 0;
    int32_t mLength = 0;
};

#pragma pop_macro("EOF")
