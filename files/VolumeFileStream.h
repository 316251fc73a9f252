// The byte stream over one file inside a virtual volume. Position 0 is the file's first data
// byte, offset 256 of its volume file, after the entry header. The length lives in memory while
// the stream is open, shared by every stream open on the same file, and is written back into the
// entry header by Flush and Close. The stream holds the volume's language object, so the volume
// stays open as long as the stream does.
#pragma once

#include <cstdint>

#include "ByteStream.h"
#include "VFSCore.h"

#pragma push_macro("EOF")
#undef EOF

struct ObjectHeader;

// Counted references to a volume's language object (nil does nothing).
void RetainVolumeObject(ObjectHeader* volume);
void ReleaseVolumeObject(ObjectHeader* volume);

// The error codes of transfers that failed without an error of the disk's own.
constexpr int32_t kVolumeWriteFault = 29;
constexpr int32_t kVolumeReadFault = 30;

class VolumeFileStream final : public ByteStream {
public:
    // Takes over the open handle of the volume file idnum, at offset 256; length is the stored
    // data length.
    VolumeFileStream(VFSCore* core, int16_t handle, uint32_t idnum, int32_t length);
    ~VolumeFileStream() override;

    // Reads up to the length; at or past it, 0 bytes and true.
    bool Read(void* buffer, int32_t length, int32_t* count = nullptr) override;
    // Writes at the position, growing the file's length.
    bool Write(const void* buffer, int32_t length) override;
    // Writes the length back and releases the handle and the volume; false when closed already.
    bool Close() override;
    bool EOF() override;
    // At most to the end of the last block's payload.
    bool SetPosition(int32_t position) override;
    int32_t Length() override;
    // Only the length changes; the blocks stay.
    bool SetLength(int32_t length) override;
    int32_t Position() override;
    // Writes the length back and saves the volume's block map.
    void Flush() override;

    void SetVolumeObject(ObjectHeader* volume);
    bool WriteLength();

private:
    bool IsOpen() const { return mCore && mHandle >= 0; }
    void Fail(int32_t diskErrorBefore, int32_t fallback);

    VFSCore* mCore;
    ObjectHeader* mVolumeObject = nullptr;
    int16_t mHandle;
    int32_t mPosition = 0;
    bool mReseek = true;
    int32_t mLength;
    VFSSharedLength* mShared;
};

#pragma pop_macro("EOF")
