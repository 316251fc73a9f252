// Heap blocks and a resizable block: a data pointer from the heap and its size in bytes.
#pragma once

#include <cstdint>

struct ByteHandle {
    void* data;
    int32_t size;
};

// A heap block of the size; out of memory ends the process like any allocation that may not fail.
void* AllocatePtrBlock(int32_t size);
void FreePtrBlock(void* block);

ByteHandle* NewByteHandle(int32_t size);
// 0 for a null handle.
int32_t GetByteHandleSize(const ByteHandle* handle);
// Never grows in place: a changed size takes a fresh block and copies what fits.
void SetByteHandleSize(ByteHandle* handle, int32_t size);
void DisposeByteHandle(ByteHandle* handle);

// Copies count bytes, source first; the ranges may overlap.
void MoveBytes(const void* source, void* destination, int32_t count);
