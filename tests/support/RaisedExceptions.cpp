#include "RaisedExceptions.h"

#include <windows.h>

#include "StringTesting.h"
#include "controls/MessageDialog.h"

namespace {
RaisedExceptions* sCurrent = nullptr;
}

RaisedExceptions::RaisedExceptions() {
    // The runtime's own raises need their classes recorded, which filling their definitions does.
    NilObjectException();
    IllegalCastException();
    OutOfBoundsException();
    FunctionNotFoundException();
    sCurrent = this;
    SetUnhandledExceptionHook(&RaisedExceptions::Hook);
    SetMessageBoxResponder(&RaisedExceptions::Report, nullptr);
}

RaisedExceptions::~RaisedExceptions() {
    SetUnhandledExceptionHook(nullptr);
    SetMessageBoxResponder(nullptr, nullptr);
    sCurrent = nullptr;
}

// The unhandled-exception report of the loop's frame: "An exception of class X was not handled."
int32_t RaisedExceptions::Report(const MessageBoxRecord& box, void*) {
    const std::string text(BytesOf(box.text));
    const std::string prefix = "An exception of class ";
    const size_t end = text.find(" was not handled");
    if (sCurrent && text.compare(0, prefix.size(), prefix) == 0 && end != std::string::npos)
        sCurrent->mNames.push_back(text.substr(prefix.size(), end - prefix.size()));
    return IDOK;
}

std::string RaisedExceptions::Take() {
    if (mNames.empty()) return "";
    std::string first = mNames.front();
    mNames.clear();
    return first;
}

bool RaisedExceptions::Hook(ObjectHeader* exception) {
    if (!sCurrent || !exception || !exception->classPtr) return false;
    const std::string name(BytesOf(string(exception->classPtr->name)));
    sCurrent->mNames.push_back(name);
    const auto* fields = reinterpret_cast<const RuntimeExceptionObject*>(exception);
    sCurrent->mSeen.push_back({name, std::string(BytesOf(string(fields->message))), fields->errorNumber});
    return false;
}
