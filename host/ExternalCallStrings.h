// The string forms that compiled code hands to external library functions, and the small
// services of the runtime's global functions that belong to no class: ticks, the beep, and the
// script and other-platform forms that do nothing here.
#pragma once

#include <cstdint>

#include "core/ObjectModel.h"
#include "core/RuntimeString.h"

extern "C" {
// Each holds the string only during the call; the pointer lives as long as the caller's string.
const char* StringToCString(StringRecord* text);
const unsigned char* StringToPString(StringRecord* text);
uint32_t StringToOSType(StringRecord* text);
// A counted wide string: a 32-bit count (1 here) before the UTF-16 units and a zero unit; the
// pointer is to the first unit.
wchar_t* StringToWString(StringRecord* text);
wchar_t* LockWString(wchar_t* wide);
int32_t UnlockWString(wchar_t* wide);
void SwapWStringLocks(wchar_t* newWide, wchar_t* oldWide);
// The other platform's forms.
void* StringToCFString(StringRecord* text);
void* LockCFString(void* text);
void UnlockCFString(void* text);
void SwapCFStringLocks(void* newText, void* oldText);

int32_t RuntimeTicks();
void RuntimeBeep();
void RuntimeScriptExecute();
void RuntimeAddStringScriptParam();
void RuntimeAddIntegerScriptParam();
void RuntimeCompleteParamScriptExecute();
void* RuntimeScriptFunction();
void* RuntimeStartParamScript();
void* RuntimeCompleteParamScriptFunction();

// Opens the URL or document with the shell's "open" verb.
void GlobalShowURL(StringRecord* url);
// Raises NilObjectException.
void RuntimeNilObject();
// There are no Apple events on this platform: each answers nil.
ObjectHeader* newAppleEventObject();
ObjectHeader* getAppleEventTarget();
ObjectHeader* newAppleEventTarget();
// Nil until the System module class exists.
ObjectHeader* getSystemObject();
// Nothing fills the table of project objects and pictures: every index answers nil.
ObjectHeader* RuntimeProjectObject(int32_t index);
ObjectHeader* RuntimePictureReference(int32_t index);
}
