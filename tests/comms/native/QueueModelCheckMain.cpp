// The byte-queue model check built natively, to run under AddressSanitizer.
#include <cstdio>

#include "../QueueModelCheck.h"

extern int gNativeFailureCount;

int main() {
    for (uint32_t seed = 1; seed <= 200; ++seed) {
        const std::string difference = RunQueueModelCheck(seed, 500, seed % 2 ? 64 : 1000);
        if (!difference.empty()) {
            std::printf("%s\n", difference.c_str());
            return 1;
        }
    }
    const std::string large = RunQueueModelCheck(7, 80, MemoryManager::kNodeSize);
    if (!large.empty()) {
        std::printf("%s\n", large.c_str());
        return 1;
    }
    if (gNativeFailureCount != 0) return 1;
    std::printf("byte queue model check passed\n");
    return 0;
}
