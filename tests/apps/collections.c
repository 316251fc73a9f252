/* An ObjectCursor subclass as compiled code builds one: its NextObject handler hands out three
 * objects and then nil. Count pulls all of them, GetItem reads them again by position, past the
 * end gives nil, and the handler is not called again once it answered nil. A Collection is read
 * by position and by key in another letter case. Writes one line. */
#include "AppSupport.h"

ObjectHeader* QV_CDECL objectCursorGetItem(ObjectHeader* cursor, int32_t index);
int32_t QV_CDECL objectCursorCountGetter(ObjectHeader* cursor);
ObjectHeader* QV_CDECL objectCursorNextObject(ObjectHeader* cursor);
void QV_CDECL collectionAdd(ObjectHeader* collection, ObjectHeader* value, StringRecord* key);
ObjectHeader* QV_CDECL collectionItem(ObjectHeader* collection, StringRecord* key);
int32_t QV_CDECL collectionCount(ObjectHeader* collection);
ObjectHeader* QV_CDECL intToVariant(int32_t value);
int32_t QV_CDECL variantToInt(ObjectHeader* value);

static int32_t sCalls;
static ObjectHeader* sGiven[3];

static ObjectHeader* QV_CDECL HandOut(ObjectHeader* cursor) {
    (void)cursor;
    if (sCalls++ >= 3) return 0;
    sGiven[sCalls - 1] = intToVariant(sCalls * 10);
    RuntimeLockObject(sGiven[sCalls - 1]);
    return sGiven[sCalls - 1];
}

static void PrintItem(ObjectHeader* cursor, int32_t index) {
    ObjectHeader* item = objectCursorGetItem(cursor, index);
    Print(" item ");
    PrintInt(index);
    Print(" ");
    if (item) {
        PrintInt(variantToInt(item));
        if (index >= 1 && index <= 3 && item != sGiven[index - 1]) Print(" (another object)");
        RuntimeUnlockObject(item);
    } else {
        Print("nil");
    }
}

void QvMain(void) {
    ClassRecord* cursorClass;
    ObjectHeader* cursor;
    ObjectHeader* collection;
    ObjectHeader* value;
    ObjectHeader* found;
    int32_t i;

    RuntimeInit();
    RuntimeInitExternalClasses();
    cursorClass = Subclass(RuntimeLookupClass(QV_LITERAL("ObjectCursor")), QV_LITERAL("Three"), 0,
                           "NextObject", (void*)HandOut);
    cursor = RuntimeNewObject(cursorClass);
    Print("collections: count ");
    PrintInt(objectCursorCountGetter(cursor));
    PrintItem(cursor, 2);
    PrintItem(cursor, 4);
    if (objectCursorNextObject(cursor)) Print(" more");
    Print(" calls ");
    PrintInt(sCalls);
    RuntimeUnlockObject(cursor);
    for (i = 0; i < 3; i++) {
        if (sGiven[i]->refCount != 1) Print(" kept");
        RuntimeUnlockObject(sGiven[i]);
    }

    collection = RuntimeNewObject(RuntimeLookupClass(QV_LITERAL("Collection")));
    value = intToVariant(5);
    collectionAdd(collection, value, QV_LITERAL("Five"));
    RuntimeUnlockObject(value);
    found = collectionItem(collection, QV_LITERAL("FIVE"));
    Print(", collection ");
    PrintInt(collectionCount(collection));
    Print(" five ");
    PrintInt(found ? variantToInt(found) : -1);
    Print("\n");
    RuntimeUnlockObject(found);
    RuntimeUnlockObject(collection);
    RuntimeExit();
}
