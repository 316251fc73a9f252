#include "values/JapaneseEncodingGuess.h"

#include "core/TextEncodings.h"

namespace {

enum class Guess { Unknown, Ambiguous, ISO2022JP, EUCJP, ShiftJIS };

bool In(int32_t c, int32_t low, int32_t high) { return c >= low && c <= high; }

// Reads the bytes one at a time; past the end gives -1.
struct ByteReader {
    const unsigned char* bytes;
    int32_t length;
    int32_t position = 0;
    int32_t Next() { return position < length ? bytes[position++] : -1; }
};

bool Decided(Guess g) { return g == Guess::ISO2022JP || g == Guess::EUCJP || g == Guess::ShiftJIS; }

}  // namespace

uint32_t GuessJapaneseEncodingValue(const unsigned char* bytes, int32_t length) {
    ByteReader in{bytes, length};
    Guess state = Guess::Unknown;
    while (!Decided(state)) {
        const int32_t c = in.Next();
        if (c < 0) break;
        if (c == 0x1B) {
            const int32_t c2 = in.Next();
            if (c2 == 0x24) {
                const int32_t c3 = in.Next();
                if (c3 == 0x42 || c3 == 0x40) state = Guess::ISO2022JP;
            } else if (c2 == 0x4B) {
                state = Guess::ISO2022JP;
            }
        } else if (In(c, 0x81, 0x8D) || In(c, 0x8F, 0x9F)) {
            state = Guess::ShiftJIS;
        } else if (c == 0x8E) {
            const int32_t c2 = in.Next();
            if (In(c2, 0x40, 0x7E) || In(c2, 0x80, 0xA0) || In(c2, 0xE0, 0xFC))
                state = Guess::ShiftJIS;
            else if (In(c2, 0xA1, 0xDF))
                state = Guess::Ambiguous;
        } else if (In(c, 0xA1, 0xDF)) {
            int32_t c2 = in.Next();
            if (In(c2, 0xF0, 0xFE)) {
                state = Guess::EUCJP;
            } else if (In(c2, 0xA1, 0xDF)) {
                state = Guess::Ambiguous;
            } else if (In(c2, 0xE0, 0xEF)) {
                state = Guess::Ambiguous;
                while (c2 >= 0x40 && state == Guess::Ambiguous) {
                    if (In(c2, 0x81, 0x8D) || In(c2, 0x8F, 0x9F))
                        state = Guess::ShiftJIS;
                    else if (In(c2, 0xFD, 0xFE))
                        state = Guess::EUCJP;
                    c2 = in.Next();
                }
            } else if (c2 <= 0x9F) {
                state = Guess::ShiftJIS;
            }
        } else if (In(c, 0xF0, 0xFE)) {
            state = Guess::EUCJP;
        } else if (In(c, 0xE0, 0xEF)) {
            const int32_t c2 = in.Next();
            if (In(c2, 0x40, 0x7E) || In(c2, 0x80, 0xA0))
                state = Guess::ShiftJIS;
            else if (In(c2, 0xFD, 0xFE))
                state = Guess::EUCJP;
            else if (In(c2, 0xA1, 0xFC))
                state = Guess::Ambiguous;
        }
    }
    switch (state) {
        case Guess::ISO2022JP: return kEncodingISO2022JP;
        case Guess::EUCJP: return kEncodingEUCJP;
        case Guess::ShiftJIS: return kEncodingShiftJIS;
        default: return kEncodingUnknown;
    }
}
