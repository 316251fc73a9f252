/* Uses the registry and binary streams as compiled code does: the application's registry item,
 * a RegistryItem of its own under HKEY_CURRENT_USER with a sub-key and values of every Variant
 * kind (a MemoryBlock as binary bytes), BinaryStreams over a string and over MemoryBlocks, and a
 * Blowfish round trip; the item is deleted again. Packed as app.v2.exe, so the application's name
 * is "app". */
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
void QV_CDECL BinaryStringMemoryBlockCtor(ObjectHeader* self, ObjectHeader* block);
void QV_CDECL BinaryStreamWriteLong(ObjectHeader* self, int32_t value);
void QV_CDECL BinaryStreamWriteByte(ObjectHeader* self, int32_t value);
void QV_CDECL BinaryStreamClose(ObjectHeader* self);
void QV_CDECL RegistryItemValueSetter(ObjectHeader* self, StringRecord* name, ObjectHeader* value);
ObjectHeader* QV_CDECL RegistryItemValueGetter(ObjectHeader* self, StringRecord* name);
ObjectHeader* QV_CDECL intToVariant(int32_t value);
ObjectHeader* QV_CDECL booleanToVariant(uint8_t value);
ObjectHeader* QV_CDECL colorToVariant(int32_t value);
ObjectHeader* QV_CDECL doubleToVariant(double value);
ObjectHeader* QV_CDECL stringToVariant(StringRecord* value);
ObjectHeader* QV_CDECL DateToVariant(ObjectHeader* date);
void QV_CDECL dateSQLDateTimeSetter(ObjectHeader* date, int32_t parameter, StringRecord* text);
StringRecord* QV_CDECL variantToString(ObjectHeader* value);
int32_t QV_CDECL VarType(ObjectHeader* value);
ObjectHeader* QV_CDECL newMemoryBlock(int32_t size);
void QV_CDECL memoryBlockNewConstructor(ObjectHeader* self, int32_t bytes);
int32_t QV_CDECL memoryBlockGetSize(ObjectHeader* self, int32_t parameter);
void QV_CDECL memorySetLong(ObjectHeader* self, int32_t offset, int32_t value);
void QV_CDECL memorySetByte(ObjectHeader* self, int32_t offset, int32_t value);
StringRecord* QV_CDECL MemoryBlockToStringOperator(ObjectHeader* self);
StringRecord* QV_CDECL memoryGetString(ObjectHeader* self, int32_t offset, int32_t length);
void QV_CDECL boolSetter(ObjectHeader* object, int32_t offset, int32_t value);
void QV_CDECL BlowfishInitialize(ObjectHeader* self, StringRecord* key);
void QV_CDECL BlowfishEncipher(ObjectHeader* self, int32_t* xl, int32_t* xr);
void QV_CDECL BlowfishDecipher(ObjectHeader* self, int32_t* xl, int32_t* xr);

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

/* The MemoryBlock's LittleEndian flag: a byte field after the size, the data pointer and the
 * size flag. */
#define MEMORY_BLOCK_LITTLE_ENDIAN 33

/* Writes the value under the name, reads it back and shows its kind and text (a MemoryBlock:
 * its size and bytes instead); takes over the value's reference. */
static void RoundTrip(ObjectHeader* item, StringRecord* name, ObjectHeader* value, int32_t asText) {
    ObjectHeader* read;
    StringRecord* text;
    RegistryItemValueSetter(item, name, value);
    RuntimeUnlockObject(value);
    read = RegistryItemValueGetter(item, name);
    AppendText(" ");
    AppendNumber(VarType(read));
    if (read && read->classPtr == RuntimeLookupClass(QV_LITERAL("MemoryBlock"))) {
        AppendText(" size ");
        AppendNumber(memoryBlockGetSize(read, 0));
        AppendText(" ");
        text = MemoryBlockToStringOperator(read);
        AppendString(text);
        RuntimeUnlockString(text);
    } else if (asText) {
        AppendText(" ");
        text = variantToString(read);
        AppendString(text);
        RuntimeUnlockString(text);
    }
    RuntimeUnlockObject(read);
}

void QvMain(void) {
    ClassRecord* itemClass;
    ObjectHeader *application, *item, *folder, *parent, *stream, *date, *block, *blockStream, *cipher;
    StringRecord *text, *keyText, *pathText;
    int32_t left, right;
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

    /* Values of every kind; the names sort in the order they are written, as the registry may
     * list them by name. */
    AppendText(" values");
    RoundTrip(item, QV_LITERAL("a"), intToVariant(-7), 1);
    RoundTrip(item, QV_LITERAL("b"), booleanToVariant(1), 1);
    RoundTrip(item, QV_LITERAL("c"), colorToVariant(0xFF8000), 1);
    RoundTrip(item, QV_LITERAL("d"), doubleToVariant(2.5), 1);
    RoundTrip(item, QV_LITERAL("e"), stringToVariant(QV_LITERAL("text")), 1);
    date = RuntimeNewObject(RuntimeLookupClass(QV_LITERAL("Date")));
    dateSQLDateTimeSetter(date, 0, QV_LITERAL("2024-03-05 06:07:08"));
    RoundTrip(item, QV_LITERAL("f"), DateToVariant(date), 0);
    RuntimeUnlockObject(date);
    block = newMemoryBlock(3);
    memorySetByte(block, 0, 0x41);
    memorySetByte(block, 1, 0x42);
    memorySetByte(block, 2, 0x43);
    RoundTrip(item, QV_LITERAL("g"), block, 0);
    AppendText(" kinds");
    for (i = 0; i < RegistryItemKeyCountGetter(item, 0); i++) {
        AppendText(" ");
        AppendNumber(RegistryItemKeyTypeGetter(item, i));
    }
    for (k = 0; k < 7; k++) {
        text = RegistryItemNameGetter(item, 0);
        RegistryItemDelete(item, text);
        RuntimeUnlockString(text);
    }
    AppendText(" left ");
    AppendNumber(RegistryItemKeyCountGetter(item, 0));

    /* A big-endian block read through a stream, and a stream that grows an empty block while it
     * writes and trims it when closed. */
    block = RuntimeNewObject(RuntimeLookupClass(QV_LITERAL("MemoryBlock")));
    memoryBlockNewConstructor(block, 6);
    boolSetter(block, MEMORY_BLOCK_LITTLE_ENDIAN, 0);
    memorySetLong(block, 0, 0x01020304);
    blockStream = RuntimeNewObject(RuntimeLookupClass(QV_LITERAL("BinaryStream")));
    BinaryStringMemoryBlockCtor(blockStream, block);
    AppendText(" block stream ");
    AppendNumber(BinaryStreamReadLong(blockStream));
    AppendText(" ");
    AppendNumber(BinaryStreamReadShort(blockStream));
    AppendText(BinaryStreamEOF(blockStream) & 0xFF ? " at end" : " not at end");
    RuntimeUnlockObject(blockStream);
    RuntimeUnlockObject(block);
    block = newMemoryBlock(0);
    blockStream = RuntimeNewObject(RuntimeLookupClass(QV_LITERAL("BinaryStream")));
    BinaryStringMemoryBlockCtor(blockStream, block);
    BinaryStreamWriteLong(blockStream, 0x64636261);
    BinaryStreamWriteByte(blockStream, 0x65);
    AppendText(" grown ");
    AppendNumber(memoryBlockGetSize(block, 0));
    BinaryStreamClose(blockStream);
    AppendText(" closed ");
    AppendNumber(memoryBlockGetSize(block, 0));
    AppendText(" ");
    text = memoryGetString(block, 0, 5);
    AppendString(text);
    RuntimeUnlockString(text);
    RuntimeUnlockObject(blockStream);
    RuntimeUnlockObject(block);

    /* Blowfish: the published result for the key of eight zero bytes (the text of an 8-byte
     * block) and the zero block, and back. */
    cipher = RuntimeNewObject(RuntimeLookupClass(QV_LITERAL("_Blowfish")));
    block = newMemoryBlock(8);
    text = MemoryBlockToStringOperator(block);
    BlowfishInitialize(cipher, text);
    RuntimeUnlockString(text);
    RuntimeUnlockObject(block);
    left = 0;
    right = 0;
    BlowfishEncipher(cipher, &left, &right);
    AppendText(" blowfish ");
    AppendNumber(left);
    AppendText(" ");
    AppendNumber(right);
    BlowfishDecipher(cipher, &left, &right);
    AppendText(left == 0 && right == 0 ? " restored" : " not restored");
    RuntimeUnlockObject(cipher);
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
