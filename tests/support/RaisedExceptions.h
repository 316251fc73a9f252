// Catches, in tests, the exceptions that no compiled handler takes: while one exists it is the
// unhandled-exception hook and answers the message box of the unhandled-exception report, and
// keeps the class name of each exception that reached either.
#pragma once

#include <string>
#include <vector>

#include "core/Exceptions.h"

class RaisedExceptions {
public:
    RaisedExceptions();
    ~RaisedExceptions();
    RaisedExceptions(const RaisedExceptions&) = delete;
    RaisedExceptions& operator=(const RaisedExceptions&) = delete;

    // What the hook saw of each exception: its class name, Message and ErrorNumber.
    struct Details {
        std::string name;
        std::string message;
        int32_t errorNumber;
    };

    const std::vector<std::string>& Names() const { return mNames; }
    const std::vector<Details>& Seen() const { return mSeen; }
    // The first recorded class name ("" when none), clearing the record.
    std::string Take();

private:
    static bool Hook(ObjectHeader* exception);
    static int32_t Report(const struct MessageBoxRecord& box, void* context);
    std::vector<std::string> mNames;
    std::vector<Details> mSeen;
};
