#include "WindowServices.h"

#include <cstddef>

#include "core/GuardedMemory.h"
#include "core/Platform.h"
#include "host/ShutdownContexts.h"
#include "values/CharacterTables.h"
#include "core/EncodingConversion.h"
#include "windows/MDIFrame.h"
#include "windows/Pane.h"
#include "windows/WindowList.h"

namespace {

struct ModalWindowHandle : RuntimeAllocated {
    HWND window;
    ModalWindowHandle* next;
};

ModalWindowHandle* sModalWindows = nullptr;

HWND FirstVisibleModalWindow() {
    for (ModalWindowHandle* entry = sModalWindows; entry; entry = entry->next)
        if (IsWindowVisible(entry->window)) return entry->window;
    return nullptr;
}

UINT CodePageOfSystemScript(UINT otherwise) {
    switch (SystemScript()) {
        case 13: return 932;
        case 21: return 950;
        default: return otherwise;
    }
}

HWND FindTaskBar() {
    return IsUnicodePlatform() ? FindWindowW(L"SHELL_TRAYWND", nullptr)
                               : FindWindowA("SHELL_TRAYWND", nullptr);
}

// Puts the menu bar and the task bar back when it is destroyed: by ShowMenuBar, or at the end of
// the run.
class MenuBarRestorer : public ShutdownContext {
public:
    ~MenuBarRestorer() override;
};

bool sMenuBarHidden = false;
MenuBarRestorer* sRestorer = nullptr;
HWND sSavedWindow = nullptr;
HMENU sSavedMenu = nullptr;
bool sMenuSaved = false;

HWND MenuTarget() { return IsMDIMode() ? MDIFrameWindow() : GetActiveWindow(); }

MenuBarRestorer::~MenuBarRestorer() {
    if (sRestorer == this) sRestorer = nullptr;
    // Without Window objects no window is full screen and every window shows its menu bar.
    if (IsMDIMode()) {
        if (MDIFrameWindow()) SetMenu(MDIFrameWindow(), sSavedMenu);
    } else if (GetActiveWindow() == sSavedWindow && sSavedMenu) {
        SetMenu(sSavedWindow, sSavedMenu);
        RECT rect;
        GetWindowRect(sSavedWindow, &rect);
        MoveWindow(sSavedWindow, rect.left, rect.top, rect.right - rect.left,
                   rect.bottom - rect.top + GetSystemMetrics(SM_CYMENU), TRUE);
    }
    if (HWND taskBar = FindTaskBar()) ShowWindow(taskBar, SW_SHOWNOACTIVATE);
}

}  // namespace

TextStyle gDefaultTextStyle;

void InitDefaultAppearance() {
    gDefaultTextStyle.fontName = string("System");
    gDefaultTextStyle.size = 10;
    gDefaultTextStyle.bold = gDefaultTextStyle.italic = gDefaultTextStyle.underline = 0;
}

HPALETTE GetUniformPalette() {
    static HPALETTE sPalette = [] {
        struct {
            WORD version;
            WORD count;
            PALETTEENTRY entries[216];
        } palette = {0x300, 216, {}};
        for (int i = 0; i < 6; ++i)
            for (int j = 0; j < 6; ++j)
                for (int k = 0; k < 6; ++k)
                    palette.entries[36 * i + 6 * j + k] = {
                        static_cast<BYTE>(51 * i), static_cast<BYTE>(51 * j),
                        static_cast<BYTE>(51 * k), 0};
        return CreatePalette(reinterpret_cast<LOGPALETTE*>(&palette));
    }();
    return sPalette;
}

void AddVisibleWindowHandle(HWND window) {
    ModalWindowHandle* entry = new ModalWindowHandle;
    entry->window = window;
    entry->next = sModalWindows;
    sModalWindows = entry;
}

void RemoveVisibleWindowHandle(HWND window) {
    for (ModalWindowHandle** link = &sModalWindows; *link;) {
        ModalWindowHandle* entry = *link;
        if (entry->window == window) {
            *link = entry->next;
            delete entry;
        } else {
            link = &entry->next;
        }
    }
}

HWND GetFrontVisibleHWND() {
    if (HWND modal = FirstVisibleModalWindow()) return modal;
    if (IsMDIMode()) return MDIFrameWindow();
    return GetFrontDocumentHWND();
}

bool IsBlockedByFrontWindow(HWND window) {
    HWND front = FirstVisibleModalWindow();
    return front && front != window;
}

void HideMenuBar() {
    if (sMenuBarHidden) return;
    sMenuBarHidden = true;
    if (!sRestorer) sRestorer = new MenuBarRestorer;
    if (HWND taskBar = FindTaskBar()) ShowWindow(taskBar, SW_HIDE);
    HWND target = MenuTarget();
    if (!target) {
        sMenuBarHidden = false;
        return;
    }
    if (!sMenuSaved) {
        sMenuSaved = true;
        sSavedWindow = target;
        sSavedMenu = GetMenu(target);
    }
    if (target != sSavedWindow) return;
    const int menuHeight = GetMenu(target) ? GetSystemMetrics(SM_CYMENU) : 0;
    SetMenu(target, nullptr);
    RECT rect;
    GetWindowRect(target, &rect);
    MoveWindow(target, rect.left, rect.top, rect.right - rect.left,
               rect.bottom - rect.top - menuHeight, TRUE);
}

void ShowMenuBar() {
    if (!sMenuBarHidden) return;
    sMenuBarHidden = false;
    delete sRestorer;
}

void ColorRefToRGBColor16(RGBColor16& out, COLORREF colour) {
    out.red = static_cast<uint16_t>(GetRValue(colour) * 257);
    out.green = static_cast<uint16_t>(GetGValue(colour) * 257);
    out.blue = static_cast<uint16_t>(GetBValue(colour) * 257);
}

void GetHighlightColor(RGBColor16& out) { ColorRefToRGBColor16(out, GetSysColor(COLOR_HIGHLIGHT)); }

wchar_t* NewWideFromString(const string& text) {
    return MultiByteToWide(text.CString() ? text.CString() : "", text.Length(), nullptr,
                           CodePageOfSystemScript(CP_UTF8));
}

string StringFromWideSystem(const wchar_t* text) {
    string result;
    const int units = text ? lstrlenW(text) : 0;
    if (units == 0) return result;
    const UINT codePage = CodePageOfSystemScript(CP_ACP);
    const int size = WideCharToMultiByte(codePage, 0, text, units, nullptr, 0, nullptr, nullptr);
    char* bytes = size > 0 ? result.AllocateBytes(size) : nullptr;
    if (!bytes || WideCharToMultiByte(codePage, 0, text, units, bytes, size, nullptr, nullptr) != size)
        return string();
    result.SetEncoding(SystemTextEncoding());
    return result;
}
