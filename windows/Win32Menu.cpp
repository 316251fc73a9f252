#include "Win32Menu.h"

#include <algorithm>
#include <vector>

#include "KeyboardShortcuts.h"
#include "MDIFrame.h"
#include "MenuItemClass.h"
#include "Pane.h"
#include "ShortcutText.h"
#include "WindowList.h"
#include "core/Exceptions.h"
#include "core/FailureReport.h"
#include "core/Platform.h"
#include "values/CharacterTables.h"
#include "core/EncodingConversion.h"

namespace {

constexpr const char* kSource = "Win32Menu";
constexpr int32_t kCommandIdCount = kLastMenuCommandId - kFirstMenuCommandId + 1;

uint8_t sCommandIdInUse[kCommandIdCount];

Win32Menu* Imp(ObjectHeader* item) { return MenuItemImplementation(item); }

string AcceleratorTextOf(const string& commandKey) {
    const std::string text =
        MakeAcceleratorText(std::string_view(commandKey.CString(), commandKey.Length()));
    string result;
    if (!text.empty()) result.SetBytes(text.data(), static_cast<int32_t>(text.size()));
    result.SetEncoding(kEncodingASCII);
    return result;
}

// The native text as the menu calls take it: UTF-16 on the NT family, else the system script.
struct NativeMenuText {
    explicit NativeMenuText(const string& text)
        : wide(IsUnicodePlatform() ? text.ToUTF16() : string()),
          bytes(IsUnicodePlatform() ? string() : ConvertToSystemScriptEncoding(text)) {}
    const void* Pointer() const {
        if (IsUnicodePlatform()) return wide.IsEmpty() ? L"" : wide.WidePointer();
        return bytes.IsEmpty() ? "" : bytes.CString();
    }
    UINT Units() const {
        return static_cast<UINT>(IsUnicodePlatform() ? wide.Length() / 2 : bytes.Length());
    }
    string wide;
    string bytes;
};

BOOL InsertNative(HMENU menu, UINT position, UINT flags, UINT_PTR item, const string& text) {
    if (flags & MF_SEPARATOR)
        return IsUnicodePlatform() ? InsertMenuW(menu, position, flags, item, nullptr)
                                   : InsertMenuA(menu, position, flags, item, nullptr);
    const NativeMenuText native(text);
    flags |= MF_STRING;
    return IsUnicodePlatform()
               ? InsertMenuW(menu, position, flags, item, static_cast<LPCWSTR>(native.Pointer()))
               : InsertMenuA(menu, position, flags, item, static_cast<LPCSTR>(native.Pointer()));
}

// Rewrites an entry's type and text (MIIM_TYPE), by position or by command.
void SetNativeType(HMENU menu, UINT item, bool byPosition, bool separator, const string& text) {
    const NativeMenuText native(text);
    if (IsUnicodePlatform()) {
        MENUITEMINFOW info = {};
        info.cbSize = sizeof(info);
        info.fMask = MIIM_TYPE;
        info.fType = separator ? MFT_SEPARATOR : MFT_STRING;
        if (!separator) {
            info.dwTypeData = const_cast<LPWSTR>(static_cast<LPCWSTR>(native.Pointer()));
            info.cch = native.Units();
        }
        SetMenuItemInfoW(menu, item, byPosition, &info);
    } else {
        MENUITEMINFOA info = {};
        info.cbSize = sizeof(info);
        info.fMask = MIIM_TYPE;
        info.fType = separator ? MFT_SEPARATOR : MFT_STRING;
        if (!separator) {
            info.dwTypeData = const_cast<LPSTR>(static_cast<LPCSTR>(native.Pointer()));
            info.cch = native.Units();
        }
        SetMenuItemInfoA(menu, item, byPosition, &info);
    }
}

// Takes a popup entry out of a menu without destroying its sub-menu, which its item still owns.
void RemoveEntryKeepingSubMenu(HMENU menu, int32_t position) {
    RemoveMenu(menu, static_cast<UINT>(position), MF_BYPOSITION);
}

}  // namespace

int32_t AllocateMenuCommandId() {
    for (int32_t slot = 0; slot < kCommandIdCount; ++slot) {
        if (sCommandIdInUse[slot]) continue;
        sCommandIdInUse[slot] = 1;
        return kFirstMenuCommandId + slot;
    }
    return 0;
}

void FreeMenuCommandId(int32_t id) {
    if (id < kFirstMenuCommandId || id > kLastMenuCommandId) return;
    sCommandIdInUse[id - kFirstMenuCommandId] = 0;
}

string ReadNativeMenuText(HMENU menu, UINT item, UINT flags) {
    string text;
    if (IsUnicodePlatform()) {
        wchar_t buffer[1024];
        const int count = GetMenuStringW(menu, item, buffer, 1024, flags);
        if (count <= 0) return string();
        text.SetWideText(reinterpret_cast<const uint16_t*>(buffer), count);
    } else {
        char buffer[1024];
        const int count = GetMenuStringA(menu, item, buffer, 1024, flags);
        if (count <= 0) return string();
        text.SetBytes(buffer, count);
        text.SetEncoding(SystemTextEncoding());
    }
    return text.ToUTF8();
}

Win32Menu::Win32Menu(bool menuBar) : isMenuBar(menuBar) {
    menuHandle = CreateMenu();
    commandId = AllocateMenuCommandId();
    if (commandId == 0) ReportAssertion(kSource, __LINE__, "commandId", "no menu command id is free");
}

Win32Menu::~Win32Menu() {
    for (int32_t i = 0; i < ChildCount(); ++i) {
        Win32Menu* child = Imp(children[i]);
        if (!child) continue;
        RemoveKeyboardShortcut(child->commandId, menuHandle, 0);
        if (child->isPopup) {
            const int32_t position = NativePositionOf(child);
            if (position >= 0) RemoveEntryKeepingSubMenu(menuHandle, position);
        }
        child->parent = nullptr;
    }
    if (menuHandle) DestroyMenu(menuHandle);
    menuHandle = nullptr;
    FreeMenuCommandId(commandId);
}

string Win32Menu::NativeText() const {
    const string accelerator = AcceleratorTextOf(commandKey);
    if (accelerator.IsEmpty()) return text;
    string native = text.ToUTF8();
    native.AppendCString("\t");
    native.Append(accelerator);
    return native;
}

void Win32Menu::RegisterShortcut() {
    if (!parent) return;
    const string accelerator = AcceleratorTextOf(commandKey);
    if (accelerator.IsEmpty())
        RemoveKeyboardShortcut(commandId, parent->menuHandle, 0);
    else
        AddKeyboardShortcut(commandId, parent->menuHandle, 0, accelerator);
}

int32_t Win32Menu::FindNativePosition(const string& text) const {
    HMENU menu = parent ? parent->menuHandle : ownerWindow ? GetMenu(ownerWindow) : nullptr;
    if (!menu) return -1;
    const string wanted = text.ToUTF8();
    const int count = GetMenuItemCount(menu);
    for (int position = 0; position < count; ++position)
        if (string::Compare(ReadNativeMenuText(menu, static_cast<UINT>(position), MF_BYPOSITION),
                            wanted) == 0)
            return position;
    return -1;
}

int32_t Win32Menu::NativePositionOf(const Win32Menu* child) const {
    const int count = GetMenuItemCount(menuHandle);
    for (int position = 0; position < count; ++position) {
        if (child->isPopup) {
            if (GetSubMenu(menuHandle, position) == child->menuHandle) return position;
        } else if (child->commandId > 0 &&
                   GetMenuItemID(menuHandle, position) == static_cast<UINT>(child->commandId)) {
            return position;
        }
    }
    return -1;
}

int32_t Win32Menu::NativeInsertPosition(int32_t childIndex) const {
    // Just after the entry of the nearest earlier sibling that has one, looked for from the end
    // of the native menu: appending asks the native menu about one entry. Asking it where each
    // earlier sibling is made appending n items take n^3 / 6 native calls.
    std::vector<UINT_PTR> subMenus, ids;
    for (int32_t i = 0; i < childIndex && i < ChildCount(); ++i) {
        const Win32Menu* sibling = Imp(children[i]);
        if (!sibling) continue;
        if (sibling->isPopup)
            subMenus.push_back(reinterpret_cast<UINT_PTR>(sibling->menuHandle));
        else if (sibling->commandId > 0)
            ids.push_back(static_cast<UINT_PTR>(sibling->commandId));
    }
    if (subMenus.empty() && ids.empty()) return 0;
    std::sort(subMenus.begin(), subMenus.end());
    std::sort(ids.begin(), ids.end());
    for (int position = GetMenuItemCount(menuHandle) - 1; position >= 0; --position) {
        const HMENU subMenu = GetSubMenu(menuHandle, position);
        const bool earlier =
            subMenu ? std::binary_search(subMenus.begin(), subMenus.end(),
                                         reinterpret_cast<UINT_PTR>(subMenu))
                    : std::binary_search(ids.begin(), ids.end(),
                                         static_cast<UINT_PTR>(GetMenuItemID(menuHandle, position)));
        if (earlier) return position + 1;
    }
    return 0;
}

void Win32Menu::TurnIntoPopup() {
    if (parent) {
        const int32_t found = parent->NativePositionOf(this);
        const UINT position = found >= 0 ? static_cast<UINT>(found) : 0;
        if (found >= 0) DeleteMenu(parent->menuHandle, position, MF_BYPOSITION);
        DestroyMenu(menuHandle);
        menuHandle = CreatePopupMenu();
        isPopup = true;
        if (found >= 0 || visible)
            InsertNative(parent->menuHandle, position, MF_BYPOSITION | MF_POPUP,
                         reinterpret_cast<UINT_PTR>(menuHandle), text);
        parent->RedrawMenuBar();
    } else if (!isMenuBar) {
        DestroyMenu(menuHandle);
        menuHandle = CreatePopupMenu();
    }
    isPopup = true;
}

void Win32Menu::InsertNativeEntry(Win32Menu* child, int32_t position) {
    if (!child->isPopup && child->commandId <= 0) return;  // no id: reported when it ran out
    UINT flags = MF_BYPOSITION;
    if (child->IsSeparator()) flags |= MF_SEPARATOR;
    if (child->isPopup) flags |= MF_POPUP;
    const string accelerator = AcceleratorTextOf(child->commandKey);
    string native = child->text;
    if (!accelerator.IsEmpty() && !child->isPopup) {
        native = child->NativeText();
        AddKeyboardShortcut(child->commandId, menuHandle, 0, accelerator);
    }
    const UINT_PTR item = child->isPopup ? reinterpret_cast<UINT_PTR>(child->menuHandle)
                                         : static_cast<UINT_PTR>(child->commandId);
    if (InsertNative(menuHandle, static_cast<UINT>(position), flags, item, native)) ++nativeCount;
}

void Win32Menu::Append(ObjectHeader* item) { Insert(item, ChildCount()); }

void Win32Menu::Insert(ObjectHeader* item, int32_t position) {
    Win32Menu* child = Imp(item);
    if (!child) return ReportAssertion(kSource, __LINE__, "kid");
    Menu::Insert(item, position);
    if (child->commandId == -1) {
        child->commandId = AllocateMenuCommandId();
        if (child->commandId == 0)
            ReportAssertion(kSource, __LINE__, "commandId", "no menu command id is free");
    }
    if (!isPopup) TurnIntoPopup();
    child->parent = this;
    child->ownerWindow = ownerWindow;
    if (child->visible) InsertNativeEntry(child, NativeInsertPosition(position));
    if (!child->enabled) child->Disable();
    if (child->checked) child->SetChecked(true);
    RedrawMenuBar();
}

void Win32Menu::Remove(ObjectHeader* item) {
    Win32Menu* child = Imp(item);
    if (!item || !child) return ReportAssertion(kSource, 508, "kid");
    bool isChild = false;
    for (int32_t i = 0; i < ChildCount(); ++i) isChild |= children[i] == item;
    if (!isChild) return;
    RemoveKeyboardShortcut(child->commandId, menuHandle, 0);
    const int32_t position = NativePositionOf(child);
    bool deleted = false;
    if (position >= 0) {
        if (child->isPopup)
            RemoveEntryKeepingSubMenu(menuHandle, position);
        else
            DeleteMenu(menuHandle, static_cast<UINT>(position), MF_BYPOSITION);
        deleted = true;
    }
    RedrawMenuBar();
    if (!deleted) return;
    FreeMenuCommandId(child->commandId);
    child->commandId = -1;
    child->parent = nullptr;
    --nativeCount;
    Menu::Remove(item);
}

void Win32Menu::RemoveAt(int32_t position) {
    ObjectHeader* child = ChildAt(position);
    if (!child) return;
    Remove(child);
    RuntimeUnlockObject(child);
}

void Win32Menu::Enable() {
    Menu::Enable();
    if (parent && commandId > 0)
        EnableMenuItem(parent->menuHandle, static_cast<UINT>(commandId), MF_BYCOMMAND | MF_ENABLED);
}

void Win32Menu::Disable() {
    Menu::Disable();
    if (parent && !IsInMenuBar() && commandId > 0)
        EnableMenuItem(parent->menuHandle, static_cast<UINT>(commandId), MF_BYCOMMAND | MF_GRAYED);
}

void Win32Menu::SetChecked(bool flag) {
    Menu::SetChecked(flag);
    if (parent && commandId > 0)
        CheckMenuItem(parent->menuHandle, static_cast<UINT>(commandId),
                      MF_BYCOMMAND | (flag ? MF_CHECKED : MF_UNCHECKED));
}

void Win32Menu::SetText(const string& value) {
    Menu::SetText(value);
    if (!parent) return;
    const int32_t position = parent->NativePositionOf(this);
    if (position < 0) return;
    SetNativeType(parent->menuHandle, static_cast<UINT>(position), true, IsSeparator(),
                  isPopup ? text : NativeText());
    if (IsInMenuBar() || isPopup) parent->RedrawMenuBar();
}

void Win32Menu::SetCommandKey(const string& key) {
    Menu::SetCommandKey(key);
    if (!parent || IsSeparator() || isPopup) return;
    RegisterShortcut();
    if (commandId > 0 && parent->NativePositionOf(this) >= 0)
        SetNativeType(parent->menuHandle, static_cast<UINT>(commandId), false, false, NativeText());
}

void Win32Menu::SetVisible(bool flag) {
    if (flag == visible) return;
    if (IsInMenuBar() || isPopup) {
        RaiseExceptionWithMessage(
            UnsupportedFormatException(),
            string("You cannot set the visibility of a sub-menu or top-level menu"), 0);
        return;
    }
    Menu::SetVisible(flag);
    if (!parent) return;
    if (!flag) {
        RemoveKeyboardShortcut(commandId, parent->menuHandle, 0);
        DeleteMenu(parent->menuHandle, static_cast<UINT>(commandId), MF_BYCOMMAND);
    } else {
        int32_t childIndex = 0;
        while (childIndex < parent->ChildCount() && Imp(parent->children[childIndex]) != this)
            ++childIndex;
        parent->InsertNativeEntry(this, parent->NativeInsertPosition(childIndex));
        if (!enabled) Disable();
        if (checked) SetChecked(true);
    }
    parent->RedrawMenuBar();
}

ObjectHeader* Win32Menu::FindByCommandId(int32_t id) const {
    for (int32_t i = 0; i < ChildCount(); ++i) {
        Win32Menu* child = Imp(children[i]);
        if (!child) continue;
        if (child->commandId == id) {
            RuntimeLockObject(children[i]);
            return children[i];
        }
        if (ObjectHeader* found = child->FindByCommandId(id)) return found;
    }
    return nullptr;
}

void Win32Menu::SetWindowDeep(HWND window) {
    for (int32_t i = 0; i < ChildCount(); ++i)
        if (Win32Menu* child = Imp(children[i])) child->SetWindowDeep(window);
    ownerWindow = window;
}

void Win32Menu::RedrawMenuBar() const {
    if (!isMenuBar || !menuHandle) return;
    if (IsMDIMode()) {
        if (HWND frame = MDIFrameWindow(); frame && GetMenu(frame) == menuHandle) DrawMenuBar(frame);
        return;
    }
    for (WindowPane* pane = gWindowPaneList; pane; pane = pane->nextWindow)
        if (pane->GetHWND() && GetMenu(pane->GetHWND()) == menuHandle) DrawMenuBar(pane->GetHWND());
    if (ownerWindow && GetMenu(ownerWindow) == menuHandle) DrawMenuBar(ownerWindow);
}
