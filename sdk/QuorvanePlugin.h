/* The interface between a plug-in library and the runtime.
 *
 * A plug-in is a 32-bit Windows dynamic library that exports one function, QUORPluginMain. The
 * runtime calls it once, right after loading the library, with a resolver; the library resolves
 * the runtime functions it needs by their link names (compared without regard to case) and
 * registers what it offers from inside that call. Every call in either direction is cdecl.
 *
 * Records are arrays of 32-bit words owned by the plug-in. The runtime keeps pointers to them and
 * to the texts they name for the rest of the process and writes into the fields marked below, so
 * they must stay valid (static data, not stack) until the process ends. Objects pass as pointers
 * to their ObjectHeader, strings as StringRecord pointers (null is the empty string); who
 * receives one from the runtime owns one reference.
 *
 * Plain C99 over QuorvaneRuntime.h; it also compiles as C++.
 */
#ifndef QUORVANE_PLUGIN_H
#define QUORVANE_PLUGIN_H

#include "QuorvaneRuntime.h"
#include "QuorvanePluginRecords.h"
#include "QuorvaneDatabaseEngine.h"

#ifdef __cplusplus
extern "C" {
#endif

/* ---- Registration calls, as the resolver hands them out ---------------------------------- */

typedef void(QV_CDECL* RegisterPluginVersionFunction)(int32_t version);
typedef void(QV_CDECL* RegisterPluginExportsFunction)(PluginExportEntry* table);
typedef void(QV_CDECL* PluginRegisterClassFunction)(PluginClassRecord* record);
typedef void(QV_CDECL* PluginRegisterClassExtensionFunction)(PluginClassRecord* record);
typedef void(QV_CDECL* PluginRegisterInterfaceFunction)(PluginInterfaceRecord* record);
typedef void(QV_CDECL* PluginRegisterModuleFunction)(PluginModuleRecord* record);
/* A PluginMethodRecord, or a PluginGlobalMethodV1 while the library's SDK version is 1. */
typedef void(QV_CDECL* PluginRegisterMethodFunction)(void* record);
typedef void(QV_CDECL* PluginRegisterControlFunction)(void* record);
typedef ObjectHeader*(QV_CDECL* DataSourceFactory)(StringRecord* text, ObjectHeader* object);
typedef void(QV_CDECL* RegisterDataSourceFunction)(const char* name, DataSourceFactory factory);
typedef void(QV_CDECL* PluginMarkSocketUsageFunction)(void);
typedef void(QV_CDECL* PluginRegisterDBEngineFunction)(PluginDBEngineRecord* record);
typedef void(QV_CDECL* PluginRegisterDBCursorFunction)(PluginDBCursorRecord* record);

/* ---- Services ----------------------------------------------------------------------- */

typedef const char*(QV_CDECL* StringGetCStringFunction)(StringRecord* text);
typedef const unsigned char*(QV_CDECL* StringGetPStringFunction)(StringRecord* text);
typedef StringRecord*(QV_CDECL* QUORBuildStringFunction)(const void* bytes, int32_t length);
typedef void(QV_CDECL* QUORLockStringFunction)(StringRecord* text);
typedef void(QV_CDECL* QUORUnlockStringFunction)(StringRecord* text);
typedef uint32_t(QV_CDECL* QUORGetStringEncodingFunction)(StringRecord* text);
typedef void(QV_CDECL* QUORSetStringEncodingFunction)(StringRecord* text, uint32_t encoding);
typedef void(QV_CDECL* QUORLockObjectFunction)(ObjectHeader* object);
typedef void(QV_CDECL* QUORUnlockObjectFunction)(ObjectHeader* object);
typedef ObjectHeader*(QV_CDECL* PluginNewInstanceFunction)(const char* className);
typedef ObjectHeader*(QV_CDECL* PluginNewOfSameClassFunction)(ObjectHeader* object);
typedef struct ClassRecord*(QV_CDECL* PluginObjectTypeFunction)(const char* className);
typedef void*(QV_CDECL* GetEventInstanceFunction)(ObjectHeader* object, void* eventDefinition);
typedef void*(QV_CDECL* GetInterfaceRoutineFunction)(ObjectHeader* object, const char* interfaceName,
                                                     const char* methodName);
typedef int32_t(QV_CDECL* QUORCountClassMethodsFunction)(struct ClassRecord* record);
typedef bool(QV_CDECL* QUORGetClassMethodFunction)(struct ClassRecord* record, int32_t index,
                                                   void** function, StringRecord** declaration);
typedef int32_t(QV_CDECL* QUORCountClassPropertiesFunction)(struct ClassRecord* record);
typedef bool(QV_CDECL* QUORGetClassPropertyFunction)(struct ClassRecord* record, int32_t index,
                                                     void** getter, void** setter,
                                                     int32_t* parameter,
                                                     StringRecord** declaration);
typedef void*(QV_CDECL* QUORLoadGlobalMethodFunction)(void* ignored, const char* declaration);
typedef void*(QV_CDECL* QUORLoadObjectMethodFunction)(ObjectHeader* object, const char* declaration);
typedef bool(QV_CDECL* QUORGetPropValueIntFunction)(ObjectHeader* object, const char* name,
                                                    int32_t* value);
typedef bool(QV_CDECL* QUORGetPropValueDoubleFunction)(ObjectHeader* object, const char* name,
                                                       double* value);
typedef bool(QV_CDECL* QUORGetPropValueStringFunction)(ObjectHeader* object, const char* name,
                                                       StringRecord** value);
typedef bool(QV_CDECL* QUORGetPropValueBoolFunction)(ObjectHeader* object, const char* name,
                                                     unsigned char* value);
typedef bool(QV_CDECL* QUORGetPropValueObjectFunction)(ObjectHeader* object, const char* name,
                                                       ObjectHeader** value);
typedef bool(QV_CDECL* QUORSetPropValueIntFunction)(ObjectHeader* object, const char* name,
                                                    int32_t value);
typedef bool(QV_CDECL* QUORSetPropValueDoubleFunction)(ObjectHeader* object, const char* name,
                                                       double value);
typedef bool(QV_CDECL* QUORSetPropValueStringFunction)(ObjectHeader* object, const char* name,
                                                       StringRecord* value);
typedef bool(QV_CDECL* QUORSetPropValueBooleanFunction)(ObjectHeader* object, const char* name,
                                                        unsigned char value);
typedef bool(QV_CDECL* QUORSetPropValueObjectFunction)(ObjectHeader* object, const char* name,
                                                       ObjectHeader* value);
typedef double(QV_CDECL* QUORGetQVVersionFunction)(void);
typedef bool(QV_CDECL* QUORinRuntimeFunction)(void);
typedef void(QV_CDECL* QUORYieldToQVFunction)(void);

/* Compiled code's table of plug-in entry points. */
typedef void**(QV_CDECL* RuntimeAllocatePluginEntrypointsTableFunction)(int32_t count);
typedef void*(QV_CDECL* RuntimeLookupPluginEntrypointFunction)(StringRecord* name);

#ifdef __cplusplus
}
#endif

#endif
