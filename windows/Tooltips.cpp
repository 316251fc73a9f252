#include "Tooltips.h"

#include <commctrl.h>

#include "core/Platform.h"
#include "host/Application.h"
#include "values/CharacterTables.h"

namespace {
// The tool record of the oldest common controls: 44 bytes.
constexpr UINT kToolRecordSize = 44;
}  // namespace

void InitCommonControlsOnce() {
    static bool sDone = false;
    if (sDone) return;
    sDone = true;
    INITCOMMONCONTROLSEX controls = {sizeof(controls), 0xFF};
    InitCommonControlsEx(&controls);
}

ToolTipOwner::ToolTipOwner() { InitCommonControlsOnce(); }

ToolTipOwner::~ToolTipOwner() {
    if (mToolTip) DestroyWindow(mToolTip);
}

void ToolTipOwner::Remove() {
    if (!mToolTip) return;
    TOOLINFOA tool = {};
    tool.cbSize = kToolRecordSize;
    tool.hwnd = mToolParent;
    tool.uId = reinterpret_cast<UINT_PTR>(mTool);
    SendMessageA(mToolTip, TTM_DELTOOLA, 0, reinterpret_cast<LPARAM>(&tool));
    DestroyWindow(mToolTip);
    mToolTip = nullptr;
}

void ToolTipOwner::Make(HWND tool, const string& text, DWORD exStyle, DWORD style,
                        bool withRect) {
    mTool = tool;
    mToolParent = GetParent(tool);
    const bool wide = IsUnicodePlatform();
    if (wide)
        mToolTip = CreateWindowExW(exStyle, L"tooltips_class32", nullptr, style, CW_USEDEFAULT,
                                   CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, tool, nullptr,
                                   GetModuleHandleW(nullptr), nullptr);
    else
        mToolTip = CreateWindowExA(exStyle, "tooltips_class32", nullptr, style, CW_USEDEFAULT,
                                   CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, tool, nullptr,
                                   GetModuleHandleA(nullptr), nullptr);
    if (!mToolTip) return;
    RECT client = {0, 0, 0, 0};
    if (withRect) GetClientRect(tool, &client);
    if (wide) {
        const string units = text.ToUTF16();
        TOOLINFOW info = {};
        info.cbSize = kToolRecordSize;
        info.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
        info.hwnd = mToolParent;
        info.uId = reinterpret_cast<UINT_PTR>(tool);
        info.rect = client;
        info.lpszText = const_cast<wchar_t*>(units.WidePointer());
        SendMessageW(mToolTip, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&info));
    } else {
        const string bytes = ConvertToSystemScriptEncoding(text);
        TOOLINFOA info = {};
        info.cbSize = kToolRecordSize;
        info.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
        info.hwnd = mToolParent;
        info.uId = reinterpret_cast<UINT_PTR>(tool);
        info.rect = client;
        info.lpszText = const_cast<char*>(bytes.CString());
        SendMessageA(mToolTip, TTM_ADDTOOLA, 0, reinterpret_cast<LPARAM>(&info));
    }
}

void ToolTipOwner::SetText(HWND tool, const string& text) {
    Remove();
    if (text.Length() == 0) return;
    Make(tool, text, WS_EX_TOPMOST, WS_POPUP | TTS_ALWAYSTIP | TTS_NOPREFIX, true);
    if (!mToolTip) return;
    SetWindowPos(mToolTip, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    SendMessageA(mToolTip, TTM_SETMAXTIPWIDTH, 0, 500);
}

void BalloonHelpToolTip::SetText(HWND tool, const string& text) {
    Remove();
    if (text.Length() == 0) return;
    Make(tool, text, 0, WS_POPUP | TTS_BALLOON | TTS_NOPREFIX, false);
    if (!mToolTip) return;
    SendMessageA(mToolTip, TTM_SETMAXTIPWIDTH, 0, 500);
    ObjectHeader* application = getAppObject();
    if (!application) return;
    if (!AppBalloonHelpVisibleGetter(application, 0)) SendMessageA(mToolTip, TTM_ACTIVATE, FALSE, 0);
    RuntimeUnlockObject(application);
}
