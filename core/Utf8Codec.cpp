#include "core/Utf8Codec.h"

namespace {

// How many continuation bytes a lead byte announces, and the bits the lead itself contributes.
// Every lead of 0x80 or more that is not 110xxxxx or 1110xxxx (stray continuation bytes and
// 0xF8 to 0xFF included) takes three.
inline int ContinuationCount(unsigned lead) {
    if ((lead & 0xE0) == 0xC0) return 1;
    if ((lead & 0xF0) == 0xE0) return 2;
    return 3;
}

inline uint32_t LeadBits(unsigned lead, int continuations) {
    return lead & (0x3Fu >> continuations);
}

inline bool IsContinuation(unsigned char byte) { return (byte & 0xC0) == 0x80; }

}  // namespace

int32_t Utf8Encode(uint32_t codePoint, unsigned char* out) {
    if (!out) return 0;
    int32_t count;
    if (codePoint < 0x80) {
        out[0] = static_cast<unsigned char>(codePoint);
        count = 1;
    } else if (codePoint < 0x800) {
        out[0] = static_cast<unsigned char>(0xC0 | (codePoint >> 6));
        out[1] = static_cast<unsigned char>(0x80 | (codePoint & 0x3F));
        count = 2;
    } else if (codePoint <= 0xFFFF) {
        out[0] = static_cast<unsigned char>(0xE0 | (codePoint >> 12));
        out[1] = static_cast<unsigned char>(0x80 | ((codePoint >> 6) & 0x3F));
        out[2] = static_cast<unsigned char>(0x80 | (codePoint & 0x3F));
        count = 3;
    } else if (codePoint <= 0x1FFFFF) {
        out[0] = static_cast<unsigned char>(0xF0 | (codePoint >> 18));
        out[1] = static_cast<unsigned char>(0x80 | ((codePoint >> 12) & 0x3F));
        out[2] = static_cast<unsigned char>(0x80 | ((codePoint >> 6) & 0x3F));
        out[3] = static_cast<unsigned char>(0x80 | (codePoint & 0x3F));
        count = 4;
    } else {
        count = 0;
    }
    out[count] = 0;
    return count;
}

uint32_t Utf8DecodeNext(const unsigned char*& cursor, const unsigned char* end) {
    if (!cursor || cursor >= end) return 0;
    const unsigned lead = *cursor;
    if (lead < 0x80) {
        ++cursor;
        return lead;
    }
    const int count = ContinuationCount(lead);
    if (end - cursor <= count) {
        cursor = end;
        return kReplacementCharacter;
    }
    uint32_t codePoint = LeadBits(lead, count);
    for (int i = 1; i <= count; ++i) codePoint = (codePoint << 6) | (cursor[i] & 0x3F);
    cursor += count + 1;
    return codePoint;
}

// Without an end, a NUL among the announced continuation bytes marks the end of the text.
uint32_t Utf8DecodeNext(const unsigned char*& cursor) {
    if (!cursor) return 0;
    const unsigned lead = *cursor;
    if (lead < 0x80) {
        if (lead) ++cursor;
        return lead;
    }
    const int count = ContinuationCount(lead);
    uint32_t codePoint = LeadBits(lead, count);
    for (int i = 1; i <= count; ++i) {
        if (!cursor[i]) {
            cursor += i;
            return kReplacementCharacter;
        }
        codePoint = (codePoint << 6) | (cursor[i] & 0x3F);
    }
    cursor += count + 1;
    return codePoint;
}

uint32_t Utf8Decode(const unsigned char* bytes) { return Utf8DecodeNext(bytes); }

uint32_t Utf8Decode(const unsigned char* bytes, const unsigned char* end) {
    return Utf8DecodeNext(bytes, end);
}

const unsigned char* Utf8AdvanceChars(const unsigned char* pointer, const unsigned char* end,
                                      int32_t n) {
    if (!pointer) return pointer;
    for (; n > 0 && pointer < end; --n) {
        ++pointer;
        while (pointer < end && IsContinuation(*pointer)) ++pointer;
    }
    return pointer;
}

const unsigned char* Utf8RetreatChars(const unsigned char* pointer, const unsigned char* start,
                                      int32_t n) {
    if (!pointer) return pointer;
    for (; n > 0 && pointer > start; --n) {
        --pointer;
        while (pointer > start && IsContinuation(*pointer)) --pointer;
    }
    return pointer;
}
