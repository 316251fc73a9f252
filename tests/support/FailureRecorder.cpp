#include "FailureRecorder.h"

#include <gtest/gtest.h>

#include <cstdio>

namespace {

const char* OrEmpty(const char* text) { return text ? text : ""; }

FailureAnswer FailUnexpected(const FailureRecord& record, void*) {
    // Also to standard error, so that a death test's child shows what it reported.
    std::fprintf(stderr, "runtime report: %s\n", OrEmpty(record.text));
    ADD_FAILURE() << "unexpected runtime report:\n" << OrEmpty(record.text);
    return FailureAnswer::Continue;
}

}  // namespace

FailureRecorder::FailureRecorder(FailureAnswer answer) : mAnswer(answer) {
    SetFailureResponder(&FailureRecorder::Respond, this);
}

FailureRecorder::~FailureRecorder() { InstallUnexpectedFailureResponder(); }

FailureAnswer FailureRecorder::Respond(const FailureRecord& record, void* context) {
    auto* self = static_cast<FailureRecorder*>(context);
    self->mReports.push_back({record.code, record.kind, OrEmpty(record.file), record.line,
                              OrEmpty(record.condition), OrEmpty(record.message),
                              OrEmpty(record.text)});
    std::fprintf(stderr, "runtime report: %s\n", OrEmpty(record.text));
    return self->mAnswer;
}

void InstallUnexpectedFailureResponder() { SetFailureResponder(&FailUnexpected, nullptr); }
