/* FolderItems as compiled code uses them, in a folder "fi-data" made beside the executable and
 * removed again: GetFolderItem of the empty path, of a relative path, of absolute, shell and URL
 * paths, the texts it refuses (a relative shell path and an invalid path for the constructor
 * raising into the application's Try), Item and Child counted and looked up, a shortcut through
 * Child and TrueChild, the Parent of an instance of an application's FolderItem subclass, text
 * files created, appended and read back, a locked file, copying onto an existing file and the
 * Mac type. Writes four lines. */
#include "AppSupport.h"

QV_DECLARE_FUNCTION(kernel32, GetModuleFileNameA, uint32_t, (void* module, char* path, uint32_t size));
QV_DECLARE_FUNCTION(kernel32, MultiByteToWideChar, int32_t,
                    (uint32_t codePage, uint32_t flags, const char* text, int32_t count,
                     uint16_t* wide, int32_t size));
QV_DECLARE_FUNCTION(ole32, CoInitialize, int32_t, (void* reserved));
QV_DECLARE_FUNCTION(ole32, CoCreateInstance, int32_t,
                    (const void* classId, void* outer, uint32_t context, const void* interfaceId,
                     void** object));

StringRecord* QV_CDECL StringChr(int32_t code);

typedef struct Guid {
    uint32_t a;
    uint16_t b, c;
    uint8_t d[8];
} Guid;

typedef int32_t(QV_STDCALL* ComMethod)();
typedef struct ComObject {
    ComMethod* methods;
} ComObject;

static const Guid kShellLinkClass = {0x00021401, 0, 0, {0xC0, 0, 0, 0, 0, 0, 0, 0x46}};
static const Guid kShellLinkA = {0x000214EE, 0, 0, {0xC0, 0, 0, 0, 0, 0, 0, 0x46}};
static const Guid kPersistFile = {0x0000010B, 0, 0, {0xC0, 0, 0, 0, 0, 0, 0, 0x46}};

static StringRecord* sText;
static int32_t sMode;
static ClassRecord* sFolderItemClass;

/* The zero-terminated bytes of a runtime string. */
static const char* Bytes(StringRecord* record) { return record ? (const char*)record->buffer + 1 : ""; }

static StringRecord* Concat(StringRecord* a, StringRecord* b) { return RuntimeAddString(a, b); }

static void PrintName(ObjectHeader* item) {
    StringRecord* name;
    if (!item) {
        Print("nil");
        return;
    }
    name = fileNameGetter(item, 0);
    Print("\"");
    PrintString(name);
    Print("\"");
    RuntimeUnlockString(name);
}

/* Prints the name of the item and releases it. */
static void PrintAndRelease(ObjectHeader* item) {
    PrintName(item);
    RuntimeUnlockObject(item);
}

static int SameText(StringRecord* a, StringRecord* b) {
    int32_t i;
    if (!a || !b) return a == b;
    if (a->length != b->length) return 0;
    for (i = 0; i < a->length; i++)
        if (a->buffer[1 + i] != b->buffer[1 + i]) return 0;
    return 1;
}

/* Prints whether the item names the same file as the expected one, and releases it. */
static void PrintSameFile(ObjectHeader* expected, ObjectHeader* item) {
    StringRecord* want = fileAbsolutePathGetter(expected, 0);
    StringRecord* got = item ? fileAbsolutePathGetter(item, 0) : 0;
    Print(item ? (SameText(want, got) ? "same" : "differs") : "nil");
    RuntimeUnlockString(got);
    RuntimeUnlockString(want);
    RuntimeUnlockObject(item);
}

static void QV_CDECL GetShell(ObjectHeader* volatile* raised) {
    ObjectHeader* item = RuntimeGetFolderItem(sText, sMode);
    if (*raised) return;
    Print(" gave ");
    PrintAndRelease(item);
}

static void QV_CDECL Construct(ObjectHeader* volatile* raised) {
    ObjectHeader* item = RuntimeNewObject(sFolderItemClass);
    FolderItemPathCtor(item, sText, sMode);
    RuntimeUnlockObject(item);
    if (*raised) return;
    Print(" constructed");
}

static void Attempt(TryBody body) {
    ObjectHeader* caught = 0;
    if (QvTry(body, &caught) == 2) {
        Print(" caught ");
        PrintString(caught->classPtr->name);
        Print(" \"");
        PrintString(ExceptionMessage(caught));
        Print("\"");
        RuntimeUnlockObject(caught);
    }
}

/* A shortcut file at the path that points at the target. */
static void MakeShortcut(const char* path, const char* target) {
    ComObject* link = 0;
    ComObject* file = 0;
    uint16_t wide[520];
    CoInitialize(0);
    if (CoCreateInstance(&kShellLinkClass, 0, 1, &kShellLinkA, (void**)&link) < 0) return;
    link->methods[20](link, target);                       /* SetPath */
    if (link->methods[0](link, &kPersistFile, &file) >= 0) { /* QueryInterface */
        MultiByteToWideChar(65001, 0, path, -1, wide, 520);
        file->methods[6](file, wide, 1); /* Save */
        file->methods[2](file);          /* Release */
    }
    link->methods[2](link);
}

static void WriteText(ObjectHeader* stream, StringRecord* text) {
    if (!stream) return;
    TextOutputStreamWrite(stream, text);
    TextOutputStreamClose(stream);
    RuntimeUnlockObject(stream);
}

static void PrintContents(ObjectHeader* item) {
    ObjectHeader* input = FolderItemOpenTextFile(item);
    StringRecord* text;
    if (!input) {
        Print("unreadable");
        return;
    }
    text = TextInputStreamReadAll(input, 0);
    Print("\"");
    PrintString(text);
    Print("\"");
    RuntimeUnlockString(text);
    RuntimeUnlockObject(input);
}

void QvMain(void) {
    ObjectHeader* here;
    ObjectHeader* data;
    ObjectHeader* x;
    ObjectHeader* a;
    ObjectHeader* b;
    ObjectHeader* c;
    ObjectHeader* item;
    ObjectHeader* copy;
    StringRecord* path;
    StringRecord* other;
    StringRecord* zero;
    ClassRecord* mine;
    char module[520];
    int32_t count;
    uint32_t length, i, cut = 0;
    RuntimeInit();
    RuntimeInitExternalClasses();
    sFolderItemClass = RuntimeLookupClass(QV_LITERAL("FolderItem"));

    /* The empty path is the executable's folder. */
    Print("paths:");
    here = RuntimeGetFolderItem(0, 0);
    path = fileAbsolutePathGetter(here, 0);
    length = GetModuleFileNameA(0, module, sizeof module);
    for (i = 0; i < length; i++)
        if (module[i] == '\\') cut = i + 1;
    Print(fileDirectoryGetter(here, 0) && path && (uint32_t)path->length == cut ? " empty=executable folder"
                                                                               : " empty=other");
    for (i = 0; path && i < cut; i++)
        if ((char)path->buffer[1 + i] != module[i]) Print(" (differs)");
    RuntimeUnlockString(path);

    data = RuntimeGetFolderItem(QV_LITERAL("fi-data"), 0);
    FolderItemCreateAsFolder(data);
    x = RuntimeGetFolderItem(QV_LITERAL("fi-data\\x.txt"), 0);
    Print(" relative ");
    PrintName(x);
    Print(" exists ");
    PrintInt(fileExistsGetter(x, 0));
    Print(" in ");
    PrintAndRelease(folderParentGetter(x, 0));

    path = fileAbsolutePathGetter(x, 0);
    item = RuntimeGetFolderItem(path, 0);
    other = item ? fileAbsolutePathGetter(item, 0) : 0;
    Print(SameText(path, other) ? ", absolute same" : ", absolute differs");
    RuntimeUnlockString(other);
    RuntimeUnlockObject(item);
    RuntimeUnlockString(path);

    path = FileShellPathGetter(data, 0);
    Print(", shell ");
    PrintAndRelease(RuntimeGetFolderItem(path, 1));
    RuntimeUnlockString(path);

    path = FileURLGetter(x, 0);
    Print(", URL ");
    PrintAndRelease(RuntimeGetFolderItem(path, 2));
    RuntimeUnlockString(path);

    Print(", shell name");
    sText = QV_LITERAL("x.txt");
    sMode = 1;
    Attempt(GetShell);

    other = StringChr(0);
    zero = Concat(QV_LITERAL("fi-data\\a"), other);
    RuntimeUnlockString(other);
    Print(", zero byte ");
    PrintAndRelease(RuntimeGetFolderItem(zero, 0));
    Print(", missing folder ");
    PrintAndRelease(RuntimeGetFolderItem(QV_LITERAL("fi-nowhere\\x.txt"), 0));
    Print(", new");
    sText = zero;
    sMode = 0;
    Attempt(Construct);
    RuntimeUnlockString(zero);
    Print(", new");
    sText = QV_LITERAL("fi-nowhere\\x.txt");
    Attempt(Construct);
    Print("\n");

    /* Files in the folder: a.txt, b.txt and a shortcut to a.txt. */
    Print("files:");
    a = FolderChild(data, QV_LITERAL("a.txt"));
    b = FolderChild(data, QV_LITERAL("b.txt"));
    c = FolderChild(data, QV_LITERAL("c.txt"));
    WriteText(FolderItemCreateTextFile(a), QV_LITERAL("one"));
    WriteText(FolderItemAppendTextFile(a), QV_LITERAL("two"));
    WriteText(FolderItemAppendTextFile(c), QV_LITERAL("three"));
    WriteText(FolderItemCreateTextFile(b), QV_LITERAL("b"));
    Print(" a ");
    PrintContents(a);
    Print(" c ");
    PrintContents(c);
    fileLockedSetter(a, 0, 1);
    item = FolderItemCreateTextFile(a);
    Print(", locked create ");
    Print(item ? "made" : "nil");
    RuntimeUnlockObject(item);
    Print(" a ");
    PrintContents(a);
    fileLockedSetter(a, 0, 0);
    FolderItemCopyFileTo(b, a);
    Print(", copy onto a: LastErrorCode ");
    PrintInt(FolderItemGetLastError(b, 0));
    fileMacTypeSetter(a, 0, QV_LITERAL("TEXT"));
    path = fileMacTypeGetter(a, 0);
    Print(", MacType \"");
    PrintString(path);
    Print("\"");
    RuntimeUnlockString(path);
    /* SaveInfo data names the file again: alone through GetFolderItem, and relative to its folder
       through GetRelative. */
    other = FolderItemGetSaveInfo(a, 0, 0);
    item = RuntimeGetFolderItem(other, 0);
    RuntimeUnlockString(other);
    Print(", saveinfo ");
    PrintSameFile(a, item);
    other = FolderItemGetSaveInfo(a, data, 1);
    item = FolderItemGetRelative(data, other);
    RuntimeUnlockString(other);
    Print(" relative ");
    PrintSameFile(a, item);
    Print("\n");

    path = fileAbsolutePathGetter(data, 0);
    other = Concat(path, QV_LITERAL("\\link.lnk"));
    RuntimeUnlockString(path);
    path = fileAbsolutePathGetter(a, 0);
    MakeShortcut(Bytes(other), Bytes(path));
    RuntimeUnlockString(path);
    RuntimeUnlockString(other);

    Print("items:");
    count = fileCountGetter(data, 0);
    Print(" count ");
    PrintInt(count);
    Print(" Item(1) ");
    PrintAndRelease(FolderItemItem(data, 1));
    Print(" Item(0) ");
    PrintAndRelease(FolderItemItem(data, 0));
    Print(" Item(Count + 1) ");
    PrintAndRelease(FolderItemItem(data, count + 1));
    item = FolderChild(data, QV_LITERAL("link.lnk"));
    Print(", Child ");
    PrintName(item);
    Print(" alias ");
    PrintInt(item ? fileAliasGetter(item, 0) : -1);
    RuntimeUnlockObject(item);
    item = FolderTrueChild(data, QV_LITERAL("link.lnk"));
    Print(", TrueChild ");
    PrintName(item);
    Print(" alias ");
    PrintInt(item ? fileAliasGetter(item, 0) : -1);
    RuntimeUnlockObject(item);

    mine = Subclass(sFolderItemClass, QV_LITERAL("MyFolderItem"), 0, "", 0);
    item = RuntimeNewObject(mine);
    path = fileAbsolutePathGetter(a, 0);
    FolderItemPathCtor(item, path, 0);
    RuntimeUnlockString(path);
    copy = folderParentGetter(item, 0);
    Print(", subclass Parent ");
    PrintName(copy);
    Print(" of class ");
    PrintString(copy ? copy->classPtr->name : 0);
    RuntimeUnlockObject(copy);
    RuntimeUnlockObject(item);
    Print("\n");

    /* The folder goes again, with all it holds. */
    item = FolderTrueChild(data, QV_LITERAL("link.lnk"));
    FolderItemDelete(item);
    RuntimeUnlockObject(item);
    FolderItemDelete(a);
    FolderItemDelete(b);
    FolderItemDelete(c);
    FolderItemDelete(data);
    Print("cleaned: ");
    PrintInt(fileExistsGetter(data, 0));
    Print("\n");
    RuntimeUnlockObject(a);
    RuntimeUnlockObject(b);
    RuntimeUnlockObject(c);
    RuntimeUnlockObject(x);
    RuntimeUnlockObject(data);
    RuntimeUnlockObject(here);
    RuntimeExit();
}
