// The language's Random class: a lagged Fibonacci generator per object, with uniform,
// integer-range and Gaussian draws.
#pragma once

#include <cstdint>

#include "core/ClassDefinition.h"
#include "core/ObjectModel.h"

constexpr int kRandomStateSize = 55;

// Fixed by the class definition's field offsets.
struct RandomObject {
    ObjectHeader header;
    uint32_t state[kRandomStateSize];
    int16_t index;
    double Seed;
};

ObjectDefinition* GetRandomDefinition();

extern "C" {
void RandomConstructor(ObjectHeader* self);
void RandomSeedSetter(ObjectHeader* self, int32_t offset, double seed);
// Takes a new Seed from the microsecond clock without reseeding the numbers drawn.
void RandomizeSeed(ObjectHeader* self);
double RandomNumber(ObjectHeader* self);
int32_t RandomNumberLessThan(ObjectHeader* self, int32_t range);
int32_t RandomNumberInRangeMinMax(ObjectHeader* self, int32_t minRange, int32_t maxRange);
double RandomGaussian(ObjectHeader* self);
}
