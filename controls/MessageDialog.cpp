#include "MessageDialog.h"

#include <cstdio>
#include <cstring>

#include <windows.h>

#include "core/Platform.h"
#include "values/CharacterTables.h"
#include "core/EncodingConversion.h"

namespace {

MessageBoxResponder sResponder = nullptr;
void* sResponderContext = nullptr;

uint32_t IconStyle(int32_t icon) {
    switch (icon) {
    case kGraphicNote: return MB_ICONINFORMATION;
    case kGraphicCaution: return MB_ICONEXCLAMATION;
    case kGraphicStop: return MB_ICONSTOP;
    case kGraphicQuestion: return MB_ICONQUESTION;
    default: return 0;
    }
}

// The system box's button set, and where in it each of the dialog's buttons stands: the action
// button first, the alternate one second, the cancel one last.
uint32_t ButtonStyle(const MessageDialog& dialog) {
    uint32_t style = dialog.alternateVisible ? (dialog.cancelVisible ? MB_YESNOCANCEL : MB_YESNO)
                                             : (dialog.cancelVisible ? MB_OKCANCEL : MB_OK);
    int32_t position = 0;
    switch (dialog.defaultButton) {
    case kActionButton: position = 1; break;
    case kAlternateButton: position = dialog.alternateVisible ? 2 : 0; break;
    case kCancelButton: position = dialog.cancelVisible ? (dialog.alternateVisible ? 3 : 2) : 0; break;
    default: break;
    }
    if (position == 2) style |= MB_DEFBUTTON2;
    if (position == 3) style |= MB_DEFBUTTON3;
    return style;
}

int32_t ButtonIndex(int result) {
    switch (result) {
    case IDOK:
    case IDYES: return kActionButton;
    case IDCANCEL: return kCancelButton;
    case IDNO: return kAlternateButton;
    default: return kNoButton;
    }
}

string ActiveWindowCaption() {
    HWND window = GetActiveWindow();
    string caption;
    if (!window) return caption;
    if (IsUnicodePlatform()) {
        wchar_t text[256];
        const int count = GetWindowTextW(window, text, 256);
        if (count > 0) caption.SetWideText(reinterpret_cast<const uint16_t*>(text), count);
        return caption;
    }
    char text[256];
    const int count = GetWindowTextA(window, text, 256);
    if (count > 0 && caption.SetBytes(text, count)) caption.SetEncoding(SystemTextEncoding());
    return caption;
}

}  // namespace

MessageDialog::MessageDialog() : title(ActiveWindowCaption()) {}

void SetMessageBoxResponder(MessageBoxResponder responder, void* context) {
    sResponder = responder;
    sResponderContext = context;
}

int32_t MessageDialog::Display() {
    string text = message;
    if (!explanation.IsEmpty()) text = StringConcat(StringConcat(text, string("\r\n\r\n")), explanation);
    const uint32_t style = IconStyle(icon) | ButtonStyle(*this);
    if (sResponder)
        return ButtonIndex(sResponder(MessageBoxRecord{text, title, style, *this}, sResponderContext));
    // Black-box runs answer message boxes as they answer failure reports: the box becomes one line
    // on standard error, answered OK (record) or Cancel (cancel).
    char sink[16];
    const DWORD n = GetEnvironmentVariableA("QV_FAILURE_SINK", sink, sizeof sink);
    if (n > 0 && n < sizeof sink) {
        const string line = text.ToUTF8();
        std::fprintf(stderr, "Message box: \"%s\", \"%s\"\n", title.ToUTF8().CString(), line.CString());
        std::fflush(stderr);
        return ButtonIndex(std::strcmp(sink, "cancel") == 0 ? IDCANCEL : IDOK);
    }
    HWND owner = GetActiveWindow();
    if (IsUnicodePlatform()) {
        const string wideText = text.ToUTF16();
        const string wideTitle = title.ToUTF16();
        return ButtonIndex(MessageBoxW(owner, wideText.WidePointer(), wideTitle.WidePointer(), style));
    }
    return ButtonIndex(MessageBoxA(owner, ConvertToSystemScriptEncoding(text).CString(),
                                   ConvertToSystemScriptEncoding(title).CString(), style));
}
