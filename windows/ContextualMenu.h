// The Windows side of contextual menus: a popup built out of MenuItem objects, so that the native
// menu work of the menu items is reused, shown at the mouse position and answering the text of
// the chosen row; and the colour picker.
#pragma once

#include <cstdint>

#include "core/GuardedMemory.h"
#include "core/ObjectModel.h"
#include "core/RuntimeString.h"

struct ContextualMenuImp : RuntimeAllocated {
    ObjectHeader* root;  // owned; its only child is the popup, whose children are the rows
    int32_t chosenId;    // -1 until a row is chosen
};

ContextualMenuImp* NewContextualMenuImp();
void DeleteContextualMenuImp(ContextualMenuImp* record);
void ContextualMenuAddRow(ContextualMenuImp* record, const string& text, ObjectHeader* tag);
void ContextualMenuAddSeparator(ContextualMenuImp* record);
// Shows the popup at the cursor (owner: the pane's window, else the foreground window); false
// when it was dismissed, which keeps the previous choice.
bool ContextualMenuOpen(ContextualMenuImp* record, bool flag, class SubPane* pane);
// The chosen row's text in UTF-8; empty before any choice.
string ContextualMenuSelectedText(ContextualMenuImp* record);

extern "C" {
// colour: 0x00RRGGBB, read and written in place; true when the user confirmed a colour.
bool selectColor(uint32_t* colour);
}
