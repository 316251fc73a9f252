// The language's Variant: any value as an object reference, nil being the empty Variant. Scalars
// are boxed into six built-in classes; a Date and every other object are their own Variant.
// Conversions and hashes go through the Operator_Convert and Operator_Hash methods an object's class
// declares, found once per class by their signature text, so boxed values and the application's
// own classes convert through one mechanism. Two-operand operators take the kind of their result
// from a fixed promotion table.
#pragma once

#include <cstdint>

#include "core/ClassDefinition.h"
#include "core/ObjectModel.h"
#include "core/RuntimeString.h"

// The kinds VarType reports.
enum VariantKind : int32_t {
    kVariantNil = 0,
    kVariantInteger = 2,  // Integer and UInteger
    kVariantDouble = 5,
    kVariantDate = 7,
    kVariantString = 8,
    kVariantObject = 9,
    kVariantBoolean = 11,
    kVariantColor = 16,
};

// Instances of the boxed classes; the value is the first field after the header.
struct BoxedInteger {  // Variant(Integer), Variant(UInteger), Variant(Color)
    ObjectHeader header;
    int32_t value;
};
struct BoxedString {
    ObjectHeader header;
    StringRecord* value;  // one reference
};
struct BoxedDouble {
    ObjectHeader header;
    double value;
};
struct BoxedBoolean {
    ObjectHeader header;
    uint8_t value;  // 0 false, other true
};

#ifndef _WIN64
static_assert(sizeof(BoxedInteger) == 28 && sizeof(BoxedString) == 28);
static_assert(sizeof(BoxedDouble) == 32 && sizeof(BoxedBoolean) == 28);
#endif

ObjectDefinition* GetVariantDefinition();
ObjectDefinition* GetIntegerObjectDefinition();
ObjectDefinition* GetUnsignedIntegerObjectDefinition();
ObjectDefinition* GetStringObjectDefinition();
ObjectDefinition* GetDoubleObjectDefinition();
ObjectDefinition* GetBooleanObjectDefinition();
ObjectDefinition* GetColorObjectDefinition();

// The first word rotated left by 16 bits, then every word from the last to the first XORed in.
uint32_t HashWords(const void* words, int32_t byteCount);
// A boxed Double's text: 17 significant digits in scientific notation, trimmed of the zeros that
// say nothing (1.5, 1.0e+2, 5.0e-01, 0.0).
string DoubleVariantText(double value);
// The kind of a result from the kinds of its operands; -1 is a type mismatch.
int32_t VariantResultKind(int32_t a, int32_t b);

extern "C" {
// Boxing; each new object holds one reference, the caller's. objectToVariant and DateToVariant
// give the object itself with a reference added.
ObjectHeader* intToVariant(int32_t value);
ObjectHeader* uintToVariant(uint32_t value);
ObjectHeader* stringToVariant(StringRecord* value);
ObjectHeader* doubleToVariant(double value);
ObjectHeader* booleanToVariant(uint8_t value);
ObjectHeader* colorToVariant(int32_t value);
ObjectHeader* objectToVariant(ObjectHeader* object);
ObjectHeader* DateToVariant(ObjectHeader* date);

// The converted value into out and true, or false when the object does not convert (nil
// included); nothing is raised, except by ConvertObjectToDate and by a compiled operator.
bool ConvertObjectToInt(ObjectHeader* object, int32_t* out);
bool ConvertObjectToUInt(ObjectHeader* object, uint32_t* out);
bool ConvertObjectToColor(ObjectHeader* object, int32_t* out);
bool ConvertObjectToBoolean(ObjectHeader* object, bool* out);
bool ConvertObjectToDouble(ObjectHeader* object, double* out);
bool ConvertObjectToString(ObjectHeader* object, StringRecord** out);
// A Date made from the value by its kind: nil raises NilObjectException and an object that is no
// Date TypeMismatchException. The Date comes with a reference for the caller.
bool ConvertObjectToDate(ObjectHeader* value, ObjectHeader** out);

// The language's conversions: nil gives the type's empty value; a value that does not convert
// raises TypeMismatchException and gives the same.
int32_t variantToInt(ObjectHeader* value);
uint32_t variantToUInt(ObjectHeader* value);
int32_t variantToColor(ObjectHeader* value);
bool variantToBoolean(ObjectHeader* value);
double variantToDouble(ObjectHeader* value);
StringRecord* variantToString(ObjectHeader* value);
ObjectHeader* VariantToDate(ObjectHeader* value);
ObjectHeader* variantToObject(ObjectHeader* value);

int32_t VarType(ObjectHeader* value);
bool IsNull(ObjectHeader* value);
int32_t VariantHash(ObjectHeader* value);
bool VariantEqual(ObjectHeader* a, ObjectHeader* b);
// -1, 0 or 1; nil compares above every other value.
int32_t VariantCompare(ObjectHeader* a, ObjectHeader* b);

ObjectHeader* VariantAdd(ObjectHeader* a, ObjectHeader* b);
ObjectHeader* VariantSubtract(ObjectHeader* a, ObjectHeader* b);
ObjectHeader* VariantMultiply(ObjectHeader* a, ObjectHeader* b);
ObjectHeader* VariantDivide(ObjectHeader* a, ObjectHeader* b);
// A zero divisor (nil counts as 0) raises RuntimeException "Integer division by zero".
ObjectHeader* VariantIntegerDivide(ObjectHeader* a, ObjectHeader* b);
ObjectHeader* VariantModulo(ObjectHeader* a, ObjectHeader* b);
ObjectHeader* VariantNegate(ObjectHeader* a);
ObjectHeader* VariantAddRight(ObjectHeader* self, ObjectHeader* other);
ObjectHeader* VariantSubtractRight(ObjectHeader* self, ObjectHeader* other);
ObjectHeader* VariantDivideRight(ObjectHeader* self, ObjectHeader* other);
ObjectHeader* VariantIntegerDivideRight(ObjectHeader* self, ObjectHeader* other);
ObjectHeader* VariantModuloRight(ObjectHeader* self, ObjectHeader* other);
ObjectHeader* VariantAnd(ObjectHeader* a, ObjectHeader* b);
ObjectHeader* VariantOr(ObjectHeader* a, ObjectHeader* b);
ObjectHeader* VariantNot(ObjectHeader* a);

// IsNumeric: an Integer or a Double, or a String whose text is a number by the user's separators.
bool RuntimeIsNumeric(ObjectHeader* value);
// CStr: a numeric value as FormatCStr writes its Double, any other as its String conversion.
StringRecord* runCStr(ObjectHeader* value);
}
