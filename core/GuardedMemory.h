// The runtime's allocation operators: every block carries its size and a guard word in an 8-byte
// header, and the guard is checked when the block is freed.
#pragma once

#include <cstddef>
#include <cstdint>
#include <new>
#include <type_traits>

constexpr uint32_t kGuardWordLive = 0xDEADBEEF;
constexpr uint32_t kGuardWordFreed = 0xDEADDEAD;

void* GuardedNew(size_t size);
void GuardedDelete(void* block);
// A guarded block for count elements of elementSize bytes. A byte count beyond any allocation
// ends the process as out of memory, as an oversized GuardedNew does, instead of wrapping to a
// short block.
void* GuardedNewElements(int64_t count, size_t elementSize);

// The size a guarded block was requested with.
inline size_t GuardedBlockSize(const void* block) {
    return static_cast<const uint32_t*>(block)[-2];
}

// Base of the runtime's own heap objects: their new and delete are the guarded operators.
struct RuntimeAllocated {
    static void* operator new(size_t size) { return GuardedNew(size); }
    static void* operator new[](size_t size) { return GuardedNew(size); }
    static void operator delete(void* block) { GuardedDelete(block); }
    static void operator delete[](void* block) { GuardedDelete(block); }
};

// Arrays of any element type from the guarded operators. The element count is the block's
// recorded size over the element size, so no extra cookie is needed.
template <typename T>
T* GuardedNewArray(size_t count) {
    T* items = static_cast<T*>(GuardedNewElements(static_cast<int64_t>(count), sizeof(T)));
    if constexpr (!std::is_trivially_default_constructible_v<T>)
        for (size_t i = 0; i < count; ++i) new (items + i) T();
    return items;
}

template <typename T>
void GuardedDeleteArray(T* items) {
    if (!items) return;
    if constexpr (!std::is_trivially_destructible_v<T>) {
        const size_t count = GuardedBlockSize(items) / sizeof(T);
        for (size_t i = count; i-- > 0;) items[i].~T();
    }
    GuardedDelete(items);
}
