/* A virtual volume as compiled code uses it, in the folder "volumes-data" beside the executable:
 * CreateVirtualVolume makes "store.qvv"; text and binary files go into nested folders through the
 * items' Child, CreateAsFolder, CreateTextFile, AppendToTextFile and CreateBinaryFile; a disk file
 * is copied in and a volume file out with CopyFileTo; an item from Root keeps the volume open
 * after the volume reference went. Once every reference is gone (the volume closes and saves its
 * map), OpenAsVirtualVolume reads it back and the tree is printed depth first in stored order:
 * folders with their counts, files with their lengths and contents, text as it is and binary
 * (".bin") in hexadecimal. The volume file stays for the decoder's test. */
#include "AppSupport.h"

ObjectHeader* QV_CDECL FolderItemCreateVirtualVolume(ObjectHeader* item);
ObjectHeader* QV_CDECL FolderItemOpenAsVirtualVolume(ObjectHeader* item);
ObjectHeader* QV_CDECL folderVirtVolGetter(ObjectHeader* item, int32_t parameter);
ObjectHeader* QV_CDECL VirtVolRootGetter(ObjectHeader* volume, int32_t parameter);
int32_t QV_CDECL fileSizeGetter(ObjectHeader* item, int32_t parameter);
ObjectHeader* QV_CDECL FolderItemCreateBinaryFile(ObjectHeader* item, StringRecord* type);
ObjectHeader* QV_CDECL FolderItemOpenBinaryFile(ObjectHeader* item, bool readWrite);
void QV_CDECL TextOutputStreamWriteLine(ObjectHeader* stream, StringRecord* line);
void QV_CDECL BinaryStreamWriteByte(ObjectHeader* stream, int32_t value);
void QV_CDECL BinaryStreamWriteShort(ObjectHeader* stream, int32_t value);
void QV_CDECL BinaryStreamWriteLong(ObjectHeader* stream, int32_t value);
void QV_CDECL BinaryStreamWriteDouble(ObjectHeader* stream, double value);
void QV_CDECL BinaryStreamWriteBoolean(ObjectHeader* stream, bool value);
void QV_CDECL BinaryStreamWritePString(ObjectHeader* stream, StringRecord* value);
void QV_CDECL BinaryStreamSetPosition(ObjectHeader* stream, int32_t parameter, int32_t position);
StringRecord* QV_CDECL BinaryStreamRead(ObjectHeader* stream, int32_t count, ObjectHeader* encoding);
void QV_CDECL BinaryStreamClose(ObjectHeader* stream);

/* Bytes of the disk file copied into the volume. */
#define kDiskBytes 48

static void PrintHex(StringRecord* bytes) {
    static const char digits[] = "0123456789abcdef";
    char pair[2];
    int32_t i;
    for (i = 0; bytes && i < bytes->length; i++) {
        pair[0] = digits[bytes->buffer[1 + i] >> 4];
        pair[1] = digits[bytes->buffer[1 + i] & 15];
        Write(pair, 2);
    }
}

/* Whether the name ends in ".bin". */
static int IsBinaryName(StringRecord* name) {
    const unsigned char* end;
    if (!name || name->length < 4) return 0;
    end = name->buffer + 1 + name->length - 4;
    return end[0] == '.' && end[1] == 'b' && end[2] == 'i' && end[3] == 'n';
}

/* The whole file: text as it is, binary in hexadecimal. */
static void PrintContents(ObjectHeader* item, StringRecord* name, int32_t length) {
    ObjectHeader* stream;
    StringRecord* text;
    if (IsBinaryName(name)) {
        stream = FolderItemOpenBinaryFile(item, 0);
        text = stream ? BinaryStreamRead(stream, length, 0) : 0;
        Print(" hex ");
        PrintHex(text);
    } else {
        stream = FolderItemOpenTextFile(item);
        text = stream ? TextInputStreamReadAll(stream, 0) : 0;
        Print(" text \"");
        PrintString(text);
        Print("\"");
    }
    if (!stream) Print(" unreadable");
    RuntimeUnlockString(text);
    RuntimeUnlockObject(stream);
}

/* One line per item below the folder, depth first in stored order: "folder PATH COUNT" or
 * "file PATH LENGTH CONTENTS". */
static void PrintTree(ObjectHeader* folder, StringRecord* path) {
    int32_t count = fileCountGetter(folder, 0);
    int32_t i;
    for (i = 1; i <= count; i++) {
        ObjectHeader* item = FolderItemItem(folder, i);
        StringRecord* name = item ? fileNameGetter(item, 0) : 0;
        StringRecord* below = RuntimeAddString(path, QV_LITERAL("/"));
        StringRecord* full = RuntimeAddString(below, name);
        RuntimeUnlockString(below);
        if (!item) {
            Print("missing item\n");
        } else if (fileDirectoryGetter(item, 0)) {
            Print("folder ");
            PrintString(full);
            Print(" ");
            PrintInt(fileCountGetter(item, 0));
            Print("\n");
            PrintTree(item, full);
        } else {
            int32_t length = fileSizeGetter(item, 0);
            Print("file ");
            PrintString(full);
            Print(" ");
            PrintInt(length);
            PrintContents(item, name, length);
            Print("\n");
        }
        RuntimeUnlockString(full);
        RuntimeUnlockString(name);
        RuntimeUnlockObject(item);
    }
}

/* The child of the folder that the name gives, made a folder. */
static ObjectHeader* NewFolder(ObjectHeader* parent, StringRecord* name) {
    ObjectHeader* folder = FolderChild(parent, name);
    FolderItemCreateAsFolder(folder);
    return folder;
}

static void WriteTextFile(ObjectHeader* folder, StringRecord* name, StringRecord* line, StringRecord* more) {
    ObjectHeader* item = FolderChild(folder, name);
    ObjectHeader* stream = FolderItemCreateTextFile(item);
    if (stream) {
        TextOutputStreamWriteLine(stream, line);
        TextOutputStreamClose(stream);
        RuntimeUnlockObject(stream);
    }
    stream = FolderItemAppendTextFile(item);
    if (stream) {
        TextOutputStreamWrite(stream, more);
        TextOutputStreamClose(stream);
        RuntimeUnlockObject(stream);
    }
    RuntimeUnlockObject(item);
}

/* Removes a disk file an earlier run left. */
static void Remove(ObjectHeader* item) {
    if (fileExistsGetter(item, 0)) FolderItemDelete(item);
}

void QvMain(void) {
    ObjectHeader* data;
    ObjectHeader* store;
    ObjectHeader* source;
    ObjectHeader* copied;
    ObjectHeader* volume;
    ObjectHeader* root;
    ObjectHeader* docs;
    ObjectHeader* deep;
    ObjectHeader* item;
    ObjectHeader* stream;
    ObjectHeader* other;
    StringRecord* name;
    int32_t i;
    RuntimeInit();
    RuntimeInitExternalClasses();

    data = RuntimeGetFolderItem(QV_LITERAL("volumes-data"), 0);
    FolderItemCreateAsFolder(data);
    store = FolderChild(data, QV_LITERAL("store.qvv"));
    source = FolderChild(data, QV_LITERAL("source.bin"));
    copied = FolderChild(data, QV_LITERAL("copied.txt"));
    Remove(copied);
    stream = FolderItemCreateBinaryFile(source, QV_LITERAL(""));
    for (i = 0; stream && i < kDiskBytes; i++) BinaryStreamWriteByte(stream, (i * 53 + 7) & 255);
    if (stream) BinaryStreamClose(stream);
    RuntimeUnlockObject(stream);

    Print("create:");
    volume = FolderItemCreateVirtualVolume(store);
    if (!volume) {
        Print(" no volume\n");
        RuntimeExit();
        return;
    }
    root = VirtVolRootGetter(volume, 0);
    name = fileNameGetter(root, 0);
    Print(" root \"");
    PrintString(name);
    RuntimeUnlockString(name);
    Print("\" directory ");
    PrintInt(fileDirectoryGetter(root, 0));
    Print(" count ");
    PrintInt(fileCountGetter(root, 0));

    docs = NewFolder(root, QV_LITERAL("docs"));
    deep = NewFolder(docs, QV_LITERAL("deep"));
    WriteTextFile(docs, QV_LITERAL("readme.txt"), QV_LITERAL("Hello from a volume."),
                  QV_LITERAL("Appended later."));
    /* Past the first block of a volume file. */
    item = FolderChild(deep, QV_LITERAL("digits.txt"));
    stream = FolderItemCreateTextFile(item);
    for (i = 0; stream && i < 110; i++) TextOutputStreamWrite(stream, QV_LITERAL("0123456789"));
    if (stream) TextOutputStreamClose(stream);
    RuntimeUnlockObject(stream);
    RuntimeUnlockObject(item);

    /* Binary values big-endian, one of them written over in a second opening. */
    item = FolderChild(deep, QV_LITERAL("values.bin"));
    stream = FolderItemCreateBinaryFile(item, QV_LITERAL(""));
    if (stream) {
        BinaryStreamWriteLong(stream, 16909060);
        BinaryStreamWriteShort(stream, -2);
        BinaryStreamWriteDouble(stream, 1.5);
        BinaryStreamWriteBoolean(stream, 1);
        BinaryStreamWritePString(stream, QV_LITERAL("qv"));
        BinaryStreamClose(stream);
        RuntimeUnlockObject(stream);
    }
    stream = FolderItemOpenBinaryFile(item, 1);
    if (stream) {
        BinaryStreamSetPosition(stream, 0, 4);
        BinaryStreamWriteShort(stream, 0x7ffe);
        BinaryStreamClose(stream);
        RuntimeUnlockObject(stream);
    }
    RuntimeUnlockObject(item);

    /* A disk file into a volume folder, and a volume file out to disk. */
    FolderItemCopyFileTo(source, docs);
    Print(", copy in ");
    PrintInt(FolderItemGetLastError(source, 0));
    item = FolderChild(docs, QV_LITERAL("readme.txt"));
    FolderItemCopyFileTo(item, copied);
    Print(" out ");
    PrintInt(FolderItemGetLastError(item, 0));
    other = folderVirtVolGetter(item, 0);
    Print(", VirtualVolume ");
    Print(other == volume ? "same" : "differs");
    RuntimeUnlockObject(other);
    other = folderVirtVolGetter(source, 0);
    Print(" disk ");
    Print(other ? "volume" : "nil");
    RuntimeUnlockObject(other);
    RuntimeUnlockObject(item);
    RuntimeUnlockObject(deep);
    RuntimeUnlockObject(docs);

    /* The root item alone keeps the volume open. */
    RuntimeUnlockObject(volume);
    WriteTextFile(root, QV_LITERAL("later.txt"), QV_LITERAL("Written through Root"),
                  QV_LITERAL("after the volume went."));
    item = FolderChild(root, QV_LITERAL("LATER.TXT"));
    Print(", kept open: LATER.TXT exists ");
    PrintInt(fileExistsGetter(item, 0));
    Print("\n");
    RuntimeUnlockObject(item);
    RuntimeUnlockObject(root);

    /* Closed: the map is saved into the file, which then has its final length. */
    Print("closed: store.qvv ");
    PrintInt(fileSizeGetter(store, 0));
    Print(" bytes, copied.txt ");
    PrintInt(fileSizeGetter(copied, 0));
    PrintContents(copied, QV_LITERAL("copied.txt"), fileSizeGetter(copied, 0));
    Print("\n");

    volume = FolderItemOpenAsVirtualVolume(store);
    Print("reopened: ");
    Print(volume ? "volume" : "nil");
    if (volume) {
        root = VirtVolRootGetter(volume, 0);
        RuntimeUnlockObject(volume);
        Print(", root count ");
        PrintInt(fileCountGetter(root, 0));
        Print("\n");
        PrintTree(root, 0);
        RuntimeUnlockObject(root);
    } else {
        Print("\n");
    }
    Print("done\n");
    RuntimeUnlockObject(copied);
    RuntimeUnlockObject(source);
    RuntimeUnlockObject(store);
    RuntimeUnlockObject(data);
    RuntimeExit();
}
