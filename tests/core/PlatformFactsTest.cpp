// Facts about the system under the runtime that later code relies on: cooperative threads run on
// fibers, the exception dispatcher probes memory with IsBadReadPtr, text conversion needs these
// code pages, and number formatting must know how many exponent digits printf writes.
#include <gtest/gtest.h>

#include <windows.h>

#include <cstdio>
#include <cstring>

namespace {
void* sMainFiber;
int sFiberRuns;
void WINAPI FiberBody(void*) {
    ++sFiberRuns;
    SwitchToFiber(sMainFiber);
}
}  // namespace

TEST(PlatformFacts, FibersSwitchBothWays) {
    sMainFiber = ConvertThreadToFiber(nullptr);
    ASSERT_NE(sMainFiber, nullptr);
    void* fiber = CreateFiber(0, FiberBody, nullptr);
    ASSERT_NE(fiber, nullptr);
    SwitchToFiber(fiber);
    EXPECT_EQ(sFiberRuns, 1);
    DeleteFiber(fiber);
    EXPECT_TRUE(ConvertFiberToThread());
}

TEST(PlatformFacts, IsBadReadPtrTellsMappedFromUnmapped) {
    int local = 0;
    EXPECT_FALSE(IsBadReadPtr(&local, sizeof local));
    EXPECT_TRUE(IsBadReadPtr(nullptr, 4));
    EXPECT_TRUE(IsBadReadPtr(reinterpret_cast<void*>(0x10), 4));
    void* reserved = VirtualAlloc(nullptr, 4096, MEM_RESERVE, PAGE_NOACCESS);
    EXPECT_TRUE(IsBadReadPtr(reserved, 4));
    VirtualFree(reserved, 0, MEM_RELEASE);
}

TEST(PlatformFacts, CodePagesTheConvertersUse) {
    const UINT pages[] = {37,    932,   936,   949,   950,   1252,  1361,  10000, 10001,
                          10002, 10003, 10004, 10005, 10006, 10007, 10008, 10010, 10017,
                          10021, 10029, 10079, 10081, 10082, 20127, 28605};
    for (UINT page : pages) EXPECT_TRUE(IsValidCodePage(page)) << page;
}

TEST(PlatformFacts, PrintfExponentDigits) {
    char text[32];
    std::snprintf(text, sizeof text, "%e", 1e6);
    // Number formatting trims the exponent itself; this pins what the C library hands it.
    EXPECT_TRUE(std::strcmp(text, "1.000000e+06") == 0 || std::strcmp(text, "1.000000e+006") == 0)
        << text;
    RecordProperty("exponent", text);
    std::printf("printf writes %s\n", text);
}
