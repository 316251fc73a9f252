// The abstract, positioned byte stream under the language's binary and text streams, data files,
// memory and memory-block streams, and the runtime's own file writers.
//
// The virtual operations keep their slot order: the destructor, Read, Write, Close, EOF,
// SetPosition, Length, SetLength, Position, Flush, SwapOn, SwapOff. Read, Write, Close,
// SetPosition and SetLength report success as a Boolean and leave the store's error code in
// LastError(); deleting a stream through its virtual destructor releases what it holds.
#pragma once

#include <cstdint>

#include "core/GuardedMemory.h"

// The runtime string fits only the 32-bit build; the native builds of the pure stream logic
// (which never call WriteLine) need only its name.
#ifdef _WIN32
#include "core/RuntimeString.h"
#else
class string;
#endif

// The C library's EOF macro would swallow the operation's name.
#pragma push_macro("EOF")
#undef EOF

class ByteStream : public RuntimeAllocated {
public:
    ByteStream() = default;
    ByteStream(const ByteStream&) = delete;
    ByteStream& operator=(const ByteStream&) = delete;
    virtual ~ByteStream();

    // Reads up to length bytes; count, when given, receives the number read.
    virtual bool Read(void* buffer, int32_t length, int32_t* count = nullptr) = 0;
    virtual bool Write(const void* buffer, int32_t length) = 0;
    // Releases the backing store; later calls find nothing to do.
    virtual bool Close() = 0;
    // True when the position is at or past the end.
    virtual bool EOF() = 0;
    virtual bool SetPosition(int32_t position) = 0;
    virtual int32_t Length() = 0;
    virtual bool SetLength(int32_t length) = 0;
    virtual int32_t Position() = 0;
    // Pushes buffered data to the store; the base has none.
    virtual void Flush();
    // Multi-byte integers (and, with SetSwapDoubles, doubles) go in the other byte order: the
    // stream is big-endian on the little-endian host.
    virtual void SwapOn();
    virtual void SwapOff();

    // Typed operations: each is one Read or Write, and succeeds only when that call does and
    // (for reads) delivers the whole value; a failed read leaves the value unspecified.
    bool WriteInt16(int32_t value);  // the low 16 bits
    bool WriteInt32(int32_t value);
    bool WriteDouble(double value);
    // The text and CR LF, joined in the text's encoding, in one Write.
    bool WriteLine(const string& text);
    bool WriteVarInt(int32_t value);
    bool ReadInt16(int16_t& value);
    bool ReadInt32(int32_t& value);
    bool ReadDouble(double& value);
    // Reads one byte at a time, so nothing past the value is consumed.
    bool ReadVarInt(int32_t& value);

    // The error code of the last failed operation (the platform's for disk files); a later
    // success does not clear it.
    int32_t LastError() const { return mLastError; }
    bool SwapsBytes() const { return mSwapBytes != 0; }
    bool SwapsDoubles() const { return mSwapDoubles; }
    // Doubles are reversed only when this and the byte swap are both on.
    void SetSwapDoubles(bool swap) { mSwapDoubles = swap; }

protected:
    int32_t mLastError = 0;
    int32_t mSwapBytes = 0;
    bool mSwapDoubles = false;
};

#pragma pop_macro("EOF")
