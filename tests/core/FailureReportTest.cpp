#include <gtest/gtest.h>

#include <cstdint>
#include <string>

#include "FailureRecorder.h"
#include "core/ExitCodes.h"
#include "core/FailureReport.h"
#include "core/GuardedMemory.h"
#include "core/SmallBlockAllocator.h"

TEST(FailureReport, TextNamesKindFileLineConditionAndMessage) {
    struct Case {
        int16_t kind;
        const char* message;
        const char* expected;
    } cases[] = {
        {4, "overwrote start of block",
         "Runtime Error 4: Failed Assertion\nPress OK to Continue\nPress Cancel to Quit.\n\n"
         "Please report what caused this error\nalong with the information below.\n\n"
         "dump: 105\nFailure Condition: 0\noverwrote start of block"},
        {7, nullptr,
         "Runtime Error 7: Cannot Connect to Debugger\nPress OK to Continue\nPress Cancel to Quit."
         "\n\nPlease report what caused this error\nalong with the information below.\n\n"
         "dump: 105\nFailure Condition: 0\n"},
        {9, "m",
         "Runtime Error 9: \nPress OK to Continue\nPress Cancel to Quit.\n\n"
         "Please report what caused this error\nalong with the information below.\n\n"
         "dump: 105\nFailure Condition: 0\nm"},
    };
    for (const Case& c : cases) {
        FailureRecorder recorder;
        ReportFailure(kFailureCode, c.kind, "dump", 105, "0", c.message);
        ASSERT_EQ(recorder.Count(), 1u);
        EXPECT_EQ(recorder.Last().text, c.expected);
        EXPECT_EQ(recorder.Last().code, 131);
        EXPECT_EQ(recorder.Last().kind, c.kind);
        EXPECT_EQ(recorder.Last().file, "dump");
        EXPECT_EQ(recorder.Last().line, 105);
    }
}

TEST(FailureReport, KindNames) {
    EXPECT_STREQ(FailureKindName(1), "Plugin TOC Load Failure");
    EXPECT_STREQ(FailureKindName(4), "Failed Assertion");
    EXPECT_STREQ(FailureKindName(8), "Unhandled Exception");
    EXPECT_EQ(FailureKindName(0), nullptr);
    EXPECT_EQ(FailureKindName(9), nullptr);
}

TEST(FailureReport, LongReportIsCutToItsBuffer) {
    FailureRecorder recorder;
    const std::string longMessage(5000, 'x');
    ReportFailure(kFailureCode, kFailedAssertion, "utility", 1, "0", longMessage.c_str());
    ASSERT_EQ(recorder.Count(), 1u);
    EXPECT_EQ(recorder.Last().text.size(), 1023u);
    EXPECT_EQ(recorder.Last().message, longMessage);
}

TEST(FailureReportDeathTest, CancelQuitsWithFailureCode) {
    EXPECT_EXIT(
        {
            FailureRecorder recorder(FailureAnswer::Quit);
            ReportAssertion("utility", 490, "str");
        },
        testing::ExitedWithCode(kExitFailureQuit), "Failure Condition: str");
}

TEST(GuardedMemory, BlockCarriesSizeAndGuard) {
    auto* block = static_cast<uint32_t*>(GuardedNew(20));
    EXPECT_EQ(block[-2], 20u);
    EXPECT_EQ(block[-1], kGuardWordLive);
    GuardedDelete(block);
    // The freed block's first word links it into its free list; a 64-bit link covers the guard.
    if (sizeof(void*) == 4) {
        EXPECT_EQ(block[-1], kGuardWordFreed);
    }
    GuardedDelete(nullptr);
}

TEST(GuardedMemory, OverwrittenGuardIsReportedAndBlockStillFreed) {
    const int32_t before = SmallBlockBytesInUse();
    auto* block = static_cast<uint32_t*>(GuardedNew(12));
    EXPECT_EQ(SmallBlockBytesInUse(), before + 20);
    block[-1] = 0x12345678;
    FailureRecorder recorder;
    GuardedDelete(block);
    ASSERT_EQ(recorder.Count(), 1u);
    EXPECT_EQ(recorder.Last().kind, kFailedAssertion);
    EXPECT_EQ(recorder.Last().file, "dump");
    EXPECT_EQ(recorder.Last().line, 105);
    EXPECT_EQ(recorder.Last().condition, "0");
    EXPECT_EQ(recorder.Last().message, "overwrote start of block");
    EXPECT_EQ(recorder.Last().text.rfind("Runtime Error 4: Failed Assertion\n", 0), 0u);
    EXPECT_EQ(SmallBlockBytesInUse(), before);
}

TEST(GuardedMemory, ArraysRunConstructorsAndDestructors) {
    static int live = 0;
    struct Counted {
        Counted() { ++live; }
        ~Counted() { --live; }
        int value = 7;
    };
    Counted* items = GuardedNewArray<Counted>(5);
    EXPECT_EQ(live, 5);
    EXPECT_EQ(items[4].value, 7);
    GuardedDeleteArray(items);
    EXPECT_EQ(live, 0);
}
