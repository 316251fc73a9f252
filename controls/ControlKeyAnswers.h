// What the key pre-translation asks of controls: whether a text pane keeps Tab and Return
// characters, whether a combo box's list is open, the pane of a plug-in control object, a static
// text's accelerator and a tab panel's page change.
//
// The least the window system needs until the control classes come: no text pane, static text,
// tab panel or plug-in control exists yet, so a text pane takes neither key, a control object
// answers its own pane, a static text's accelerator does nothing and a page change has no callback to run.
#pragma once

#include <windows.h>

#include <cstdint>

#include "core/ObjectModel.h"

class SubPane;

bool TextPaneTakesTabs(SubPane* pane);
bool TextPaneTakesReturns(SubPane* pane);
// The drop-down list of the combo box window is open.
bool ComboBoxListIsOpen(HWND comboBox);
// The pane that receives a control object's clicks, or null.
SubPane* ControlObjectPane(ObjectHeader* control);
void FireStaticTextAccelerator(SubPane* staticText);
void TabPanelPageChanged(SubPane* tabPanel, int32_t page);
