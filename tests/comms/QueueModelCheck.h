// A model check of the byte queue: random appends, consumes, reads and clears on a MemoryManager
// and on a std::deque side by side, comparing totals, peeks and every byte read. Shared by the
// GoogleTest suite and the native build under AddressSanitizer.
#pragma once

#include <cstdint>
#include <cstring>
#include <deque>
#include <random>
#include <string>
#include <vector>

#include "comms/MemoryManager.h"

// Runs the operations and returns "" or a description of the first difference.
inline std::string RunQueueModelCheck(uint32_t seed, int operations, int32_t nodeSize) {
    std::mt19937 random(seed);
    MemoryManager queue;
    queue.mNodeSize = nodeSize;  // small nodes make every operation cross node edges
    std::deque<uint8_t> model;
    uint8_t next = 0;
    auto fail = [&](int step, const char* what) {
        return "seed " + std::to_string(seed) + " step " + std::to_string(step) + ": " + what;
    };
    for (int step = 0; step < operations; ++step) {
        const int32_t size = static_cast<int32_t>(random() % (3 * nodeSize));
        switch (random() % 6) {
            case 0:
            case 1: {
                std::vector<uint8_t> bytes(static_cast<size_t>(size));
                for (uint8_t& byte : bytes) byte = next++;
                queue.Append(bytes.data(), size);
                model.insert(model.end(), bytes.begin(), bytes.end());
                break;
            }
            case 2: {
                queue.Consume(size);
                model.erase(model.begin(), model.begin() + std::min<size_t>(model.size(), size));
                break;
            }
            case 3:
            case 4: {
                const bool remove = random() % 2 == 0;
                std::vector<uint8_t> buffer(static_cast<size_t>(size) + 1, 0xEE);
                const int32_t copied = queue.Read(buffer.data(), size, remove);
                const size_t expected = std::min<size_t>(model.size(), size);
                if (copied != static_cast<int32_t>(expected)) return fail(step, "read count");
                if (!std::equal(buffer.begin(), buffer.begin() + copied, model.begin()))
                    return fail(step, "read bytes");
                if (buffer[copied] != 0xEE) return fail(step, "read past the count");
                if (remove) model.erase(model.begin(), model.begin() + copied);
                break;
            }
            case 5:
                if (random() % 8 == 0) {
                    queue.Clear();
                    model.clear();
                }
                break;
        }
        if (queue.Total() != static_cast<int32_t>(model.size())) return fail(step, "total");
        int32_t contiguous = -1;
        const uint8_t* piece = queue.PeekContiguous(&contiguous);
        if (contiguous > static_cast<int32_t>(model.size()) || contiguous > nodeSize)
            return fail(step, "peek length");
        if (contiguous > 0 && !std::equal(piece, piece + contiguous, model.begin()))
            return fail(step, "peek bytes");
        if (!model.empty() && contiguous == 0 && queue.mHead && queue.mHead == queue.mTail)
            return fail(step, "empty peek of a single node with bytes");
        // The chain is consistent both ways and holds exactly the total.
        int64_t held = 0;
        const MemoryManagerNode* last = nullptr;
        for (const MemoryManagerNode* node = queue.mHead; node; node = node->mNext) {
            if (node->mPrev != last) return fail(step, "broken back link");
            if (node->readPosition < 0 || node->readPosition > node->writePosition ||
                node->writePosition > node->capacity)
                return fail(step, "node positions");
            held += node->writePosition - node->readPosition;
            last = node;
        }
        if (last != queue.mTail) return fail(step, "tail is not the last node");
        if (held != queue.Total()) return fail(step, "node contents differ from the total");
    }
    return "";
}
