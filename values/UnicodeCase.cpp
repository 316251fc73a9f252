#include "UnicodeCase.h"

#include <climits>
#include <cstddef>
#include <cstring>

#include "CaseTables.h"
#include "core/Utf8Codec.h"
#include "core/GuardedMemory.h"
#include "core/IntKeyMap.h"

bool IsUnicodeWhiteSpace(uint32_t c) {
    return (c >= 0x9 && c <= 0xD) || c == 0x20 || c == 0x85 || c == 0xA0 || c == 0x1680 ||
           c == 0x180E || (c >= 0x2000 && c <= 0x200A) || c == 0x2028 || c == 0x2029 ||
           c == 0x202F || c == 0x205F || c == 0x3000;
}

namespace {

// The maps hold the mapped code point itself, so a lookup is a single hash probe. They are empty
// statics (constructing one allocates nothing) filled on the first lookup that needs them.
IntKeyMap<uint16_t> sLowerMap;  // folding source -> folded value
IntKeyMap<uint16_t> sUpperMap;  // source -> simple upper-case mapping
IntKeyMap<uint8_t> sCasedMap;   // every source and target of either table
bool sCaseMapsBuilt = false;

void BuildCaseMaps() {
    for (int32_t i = 0; i < kCaseFoldPairsCount; ++i) {
        sLowerMap.SetEntry(CaseFoldPairs[i].source, CaseFoldPairs[i].target);
        sCasedMap.SetEntry(CaseFoldPairs[i].source, 1);
        sCasedMap.SetEntry(CaseFoldPairs[i].target, 1);
    }
    for (int32_t i = 0; i < kCaseUpperPairsCount; ++i) {
        sUpperMap.SetEntry(CaseUpperPairs[i].source, CaseUpperPairs[i].target);
        sCasedMap.SetEntry(CaseUpperPairs[i].source, 1);
        sCasedMap.SetEntry(CaseUpperPairs[i].target, 1);
    }
    sCaseMapsBuilt = true;
}

// Looks up a non-ASCII code point. The tables end at U+FFFF; code points beyond have no mapping
// here and are never folded onto their low 16 bits.
inline uint32_t MapThrough(const IntKeyMap<uint16_t>& map, uint32_t codePoint) {
    if (codePoint > 0xFFFF) return codePoint;
    if (!sCaseMapsBuilt) BuildCaseMaps();
    uint16_t mapped;
    return map.GetEntry(codePoint, mapped) ? mapped : codePoint;
}

enum class CaseMode { kUpper, kLower, kTitle };

// Maps one code point; titleStart tells title case that the previous character was white space
// (or that this is the first) and is updated for the next one.
inline uint32_t MapForMode(uint32_t codePoint, CaseMode mode, bool& titleStart) {
    switch (mode) {
        case CaseMode::kUpper:
            return UnicodeToUpper(codePoint);
        case CaseMode::kLower:
            return UnicodeToLower(codePoint);
        case CaseMode::kTitle:
            break;
    }
    const uint32_t mapped = titleStart ? UnicodeToUpper(codePoint) : UnicodeToLower(codePoint);
    titleStart = IsUnicodeWhiteSpace(codePoint);
    return mapped;
}

int32_t EncodedLength(uint32_t codePoint) {
    if (codePoint < 0x80) return 1;
    if (codePoint < 0x800) return 2;
    if (codePoint <= 0xFFFF) return 3;
    return codePoint <= 0x1FFFFF ? 4 : 0;
}

// Collects the mapped text, or only counts its bytes when no block is wanted. Mapping can make
// text longer (U+0250 takes two bytes, its capital U+2C6F three; malformed input decodes to code
// points wider than the bytes they came from), so the block grows rather than cutting the text.
class Utf8Output {
public:
    Utf8Output(size_t sourceLength, bool counting) : mCounting(counting) {
        if (!mCounting) {
            mCapacity = sourceLength + 5;
            mBlock = static_cast<unsigned char*>(GuardedNew(mCapacity));
            mBlock[0] = 0;
        }
    }

    void Put(uint32_t codePoint) {
        if (mCounting) {
            mLength += EncodedLength(codePoint);
            return;
        }
        if (mLength + 5 > mCapacity) Grow();
        mLength += Utf8Encode(codePoint, mBlock + mLength);
    }

    unsigned char* Block() const { return mBlock; }
    int32_t Length() const { return mLength > INT32_MAX ? INT32_MAX : static_cast<int32_t>(mLength); }

private:
    void Grow() {
        const size_t capacity = mCapacity + mCapacity / 2 + 5;
        auto* block = static_cast<unsigned char*>(GuardedNew(capacity));
        std::memcpy(block, mBlock, mLength + 1);
        GuardedDelete(mBlock);
        mBlock = block;
        mCapacity = capacity;
    }

    bool mCounting;
    unsigned char* mBlock = nullptr;
    size_t mCapacity = 0;
    size_t mLength = 0;
};

void MapUtf8(const unsigned char* bytes, int32_t length, unsigned char** resultOut,
             int32_t* resultLengthOut, CaseMode mode) {
    if (!resultOut && !resultLengthOut) return;
    if (!bytes || length < 0) length = 0;
    Utf8Output output(static_cast<size_t>(length), resultOut == nullptr);
    const unsigned char* cursor = bytes;
    const unsigned char* const end = bytes + length;
    bool titleStart = true;
    while (cursor < end) {
        // Each character is the code point at its lead byte; the next starts at the next byte that
        // is not a continuation byte.
        uint32_t codePoint;
        if (*cursor < 0x80) {
            codePoint = *cursor++;
        } else {
            codePoint = Utf8Decode(cursor, end);
            cursor = Utf8AdvanceChars(cursor, end, 1);
        }
        output.Put(MapForMode(codePoint, mode, titleStart));
    }
    if (resultOut) *resultOut = output.Block();
    if (resultLengthOut) *resultLengthOut = output.Length();
}

uint16_t* MapUtf16(const uint16_t* units, int32_t byteLength, CaseMode mode) {
    if (byteLength < 0) byteLength = 0;
    auto* result = static_cast<uint16_t*>(GuardedNewElements(byteLength, 2));
    const int32_t count = units ? byteLength / 2 : 0;
    bool titleStart = true;
    for (int32_t i = 0; i < count; ++i)
        result[i] = static_cast<uint16_t>(MapForMode(units[i], mode, titleStart));
    return result;
}

}  // namespace

uint32_t UnicodeToUpper(uint32_t codePoint) {
    if (codePoint < 0x80) return codePoint >= 'a' && codePoint <= 'z' ? codePoint - 32 : codePoint;
    return MapThrough(sUpperMap, codePoint);
}

uint32_t UnicodeToLower(uint32_t codePoint) {
    if (codePoint < 0x80) return codePoint >= 'A' && codePoint <= 'Z' ? codePoint + 32 : codePoint;
    return MapThrough(sLowerMap, codePoint);
}

void Utf8ToUpper(const unsigned char* bytes, int32_t length, unsigned char** resultOut,
                 int32_t* resultLengthOut) {
    MapUtf8(bytes, length, resultOut, resultLengthOut, CaseMode::kUpper);
}

void Utf8ToLower(const unsigned char* bytes, int32_t length, unsigned char** resultOut,
                 int32_t* resultLengthOut) {
    MapUtf8(bytes, length, resultOut, resultLengthOut, CaseMode::kLower);
}

void Utf8ToTitle(const unsigned char* bytes, int32_t length, unsigned char** resultOut,
                 int32_t* resultLengthOut) {
    MapUtf8(bytes, length, resultOut, resultLengthOut, CaseMode::kTitle);
}

uint16_t* Utf16ToUpper(const uint16_t* units, int32_t byteLength) {
    return MapUtf16(units, byteLength, CaseMode::kUpper);
}

uint16_t* Utf16ToLower(const uint16_t* units, int32_t byteLength) {
    return MapUtf16(units, byteLength, CaseMode::kLower);
}

uint16_t* Utf16ToTitle(const uint16_t* units, int32_t byteLength) {
    return MapUtf16(units, byteLength, CaseMode::kTitle);
}

bool Utf8HasNoCase(const unsigned char* bytes, int32_t length) {
    if (!bytes || length <= 0) return true;
    const unsigned char* cursor = bytes;
    const unsigned char* const end = bytes + length;
    while (cursor < end) {
        const uint32_t codePoint = Utf8DecodeNext(cursor, end);
        if (codePoint < 0x80) {
            if ((codePoint | 0x20) >= 'a' && (codePoint | 0x20) <= 'z') return false;
            continue;
        }
        if (codePoint > 0xFFFF) continue;
        if (!sCaseMapsBuilt) BuildCaseMaps();
        uint8_t cased;
        if (sCasedMap.GetEntry(codePoint, cased)) return false;
    }
    return true;
}

int32_t CompareUtf8(const unsigned char* a, int32_t lengthA, const unsigned char* b,
                    int32_t lengthB, bool ignoreCase) {
    if (!a || lengthA < 0) lengthA = 0;
    if (!b || lengthB < 0) lengthB = 0;
    const unsigned char* cursorA = a;
    const unsigned char* cursorB = b;
    const unsigned char* const endA = a + lengthA;
    const unsigned char* const endB = b + lengthB;
    while (cursorA < endA && cursorB < endB) {
        uint32_t ca = Utf8DecodeNext(cursorA, endA);
        uint32_t cb = Utf8DecodeNext(cursorB, endB);
        if (ignoreCase) {
            ca = UnicodeToUpper(ca);
            cb = UnicodeToUpper(cb);
        }
        if (ca != cb) return ca < cb ? -1 : 1;
    }
    if (lengthA == lengthB) return 0;
    return lengthA < lengthB ? -1 : 1;
}

int32_t CompareUtf16(const uint16_t* a, int32_t byteLengthA, const uint16_t* b,
                     int32_t byteLengthB, bool ignoreCase) {
    const int32_t countA = a && byteLengthA > 0 ? byteLengthA / 2 : 0;
    const int32_t countB = b && byteLengthB > 0 ? byteLengthB / 2 : 0;
    const int32_t common = countA < countB ? countA : countB;
    for (int32_t i = 0; i < common; ++i) {
        uint32_t ca = a[i];
        uint32_t cb = b[i];
        if (ignoreCase) {
            ca = UnicodeToUpper(ca);
            cb = UnicodeToUpper(cb);
        }
        if (ca != cb) return ca < cb ? -1 : 1;
    }
    if (countA == countB) return 0;
    return countA < countB ? -1 : 1;
}
