#include <gtest/gtest.h>

#include <windows.h>

#include <cstdio>
#include <string>

#include "RaisedExceptions.h"
#include "core/DefinitionConversion.h"
#include "host/ExternalCallStrings.h"
#include "host/LookColors.h"
#include "host/ShutdownContexts.h"
#include "host/TraceLog.h"
#include "host/WindowLookups.h"
#include "windows/WindowList.h"

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

// A window's controls by name: names compare without case and control arrays are "name$index".
TEST(WindowLookups, ControlsByNameAndArrayIndex) {
    ObjectHeader* window = RuntimeNewObject(LookupObjectDefinition(MenuItem()));
    ObjectHeader* button = RuntimeNewObject(LookupObjectDefinition(MenuItem()));
    ObjectHeader* second = RuntimeNewObject(LookupObjectDefinition(MenuItem()));
    ControlNameMap controls(16);
    controls.SetEntry(string("OKButton"), button);
    controls.SetEntry(string("Button$2"), second);
    EXPECT_EQ(RuntimeControlFetch(window, string("okbutton").Record()), nullptr);
    SetWindowControlMap(window, &controls);
    EXPECT_EQ(RuntimeControlFetch(window, string("okbutton").Record()), button);
    EXPECT_EQ(button->refCount, 1);
    ObjectHeader* item = RuntimeControlArrayItemReference(window, string("Button").Record(), 2);
    EXPECT_EQ(item, second);
    EXPECT_EQ(second->refCount, 2);
    ReleaseObject(item);
    EXPECT_EQ(RuntimeControlArrayItemReference(window, string("Button").Record(), 3), nullptr);
    EXPECT_EQ(RuntimeControlReference(nullptr, string("OKButton").Record()), nullptr);
    SetWindowControlMap(window, nullptr);
    for (ObjectHeader* o : {window, button, second}) ReleaseObject(o);
}

TEST(WindowLookups, WindowsByIndexAndVisibility) {
    ObjectHeader* window = RuntimeNewObject(LookupObjectDefinition(MenuItem()));
    const int32_t before = getWindowCount();
    RuntimeWindowRecord* record = AddRuntimeWindow(window);
    EXPECT_EQ(getWindowCount(), before + 1);
    ObjectHeader* found = nullptr;
    for (int32_t i = 0; i < getWindowCount() && !found; ++i) {
        ObjectHeader* w = getWindow(i);
        if (w == window) found = w;
        else ReleaseObject(w);
    }
    EXPECT_EQ(found, window);
    ReleaseObject(found);
    EXPECT_EQ(getWindow(getWindowCount()), nullptr);
    RuntimeHideWindow(window);
    EXPECT_FALSE(record->visible);
    RuntimeShowWindow(window);
    EXPECT_TRUE(record->visible);
    RuntimeHideWindow(nullptr);
    RemoveRuntimeWindow(window);
    ReleaseObject(window);
    EXPECT_FALSE(IsCMMClick());
}

}  // namespace
