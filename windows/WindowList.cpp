#include "WindowList.h"

#include "core/DefinitionConversion.h"
#include "core/FailureReport.h"
#include "windows/Pane.h"
#include "windows/RuntimeViewWindow.h"

namespace {

SimpleVector<RuntimeWindowRecord*> sWindows;
SimpleVector<ObjectHeader*> sTrayItems;
ObjectHeader* sActiveWindow = nullptr;
bool sMDIMode = false;
void (*sFocusChainEnableMenuItems)() = nullptr;
MenuHandlerMap* sFocusControlHandlers = nullptr;

int32_t IndexOfWindow(ObjectHeader* window) {
    for (uint32_t i = 0; i < sWindows.size(); ++i)
        if (sWindows[i]->window == window) return static_cast<int32_t>(i);
    return -1;
}

const ClassRows kMDIWindowRows = {
    .className = "MDIWindow",
    .superclass = nullptr,
    .objectSize = kObjectHeaderSize,
};

}  // namespace

RuntimeWindowRecord* AddRuntimeWindow(ObjectHeader* window) {
    auto* record = new RuntimeWindowRecord;
    record->window = window;
    sWindows.push_back(record);
    return record;
}

void RemoveRuntimeWindow(ObjectHeader* window) {
    const int32_t index = IndexOfWindow(window);
    if (index < 0) return;
    delete sWindows[index];
    sWindows.remove_at(index);
    if (sActiveWindow == window) sActiveWindow = nullptr;
}

int32_t RuntimeWindowCount() { return static_cast<int32_t>(sWindows.size()); }

namespace {

struct OrderWalk {
    SimpleVector<RuntimeWindowRecord*>* ordered;
    SimpleVector<bool>* taken;
};

bool TakeWindowOfPane(WindowPane* pane, void* data) {
    if (!pane->HasWindowObject()) return true;
    auto* walk = static_cast<OrderWalk*>(data);
    const int32_t index = IndexOfWindow(static_cast<RuntimeViewWindow*>(pane)->mWindow);
    if (index >= 0 && !(*walk->taken)[static_cast<uint32_t>(index)]) {
        (*walk->taken)[static_cast<uint32_t>(index)] = true;
        walk->ordered->push_back(sWindows[static_cast<uint32_t>(index)]);
    }
    return true;
}

// The records front to back, in the order the system enumerates their native windows; records of
// windows that have none (not made yet, or entered by other layers) follow in the order of entry.
SimpleVector<RuntimeWindowRecord*> RecordsInWindowOrder() {
    SimpleVector<RuntimeWindowRecord*> ordered;
    SimpleVector<bool> taken;
    for (uint32_t i = 0; i < sWindows.size(); ++i) taken.push_back(false);
    OrderWalk walk{&ordered, &taken};
    EnumRuntimeWindows(TakeWindowOfPane, &walk);
    for (uint32_t i = 0; i < sWindows.size(); ++i)
        if (!taken[i]) ordered.push_back(sWindows[i]);
    return ordered;
}

}  // namespace

RuntimeWindowRecord* RuntimeWindowAt(int32_t index) {
    if (index < 0 || index >= RuntimeWindowCount()) return nullptr;
    return RecordsInWindowOrder()[static_cast<uint32_t>(index)];
}

RuntimeWindowRecord* FindRuntimeWindow(ObjectHeader* window) {
    const int32_t index = IndexOfWindow(window);
    return index < 0 ? nullptr : sWindows[index];
}

ObjectHeader* GetActiveWindowObject() { return sActiveWindow; }
void SetActiveRuntimeWindow(ObjectHeader* window) { sActiveWindow = window; }

bool TryCloseWindow(ObjectHeader* window, bool appQuitting) {
    RuntimeWindowRecord* record = FindRuntimeWindow(window);
    if (!record) return false;
    if (record->cancelClose && record->cancelClose(window, appQuitting)) return true;
    // A window that closed itself in CancelClose has left the list already.
    record = FindRuntimeWindow(window);
    if (!record) return false;
    if (record->close) record->close(window);
    RemoveRuntimeWindow(window);
    return false;
}

void CloseAllWindows() {
    while (RuntimeWindowCount() > 0) {
        RuntimeWindowRecord* record = sWindows[0];
        ObjectHeader* window = record->window;
        if (record->close) record->close(window);
        RemoveRuntimeWindow(window);
    }
}

ObjectHeader* WindowMenuBar(ObjectHeader* window) {
    RuntimeWindowRecord* record = FindRuntimeWindow(window);
    return record ? record->menuBar : nullptr;
}

MenuHandlerMap* WindowMenuHandlers(ObjectHeader* window) {
    RuntimeWindowRecord* record = FindRuntimeWindow(window);
    return record ? record->menuHandlers : nullptr;
}

void CollectEmbeddedWindows(ObjectHeader* window, SimpleVector<ObjectHeader*>& out) {
    if (window) out.push_back(window);
}

bool WindowIsOpenAndVisible(ObjectHeader* window) {
    RuntimeWindowRecord* record = FindRuntimeWindow(window);
    return record && record->visible;
}

void FireWindowEnableMenuItems(ObjectHeader* window) {
    RuntimeWindowRecord* record = FindRuntimeWindow(window);
    if (record && record->enableMenuItems) record->enableMenuItems(window);
}

void FireFocusChainEnableMenuItems() {
    if (sFocusChainEnableMenuItems) sFocusChainEnableMenuItems();
}

void SetFocusChainEnableMenuItems(void (*callback)()) { sFocusChainEnableMenuItems = callback; }
MenuHandlerMap* FocusControlMenuHandlers() { return sFocusControlHandlers; }
void SetFocusControlMenuHandlers(MenuHandlerMap* map) { sFocusControlHandlers = map; }

bool IsMDIMode() { return sMDIMode; }
void SetMDIMode(bool mdi) { sMDIMode = mdi; }
void AttachMenuBarToMDIFrame(ObjectHeader*) {}

extern "C" void AddTrayItem(ObjectHeader*, ObjectHeader* item) {
    if (!item) return;
    RuntimeLockObject(item);
    sTrayItems.push_back(item);
}

extern "C" void RemoveTrayItem(ObjectHeader*, ObjectHeader* item) {
    for (int32_t i = static_cast<int32_t>(sTrayItems.size()) - 1; i >= 0; --i) {
        if (sTrayItems[i] != item) continue;
        sTrayItems.remove_at(i);
        RuntimeUnlockObject(item);
    }
}

void RemoveAllTrayItems() {
    while (sTrayItems.size() > 0) RuntimeUnlockObject(sTrayItems.pop_back());
}

int32_t TrayItemCount() { return static_cast<int32_t>(sTrayItems.size()); }

ObjectDefinition* MDIWindow() {
    static ObjectDefinition definition;
    return FillClassDefinition(definition, kMDIWindowRows);
}
