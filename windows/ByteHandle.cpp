#include "ByteHandle.h"

#include <cstdlib>
#include <cstring>

#include "core/SmallBlockAllocator.h"

// The data blocks come from malloc; a failed take is out of memory like any other allocation that
// may not fail.
static void* TakeBlock(int32_t size) {
    void* block = std::malloc(size > 0 ? static_cast<size_t>(size) : 1);
    if (!block) ExitOutOfMemory();
    return block;
}

ByteHandle* NewByteHandle(int32_t size) {
    auto* handle = static_cast<ByteHandle*>(AllocateMemory(sizeof(ByteHandle), 0));
    handle->data = TakeBlock(size);
    handle->size = size;
    return handle;
}

void SetByteHandleSize(ByteHandle* handle, int32_t size) {
    if (!handle || size == handle->size) return;
    void* block = TakeBlock(size);
    const int32_t kept = size < handle->size ? size : handle->size;
    if (kept > 0) std::memcpy(block, handle->data, static_cast<size_t>(kept));
    std::free(handle->data);
    handle->data = block;
    handle->size = size;
}

void DisposeByteHandle(ByteHandle* handle) {
    if (!handle) return;
    std::free(handle->data);
    FreeMemory(handle, sizeof(ByteHandle));
}
