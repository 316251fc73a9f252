// Small utilities for NUL-terminated and counted byte strings, the byte-wise case fold, rectangle
// tests and a generic index sort.
#pragma once

#include <array>
#include <cstdint>

#include "Rect16.h"

// Maps a-z and the Mac Roman lower-case letters to their capitals; every other byte to itself.
extern const std::array<unsigned char, 256> FoldTable;

int32_t CStringLength(const char* text);
char* CStringCopy(char* destination, const char* text);
char* DuplicateCString(const char* text);
int CStringCompare(const char* a, const char* b);
int CStringCompareNoCase(const char* a, const char* b);
int CompareBytes(const void* a, int32_t lengthA, const void* b, int32_t lengthB);
int CompareBytesNoCase(const void* a, int32_t lengthA, const void* b, int32_t lengthB);
int32_t CStringToInteger(const char* text);
double CStringToDouble(const char* text);

void ZeroBytes(void* buffer, int32_t count);
void CopyBytes(void* destination, const void* source, int32_t count);
int32_t FillBytes(void* buffer, int32_t value, int32_t count);
int32_t FindByteSequence(const void* range, const void* pattern, int32_t patternLength,
                         int32_t rangeLength);

uint16_t UInt16FromBytesLE(const void* bytes);
uint32_t UInt32FromBytesBE(const void* bytes);

bool RectInsideRect(const Rect16& a, const Rect16& b);
bool RectSmallerThan(const Rect16& a, const Rect16& b);
Rect16 RectAtOrigin(Rect16 r);

// compare(i, j, data) > 0 when the element at i belongs after the one at j; swap(i, j, data)
// exchanges them. Sorts positions lo to hi - 1; a null data value sorts nothing.
using SortCompareProc = int (*)(int32_t i, int32_t j, void* data);
using SortSwapProc = void (*)(int32_t i, int32_t j, void* data);
void SortByIndex(int32_t lo, int32_t hi, SortCompareProc compare, SortSwapProc swap, void* data);
