/* Reads the version properties of its Application object as compiled code does, through the
 * getters of the Application class's property slots, and writes them on one line: what the
 * runtime's own version resource says. */
#include "sdk/QuorvaneRuntime.h"

QV_DECLARE_FUNCTION(kernel32, GetStdHandle, void*, (uint32_t which));
QV_DECLARE_FUNCTION(kernel32, WriteFile, int32_t,
                    (void* file, const void* bytes, uint32_t count, uint32_t* written,
                     void* overlapped));

int32_t QV_CDECL RuntimeInit(void);
void QV_CDECL RuntimeInitExternalClasses(void);
void QV_CDECL RuntimeRegisterAppObject(ObjectHeader* application);
int32_t QV_CDECL RuntimeExit(void);

typedef int32_t(QV_CDECL* IntegerGetter)(ObjectHeader* self, int32_t parameter);
typedef StringRecord*(QV_CDECL* StringGetter)(ObjectHeader* self, int32_t parameter);

static char sLine[512];
static int32_t sLength;

static void Append(const char* bytes, int32_t count) {
    int32_t i;
    for (i = 0; i < count && sLength < (int32_t)sizeof sLine; i++) sLine[sLength++] = bytes[i];
}

static int32_t Length(const char* text) {
    int32_t count = 0;
    while (text[count]) count++;
    return count;
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

/* The property slot whose descriptor is the name, "%", the type code and "%". */
static PropertySlot* Property(ClassRecord* record, const char* name) {
    int32_t i, k, count = Length(name);
    for (i = 0; i < record->propertyCount; i++) {
        StringRecord* descriptor = record->properties[i].descriptor;
        if (descriptor->length <= count || descriptor->buffer[1 + count] != '%') continue;
        for (k = 0; k < count && descriptor->buffer[1 + k] == (unsigned char)name[k]; k++) {
        }
        if (k == count) return &record->properties[i];
    }
    return 0;
}

/* The property names, one after the other, each ended by a NUL; an empty name ends the list. Data
 * may hold no addresses: the loader patches only code. */
static const char kNumbers[] =
    "MajorVersion\0MinorVersion\0BugVersion\0StageCode\0NonReleaseVersion\0RegionCode\0";
static const char kTexts[] = "ShortVersion\0LongVersion\0PackageInfo\0";

void QvMain(void) {
    ClassRecord* applicationClass;
    ObjectHeader* application;
    const char* name;
    uint32_t written;

    RuntimeInit();
    RuntimeInitExternalClasses();
    applicationClass = RuntimeLookupClass(QV_LITERAL("Application"));
    application = RuntimeNewObject(applicationClass);
    RuntimeRegisterAppObject(application);

    Append("version:", 8);
    for (name = kNumbers; *name; name += Length(name) + 1) {
        PropertySlot* slot = Property(applicationClass, name);
        Append(" ", 1);
        Append(name, Length(name));
        Append(" ", 1);
        if (slot)
            AppendNumber(((IntegerGetter)slot->getter)(application, slot->parameter));
        else
            Append("missing", 7);
    }
    for (name = kTexts; *name; name += Length(name) + 1) {
        PropertySlot* slot = Property(applicationClass, name);
        StringRecord* text = slot ? ((StringGetter)slot->getter)(application, slot->parameter) : 0;
        Append(" ", 1);
        Append(name, Length(name));
        Append(slot ? " \"" : " missing \"", slot ? 2 : 10);
        if (text) Append((const char*)text->buffer + 1, text->length);
        Append("\"", 1);
        if (text) RuntimeUnlockString(text);
    }
    Append("\n", 1);
    WriteFile(GetStdHandle((uint32_t)-11), sLine, (uint32_t)sLength, &written, 0);

    RuntimeUnlockObject(application);
    RuntimeExit();
}
