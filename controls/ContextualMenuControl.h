// The ContextualMenu control: a Control without a pane that holds text rows and separators, pops
// them up at the mouse and fires Action with the chosen row's text.
#pragma once

#include <cstddef>
#include <cstdint>

#include "controls/ControlClasses.h"

struct ContextualMenuImp;

struct ContextualMenuRecord {
    ControlRecord control;
    uint8_t useCMM;           // UseCMM and UseMacCMM; handed to the menu, which ignores it
    uint8_t reserved[3];
    ContextualMenuImp* menu;  // made on first use; owned
};

#ifndef _WIN64
static_assert(offsetof(ContextualMenuRecord, useCMM) == 100);
static_assert(offsetof(ContextualMenuRecord, menu) == 104);
static_assert(sizeof(ContextualMenuRecord) == 108);
#endif

ObjectDefinition* ContextualMenu();

extern "C" {
void contextualMenuResetContent(ObjectHeader* control);
void contextualMenuAddRow(ObjectHeader* control, StringRecord* text);
void contextualMenuAddSeparator(ObjectHeader* control);
void contextualMenuOpen(ObjectHeader* control);
void RuntimeContextualMenuDestructor(ObjectHeader* control);
}
