// The abstract byte stream under binary streams, data files and memory-block streams.
//
// The virtual operations keep their slot order: the destructor, Read, Write, Close, EOF,
// SetPosition, Length, SetLength, Position, Flush, SwapOn, SwapOff. Each reports success as a
// Boolean, except Length and Position, which answer the value. Deleting a stream through its
// virtual destructor closes it.
#pragma once

#include <cstdint>

#include "core/GuardedMemory.h"
#include "core/RuntimeString.h"

// The C library's EOF macro would swallow the operation's name.
#pragma push_macro("EOF")
#undef EOF

class ByteStream : public RuntimeAllocated {
public:
    ByteStream() = default;
    ByteStream(const ByteStream&) = delete;
    ByteStream& operator=(const ByteStream&) = delete;
    virtual ~ByteStream();

    // countRead, when given, receives the number of bytes read.
    virtual bool Read(void* buffer, int32_t count, int32_t* countRead = nullptr) = 0;
    virtual bool Write(const void* buffer, int32_t count) = 0;
    virtual bool Close() = 0;
    virtual bool EOF() = 0;
    virtual bool SetPosition(int32_t position) = 0;
    virtual int32_t Length() = 0;
    virtual bool SetLength(int32_t length) = 0;
    virtual int32_t Position() = 0;
    virtual bool Flush() = 0;
    virtual bool SwapOn();
    virtual bool SwapOff();

    // The bytes of the text, then CR LF.
    void WriteLine(const string& text);

protected:
    // Set: multi-byte values are read and written in the other byte order.
    int32_t mSwapBytes = 0;
};

#pragma pop_macro("EOF")
