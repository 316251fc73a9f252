// Where the window procedures hand on a command chosen from a menu or an accelerator (a
// WM_COMMAND without a control window).
#pragma once

#include <cstdint>

// Runs the menu command of a Windows command id for the window whose procedure received it
// (modal: that window is modal); answers whether a handler took it, and then the message counts
// as handled.
bool HandleWindowMenuCommand(bool modal, int32_t commandId);
