#include "Keyboard.h"

#include <windows.h>

#include "core/DefinitionConversion.h"
#include "core/FailureReport.h"
#include "core/Platform.h"
#include "core/StringMap.h"
#include "core/IntrinsicTypes.h"
#include "core/EncodingConversion.h"

int32_t gKeyModifiers = 0;

namespace {

bool IsDown(int virtualKey) { return GetAsyncKeyState(virtualKey) < 0; }

PropertyEntry ModifierRow(const char* name, bool asynchronous, int32_t parameter) {
    if (asynchronous)
        return {0, name, AsType(&kBooleanType), RowFunction(asyncModifierKeyGetter),
                "asyncModifierKeyGetter", nullptr, nullptr, parameter, 0};
    return {0, name, AsType(&kBooleanType), RowFunction(modifierKeyGetter),
            "modifierKeyGetter", nullptr, nullptr, parameter, 0};
}

PropertyEntry kKeyboardProperties[] = {
    ModifierRow("ShiftKey", false, kModifierShift),
    ModifierRow("CommandKey", false, kModifierWindows),
    ModifierRow("OSKey", false, kModifierWindows),
    ModifierRow("ControlKey", false, kModifierControl),
    ModifierRow("OptionKey", false, kModifierAlt),
    ModifierRow("AltKey", false, kModifierAlt),
    ModifierRow("AsyncShiftKey", true, kModifierShift),
    ModifierRow("AsyncCommandKey", true, kModifierWindows),
    ModifierRow("AsyncOSKey", true, kModifierWindows),
    ModifierRow("AsyncControlKey", true, kModifierControl),
    ModifierRow("AsyncOptionKey", true, kModifierAlt),
    ModifierRow("AsyncAltKey", true, kModifierAlt),
    ModifierRow("MenuShortcutKey", false, -1),
    ModifierRow("AlternateMenuShortcutKey", false, -2),
    ModifierRow("AsyncMenuShortcutKey", true, -1),
    ModifierRow("AsyncAlternateMenuShortcutKey", true, -2),
};

ParameterEntry kKeyCodeParameter[] = {{"KeyCode", AsType(&kIntegerType), 0, 0, 0, 0}};

MethodEntry kKeyboardMethods[] = {
    {"AsyncKeyDown", AsType(&kBooleanType), kKeyCodeParameter, 1,
     Function(keyboardAsyncKeyDown, "keyboardAsyncKeyDown"), {}, kMethodPlain, kRowAttr4, 0},
    {"KeyName", AsType(&kStringType), kKeyCodeParameter, 1,
     Function(keyboardKeyName, "keyboardKeyName"), {}, kMethodPlain, kRowAttr4, 0},
};

const ClassRows kKeyboardRows = {
    .className = "_Keyboard",
    .superclass = nullptr,
    .objectSize = kObjectHeaderSize,
    .properties = kKeyboardProperties,
    .methods = kKeyboardMethods,
};

StringMap<int32_t>* sKeyMap = nullptr;

}  // namespace

int32_t MouseKeyModifiers(uint32_t wParam) {
    int32_t modifiers = 0;
    if (wParam & MK_CONTROL) modifiers |= kModifierControl;
    if (wParam & MK_SHIFT) modifiers |= kModifierShift;
    if (GetKeyState(VK_MENU) < 0) modifiers |= kModifierAlt;
    return modifiers;
}

void UpdateKeyModifiers() {
    int32_t modifiers = 0;
    if (GetKeyState(VK_CONTROL) < 0) modifiers |= kModifierControl;
    if (GetKeyState(VK_SHIFT) < 0) modifiers |= kModifierShift;
    if (GetKeyState(VK_MENU) < 0) modifiers |= kModifierAlt;
    if (GetKeyState(VK_LWIN) < 0 || GetKeyState(VK_RWIN) < 0) modifiers |= kModifierWindows;
    gKeyModifiers = modifiers;
}

int32_t GetAsyncKeyModifiers() {
    int32_t modifiers = 0;
    if (IsDown(VK_CONTROL)) modifiers |= kModifierControl;
    if (IsDown(VK_MENU)) modifiers |= kModifierAlt;
    if (IsDown(VK_SHIFT)) modifiers |= kModifierShift;
    return modifiers;
}

ObjectDefinition* KeyboardClass() {
    static ObjectDefinition definition;
    return FillClassDefinition(definition, kKeyboardRows);
}

extern "C" {

ObjectHeader* getKeyboardObject() { return CreateInstance(KeyboardClass()); }

bool modifierKeyGetter(ObjectHeader*, int32_t parameter) {
    if (parameter == -1) return menuModifierKeyGetter(false);
    if (parameter == -2) return alternateMenuShortcutKeyGetter(false);
    return (parameter & gKeyModifiers) != 0;
}

bool asyncModifierKeyGetter(ObjectHeader*, int32_t parameter) {
    switch (parameter) {
        case kModifierWindows: return IsDown(VK_LWIN) || IsDown(VK_RWIN);
        case kModifierShift:
        case -2: return IsDown(VK_SHIFT);
        case kModifierAlt: return IsDown(VK_MENU);
        case kModifierControl:
        case -1: return IsDown(VK_CONTROL);
        default: return false;
    }
}

bool menuModifierKeyGetter(bool asynchronous) {
    return asynchronous ? IsDown(VK_CONTROL) : (gKeyModifiers & kModifierControl) != 0;
}

bool alternateMenuShortcutKeyGetter(bool asynchronous) {
    return asynchronous ? IsDown(VK_SHIFT) : (gKeyModifiers & kModifierShift) != 0;
}

bool keyboardAsyncKeyDown(ObjectHeader*, int32_t keyCode) {
    return IsDown(ConvertToWin32KeyCode(keyCode) & 0xFFFF);
}

StringRecord* keyboardKeyName(ObjectHeader*, int32_t keyCode) {
    if (const char* name = KeyCodeName(keyCode)) return string(name).Detach();
    const UINT virtualKey = static_cast<UINT>(ConvertToWin32KeyCode(keyCode));
    const LONG scanCode = static_cast<LONG>(MapVirtualKeyA(virtualKey, 0)) << 16;
    string text;
    if (IsUnicodePlatform()) {
        wchar_t name[32];
        const int count = GetKeyNameTextW(scanCode, name, 32);
        if (count > 0) text.SetWideText(reinterpret_cast<const uint16_t*>(name), count);
    } else {
        char name[32];
        const int count = GetKeyNameTextA(scanCode, name, 32);
        if (count > 0) {
            text.SetBytes(name, count);
            text.SetEncoding(SystemTextEncoding());
        }
    }
    return text.Detach();
}

int32_t ConvertToWin32KeyCode(int32_t keyCode) { return KeyCodeToVirtualKey(keyCode); }

int32_t ConvertStringToWin32KeyCode(StringRecord* name) {
    if (!sKeyMap) {
        sKeyMap = new StringMap<int32_t>(256);
        if (!sKeyMap) {
            ReportAssertion("Keyboard", 181, "sKeyMap");
            return 0;
        }
        for (int32_t i = 0; i < NamedKeyCount(); ++i)
            sKeyMap->SetEntry(string(NamedKeyAt(i).name), NamedKeyAt(i).virtualKey);
    }
    int32_t code = 0;
    return sKeyMap->GetEntry(string(name), code) ? code : 0;
}

}  // extern "C"
