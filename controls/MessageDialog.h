// Stand-in for the controls subsystem's MessageDialog, holding what the runtime's own message
// boxes show. It lacks the language class and the dialog's own window: both paths show a system
// message box, so the captions of the buttons are not shown (the box's own captions are), though
// which buttons are visible and which is the default are.
#pragma once

#include <cstdint>

#include "core/GuardedMemory.h"
#include "core/RuntimeString.h"

constexpr int32_t kGraphicNone = -1;
constexpr int32_t kGraphicNote = 0;
constexpr int32_t kGraphicCaution = 1;
constexpr int32_t kGraphicStop = 2;
constexpr int32_t kGraphicQuestion = 3;

// Indexes of the buttons, as Display returns them and defaultButton names them.
constexpr int32_t kNoButton = -1;
constexpr int32_t kCancelButton = 0;
constexpr int32_t kActionButton = 1;
constexpr int32_t kAlternateButton = 2;

class MessageDialog : public RuntimeAllocated {
public:
    // Takes the active window's caption as the title.
    MessageDialog();

    // Shows the dialog modally; the index of the button pressed, -1 when the box could not be
    // shown.
    int32_t Display();

    int32_t icon = kGraphicNote;
    string title;
    string message;
    string explanation;
    bool cancelVisible = false;
    bool alternateVisible = false;
    string actionCaption;  // empty: the dialog's own caption
    string cancelCaption;
    string alternateCaption;
    int32_t defaultButton = kActionButton;
    bool systemBox = false;
};

// What one message box would show.
struct MessageBoxRecord {
    const string& text;     // the message, then two line ends and the explanation when not empty
    const string& caption;
    uint32_t style;         // MB_ICON* | the button set | MB_DEFBUTTON* of the default button
    const MessageDialog& dialog;
};

// Test hook: every message box goes to the responder instead of the screen, and the responder's
// answer (a Windows IDOK-style code) is the box's result. Null restores the real box.
using MessageBoxResponder = int32_t (*)(const MessageBoxRecord& box, void* context);
void SetMessageBoxResponder(MessageBoxResponder responder, void* context);
