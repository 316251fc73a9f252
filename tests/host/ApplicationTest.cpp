#include <gtest/gtest.h>

#include <string>
#include <vector>

#include <windows.h>

#include "CompiledSubclass.h"
#include "FailureRecorder.h"
#include "RaisedExceptions.h"
#include "core/DefinitionConversion.h"
#include "core/Exceptions.h"
#include "host/Application.h"
#include "host/EventLoop.h"
#include "host/UnhandledException.h"
#include "host/WindowLookups.h"
#include "windows/TopLevelWindowClass.h"
#include "windows/WindowList.h"
#include "windows/WindowObject.h"

namespace {

std::string Text(StringRecord* record) { return record ? StringRecord::CString(record) : ""; }

// What the handlers of one test saw, in order.
std::vector<std::string> sCalls;
bool sCancelClose = false;
bool sQuitFromClose = false;

void Record(const char* what) { sCalls.emplace_back(what); }

void OnOpen(ObjectHeader*) { Record("Open"); }
void OnClose(ObjectHeader* app) {
    Record("Close");
    if (sQuitFromClose) {
        EXPECT_FALSE(ApplicationQuit(app, true));
    }
}
void OnActivate(ObjectHeader*) { Record("Activate"); }
void OnDeactivate(ObjectHeader*) { Record("Deactivate"); }
void OnNewDocument(ObjectHeader*) { Record("NewDocument"); }
void OnOpenDocument(ObjectHeader*, ObjectHeader* item) {
    Record(item ? "OpenDocument(item)" : "OpenDocument(nil)");
}
bool OnCancelClose(ObjectHeader*) {
    Record("CancelClose");
    return sCancelClose;
}
void OnOwnEvent(ObjectHeader*) { Record("Own"); }

template <typename F>
void* Fn(F* f) {
    return reinterpret_cast<void*>(f);
}

// The application class as compiled code builds it: a subclass of the Application record with one
// event of its own after the ten inherited ones, handlers filled into its event slots.
ClassRecord* CompiledApplicationClass() {
    static ClassRecord* record = [] {
        ClassRecord* base = LookupObjectDefinition(Application());
        ClassRecord* own = RuntimeNewClass(base, base->methodCount, base->interfaceCount,
                                           base->eventCount + 1, base->accessorCount,
                                           base->propertyCount);
        own->name = string("App").Detach();
        own->instanceSize = base->instanceSize;
        own->events[kAppOpen].vector = Fn(OnOpen);
        own->events[kAppClose].vector = Fn(OnClose);
        own->events[kAppActivate].vector = Fn(OnActivate);
        own->events[kAppDeactivate].vector = Fn(OnDeactivate);
        own->events[kAppNewDocument].vector = Fn(OnNewDocument);
        own->events[kAppOpenDocument].vector = Fn(OnOpenDocument);
        own->events[kAppCancelClose].vector = Fn(OnCancelClose);
        own->events[kApplicationEventCount] = {Fn(OnOwnEvent), string("Refresh").Detach()};
        return own;
    }();
    return record;
}

class ApplicationFixture : public testing::Test {
protected:
    void SetUp() override {
        sCalls.clear();
        sCancelClose = false;
        sQuitFromClose = false;
        app = RuntimeNewObject(CompiledApplicationClass());
        SetApplicationObject(app);
    }
    void TearDown() override {
        CloseAllWindows();
        RuntimeUnlockObject(app);
        EXPECT_EQ(ApplicationObjectOrNull(), nullptr);  // the finalizer cleared the registration
    }

    ObjectHeader* app = nullptr;
};

// --- the class record ---

TEST(ApplicationClass, EventsInTheirOrderFromSlotZero) {
    ClassRecord* record = LookupObjectDefinition(Application());
    ASSERT_NE(record, nullptr);
    const char* names[] = {"Open", "Close", "EnableMenuItems", "NewDocument", "OpenDocument",
                           "HandleAppleEvent", "Activate", "Deactivate", "UnhandledException",
                           "CancelClose"};
    ASSERT_EQ(record->eventCount, kApplicationEventCount);
    for (int i = 0; i < kApplicationEventCount; ++i) {
        EXPECT_EQ(Text(record->events[i].name), names[i]) << i;
        EXPECT_EQ(ApplicationEventDefinition(static_cast<ApplicationEvent>(i))->index, i);
    }
}

TEST(ApplicationClass, PropertiesReachTheirFields) {
    ClassRecord* record = LookupObjectDefinition(Application());
    ASSERT_EQ(record->instanceSize, static_cast<int32_t>(sizeof(ApplicationObject)));
    struct Row {
        const char* descriptorStart;
        int32_t parameter;
    };
    const Row rows[] = {
        {"MouseCursor%", static_cast<int32_t>(offsetof(ApplicationObject, mouseCursor))},
        {"MDIWindow%", static_cast<int32_t>(offsetof(ApplicationObject, mdiWindow))},
        {"BalloonHelpVisible%", static_cast<int32_t>(offsetof(ApplicationObject, balloonHelpVisible))},
        {"MajorVersion%", 0}, {"RegionCode%", 5}, {"PackageInfo%", 2},
    };
    for (const Row& row : rows) {
        bool found = false;
        for (int32_t i = 0; i < record->propertyCount; ++i) {
            const std::string descriptor = Text(record->properties[i].descriptor);
            if (descriptor.rfind(row.descriptorStart, 0) != 0) continue;
            found = true;
            EXPECT_EQ(record->properties[i].parameter, row.parameter) << descriptor;
        }
        EXPECT_TRUE(found) << row.descriptorStart;
    }
}

TEST(ApplicationClass, InitializerMakesTheMDIWindowAndAutoQuitFollowsTheMode) {
    for (bool mdi : {false, true}) {
        SetMDIMode(mdi);
        ObjectHeader* app = CreateInstance(Application());
        auto* fields = reinterpret_cast<ApplicationObject*>(app);
        ASSERT_NE(fields->mdiWindow, nullptr);
        EXPECT_TRUE(ObjectIsaDefinition(fields->mdiWindow, MDIWindow()));
        EXPECT_EQ(AppAutoCloseGetter(app, 0), mdi ? 0 : 1);
        EXPECT_EQ(fields->mMenuHandlers, nullptr);
        RuntimeUnlockObject(app);
    }
    SetMDIMode(false);
}

TEST_F(ApplicationFixture, CompiledSubclassEventsFire) {
    ApplicationNewDocument(app);
    ApplicationOpenDocument(app, nullptr);
    FireApplicationActivate();
    FireApplicationActivate();  // already active: nothing
    FireApplicationDeactivate();
    FireApplicationDeactivate();
    EXPECT_EQ(sCalls, (std::vector<std::string>{"NewDocument", "OpenDocument(nil)", "Activate",
                                                "Deactivate"}));
    // The subclass's own event follows the inherited ones.
    EXPECT_EQ(app->eventTable[kApplicationEventCount].vector, Fn(OnOwnEvent));
}

TEST_F(ApplicationFixture, GetAppObjectAddsAReference) {
    const int32_t before = app->refCount;
    ObjectHeader* got = getAppObject();
    EXPECT_EQ(got, app);
    EXPECT_EQ(app->refCount, before + 1);
    RuntimeUnlockObject(got);
}

TEST_F(ApplicationFixture, MenuBarSetterHoldsOneReference) {
    ObjectHeader* bar = CreateInstance(MenuItem());
    AppMenuBarSetter(app, 0, bar);
    EXPECT_EQ(bar->refCount, 2);
    ObjectHeader* got = AppMenuBarGetter(app, 0);
    EXPECT_EQ(got, bar);
    RuntimeUnlockObject(got);
    AppMenuBarSetter(app, 0, nullptr);
    EXPECT_EQ(bar->refCount, 1);
    RuntimeUnlockObject(bar);
}

TEST_F(ApplicationFixture, MenuHandlersByNameWithoutCase) {
    int a = 0, b = 0;
    ApplicationAddMenuHandler(app, string("FileOpen").Record(), &a);
    ApplicationAddMenuHandler(app, string("fileopen").Record(), &b);
    ApplicationAddMenuHandler(app, string("EditCut").Record(), nullptr);  // nothing
    auto* map = reinterpret_cast<ApplicationObject*>(app)->mMenuHandlers;
    ASSERT_NE(map, nullptr);
    EXPECT_EQ(map->Count(), 1u);
    void* found = nullptr;
    EXPECT_TRUE(map->GetEntry(string("FILEOPEN"), found));
    EXPECT_EQ(found, &b);

    FailureRecorder recorder;
    ApplicationAddMenuHandler(nullptr, string("x").Record(), &a);
    ApplicationAddMenuHandler(app, nullptr, &a);
    ASSERT_EQ(recorder.Count(), 2u);
    EXPECT_EQ(recorder.Reports()[0].condition, "self");
    EXPECT_EQ(recorder.Reports()[1].condition, "name");
    EXPECT_EQ(recorder.Reports()[1].file, "application");
}

// --- pollable objects ---

int sPolls = 0;
void PollHandler(ObjectHeader*) { ++sPolls; }

TEST_F(ApplicationFixture, PollableWrappersOneRemoveTakesEveryWrapperOfTheObject) {
    ClassRecord* plain = RuntimeNewClass(nullptr, 0, 0, 0, 0, 0);
    plain->instanceSize = kObjectHeaderSize;
    ClassRecord* pollable = LookupObjectDefinition(Pollable());
    ClassRecord* polled = RuntimeNewClass(nullptr, 0, 1, 0, 0, 0);
    polled->instanceSize = kObjectHeaderSize;
    static MethodSlot pollSlot = {Fn(PollHandler), string("_Poll").Detach()};
    polled->interfaces[0] = {pollable, 1, &pollSlot};

    ObjectHeader* quiet = RuntimeNewObject(plain);
    ObjectHeader* busy = RuntimeNewObject(polled);
    PollableObjectWrapper* first = ApplicationAddPollableObject(app, busy);
    ApplicationAddPollableObject(app, busy);
    PollableObjectWrapper* silent = ApplicationAddPollableObject(app, quiet);
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(busy->refCount, 3);
    EXPECT_EQ(ApplicationPollables().size(), 3u);

    sPolls = 0;
    PollAllPollableObjects();
    EXPECT_EQ(sPolls, 2);
    EXPECT_EQ(silent->pollMethod, nullptr);

    ApplicationRemovePollableObject(app, busy);
    EXPECT_EQ(busy->refCount, 1);
    ASSERT_EQ(ApplicationPollables().size(), 1u);
    EXPECT_EQ(ApplicationPollables()[0]->object, quiet);
    sPolls = 0;
    PollAllPollableObjects();
    EXPECT_EQ(sPolls, 0);

    // The finalizer empties the list.
    RuntimeUnlockObject(busy);
    EXPECT_EQ(quiet->refCount, 2);
    ApplicationRemoveAllPollableObjects(app);
    EXPECT_EQ(quiet->refCount, 1);
    RuntimeUnlockObject(quiet);
}

// --- quitting ---

struct WindowScript {
    const char* name;
    bool cancels;
};
std::vector<WindowScript> sWindowScripts;
std::vector<ObjectHeader*> sWindowObjects;

const char* WindowName(ObjectHeader* window) {
    for (size_t i = 0; i < sWindowObjects.size(); ++i)
        if (sWindowObjects[i] == window) return sWindowScripts[i].name;
    return "?";
}

bool WindowCancelClose(ObjectHeader* window, bool quitting) {
    EXPECT_TRUE(quitting);
    sCalls.push_back(std::string(WindowName(window)) + ".CancelClose");
    for (size_t i = 0; i < sWindowObjects.size(); ++i)
        if (sWindowObjects[i] == window) return sWindowScripts[i].cancels;
    return false;
}

void WindowClose(ObjectHeader* window) {
    sCalls.push_back(std::string(WindowName(window)) + ".Close");
}

class Quitting : public ApplicationFixture {
protected:
    void OpenWindows(std::vector<WindowScript> scripts) {
        sWindowScripts = std::move(scripts);
        sWindowObjects.clear();
        static ClassRecord* windowClass = [] {
            ClassRecord* record = RuntimeNewClass(nullptr, 0, 0, 0, 0, 0);
            record->instanceSize = kObjectHeaderSize;
            return record;
        }();
        for (size_t i = 0; i < sWindowScripts.size(); ++i) {
            ObjectHeader* window = RuntimeNewObject(windowClass);
            sWindowObjects.push_back(window);
            RuntimeWindowRecord* record = AddRuntimeWindow(window);
            record->cancelClose = WindowCancelClose;
            record->close = WindowClose;
        }
    }
    void TearDown() override {
        ApplicationFixture::TearDown();
        for (ObjectHeader* window : sWindowObjects) RuntimeUnlockObject(window);
        sWindowObjects.clear();
        RemoveAllTrayItems();
    }
};

// These run before any test that lets the quit go through, so the quit flag is still clear.
TEST_F(Quitting, CancelCloseStopsBeforeAnyWindowIsAsked) {
    sCancelClose = true;
    OpenWindows({{"A", false}});
    RaisedExceptions raised;
    EXPECT_FALSE(ApplicationQuit(app, true));
    EXPECT_EQ(sCalls, (std::vector<std::string>{"CancelClose"}));
    EXPECT_EQ(RuntimeWindowCount(), 1);
    EXPECT_TRUE(raised.Names().empty());
    EXPECT_FALSE(IsQuitting());
    EXPECT_EQ(reinterpret_cast<ApplicationObject*>(app)->closing, 0);
}

TEST_F(Quitting, AWindowThatCancelsStopsTheWalkAfterClosingThoseBefore) {
    OpenWindows({{"A", false}, {"B", true}, {"C", false}});
    ObjectHeader* tray = CreateInstance(MDIWindow());
    AddTrayItem(app, tray);
    RaisedExceptions raised;
    EXPECT_FALSE(ApplicationQuit(app, true));
    EXPECT_EQ(sCalls, (std::vector<std::string>{"CancelClose", "A.CancelClose", "A.Close",
                                                "B.CancelClose"}));
    EXPECT_EQ(RuntimeWindowCount(), 2);
    EXPECT_EQ(TrayItemCount(), 1);
    EXPECT_TRUE(raised.Names().empty());
    EXPECT_FALSE(IsQuitting());
    RuntimeUnlockObject(tray);
}

TEST_F(Quitting, QuitClosesWindowsRemovesTrayItemsFiresCloseRaisesEndThenSetsTheFlag) {
    OpenWindows({{"A", false}, {"B", false}});
    ObjectHeader* tray = CreateInstance(MDIWindow());
    AddTrayItem(app, tray);
    sQuitFromClose = true;  // quitting again from Close gets false
    RaisedExceptions raised;
    EXPECT_TRUE(QV_ApplicationQuit(app));
    EXPECT_EQ(sCalls, (std::vector<std::string>{"CancelClose", "A.CancelClose", "A.Close",
                                                "B.CancelClose", "B.Close", "Close"}));
    EXPECT_EQ(RuntimeWindowCount(), 0);
    EXPECT_EQ(TrayItemCount(), 0);
    EXPECT_EQ(raised.Names(), (std::vector<std::string>{"EndException"}));
    EXPECT_TRUE(IsQuitting());
    EXPECT_EQ(reinterpret_cast<ApplicationObject*>(app)->closing, 0);
    RuntimeUnlockObject(tray);
}

// Language windows with native windows: Window(index) and the quit walk go front to back, not in
// the order the windows were made.
ObjectHeader* sBackWindow = nullptr;

bool NativeWindowCancelClose(ObjectHeader* window, bool) {
    const bool back = window == sBackWindow;
    sCalls.push_back(back ? "Back.CancelClose" : "Front.CancelClose");
    return !back;  // the front window cancels
}

void NativeWindowClose(ObjectHeader* window) {
    sCalls.push_back(window == sBackWindow ? "Back.Close" : "Front.Close");
}

TEST_F(Quitting, WindowsCountFromTheFrontWindow) {
    RegisterWindowClasses();
    ClassRecord* windowClass = CompiledSubclass(
        Window(), "OrderedWindow",
        {{"CancelClose", HandlerAddress(NativeWindowCancelClose)},
         {"Close", HandlerAddress(NativeWindowClose)}});
    ObjectHeader* back = RuntimeNewObject(windowClass);
    WindowDefaultConstructor(back);
    ObjectHeader* front = RuntimeNewObject(windowClass);
    WindowDefaultConstructor(front);
    sBackWindow = back;
    for (ObjectHeader* window : {back, front})
        SetWindowPos(reinterpret_cast<HWND>(WindowHandleGetter(window, 0)), HWND_TOP, 0, 0, 0, 0,
                     SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);

    ASSERT_EQ(getWindowCount(), 2);
    ObjectHeader* first = getWindow(0);
    ObjectHeader* second = getWindow(1);
    EXPECT_EQ(first, front);
    EXPECT_EQ(second, back);
    ReleaseObject(first);
    ReleaseObject(second);

    // The front window cancels before the one behind it is asked, which stays open.
    EXPECT_FALSE(ApplicationQuit(app, true));
    EXPECT_EQ(sCalls, (std::vector<std::string>{"CancelClose", "Front.CancelClose"}));
    EXPECT_EQ(getWindowCount(), 2);

    sBackWindow = nullptr;
    for (ObjectHeader* window : {front, back}) {
        RuntimeCloseWindow(window);
        RuntimeUnlockObject(window);
    }
}

TEST_F(Quitting, AutoQuitPathRaisesNothing) {
    RaisedExceptions raised;
    EXPECT_TRUE(ApplicationQuit(app, false));
    EXPECT_TRUE(raised.Names().empty());
    EXPECT_TRUE(IsQuitting());
}

TEST(QuittingWithoutApplication, MayEndAtOnce) {
    SetApplicationObject(nullptr);
    EXPECT_TRUE(CloseApplication());
    EXPECT_FALSE(FireApplicationCancelCloseEvent());
}

TEST(ApplicationVersion, FileVersionFields) {
    struct Case {
        const char* text;
        int32_t fields[4];
    };
    const Case cases[] = {
        {"2.1", {2, 1, 0, 0}},
        {"1.2.3.4", {1, 2, 3, 4}},
        {"", {0, 0, 0, 0}},
        {"10.0.7", {10, 0, 7, 0}},
    };
    for (const Case& c : cases)
        for (int32_t field = 0; field < 4; ++field)
            EXPECT_EQ(VersionNumberField(string(c.text), field), c.fields[field])
                << c.text << " field " << field;
}

// The test program carries the runtime's resources: the readers find its version block.
TEST(ApplicationVersion, ReadsTheRuntimesOwnVersionResource) {
    const int32_t numbers[] = {1, 0, 0, -1, 0};  // Major, Minor, Bug, StageCode, NonRelease
    for (int32_t kind = 0; kind < 5; ++kind)
        EXPECT_EQ(Win32NonIDEIntVer(kind), numbers[kind]) << "kind " << kind;
    const char* const texts[] = {"1.0.0", "Quorvane Runtime 1.0.0", "Quorvane Runtime"};
    for (int32_t kind = 0; kind < 3; ++kind) {
        StringRecord* text = Win32NonIDEStringVer(kind);
        EXPECT_EQ(Text(text), texts[kind]) << "kind " << kind;
        RuntimeUnlockString(text);
    }
}

TEST(ApplicationVersion, OtherPlatformFormsAndUnknownKinds) {
    EXPECT_EQ(MacNonIDEIntVer(), -1);
    EXPECT_EQ(MacNonIDEStringVer(), nullptr);
    EXPECT_EQ(Win32NonIDEIntVer(5), -1);
    EXPECT_EQ(Win32NonIDEStringVer(7), nullptr);
}

TEST(ApplicationDummies, MenuArrayAndCloneReportAndAnswerNull) {
    FailureRecorder recorder;
    EXPECT_EQ(RuntimeMenuArrayReference(), nullptr);
    EXPECT_EQ(RuntimeCloneMenu(), nullptr);
    ASSERT_EQ(recorder.Count(), 2u);
    EXPECT_EQ(recorder.Last().file, "RuntimeMain");
    EXPECT_EQ(recorder.Last().condition, "0");
}

}  // namespace
