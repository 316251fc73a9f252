#include "ContextualMenu.h"

#include <windows.h>
#include <commdlg.h>

#include "MenuItemClass.h"
#include "Pane.h"
#include "PopupMenuTracking.h"
#include "WindowMessages.h"
#include "WindowServices.h"
#include "core/DefinitionConversion.h"
#include "core/FailureReport.h"

namespace {

constexpr const char* kSource = "win32cmm";

static_assert(sizeof(CHOOSECOLORA) == 36);

COLORREF sCustomColours[16];
bool sColourDialogOpen = false;

uint32_t SwapRedBlue(uint32_t colour) {
    return (colour & 0x00FF00) | ((colour & 0xFF) << 16) | ((colour >> 16) & 0xFF);
}

void AddItem(ContextualMenuImp* record, const string& text, ObjectHeader* tag, int32_t line) {
    Win32Menu* root = record ? MenuItemImplementation(record->root) : nullptr;
    ObjectHeader* popup = root && root->ChildCount() > 0 ? root->children[0] : nullptr;
    if (!popup) return ReportAssertion(kSource, line, "parent");
    ObjectHeader* row = CreateInstance(MenuItem());
    Win32Menu* imp = MenuItemImplementation(row);
    imp->SetText(text);
    imp->SetTag(tag);
    MenuItemImplementation(popup)->Append(row);
    RuntimeUnlockObject(row);
}

}  // namespace

ContextualMenuImp* NewContextualMenuImp() {
    auto* record = new ContextualMenuImp;
    record->root = CreateInstance(MenuItem());
    ObjectHeader* popup = CreateInstance(MenuItem());
    MenuItemImplementation(record->root)->Append(popup);
    RuntimeUnlockObject(popup);
    record->chosenId = -1;
    return record;
}

void DeleteContextualMenuImp(ContextualMenuImp* record) {
    if (!record) return;
    RuntimeUnlockObject(record->root);
    delete record;
}

void ContextualMenuAddRow(ContextualMenuImp* record, const string& text, ObjectHeader* tag) {
    AddItem(record, text, tag, 82);
}

void ContextualMenuAddSeparator(ContextualMenuImp* record) {
    AddItem(record, string("-"), nullptr, 102);
}

bool ContextualMenuOpen(ContextualMenuImp* record, bool, SubPane* pane) {
    if (!record) return false;
    POINT cursor = {};
    GetCursorPos(&cursor);
    ModalTrackingEnded = false;
    HWND owner = pane ? pane->GetHWND() : GetForegroundWindow();
    HMENU popup = GetSubMenu(MenuItemImplementation(record->root)->menuHandle, 0);
    const UINT chosen = TrackPopupMenuFramed(popup, TPM_RETURNCMD | TPM_NONOTIFY | TPM_RIGHTBUTTON,
                                             cursor.x, cursor.y, owner);
    if (chosen == 0) return false;
    ModalTrackingEnded = true;
    record->chosenId = static_cast<int32_t>(chosen);
    return true;
}

string ContextualMenuSelectedText(ContextualMenuImp* record) {
    if (!record || record->chosenId == -1) return string();
    return ReadNativeMenuText(MenuItemImplementation(record->root)->menuHandle,
                              static_cast<UINT>(record->chosenId), MF_BYCOMMAND);
}

extern "C" bool selectColor(uint32_t* colour) {
    if (sColourDialogOpen || !colour) return false;
    sColourDialogOpen = true;
    CHOOSECOLORA choose = {};
    choose.lStructSize = sizeof(choose);
    choose.hwndOwner = GetFrontVisibleHWND();
    choose.rgbResult = SwapRedBlue(*colour);
    choose.lpCustColors = sCustomColours;
    choose.Flags = CC_RGBINIT;
    const bool confirmed = ChooseColorA(&choose) != FALSE;
    if (confirmed) *colour = SwapRedBlue(choose.rgbResult);
    sColourDialogOpen = false;
    return confirmed;
}
