#include "host/ExternalCallStrings.h"

#include <windows.h>

#include <cstring>

#include "core/GuardedMemory.h"
#include "core/Exceptions.h"
#include "files/OSTypeText.h"
#include "files/ShellOpen.h"
#include "host/TickCount.h"

namespace {

int32_t* CountOf(wchar_t* wide) { return reinterpret_cast<int32_t*>(wide) - 1; }

}  // namespace

extern "C" {

const char* StringToCString(StringRecord* text) { return StringRecord::CString(text); }

const unsigned char* StringToPString(StringRecord* text) {
    static const unsigned char kEmpty[2] = {0, 0};
    return text && text->buffer ? text->buffer : kEmpty;
}

uint32_t StringToOSType(StringRecord* text) { return OSTypeFromString(string(text)); }

wchar_t* StringToWString(StringRecord* text) {
    const string wide = string(text).ToUTF16();
    const int32_t units = wide.Length() / 2;
    auto* block = static_cast<int32_t*>(GuardedNew(sizeof(int32_t) + sizeof(wchar_t) * (units + 1)));
    if (!block) return nullptr;
    block[0] = 1;
    auto* result = reinterpret_cast<wchar_t*>(block + 1);
    if (units) std::memcpy(result, wide.WidePointer(), sizeof(wchar_t) * units);
    result[units] = 0;
    return result;
}

wchar_t* LockWString(wchar_t* wide) {
    if (wide) ++*CountOf(wide);
    return wide;
}

int32_t UnlockWString(wchar_t* wide) {
    if (!wide) return 0;
    const int32_t count = --*CountOf(wide);
    if (count <= 0) GuardedDelete(CountOf(wide));
    return count;
}

void SwapWStringLocks(wchar_t* newWide, wchar_t* oldWide) {
    LockWString(newWide);
    UnlockWString(oldWide);
}

void* StringToCFString(StringRecord*) { return nullptr; }
void* LockCFString(void*) { return nullptr; }
void UnlockCFString(void*) {}
void SwapCFStringLocks(void*, void*) {}

int32_t RuntimeTicks() { return TickCount60(); }
void RuntimeBeep() { MessageBeep(0); }
void RuntimeScriptExecute() {}
void RuntimeAddStringScriptParam() {}
void RuntimeAddIntegerScriptParam() {}
void RuntimeCompleteParamScriptExecute() {}
void* RuntimeScriptFunction() { return nullptr; }
void* RuntimeStartParamScript() { return nullptr; }
void* RuntimeCompleteParamScriptFunction() { return nullptr; }

void GlobalShowURL(StringRecord* url) { ShellOpenURL(string(url)); }
void RuntimeNilObject() { RaiseNilObjectException(); }
ObjectHeader* newAppleEventObject() { return nullptr; }
ObjectHeader* getAppleEventTarget() { return nullptr; }
ObjectHeader* newAppleEventTarget() { return nullptr; }
ObjectHeader* getSystemObject() { return nullptr; }
ObjectHeader* RuntimeProjectObject(int32_t) { return nullptr; }
ObjectHeader* RuntimePictureReference(int32_t) { return nullptr; }

}  // extern "C"
