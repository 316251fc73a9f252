#include "core/ByteHandle.h"

#include <cstdlib>
#include <cstring>

#include "core/SmallBlockAllocator.h"

void* AllocatePtrBlock(int32_t size) {
    void* block = std::malloc(size > 0 ? static_cast<size_t>(size) : 1);
    if (!block) ExitOutOfMemory();
    return block;
}

void FreePtrBlock(void* block) { std::free(block); }

ByteHandle* NewByteHandle(int32_t size) {
    auto* handle = static_cast<ByteHandle*>(AllocateMemory(sizeof(ByteHandle), 0));
    handle->data = AllocatePtrBlock(size);
    handle->size = size;
    return handle;
}

int32_t GetByteHandleSize(const ByteHandle* handle) { return handle ? handle->size : 0; }

void SetByteHandleSize(ByteHandle* handle, int32_t size) {
    if (!handle || size == handle->size) return;
    void* block = AllocatePtrBlock(size);
    const int32_t kept = size < handle->size ? size : handle->size;
    if (kept > 0) std::memcpy(block, handle->data, static_cast<size_t>(kept));
    FreePtrBlock(handle->data);
    handle->data = block;
    handle->size = size;
}

void DisposeByteHandle(ByteHandle* handle) {
    if (!handle) return;
    FreePtrBlock(handle->data);
    FreeMemory(handle, sizeof(ByteHandle));
}

void MoveBytes(const void* source, void* destination, int32_t count) {
    if (count > 0) std::memmove(destination, source, static_cast<size_t>(count));
}
