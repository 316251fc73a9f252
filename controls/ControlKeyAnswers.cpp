#include "ControlKeyAnswers.h"

bool TextPaneTakesTabs(SubPane*) { return false; }

bool TextPaneTakesReturns(SubPane*) { return false; }

bool ComboBoxListIsOpen(HWND comboBox) {
    return comboBox && SendMessageA(comboBox, CB_GETDROPPEDSTATE, 0, 0) != 0;
}

SubPane* ControlObjectPane(ObjectHeader*) { return nullptr; }

void FireStaticTextAccelerator(SubPane*) {}

void TabPanelPageChanged(SubPane*, int32_t) {}
