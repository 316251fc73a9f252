/* The first packed application. It calls runtime entry points by link names spelt in other
 * letter cases than the runtime's, declared kernel32 functions and literal strings, builds a
 * class whose initializer it gives by address, reads its TEXT resource 128, and writes what it
 * saw to standard output as one line. */
#include "OutputLine.h"

/* Link names as an application's source may spell them: the loader ignores their case. */
StringRecord* QV_CDECL runtimeaddstring(StringRecord* a, StringRecord* b);
void QV_CDECL RUNTIMEUNLOCKSTRING(StringRecord* record);
ClassRecord* QV_CDECL runtimeNewClass(ClassRecord* base, int32_t methodCount,
                                      int32_t interfaceCount, int32_t eventCount,
                                      int32_t accessorCount, int32_t propertyCount);
void QV_CDECL runtimeunlockobject(ObjectHeader* object);
StringRecord* QV_CDECL runtimeGetTextFileFromResourceManager(int32_t id);

static int32_t sInitialized;

static void QV_CDECL GreeterInit(ObjectHeader* self) {
    (void)self;
    sInitialized++;
}

void QvMain(void) {
    StringRecord* name = QV_LITERAL("Quorvane");
    StringRecord* sum = runtimeaddstring(QV_LITERAL("Hello, "), name);
    ClassRecord* greeter = runtimeNewClass(0, 0, 0, 0, 0, 0);
    StringRecord* resource = runtimeGetTextFileFromResourceManager(128);
    ObjectHeader* object;

    greeter->name = QV_LITERAL("Greeter");
    greeter->instanceSize = kObjectHeaderSize;
    greeter->initializer = GreeterInit;
    object = RuntimeNewObject(greeter);

    AppendText("hello: literal ");
    AppendString(name);
    AppendText(" ");
    AppendNumber(name->length);
    AppendText(" bytes, sum ");
    AppendString(sum);
    AppendText(" ");
    AppendNumber(sum->refCount);
    AppendText(" reference, object of ");
    AppendString(object->classPtr->name);
    AppendText(" initialised ");
    AppendNumber(sInitialized);
    AppendText(" time, ");
    AppendNumber(object->refCount);
    AppendText(" reference, resource ");
    AppendString(resource);
    AppendText("\n");
    WriteLine();

    runtimeunlockobject(object);
    RUNTIMEUNLOCKSTRING(resource);
    RUNTIMEUNLOCKSTRING(sum);
}
