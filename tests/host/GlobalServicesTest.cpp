#include <gtest/gtest.h>

#include <windows.h>

#include <cstdio>
#include <string>

#include "RaisedExceptions.h"
#include "host/ExternalCallStrings.h"
#include "host/LookColors.h"
#include "host/ShutdownContexts.h"
#include "host/TraceLog.h"

namespace {

TEST(LookColors, SystemColoursHaveRedAndBlueExchanged) {
    EXPECT_EQ(ColorFromColorRef(0x00112233), 0x00332211);
    EXPECT_EQ(getHilightColor(), ColorFromColorRef(GetSysColor(COLOR_HIGHLIGHT)));
    EXPECT_EQ(GetDisabledTextColor(), ColorFromColorRef(GetSysColor(COLOR_GRAYTEXT)));
    EXPECT_EQ(getFrameColor(), ColorFromColorRef(GetSysColor(COLOR_WINDOWFRAME)));
    EXPECT_EQ(getLightTingeColor(), 0xFFFFFF);
    EXPECT_TRUE(RuntimeThreed());
}

TEST(GlobalServices, NilObjectAndAbsentServices) {
    RaisedExceptions raised;
    RuntimeNilObject();
    EXPECT_EQ(raised.Take(), "NilObjectException");
    EXPECT_EQ(newAppleEventObject(), nullptr);
    EXPECT_EQ(getSystemObject(), nullptr);
    EXPECT_EQ(RuntimeProjectObject(0), nullptr);
}

std::string FileText(const char* name) {
    FILE* file = std::fopen(name, "rb");
    if (!file) return "(missing)";
    char buffer[64] = {};
    const size_t count = std::fread(buffer, 1, sizeof buffer - 1, file);
    std::fclose(file);
    return std::string(buffer, count);
}

// Every traced line is in the file once the shut-down contexts are gone; a later line starts a
// new log.
TEST(TraceLog, LinesAreInTheFileAfterShutdown) {
    char folder[MAX_PATH];
    ASSERT_TRUE(GetTempPathA(MAX_PATH, folder));
    const std::string directory = std::string(folder) + "qv-trace-test";
    CreateDirectoryA(directory.c_str(), nullptr);
    char previous[MAX_PATH];
    GetCurrentDirectoryA(MAX_PATH, previous);
    ASSERT_TRUE(SetCurrentDirectoryA(directory.c_str()));
    for (const char* line : {"first", "second", "third"}) lineTrace(string(line).Record());
    DestroyShutdownContexts();
    EXPECT_EQ(FileText("trace.log"), "first\r\nsecond\r\nthird\r\n");
    lineTrace(string("after").Record());
    DestroyShutdownContexts();
    EXPECT_EQ(FileText("trace.log"), "after\r\n");
    DeleteFileA("trace.log");
    SetCurrentDirectoryA(previous);
    RemoveDirectoryA(directory.c_str());
}

}  // namespace
