// The services plug-in code finds through the resolver for strings, object life, creating objects
// by class name, events and interfaces, class introspection, finding methods by declaration,
// reading and writing properties by name, and facts about the runtime. Each is a cdecl entry point
// under its link-table name; a result object or string belongs to the caller unless said otherwise.
#pragma once

#include <cstdint>

#include "core/ObjectModel.h"
#include "core/RuntimeString.h"

struct EventDefinition;

// The declaration that the signature text of a class-record entry stands for, with or without
// the owner parameter: "Shape.Resize%%o<Shape>i4&i4" gives "Sub Resize(param0 As Shape, param1 As
// Integer, ByRef param2 As Integer)". Empty when the text cannot be decoded.
string DeclarationFromSignature(const string& signature, bool withOwner);

extern "C" {
const char* StringGetCString(StringRecord* text);
const unsigned char* StringGetPString(StringRecord* text);
StringRecord* QUORBuildString(const void* bytes, int32_t length);
void QUORLockString(StringRecord* text);
void QUORUnlockString(StringRecord* text);
uint32_t QUORGetStringEncoding(StringRecord* text);
void QUORSetStringEncoding(StringRecord* text, uint32_t encoding);
uint32_t QUORGetFontEncoding(const char* fontName);
StringRecord* QUORConvertString(StringRecord* text, uint32_t encoding);
void QUORStripAmpersands(StringRecord** variable);
StringRecord* PluginInterpretConstantValue(StringRecord* text);
StringRecord* PluginDefaultControlFont();
StringRecord* PluginDefaultControlCaption();
int32_t PluginDefaultControlFontSize();

void QUORLockObject(ObjectHeader* object);
void QUORUnlockObject(ObjectHeader* object);
ObjectHeader* PluginNewInstance(const char* className);
ObjectHeader* PluginNewOfSameClass(ObjectHeader* object);
// The link table's pluginObjectType: a class record by name.
ClassRecord* PluginClassRecordNamed(const char* className);
void* GetEventInstance(ObjectHeader* object, const EventDefinition* event);
void* GetInterfaceRoutine(ObjectHeader* object, const char* interfaceName, const char* methodName);
// The compiled method of that name (without regard to case) of an interface the object's class
// or one of its supers implements; null when there is none.
void* FindInterfaceRoutine(ObjectHeader* object, ClassRecord* interfaceClass, const string& method);
int32_t QUORCountClassMethods(ClassRecord* record);
bool QUORGetClassMethod(ClassRecord* record, int32_t index, void** function, StringRecord** declaration);
int32_t QUORCountClassProperties(ClassRecord* record);
bool QUORGetClassProperty(ClassRecord* record, int32_t index, void** getter, void** setter,
                          int32_t* parameter, StringRecord** declaration);
void* QUORLoadGlobalMethod(void* ignored, const char* declaration);
void* QUORLoadObjectMethod(ObjectHeader* object, const char* declaration);

bool QUORGetPropValueInt(ObjectHeader* object, const char* name, int32_t* value);
bool QUORGetPropValueDouble(ObjectHeader* object, const char* name, double* value);
bool QUORGetPropValueString(ObjectHeader* object, const char* name, StringRecord** value);
bool QUORGetPropValueBool(ObjectHeader* object, const char* name, uint8_t* value);
bool QUORGetPropValueObject(ObjectHeader* object, const char* name, ObjectHeader** value);
bool QUORSetPropValueInt(ObjectHeader* object, const char* name, int32_t value);
bool QUORSetPropValueDouble(ObjectHeader* object, const char* name, double value);
bool QUORSetPropValueString(ObjectHeader* object, const char* name, StringRecord* value);
bool QUORSetPropValueBoolean(ObjectHeader* object, const char* name, uint8_t value);
bool QUORSetPropValueObject(ObjectHeader* object, const char* name, ObjectHeader* value);

double QUORGetQVVersion();
bool QUORinRuntime();
bool QUORInDebugMode();
void QUORYieldToQV();
ObjectHeader* QUORGetProjectFolder();
StringRecord* QUORGetCommandLineForUnix();
int32_t QUORGetWin32Charset();
}

// How many times the property cache walked a class record's property entries (for tests).
int32_t PropertyCacheWalkCount();
