/* Reads the version properties of its Application object as compiled code does, through the
 * getters of the Application class's property slots, and writes them on one line: what the
 * runtime's own version resource says. */
#include "OutputLine.h"

int32_t QV_CDECL RuntimeInit(void);
void QV_CDECL RuntimeInitExternalClasses(void);
void QV_CDECL RuntimeRegisterAppObject(ObjectHeader* application);
int32_t QV_CDECL RuntimeExit(void);

typedef int32_t(QV_CDECL* IntegerGetter)(ObjectHeader* self, int32_t parameter);
typedef StringRecord*(QV_CDECL* StringGetter)(ObjectHeader* self, int32_t parameter);

/* The property slot whose descriptor is the name, "%", the type code and "%". */
static PropertySlot* Property(ClassRecord* record, const char* name) {
    int32_t i, k, count = TextLength(name);
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

    RuntimeInit();
    RuntimeInitExternalClasses();
    applicationClass = RuntimeLookupClass(QV_LITERAL("Application"));
    application = RuntimeNewObject(applicationClass);
    RuntimeRegisterAppObject(application);

    AppendText("version:");
    for (name = kNumbers; *name; name += TextLength(name) + 1) {
        PropertySlot* slot = Property(applicationClass, name);
        AppendText(" ");
        AppendText(name);
        AppendText(" ");
        if (slot)
            AppendNumber(((IntegerGetter)slot->getter)(application, slot->parameter));
        else
            AppendText("missing");
    }
    for (name = kTexts; *name; name += TextLength(name) + 1) {
        PropertySlot* slot = Property(applicationClass, name);
        StringRecord* text = slot ? ((StringGetter)slot->getter)(application, slot->parameter) : 0;
        AppendText(" ");
        AppendText(name);
        AppendText(slot ? " " : " missing ");
        AppendString(text);
        if (text) RuntimeUnlockString(text);
    }
    WriteLine();

    RuntimeUnlockObject(application);
    RuntimeExit();
}
