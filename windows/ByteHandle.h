// A resizable block: a data pointer from the C library's heap and its size in bytes.
#pragma once

#include <cstdint>

struct ByteHandle {
    void* data;
    int32_t size;
};

ByteHandle* NewByteHandle(int32_t size);
void SetByteHandleSize(ByteHandle* handle, int32_t size);
void DisposeByteHandle(ByteHandle* handle);
