#include "VolumeFileStream.h"

#include "VHFS.h"

#pragma push_macro("EOF")
#undef EOF

VolumeFileStream::VolumeFileStream(VFSCore* core, int16_t handle, uint32_t idnum, int32_t length)
    : mCore(core), mHandle(handle), mLength(length), mShared(core->AcquireLength(idnum, length)) {}

VolumeFileStream::~VolumeFileStream() {
    if (IsOpen()) Close();
    SetVolumeObject(nullptr);
}

void VolumeFileStream::SetVolumeObject(ObjectHeader* volume) {
    if (volume == mVolumeObject) return;
    RetainVolumeObject(volume);
    ReleaseVolumeObject(mVolumeObject);
    mVolumeObject = volume;
}

void VolumeFileStream::Fail(int32_t diskErrorBefore, int32_t fallback) {
    const int32_t diskError = mCore ? mCore->Disk()->LastError() : 0;
    mLastError = diskError != 0 && diskError != diskErrorBefore ? diskError : fallback;
}

bool VolumeFileStream::Read(void* buffer, int32_t length, int32_t* count) {
    if (count) *count = 0;
    if (!IsOpen()) {
        mLastError = kVolumeReadFault;
        return false;
    }
    const int32_t available = Length() - mPosition;
    if (length <= 0 || available <= 0) return true;
    if (length > available) length = available;
    const int32_t before = mCore->Disk()->LastError();
    if (mReseek && !SetPosition(mPosition)) {
        Fail(before, kVolumeReadFault);
        return false;
    }
    double got = length;
    const bool ok = mCore->ReadFile(mHandle, got, buffer);
    mPosition += static_cast<int32_t>(got);
    if (count) *count = static_cast<int32_t>(got);
    if (!ok) Fail(before, kVolumeReadFault);
    return ok;
}

bool VolumeFileStream::Write(const void* buffer, int32_t length) {
    if (!IsOpen()) {
        mLastError = kVolumeWriteFault;
        return false;
    }
    if (length <= 0) return true;
    const int32_t before = mCore->Disk()->LastError();
    if ((mReseek && !SetPosition(mPosition)) || !mCore->WriteFile(mHandle, buffer, length)) {
        // Part of it may have gone out: the next transfer finds its place again.
        mReseek = true;
        Fail(before, kVolumeWriteFault);
        return false;
    }
    mPosition += length;
    if (mPosition > Length()) mShared->length = mPosition;
    return true;
}

bool VolumeFileStream::WriteLength() {
    if (!IsOpen()) return false;
    mReseek = true;
    double stored = 0;
    if (!mCore->SeekFile(mHandle, 0) || !mCore->ReadDouble(mHandle, stored)) return false;
    const double length = Length();
    if (stored == length) return true;
    return mCore->SeekFile(mHandle, 0) && mCore->WriteDouble(mHandle, length);
}

bool VolumeFileStream::Close() {
    if (!IsOpen()) return false;
    WriteLength();
    mLength = mShared->length;
    mCore->CloseFile(mHandle);
    mCore->ReleaseLength(mShared);
    mShared = nullptr;
    mHandle = -1;
    mCore = nullptr;
    SetVolumeObject(nullptr);
    return true;
}

bool VolumeFileStream::EOF() { return mPosition >= Length(); }

bool VolumeFileStream::SetPosition(int32_t position) {
    if (!IsOpen() || position < 0 || !mCore->SeekFile(mHandle, kEntryHeaderSize + static_cast<double>(position)))
        return false;
    mPosition = position;
    mReseek = false;
    return true;
}

int32_t VolumeFileStream::Length() { return mShared ? mShared->length : mLength; }

bool VolumeFileStream::SetLength(int32_t length) {
    if (length < 0) return false;
    if (mShared)
        mShared->length = length;
    else
        mLength = length;
    return true;
}

int32_t VolumeFileStream::Position() { return mPosition; }

void VolumeFileStream::Flush() {
    if (!IsOpen()) return;
    WriteLength();
    mCore->Flush();
}

#pragma pop_macro("EOF")
