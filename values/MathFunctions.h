// The language's math functions and the conversions compiled code calls between 32-bit integers
// and Single or Double values.
#pragma once

#include <cstdint>

#include "core/ArrayRecord.h"

extern "C" {
double RuntimeACos(double x);
double RuntimeASin(double x);
double RuntimeATan(double x);
double RuntimeATan2(double y, double x);
double RuntimeCos(double x);
double RuntimeSin(double x);
double RuntimeTan(double x);
double RuntimeExp(double x);
double RuntimeLog(double x);
double RuntimeSqrt(double x);
double RuntimePow(double base, double exponent);
double RuntimeCeil(double x);
double RuntimeFloor(double x);
// Exactly half away from zero.
double RuntimeRound(double x);
double RuntimeAbs(double x);
int32_t RuntimeSign(double x);
// more is the ParamArray of further values, null when none were given.
double RuntimeMax(double a, double b, ArrayRecord* more);
double RuntimeMin(double a, double b, ArrayRecord* more);

float RuntimeIntToFloat(int32_t x);
float RuntimeUIntToFloat(uint32_t x);
double RuntimeIntToDouble(int32_t x);
double RuntimeUIntToDouble(uint32_t x);
// Out of the signed range: 0x80000000.
int32_t RuntimeFloatToInt(float x);
int32_t RuntimeDoubleToInt(double x);
// Through a 64-bit integer, the low 32 bits kept.
uint32_t RuntimeFloatToUInt(float x);
uint32_t RuntimeDoubleToUInt(double x);
}
