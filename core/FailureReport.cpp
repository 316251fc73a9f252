#include "FailureReport.h"

#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "ExitCodes.h"

namespace {

const char* const kKindNames[] = {
    "Plugin TOC Load Failure",
    "Invalid Class Definition",
    "Unknown Class",
    "Failed Assertion",
    "Unable to Write to Handle",
    "CarbonLib 1.1 or Later Required",
    "Cannot Connect to Debugger",
    "Unhandled Exception",
};

constexpr size_t kReportBufferSize = 1024;

enum class SinkMode { Unknown, MessageBox, RecordOk, RecordCancel };

SinkMode sSinkMode = SinkMode::Unknown;
FailureResponder sResponder = nullptr;
void* sResponderContext = nullptr;

SinkMode CurrentSinkMode() {
    if (sSinkMode == SinkMode::Unknown) {
        char value[32] = {};
        DWORD n = GetEnvironmentVariableA("QV_FAILURE_SINK", value, sizeof value);
        if (n > 0 && n < sizeof value && lstrcmpiA(value, "record") == 0)
            sSinkMode = SinkMode::RecordOk;
        else if (n > 0 && n < sizeof value && lstrcmpiA(value, "cancel") == 0)
            sSinkMode = SinkMode::RecordCancel;
        else
            sSinkMode = SinkMode::MessageBox;
    }
    return sSinkMode;
}

const char* OrEmpty(const char* text) { return text ? text : ""; }

// One report as one line: newlines inside the texts become spaces so that a log reader can split
// reports by line.
void WriteReportLine(const FailureRecord& r) {
    char line[kReportBufferSize + 64];
    int n;
    if (r.kind == 0 && r.code == kPlainMessageCode)
        n = std::snprintf(line, sizeof line, "Runtime message: %s\n", OrEmpty(r.text));
    else if (r.kind == 0)
        n = std::snprintf(line, sizeof line, "Runtime fatal: %s\n", OrEmpty(r.text));
    else
        n = std::snprintf(line, sizeof line,
                          "Runtime failure: kind %d (%s), %s:%ld, condition \"%s\", message \"%s\"\n",
                          r.kind, OrEmpty(FailureKindName(r.kind)), OrEmpty(r.file), (long)r.line,
                          OrEmpty(r.condition), OrEmpty(r.message));
    if (n < 0) return;
    size_t length = (size_t)n < sizeof line ? (size_t)n : sizeof line - 1;
    for (size_t i = 0; i + 1 < length; ++i)
        if (line[i] == '\n' || line[i] == '\r') line[i] = ' ';
    line[length - 1] = '\n';

    DWORD written;
    HANDLE err = GetStdHandle(STD_ERROR_HANDLE);
    if (err && err != INVALID_HANDLE_VALUE) WriteFile(err, line, (DWORD)length, &written, nullptr);

    char path[MAX_PATH];
    DWORD p = GetEnvironmentVariableA("QV_FAILURE_LOG", path, sizeof path);
    if (p == 0 || p >= sizeof path) return;
    HANDLE log = CreateFileA(path, FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                             OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (log == INVALID_HANDLE_VALUE) return;
    WriteFile(log, line, (DWORD)length, &written, nullptr);
    CloseHandle(log);
}

FailureAnswer Answer(const FailureRecord& record, UINT boxType,
                     const char* caption = "Runtime Error") {
    if (sResponder) return sResponder(record, sResponderContext);
    switch (CurrentSinkMode()) {
    case SinkMode::RecordOk:
        WriteReportLine(record);
        return FailureAnswer::Continue;
    case SinkMode::RecordCancel:
        WriteReportLine(record);
        return FailureAnswer::Quit;
    default:
        return MessageBoxA(nullptr, record.text, caption, boxType) == IDCANCEL
                   ? FailureAnswer::Quit
                   : FailureAnswer::Continue;
    }
}

}  // namespace

extern "C" const char* FailureKindName(int kind) {
    return kind >= 1 && kind <= 8 ? kKindNames[kind - 1] : nullptr;
}

extern "C" void DebugLog(const char*, int32_t) {}

extern "C" void ReportFailure(int32_t code, int16_t kind, const char* file, int32_t line,
                              const char* condition, const char* message) {
    char text[kReportBufferSize];
    // snprintf cuts a report that would not fit; the buffer is never overrun.
    std::snprintf(text, sizeof text,
                  "Runtime Error %d: %s\nPress OK to Continue\nPress Cancel to Quit.\n\n"
                  "Please report what caused this error\nalong with the information below.\n\n"
                  "%s: %ld\nFailure Condition: %s\n%s",
                  (int)kind, OrEmpty(FailureKindName(kind)), OrEmpty(file), (long)line,
                  OrEmpty(condition), OrEmpty(message));
    FailureRecord record{code, kind, file, line, condition, message, text};
    if (Answer(record, MB_OKCANCEL | MB_ICONERROR | MB_DEFBUTTON2) == FailureAnswer::Quit)
        EndProcess(kExitFailureQuit);
}

void ShowFatalMessage(const char* text) {
    FailureRecord record{0, 0, nullptr, 0, nullptr, nullptr, text};
    Answer(record, MB_OK | MB_ICONERROR | MB_TASKMODAL);
}

void ShowPlainMessage(const char* text) {
    FailureRecord record{kPlainMessageCode, 0, nullptr, 0, nullptr, nullptr, text};
    Answer(record, MB_OK, nullptr);
}

void EndProcess(unsigned exitCode) {
    ExitProcess(exitCode);
    FatalAppExitA(0, "Gentle Shutdown Failed.  Attempting Forced Shutdown.");
    std::abort();
}

void SetFailureResponder(FailureResponder responder, void* context) {
    sResponder = responder;
    sResponderContext = context;
}
