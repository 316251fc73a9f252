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

// DoEvents of a console application sleeps 10 milliseconds by default; -1 does not sleep.
TEST_F(ConsoleDoEvents, SleepsUnlessToldNot) {
    const DWORD start = GetTickCount();
    for (int i = 0; i < 5; ++i) RuntimeDoEvents(nullptr, 10);
    EXPECT_GE(GetTickCount() - start, 40u);
    // A hundred calls that slept would take a second; half of that leaves room for a loaded machine.
    const DWORD again = GetTickCount();
    for (int i = 0; i < 100; ++i) RuntimeDoEvents(nullptr, -1);
    EXPECT_LT(GetTickCount() - again, 500u);
}

}  // namespace
