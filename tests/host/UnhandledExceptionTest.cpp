#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "RaisedExceptions.h"
#include "controls/MessageDialog.h"
#include "core/DefinitionConversion.h"
#include "core/Exceptions.h"
#include "host/Application.h"
#include "host/EventLoop.h"
#include "host/UnhandledException.h"
#include "windows/WindowList.h"

namespace {

template <typename F>
void* Fn(F* f) {
    return reinterpret_cast<void*>(f);
}

// Every message box the report would show, answered OK without a window.
struct ShownBox {
    std::string text;
    uint32_t style;
};
class BoxRecorder {
public:
    BoxRecorder() { SetMessageBoxResponder(&Respond, this); }
    ~BoxRecorder() { SetMessageBoxResponder(nullptr, nullptr); }
    std::vector<ShownBox> boxes;

private:
    static int32_t Respond(const MessageBoxRecord& box, void* context) {
        static_cast<BoxRecorder*>(context)->boxes.push_back(
            {std::string(box.text.CString(), box.text.Length()), box.style});
        return 1;  // IDOK
    }
};

ObjectHeader* NewException(ObjectDefinition* definition, const char* message, int32_t number) {
    ObjectHeader* exception = CreateInstance(definition);
    auto* fields = reinterpret_cast<RuntimeExceptionObject*>(exception);
    if (message) fields->message = string(message).Detach();
    fields->errorNumber = number;
    return exception;
}

// --- the report (each test sets the quit flag; nothing here reads it beforehand) ---

TEST(UnhandledReport, MessageAndExplanationFromTheException) {
    struct Case {
        ObjectDefinition* (*definition)();
        const char* message;
        int32_t number;
        std::string expected;
    };
    const std::string nilText =
        "An exception of class NilObjectException was not handled.  The application must shut down.";
    const std::string runtimeText =
        "An exception of class RuntimeException was not handled.  The application must shut down.";
    const Case cases[] = {
        {NilObjectException, nullptr, 0, nilText},
        {RuntimeException, "Disk full", 28,
         runtimeText + "\r\n\r\nException Message: Disk full\rException Error Number: 28"},
        {RuntimeException, "Disk full", 0, runtimeText + "\r\n\r\nException Message: Disk full\r"},
        {RuntimeException, nullptr, -5, runtimeText + "\r\n\r\nException Error Number: -5"},
    };
    for (const Case& c : cases) {
        BoxRecorder boxes;
        ObjectHeader* exception = NewException(c.definition(), c.message, c.number);
        ReportUnhandledException(exception);
        ASSERT_EQ(boxes.boxes.size(), 1u);
        EXPECT_EQ(boxes.boxes[0].text, c.expected);
        EXPECT_EQ(boxes.boxes[0].style, 0x10u);  // MB_ICONSTOP | MB_OK
        EXPECT_TRUE(IsQuitting());
        RuntimeUnlockObject(exception);
    }
}

bool sCancelAll = false;
bool CancelNever(ObjectHeader*, bool) {
    sCancelAll = true;
    return true;
}

TEST(UnhandledReport, EndExceptionClosesEveryWindowSilently) {
    ClassRecord* windowClass = RuntimeNewClass(nullptr, 0, 0, 0, 0, 0);
    windowClass->instanceSize = kObjectHeaderSize;
    ObjectHeader* window = RuntimeNewObject(windowClass);
    AddRuntimeWindow(window)->cancelClose = CancelNever;
    BoxRecorder boxes;
    ObjectHeader* end = CreateInstance(EndException());
    ReportUnhandledException(end);
    EXPECT_TRUE(boxes.boxes.empty());
    EXPECT_EQ(RuntimeWindowCount(), 0);
    EXPECT_FALSE(sCancelAll);  // not asked
    EXPECT_TRUE(IsQuitting());
    RuntimeUnlockObject(end);
    RuntimeUnlockObject(window);
}

// --- the Application's UnhandledException event ---

bool sHandles = false;
bool sQuitInside = false;
std::vector<ObjectHeader*> sSeen;

bool OnUnhandled(ObjectHeader* app, ObjectHeader* exception) {
    EXPECT_TRUE(InsideUnhandledExceptionHandler());
    sSeen.push_back(exception);
    if (sQuitInside) {
        EXPECT_TRUE(ApplicationQuit(app, true));
    }
    return sHandles;
}

class UnhandledHook : public testing::Test {
protected:
    void SetUp() override {
        sHandles = false;
        sQuitInside = false;
        sSeen.clear();
        ClassRecord* base = LookupObjectDefinition(Application());
        static ClassRecord* own = [base] {
            ClassRecord* record = RuntimeNewClass(base, base->methodCount, 0, base->eventCount,
                                                  base->accessorCount, base->propertyCount);
            record->instanceSize = base->instanceSize;
            record->events[kAppUnhandledException].vector = Fn(OnUnhandled);
            return record;
        }();
        app = RuntimeNewObject(own);
        SetApplicationObject(app);
    }
    void TearDown() override { RuntimeUnlockObject(app); }
    ObjectHeader* app = nullptr;
};

// In declaration order: the quit flag is clear until the first report of this suite.
TEST_F(UnhandledHook, HandlerThatReturnsTrueSuppressesTheReport) {
    sHandles = true;
    BoxRecorder boxes;
    ObjectHeader* exception = CreateInstance(OutOfBoundsException());
    EXPECT_TRUE(ApplicationUnhandledExceptionHook(exception));
    EXPECT_EQ(sSeen, std::vector<ObjectHeader*>{exception});
    EXPECT_TRUE(boxes.boxes.empty());
    EXPECT_FALSE(IsQuitting());
    EXPECT_FALSE(InsideUnhandledExceptionHandler());
    RuntimeUnlockObject(exception);
}

TEST_F(UnhandledHook, QuitInsideTheHandlerSetsTheFlagWithoutEndException) {
    sHandles = true;
    sQuitInside = true;
    RaisedExceptions raised;
    ObjectHeader* exception = CreateInstance(NilObjectException());
    EXPECT_TRUE(TryApplicationUnhandledException(exception));
    EXPECT_TRUE(raised.Names().empty());
    EXPECT_TRUE(IsQuitting());
    RuntimeUnlockObject(exception);
}

TEST_F(UnhandledHook, EndExceptionNeverReachesTheHandlerNorTheReportWhileQuitting) {
    ASSERT_TRUE(IsQuitting());
    BoxRecorder boxes;
    ObjectHeader* end = CreateInstance(EndException());
    EXPECT_FALSE(ApplicationUnhandledExceptionHook(end));
    EXPECT_TRUE(sSeen.empty());
    EXPECT_TRUE(boxes.boxes.empty());
    RuntimeUnlockObject(end);
}

TEST(UnhandledHookWithoutHandler, ReportsAndQuits) {
    SetApplicationObject(nullptr);
    BoxRecorder boxes;
    ObjectHeader* exception = CreateInstance(IllegalCastException());
    EXPECT_FALSE(TryApplicationUnhandledException(exception));
    EXPECT_FALSE(IsQuitting());
    EXPECT_FALSE(ApplicationUnhandledExceptionHook(exception));
    ASSERT_EQ(boxes.boxes.size(), 1u);
    EXPECT_NE(boxes.boxes[0].text.find("IllegalCastException"), std::string::npos);
    EXPECT_TRUE(IsQuitting());
    RuntimeUnlockObject(exception);
}

}  // namespace
