#include "ControlKeyAnswers.h"

#include "ControlClasses.h"

bool TextPaneTakesTabs(SubPane*) { return false; }

bool TextPaneTakesReturns(SubPane*) { return false; }

bool ComboBoxListIsOpen(HWND comboBox) {
    return comboBox && SendMessageA(comboBox, CB_GETDROPPEDSTATE, 0, 0) != 0;
}

SubPane* ControlObjectPane(ObjectHeader* control) {
    return IsControl(control) ? ControlFields(control)->pane : nullptr;
}

void FireStaticTextAccelerator(SubPane*) {}

void TabPanelPageChanged(SubPane*, int32_t) {}
