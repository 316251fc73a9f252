// Object creation and reference counting through the entry points compiled code calls, against a
// C++ object of the same size with an intrusive count, made with new and delete and counted
// inline. Compiled code calls RuntimeLockObject and RuntimeUnlockObject for every reference it
// copies or drops, so the pairs matter as much as creation.
#include <windows.h>

#include <cstdio>

#include "BenchTiming.h"
#include "core/ObjectModel.h"
#include "core/SmallBlockAllocator.h"

namespace {

constexpr int kObjects = 1'000'000;
constexpr int kPairs = 20'000'000;
constexpr int kFieldBytes = 16;  // a class with a few fields

// The C++ counterpart: the same bytes as a runtime object of the bench class.
struct CountedObject {
    int32_t refCount = 1;
    char rest[sizeof(ObjectHeader) + kFieldBytes - sizeof(int32_t)] = {};
};
static_assert(sizeof(CountedObject) == sizeof(ObjectHeader) + kFieldBytes);

inline void Retain(CountedObject* object) {
    if (object && object->refCount != 0) ++object->refCount;
}
inline void Release(CountedObject* object) {
    if (object && object->refCount > 0 && --object->refCount == 0) delete object;
}

// Keeps the compiler from folding the inline counts away: the object is read and written
// between steps, as it would be by code it cannot see.
inline void Escape(void* p) { asm volatile("" : : "g"(p) : "memory"); }

// Creation in batches, so that the live-object list and the heap hold many objects at once.
constexpr int kBatch = 1000;

void CreateRuntimeObjects(ClassRecord* classRecord) {
    static ObjectHeader* batch[kBatch];
    for (int done = 0; done < kObjects; done += kBatch) {
        for (ObjectHeader*& object : batch) object = RuntimeNewObject(classRecord);
        for (ObjectHeader* object : batch) RuntimeUnlockObject(object);
    }
}

void CreateCountedObjects() {
    static CountedObject* batch[kBatch];
    for (int done = 0; done < kObjects; done += kBatch) {
        for (CountedObject*& object : batch) {
            object = new CountedObject;
            Escape(object);
        }
        for (CountedObject* object : batch) Release(object);
    }
}

void RuntimePairs(ObjectHeader* object) {
    for (int i = 0; i < kPairs; ++i) {
        RuntimeLockObject(object);
        RuntimeUnlockObject(object);
    }
}

void CountedPairs(CountedObject* object) {
    for (int i = 0; i < kPairs; ++i) {
        Retain(object);
        Escape(object);
        Release(object);
        Escape(object);
    }
}

}  // namespace

int main() {
    InitAllocatorLock();
    InitStringLock();
    ClassRecord* classRecord = RuntimeNewClass(nullptr, 0, 0, 0, 0, 0);
    classRecord->instanceSize = kObjectHeaderSize + kFieldBytes;

    const double runtimeCreate = Best([&] { CreateRuntimeObjects(classRecord); });
    const double cppCreate = Best(CreateCountedObjects);

    ObjectHeader* object = RuntimeNewObject(classRecord);
    auto* counted = new CountedObject;
    const double runtimePairs = Best([&] { RuntimePairs(object); });
    const double cppPairs = Best([&] { CountedPairs(counted); });
    RuntimeUnlockObject(object);
    Release(counted);

    std::printf("objects of %d bytes, best of %d rounds\n", classRecord->instanceSize, kRounds);
    std::printf("  %d creations and releases, in batches of %d\n", kObjects, kBatch);
    std::printf("    RuntimeNewObject/RuntimeUnlockObject   %8.1f ms\n", runtimeCreate * 1e3);
    std::printf("    new/delete with an intrusive count     %8.1f ms   ratio %.2f\n",
                cppCreate * 1e3, cppCreate / runtimeCreate);
    std::printf("  %d retain/release pairs on one object\n", kPairs);
    std::printf("    RuntimeLockObject/RuntimeUnlockObject  %8.1f ms\n", runtimePairs * 1e3);
    std::printf("    inline increment/decrement-and-test    %8.1f ms   ratio %.2f\n",
                cppPairs * 1e3, cppPairs / runtimePairs);
    std::printf("(ratio above 1: the runtime is that many times faster)\n");
    return 0;
}
