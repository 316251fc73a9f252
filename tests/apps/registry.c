/* Uses the registry and a binary stream as compiled code does: the application's registry item,
 * a RegistryItem of its own under HKEY_CURRENT_USER with a sub-key and an integer value, and a
 * BinaryStream read over a string; the item is deleted again. Packed as app.v2.exe, so the
 * application's name is "app". */
#include "OutputLine.h"

QV_DECLARE_FUNCTION(kernel32, GetCurrentProcessId, uint32_t, (void));

int32_t QV_CDECL RuntimeInit(void);
void QV_CDECL RuntimeInitExternalClasses(void);
int32_t QV_CDECL RuntimeExit(void);
ObjectHeader* QV_CDECL RuntimeGetDefaultApplicationRegistryItem(void);
StringRecord* QV_CDECL RegistryItemPathGetter(ObjectHeader* self, int32_t parameter);
void QV_CDECL RegistryItemPathCtor(ObjectHeader* self, StringRecord* path, int32_t create);
ObjectHeader* QV_CDECL RegistryItemAddFolder(ObjectHeader* self, StringRecord* name);
ObjectHeader* QV_CDECL RegistryParentGetter(ObjectHeader* self, int32_t parameter);
int32_t QV_CDECL RegistryItemFolderCountGetter(ObjectHeader* self, int32_t parameter);
int32_t QV_CDECL RegistryItemKeyCountGetter(ObjectHeader* self, int32_t parameter);
int32_t QV_CDECL RegistryItemKeyTypeGetter(ObjectHeader* self, int32_t index);
StringRecord* QV_CDECL RegistryItemNameGetter(ObjectHeader* self, int32_t index);
void QV_CDECL RegistryItemDelete(ObjectHeader* self, StringRecord* name);
void QV_CDECL BinaryStringStringCtor(ObjectHeader* self, StringRecord* text);
int32_t QV_CDECL BinaryStreamReadLong(ObjectHeader* self);
int32_t QV_CDECL BinaryStreamReadShort(ObjectHeader* self);
int32_t QV_CDECL BinaryStreamEOF(ObjectHeader* self);

QV_DECLARE_FUNCTION(advapi32, RegSetKeyValueA, int32_t,
                    (void* key, const char* subKey, const char* name, uint32_t type,
                     const void* data, uint32_t size));

/* A one-digit literal. */
static StringRecord* DigitText(uint32_t digit) {
    if (digit == 0) return QV_LITERAL("0");
    if (digit == 1) return QV_LITERAL("1");
    if (digit == 2) return QV_LITERAL("2");
    if (digit == 3) return QV_LITERAL("3");
    if (digit == 4) return QV_LITERAL("4");
    if (digit == 5) return QV_LITERAL("5");
    if (digit == 6) return QV_LITERAL("6");
    if (digit == 7) return QV_LITERAL("7");
    if (digit == 8) return QV_LITERAL("8");
    return QV_LITERAL("9");
}

/* The text followed by the decimal digits (a new reference). */
static StringRecord* WithDigits(StringRecord* text, const char* digits) {
    StringRecord* result = RuntimeLockString(text);
    while (*digits) {
        StringRecord* longer = RuntimeAddString(result, DigitText((uint32_t)(*digits++ - '0')));
        RuntimeUnlockString(result);
        result = longer;
    }
    return result;
}

/* The decimal digits of a number, ended by a NUL. */
static void Digits(char* out, uint32_t value) {
    char reversed[12];
    int32_t count = 0, i;
    do {
        reversed[count++] = (char)('0' + value % 10);
        value /= 10;
    } while (value);
    for (i = 0; i < count; i++) out[i] = reversed[count - 1 - i];
    out[count] = 0;
}

void QvMain(void) {
    ClassRecord* itemClass;
    ObjectHeader *application, *item, *folder, *parent, *stream;
    StringRecord *text, *keyText, *pathText;
    char keyName[40] = "QVTest-";
    char path[80] = "HKEY_CURRENT_USER\\Software\\";
    int32_t i, k;
    uint32_t value = 7;

    RuntimeInit();
    RuntimeInitExternalClasses();
    itemClass = RuntimeLookupClass(QV_LITERAL("RegistryItem"));

    application = RuntimeGetDefaultApplicationRegistryItem();
    text = RegistryItemPathGetter(application, 0);
    AppendText("default ");
    AppendString(text);
    RuntimeUnlockString(text);

    Digits(keyName + 7, GetCurrentProcessId());
    for (i = 0; path[i]; i++) {
    }
    for (k = 0; keyName[k]; k++) path[i + k] = keyName[k];
    path[i + k] = 0;
    keyText = WithDigits(QV_LITERAL("QVTest-"), keyName + 7);
    pathText = RuntimeAddString(QV_LITERAL("HKEY_CURRENT_USER\\Software\\"), keyText);
    item = RuntimeNewObject(itemClass);
    RegistryItemPathCtor(item, pathText, 1);
    folder = RegistryItemAddFolder(item, QV_LITERAL("sub"));
    RegSetKeyValueA((void*)(uintptr_t)0x80000001u, path + 18, "n", 4, &value, 4);
    AppendText(" folders ");
    AppendNumber(RegistryItemFolderCountGetter(item, 0));
    AppendText(" values ");
    AppendNumber(RegistryItemKeyCountGetter(item, 0));
    AppendText(" name ");
    text = RegistryItemNameGetter(item, 0);
    AppendString(text);
    RuntimeUnlockString(text);
    AppendText(" kind ");
    AppendNumber(RegistryItemKeyTypeGetter(item, 0));
    RegistryItemDelete(item, QV_LITERAL("n"));
    RegistryItemDelete(item, QV_LITERAL("sub"));
    AppendText(" after delete ");
    AppendNumber(RegistryItemKeyCountGetter(item, 0));
    AppendText(" ");
    AppendNumber(RegistryItemFolderCountGetter(item, 0));

    stream = RuntimeNewObject(RuntimeLookupClass(QV_LITERAL("BinaryStream")));
    BinaryStringStringCtor(stream, QV_LITERAL("\x01\x02\x03\x04\x7F"));
    AppendText(" stream ");
    AppendNumber(BinaryStreamReadLong(stream));
    AppendText(" ");
    AppendNumber(BinaryStreamReadShort(stream));
    AppendText(BinaryStreamEOF(stream) & 0xFF ? " at end" : " not at end");
    WriteLine();

    parent = RegistryParentGetter(item, 0);
    RegistryItemDelete(parent, keyText);
    RuntimeUnlockObject(parent);
    parent = RegistryParentGetter(application, 0);
    RegistryItemDelete(parent, QV_LITERAL("app"));
    RuntimeUnlockObject(parent);
    RuntimeUnlockObject(stream);
    RuntimeUnlockObject(folder);
    RuntimeUnlockObject(item);
    RuntimeUnlockObject(application);
    RuntimeUnlockString(pathText);
    RuntimeUnlockString(keyText);
    RuntimeExit();
}
