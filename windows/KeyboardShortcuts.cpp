#include "KeyboardShortcuts.h"

#include <commctrl.h>

#include <string>

#include "EventLoopWindows.h"
#include "FrontWindowSeam.h"
#include "Keyboard.h"
#include "KeyCodes.h"
#include "Pane.h"
#include "ShortcutText.h"
#include "WindowMessages.h"
#include "controls/ControlKeyAnswers.h"
#include "controls/NativeControlPane.h"
#include "core/FailureReport.h"
#include "core/GuardedMemory.h"
#include "core/Platform.h"
#include "host/EventLoop.h"
#include "host/MenuCommands.h"

namespace {

struct KeyboardShortcut : RuntimeAllocated {
    KeyboardShortcut* next;
    int64_t target;
    int32_t kind;
    std::string text;
};

KeyboardShortcut* sShortcuts = nullptr;
// Changes with every registration and removal, so a walk that called out notices a changed list.
uint32_t sShortcutGeneration = 0;

bool EqualsNoCase(const std::string& a, const std::string& b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i) {
        char x = a[i], y = b[i];
        if (x >= 'A' && x <= 'Z') x = static_cast<char>(x + 32);
        if (y >= 'A' && y <= 'Z') y = static_cast<char>(y + 32);
        if (x != y) return false;
    }
    return true;
}

bool ClassIs(const char* className, const char* name) { return lstrcmpiA(className, name) == 0; }

bool IsRichEditClass(const char* className) {
    return ClassIs(className, "RICHEDIT") || ClassIs(className, "RICHEDIT20W");
}

bool IsDown(int virtualKey) { return GetKeyState(virtualKey) < 0; }

// VkKeyScanA of every character, cached per keyboard layout: the key translation asks for up to
// 224 characters on every press.
struct KeyScanCache {
    HKL layout = nullptr;
    bool filled = false;
    int16_t scan[256];
};

int16_t CachedKeyScan(uint8_t character, void* context) {
    auto* cache = static_cast<KeyScanCache*>(context);
    const HKL layout = GetKeyboardLayout(0);
    if (!cache->filled || cache->layout != layout) {
        for (int c = 0; c < 256; ++c) cache->scan[c] = VkKeyScanA(static_cast<char>(c));
        cache->layout = layout;
        cache->filled = true;
    }
    return cache->scan[character];
}

KeyScanCache sKeyScanCache;

bool PaneIsLive(SubPane* pane) { return pane && pane->enabled && pane->visible && pane->shown; }

// Fires a matching registration; false when it does not fire (the walk goes on).
bool FireShortcut(const KeyboardShortcut& node, bool modal) {
    switch (node.kind & 0xFFFF) {
        case kMenuShortcut: {
            const auto menu = reinterpret_cast<HMENU>(static_cast<uintptr_t>(
                static_cast<uint64_t>(node.target) >> 32));
            const auto commandId = static_cast<UINT>(static_cast<uint32_t>(node.target));
            const UINT state = GetMenuState(menu, commandId, MF_BYCOMMAND);
            if (state == static_cast<UINT>(-1) || (state & MF_GRAYED)) return false;
            return HandleMenuCommand(modal, static_cast<int32_t>(commandId));
        }
        case kButtonShortcut: {
            NativeControlPane* pane =
                NativeControlPaneOf(reinterpret_cast<HWND>(static_cast<intptr_t>(node.target)));
            if (!pane || !front_window_seam::IsKeyWindowOrFloating(FindWindowPane(pane)) ||
                !PaneIsLive(pane))
                return false;
            pane->OnCommand(0);
            return true;
        }
        case kPluginControlShortcut: {
            SubPane* pane = ControlObjectPane(
                reinterpret_cast<ObjectHeader*>(static_cast<intptr_t>(node.target)));
            if (!pane || !front_window_seam::IsKeyWindowOrFloating(FindWindowPane(pane)) ||
                !PaneIsLive(pane))
                return false;
            pane->MouseDown(0, 0, 0);
            ReleaseCapturePane();
            return true;
        }
        case kTabPageShortcut: {
            const HWND tabs = reinterpret_cast<HWND>(static_cast<intptr_t>(node.target));
            const int32_t page = static_cast<int32_t>(static_cast<uint32_t>(node.kind) >> 16);
            NativeControlPane* pane = NativeControlPaneOf(tabs);
            if (!pane || !front_window_seam::IsKeyWindowOrFloating(FindWindowPane(pane)) ||
                !PaneIsLive(pane) || SendMessageA(tabs, TCM_GETCURSEL, 0, 0) == page)
                return false;
            pane->TakeFocus();
            SendMessageA(tabs, TCM_SETCURSEL, static_cast<WPARAM>(page), 0);
            TabPanelPageChanged(pane, page);
            return true;
        }
        case kStaticTextShortcut: {
            auto* pane = reinterpret_cast<SubPane*>(static_cast<intptr_t>(node.target));
            if (!front_window_seam::IsKeyWindowOrFloating(FindWindowPane(pane)) ||
                !pane->visible || !pane->shown)
                return false;
            FireStaticTextAccelerator(pane);
            return true;
        }
        default: return false;
    }
}

// Walks the list for the shortcut text (or, for controls, the alternative text).
bool FireFirstMatchingShortcut(const std::string& text, const std::string& alternative,
                               bool modal) {
    const uint32_t generation = sShortcutGeneration;
    for (KeyboardShortcut* node = sShortcuts; node; node = node->next) {
        const bool isMenu = (node->kind & 0xFFFF) == kMenuShortcut;
        if (!EqualsNoCase(node->text, text) && (isMenu || !EqualsNoCase(node->text, alternative)))
            continue;
        if (FireShortcut(*node, modal)) return true;
        if (generation != sShortcutGeneration) return false;  // a handler changed the list
    }
    return false;
}

void MoveFocusTo(SubPane* next) {
    if (!next) return;
    next->TabbedInto();
    next->TakeFocus();
}

std::string KeyCharacterText(int32_t virtualKey, bool shift) {
    return std::string(1, static_cast<char>(VirtualKeyToKeyCode(virtualKey, shift)));
}

}  // namespace

void AddKeyboardShortcut(int64_t target, int32_t kind, const string& text) {
    RemoveKeyboardShortcut(target, kind);
    std::string normalized(text.CString() ? text.CString() : "", text.Length());
    for (char& c : normalized)
        if (c == '+') c = '-';
    std::string shortcut;
    if ((kind & 0xFFFF) == kMenuShortcut) {
        shortcut = MakeAcceleratorText(normalized);
    } else if (!MakeControlShortcutText(normalized, shortcut)) {
        ReportAssertion("win32windows", 1468, "hasAlt");
        return;
    }
    auto* node = new KeyboardShortcut;
    node->next = sShortcuts;
    node->target = target;
    node->kind = kind;
    node->text = std::move(shortcut);
    sShortcuts = node;
    ++sShortcutGeneration;
}

void RemoveKeyboardShortcut(int64_t target, int32_t kind) {
    for (KeyboardShortcut** link = &sShortcuts; *link; link = &(*link)->next) {
        KeyboardShortcut* node = *link;
        if (node->target != target || node->kind != kind) continue;
        *link = node->next;
        delete node;
        ++sShortcutGeneration;
        return;
    }
}

string RegisteredShortcutText(int64_t target, int32_t kind) {
    for (KeyboardShortcut* node = sShortcuts; node; node = node->next) {
        if (node->target != target || node->kind != kind) continue;
        string text;
        text.SetBytes(node->text.data(), static_cast<int32_t>(node->text.size()));
        text.SetEncoding(kEncodingASCII);
        return text;
    }
    return string();
}

int32_t KeyboardShortcutCount() {
    int32_t count = 0;
    for (KeyboardShortcut* node = sShortcuts; node; node = node->next) ++count;
    return count;
}

int32_t GetCurrentKeyModifiers() {
    int32_t modifiers = 0;
    if (IsDown(VK_CONTROL)) modifiers |= kModifierControl;
    if (IsDown(VK_MENU)) modifiers |= kModifierAlt;
    if (IsDown(VK_SHIFT)) modifiers |= kModifierShift;
    if (IsDown(VK_LWIN) || IsDown(VK_RWIN)) modifiers |= kModifierWindows;
    return modifiers;
}

int32_t VirtualKeyToKeyCode(int32_t virtualKey, bool shift) {
    KeyTranslationState state{};
    state.anyModifier = GetAsyncKeyModifiers() != 0;
    state.ctrlAndAlt = IsDown(VK_CONTROL) && IsDown(VK_MENU);
    state.capsLock = (GetKeyState(VK_CAPITAL) & 1) != 0;
    state.oemNames = IsWindows2000OrLater();
    state.keyScan = CachedKeyScan;
    state.context = &sKeyScanCache;
    return VirtualKeyToKeyCodeWith(virtualKey, shift, state);
}

bool TranslateKeyMessage(MSG* message) {
    SubPane* focus = GetFocusPane();
    char className[256] = {};
    GetClassNameA(message->hwnd, className, 255);
    RecordCurrentEvent(message->hwnd, message->message, message->wParam, message->lParam);
    if (message->message != WM_KEYDOWN && message->message != WM_SYSKEYDOWN) return false;
    int32_t vk = static_cast<int32_t>(message->wParam);
    if (vk == 255) return false;

    const int32_t modifiers = GetCurrentKeyModifiers();
    if (modifiers == 0 && vk >= 166 && vk <= 183) return false;
    const bool shift = (modifiers & kModifierShift) != 0;
    std::string shortcut;
    if (modifiers & kModifierControl) shortcut += "Ctrl+";
    if (shift) shortcut += "Shift+";
    if (modifiers & kModifierAlt) {
        shortcut += "Alt+";
        if (IsWindows2000OrLater())
            SendMessageW(message->hwnd, WM_CHANGEUISTATE, MAKEWPARAM(UIS_CLEAR, UISF_HIDEACCEL), 0);
    }
    gKeyModifiers = modifiers;
    if (const char* name = ShortcutKeyName(vk))
        shortcut += name;
    else
        shortcut += KeyCharacterText(vk, shift);

    WindowPane* window = FindWindowPaneForHWND(message->hwnd);
    const bool modal = window && window->IsModal();
    std::string alternative = "FAKE";
    if (modifiers == 0 && focus && focus->LetsKeysNavigate())
        alternative = "Alt+" + KeyCharacterText(vk, false);
    if (modifiers != 0) UpdateMenuItems(modal, nullptr);
    if (FireFirstMatchingShortcut(shortcut, alternative, modal)) return true;

    window = FindWindowPaneForHWND(message->hwnd);
    if (!window) return false;
    WeakPaneRef windowRef(window);
    WeakPaneRef focusRef(focus);

    if (IsModifierOrLockKey(vk)) shortcut.clear();
    bool offerWindow = true;
    if (vk == VK_RETURN && (message->lParam & (1 << 24))) vk = 151;
    const auto keyCode = static_cast<uint8_t>(VirtualKeyToKeyCode(vk, shift));

    if (focusRef.pane && focusRef.pane != windowRef.pane) {
        if (IsRichEditClass(className) || ClassIs(className, "Edit")) offerWindow = false;
        if (!shortcut.empty() &&
            focusRef.pane->KeyDown(keyCode, static_cast<uint8_t>(vk), modifiers))
            return true;
    }
    if (offerWindow && !shortcut.empty() && windowRef.pane &&
        windowRef.pane->KeyDown(keyCode, static_cast<uint8_t>(vk), modifiers))
        return true;

    window = FindWindowPaneForHWND(message->hwnd);
    if (!window) return false;
    focus = focusRef.pane;
    switch (vk) {
        case VK_LEFT:
        case VK_UP:
        case VK_RIGHT:
        case VK_DOWN: {
            if (!focus || !focus->LetsKeysNavigate()) return false;
            const bool back = vk == VK_LEFT || vk == VK_UP;
            MoveFocusTo(back ? window->PreviousFocusControl(focus) : window->NextFocusControl(focus));
            return true;
        }
        case VK_TAB: {
            if (IsDown(VK_CONTROL)) return false;
            SubPane* next = nullptr;
            if (IsDown(VK_SHIFT)) {
                next = window->PreviousFocusControl(focus);
            } else {
                if (IsRichEditClass(className) && focus && focus->GetHWND() == message->hwnd &&
                    TextPaneTakesTabs(focus))
                    return false;
                next = window->NextFocusControl(focus);
            }
            MoveFocusTo(next);
            return true;
        }
        case VK_RETURN:
        case 151: {
            SubPane* button = window->defaultButton;
            if (IsRichEditClass(className) && focus && focus->GetHWND() == message->hwnd &&
                TextPaneTakesReturns(focus) && !(button && vk == 151))
                return false;
            if (ClassIs(className, "COMBOBOX") && ComboBoxListIsOpen(message->hwnd)) return false;
            if (button) button->Push();
            return false;
        }
        case VK_ESCAPE: {
            if (ClassIs(className, "COMBOBOX") && ComboBoxListIsOpen(message->hwnd)) return false;
            SubPane* cancel = window->FindCancelButton();
            if (!cancel) return false;
            cancel->Push();
            return true;
        }
        default: return false;
    }
}

void PumpOneMessage() {
    MSG message;
    if (!PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) return;
    if (TranslateKeyMessage(&message) || TranslateMDIAccelerators(&message)) return;
    TranslateMessage(&message);
    DispatchMessageA(&message);
}
