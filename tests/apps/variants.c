/* Variants as compiled code uses them: a class of the application that declares Operator_Convert
 * returning Integer is converted through that method, an object of a class without one raises
 * TypeMismatchException into the application's Try, boxed values are added, and an integer
 * division by zero raises into a Try as well. Writes one line. */
#include "AppSupport.h"

ObjectHeader* QV_CDECL intToVariant(int32_t value);
ObjectHeader* QV_CDECL stringToVariant(StringRecord* value);
int32_t QV_CDECL variantToInt(ObjectHeader* value);
StringRecord* QV_CDECL variantToString(ObjectHeader* value);
ObjectHeader* QV_CDECL VariantAdd(ObjectHeader* a, ObjectHeader* b);
ObjectHeader* QV_CDECL VariantIntegerDivide(ObjectHeader* a, ObjectHeader* b);

static ObjectHeader* sSubject;
static ObjectHeader* sResult;

#define MetersField(object) (*(int32_t*)((char*)(object) + kObjectHeaderSize))

static int32_t QV_CDECL MetersToInteger(ObjectHeader* self) { return MetersField(self) * 100; }

static void QV_CDECL ConvertSubject(ObjectHeader* volatile* raised) {
    int32_t value = variantToInt(sSubject);
    if (*raised) return;
    Print(" converted ");
    PrintInt(value);
}

static void QV_CDECL DivideByZero(ObjectHeader* volatile* raised) {
    ObjectHeader* seven = intToVariant(7);
    ObjectHeader* zero = intToVariant(0);
    sResult = VariantIntegerDivide(seven, zero);
    RuntimeUnlockObject(zero);
    RuntimeUnlockObject(seven);
    if (*raised) return;
    Print(" divided");
}

/* Runs body in a Try and tells what happened. */
static void Attempt(TryBody body) {
    ObjectHeader* caught = 0;
    if (QvTry(body, &caught) == 2) {
        Print(" caught ");
        PrintString(caught->classPtr->name);
        if (ExceptionMessage(caught)) {
            Print(" \"");
            PrintString(ExceptionMessage(caught));
            Print("\"");
        }
        RuntimeUnlockObject(caught);
    }
}

void QvMain(void) {
    ClassRecord* meters;
    ClassRecord* plain;
    ObjectHeader* three;
    ObjectHeader* four;
    ObjectHeader* sum;
    StringRecord* text;

    RuntimeInit();
    RuntimeInitExternalClasses();
    meters = RuntimeNewClass(0, 1, 0, 0, 0, 0);
    meters->name = QV_LITERAL("Meters");
    meters->instanceSize = kObjectHeaderSize + 4;
    meters->methods[0].name = QV_LITERAL("Operator_Convert%i4%o<Meters>");
    meters->methods[0].function = (void*)MetersToInteger;
    plain = RuntimeNewClass(0, 0, 0, 0, 0, 0);
    plain->name = QV_LITERAL("Plain");
    plain->instanceSize = kObjectHeaderSize;

    Print("variants:");
    sSubject = RuntimeNewObject(meters);
    MetersField(sSubject) = 3;
    Attempt(ConvertSubject);
    RuntimeUnlockObject(sSubject);
    Print(",");
    sSubject = RuntimeNewObject(plain);
    Attempt(ConvertSubject);
    RuntimeUnlockObject(sSubject);
    Print(",");
    Attempt(DivideByZero);
    RuntimeUnlockObject(sResult);

    three = stringToVariant(QV_LITERAL("3"));
    four = intToVariant(4);
    sum = VariantAdd(three, four);
    text = variantToString(sum);
    Print(", '3' + 4 ");
    PrintString(text);
    Print("\n");
    RuntimeUnlockString(text);
    RuntimeUnlockObject(sum);
    RuntimeUnlockObject(four);
    RuntimeUnlockObject(three);
    RuntimeExit();
}
