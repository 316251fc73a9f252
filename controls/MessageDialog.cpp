#include "MessageDialog.h"

#include <cstdio>
#include <cstring>

#include <windows.h>

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

int32_t ButtonIndex(int result) {
    switch (result) {
    case IDOK:
    case IDYES: return 1;
    case IDCANCEL: return 0;
    case IDNO: return 2;
    default: return -1;
    }
}

}  // namespace

void SetMessageBoxResponder(MessageBoxResponder responder, void* context) {
    sResponder = responder;
    sResponderContext = context;
}

int32_t MessageDialog::Display() {
    string text = message;
    if (!explanation.IsEmpty()) {
        text.AppendCString("\r\n\r\n");
        text.Append(explanation);
    }
    const uint32_t style = IconStyle(icon) | MB_OK;
    if (sResponder) return ButtonIndex(sResponder(MessageBoxRecord{text, title, style}, sResponderContext));
    // Black-box runs answer message boxes as they answer failure reports: the box becomes one line
    // on standard error, answered OK (record) or Cancel (cancel).
    char sink[16];
    const DWORD n = GetEnvironmentVariableA("QV_FAILURE_SINK", sink, sizeof sink);
    if (n > 0 && n < sizeof sink) {
        std::fprintf(stderr, "Message box: \"%s\", \"%s\"\n", title.CString(), text.CString());
        std::fflush(stderr);
        return ButtonIndex(std::strcmp(sink, "cancel") == 0 ? IDCANCEL : IDOK);
    }
    HWND owner = GetActiveWindow();
    // The runtime string is byte text in the system encoding here; the wide form would need the
    // text converted to UTF-16 first, which the full dialog does.
    return ButtonIndex(MessageBoxA(owner, text.CString(), title.CString(), style));
}
