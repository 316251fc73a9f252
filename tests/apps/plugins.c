/* Fills a table of plug-in entry points by name, as compiled code does, and calls the entries of
 * the test plug-in: its class with constructor, methods and custom accessors, the assignment form,
 * the module, the extension of a built-in class and the global methods. Origin tells which copy of
 * the plug-in was installed: 1 the image carried in the payload, 2 the file beside the executable. */
#include "OutputLine.h"

int32_t QV_CDECL RuntimeInit(void);
void QV_CDECL RuntimeInitExternalClasses(void);
int32_t QV_CDECL RuntimeExit(void);
void** QV_CDECL RuntimeAllocatePluginEntrypointsTable(int32_t count);
void* QV_CDECL RuntimeLookupPluginEntrypoint(StringRecord* name);

typedef int32_t(QV_CDECL* Method1)(ObjectHeader* self, int32_t argument);
typedef int32_t(QV_CDECL* Method0)(ObjectHeader* self);
typedef void(QV_CDECL* Assign)(ObjectHeader* self, int32_t value);
typedef int32_t(QV_CDECL* Global1)(int32_t argument);
typedef int32_t(QV_CDECL* Global0)(void);
typedef StringRecord*(QV_CDECL* StringGet)(ObjectHeader* self, int32_t parameter);
typedef void(QV_CDECL* StringSet)(ObjectHeader* self, int32_t parameter, StringRecord* value);

enum { kArea, kSizeGet, kSizeSet, kLabelGet, kLabelSet, kSquare, kLucky, kTwice, kOrigin, kNone,
       kUnknown, kEntryCount };

void QvMain(void) {
    void** entries;
    ObjectHeader* widget;
    ObjectHeader* random;
    StringRecord* label;

    RuntimeInit();
    RuntimeInitExternalClasses();

    entries = RuntimeAllocatePluginEntrypointsTable(kEntryCount);
    entries[kArea] = RuntimeLookupPluginEntrypoint(QV_LITERAL("Widget.Function Area(scale As Integer) As Integer"));
    entries[kSizeGet] = RuntimeLookupPluginEntrypoint(QV_LITERAL("Widget.Function Size() As Integer"));
    entries[kSizeSet] = RuntimeLookupPluginEntrypoint(QV_LITERAL("widget.function size() as integer.set"));
    entries[kLabelGet] = RuntimeLookupPluginEntrypoint(QV_LITERAL("Widget.Label.Get"));
    entries[kLabelSet] = RuntimeLookupPluginEntrypoint(QV_LITERAL("Widget.Label.Set"));
    entries[kSquare] = RuntimeLookupPluginEntrypoint(QV_LITERAL("Geometry.Function Square(x As Integer) As Integer"));
    entries[kLucky] = RuntimeLookupPluginEntrypoint(QV_LITERAL("Random.Function Lucky() As Integer"));
    entries[kTwice] = RuntimeLookupPluginEntrypoint(QV_LITERAL("Function Twice(x As Integer) As Integer"));
    entries[kOrigin] = RuntimeLookupPluginEntrypoint(QV_LITERAL("Function Origin() As Integer"));
    entries[kNone] = RuntimeLookupPluginEntrypoint(QV_LITERAL("_"));
    entries[kUnknown] = RuntimeLookupPluginEntrypoint(QV_LITERAL("Widget.Function Missing() As Integer"));

    widget = RuntimeNewObject(RuntimeLookupClass(QV_LITERAL("Widget")));
    random = RuntimeNewObject(RuntimeLookupClass(QV_LITERAL("Random")));
    AppendText("plugins: origin ");
    AppendNumber(((Global0)entries[kOrigin])());
    AppendText(" area ");
    AppendNumber(((Method1)entries[kArea])(widget, 3));
    ((Assign)entries[kSizeSet])(widget, 12);
    AppendText(" size ");
    AppendNumber(((Method0)entries[kSizeGet])(widget));
    ((StringSet)entries[kLabelSet])(widget, 0, QV_LITERAL("round"));
    label = ((StringGet)entries[kLabelGet])(widget, 0);
    AppendText(" label ");
    AppendString(label);
    RuntimeUnlockString(label);
    AppendText(" square ");
    AppendNumber(((Global1)entries[kSquare])(5));
    AppendText(" lucky ");
    AppendNumber(((Method0)entries[kLucky])(random));
    AppendText(" twice ");
    AppendNumber(((Global1)entries[kTwice])(21));
    AppendText(entries[kNone] ? " none set" : " none 0");
    AppendText(entries[kUnknown] ? " unknown set" : " unknown 0");
    WriteLine();

    RuntimeUnlockObject(random);
    RuntimeUnlockObject(widget);
    RuntimeExit();
}
