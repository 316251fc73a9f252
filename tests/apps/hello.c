/* The first packed application. It calls runtime entry points by link names spelt in other
 * letter cases than the runtime's, declared kernel32 functions and literal strings, builds a
 * class whose initializer it gives by address, reads its TEXT resource 128, and writes what it
 * saw to standard output as one line. */
#include "sdk/QuorvaneRuntime.h"

QV_DECLARE_FUNCTION(kernel32, GetStdHandle, void*, (uint32_t which));
QV_DECLARE_FUNCTION(kernel32, WriteFile, int32_t,
                    (void* file, const void* bytes, uint32_t count, uint32_t* written,
                     void* overlapped));

/* Link names as an application's source may spell them: the loader ignores their case. */
StringRecord* QV_CDECL runtimeaddstring(StringRecord* a, StringRecord* b);
void QV_CDECL RUNTIMEUNLOCKSTRING(StringRecord* record);
ClassRecord* QV_CDECL runtimeNewClass(ClassRecord* base, int32_t methodCount,
                                      int32_t interfaceCount, int32_t eventCount,
                                      int32_t accessorCount, int32_t propertyCount);
void QV_CDECL runtimeunlockobject(ObjectHeader* object);
StringRecord* QV_CDECL runtimeGetTextFileFromResourceManager(int32_t id);

#define kStandardOutput ((uint32_t)-11)

static char sLine[256];
static int32_t sLength;
static int32_t sInitialized;

static void Append(const char* bytes, int32_t count) {
    int32_t i;
    for (i = 0; i < count && sLength < (int32_t)sizeof sLine; i++) sLine[sLength++] = bytes[i];
}

static void AppendText(const char* text) {
    int32_t count = 0;
    while (text[count]) count++;
    Append(text, count);
}

static void AppendNumber(int32_t value) {
    char digits[12];
    int32_t count = 0;
    uint32_t rest = value < 0 ? 0u - (uint32_t)value : (uint32_t)value;
    if (value < 0) Append("-", 1);
    do {
        digits[sizeof digits - 1 - count++] = (char)('0' + rest % 10);
        rest /= 10;
    } while (rest);
    Append(digits + sizeof digits - count, count);
}

/* The text in quotes, as the record's buffer holds it after the length byte. */
static void AppendString(StringRecord* record) {
    Append("\"", 1);
    if (record) Append((const char*)record->buffer + 1, record->length);
    Append("\"", 1);
}

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
    uint32_t written;

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
    WriteFile(GetStdHandle(kStandardOutput), sLine, (uint32_t)sLength, &written, 0);

    runtimeunlockobject(object);
    RUNTIMEUNLOCKSTRING(resource);
    RUNTIMEUNLOCKSTRING(sum);
}
