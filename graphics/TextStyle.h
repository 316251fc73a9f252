// A text style: the font name, the bold, italic and underline bytes and the size, as the control
// font cache keys its fonts and as controls hand their font to a graphics.
#pragma once

#include <cstdint>

#include "core/RuntimeString.h"

struct TextStyle {
    string fontName;
    uint8_t bold = 0;
    uint8_t italic = 0;
    uint8_t underline = 0;
    int16_t size = 12;

    // Copies other when any field differs (names byte for byte); answers whether it did.
    bool Assign(const TextStyle& other) {
        if (string::Compare(fontName, other.fontName) == 0 && size == other.size &&
            bold == other.bold && underline == other.underline && italic == other.italic)
            return false;
        fontName = other.fontName;
        bold = other.bold;
        italic = other.italic;
        underline = other.underline;
        size = other.size;
        return true;
    }
    // Bold 1, italic 2, underline 4.
    int32_t FaceBits() const { return (bold ? 1 : 0) | (italic ? 2 : 0) | (underline ? 4 : 0); }
    // Sets the fields whose bits are present; never clears one.
    void SetFaceBits(int32_t bits) {
        if (bits & 1) bold = 1;
        if (bits & 2) italic = 1;
        if (bits & 4) underline = 1;
    }
};
