// Records the runtime's failure reports in tests and answers them as the test asks, so that no
// test ever waits on a message box.
#pragma once

#include <string>
#include <vector>

#include "core/FailureReport.h"

struct RecordedFailure {
    int32_t code;
    int kind;
    std::string file;
    int32_t line;
    std::string condition;
    std::string message;
    std::string text;
};

// While one exists, every report is recorded and answered with its answer. Without one, a report
// fails the running test (see TestMain.cpp).
class FailureRecorder {
public:
    explicit FailureRecorder(FailureAnswer answer = FailureAnswer::Continue);
    ~FailureRecorder();
    FailureRecorder(const FailureRecorder&) = delete;
    FailureRecorder& operator=(const FailureRecorder&) = delete;

    const std::vector<RecordedFailure>& Reports() const { return mReports; }
    size_t Count() const { return mReports.size(); }
    const RecordedFailure& Last() const { return mReports.back(); }

private:
    static FailureAnswer Respond(const FailureRecord& record, void* context);

    FailureAnswer mAnswer;
    std::vector<RecordedFailure> mReports;
};

// The responder that TestMain installs: a report nobody expected fails the test.
void InstallUnexpectedFailureResponder();
