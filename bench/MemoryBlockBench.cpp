// MemoryBlock's Long and DoubleValue accessors against memcpy (with a byte swap when the order is
// not the machine's) doing the same work, measured side by side in one run, in both byte orders.
#include <cstdio>
#include <cstring>

#include "BenchTiming.h"
#include "core/ByteOrder.h"
#include "core/RuntimeString.h"
#include "core/SmallBlockAllocator.h"
#include "values/MemoryBlock.h"

namespace {

constexpr int32_t kBytes = 64 * 1024;
constexpr int kPasses = 20;

// Keeps the plain loops from being folded away across passes.
template <typename T>
inline void Opaque(T& value) {
    __asm__ volatile("" : "+m"(value));
}

}  // namespace

int main() {
    InitAllocatorLock();
    InitStringLock();
    ObjectHeader* block = newMemoryBlock(kBytes);
    unsigned char* plain = MemoryBlockFields(block)->data;
    uint64_t checksum = 0;

    for (const bool littleEndian : {true, false}) {
        MemoryBlockFields(block)->LittleEndian = littleEndian;
        const bool swap = !littleEndian;
        const double longSet = Best([&] {
            for (int p = 0; p < kPasses; ++p)
                for (int32_t o = 0; o < kBytes; o += 4) memorySetLong(block, o, o + p);
            return uint64_t(plain[5]);
        }, checksum) / Best([&] {
            for (int p = 0; p < kPasses; ++p)
                for (int32_t o = 0; o < kBytes; o += 4) {
                    uint32_t v = uint32_t(o + p);
                    if (swap) v = SwapBytes32(v);
                    std::memcpy(plain + o, &v, 4);
                    Opaque(plain[o]);
                }
            return uint64_t(plain[5]);
        }, checksum);
        const double longGet = Best([&] {
            uint64_t sum = 0;
            for (int p = 0; p < kPasses; ++p)
                for (int32_t o = 0; o < kBytes; o += 4) sum += uint32_t(memoryGetLong(block, o));
            return sum;
        }, checksum) / Best([&] {
            uint64_t sum = 0;
            for (int p = 0; p < kPasses; ++p)
                for (int32_t o = 0; o < kBytes; o += 4) {
                    uint32_t v;
                    std::memcpy(&v, plain + o, 4);
                    if (swap) v = SwapBytes32(v);
                    sum += v;
                    Opaque(sum);
                }
            return sum;
        }, checksum);
        const double doubleSet = Best([&] {
            for (int p = 0; p < kPasses; ++p)
                for (int32_t o = 0; o < kBytes; o += 8) memorySetDouble(block, o, o * 0.5 + p);
            return uint64_t(plain[9]);
        }, checksum) / Best([&] {
            for (int p = 0; p < kPasses; ++p)
                for (int32_t o = 0; o < kBytes; o += 8) {
                    double v = o * 0.5 + p;
                    if (swap) v = SwapDoubleBytes(v);
                    std::memcpy(plain + o, &v, 8);
                    Opaque(plain[o]);
                }
            return uint64_t(plain[9]);
        }, checksum);
        const double doubleGet = Best([&] {
            double sum = 0;
            for (int p = 0; p < kPasses; ++p)
                for (int32_t o = 0; o < kBytes; o += 8) sum += memoryGetDouble(block, o);
            return uint64_t(sum);
        }, checksum) / Best([&] {
            double sum = 0;
            for (int p = 0; p < kPasses; ++p)
                for (int32_t o = 0; o < kBytes; o += 8) {
                    double v;
                    std::memcpy(&v, plain + o, 8);
                    if (swap) v = SwapDoubleBytes(v);
                    sum += v;
                    Opaque(sum);
                }
            return uint64_t(sum);
        }, checksum);
        const char* order = littleEndian ? "little-endian" : "big-endian   ";
        std::printf("MemoryBlock / memcpy, Long set, %s:         %.2f\n", order, longSet);
        std::printf("MemoryBlock / memcpy, Long get, %s:         %.2f\n", order, longGet);
        std::printf("MemoryBlock / memcpy, DoubleValue set, %s:  %.2f\n", order, doubleSet);
        std::printf("MemoryBlock / memcpy, DoubleValue get, %s:  %.2f\n", order, doubleGet);
    }
    std::printf("(checksum %llu)\n", static_cast<unsigned long long>(checksum));
    ReleaseObject(block);
    return 0;
}
