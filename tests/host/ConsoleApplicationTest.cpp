#include <gtest/gtest.h>

#include <windows.h>

#include "core/DefinitionConversion.h"
#include "ThreadTesting.h"
#include "host/ConsoleApplication.h"
#include "host/EventLoop.h"
#include "values/TextEncodingObjects.h"

namespace {

TEST(ConsoleApplication, EachNewApplicationReplacesTheRegisteredOne) {
    ObjectHeader* first = CreateInstance(ConsoleApplication());
    EXPECT_EQ(CurrentConsoleApplication(), first);
    EXPECT_EQ(first->refCount, 2);
    ObjectHeader* second = CreateInstance(ServiceApplication());
    EXPECT_EQ(CurrentConsoleApplication(), second);
    EXPECT_EQ(first->refCount, 1);
    EXPECT_TRUE(DaemonizeApp(second));
    ReleaseObject(first);
    ReleaseObject(second);
    SetConsoleApplication(nullptr);
}

TEST(ConsoleApplication, TheConsoleStreamsAreInert) {
    EXPECT_EQ(RuntimeGetStdIn(), nullptr);
    EXPECT_EQ(RuntimeGetStdOut(), nullptr);
    EXPECT_EQ(RuntimeGetStdErr(), nullptr);
    EXPECT_EQ(RuntimeConsoleInput(), nullptr);
    ObjectHeader* input = CreateInstance(StandardInputStream());
    ObjectHeader* output = CreateInstance(StandardOutputStream());
    ObjectHeader* utf8 = GetEncodingObjectFromCode(kEncodingUTF8);
    EXPECT_FALSE(RuntimeStdInputEof(input));
    EXPECT_FALSE(RuntimeStdInputError(input));
    EXPECT_EQ(RuntimeStdInputReadLine(input), nullptr);
    EXPECT_EQ(RuntimeStdInputRead(input, 10, utf8), nullptr);
    EXPECT_EQ(RuntimeStdInputAsSocket(input), nullptr);
    RuntimeStdOutputStreamWriteLine(output, string("line").Record());
    RuntimeStdOutputStreamWrite(output, string("text").Record());
    EXPECT_FALSE(RuntimeStdOutputError(output));
    ReleaseObject(utf8);
    ReleaseObject(output);
    ReleaseObject(input);
}

using ConsoleDoEvents = threadtesting::ThreadFixture;

// Milliseconds one DoEvents call takes at best: the shortest of several calls, so that a loaded
// machine stretching some of them does not count.
double ShortestDoEvents(int32_t milliseconds) {
    LARGE_INTEGER frequency;
    QueryPerformanceFrequency(&frequency);
    double shortest = 1e9;
    for (int i = 0; i < 20; ++i) {
        LARGE_INTEGER before, after;
        QueryPerformanceCounter(&before);
        RuntimeDoEvents(nullptr, milliseconds);
        QueryPerformanceCounter(&after);
        const double elapsed = 1000.0 * double(after.QuadPart - before.QuadPart) / double(frequency.QuadPart);
        if (elapsed < shortest) shortest = elapsed;
    }
    return shortest;
}

// DoEvents of a console application sleeps 10 milliseconds by default; -1 does not sleep.
TEST_F(ConsoleDoEvents, SleepsUnlessToldNot) {
    const double sleeping = ShortestDoEvents(10);
    const double awake = ShortestDoEvents(-1);
    EXPECT_GE(sleeping, 9.0);
    EXPECT_LT(awake, sleeping - 5.0) << "sleeping " << sleeping << " ms, awake " << awake << " ms";
}

}  // namespace
