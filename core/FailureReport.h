// The failure reporter: broken invariants of the runtime go here. In the shipped runtime the report
// is a "Runtime Error" message box that lets the user continue or quit; tests and black-box runs
// swap the box for a recorder so that nothing ever waits on a window.
#pragma once

#include <cstdint>

enum FailureKind : int16_t {
    kPluginTOCLoadFailure = 1,
    kInvalidClassDefinition = 2,
    kUnknownClass = 3,
    kFailedAssertion = 4,
    kUnableToWriteToHandle = 5,
    kCarbonLibRequired = 6,
    kCannotConnectToDebugger = 7,
    kUnhandledException = 8,
};

// The code argument every runtime call site passes (the debugger stub passes 132).
constexpr int32_t kFailureCode = 131;

extern "C" {
void ReportFailure(int32_t code, int16_t kind, const char* file, int32_t line,
                   const char* condition, const char* message);
const char* FailureKindName(int kind);
void DebugLog(const char* message, int32_t level);
}

// A failed assertion: kind 4 with the runtime's code, as every assertion site reports it.
inline void ReportAssertion(const char* file, int32_t line, const char* condition,
                            const char* message = nullptr) {
    ReportFailure(kFailureCode, kFailedAssertion, file, line, condition, message);
}

// Shows a message that ends the process (the caller exits afterwards), such as running out of memory.
void ShowFatalMessage(const char* text);
// Shows an information box without owner or caption; the process goes on.
void ShowPlainMessage(const char* text);

// Ends the process with the given code; the forced shut-down is the fallback should that return.
[[noreturn]] void EndProcess(unsigned exitCode);

// --- the seam between the reporter and whoever answers it ---

constexpr int32_t kPlainMessageCode = 1;

// What one report holds. kind is 0 for a fatal message, which has only its text.
struct FailureRecord {
    int32_t code;
    int16_t kind;  // with kind 0, code kPlainMessageCode marks a message that ends nothing
    const char* file;
    int32_t line;
    const char* condition;
    const char* message;
    const char* text;  // the full text as the message box would show it
};

enum class FailureAnswer { Continue, Quit };

using FailureResponder = FailureAnswer (*)(const FailureRecord& record, void* context);

// Test hook: route every report to a responder instead of the message box (null restores the default).
void SetFailureResponder(FailureResponder responder, void* context);

// Without a responder the sink is chosen once from the environment: QV_FAILURE_SINK=record answers
// OK, =cancel answers Cancel; either way each report goes to standard error as one line and is
// appended to the file QV_FAILURE_LOG names. Without the variable the message box is shown.
