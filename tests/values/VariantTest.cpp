#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <memory>
#include <string>

#include "CompiledSubclass.h"
#include "RaisedExceptions.h"
#include "core/DefinitionConversion.h"
#include "values/Date.h"
#include "values/Random.h"
#include "values/Variant.h"

namespace {

std::string Text(StringRecord* record) {
    const string s = string::Adopt(record);
    return std::string(s.CString(), static_cast<size_t>(s.Length()));
}

// A Variant the test owns.
struct Held {
    ObjectHeader* object;
    explicit Held(ObjectHeader* o) : object(o) {}
    ~Held() { ReleaseObject(object); }
    Held(const Held&) = delete;
    operator ObjectHeader*() const { return object; }
};

ObjectHeader* Str(const char* text) {
    const string s(text);
    return stringToVariant(s.Record());
}

ObjectHeader* DateAt(double seconds) {
    ObjectHeader* date = CreateInstance(GetDateDefinition());
    dateTotalSecondsSetter(date, 0, seconds);
    return date;
}

TEST(Variant, BoxedValuesConvertByTheTable) {
    const struct {
        const char* label;
        ObjectHeader* value;
        int32_t integer;
        uint32_t unsignedInteger;
        bool boolean;
        double number;
        int32_t color;
        const char* text;
    } cases[] = {
        {"Integer -7", intToVariant(-7), -7, 4294967289u, true, -7.0, -7, "-7"},
        {"UInteger 3e9", uintToVariant(3000000000u), -1294967296, 3000000000u, true, 3e9,
         -1294967296, "3000000000"},
        {"String TRUE", Str("TRUE"), 0, 0, true, 0.0, 0, "TRUE"},
        {"String 1", Str("1"), 1, 1, true, 1.0, 1, "1"},
        {"String yes", Str("yes"), 0, 0, false, 0.0, 0, "yes"},
        {"String 0", Str("0"), 0, 0, false, 0.0, 0, "0"},
        {"String 12.9", Str("12.9"), 12, 12, false, 12.9, 12, "12.9"},
        {"String -12.9", Str("-12.9"), -12, 4294967284u, false, -12.9, -12, "-12.9"},
        {"String &cFF0000", Str("&cFF0000"), 0, 0, false, 0.0, 0xFF0000, "&cFF0000"},
        {"Double 3e9", doubleToVariant(3e9), INT32_MIN, 3000000000u, true, 3e9, INT32_MIN,
         "3.0e+9"},
        {"Double 0.0", doubleToVariant(0.0), 0, 0, false, 0.0, 0, "0.0"},
        {"Double 0.5", doubleToVariant(0.5), 0, 0, true, 0.5, 0, "5.0e-01"},
        {"Boolean True", booleanToVariant(1), 1, 1, true, 1.0, 0xFFFFFF, "True"},
        {"Boolean 2", booleanToVariant(2), 2, 2, true, 1.0, 0xFFFFFF, "True"},
        {"Boolean False", booleanToVariant(0), 0, 0, false, 0.0, 0, "False"},
        {"Color 255", colorToVariant(255), 255, 255, true, 255.0, 255, "&h0000FF"},
        {"Color &h1234567", colorToVariant(0x1234567), 0x1234567, 0x1234567, true, 0x1234567,
         0x1234567, "&1234567"},
        {"Color -1", colorToVariant(-1), -1, 4294967295u, true, -1.0, -1, "FFFFFFFF"},
    };
    RaisedExceptions raised;
    for (const auto& c : cases) {
        Held value(c.value);
        EXPECT_EQ(variantToInt(value), c.integer) << c.label;
        EXPECT_EQ(variantToUInt(value), c.unsignedInteger) << c.label;
        EXPECT_EQ(variantToBoolean(value), c.boolean) << c.label;
        EXPECT_EQ(variantToDouble(value), c.number) << c.label;
        EXPECT_EQ(variantToColor(value), c.color) << c.label;
        EXPECT_EQ(Text(variantToString(value)), c.text) << c.label;
    }
    EXPECT_TRUE(raised.Names().empty());
}

TEST(Variant, DoubleTextsKeepSeventeenDigitsTrimmed) {
    const struct {
        double value;
        const char* text;
    } cases[] = {
        {1.5, "1.5"},          {100, "1.0e+2"},         {0.5, "5.0e-01"},
        {0, "0.0"},            {-2.25, "-2.25"},        {0.1, "1.0000000000000001e-01"},
        {1234567, "1.234567e+6"}, {1e-300, "1.0e-300"}, {1e300, "1.0000000000000001e+300"},
    };
    for (const auto& c : cases) EXPECT_EQ(Text(DoubleVariantText(c.value).Detach()), c.text);
}

TEST(Variant, KindsOfValues) {
    ClassRecord* laterDate = CompiledSubclass(GetDateDefinition(), "LaterDate", {});
    Held subclassDate(RuntimeNewObject(laterDate));
    Held random(CreateInstance(GetRandomDefinition()));
    Held unsignedValue(uintToVariant(1));
    EXPECT_EQ(VarType(nullptr), kVariantNil);
    EXPECT_EQ(VarType(unsignedValue), kVariantInteger);
    EXPECT_EQ(VarType(subclassDate), kVariantDate);
    EXPECT_EQ(VarType(random), kVariantObject);
    EXPECT_EQ(VarType(Held(Str("x"))), kVariantString);
    EXPECT_EQ(VarType(Held(doubleToVariant(1))), kVariantDouble);
    EXPECT_EQ(VarType(Held(booleanToVariant(0))), kVariantBoolean);
    EXPECT_EQ(VarType(Held(colorToVariant(0))), kVariantColor);
    EXPECT_TRUE(IsNull(nullptr));
    EXPECT_FALSE(IsNull(random));
    // A Date converts through its TotalSeconds; another object does not convert.
    RaisedExceptions raised;
    dateTotalSecondsSetter(subclassDate, 0, 86400.75);
    EXPECT_EQ(variantToInt(subclassDate), 86400);
    EXPECT_EQ(variantToDouble(subclassDate), 86400.75);
    EXPECT_TRUE(variantToBoolean(subclassDate));
    EXPECT_EQ(raised.Take(), "");
    EXPECT_EQ(variantToInt(random), 0);
    EXPECT_EQ(raised.Take(), "TypeMismatchException");
    EXPECT_EQ(variantToString(random), nullptr);
    EXPECT_EQ(raised.Take(), "TypeMismatchException");
    int32_t out = 5;
    EXPECT_FALSE(ConvertObjectToInt(random, &out));
    EXPECT_FALSE(ConvertObjectToInt(nullptr, &out));
    EXPECT_EQ(raised.Take(), "");
    // nil gives the empty values without raising.
    EXPECT_EQ(variantToInt(nullptr), 0);
    EXPECT_EQ(variantToString(nullptr), nullptr);
    EXPECT_EQ(VariantToDate(nullptr), nullptr);
    EXPECT_EQ(raised.Take(), "");
}

TEST(Variant, HashesAndEquality) {
    Held lower(Str("abc")), upper(Str("ABC")), one(intToVariant(1)), oneDouble(doubleToVariant(1.0));
    EXPECT_EQ(VariantHash(lower), VariantHash(upper));
    // h * 31 + c over "ABC"
    EXPECT_EQ(VariantHash(upper), (65 * 31 + 66) * 31 + 67);
    EXPECT_TRUE(VariantEqual(one, oneDouble));
    EXPECT_NE(VariantHash(one), VariantHash(oneDouble));
    EXPECT_EQ(static_cast<uint32_t>(VariantHash(one)), 0x10000u ^ 1u);
    EXPECT_EQ(VariantHash(nullptr), 0);
    Held date(DateAt(1.0));
    const double seconds = 1.0;
    EXPECT_EQ(static_cast<uint32_t>(VariantHash(date)), HashWords(&seconds, 8));
}

TEST(Variant, CompareAnswersMinusOneZeroOrOne) {
    Held minimum(intToVariant(INT32_MIN)), one(intToVariant(1)), five(intToVariant(5));
    Held yes(booleanToVariant(1)), no(booleanToVariant(0));
    Held red(colorToVariant(static_cast<int32_t>(0x80000000))), blue(colorToVariant(0xFF));
    Held early(DateAt(10)), late(DateAt(20));
    Held a(Str("apple")), b(Str("Banana"));
    Held first(CreateInstance(GetRandomDefinition())), second(CreateInstance(GetRandomDefinition()));
    const int32_t identity = reinterpret_cast<uintptr_t>(first.object) <
                                     reinterpret_cast<uintptr_t>(second.object) ? -1 : 1;
    const struct {
        ObjectHeader* p;
        ObjectHeader* q;
        int32_t expected;
    } cases[] = {
        {minimum, one, -1}, {one, minimum, 1}, {five, five, 0},   {red, blue, -1},
        {yes, no, -1},      {no, yes, 1},      {nullptr, five, 1}, {five, nullptr, -1},
        {nullptr, nullptr, 0}, {early, late, -1}, {late, early, 1}, {a, b, -1},
        {first, second, identity}, {first, first, 0},
    };
    RaisedExceptions raised;
    for (const auto& c : cases) EXPECT_EQ(VariantCompare(c.p, c.q), c.expected);
    EXPECT_EQ(raised.Take(), "");
    // An object against an Integer is a mismatch.
    EXPECT_EQ(VariantCompare(first, one), 0);
    EXPECT_EQ(raised.Take(), "TypeMismatchException");
}

// The promotion table as the operators apply it: what each operation gives, or the exception.
TEST(Variant, OperatorsFollowThePromotionTable) {
    using Operation = ObjectHeader* (*)(ObjectHeader*, ObjectHeader*);
    Held three(Str("3")), four(intToVariant(4)), half(doubleToVariant(0.5));
    Held date(DateAt(100)), otherDate(DateAt(5)), yes(booleanToVariant(1));
    Held object(CreateInstance(GetRandomDefinition())), big(intToVariant(INT32_MAX));
    const struct {
        const char* label;
        Operation operation;
        ObjectHeader* p;
        ObjectHeader* q;
        int32_t kind;
        const char* text;
        const char* exception;
    } cases[] = {
        {"'3' + 4", VariantAdd, three, four, kVariantString, "34", ""},
        {"'3' - 4", VariantSubtract, three, four, kVariantDouble, "-1.0", ""},
        {"4 * '3'", VariantMultiply, four, three, kVariantDouble, "1.2e+1", ""},
        {"4 + 0.5", VariantAdd, four, half, kVariantDouble, "4.5", ""},
        {"Date + 4", VariantAdd, date, four, kVariantDouble, "1.04e+2", ""},
        {"Date - Date", VariantSubtract, date, otherDate, kVariantDouble, "9.5e+1", ""},
        {"True + 4", VariantAdd, yes, four, kVariantInteger, "5", ""},
        {"max + 4 wraps", VariantAdd, big, four, kVariantInteger, "-2147483645", ""},
        {"4 / 0.5", VariantDivide, four, half, kVariantDouble, "8.0", ""},
        {"4 \\ '3'", VariantIntegerDivide, four, three, kVariantInteger, "1", ""},
        {"4 Mod '3'", VariantModulo, four, three, kVariantInteger, "1", ""},
        {"'3' - 4 right", VariantSubtractRight, four, three, kVariantDouble, "-1.0", ""},
        {"Date + Date", VariantAdd, date, otherDate, kVariantNil, "", "TypeMismatchException"},
        {"object + 4", VariantAdd, object, four, kVariantNil, "", "TypeMismatchException"},
        // The operand that does not convert counts as 0.0 once the exception is raised.
        {"object - 4", VariantSubtract, object, four, kVariantDouble, "-4.0",
         "TypeMismatchException"},
        {"nil + 4", VariantAdd, nullptr, four, kVariantNil, "", "NilObjectException"},
        {"4 * nil", VariantMultiply, four, nullptr, kVariantNil, "", "NilObjectException"},
    };
    RaisedExceptions raised;
    for (const auto& c : cases) {
        Held result(c.operation(c.p, c.q));
        EXPECT_EQ(raised.Take(), c.exception) << c.label;
        EXPECT_EQ(VarType(result), c.kind) << c.label;
        if (result) {
            EXPECT_EQ(Text(variantToString(result)), c.text) << c.label;
        }
    }
    Held nothing(VariantDivide(nullptr, nullptr));
    EXPECT_TRUE(std::isnan(variantToDouble(nothing)));
    Held negative(VariantNegate(four)), negativeHalf(VariantNegate(half));
    EXPECT_EQ(VarType(negative), kVariantInteger);
    EXPECT_EQ(variantToInt(negative), -4);
    EXPECT_EQ(variantToDouble(negativeHalf), -0.5);
    Held negativeZero(VariantNegate(nullptr));
    EXPECT_TRUE(std::signbit(variantToDouble(negativeZero)));
}

TEST(Variant, IntegerDivisionByZeroRaisesAndTheMinimumWraps) {
    Held seven(intToVariant(7)), zero(intToVariant(0)), minimum(intToVariant(INT32_MIN));
    Held minusOne(intToVariant(-1)), minusSeven(intToVariant(-7)), two(intToVariant(2));
    RaisedExceptions raised;
    EXPECT_EQ(VariantIntegerDivide(seven, zero), nullptr);
    EXPECT_EQ(VariantModulo(seven, nullptr), nullptr);
    EXPECT_EQ(VariantIntegerDivideRight(zero, seven), nullptr);
    ASSERT_EQ(raised.Seen().size(), 3u);
    for (const auto& seen : raised.Seen()) {
        EXPECT_EQ(seen.name, "RuntimeException");
        EXPECT_EQ(seen.message, "Integer division by zero");
    }
    raised.Take();
    const struct {
        ObjectHeader *p, *q;
        int32_t quotient, remainder;
    } cases[] = {
        {minimum, minusOne, INT32_MIN, 0},
        {minusSeven, two, -3, -1},
        {seven, minusOne, -7, 0},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(variantToInt(Held(VariantIntegerDivide(c.p, c.q))), c.quotient);
        EXPECT_EQ(variantToInt(Held(VariantModulo(c.p, c.q))), c.remainder);
    }
    EXPECT_TRUE(raised.Names().empty());
}

TEST(Variant, LogicConvertsTheSecondOperandOnlyWhenNeeded) {
    Held yes(booleanToVariant(1)), no(booleanToVariant(0));
    Held object(CreateInstance(GetRandomDefinition()));
    RaisedExceptions raised;
    EXPECT_FALSE(variantToBoolean(Held(VariantAnd(no, object))));
    EXPECT_TRUE(variantToBoolean(Held(VariantOr(yes, object))));
    EXPECT_TRUE(variantToBoolean(Held(VariantNot(no))));
    EXPECT_EQ(raised.Take(), "");
    Held ignored(VariantAnd(yes, object));
    EXPECT_EQ(raised.Take(), "TypeMismatchException");
}

TEST(Variant, DatesFromEveryKind) {
    const struct {
        const char* label;
        ObjectHeader* value;
        double seconds;
    } cases[] = {
        {"Integer", intToVariant(86400), 86400},
        {"negative Integer", intToVariant(-1), 4294967295.0},
        {"Boolean", booleanToVariant(1), 1},
        {"Double", doubleToVariant(1.5), 1.5},
        {"SQL text", Str("1904-01-02 00:00:00"), 86400},
    };
    RaisedExceptions raised;
    for (const auto& c : cases) {
        Held value(c.value);
        Held date(VariantToDate(value));
        ASSERT_NE(date.object, nullptr) << c.label;
        EXPECT_EQ(dateTotalSecondsGetter(date, 0), c.seconds) << c.label;
    }
    Held date(DateAt(3));
    Held same(VariantToDate(date));
    EXPECT_EQ(same.object, date.object);
    EXPECT_EQ(raised.Take(), "");
    Held object(CreateInstance(GetRandomDefinition()));
    EXPECT_EQ(VariantToDate(object), nullptr);
    EXPECT_EQ(raised.Take(), "TypeMismatchException");
    ObjectHeader* out = nullptr;
    EXPECT_FALSE(ConvertObjectToDate(nullptr, &out));
    EXPECT_EQ(raised.Take(), "NilObjectException");
    // A Date's String conversion is its SQL date-time.
    EXPECT_EQ(Text(variantToString(Held(DateAt(86400)))), "1904-01-02 00:00:00");
}

TEST(Variant, IsNumericAndCStr) {
    const struct {
        ObjectHeader* value;
        bool numeric;
        const char* cstr;  // null: not compared
    } cases[] = {
        {intToVariant(5), true, "5"},
        {doubleToVariant(1.5), true, "1.5"},
        {doubleToVariant(1234567), true, "1.234567e+6"},
        {uintToVariant(7), true, "7"},
        {booleanToVariant(1), false, "True"},
        {colorToVariant(255), false, "&h0000FF"},
        {Str("nan"), true, nullptr},
        {Str("Inf(123)"), true, nullptr},
        {Str("12.5"), true, "12.5"},
        {Str("&hFF"), true, "255"},
        {Str("&x1"), false, "&x1"},
        {Str("abc"), false, "abc"},
        {Str(""), false, ""},
        {nullptr, false, ""},
    };
    for (const auto& c : cases) {
        Held value(c.value);
        const std::string label = value ? Text(variantToString(value)) : "nil";
        EXPECT_EQ(RuntimeIsNumeric(value), c.numeric) << label;
        const std::string cstr = Text(runCStr(value));
        if (c.cstr) {
            EXPECT_EQ(cstr, c.cstr) << label;
        }
    }
}

// Classes of the application convert through the Operator_Convert methods they declare, found by
// the signature text in their method table without regard to case.
int32_t ConvertToFortyTwo(ObjectHeader*) { return 42; }
float SingleOfTwoAndAHalf(ObjectHeader*) { return 2.5f; }
int32_t HashSeven(ObjectHeader*) { return 7; }

ClassRecord* ClassWithMethods(const char* name,
                              std::initializer_list<std::pair<const char*, void*>> methods) {
    ClassRecord* base = LookupObjectDefinition(Object());
    ClassRecord* own = RuntimeNewClass(base, static_cast<int32_t>(methods.size()), 0, 0, 0, 0);
    own->name = string(name).Detach();
    own->instanceSize = base->instanceSize;
    int32_t i = 0;
    for (const auto& [signature, function] : methods) {
        own->methods[i].name = string(signature).Detach();
        own->methods[i].function = function;
        ++i;
    }
    return own;
}

TEST(Variant, CompiledClassesConvertThroughTheirOperators) {
    ClassRecord* convertible = ClassWithMethods(
        "Convertible", {{"Operator_Compare%i4%o<Convertible>o<Convertible>", nullptr},
                        {"operator_convert%I4%o<Convertible>", HandlerAddress(ConvertToFortyTwo)},
                        {"Operator_Convert%f4%o<Convertible>", HandlerAddress(SingleOfTwoAndAHalf)},
                        {"Operator_Hash%i4%o<Convertible>", HandlerAddress(HashSeven)}});
    ClassRecord* plain = ClassWithMethods("Plain", {{"Operator_Convert%u4%o<Plain>",
                                                     HandlerAddress(ConvertToFortyTwo)}});
    Held object(RuntimeNewObject(convertible)), other(RuntimeNewObject(plain));
    RaisedExceptions raised;
    for (int i = 0; i < 2; ++i) {  // the second time from the caches
        EXPECT_EQ(variantToInt(object), 42);
        EXPECT_EQ(variantToDouble(object), 2.5);
        EXPECT_EQ(VariantHash(object), 7);
        EXPECT_EQ(variantToUInt(other), 42u);
        EXPECT_EQ(raised.Take(), "");
        EXPECT_EQ(variantToInt(other), 0);
        EXPECT_EQ(raised.Take(), "TypeMismatchException");
    }
    EXPECT_EQ(VarType(object), kVariantObject);
}

TEST(Variant, TheVariantClassIsBuiltFromItsRows) {
    ObjectDefinition* variant = GetVariantDefinition();
    ClassRecord* record = LookupObjectDefinition(variant);
    int32_t found = 0;
    for (int32_t i = 0; i < record->accessorCount; ++i) {
        const std::string signature = string(record->accessors[i].signature).CString();
        if (signature == "Operator_Add%o<Variant>%o<Variant>o<Variant>") {
            EXPECT_EQ(record->accessors[i].function, reinterpret_cast<void*>(VariantAdd));
            ++found;
        }
        if (signature == "DateValue%o<Date>%o<Variant>") ++found;
    }
    EXPECT_EQ(found, 2);
}

}  // namespace
