// Decides from the bytes of a text whether it is ISO-2022-JP, EUC-JP or Shift-JIS.
#pragma once

#include <cstdint>

// kEncodingISO2022JP, kEncodingEUCJP or kEncodingShiftJIS; 0xFFFF when the bytes decide nothing
// (plain ASCII, or only bytes that both EUC-JP and Shift-JIS allow).
uint32_t GuessJapaneseEncodingValue(const unsigned char* bytes, int32_t length);
