#include "values/Random.h"

#include <cmath>
#include <cstddef>

#include "core/DefinitionConversion.h"
#include "core/IntrinsicTypes.h"
#include "core/PropertyAccessors.h"
#include "core/NumberConversion.h"
#include "values/NumberText.h"

namespace {

constexpr uint32_t kModulus = 100000000;

RandomObject* Fields(ObjectHeader* self) { return reinterpret_cast<RandomObject*>(self); }

// a x b mod 10^8 without overflowing 32 bits: the factors split into four-digit halves.
uint32_t MultiplyModulo(uint32_t a, uint32_t b) {
    const uint32_t a1 = a / 10000, a0 = a % 10000, b1 = b / 10000, b0 = b % 10000;
    return (((a1 * b0 + a0 * b1) % 10000) * 10000 + a0 * b0) % kModulus;
}

void Seed(RandomObject* random) {
    random->index = kRandomStateSize;
    random->state[0] = TruncateToUInt32(random->Seed);
    for (int i = 1; i < kRandomStateSize; ++i)
        random->state[i] = (MultiplyModulo(random->state[i - 1], 31415821) + 1) % kModulus;
}

// The ziggurat of Marsaglia and Tsang with 128 layers, built on the first Gaussian draw.
constexpr double kZigR = 3.442619855899;
constexpr double kZigV = 9.91256303526217e-3;
double sZigX[129];
double sZigRatio[128];
bool sZigBuilt = false;

void BuildZiggurat() {
    double f = std::exp(-0.5 * kZigR * kZigR);
    sZigX[0] = kZigV / f;
    sZigX[1] = kZigR;
    sZigX[128] = 0;
    for (int i = 2; i <= 127; ++i) {
        sZigX[i] = std::sqrt(-2 * std::log(kZigV / sZigX[i - 1] + f));
        f = std::exp(-0.5 * sZigX[i] * sZigX[i]);
    }
    for (int j = 0; j < 128; ++j) sZigRatio[j] = sZigX[j + 1] / sZigX[j];
    sZigBuilt = true;
}

PropertyEntry kRandomProperties[] = {
    {kRowAttr4, "Seed", AsType(&kDoubleType), RowFunction(doubleGetter), "doubleGetter",
     RowFunction(RandomSeedSetter), "RandomSeedSetter", offsetof(RandomObject, Seed), 0},
};

ParameterEntry kRangeParameter[] = {{"range", AsType(&kIntegerType), 0, 0, 0, 0}};
ParameterEntry kMinMaxParameters[] = {{"minRange", AsType(&kIntegerType), 0, 0, 0, 0},
                                      {"maxRange", AsType(&kIntegerType), 0, 0, 0, 0}};

MethodEntry kRandomMethods[] = {
    {"Number", AsType(&kDoubleType), nullptr, 0, Function(RandomNumber, "RandomNumber"), {},
     kMethodPlain, kRowAttr4, 0},
    {"LessThan", AsType(&kIntegerType), kRangeParameter, 1,
     Function(RandomNumberLessThan, "RandomNumberLessThan"), {}, kMethodPlain, kRowAttr4, 0},
    {"InRange", AsType(&kIntegerType), kMinMaxParameters, 2,
     Function(RandomNumberInRangeMinMax, "RandomNumberInRangeMinMax"), {}, kMethodPlain, kRowAttr4,
     0},
    {"Gaussian", AsType(&kDoubleType), nullptr, 0, Function(RandomGaussian, "RandomGaussian"), {},
     kMethodPlain, kRowAttr4, 0},
    {"RandomizeSeed", nullptr, nullptr, 0, Function(RandomizeSeed, "RandomizeSeed"), {},
     kMethodPlain, kRowAttr4, 0},
};

const ClassRows kRandomRows = {
    .className = "Random",
    .superclass = nullptr,
    .objectSize = sizeof(RandomObject),
    .initializer = Function(RandomConstructor, "RandomConstructor"),
    .properties = kRandomProperties,
    .methods = kRandomMethods,
};

}  // namespace

ObjectDefinition* GetRandomDefinition() {
    static ObjectDefinition definition;
    return FillClassDefinition(definition, kRandomRows);
}

extern "C" {

void RandomConstructor(ObjectHeader* self) {
    RandomizeSeed(self);
    Seed(Fields(self));
}

void RandomSeedSetter(ObjectHeader* self, int32_t, double seed) {
    Fields(self)->Seed = seed;
    Seed(Fields(self));
}

void RandomizeSeed(ObjectHeader* self) {
    const int64_t clock = static_cast<int64_t>(RuntimeMicroseconds());
    Fields(self)->Seed = static_cast<double>(clock % 4294967295LL);
}

double RandomNumber(ObjectHeader* self) {
    RandomObject* random = Fields(self);
    const int index = (random->index + 1) % kRandomStateSize;
    random->index = static_cast<int16_t>(index);
    random->state[index] = (random->state[(index + 23) % kRandomStateSize] +
                            random->state[(index + 54) % kRandomStateSize]) %
                           kModulus;
    return random->state[index] / 100000000.0;
}

int32_t RandomNumberLessThan(ObjectHeader* self, int32_t range) {
    return TruncateToInt32(range * RandomNumber(self));
}

int32_t RandomNumberInRangeMinMax(ObjectHeader* self, int32_t minRange, int32_t maxRange) {
    // The span in 64 bits: the whole Integer range spans 2^32 values.
    const int64_t span = static_cast<int64_t>(maxRange) - minRange + 1;
    const int64_t offset = static_cast<int64_t>(static_cast<double>(span) * RandomNumber(self));
    return static_cast<int32_t>(static_cast<uint32_t>(static_cast<int64_t>(minRange) + offset));
}

double RandomGaussian(ObjectHeader* self) {
    if (!sZigBuilt) BuildZiggurat();
    for (;;) {
        const double u = 2 * RandomNumber(self) - 1;
        const int i = static_cast<int>(RandomNumber(self) * 128.0);
        if (std::fabs(u) < sZigRatio[i]) return u * sZigX[i];
        if (i == 0) {
            double c, d;
            do {
                c = std::log(RandomNumber(self)) / kZigR;
                d = std::log(RandomNumber(self));
            } while (-2 * d < c * c);
            return u < 0 ? c - kZigR : kZigR - c;
        }
        const double x = u * sZigX[i];
        const double f0 = std::exp(-0.5 * (sZigX[i] * sZigX[i] - x * x));
        const double f1 = std::exp(-0.5 * (sZigX[i + 1] * sZigX[i + 1] - x * x));
        if (f1 + RandomNumber(self) * (f0 - f1) < 1.0) return x;
    }
}

}
