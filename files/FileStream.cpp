#include "FileStream.h"

#undef EOF

bool FileStream::Read(void*, int32_t, int32_t* count) {
    if (count) *count = 0;
    return false;
}

bool FileStream::Write(const void*, int32_t) { return false; }

bool FileStream::Close() { return false; }

bool FileStream::EOF() { return Position() >= Length(); }

bool FileStream::SetPosition(int32_t) { return false; }

int32_t FileStream::Length() { return -1; }

bool FileStream::SetLength(int32_t) { return false; }

int32_t FileStream::Position() { return -1; }

bool FileStream::Create(const string&) { return false; }

bool FileStream::Open(const string&, int32_t) { return false; }

bool FileStream::CreateTemporary(const string&) { return false; }
