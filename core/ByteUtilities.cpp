#include "ByteUtilities.h"

#include <cstdlib>
#include <cstring>

#include "FailureReport.h"
#include "GuardedMemory.h"
#include "SmallBlockAllocator.h"

namespace {

constexpr unsigned char MakeFoldEntry(int c) {
    if (c >= 'a' && c <= 'z') return static_cast<unsigned char>(c - 'a' + 'A');
    // Mac Roman lower-case letters and their capitals.
    constexpr unsigned char pairs[][2] = {
        {0x87, 0xE7}, {0x88, 0xCB}, {0x89, 0xE5}, {0x8A, 0x80}, {0x8B, 0xCC}, {0x8C, 0x81},
        {0x8D, 0x82}, {0x8E, 0x83}, {0x8F, 0xE9}, {0x90, 0xE6}, {0x91, 0xE8}, {0x92, 0xEA},
        {0x93, 0xED}, {0x94, 0xEB}, {0x95, 0xEC}, {0x96, 0x84}, {0x97, 0xEE}, {0x98, 0xF1},
        {0x99, 0xEF}, {0x9A, 0x85}, {0x9B, 0xCD}, {0x9C, 0xF2}, {0x9D, 0xF4}, {0x9E, 0xF3},
        {0x9F, 0x86}, {0xBE, 0xAE}, {0xBF, 0xAF}, {0xCF, 0xCE}, {0xD8, 0xD9}, {0xF5, 0x49},
    };
    for (const auto& pair : pairs)
        if (pair[0] == c) return pair[1];
    return static_cast<unsigned char>(c);
}

constexpr std::array<unsigned char, 256> MakeFoldTable() {
    std::array<unsigned char, 256> table{};
    for (int c = 0; c < 256; ++c) table[c] = MakeFoldEntry(c);
    return table;
}

int Sign(int value) { return (value > 0) - (value < 0); }

template <typename Map>
int CompareRuns(const void* a, int32_t lengthA, const void* b, int32_t lengthB, Map map) {
    const auto* x = static_cast<const unsigned char*>(a);
    const auto* y = static_cast<const unsigned char*>(b);
    const int32_t common = lengthA < lengthB ? lengthA : lengthB;
    for (int32_t i = 0; i < common; ++i) {
        const int d = map(x[i]) - map(y[i]);
        if (d) return Sign(d);
    }
    return Sign(lengthA - lengthB);
}

}  // namespace

extern const std::array<unsigned char, 256> FoldTable = MakeFoldTable();

int32_t CStringLength(const char* text) {
    if (!text) {
        ReportAssertion("utility", 490, "str");
        return 0;
    }
    return static_cast<int32_t>(std::strlen(text));
}

char* CStringCopy(char* destination, const char* text) { return std::strcpy(destination, text); }

char* DuplicateCString(const char* text) {
    const int32_t length = CStringLength(text);
    char* copy = static_cast<char*>(AllocateBlock(length + 1, 0));
    if (length) std::memcpy(copy, text, static_cast<size_t>(length));
    copy[length] = 0;
    return copy;
}

int CStringCompare(const char* a, const char* b) {
    const auto* x = reinterpret_cast<const unsigned char*>(a);
    const auto* y = reinterpret_cast<const unsigned char*>(b);
    while (*x && *x == *y) ++x, ++y;
    return Sign(*x - *y);
}

int CStringCompareNoCase(const char* a, const char* b) {
    if (!a || !b) return (a != nullptr) - (b != nullptr);
    const auto* x = reinterpret_cast<const unsigned char*>(a);
    const auto* y = reinterpret_cast<const unsigned char*>(b);
    while (*x && FoldTable[*x] == FoldTable[*y]) ++x, ++y;
    return Sign(FoldTable[*x] - FoldTable[*y]);
}

int CompareBytes(const void* a, int32_t lengthA, const void* b, int32_t lengthB) {
    return CompareRuns(a, lengthA, b, lengthB, [](unsigned char c) { return int(c); });
}

int CompareBytesNoCase(const void* a, int32_t lengthA, const void* b, int32_t lengthB) {
    return CompareRuns(a, lengthA, b, lengthB, [](unsigned char c) { return int(FoldTable[c]); });
}

int32_t CStringToInteger(const char* text) {
    while (*text == ' ') ++text;
    bool negative = false;
    if (*text == '-' || *text == '+') negative = *text++ == '-';
    uint32_t value = 0;  // wraps silently, as 32-bit arithmetic without an overflow check does
    while (*text >= '0' && *text <= '9') value = value * 10 + static_cast<uint32_t>(*text++ - '0');
    return static_cast<int32_t>(negative ? 0u - value : value);
}

double CStringToDouble(const char* text) { return std::atof(text); }

void ZeroBytes(void* buffer, int32_t count) {
    if (count > 0) std::memset(buffer, 0, static_cast<size_t>(count));
}

void CopyBytes(void* destination, const void* source, int32_t count) {
    if (count > 0) std::memmove(destination, source, static_cast<size_t>(count));
}

int32_t FillBytes(void* buffer, int32_t value, int32_t count) {
    if (count > 0) std::memset(buffer, value & 0xFF, static_cast<size_t>(count));
    return count;
}

int32_t FindByteSequence(const void* range, const void* pattern, int32_t patternLength,
                         int32_t rangeLength) {
    const auto* r = static_cast<const unsigned char*>(range);
    for (int32_t i = 0; i + patternLength <= rangeLength; ++i)
        if (std::memcmp(r + i, pattern, static_cast<size_t>(patternLength)) == 0) return i;
    return -1;
}

uint16_t UInt16FromBytesLE(const void* bytes) {
    const auto* b = static_cast<const unsigned char*>(bytes);
    return static_cast<uint16_t>(b[0] | b[1] << 8);
}

uint32_t UInt32FromBytesBE(const void* bytes) {
    const auto* b = static_cast<const unsigned char*>(bytes);
    return uint32_t(b[0]) << 24 | uint32_t(b[1]) << 16 | uint32_t(b[2]) << 8 | b[3];
}

bool RectInsideRect(const Rect16& a, const Rect16& b) {
    return a.left >= b.left && a.right <= b.right && a.top >= b.top && a.bottom <= b.bottom;
}

bool RectSmallerThan(const Rect16& a, const Rect16& b) {
    return a.right - a.left < b.right - b.left && a.bottom - a.top < b.bottom - b.top;
}

Rect16 RectAtOrigin(Rect16 r) {
    OffsetRect16(r, static_cast<int16_t>(-r.left), static_cast<int16_t>(-r.top));
    return r;
}

namespace {
struct PendingRange : RuntimeAllocated {
    PendingRange* next;
    int32_t lo;
    int32_t hi;
};
}  // namespace

void SortByIndex(int32_t lo, int32_t hi, SortCompareProc compare, SortSwapProc swap, void* data) {
    if (!data) return;
    PendingRange* pending = nullptr;
    for (;;) {
        while (lo >= hi) {
            if (!pending) return;
            PendingRange* top = pending;
            pending = top->next;
            lo = top->lo;
            hi = top->hi;
            delete top;
        }
        int32_t mid = (lo + hi) / 2;
        int32_t i = lo;
        int32_t j = mid + 1;
        for (;;) {
            while (i < mid && compare(i, mid, data) <= 0) ++i;
            while (j < hi && compare(j, mid, data) >= 0) ++j;
            if (i < mid && j < hi) {
                swap(i++, j++, data);
            } else if (i < mid) {
                // The element at i belongs right of the pivot: bubble it to the end of the range.
                for (int32_t k = i; k < hi - 1; ++k) swap(k, k + 1, data);
                --mid;
            } else if (j < hi) {
                // The element at j belongs left of the pivot: bubble it down to the pivot's place.
                for (int32_t k = j; k > mid; --k) swap(k, k - 1, data);
                ++mid;
                ++j;
            } else {
                break;
            }
        }
        auto* right = new PendingRange;
        right->next = pending;
        right->lo = mid + 1;
        right->hi = hi;
        pending = right;
        hi = mid;
    }
}
