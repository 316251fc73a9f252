// The Bitwise module (And, Or and Xor over any number of operands, shifts within a bit width,
// ones' complement) and the older two-operand global functions.
#pragma once

#include <cstdint>

#include "core/ArrayRecord.h"
#include "core/ClassDefinition.h"

ObjectDefinition* GetBitwiseDefinition();

extern "C" {
int32_t BitwiseAnd(int32_t a, int32_t b);
int32_t BitwiseOr(int32_t a, int32_t b);
int32_t BitwiseXor(int32_t a, int32_t b);
// more is the ParamArray of further operands, null when none were given.
int32_t RuntimeBitwiseAnd(int32_t a, int32_t b, ArrayRecord* more);
int32_t RuntimeBitwiseOr(int32_t a, int32_t b, ArrayRecord* more);
int32_t RuntimeBitwiseXor(int32_t a, int32_t b, ArrayRecord* more);
// Shift the low numBits bits, keeping the bits above them; numBits above 32 (or negative) raises
// UnsupportedFormatException.
int32_t RuntimeBitwiseShiftLeft(int32_t value, int32_t shift, int32_t numBits);
int32_t RuntimeBitwiseShiftRight(int32_t value, int32_t shift, int32_t numBits);
int32_t RuntimeOnesCompliment(int32_t value);
}
