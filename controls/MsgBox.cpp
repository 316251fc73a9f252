#include "MsgBox.h"

#include <iterator>

#include "MessageDialog.h"
#include "core/StringUtilities.h"
#include "values/EndOfLine.h"
#include "values/StringLibrary.h"

namespace {

// The message and the explanation, which a blank line separates.
void SplitPrompt(const string& prompt, MessageDialog& dialog) {
    const string endOfLine = string::Adopt(RuntimeEndOfLine());
    const string separator = StringConcat(endOfLine, endOfLine);
    const int32_t p = StringInStrB(1, prompt.Record(), separator.Record()) - 1;
    if (p > 0) {
        dialog.message = LeftBytes(prompt, p);
        dialog.explanation = MidBytesFrom(prompt, p + separator.Length());
    } else {
        dialog.message = prompt;
    }
}

constexpr int8_t kOwnDefault = -2;

// One row per button-set code: each slot's caption (null: the dialog's own) and result, whether
// the code shows the cancel and alternate slots, and the default button for each default code.
struct ButtonSet {
    const char* action;
    int32_t actionResult;
    const char* cancel;
    int32_t cancelResult;
    bool showsCancel;
    const char* alternate;
    int32_t alternateResult;
    bool showsAlternate;
    int8_t defaults[4];
};

constexpr ButtonSet kButtonSets[] = {
    {nullptr, 1, nullptr, 2, false, nullptr, 5, false, {kOwnDefault, -1, -1, -1}},
    {nullptr, 1, nullptr, 2, true, nullptr, 5, false, {kOwnDefault, 0, -1, -1}},
    {"Retry", 4, "Abort", 3, true, "Ignore", 5, true, {0, 1, 2, -1}},
    {"Yes", 6, "Cancel", 2, true, "No", 7, true, {1, 2, 0, -1}},
    {"Yes", 6, nullptr, 2, false, "No", 7, true, {1, 2, -1, -1}},
    {"Retry", 4, "Cancel", 2, true, nullptr, 5, false, {1, 0, -1, -1}},
};
constexpr ButtonSet kOtherButtonSet = {
    nullptr, 1, nullptr, 2, false, nullptr, 5, false,
    {kOwnDefault, kOwnDefault, kOwnDefault, kOwnDefault}};

// Icons by buttons AND 0x70, shifted down; 0x50 and up keep the dialog's own.
constexpr int32_t kIcons[] = {kGraphicNone, kGraphicStop, kGraphicQuestion, kGraphicCaution,
                              kGraphicNote};

void SetCaption(string& caption, const char* text) {
    if (text) caption = string(text);
}

}  // namespace

extern "C" {

void RuntimeMsgBox(StringRecord* text) {
    auto* dialog = new MessageDialog;
    dialog->systemBox = true;
    SplitPrompt(string(text), *dialog);
    dialog->Display();
    delete dialog;
}

int32_t VB_RuntimeMsgBox(StringRecord* prompt, int32_t buttons, StringRecord* title) {
    auto* dialog = new MessageDialog;
    SplitPrompt(string(prompt), *dialog);
    dialog->title = string(title);

    const uint32_t setCode = buttons & 0xF;
    const ButtonSet& set = setCode < std::size(kButtonSets) ? kButtonSets[setCode] : kOtherButtonSet;
    SetCaption(dialog->actionCaption, set.action);
    SetCaption(dialog->cancelCaption, set.cancel);
    SetCaption(dialog->alternateCaption, set.alternate);
    if (set.showsCancel) dialog->cancelVisible = true;
    if (set.showsAlternate) dialog->alternateVisible = true;
    const int8_t defaultButton = set.defaults[(buttons & 0x300) >> 8];
    if (defaultButton != kOwnDefault) dialog->defaultButton = defaultButton;
    const uint32_t icon = (buttons & 0x70) >> 4;
    if (icon < std::size(kIcons)) dialog->icon = kIcons[icon];

    const int32_t pressed = dialog->Display();
    delete dialog;
    switch (pressed) {
    case kCancelButton: return set.cancelResult;
    case kAlternateButton: return set.alternateResult;
    default: return set.actionResult;
    }
}

}  // extern "C"
