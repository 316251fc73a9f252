// Read-only byte streams over memory: MemoryStream over a block of bytes it does not own, and
// StringStream over the bytes of a runtime string it keeps a reference to.
#pragma once

#include "ByteStream.h"

#pragma push_macro("EOF")
#undef EOF

class MemoryStream : public ByteStream {
public:
    // Points the stream at the bytes, position 0.
    void SetData(const void* data, int32_t length);

    bool Read(void* buffer, int32_t length, int32_t* count = nullptr) override;
    // Writing or resizing memory the stream does not own is a programming error: reported as a
    // failed assertion, and nothing changes.
    bool Write(const void* buffer, int32_t length) override;
    bool Close() override;
    bool EOF() override;
    // Clamped to 0 and the length.
    bool SetPosition(int32_t position) override;
    int32_t Length() override;
    bool SetLength(int32_t length) override;
    int32_t Position() override;

protected:
    const unsigned char* mData = nullptr;
    int32_t mPosition = 0;
    int32_t mLength = 0;
};

class StringStream : public MemoryStream {
public:
    ~StringStream() override;

    // Holds the text and reads exactly its bytes, without length byte or terminator.
    void SetString(const string& text);

    // Refused as an ordinary failure with error code 100.
    bool Write(const void* buffer, int32_t length) override;
    bool SetLength(int32_t length) override;
    // Releases the text.
    bool Close() override;

private:
    string mHeldText;
};

// The error code of a write or resize that a read-only stream refuses.
constexpr int32_t kReadOnlyStreamError = 100;

#pragma pop_macro("EOF")
