/* What the C test applications share: writing to standard output, reading the environment, and
 * building a subclass of a runtime class as compiled code does. Every function is static: each
 * application is packed from its own objects. */
#ifndef QV_APP_SUPPORT_H
#define QV_APP_SUPPORT_H

#include "sdk/QuorvaneRuntime.h"

QV_DECLARE_FUNCTION(kernel32, GetStdHandle, void*, (uint32_t which));
QV_DECLARE_FUNCTION(kernel32, WriteFile, int32_t,
                    (void* file, const void* bytes, uint32_t count, uint32_t* written,
                     void* overlapped));
QV_DECLARE_FUNCTION(kernel32, GetEnvironmentVariableA, uint32_t,
                    (const char* name, char* value, uint32_t size));
QV_DECLARE_FUNCTION(kernel32, GetTickCount, uint32_t, (void));

int32_t QV_CDECL RuntimeInit(void);
void QV_CDECL RuntimeInitExternalClasses(void);
int32_t QV_CDECL RuntimeExit(void);

/* The Try block of AppTry.S. */
typedef void(QV_CDECL* TryBody)(ObjectHeader* volatile* raised);
int32_t QV_CDECL QvTry(TryBody call, ObjectHeader** caught);

static inline void Write(const char* bytes, uint32_t count) {
    uint32_t written;
    WriteFile(GetStdHandle((uint32_t)-11), bytes, count, &written, 0);
}

static inline void Print(const char* text) {
    uint32_t count = 0;
    while (text[count]) count++;
    Write(text, count);
}

static inline void PrintInt(int32_t value) {
    char digits[12];
    int32_t i = 11;
    uint32_t magnitude = value < 0 ? 0u - (uint32_t)value : (uint32_t)value;
    digits[i] = 0;
    do {
        digits[--i] = (char)('0' + magnitude % 10);
        magnitude /= 10;
    } while (magnitude);
    if (value < 0) digits[--i] = '-';
    Print(digits + i);
}

static inline void PrintString(StringRecord* record) {
    if (record) Write((const char*)record->buffer + 1, (uint32_t)record->length);
}

static inline int Equal(StringRecord* record, const char* text) {
    int32_t i;
    if (!record) return text[0] == 0;
    for (i = 0; i < record->length; i++)
        if (text[i] == 0 || record->buffer[1 + i] != (unsigned char)text[i]) return 0;
    return text[i] == 0;
}

/* The value of an environment variable (empty when unset) compared with text. */
static inline int EnvironmentIs(const char* variable, const char* text) {
    char value[64];
    uint32_t length = GetEnvironmentVariableA(variable, value, sizeof value);
    uint32_t i;
    if (length >= sizeof value) return 0;
    for (i = 0; i < length; i++)
        if (text[i] != value[i]) return 0;
    return text[length] == 0;
}

/* A subclass of base with extra bytes of fields after the base's, the handler in the event of
 * that name. */
static inline ClassRecord* Subclass(ClassRecord* base, StringRecord* name, int32_t extra,
                             const char* event, void* handler) {
    ClassRecord* own = RuntimeNewClass(base, base->methodCount, base->interfaceCount,
                                       base->eventCount, base->accessorCount, base->propertyCount);
    int32_t i;
    own->name = name;
    own->instanceSize = base->instanceSize + extra;
    for (i = 0; i < own->eventCount; i++)
        if (Equal(own->events[i].name, event)) own->events[i].vector = handler;
    return own;
}

/* Sets the handler of the event of that name in a class. */
static inline void SetEventHandler(ClassRecord* own, const char* event, void* handler) {
    int32_t i;
    for (i = 0; i < own->eventCount; i++)
        if (Equal(own->events[i].name, event)) own->events[i].vector = handler;
}

/* The Message and ErrorNumber fields of a RuntimeException. */
#define ExceptionErrorNumber(e) (*(int32_t*)((char*)(e) + kObjectHeaderSize))
#define ExceptionMessage(e) (*(StringRecord**)((char*)(e) + kObjectHeaderSize + 4))

#endif
