// The small-block allocator against the C library's malloc/free and the process heap, on the mix
// of block sizes the runtime makes (8 to 256 bytes), in the pattern the runtime has: most blocks
// die young, some live on while others are made.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <vector>

#include "core/SmallBlockAllocator.h"

namespace {

constexpr int kSlots = 4096;
constexpr int kOperations = 4'000'000;

struct Step {
    uint16_t slot;
    uint16_t size;
};

std::vector<Step> MakeSteps() {
    std::vector<Step> steps(kOperations);
    uint32_t seed = 12345;
    auto next = [&seed] { return seed = seed * 1664525u + 1013904223u; };
    for (Step& step : steps) {
        // Small sizes dominate: string records and short buffers.
        const uint32_t r = next();
        step.size = static_cast<uint16_t>((r >> 8) % 8 == 0 ? 8 + (r >> 16) % 249 : 8 + (r >> 16) % 48);
        step.slot = static_cast<uint16_t>(next() % kSlots);
    }
    return steps;
}

template <typename Allocate, typename Free>
double Run(const std::vector<Step>& steps, Allocate allocate, Free release) {
    static void* blocks[kSlots];
    static uint16_t sizes[kSlots];
    LARGE_INTEGER frequency, start, end;
    QueryPerformanceFrequency(&frequency);
    QueryPerformanceCounter(&start);
    for (const Step& step : steps) {
        if (blocks[step.slot]) release(blocks[step.slot], sizes[step.slot]);
        blocks[step.slot] = allocate(step.size);
        static_cast<char*>(blocks[step.slot])[0] = 1;
        sizes[step.slot] = step.size;
    }
    for (int i = 0; i < kSlots; ++i) {
        if (blocks[i]) release(blocks[i], sizes[i]);
        blocks[i] = nullptr;
    }
    QueryPerformanceCounter(&end);
    return double(end.QuadPart - start.QuadPart) / double(frequency.QuadPart);
}

}  // namespace

int main() {
    InitAllocatorLock();
    const std::vector<Step> steps = MakeSteps();
    HANDLE heap = GetProcessHeap();
    double best[3] = {1e9, 1e9, 1e9};
    for (int round = 0; round < 3; ++round) {
        const double runtime = Run(steps, [](int n) { return AllocateMemory(n, 0); },
                                   [](void* p, int n) { FreeMemory(p, n); });
        const double crt = Run(steps, [](int n) { return std::malloc(n); },
                               [](void* p, int) { std::free(p); });
        const double win = Run(steps, [heap](int n) { return HeapAlloc(heap, 0, n); },
                               [heap](void* p, int) { HeapFree(heap, 0, p); });
        if (runtime < best[0]) best[0] = runtime;
        if (crt < best[1]) best[1] = crt;
        if (win < best[2]) best[2] = win;
    }
    std::printf("allocator: %d allocate/free pairs of 8-256 bytes, best of 3 rounds\n", kOperations);
    std::printf("  AllocateMemory/FreeMemory  %8.1f ms\n", best[0] * 1e3);
    std::printf("  malloc/free                %8.1f ms   ratio %.2f\n", best[1] * 1e3, best[1] / best[0]);
    std::printf("  HeapAlloc/HeapFree         %8.1f ms   ratio %.2f\n", best[2] * 1e3, best[2] / best[0]);
    std::printf("(ratio above 1: the runtime's allocator is that many times faster)\n");
    return 0;
}
