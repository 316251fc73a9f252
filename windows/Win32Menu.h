// The Windows implementation of a menu item: a Menu that owns a native menu and a command id and
// mirrors every change of text, command key, state and children into the native menu of its
// parent. The command-id table links a WM_COMMAND back to its item; the item's command key is
// registered as a keyboard shortcut under the menu that contains it.
#pragma once

#include <windows.h>

#include "windows/Menu.h"

// Command ids from 1000; the first 1,024 items take 1000 to 2023 as before, later ones 2024 to
// 9999 (below the MDI client's child ids). Lowest first, so a freed id is the next one reused. 0
// when every id is in use.
constexpr int32_t kFirstMenuCommandId = 1000;
constexpr int32_t kLastMenuCommandId = 9999;
int32_t AllocateMenuCommandId();
void FreeMenuCommandId(int32_t id);

class Win32Menu : public Menu {
public:
    explicit Win32Menu(bool menuBar);
    // Detaches the children (their shortcuts and their sub-menus, which may live on elsewhere),
    // destroys the native menu and frees the command id.
    ~Win32Menu() override;

    void Enable() override;
    void Disable() override;
    void SetText(const string& value) override;
    void SetChecked(bool flag) override;
    // Refuses titles of a menu bar and sub-menus with UnsupportedFormatException.
    void SetVisible(bool flag) override;
    void SetCommandKey(const string& key) override;
    void Append(ObjectHeader* item) override;
    void Insert(ObjectHeader* item, int32_t position) override;
    void Remove(ObjectHeader* item) override;
    void RemoveAt(int32_t position) override;
    virtual bool IsInMenuBar() const { return parent && parent->isMenuBar; }
    // The descendant with that command id (depth first, not this item), with a new reference.
    virtual ObjectHeader* FindByCommandId(int32_t id) const;

    // Sets the window whose menu bar holds the tree on every descendant and on this item.
    void SetWindowDeep(HWND window);
    // DrawMenuBar on the windows whose menu bar is this item's menu.
    void RedrawMenuBar() const;
    // The caption, TAB and the accelerator text of the command key when there is one.
    string NativeText() const;
    // The first position, in the parent's native menu (without a parent, the menu bar of the
    // owner window), whose entry text equals text, case counting: the caption and any
    // accelerator text after a TAB. -1 when there is no such menu or entry. Captions may repeat,
    // so the item's own entry is found by sub-menu handle or command id instead.
    int32_t FindNativePosition(const string& text) const;

    int32_t nativeCount = 0;
    HWND ownerWindow = nullptr;
    Win32Menu* parent = nullptr;  // not owned
    bool isPopup = false;
    bool isMenuBar = false;
    HMENU menuHandle = nullptr;

private:
    // The position of a child's entry in this item's native menu, or -1.
    int32_t NativePositionOf(const Win32Menu* child) const;
    // Where a child at a child index goes among the entries of its visible siblings.
    int32_t NativeInsertPosition(int32_t childIndex) const;
    void TurnIntoPopup();
    // Inserts a child's native entry at a native position (its shortcut registered too).
    void InsertNativeEntry(Win32Menu* child, int32_t position);
    void RegisterShortcut();
};

// Reads a native menu entry's text (by position or by command) as a UTF-8 runtime string.
string ReadNativeMenuText(HMENU menu, UINT item, UINT flags);
