// Encoding values that strings carry as their tag. The four named tags are in RuntimeString.h.
#pragma once

#include <cstdint>

#include "core/RuntimeString.h"

constexpr uint32_t kEncodingMacRoman = 0x000;
constexpr uint32_t kEncodingISOLatin1 = 0x201;
constexpr uint32_t kEncodingDOSJapanese = 0x420;
constexpr uint32_t kEncodingDOSChineseTrad = 0x423;
constexpr uint32_t kEncodingWindowsLatin1 = 0x500;
constexpr uint32_t kEncodingWindowsLatin2 = 0x501;
constexpr uint32_t kEncodingWindowsCyrillic = 0x502;
constexpr uint32_t kEncodingISO2022JP = 0x820;
constexpr uint32_t kEncodingEUCJP = 0x920;
constexpr uint32_t kEncodingShiftJIS = 0xA01;

// Pseudo code pages for the encodings the runtime converts itself; never passed to the platform.
constexpr uint32_t kCodePageEUCJP = 900000;
constexpr uint32_t kCodePageISO2022JP = 900001;

// A value whose upper 16 bits are all ones (other than 0xFFFFFFFF) names a Windows code page.
constexpr bool IsCodePageEncoding(uint32_t value) {
    return (value >> 16) == 0xFFFF && value != 0xFFFFFFFF;
}
constexpr uint32_t EncodingForCodePage(uint16_t codePage) { return 0xFFFF0000u | codePage; }
