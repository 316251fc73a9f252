// Stand-in for the controls subsystem's MessageDialog, holding what the unhandled-exception report
// shows. It lacks the language class, the button captions, the dialog's own window and the wide
// box: Display always shows MessageBoxA with the OK button alone, the texts passed unconverted.
#pragma once

#include <cstdint>

#include "core/GuardedMemory.h"
#include "core/RuntimeString.h"

constexpr int32_t kGraphicNote = 0;
constexpr int32_t kGraphicCaution = 1;
constexpr int32_t kGraphicStop = 2;
constexpr int32_t kGraphicQuestion = 3;

class MessageDialog : public RuntimeAllocated {
public:
    // Shows the dialog modally; the index of the button pressed: 0 cancel, 1 action, 2 alternate
    // action, -1 when the box could not be shown.
    int32_t Display();

    string title;
    string message;
    string explanation;
    int32_t icon = kGraphicNote;
    bool systemBox = true;
};

// What one system message box would show.
struct MessageBoxRecord {
    const string& text;     // the message, then two line ends and the explanation when not empty
    const string& caption;
    uint32_t style;         // MB_ICON* | MB_OK
};

// Test hook: every system message box goes to the responder instead of the screen, and the
// responder's answer (a Windows IDOK-style code) is the box's result. Null restores the real box.
using MessageBoxResponder = int32_t (*)(const MessageBoxRecord& box, void* context);
void SetMessageBoxResponder(MessageBoxResponder responder, void* context);
