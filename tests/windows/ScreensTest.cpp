#include <gtest/gtest.h>

#include <windows.h>

#include <cstring>

#include "windows/Screens.h"

namespace {

ScreenFields Values(ObjectHeader* screen) {
    ScreenFields fields;
    std::memcpy(&fields, FieldAt<ScreenFields>(screen, kObjectHeaderSize), sizeof fields);
    return fields;
}

RECT WorkArea() {
    RECT work = {};
    SystemParametersInfoA(SPI_GETWORKAREA, 0, &work, 0);
    return work;
}

int ScreenDepth() {
    HDC dc = GetDC(nullptr);
    const int depth = GetDeviceCaps(dc, PLANES) * GetDeviceCaps(dc, BITSPIXEL);
    ReleaseDC(nullptr, dc);
    return depth;
}

int sWidth = 0;
int TwoMonitorsAndAWidth(int index) {
    if (index == SM_CMONITORS) return 2;
    if (index == SM_CXSCREEN && sWidth) return sWidth;
    return GetSystemMetrics(index);
}
FARPROC NoFunctions(const char*) { return nullptr; }

// Two displays side by side; the second is primary only in name when sSecondFails is set.
bool sSecondFails = false;
BOOL WINAPI FakeEnumerate(HDC dc, LPCRECT, MONITORENUMPROC callback, LPARAM data) {
    for (intptr_t monitor = 1; monitor <= 3; ++monitor)
        if (!callback(reinterpret_cast<HMONITOR>(monitor), dc, nullptr, data)) return FALSE;
    return TRUE;
}
BOOL WINAPI FakeMonitorInfo(HMONITOR monitor, MONITORINFO* info) {
    if (info->cbSize != 40) return FALSE;
    const intptr_t index = reinterpret_cast<intptr_t>(monitor);
    if (index == 3 || (index == 2 && sSecondFails)) return FALSE;
    if (index == 1) {
        info->rcMonitor = {0, 0, 1280, 1024};
        info->dwFlags = MONITORINFOF_PRIMARY;
    } else {
        info->rcMonitor = {1280, -100, 2080, 500};
        info->dwFlags = 0;
    }
    info->rcWork = info->rcMonitor;
    info->rcWork.bottom -= 40;  // a task bar the runtime does not look at
    return TRUE;
}
FARPROC TwoMonitors(const char* name) {
    if (std::strcmp(name, "EnumDisplayMonitors") == 0)
        return reinterpret_cast<FARPROC>(reinterpret_cast<void*>(FakeEnumerate));
    if (std::strcmp(name, "GetMonitorInfoW") == 0 || std::strcmp(name, "GetMonitorInfoA") == 0)
        return reinterpret_cast<FARPROC>(reinterpret_cast<void*>(FakeMonitorInfo));
    return nullptr;
}

class ScreensTest : public ::testing::Test {
protected:
    void TearDown() override {
        SetScreenFunctionsForTesting(nullptr, nullptr);
        RemoveCachedScreenInfo();
        sWidth = 0;
        sSecondFails = false;
    }
};

}  // namespace

TEST_F(ScreensTest, TheFirstScreenIsThePrimaryDisplay) {
    EXPECT_EQ(getScreenCount(), GetSystemMetrics(SM_CMONITORS));
    ObjectHeader* screen = getScreen(0);
    ASSERT_NE(screen, nullptr);
    EXPECT_TRUE(ObjectIsaDefinition(screen, ScreenClass()));
    const ScreenFields f = Values(screen);
    const RECT work = WorkArea();
    EXPECT_EQ(f.left, 0);
    EXPECT_EQ(f.top, 0);
    EXPECT_EQ(f.width, GetSystemMetrics(SM_CXSCREEN));
    EXPECT_EQ(f.height, GetSystemMetrics(SM_CYSCREEN));
    EXPECT_EQ(f.depth, ScreenDepth());
    EXPECT_EQ(f.availableLeft, work.left);
    EXPECT_EQ(f.availableTop, work.top);
    EXPECT_EQ(f.availableWidth, work.right - work.left);
    EXPECT_EQ(f.availableHeight, work.bottom - work.top);
    EXPECT_EQ(screenWidthGetter(screen), f.width);
    EXPECT_EQ(screenDepthGetter(screen), f.depth);
    ObjectHeader* again = getScreen(0);
    EXPECT_EQ(again, screen) << "the list is kept";
    RuntimeUnlockObject(again);
    RuntimeUnlockObject(screen);
    EXPECT_EQ(getScreen(-1), nullptr);
    EXPECT_EQ(getScreen(getScreenCount()), nullptr);
}

TEST_F(ScreensTest, WithoutMonitorFunctionsOnlyThePrimaryDisplayIsListed) {
    SetScreenFunctionsForTesting(NoFunctions, TwoMonitorsAndAWidth);
    EXPECT_EQ(getScreenCount(), 2);
    EXPECT_EQ(getScreen(1), nullptr) << "asked first, with an empty list";
    ObjectHeader* first = getScreen(0);
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(Values(first).width, GetSystemMetrics(SM_CXSCREEN));
    EXPECT_EQ(getScreen(1), nullptr);

    // A display change: a new object shows the new size, the old one keeps its values.
    sWidth = 1024;
    RemoveCachedScreenInfo();
    ObjectHeader* second = getScreen(0);
    ASSERT_NE(second, nullptr);
    EXPECT_NE(second, first);
    EXPECT_EQ(Values(second).width, 1024);
    EXPECT_EQ(Values(first).width, GetSystemMetrics(SM_CXSCREEN));
    RuntimeUnlockObject(first);
    RuntimeUnlockObject(second);
}

TEST_F(ScreensTest, TwoDisplaysAndAFailedMonitorQuery) {
    SetScreenFunctionsForTesting(TwoMonitors, TwoMonitorsAndAWidth);
    ObjectHeader* primary = getScreen(0);
    ObjectHeader* other = getScreen(1);
    ASSERT_NE(primary, nullptr);
    ASSERT_NE(other, nullptr);
    EXPECT_EQ(getScreen(2), nullptr) << "the failed third query ends the list";
    const RECT work = WorkArea();
    const ScreenFields p = Values(primary);
    EXPECT_EQ(p.width, 1280);
    EXPECT_EQ(p.availableWidth, work.right - work.left) << "the primary gets the work area";
    EXPECT_EQ(p.availableHeight, work.bottom - work.top);
    const ScreenFields o = Values(other);
    EXPECT_EQ(o.left, 1280);
    EXPECT_EQ(o.top, -100);
    EXPECT_EQ(o.width, 800);
    EXPECT_EQ(o.height, 600);
    EXPECT_EQ(o.availableLeft, 1280);
    EXPECT_EQ(o.availableTop, -100);
    EXPECT_EQ(o.availableWidth, 800) << "other displays keep their whole rectangle";
    EXPECT_EQ(o.availableHeight, 600);
    EXPECT_EQ(o.depth, ScreenDepth());
    RuntimeUnlockObject(primary);
    RuntimeUnlockObject(other);

    RemoveCachedScreenInfo();
    sSecondFails = true;
    ObjectHeader* alone = getScreen(0);
    ASSERT_NE(alone, nullptr);
    EXPECT_EQ(getScreen(1), nullptr);
    RuntimeUnlockObject(alone);
}

TEST_F(ScreensTest, PlacementReadsTheScreenList) {
    SetScreenFunctionsForTesting(TwoMonitors, TwoMonitorsAndAWidth);
    ScreenArea areas[4];
    ASSERT_EQ(GetScreenAreas(areas, 4), 2);
    EXPECT_EQ(areas[1].full.left, 1280);
    EXPECT_EQ(areas[1].full.bottom, 500);
    EXPECT_EQ(areas[1].available.right, 2080);
    const Rect16 onSecond = {100, 1400, 200, 1500};
    EXPECT_EQ(FindScreenOfRect(onSecond), 1);
    Rect16 low = {450, 1400, 550, 1500};  // below the second display's bottom, 500
    ConstrainRectToScreen(low);
    EXPECT_EQ(low.bottom, 498);
    EXPECT_EQ(low.top, 398);
    EXPECT_EQ(low.left, 1400);
}
