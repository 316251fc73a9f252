// Comparison, arithmetic and logic on Variants, and the language class Variant whose methods
// compiled code calls on a Variant value. The kind of a two-operand result comes from the
// promotion table; every result is a new boxed value.
#include <cstddef>

#include "core/DefinitionConversion.h"
#include "core/Exceptions.h"
#include "core/FailureReport.h"
#include "core/IntrinsicTypes.h"
#include "values/Date.h"
#include "values/StringLibrary.h"
#include "values/Variant.h"

namespace {

constexpr const char* kSource = "variant";

// Kinds 1, 2, 5, 7, 8, 9, 11 and 16 in this order; the table is symmetric.
constexpr int32_t kTableKinds[8] = {1, 2, 5, 7, 8, 9, 11, 16};
constexpr int32_t kPromotion[8][8] = {
    {1, 0, 0, 0, 0, 0, 0, 0},     {0, 2, 5, 5, 8, -1, 2, 2},     {0, 5, 5, 5, 8, -1, 5, 5},
    {0, 5, 5, 7, 8, 9, -1, -1},   {0, 8, 8, 8, 8, -1, 8, 8},     {0, -1, -1, 9, -1, 9, -1, -1},
    {0, 2, 5, -1, 8, -1, 11, 16}, {0, 2, 5, -1, 8, -1, 16, 16},
};

int32_t TableIndex(int32_t kind) {
    for (int32_t i = 0; i < 8; ++i)
        if (kTableKinds[i] == kind) return i;
    return -1;
}

int32_t OperandsKind(ObjectHeader* a, ObjectHeader* b) {
    if (!a || !b) return kVariantNil;
    return VariantResultKind(VarType(a), VarType(b));
}

template <typename T>
int32_t Order(T a, T b) {
    return a < b ? -1 : (a > b ? 1 : 0);
}

void RaiseTypeMismatch() { RaiseExceptionDefinition(TypeMismatchException()); }

// Add, Subtract and Multiply refuse nil operands.
bool AnyNil(ObjectHeader* a, ObjectHeader* b) {
    if (a && b) return false;
    RaiseExceptionDefinition(NilObjectException());
    return true;
}

uint32_t Unsigned(int32_t value) { return static_cast<uint32_t>(value); }
int32_t Signed(uint32_t value) { return static_cast<int32_t>(value); }

// Both operands as Integers, false once a conversion raised.
bool Integers(ObjectHeader* a, ObjectHeader* b, int32_t* x, int32_t* y) {
    *x = variantToInt(a);
    if (ExceptionInFlight()) return false;
    *y = variantToInt(b);
    return !ExceptionInFlight();
}

bool Doubles(ObjectHeader* a, ObjectHeader* b, double* x, double* y) {
    *x = variantToDouble(a);
    if (ExceptionInFlight()) return false;
    *y = variantToDouble(b);
    return !ExceptionInFlight();
}

// Integer quotient and remainder: a zero divisor raises instead of faulting, and the one quotient
// out of range, -2147483648 \ -1, wraps to itself with remainder 0.
bool IntegerDivision(ObjectHeader* a, ObjectHeader* b, int32_t* quotient, int32_t* remainder) {
    int32_t x, y;
    if (!Integers(a, b, &x, &y)) return false;
    if (y == 0) {
        RaiseExceptionWithMessage(RuntimeException(), string("Integer division by zero"), 0);
        return false;
    }
    if (y == -1) {
        *quotient = Signed(0u - Unsigned(x));
        *remainder = 0;
    } else {
        *quotient = x / y;
        *remainder = x % y;
    }
    return true;
}

// Subtract and Multiply: Integers stay Integers, everything else is computed as Doubles.
template <typename IntOp, typename DoubleOp>
ObjectHeader* Arithmetic(ObjectHeader* a, ObjectHeader* b, IntOp intOp, DoubleOp doubleOp) {
    if (AnyNil(a, b)) return nullptr;
    if (OperandsKind(a, b) == kVariantInteger) {
        int32_t x, y;
        if (!Integers(a, b, &x, &y)) return nullptr;
        return intToVariant(Signed(intOp(Unsigned(x), Unsigned(y))));
    }
    double x, y;
    if (!Doubles(a, b, &x, &y)) return nullptr;
    return doubleToVariant(doubleOp(x, y));
}

}  // namespace

int32_t VariantResultKind(int32_t a, int32_t b) {
    if (a == b) return a;
    if (a < 0 || a > 16) ReportAssertion(kSource, __LINE__, "a >= 0 && a <= 16");
    if (b < 0 || b > 16) ReportAssertion(kSource, __LINE__, "b >= 0 && b <= 16");
    const int32_t aindex = TableIndex(a), bindex = TableIndex(b);
    if (aindex < 0) ReportAssertion(kSource, __LINE__, "aindex >= 0 && aindex <= 7");
    if (bindex < 0) ReportAssertion(kSource, __LINE__, "bindex >= 0 && bindex <= 7");
    if (aindex < 0 || bindex < 0) return -1;
    return kPromotion[aindex][bindex];
}

extern "C" {

int32_t VariantCompare(ObjectHeader* p, ObjectHeader* q) {
    switch (OperandsKind(p, q)) {
    case kVariantNil:
        return Order(IsNull(p), IsNull(q));  // nil above every value
    case kVariantInteger:
    case kVariantColor: {
        int32_t x, y;
        return Integers(p, q, &x, &y) ? Order(x, y) : 0;
    }
    case kVariantDouble: {
        double x, y;
        if (!Doubles(p, q, &x, &y)) return 0;
        const double d = x - y;
        return d < 0 ? -1 : (d > 0 ? 1 : 0);
    }
    case kVariantDate: {
        ObjectHeader* x = VariantToDate(p);
        ObjectHeader* y = ExceptionInFlight() ? nullptr : VariantToDate(q);
        const int32_t order = ExceptionInFlight() ? 0 : Order(DateCompare(x, y), 0);
        ReleaseObject(x);
        ReleaseObject(y);
        return order;
    }
    case kVariantString: {
        const string x = string::Adopt(variantToString(p));
        if (ExceptionInFlight()) return 0;
        const string y = string::Adopt(variantToString(q));
        if (ExceptionInFlight()) return 0;
        return Order(RuntimeStringCompare(x.Record(), y.Record()), 0);
    }
    case kVariantObject:
        return Order(reinterpret_cast<uintptr_t>(p), reinterpret_cast<uintptr_t>(q));
    case kVariantBoolean: {
        const bool x = variantToBoolean(p);
        if (ExceptionInFlight()) return 0;
        const bool y = variantToBoolean(q);
        if (ExceptionInFlight()) return 0;
        return Order(y, x);  // True below False
    }
    default:
        RaiseTypeMismatch();
        return 0;
    }
}

bool VariantEqual(ObjectHeader* a, ObjectHeader* b) { return VariantCompare(a, b) == 0; }

ObjectHeader* VariantAdd(ObjectHeader* a, ObjectHeader* b) {
    if (AnyNil(a, b)) return nullptr;
    switch (OperandsKind(a, b)) {
    case kVariantInteger: {
        int32_t x, y;
        if (!Integers(a, b, &x, &y)) return nullptr;
        return intToVariant(Signed(Unsigned(x) + Unsigned(y)));
    }
    case kVariantDouble: {
        double x, y;
        if (!Doubles(a, b, &x, &y)) return nullptr;
        return doubleToVariant(x + y);
    }
    case kVariantString: {
        const string x = string::Adopt(variantToString(a));
        if (ExceptionInFlight()) return nullptr;
        const string y = string::Adopt(variantToString(b));
        if (ExceptionInFlight()) return nullptr;
        return stringToVariant(StringConcat(x, y).Record());
    }
    default:
        RaiseTypeMismatch();
        return nullptr;
    }
}

ObjectHeader* VariantSubtract(ObjectHeader* a, ObjectHeader* b) {
    return Arithmetic(
        a, b, [](uint32_t x, uint32_t y) { return x - y; }, [](double x, double y) { return x - y; });
}

ObjectHeader* VariantMultiply(ObjectHeader* a, ObjectHeader* b) {
    return Arithmetic(
        a, b, [](uint32_t x, uint32_t y) { return x * y; }, [](double x, double y) { return x * y; });
}

ObjectHeader* VariantDivide(ObjectHeader* a, ObjectHeader* b) {
    double x, y;
    if (!Doubles(a, b, &x, &y)) return nullptr;
    return doubleToVariant(x / y);
}

ObjectHeader* VariantIntegerDivide(ObjectHeader* a, ObjectHeader* b) {
    int32_t quotient, remainder;
    if (!IntegerDivision(a, b, &quotient, &remainder)) return nullptr;
    return intToVariant(quotient);
}

ObjectHeader* VariantModulo(ObjectHeader* a, ObjectHeader* b) {
    int32_t quotient, remainder;
    if (!IntegerDivision(a, b, &quotient, &remainder)) return nullptr;
    return intToVariant(remainder);
}

ObjectHeader* VariantNegate(ObjectHeader* a) {
    if (VarType(a) == kVariantInteger) {
        const int32_t x = variantToInt(a);
        if (ExceptionInFlight()) return nullptr;
        return intToVariant(Signed(0u - Unsigned(x)));
    }
    const double x = variantToDouble(a);
    if (ExceptionInFlight()) return nullptr;
    return doubleToVariant(-x);
}

ObjectHeader* VariantAddRight(ObjectHeader* self, ObjectHeader* other) {
    return VariantAdd(other, self);
}
ObjectHeader* VariantSubtractRight(ObjectHeader* self, ObjectHeader* other) {
    return VariantSubtract(other, self);
}
ObjectHeader* VariantDivideRight(ObjectHeader* self, ObjectHeader* other) {
    return VariantDivide(other, self);
}
ObjectHeader* VariantIntegerDivideRight(ObjectHeader* self, ObjectHeader* other) {
    return VariantIntegerDivide(other, self);
}
ObjectHeader* VariantModuloRight(ObjectHeader* self, ObjectHeader* other) {
    return VariantModulo(other, self);
}

// The second operand is converted only when the first does not decide.
ObjectHeader* VariantAnd(ObjectHeader* a, ObjectHeader* b) {
    bool result = variantToBoolean(a);
    if (ExceptionInFlight()) return nullptr;
    if (result) result = variantToBoolean(b);
    if (ExceptionInFlight()) return nullptr;
    return booleanToVariant(result);
}

ObjectHeader* VariantOr(ObjectHeader* a, ObjectHeader* b) {
    bool result = variantToBoolean(a);
    if (ExceptionInFlight()) return nullptr;
    if (!result) result = variantToBoolean(b);
    if (ExceptionInFlight()) return nullptr;
    return booleanToVariant(result);
}

ObjectHeader* VariantNot(ObjectHeader* a) {
    const bool value = variantToBoolean(a);
    if (ExceptionInFlight()) return nullptr;
    return booleanToVariant(!value);
}

}  // extern "C"

// --- the class Variant ---

namespace {

// Types that name the Variant class itself or other classes are filled in when it is built.
ParameterEntry kVariantParameter[] = {{"variant", nullptr, 0, 0, 0, 0}};

PropertyEntry kVariantProperties[] = {
    {kRowAttr4, "Type", AsType(&kIntegerType), RowFunction(VarType), "VarType", nullptr, nullptr, 0,
     0},
    {kRowAttr4, "IsNumeric", AsType(&kBooleanType), RowFunction(RuntimeIsNumeric),
     "RuntimeIsNumeric", nullptr, nullptr, 0, 0},
    {kRowAttr4, "IsNull", AsType(&kBooleanType), RowFunction(IsNull), "IsNull", nullptr, nullptr,
     0, 0},
    {kRowAttr4, "Hash", AsType(&kIntegerType), RowFunction(VariantHash), "VariantHash", nullptr,
     nullptr, 0, 0},
};

template <typename F>
MethodEntry Method(const char* name, const TypeDescriptor* result, F* function, const char* link,
                   int32_t parameterCount = 0) {
    return {name,     result, parameterCount ? kVariantParameter : nullptr, parameterCount,
            Function(function, link), {}, kMethodPlain, kRowAttr4, 0};
}

// Operators taking a Variant and returning one; the result type is filled in with the class.
template <typename F>
MethodEntry Operator(const char* name, F* function, const char* link, int32_t parameterCount = 1) {
    return Method(name, nullptr, function, link, parameterCount);
}

MethodEntry kVariantMethods[] = {
    Method("Equals", AsType(&kBooleanType), VariantEqual, "VariantEqual", 1),
    Method("IntegerValue", AsType(&kIntegerType), variantToInt, "variantToInt"),
    Method("ColorValue", AsType(&kColorType), variantToColor, "variantToColor"),
    Method("DoubleValue", AsType(&kDoubleType), variantToDouble, "variantToDouble"),
    Method("ObjectValue", nullptr, variantToObject, "variantToObject"),
    Method("StringValue", AsType(&kStringType), variantToString, "variantToString"),
    Method("BooleanValue", AsType(&kBooleanType), variantToBoolean, "variantToBoolean"),
    Method("DateValue", nullptr, VariantToDate, "VariantToDate"),
    Method("Operator_Compare", AsType(&kIntegerType), VariantCompare, "VariantCompare", 1),
    Operator("Operator_Add", VariantAdd, "VariantAdd"),
    Operator("Operator_Subtract", VariantSubtract, "VariantSubtract"),
    Operator("Operator_Multiply", VariantMultiply, "VariantMultiply"),
    Operator("Operator_Divide", VariantDivide, "VariantDivide"),
    Operator("Operator_IntegerDivide", VariantIntegerDivide, "VariantIntegerDivide"),
    Operator("Operator_Modulo", VariantModulo, "VariantModulo"),
    Operator("Operator_Negate", VariantNegate, "VariantNegate", 0),
    Operator("Operator_AddRight", VariantAddRight, "VariantAddRight"),
    Operator("Operator_SubtractRight", VariantSubtractRight, "VariantSubtractRight"),
    Operator("Operator_MultiplyRight", VariantMultiply, "VariantMultiply"),
    Operator("Operator_DivideRight", VariantDivideRight, "VariantDivideRight"),
    Operator("Operator_IntegerDivideRight", VariantIntegerDivideRight, "VariantIntegerDivideRight"),
    Operator("Operator_ModuloRight", VariantModuloRight, "VariantModuloRight"),
    Operator("Operator_And", VariantAnd, "VariantAnd"),
    Operator("Operator_AndRight", VariantAnd, "VariantAnd"),
    Operator("Operator_Or", VariantOr, "VariantOr"),
    Operator("Operator_OrRight", VariantOr, "VariantOr"),
    Operator("Operator_Not", VariantNot, "VariantNot", 0),
};

const ClassRows kVariantRows = {
    .className = "Variant",
    .superclass = nullptr,
    .objectSize = kObjectHeaderSize,
    .properties = kVariantProperties,
    .methods = kVariantMethods,
};

}  // namespace

ObjectDefinition* GetVariantDefinition() {
    static ObjectDefinition definition;
    if (definition.className.IsEmpty()) {
        const TypeDescriptor* variant = definition.AsType();
        kVariantParameter[0].parameterType = variant;
        for (MethodEntry& row : kVariantMethods) {
            if (row.returnType) continue;
            const void* function = row.function.toc;
            if (function == reinterpret_cast<void*>(variantToObject))
                row.returnType = Object()->AsType();
            else if (function == reinterpret_cast<void*>(VariantToDate))
                row.returnType = GetDateDefinition()->AsType();
            else
                row.returnType = variant;
        }
    }
    return FillClassDefinition(definition, kVariantRows);
}
