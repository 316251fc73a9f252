/* A hook record as compiled code builds one: two nodes of entries. RuntimeFindHookCode finds a
 * key in the first node and in the second, answers null for a missing key and a null record.
 * Writes one line. */
#include "AppSupport.h"

void* QV_CDECL RuntimeFindHookCode(HookNode* record, int32_t key);

static int32_t QV_CDECL First(void) { return 1; }
static int32_t QV_CDECL Second(void) { return 2; }
static int32_t QV_CDECL Third(void) { return 3; }

typedef int32_t(QV_CDECL* Code)(void);

/* A node with room for two entries. */
typedef struct {
    HookNode* next;
    int32_t entryCount;
    HookEntry entries[2];
} TwoEntryNode;

static void PrintFound(HookNode* record, int32_t key) {
    Code code = (Code)RuntimeFindHookCode(record, key);
    Print(" ");
    PrintInt(key);
    Print(":");
    if (code)
        PrintInt(code());
    else
        Print("none");
}

void QvMain(void) {
    TwoEntryNode first;
    TwoEntryNode second;
    /* Field by field: the loader patches code, not data, so no address may sit in an initialiser. */
    first.next = (HookNode*)&second;
    first.entryCount = 2;
    first.entries[0].key = 10;
    first.entries[0].code = (void*)First;
    first.entries[1].key = 20;
    first.entries[1].code = (void*)Second;
    second.next = 0;
    second.entryCount = 1;
    second.entries[0].key = 30;
    second.entries[0].code = (void*)Third;
    RuntimeInit();
    RuntimeInitExternalClasses();
    Print("hooks:");
    PrintFound((HookNode*)&first, 20);
    PrintFound((HookNode*)&first, 30);
    PrintFound((HookNode*)&first, 40);
    PrintFound(0, 10);
    Print("\n");
    RuntimeExit();
}
