#include "MemoryStream.h"

#include <cstring>

#include "core/FailureReport.h"

#undef EOF

void MemoryStream::SetData(const void* data, int32_t length) {
    mData = static_cast<const unsigned char*>(data);
    mLength = length < 0 ? 0 : length;
    mPosition = 0;
}

bool MemoryStream::Read(void* buffer, int32_t length, int32_t* count) {
    if (count) *count = 0;
    if (length == 0) return true;
    if (length < 0 || mPosition >= mLength) return false;
    if (length > mLength - mPosition) length = mLength - mPosition;
    std::memcpy(buffer, mData + mPosition, static_cast<size_t>(length));
    mPosition += length;
    if (count) *count = length;
    return true;
}

bool MemoryStream::Write(const void*, int32_t) {
    ReportAssertion("file", 573, "0");
    return false;
}

bool MemoryStream::Close() { return true; }

bool MemoryStream::EOF() { return mPosition >= mLength; }

bool MemoryStream::SetPosition(int32_t position) {
    mPosition = position < 0 ? 0 : position > mLength ? mLength : position;
    return true;
}

int32_t MemoryStream::Length() { return mLength; }

bool MemoryStream::SetLength(int32_t) {
    ReportAssertion("file", 605, "0");
    return false;
}

int32_t MemoryStream::Position() { return mPosition; }

StringStream::~StringStream() { StringStream::Close(); }

void StringStream::SetString(const string& text) {
    mHeldText = text;
    if (!text.IsEmpty()) SetData(text.CString(), text.Length());
}

bool StringStream::Write(const void*, int32_t) {
    mLastError = kReadOnlyStreamError;
    return false;
}

bool StringStream::SetLength(int32_t) {
    mLastError = kReadOnlyStreamError;
    return false;
}

// The bytes go with the text, so the stream forgets them too.
bool StringStream::Close() {
    mHeldText = string();
    SetData(nullptr, 0);
    return MemoryStream::Close();
}
