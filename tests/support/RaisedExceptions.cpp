#include "RaisedExceptions.h"

#include "StringTesting.h"

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
}

RaisedExceptions::~RaisedExceptions() {
    SetUnhandledExceptionHook(nullptr);
    sCurrent = nullptr;
}

std::string RaisedExceptions::Take() {
    if (mNames.empty()) return "";
    std::string first = mNames.front();
    mNames.clear();
    return first;
}

bool RaisedExceptions::Hook(ObjectHeader* exception) {
    if (sCurrent && exception && exception->classPtr)
        sCurrent->mNames.push_back(std::string(BytesOf(string(exception->classPtr->name))));
    return false;
}
