/* The records of the plug-in interface: the words a plug-in library registers and the runtime
 * reads (and writes where marked), with their versions and flags. Free of the runtime's own
 * types, so that the runtime shares this header with plug-in authors; QuorvanePlugin.h adds the
 * calls. Plain C99; it also compiles as C++.
 */
#ifndef QUORVANE_PLUGIN_RECORDS_H
#define QUORVANE_PLUGIN_RECORDS_H

#include <stddef.h>
#include <stdint.h>

#ifndef QV_CDECL
#if defined(__i386__)
#define QV_CDECL __attribute__((cdecl))
#else
#define QV_CDECL
#endif
#endif

#ifndef QV_STATIC_ASSERT
#ifdef __cplusplus
#define QV_STATIC_ASSERT(condition, text) static_assert(condition, text)
#else
#define QV_STATIC_ASSERT(condition, text) __extension__ _Static_assert(condition, text)
#endif
#endif

#ifdef __cplusplus
extern "C" {
#endif

/* The type of every function pointer in the records. Accessors and methods are called with the
 * object first: getters (object, parameter), setters (object, parameter, value), methods (object,
 * arguments...), constructors and destructors (object). */
typedef void(QV_CDECL* QUORproc)(void);

/* -1 as a function: a property's generic getter or setter, or "no setter" for a method record's
 * assignment form. A method record's function is never this value. */
#define QUORnoImplementation ((QUORproc)(intptr_t)-1)

/* The resolver handed to QUORPluginMain: the address of the runtime function of that link name, or
 * null when the runtime has none. */
typedef void*(QV_CDECL* PluginResolver)(const char* name);

/* The library's one export; its result is ignored. */
typedef void(QV_CDECL* PluginMainFunction)(PluginResolver resolve);

/* ---- Versions --------------------------------------------------------------------------- */

/* The SDK version a library announces with RegisterPluginVersion (1 when it never calls it).
 * Classes and class extensions need 3; interfaces and modules need 4. */
#define kPluginSDKVersion 4
#define kPluginSDKVersionClasses 3
#define kPluginSDKVersionInterfaces 4

/* Class, interface, module and control records of a version above 6 have 16-byte method
 * entries (PluginMethodRecord16), else 12-byte ones (PluginMethodRecord). */
#define kPluginRecordVersionWideMethods 7
#define PluginMethodStride(recordVersion) ((recordVersion) > 6 ? 16 : 12)

/* ---- Records -------------------------------------------------------------------------- */

/* Property flags. The runtime ORs kPluginPropertyBuilt into the record's flags when it builds the
 * property. */
#define kPluginPropertyInvalidates 1u /* on a control, the generic setter redraws it */
#define kPluginPropertyFlag1 2u       /* the property definition gets its flag 1 */
#define kPluginPropertyBuilt 0x2000u

/* The generic accessor of the field at fieldOffset within the plug-in data. */
#define kPluginGenericAccessor QUORnoImplementation

typedef struct PluginPropertyRecord {
    uint32_t unused0;
    const char* name;
    const char* typeName; /* "Integer", "Boolean", "String", "Color", "Double", "Single" or a class */
    uint32_t flags;       /* written: kPluginPropertyBuilt is ORed in */
    QUORproc getter;      /* kPluginGenericAccessor, null for none, or (object, parameter) */
    QUORproc setter;      /* kPluginGenericAccessor, null for none, or (object, parameter, value) */
    int32_t fieldOffset;  /* within the plug-in data; the parameter of the accessors */
    uint32_t unused28[3];
} PluginPropertyRecord;

typedef struct PluginMethodRecord {
    QUORproc function;
    QUORproc setter; /* the assignment form's function, or QUORnoImplementation */
    const char* declaration;
} PluginMethodRecord;

typedef struct PluginMethodRecord16 {
    QUORproc function;
    QUORproc setter;
    const char* declaration;
    uint32_t unused12;
} PluginMethodRecord16;

typedef struct PluginEventRecord {
    const char* declaration;
    void* eventDefinition; /* written: what GetEventInstance takes */
} PluginEventRecord;

/* A superclass event that the class handles itself. */
typedef struct PluginEventInstanceRecord {
    const char* eventName;
    QUORproc function;
} PluginEventInstanceRecord;

typedef struct PluginClassRecord {
    int32_t version;
    const char* name;
    const char* superclassName; /* null or empty for none */
    int32_t dataSize;           /* bytes of plug-in data in each instance */
    int32_t dataOffset;         /* written: where the plug-in data begins within the object */
    QUORproc constructor;       /* (object), or null */
    QUORproc destructor;        /* (object), or null */
    PluginPropertyRecord* properties;
    int32_t propertyCount;
    void* methods; /* PluginMethodRecord or, above version 6, PluginMethodRecord16 */
    int32_t methodCount;
    PluginEventRecord* events;
    int32_t eventCount;
    PluginEventInstanceRecord* eventInstances;
    int32_t eventInstanceCount;
    const char* interfaces; /* names separated by ",", not trimmed; null or empty for none */
} PluginClassRecord;

typedef struct PluginInterfaceRecord {
    int32_t version;
    const char* name;
    void* methods;
    int32_t methodCount;
} PluginInterfaceRecord;

typedef struct PluginModuleRecord {
    int32_t version;
    const char* name;
    void* methods;
    int32_t methodCount;
} PluginModuleRecord;

/* An entry of the table given to RegisterPluginExports, for version-1 records that name a
 * function by its index. */
typedef struct PluginExportEntry {
    uint32_t unused0;
    QUORproc function;
    uint32_t unused8;
} PluginExportEntry;

/* The global method record of a version-1 library. */
typedef struct PluginGlobalMethodV1 {
    int32_t exportIndex;
    const char* declaration;
} PluginGlobalMethodV1;

/* Controls: flags, the behaviour table and the records of versions 3 and above and of version 1.
 * The runtime registers no plug-in control yet (PluginRegisterControl ignores its record). */
#define kPluginControlAcceptsFocus 0x1u
#define kPluginControlSuperIsControl 0x4u
#define kPluginControlCoverRect 0x8u
#define kPluginControlOwnCursor 0x20u
#define kPluginControlNoFullRedraw 0x100u
#define kPluginControlDataOffset 104

typedef struct PluginControlBehaviour {
    QUORproc constructor, destructor, paint, mouseDown, mouseDrag, mouseUp, gotFocus, lostFocus,
        keyDown, open, close, idle, drawTree, backgroundColour, unused56, unused60, mouseEnter,
        mouseExit, mouseMove, stateChanged, unused80, windowHandle, mouseWheel, enableMenuItems,
        menuAction;
} PluginControlBehaviour;

typedef struct PluginControlRecord {
    int32_t version;
    const char* name;
    int32_t dataSize;
    uint32_t flags;
    uint32_t unused16[4];
    PluginPropertyRecord* properties;
    int32_t propertyCount;
    void* methods;
    int32_t methodCount;
    PluginEventRecord* events;
    int32_t eventCount;
    PluginControlBehaviour* behaviour;
    int32_t dataOffset; /* written: kPluginControlDataOffset */
    PluginEventInstanceRecord* eventInstances; /* read above version 3 only */
    int32_t eventInstanceCount;
    const char* interfaces;
} PluginControlRecord;

typedef struct PluginControlPropertyV1 {
    uint32_t unused0;
    const char* name;
    const char* typeName;
    uint32_t flags;
    int32_t fieldOffset;
} PluginControlPropertyV1;

typedef struct PluginControlRecordV1 {
    int32_t version; /* 1 */
    const char* name;
    int32_t dataSize;
    uint32_t flags;
    uint32_t unused16[2];
    PluginControlPropertyV1* properties;
    int32_t propertyCount;
    PluginGlobalMethodV1* methods;
    int32_t methodCount;
    PluginEventRecord* events;
    int32_t eventCount;
    PluginControlBehaviour* behaviour;
    int32_t dataOffset; /* written: kPluginControlDataOffset */
} PluginControlRecordV1;

/* ---- Layouts ---------------------------------------------------------------------------- */

#if defined(__i386__)
QV_STATIC_ASSERT(sizeof(PluginPropertyRecord) == 40, "PluginPropertyRecord size");
QV_STATIC_ASSERT(offsetof(PluginPropertyRecord, name) == 4, "PluginPropertyRecord.name");
QV_STATIC_ASSERT(offsetof(PluginPropertyRecord, typeName) == 8, "PluginPropertyRecord.typeName");
QV_STATIC_ASSERT(offsetof(PluginPropertyRecord, flags) == 12, "PluginPropertyRecord.flags");
QV_STATIC_ASSERT(offsetof(PluginPropertyRecord, getter) == 16, "PluginPropertyRecord.getter");
QV_STATIC_ASSERT(offsetof(PluginPropertyRecord, setter) == 20, "PluginPropertyRecord.setter");
QV_STATIC_ASSERT(offsetof(PluginPropertyRecord, fieldOffset) == 24,
                 "PluginPropertyRecord.fieldOffset");
QV_STATIC_ASSERT(sizeof(PluginMethodRecord) == 12, "PluginMethodRecord size");
QV_STATIC_ASSERT(offsetof(PluginMethodRecord, setter) == 4, "PluginMethodRecord.setter");
QV_STATIC_ASSERT(offsetof(PluginMethodRecord, declaration) == 8, "PluginMethodRecord.declaration");
QV_STATIC_ASSERT(sizeof(PluginMethodRecord16) == 16, "PluginMethodRecord16 size");
QV_STATIC_ASSERT(sizeof(PluginEventRecord) == 8, "PluginEventRecord size");
QV_STATIC_ASSERT(offsetof(PluginEventRecord, eventDefinition) == 4,
                 "PluginEventRecord.eventDefinition");
QV_STATIC_ASSERT(sizeof(PluginEventInstanceRecord) == 8, "PluginEventInstanceRecord size");
QV_STATIC_ASSERT(sizeof(PluginClassRecord) == 64, "PluginClassRecord size");
QV_STATIC_ASSERT(offsetof(PluginClassRecord, name) == 4, "PluginClassRecord.name");
QV_STATIC_ASSERT(offsetof(PluginClassRecord, superclassName) == 8, "PluginClassRecord.super");
QV_STATIC_ASSERT(offsetof(PluginClassRecord, dataSize) == 12, "PluginClassRecord.dataSize");
QV_STATIC_ASSERT(offsetof(PluginClassRecord, dataOffset) == 16, "PluginClassRecord.dataOffset");
QV_STATIC_ASSERT(offsetof(PluginClassRecord, constructor) == 20, "PluginClassRecord.constructor");
QV_STATIC_ASSERT(offsetof(PluginClassRecord, destructor) == 24, "PluginClassRecord.destructor");
QV_STATIC_ASSERT(offsetof(PluginClassRecord, properties) == 28, "PluginClassRecord.properties");
QV_STATIC_ASSERT(offsetof(PluginClassRecord, propertyCount) == 32, "PluginClassRecord.propCount");
QV_STATIC_ASSERT(offsetof(PluginClassRecord, methods) == 36, "PluginClassRecord.methods");
QV_STATIC_ASSERT(offsetof(PluginClassRecord, methodCount) == 40, "PluginClassRecord.methodCount");
QV_STATIC_ASSERT(offsetof(PluginClassRecord, events) == 44, "PluginClassRecord.events");
QV_STATIC_ASSERT(offsetof(PluginClassRecord, eventCount) == 48, "PluginClassRecord.eventCount");
QV_STATIC_ASSERT(offsetof(PluginClassRecord, eventInstances) == 52,
                 "PluginClassRecord.eventInstances");
QV_STATIC_ASSERT(offsetof(PluginClassRecord, eventInstanceCount) == 56,
                 "PluginClassRecord.eventInstanceCount");
QV_STATIC_ASSERT(offsetof(PluginClassRecord, interfaces) == 60, "PluginClassRecord.interfaces");
QV_STATIC_ASSERT(sizeof(PluginInterfaceRecord) == 16, "PluginInterfaceRecord size");
QV_STATIC_ASSERT(sizeof(PluginModuleRecord) == 16, "PluginModuleRecord size");
QV_STATIC_ASSERT(offsetof(PluginModuleRecord, methods) == 8, "PluginModuleRecord.methods");
QV_STATIC_ASSERT(sizeof(PluginExportEntry) == 12, "PluginExportEntry size");
QV_STATIC_ASSERT(offsetof(PluginExportEntry, function) == 4, "PluginExportEntry.function");
QV_STATIC_ASSERT(sizeof(PluginGlobalMethodV1) == 8, "PluginGlobalMethodV1 size");
QV_STATIC_ASSERT(sizeof(PluginControlBehaviour) == 100, "PluginControlBehaviour size");
QV_STATIC_ASSERT(offsetof(PluginControlBehaviour, menuAction) == 96, "behaviour.menuAction");
QV_STATIC_ASSERT(sizeof(PluginControlRecord) == 76, "PluginControlRecord size");
QV_STATIC_ASSERT(offsetof(PluginControlRecord, properties) == 32, "PluginControlRecord.props");
QV_STATIC_ASSERT(offsetof(PluginControlRecord, behaviour) == 56, "PluginControlRecord.behaviour");
QV_STATIC_ASSERT(offsetof(PluginControlRecord, dataOffset) == 60, "PluginControlRecord.dataOffset");
QV_STATIC_ASSERT(offsetof(PluginControlRecord, interfaces) == 72, "PluginControlRecord.interfaces");
QV_STATIC_ASSERT(sizeof(PluginControlPropertyV1) == 20, "PluginControlPropertyV1 size");
QV_STATIC_ASSERT(sizeof(PluginControlRecordV1) == 56, "PluginControlRecordV1 size");
QV_STATIC_ASSERT(offsetof(PluginControlRecordV1, properties) == 24, "PluginControlRecordV1.props");
QV_STATIC_ASSERT(offsetof(PluginControlRecordV1, behaviour) == 48, "PluginControlRecordV1.behaviour");
QV_STATIC_ASSERT(offsetof(PluginControlRecordV1, dataOffset) == 52, "PluginControlRecordV1.offset");
#endif

#ifdef __cplusplus
}
#endif

#endif
