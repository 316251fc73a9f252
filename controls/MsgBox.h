// The language's two message boxes, shown as message dialogs.
#pragma once

#include <cstdint>

#include "core/RuntimeString.h"

extern "C" {
// Shows the text in a system message box with the one OK button; a blank line in it separates
// the message from the explanation.
void RuntimeMsgBox(StringRecord* text);
// Shows the prompt with the buttons, default button and icon that the code selects, and returns
// the conventional code of the button pressed (1 OK, 2 Cancel, 3 Abort, 4 Retry, 5 Ignore, 6 Yes,
// 7 No).
int32_t VB_RuntimeMsgBox(StringRecord* prompt, int32_t buttons, StringRecord* title);
}
