/* The runtime as compiled application code sees it: the records it reads and writes at fixed
 * byte offsets, and the entry points it calls by their link names.
 *
 * Plain C99 that needs no C library (only the freestanding headers), so that code built with
 * -ffreestanding -fno-builtin can use it; it also compiles as C++. Every entry point is cdecl.
 * On the 32-bit runtime every field is a 32-bit little-endian word and the offsets are checked
 * below; a 64-bit build keeps the same fields in the same order at natural alignment.
 */
#ifndef QUORVANE_RUNTIME_H
#define QUORVANE_RUNTIME_H

#include <stddef.h>
#include <stdint.h>
#ifndef __cplusplus
#include <stdbool.h>
#endif

#if defined(__i386__)
#define QV_CDECL __attribute__((cdecl))
#define QV_STDCALL __attribute__((stdcall))
#else
#define QV_CDECL
#define QV_STDCALL
#endif

#ifdef __cplusplus
#define QV_STATIC_ASSERT(condition, text) static_assert(condition, text)
extern "C" {
#else
#define QV_STATIC_ASSERT(condition, text) __extension__ _Static_assert(condition, text)
#endif

/* ---- Strings ---------------------------------------------------------------------------- */

/* Encoding tags a string record carries. */
#define kEncodingUTF8 0x08000100u
#define kEncodingUTF16 0x00000100u
#define kEncodingASCII 0x00000600u
#define kEncodingUnknown 0x0000FFFFu

/* A String value is a pointer to a reference-counted record; null is the empty string. The
 * buffer holds a length byte (the length capped at 255), the text, and a zero byte. */
typedef struct StringRecord {
    int32_t refCount;
    unsigned char* buffer;
    int32_t bufferSize; /* the size the buffer was allocated with: at least length + 2 */
    int32_t length;     /* byte length of the text */
    uint32_t encoding;
} StringRecord;

/* Defines `name`, a static StringRecord of an ASCII literal, as the payload's literal strings
 * are laid out. Its one reference is never given up, so the record is never freed; give
 * RuntimeLockString's reference back as for any other string.
 *     QV_STATIC_STRING(kShapeName, "Shape");
 *     classRecord->name = &kShapeName; */
#define QV_STATIC_STRING(name, literal)                                                     \
    static struct {                                                                         \
        unsigned char lengthByte;                                                           \
        char text[sizeof(literal)];                                                         \
    } name##Buffer = {(unsigned char)(sizeof(literal) - 1 > 255 ? 255 : sizeof(literal) - 1), \
                      literal};                                                             \
    static StringRecord name = {1, (unsigned char*)&name##Buffer, (int32_t)sizeof(literal) + 1, \
                                (int32_t)sizeof(literal) - 1, kEncodingASCII}

/* ---- Objects and class records -------------------------------------------------------- */

struct ClassRecord;

/* An entry of a method table (and of every interface method table). */
typedef struct MethodSlot {
    void* function;
    StringRecord* name;
} MethodSlot;

typedef struct EventSlot {
    void* vector; /* the function that implements the event, null when none */
    StringRecord* name;
} EventSlot;

typedef struct AccessorSlot {
    void* function;
    StringRecord* signature; /* link signature */
} AccessorSlot;

/* A getter or setter of 1 marks a property that is a plain field at `parameter`; it is not a
 * function. */
#define kPlainFieldAccessor ((void*)1)

typedef struct PropertySlot {
    StringRecord* descriptor; /* property name, "%", type code, "%" */
    int32_t parameter;        /* the field's offset in the object for plain fields */
    void* getter;
    void* setter;
} PropertySlot;

/* The field is not named `interface`: the Windows headers define that word as a macro. */
typedef struct InterfaceSlot {
    struct ClassRecord* interfaceClass;
    int32_t methodCount;
    MethodSlot* methods;
} InterfaceSlot;

/* The first bytes of every object; the instance fields follow, root class first. */
typedef struct ObjectHeader {
    MethodSlot* methodTable; /* the class's methods: virtual calls go through it */
    struct ClassRecord* classPtr;
    EventSlot* eventTable; /* the class's events, or the object's own copy */
    int32_t refCount;      /* 0 or below: never destroyed by releasing */
    struct ObjectHeader* prevLive;
    struct ObjectHeader* nextLive;
} ObjectHeader;

typedef void(QV_CDECL* ObjectCallback)(ObjectHeader* object);

/* One block: this head, interfaceCount interface slots, then the method, event, accessor and
 * property tables, which the table pointers address. */
typedef struct ClassRecord {
    struct ClassRecord* super; /* null for a root class */
    StringRecord* name;        /* held by the record for the whole run */
    struct ClassRecord* next;  /* the class list, newest first */
    int32_t instanceSize;      /* header included */
    int32_t isAnInterface;
    ObjectCallback initializer; /* run on every new instance, base class first */
    ObjectCallback countZero;   /* run when an instance's count reaches zero */
    ObjectCallback finalizer;   /* run when an instance dies, most-derived class first */
    int32_t methodCount;
    MethodSlot* methods;
    int32_t eventCount;
    EventSlot* events;
    int32_t accessorCount;
    AccessorSlot* accessors;
    int32_t propertyCount;
    PropertySlot* properties;
    int32_t interfaceCount;
    InterfaceSlot interfaces[1]; /* interfaceCount slots */
} ClassRecord;

/* The offset of the first instance field. */
#define kObjectHeaderSize ((int32_t)sizeof(ObjectHeader))

#if defined(__i386__)
QV_STATIC_ASSERT(sizeof(bool) == 1, "Boolean results are one byte");
QV_STATIC_ASSERT(sizeof(StringRecord) == 20, "StringRecord size");
QV_STATIC_ASSERT(offsetof(StringRecord, refCount) == 0, "StringRecord.refCount");
QV_STATIC_ASSERT(offsetof(StringRecord, buffer) == 4, "StringRecord.buffer");
QV_STATIC_ASSERT(offsetof(StringRecord, bufferSize) == 8, "StringRecord.bufferSize");
QV_STATIC_ASSERT(offsetof(StringRecord, length) == 12, "StringRecord.length");
QV_STATIC_ASSERT(offsetof(StringRecord, encoding) == 16, "StringRecord.encoding");

QV_STATIC_ASSERT(sizeof(MethodSlot) == 8, "MethodSlot size");
QV_STATIC_ASSERT(offsetof(MethodSlot, function) == 0, "MethodSlot.function");
QV_STATIC_ASSERT(offsetof(MethodSlot, name) == 4, "MethodSlot.name");
QV_STATIC_ASSERT(sizeof(EventSlot) == 8, "EventSlot size");
QV_STATIC_ASSERT(offsetof(EventSlot, vector) == 0, "EventSlot.vector");
QV_STATIC_ASSERT(offsetof(EventSlot, name) == 4, "EventSlot.name");
QV_STATIC_ASSERT(sizeof(AccessorSlot) == 8, "AccessorSlot size");
QV_STATIC_ASSERT(offsetof(AccessorSlot, function) == 0, "AccessorSlot.function");
QV_STATIC_ASSERT(offsetof(AccessorSlot, signature) == 4, "AccessorSlot.signature");
QV_STATIC_ASSERT(sizeof(PropertySlot) == 16, "PropertySlot size");
QV_STATIC_ASSERT(offsetof(PropertySlot, descriptor) == 0, "PropertySlot.descriptor");
QV_STATIC_ASSERT(offsetof(PropertySlot, parameter) == 4, "PropertySlot.parameter");
QV_STATIC_ASSERT(offsetof(PropertySlot, getter) == 8, "PropertySlot.getter");
QV_STATIC_ASSERT(offsetof(PropertySlot, setter) == 12, "PropertySlot.setter");
QV_STATIC_ASSERT(sizeof(InterfaceSlot) == 12, "InterfaceSlot size");
QV_STATIC_ASSERT(offsetof(InterfaceSlot, interfaceClass) == 0, "InterfaceSlot.interfaceClass");
QV_STATIC_ASSERT(offsetof(InterfaceSlot, methodCount) == 4, "InterfaceSlot.methodCount");
QV_STATIC_ASSERT(offsetof(InterfaceSlot, methods) == 8, "InterfaceSlot.methods");

QV_STATIC_ASSERT(sizeof(ObjectHeader) == 24, "ObjectHeader size");
QV_STATIC_ASSERT(offsetof(ObjectHeader, methodTable) == 0, "ObjectHeader.methodTable");
QV_STATIC_ASSERT(offsetof(ObjectHeader, classPtr) == 4, "ObjectHeader.classPtr");
QV_STATIC_ASSERT(offsetof(ObjectHeader, eventTable) == 8, "ObjectHeader.eventTable");
QV_STATIC_ASSERT(offsetof(ObjectHeader, refCount) == 12, "ObjectHeader.refCount");
QV_STATIC_ASSERT(offsetof(ObjectHeader, prevLive) == 16, "ObjectHeader.prevLive");
QV_STATIC_ASSERT(offsetof(ObjectHeader, nextLive) == 20, "ObjectHeader.nextLive");

QV_STATIC_ASSERT(offsetof(ClassRecord, super) == 0, "ClassRecord.super");
QV_STATIC_ASSERT(offsetof(ClassRecord, name) == 4, "ClassRecord.name");
QV_STATIC_ASSERT(offsetof(ClassRecord, next) == 8, "ClassRecord.next");
QV_STATIC_ASSERT(offsetof(ClassRecord, instanceSize) == 12, "ClassRecord.instanceSize");
QV_STATIC_ASSERT(offsetof(ClassRecord, isAnInterface) == 16, "ClassRecord.isAnInterface");
QV_STATIC_ASSERT(offsetof(ClassRecord, initializer) == 20, "ClassRecord.initializer");
QV_STATIC_ASSERT(offsetof(ClassRecord, countZero) == 24, "ClassRecord.countZero");
QV_STATIC_ASSERT(offsetof(ClassRecord, finalizer) == 28, "ClassRecord.finalizer");
QV_STATIC_ASSERT(offsetof(ClassRecord, methodCount) == 32, "ClassRecord.methodCount");
QV_STATIC_ASSERT(offsetof(ClassRecord, methods) == 36, "ClassRecord.methods");
QV_STATIC_ASSERT(offsetof(ClassRecord, eventCount) == 40, "ClassRecord.eventCount");
QV_STATIC_ASSERT(offsetof(ClassRecord, events) == 44, "ClassRecord.events");
QV_STATIC_ASSERT(offsetof(ClassRecord, accessorCount) == 48, "ClassRecord.accessorCount");
QV_STATIC_ASSERT(offsetof(ClassRecord, accessors) == 52, "ClassRecord.accessors");
QV_STATIC_ASSERT(offsetof(ClassRecord, propertyCount) == 56, "ClassRecord.propertyCount");
QV_STATIC_ASSERT(offsetof(ClassRecord, properties) == 60, "ClassRecord.properties");
QV_STATIC_ASSERT(offsetof(ClassRecord, interfaceCount) == 64, "ClassRecord.interfaceCount");
QV_STATIC_ASSERT(offsetof(ClassRecord, interfaces) == 68, "ClassRecord.interfaces");
#endif

/* ---- Arrays ------------------------------------------------------------------------------ */

/* The element kind CreateArray takes. */
typedef enum ArrayElementKind {
    kArrayInt32 = 0,
    kArraySingle = 1,
    kArrayDouble = 2,
    kArrayString = 3, /* StringRecord pointers (null is the empty string), retained */
    kArrayObject = 4, /* ObjectHeader pointers (null is nil), retained */
    kArrayUInt8 = 5,
    kArrayInt8 = 6,
    kArrayUInt16 = 7,
    kArrayInt16 = 8,
    kArrayUInt32 = 9
} ArrayElementKind;

struct ArrayRecord;

/* A slot whose signature depends on the element kind and the shape: cast it to that signature
 * for the call. Values cross as their element type: int32_t, float, double, StringRecord*,
 * ObjectHeader*, uint32_t; an 8- or 16-bit integer travels in a 32-bit argument of which only
 * its low bits count, and comes back widened by its signedness. Indexes are int32_t: one in a
 * one-dimensional table, two in a two-dimensional table, and in the table of more dimensions
 * one per dimension as a variable argument list. A float value is a named parameter even there:
 *     ((void(QV_CDECL*)(ArrayRecord*, float, ...))ops->Set)(array, 1.5f, i, j, k); */
typedef void(QV_CDECL* ArrayFunction)(void);

/* An empty slot is null. */
typedef struct ArrayOperations {
    ArrayFunction Get;          /* (array, index...) -> element; a string or object comes with a
                                   reference the caller owns */
    ArrayFunction Set;          /* (array, value, index...) */
    ArrayFunction GetUnchecked; /* as Get and Set, without the bounds test */
    ArrayFunction SetUnchecked;
    /* One new upper bound per dimension; elements keep their indexes. */
    void(QV_CDECL* Redim)(struct ArrayRecord* array, ...);
    ArrayFunction Insert; /* (array, index, value); one-dimensional tables only */
    void(QV_CDECL* Remove)(struct ArrayRecord* array, int32_t index);
    void(QV_CDECL* Sort)(struct ArrayRecord* array);
    void(QV_CDECL* SortWith)(struct ArrayRecord* array, ...); /* further arrays, then null */
    ArrayFunction IndexOf; /* (array, value, int32_t start) -> int32_t index or -1 */
    void(QV_CDECL* Shuffle)(struct ArrayRecord* array);
    /* The upper bound of a dimension counted from 1; dimension -1 gives the dimension count. */
    int32_t(QV_CDECL* UBound)(struct ArrayRecord* array, int32_t dimension);
    void(QV_CDECL* RetainElement)(void* element);
    void(QV_CDECL* ReleaseElement)(void* element);
    void(QV_CDECL* Dispose)(struct ArrayRecord* array);
    int32_t(QV_CDECL* ElementSize)(void);
} ArrayOperations;

/* Elements lie in data with the first index running fastest: element (i, j) of a
 * two-dimensional array is at i + j * (upperBound[0] + 1). Append is UBound(array, 1) followed
 * by Insert(array, that bound + 1, value). */
typedef struct ArrayRecord {
    int32_t refCount;
    const ArrayOperations* operations;
    void* data;
    int32_t dimensions;
    int32_t bufferLength; /* bytes; may exceed what the elements use */
    int32_t growthStep;
    int32_t upperBound[1]; /* dimensions values; -1 is an empty dimension */
} ArrayRecord;

/* A view of an object array through which only members of one class can be stored. Its first
 * fields sit where an ArrayRecord has them, and it is used like any array. */
typedef struct ArrayCastWrapper {
    int32_t refCount;
    const ArrayOperations* operations;
    void* data;
    ArrayRecord* viewedArray;
    struct ClassRecord* elementClass;
} ArrayCastWrapper;

#if defined(__i386__)
QV_STATIC_ASSERT(sizeof(ArrayOperations) == 64, "ArrayOperations size");
QV_STATIC_ASSERT(offsetof(ArrayOperations, Redim) == 16, "ArrayOperations.Redim");
QV_STATIC_ASSERT(offsetof(ArrayOperations, IndexOf) == 36, "ArrayOperations.IndexOf");
QV_STATIC_ASSERT(offsetof(ArrayOperations, ElementSize) == 60, "ArrayOperations.ElementSize");
QV_STATIC_ASSERT(offsetof(ArrayRecord, refCount) == 0, "ArrayRecord.refCount");
QV_STATIC_ASSERT(offsetof(ArrayRecord, operations) == 4, "ArrayRecord.operations");
QV_STATIC_ASSERT(offsetof(ArrayRecord, data) == 8, "ArrayRecord.data");
QV_STATIC_ASSERT(offsetof(ArrayRecord, dimensions) == 12, "ArrayRecord.dimensions");
QV_STATIC_ASSERT(offsetof(ArrayRecord, bufferLength) == 16, "ArrayRecord.bufferLength");
QV_STATIC_ASSERT(offsetof(ArrayRecord, growthStep) == 20, "ArrayRecord.growthStep");
QV_STATIC_ASSERT(offsetof(ArrayRecord, upperBound) == 24, "ArrayRecord.upperBound");
QV_STATIC_ASSERT(sizeof(ArrayCastWrapper) == 20, "ArrayCastWrapper size");
QV_STATIC_ASSERT(offsetof(ArrayCastWrapper, viewedArray) == 12, "ArrayCastWrapper.viewedArray");
QV_STATIC_ASSERT(offsetof(ArrayCastWrapper, elementClass) == 16, "ArrayCastWrapper.elementClass");
#endif

/* ---- Exceptions -------------------------------------------------------------------------- */

/* Instances of RuntimeException and its subclasses. */
typedef struct RuntimeExceptionObject {
    ObjectHeader header;
    int32_t errorNumber; /* ErrorNumber */
    StringRecord* message; /* Message */
} RuntimeExceptionObject;

#if defined(__i386__)
QV_STATIC_ASSERT(sizeof(RuntimeExceptionObject) == 32, "exception instance size");
QV_STATIC_ASSERT(offsetof(RuntimeExceptionObject, message) == 28, "Message offset");
#endif

/* The hook records compiled code builds and RuntimeFindHookCode walks: a chain of nodes, each
 * with a count of entries that follow it, each entry a key and the code bound to it. */
typedef struct HookEntry {
    int32_t key;
    void* code;
} HookEntry;

typedef struct HookNode {
    struct HookNode* next; /* null ends the chain */
    int32_t entryCount;
    HookEntry entries[1]; /* entryCount of them */
} HookNode;

QV_STATIC_ASSERT(sizeof(HookEntry) == 2 * sizeof(void*), "HookEntry layout");
QV_STATIC_ASSERT(offsetof(HookNode, entries) == 2 * sizeof(void*), "HookNode layout");

#define kHandlerMarkerWord 0x411u
#define kTryBeginMarkerWord 0x412u
#define kTryEndMarkerWord 0x413u

/* ---- Entry points ---------------------------------------------------------------------- */

/* Strings. Each function that returns a string hands the caller one reference. */
StringRecord* QV_CDECL RuntimeLockString(StringRecord* record); /* adds a reference; returns it */
/* Drops a reference. Keeps EAX, EDX and ST(0), so it may be called after a result is set. */
void QV_CDECL RuntimeUnlockString(StringRecord* record);
/* Assignment: references the new value, then drops the old (nothing when they are the same). */
void QV_CDECL RuntimeLockUnlockStrings(StringRecord* newRecord, StringRecord* oldRecord);
StringRecord* QV_CDECL RuntimeAddString(StringRecord* a, StringRecord* b); /* a + b */

/* Class records. After RuntimeNewClass the caller stores name, instanceSize, isAnInterface,
 * initializer, countZero, finalizer and its own method, event, property and interface slots;
 * the base's slots are already copied to the same indexes. */
ClassRecord* QV_CDECL RuntimeNewClass(ClassRecord* base, int32_t methodCount,
                                      int32_t interfaceCount, int32_t eventCount,
                                      int32_t accessorCount, int32_t propertyCount);
/* An uninitialised table of slotCount method slots, for an interface slot. */
MethodSlot* QV_CDECL RuntimeNewVtable(int32_t slotCount);
/* The class of that name, compared without regard to case; null when none bears it. */
ClassRecord* QV_CDECL RuntimeLookupClass(StringRecord* name);

/* Objects. A new object holds one reference, the caller's. Retaining a null object or one
 * whose count is 0 does nothing; so does releasing a null object or one whose count is 0 or
 * below. The last release destroys the object. */
ObjectHeader* QV_CDECL RuntimeNewObject(ClassRecord* classRecord);
void QV_CDECL RuntimeLockObject(ObjectHeader* object);
void QV_CDECL RuntimeUnlockObject(ObjectHeader* object);
/* Assignment: references the new value, then drops the old (nothing when they are the same);
 * the caller stores the new value itself. */
void QV_CDECL RuntimeLockUnlockObjects(ObjectHeader* newValue, ObjectHeader* oldValue);

/* Type tests. IsA: false for a null object, true for a null class. A cast that succeeds hands
 * out a new reference to the object; a failed one raises IllegalCastException and gives null. */
bool QV_CDECL RuntimeObjectIsa(ObjectHeader* object, ClassRecord* classRecord);
ObjectHeader* QV_CDECL RuntimeCheckCast(ObjectHeader* object, ClassRecord* classRecord);
ClassRecord* QV_CDECL RuntimeClassOf(ObjectHeader* object);
/* The method table the object's class gives the interface; raises NilObjectException for a
 * null object or interface, IllegalCastException when the class does not implement it. */
MethodSlot* QV_CDECL RuntimeLookupInterfaceVtable(ObjectHeader* object,
                                                  ClassRecord* interfaceClass);

/* Arrays. A new array holds one reference, the caller's; the last release frees it, releasing
 * its strings and objects. Locking and unlocking null does nothing. CreateArray takes one upper
 * bound per dimension after the kind; every element starts as 0, the empty string or nil. */
ArrayRecord* QV_CDECL CreateArray(int32_t dimensions, ArrayElementKind kind, ...);
ArrayRecord* QV_CDECL RuntimeLockArray(ArrayRecord* array); /* adds a reference; returns it */
void QV_CDECL RuntimeUnlockArray(ArrayRecord* array);
/* Assignment: references the new array, then drops the old (nothing when they are the same);
 * the caller stores the new value itself. */
void QV_CDECL RuntimeLockUnlockArrays(ArrayRecord* newArray, ArrayRecord* oldArray);
/* The upper bound of the first dimension; NilObjectException for a null array. */
int32_t QV_CDECL RuntimeUBound(ArrayRecord* array);
/* The upper bound of a dimension counted from 1, or the dimension count for -1. */
int32_t QV_CDECL RuntimeUBound2Param(ArrayRecord* array, int32_t dimension);
/* A view of an object array that raises IllegalCastException on storing anything but null or a
 * member of the class, with one reference for the caller. A null class, or an array that is
 * already a view, gives the array itself with a reference added. */
ArrayRecord* QV_CDECL RuntimeCreateArrayCastWrapper(ArrayRecord* array,
                                                    ClassRecord* elementClass);

/* The string library (a few of its functions). Positions are 1-based, 0 when nothing is found;
 * the text forms ignore case. Split gives a new String array; Join joins one. */
StringRecord* QV_CDECL StringLeft(StringRecord* s, int32_t count);
int32_t QV_CDECL StringInStr(int32_t start, StringRecord* s, StringRecord* find);
StringRecord* QV_CDECL StringReplaceAll(StringRecord* s, StringRecord* find,
                                        StringRecord* replacement);
ArrayRecord* QV_CDECL StringSplit(StringRecord* s, StringRecord* delimiter);
StringRecord* QV_CDECL StringJoin(ArrayRecord* array, StringRecord* delimiter);

/* Exceptions. A raise walks the frame-pointer chain to the nearest handler marker after a return
 * address (the marker formats: 13-byte handler markers, 9-byte try-begin and try-end markers) and
 * stores the exception, with one reference, in the handler's slot. A catch-all passes an
 * exception on to its caller's handler with RuntimeReraiseException, then drops its own
 * reference. Raising null does nothing. */
void QV_CDECL RuntimeRaiseException(ObjectHeader* exception);
void QV_CDECL RuntimeReraiseException(ObjectHeader* exception);
/* Raises FunctionNotFoundException: "Could not load <function> from <library>". */
void QV_CDECL RuntimeRaiseFunctionNotFoundException(StringRecord* function, StringRecord* library);

/* ---- Folder items ------------------------------------------------------------------ */

/* FolderItem: a file, folder or volume. Property getters take the property row's parameter (0)
 * after the object, setters that and then the value. Path types: 0 absolute (a relative path is
 * taken from the executable's folder; SaveInfo data is accepted too), 1 shell, 2 file URL.
 * Objects come with a reference the caller owns; nil when there is no such item. */
ObjectHeader* QV_CDECL RuntimeGetFolderItem(StringRecord* path, int32_t pathMode);
ObjectHeader* QV_CDECL RuntimeGetTrueFolderItem(StringRecord* path, int32_t pathMode);
/* The constructors raise UnsupportedFormatException for a path that gives no item. */
void QV_CDECL FolderItemPathCtor(ObjectHeader* item, StringRecord* path, int32_t pathMode);
void QV_CDECL FolderItemCopyCtor(ObjectHeader* item, ObjectHeader* source);
StringRecord* QV_CDECL fileAbsolutePathGetter(ObjectHeader* item, int32_t parameter);
StringRecord* QV_CDECL fileNameGetter(ObjectHeader* item, int32_t parameter);
StringRecord* QV_CDECL FileShellPathGetter(ObjectHeader* item, int32_t parameter);
StringRecord* QV_CDECL FileURLGetter(ObjectHeader* item, int32_t parameter);
int32_t QV_CDECL fileCountGetter(ObjectHeader* item, int32_t parameter);
bool QV_CDECL fileExistsGetter(ObjectHeader* item, int32_t parameter);
bool QV_CDECL fileAliasGetter(ObjectHeader* item, int32_t parameter);
bool QV_CDECL fileDirectoryGetter(ObjectHeader* item, int32_t parameter);
void QV_CDECL fileLockedSetter(ObjectHeader* item, int32_t parameter, bool locked);
StringRecord* QV_CDECL fileMacTypeGetter(ObjectHeader* item, int32_t parameter);
void QV_CDECL fileMacTypeSetter(ObjectHeader* item, int32_t parameter, StringRecord* code);
int32_t QV_CDECL FolderItemGetLastError(ObjectHeader* item, int32_t parameter);
ObjectHeader* QV_CDECL folderParentGetter(ObjectHeader* item, int32_t parameter);
/* Related items are of the receiver's own class. Item counts from 1; the True forms leave
 * shortcuts unresolved. */
ObjectHeader* QV_CDECL FolderItemItem(ObjectHeader* item, int32_t index);
ObjectHeader* QV_CDECL FolderItemTrueItem(ObjectHeader* item, int32_t index);
ObjectHeader* QV_CDECL FolderChild(ObjectHeader* folder, StringRecord* name);
ObjectHeader* QV_CDECL FolderTrueChild(ObjectHeader* folder, StringRecord* name);
ObjectHeader* QV_CDECL FolderItemOpenTextFile(ObjectHeader* item);
ObjectHeader* QV_CDECL FolderItemAppendTextFile(ObjectHeader* item);
ObjectHeader* QV_CDECL FolderItemCreateTextFile(ObjectHeader* item);
void QV_CDECL FolderItemDelete(ObjectHeader* item);
void QV_CDECL FolderItemCreateAsFolder(ObjectHeader* item);
void QV_CDECL FolderItemCopyFileTo(ObjectHeader* item, ObjectHeader* destination);
StringRecord* QV_CDECL FolderItemGetSaveInfo(ObjectHeader* item, ObjectHeader* relativeTo,
                                             int32_t mode);
ObjectHeader* QV_CDECL FolderItemGetRelative(ObjectHeader* item, StringRecord* saveInfo);
int32_t QV_CDECL getVolumeCount(void);
ObjectHeader* QV_CDECL getVolume(int32_t index);
ObjectHeader* QV_CDECL getTemporaryItemsFolder(void);
ObjectHeader* QV_CDECL getTemporaryFolderItem(void);
/* Text streams over files. */
void QV_CDECL TextOutputStreamWrite(ObjectHeader* stream, StringRecord* text);
void QV_CDECL TextOutputStreamClose(ObjectHeader* stream);
StringRecord* QV_CDECL TextInputStreamReadAll(ObjectHeader* stream, ObjectHeader* encoding);

/* ---- The built-in database --------------------------------------------------------- */

/* newQUORDatabase makes a new built-in database file at the item, openQUORDatabase opens one;
 * each answers a connected Database the caller owns, or nil. QUORDatabaseOldFormat is the
 * Database subclass whose DatabaseFile names its file: Connect opens it, CreateDatabaseFile makes
 * it (both answer whether the object is connected now). */
ObjectHeader* QV_CDECL newQUORDatabase(ObjectHeader* item);
ObjectHeader* QV_CDECL openQUORDatabase(ObjectHeader* item);
void QV_CDECL QUORDatabaseConstructor(ObjectHeader* self);
void QV_CDECL QUORDatabaseDestructor(ObjectHeader* self);
ObjectHeader* QV_CDECL QUORDatabaseFolderItemGetter(ObjectHeader* self, int32_t parameter);
void QV_CDECL QUORDatabaseFolderItemSetter(ObjectHeader* self, int32_t parameter, ObjectHeader* item);
uint8_t QV_CDECL QUORDatabaseConnect(ObjectHeader* self);
uint8_t QV_CDECL QUORDatabaseCreateDatabaseFile(ObjectHeader* self);

/* ---- Cooperative threads and thread locks ------------------------------------------- */

/* Thread: the Run method starts the object's Run event on a cooperative thread of its own; the
 * thread gives up the processor only at yields, sleeps, suspends and lock waits. Property setters
 * take the property row's parameter (0) before the value. */
void QV_CDECL threadRun(ObjectHeader* thread);
void QV_CDECL ThreadSleep(ObjectHeader* thread, int32_t milliseconds, bool wakeEarly);
void QV_CDECL ThreadSuspend(ObjectHeader* thread);
void QV_CDECL ThreadResume(ObjectHeader* thread);
int32_t QV_CDECL ThreadGetState(ObjectHeader* thread); /* 0 running .. 4 not running */
int32_t QV_CDECL ThreadGetID(ObjectHeader* thread);    /* 0 while not running */
int32_t QV_CDECL ThreadGetPriority(ObjectHeader* thread);
void QV_CDECL ThreadSetPriority(ObjectHeader* thread, int32_t parameter, int32_t priority);
int32_t QV_CDECL ThreadGetStackSize(ObjectHeader* thread);
void QV_CDECL ThreadSetStackSize(ObjectHeader* thread, int32_t parameter, int32_t size);
void QV_CDECL YieldToNextThread(void);
ObjectHeader* QV_CDECL QUORGetCurrentThread(void); /* with a reference; nil on the main thread */
/* Raises StackOverflowException when the stack runs low; compiled code calls it on entry. */
void QV_CDECL RuntimeStackCheck(void);
/* Lets the event loop run one step without waiting, then sleeps the current thread for the
 * milliseconds when they are not negative. */
void QV_CDECL RuntimeDoEvents(ObjectHeader* application, int32_t milliseconds);

/* Locks; errors raise IllegalLockingException. */
void QV_CDECL Semaphore_Constructor(ObjectHeader* semaphore, int32_t initialCount);
void QV_CDECL Semaphore_Signal(ObjectHeader* semaphore);
bool QV_CDECL Semaphore_TrySignal(ObjectHeader* semaphore);
void QV_CDECL semaphore_release(ObjectHeader* semaphore);
void QV_CDECL criticalsection_enter(ObjectHeader* section);
bool QV_CDECL CriticalSection_TryEnter(ObjectHeader* section);
void QV_CDECL criticalsection_leave(ObjectHeader* section);
void QV_CDECL MutexContructor(ObjectHeader* mutex, StringRecord* name);
void QV_CDECL MutexLock(ObjectHeader* mutex);
bool QV_CDECL MutexTryLock(ObjectHeader* mutex);
void QV_CDECL MutexUnlock(ObjectHeader* mutex);

/* ---- Windows -------------------------------------------------------------------------- */

/* A Window subclass is built on the class "Window" (or "ContainerControl"). RuntimeNewObject runs
 * the class constructor: Layout, then for a plain Window its native window with CreateControls,
 * AddMenuHandlers, the control panes and SetupBindings; the subclass constructor then calls
 * WindowDefaultConstructor, which fires the controls' Open events and the window's Open.
 * CreateControls adds each control with WindowAddControl. Accessors take the property row's
 * parameter before the value; windowPosGetter and windowPosSetter take 0 to 3 for Left, Top,
 * Width and Height, the size-limit accessors 0 to 3 for MinWidth, MinHeight, MaxWidth and
 * MaxHeight. Results that are objects carry a reference for the caller. */
void QV_CDECL WindowDefaultConstructor(ObjectHeader* window);
void QV_CDECL WindowAddControl(ObjectHeader* window, StringRecord* name, ObjectHeader* object);
void QV_CDECL WindowAddMenuHandler(ObjectHeader* window, StringRecord* name, void* handler);
/* The implicit instance of a window class: nil the first time, after which the next new object
 * of that class becomes the instance; the instance itself afterwards, until it closes. */
ObjectHeader* QV_CDECL RuntimeGetImplicitWindow(StringRecord* className);
void QV_CDECL WindowMove(ObjectHeader* window, int32_t left, int32_t top, int32_t width,
                         int32_t height);
/* The index-th Control of the window; past the last raises OutOfBoundsException. */
ObjectHeader* QV_CDECL windowControl(ObjectHeader* window, int32_t index);
int32_t QV_CDECL windowControlCountGetter(ObjectHeader* window, int32_t parameter);
int32_t QV_CDECL windowPosGetter(ObjectHeader* window, int32_t selector);
void QV_CDECL windowPosSetter(ObjectHeader* window, int32_t selector, int32_t value);
int32_t QV_CDECL WindowHandleGetter(ObjectHeader* window, int32_t parameter); /* 0: no window */
bool QV_CDECL WindowVisibleGetter(ObjectHeader* window, int32_t parameter);
void QV_CDECL WindowVisibleSetter(ObjectHeader* window, int32_t parameter, bool visible);
void QV_CDECL windowTitleSetter(ObjectHeader* window, int32_t parameter, StringRecord* title);
void QV_CDECL windowFrameSetter(ObjectHeader* window, int32_t parameter, int32_t frame);
void QV_CDECL windowGrowIconSetter(ObjectHeader* window, int32_t parameter, bool resizable);
void QV_CDECL windowFullScreenSetter(ObjectHeader* window, int32_t parameter, bool fullScreen);
void QV_CDECL windowBackColorSetter(ObjectHeader* window, int32_t parameter, uint32_t rgb);
void QV_CDECL windowHasBackColorSetter(ObjectHeader* window, int32_t parameter, bool has);
void QV_CDECL windowBackdropSetter(ObjectHeader* window, int32_t parameter, ObjectHeader* picture);
/* The window's Graphics, kept by the window; it draws nothing once the window has closed. */
ObjectHeader* QV_CDECL windowGraphicsGetter(ObjectHeader* window, int32_t parameter);
int32_t QV_CDECL windowMinMaxWidthHeightGetter(ObjectHeader* window, int32_t selector);
void QV_CDECL windowMinMaxWidthHeightSetter(ObjectHeader* window, int32_t selector, int32_t value);
void QV_CDECL RuntimeShowWindow(ObjectHeader* window);
void QV_CDECL RuntimeHideWindow(ObjectHeader* window);
/* Fires CancelClose and, unless it answers true, closes the window. */
void QV_CDECL RuntimeCloseWindow(ObjectHeader* window);
int32_t QV_CDECL getWindowCount(void);
/* True only while a right click's MouseDown runs. */
bool QV_CDECL IsCMMClick(void);
/* A ContainerControl shown inside another window, or on a page (from 0) of a panel control. */
void QV_CDECL EmbedWithin(ObjectHeader* container, ObjectHeader* window, int32_t left, int32_t top,
                          int32_t width, int32_t height);

/* Vector shapes: Object2D, RectShape, RoundRectShape, OvalShape, ArcShape, PixmapShape,
 * StringShape, CurveShape, Group2D and FigureShape. The initializers and finalizers take the shape
 * and return it. Property accessors take the field's offset as their second argument; the levels
 * (Fill, Border) are stored as fractions and read and written in percent. Index errors raise
 * OutOfBoundsException. */
ObjectHeader* QV_CDECL Object2DConstructor(ObjectHeader* shape);
ObjectHeader* QV_CDECL RectShapeConstructor(ObjectHeader* shape);
ObjectHeader* QV_CDECL RoundRectShapeConstructor(ObjectHeader* shape);
ObjectHeader* QV_CDECL OvalShapeConstructor(ObjectHeader* shape);
ObjectHeader* QV_CDECL ArcShapeConstructor(ObjectHeader* shape);
ObjectHeader* QV_CDECL PixmapShapeConstructor(ObjectHeader* shape);
ObjectHeader* QV_CDECL PixmapShapeDestructor(ObjectHeader* shape);
ObjectHeader* QV_CDECL StringShapeConstructor(ObjectHeader* shape);
ObjectHeader* QV_CDECL StringShapeDestructor(ObjectHeader* shape);
ObjectHeader* QV_CDECL CurveShapeConstructor(ObjectHeader* shape);
ObjectHeader* QV_CDECL Group2DConstructor(ObjectHeader* group);
ObjectHeader* QV_CDECL Group2DDestructor(ObjectHeader* group);
ObjectHeader* QV_CDECL FigureShapeConstructor(ObjectHeader* figure);
ObjectHeader* QV_CDECL FigureShapeDestructor(ObjectHeader* figure);
double QV_CDECL doublePercentGetter(ObjectHeader* object, int32_t offset);
void QV_CDECL doublePercentSetter(ObjectHeader* object, int32_t offset, double value);
/* X, Y, Rotation and Scale: a group or figure carries the change to its members, a curve to its
 * points. */
void QV_CDECL Object2DDoubleSetter(ObjectHeader* object, int32_t offset, double value);
void QV_CDECL ArcStartAngleSetter(ObjectHeader* object, int32_t offset, double value);
void QV_CDECL CurveOrderSetter(ObjectHeader* object, int32_t offset, int32_t value);
double QV_CDECL CurveGetControlX(ObjectHeader* curve, int32_t index);
double QV_CDECL CurveGetControlY(ObjectHeader* curve, int32_t index);
void QV_CDECL CurveSetControlX(ObjectHeader* curve, int32_t index, double value);
void QV_CDECL CurveSetControlY(ObjectHeader* curve, int32_t index, double value);
/* Image, Width, Height and the source size from a pixel picture; a vector picture gives none. */
void QV_CDECL PixmapShapeImageCtor(ObjectHeader* shape, ObjectHeader* picture);
int32_t QV_CDECL Group2DCount(ObjectHeader* group);
void QV_CDECL Group2DAppend(ObjectHeader* group, ObjectHeader* member);
void QV_CDECL Group2DInsert(ObjectHeader* group, int32_t index, ObjectHeader* member);
/* The member with a new reference for the caller. */
ObjectHeader* QV_CDECL Group2DGetItem(ObjectHeader* group, int32_t index);
void QV_CDECL Group2DSetItem(ObjectHeader* group, int32_t index, ObjectHeader* member);
void QV_CDECL Group2DRemoveByIndex(ObjectHeader* group, int32_t index);
void QV_CDECL Group2DRemoveByObject(ObjectHeader* group, ObjectHeader* member);
void QV_CDECL FigureShapeAddLine(ObjectHeader* figure, float x1, float y1, float x2, float y2);
void QV_CDECL FigureShapeAddQuad(ObjectHeader* figure, float x1, float y1, float x2, float y2,
                                 float cx1, float cy1);
void QV_CDECL FigureShapeAddCubic(ObjectHeader* figure, float x1, float y1, float x2, float y2,
                                  float cx1, float cy1, float cx2, float cy2);
bool QV_CDECL RectShapeContains(ObjectHeader* shape, double x, double y);
void QV_CDECL EmbedWithinPanel(ObjectHeader* container, ObjectHeader* panel, int32_t page,
                               int32_t left, int32_t top, int32_t width, int32_t height);
/* Controls: selector 0 to 3 for Left, Top, Width and Height, relative to the control's window. */
int32_t QV_CDECL ctlPosGetter(ObjectHeader* control, int32_t selector);
void QV_CDECL ctlPosSetter(ObjectHeader* control, int32_t selector, int32_t value);
void QV_CDECL ControlClose(ObjectHeader* control);
/* The generic accessors of property rows: the row's parameter (a field offset) before the value.
 * Control rows: Name is stringGetter/stringSetter at 32, Index intGetter/intSetter at 36. */
int32_t QV_CDECL intGetter(ObjectHeader* object, int32_t offset);
void QV_CDECL intSetter(ObjectHeader* object, int32_t offset, int32_t value);
StringRecord* QV_CDECL stringGetter(ObjectHeader* object, int32_t offset);
void QV_CDECL stringSetter(ObjectHeader* object, int32_t offset, StringRecord* value);
ObjectHeader* QV_CDECL controlWindowGetter(ObjectHeader* control, int32_t parameter);
void QV_CDECL ControlVisibleSetter(ObjectHeader* control, int32_t parameter, bool visible);
void QV_CDECL controlEnabledSetter(ObjectHeader* control, int32_t parameter, bool enabled);
/* At the entry of a handler a window implements for its control: me gets the control in self,
 * self the control's window (the ...Class form: the nearest parent control of that class). */
void QV_CDECL RuntimeExchangeSelfAndMe(ObjectHeader** self, ObjectHeader** me);
void QV_CDECL RuntimeExchangeSelfAndMeClass(ObjectHeader** self, ObjectHeader** me,
                                            ClassRecord* containerClass);
void QV_CDECL RuntimeExchangeSelfAndMeObj(ObjectHeader** self, ObjectHeader** me,
                                          ObjectHeader* object);
/* Design-time property values: records of a big-endian 16-bit property index and a value laid out
 * by the property's type (b 1 byte, c 3 bytes RGB, d 8 and f 4 bytes IEEE big-endian, i 4 bytes,
 * s a 4-byte length and the UTF-8 bytes). */
void QV_CDECL RuntimeMassPropertySetter(ObjectHeader* object, StringRecord* stream);
void QV_CDECL RuntimeInstallInstanceEventHandler(ObjectHeader* object, StringRecord* eventName,
                                                 void* handler);

/* Timer: Mode 0 off, 1 single, 2 multiple; Period in milliseconds. */
void QV_CDECL timerModeSetter(ObjectHeader* timer, int32_t parameter, int32_t mode);
void QV_CDECL timerPeriodSetter(ObjectHeader* timer, int32_t parameter, int32_t period);
void QV_CDECL RuntimeTimerReset(ObjectHeader* timer);

/* ---- Sockets, network interfaces and dial-up ------------------------------------------- */

/* TCPSocket (and Socket), UDPSocket and Datagram: events are fired from within polls; errors set
 * LastErrorCode and fire Error. Property setters take the property row's parameter (0) before the
 * value; String and object results carry a reference for the caller. */
StringRecord* QV_CDECL socketLocalAddressGetter(ObjectHeader* socket);
bool QV_CDECL TCPSocketEof(ObjectHeader* socket);
/* Polls until everything queued has gone out, an error, or a minute without progress (102). */
void QV_CDECL TCPSocketFlush(ObjectHeader* socket);
void QV_CDECL UDPSocketRouterHops(ObjectHeader* socket, int32_t parameter, int32_t hops);
void QV_CDECL UDPSocketSetLoopback(ObjectHeader* socket, int32_t parameter, int32_t flag);
int32_t QV_CDECL PacketsAvailableGetter(ObjectHeader* socket);
StringRecord* QV_CDECL UDPSocketGetBroadcast(ObjectHeader* socket);
int32_t QV_CDECL UDPSocketPacketsLeftToSend(ObjectHeader* socket);
bool QV_CDECL SocketJoinMulticastGroup(ObjectHeader* socket, StringRecord* group);
void QV_CDECL SocketLeaveMulticastGroup(ObjectHeader* socket, StringRecord* group);
/* The address is dotted text or a host name, optionally followed by ":port". */
void QV_CDECL UDPSocketWrite(ObjectHeader* socket, StringRecord* address, StringRecord* data);
void QV_CDECL UDPSocketWriteDatagram(ObjectHeader* socket, ObjectHeader* datagram);
/* The oldest received datagram, its texts tagged with the encoding (nil: none); nil when none. */
ObjectHeader* QV_CDECL UDPReadDatagram(ObjectHeader* socket, ObjectHeader* encoding);
void QV_CDECL UDPSocketBind(ObjectHeader* socket);
bool QV_CDECL UDPSocketIsBound(ObjectHeader* socket);
void QV_CDECL UDPSocketCtor(void);
void QV_CDECL RuntimeUDPSocketConstructor(ObjectHeader* socket);
void QV_CDECL RuntimeUDPSocketDestructor(ObjectHeader* socket);
void QV_CDECL RuntimeDatagramFinalizer(ObjectHeader* datagram);

/* NetworkInterface, Network and the System members that reach them (the System instance is not
 * used). GetNetworkInterfaceObject raises OutOfBoundsException outside -1 to the count - 1. */
void QV_CDECL NetworkInterfaceCtor(ObjectHeader* networkInterface);
StringRecord* QV_CDECL SystemGetMACAddress(ObjectHeader* networkInterface);
StringRecord* QV_CDECL SystemGetIPAddress(ObjectHeader* networkInterface);
StringRecord* QV_CDECL SystemGetSubnetMask(ObjectHeader* networkInterface);
StringRecord* QV_CDECL SystemGetPrimaryDNSAddress(ObjectHeader* networkInterface);
StringRecord* QV_CDECL SystemGetRouterAddress(ObjectHeader* networkInterface);
bool QV_CDECL NetworkSafeToConnect(ObjectHeader* network);
StringRecord* QV_CDECL NetworkLookupIPAddress(ObjectHeader* network, StringRecord* name);
StringRecord* QV_CDECL NetworkLookupDNSAddress(ObjectHeader* network, StringRecord* address);
int32_t QV_CDECL SystemGetNetworkInterfaceCount(ObjectHeader* system);
ObjectHeader* QV_CDECL GetNetworkInterfaceObject(ObjectHeader* system, int32_t index);
ObjectHeader* QV_CDECL SystemGetNetwork(ObjectHeader* system);

/* Dial-up: PPPConnect takes a System instance with UserInteraction, or a TCPSocket alone (which
 * dials without the user). PPPStatus is 0, 4 (opening) or 5 (connected). */
void QV_CDECL socketPPPConnect(ObjectHeader* instance, bool userInteraction);
void QV_CDECL socketPPPDisconnect(void);
int32_t QV_CDECL socketPPPStatus(void);

/* ---- Applications packed by tools/qv-pack ---------------------------------------------- */

/* A packed application is freestanding i686 code whose entry is `void QvMain(void)`, called once
 * with no arguments. It calls the entry points above by their link names, in any letter case.
 * The loader patches code only, never data, so an address is never stored in initialised data:
 * code computes it at run time. Build with -ffunction-sections (the entry must begin the code)
 * and -fno-jump-tables (a switch table is a table of code addresses in data). The markers of Try
 * blocks cannot be placed reliably from C: code that catches exceptions is written in assembly. */

/* Declares `procedure` of the Windows library `library` (the name LoadLibraryA gets, such as
 * kernel32), stdcall as the Windows API is. The loader binds every call to it; it can only be
 * called, not have its address taken.
 *     QV_DECLARE_FUNCTION(kernel32, GetStdHandle, void*, (uint32_t which)); */
#define QV_DECLARE_FUNCTION(library, procedure, result, parameters) \
    extern result QV_STDCALL procedure parameters __asm__("__qvdecl__" #library "__" #procedure)

/* A String literal of the application, usable inside functions only: the packer makes each
 * distinct text a literal string record in the payload's data (UTF-8, holding one reference that
 * is never given up), and the loader points the record at its buffer. The asm hides from the
 * compiler that the text alone is declared here, so it never reads the record's fields as text.
 *     StringRecord* greeting = QV_LITERAL("Hello"); */
#define QV_LITERAL(text)                                                                \
    __extension__({                                                                     \
        static char qvLiteralText[] __attribute__((section(".qvstr"))) = text;          \
        StringRecord* qvLiteral;                                                        \
        __asm__("" : "=r"(qvLiteral) : "0"(qvLiteralText));                             \
        qvLiteral;                                                                      \
    })

#ifdef __cplusplus
}
#endif

#endif /* QUORVANE_RUNTIME_H */
