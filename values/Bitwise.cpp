#include "values/Bitwise.h"

#include "core/DefinitionConversion.h"
#include "core/Exceptions.h"
#include "host/IntrinsicTypes.h"

namespace {

template <typename Combine>
int32_t Fold(int32_t a, int32_t b, ArrayRecord* more, Combine combine) {
    uint32_t result = combine(static_cast<uint32_t>(a), static_cast<uint32_t>(b));
    if (!more) return static_cast<int32_t>(result);
    const int32_t upper = RuntimeUBound(more);
    auto get = reinterpret_cast<int32_t (*)(ArrayRecord*, int32_t)>(more->operations->Get);
    for (int32_t i = 0; i <= upper; ++i)
        result = combine(result, static_cast<uint32_t>(get(more, i)));
    return static_cast<int32_t>(result);
}

// The mask of the low numBits bits, or false after raising for a width the module does not have.
bool LowMask(uint32_t numBits, uint32_t& mask) {
    if (numBits > 32) {
        string message("Specifying ");
        message.Append(StringFromInteger(static_cast<int32_t>(numBits)));
        message.Append(string(" as the number of bits is not supported"));
        RaiseExceptionWithMessage(UnsupportedFormatException(), message, 0);
        return false;
    }
    mask = numBits == 32 ? 0xFFFFFFFFu : (1u << numBits) - 1;
    return true;
}

template <typename Shift>
int32_t ShiftWithin(int32_t value, int32_t shift, int32_t numBits, Shift shiftBits) {
    const uint32_t width = static_cast<uint32_t>(numBits);
    if (width == 0) return 0;
    uint32_t low = 0;
    if (!LowMask(width, low)) return 0;
    if (static_cast<uint32_t>(shift) > width - 1) return 0;
    const uint32_t bits = static_cast<uint32_t>(value);
    return static_cast<int32_t>((shiftBits(bits & low, static_cast<uint32_t>(shift)) & low) |
                                (bits & ~low));
}

ParameterEntry IntegerParameter(const char* name) {
    return {name, AsType(&kIntegerType), 0, 0, 0, 0};
}

ParameterEntry kFoldParameters[] = {
    IntegerParameter("Value1"),
    IntegerParameter("Value2"),
    {"MoreValues", AsType(&kIntegerType), 0, 0, 0, 1},
};
ParameterEntry kShiftParameters[] = {
    IntegerParameter("Value"),
    IntegerParameter("shift"),
    {"numBits", AsType(&kIntegerType), 0, 1, 32, 0},
};
ParameterEntry kValueParameter[] = {IntegerParameter("Value")};

template <typename F, size_t N>
MethodEntry BitwiseRow(const char* name, ParameterEntry (&parameters)[N], F* function,
                       const char* link) {
    return {name, AsType(&kIntegerType), parameters, static_cast<int32_t>(N),
            Function(function, link), {}, kMethodPlain, kRowAttr4, 0};
}

MethodEntry kBitwiseMethods[] = {
    BitwiseRow("BitAnd", kFoldParameters, RuntimeBitwiseAnd, "RuntimeBitwiseAnd"),
    BitwiseRow("BitOr", kFoldParameters, RuntimeBitwiseOr, "RuntimeBitwiseOr"),
    BitwiseRow("BitXor", kFoldParameters, RuntimeBitwiseXor, "RuntimeBitwiseXor"),
    BitwiseRow("ShiftLeft", kShiftParameters, RuntimeBitwiseShiftLeft, "RuntimeBitwiseShiftLeft"),
    BitwiseRow("ShiftRight", kShiftParameters, RuntimeBitwiseShiftRight,
               "RuntimeBitwiseShiftRight"),
    BitwiseRow("OnesComplement", kValueParameter, RuntimeOnesCompliment, "RuntimeOnesCompliment"),
};

const ClassRows kBitwiseRows = {
    .className = "Bitwise",
    .superclass = nullptr,
    .objectSize = 0,
    .methods = kBitwiseMethods,
};

}  // namespace

ObjectDefinition* GetBitwiseDefinition() {
    static ObjectDefinition definition;
    return FillClassDefinition(definition, kBitwiseRows);
}

extern "C" {

int32_t BitwiseAnd(int32_t a, int32_t b) { return a & b; }
int32_t BitwiseOr(int32_t a, int32_t b) { return a | b; }
int32_t BitwiseXor(int32_t a, int32_t b) { return a ^ b; }

int32_t RuntimeBitwiseAnd(int32_t a, int32_t b, ArrayRecord* more) {
    return Fold(a, b, more, [](uint32_t x, uint32_t y) { return x & y; });
}
int32_t RuntimeBitwiseOr(int32_t a, int32_t b, ArrayRecord* more) {
    return Fold(a, b, more, [](uint32_t x, uint32_t y) { return x | y; });
}
int32_t RuntimeBitwiseXor(int32_t a, int32_t b, ArrayRecord* more) {
    return Fold(a, b, more, [](uint32_t x, uint32_t y) { return x ^ y; });
}

int32_t RuntimeBitwiseShiftLeft(int32_t value, int32_t shift, int32_t numBits) {
    return ShiftWithin(value, shift, numBits, [](uint32_t bits, uint32_t by) { return bits << by; });
}
int32_t RuntimeBitwiseShiftRight(int32_t value, int32_t shift, int32_t numBits) {
    return ShiftWithin(value, shift, numBits, [](uint32_t bits, uint32_t by) { return bits >> by; });
}

int32_t RuntimeOnesCompliment(int32_t value) { return ~value; }

}
