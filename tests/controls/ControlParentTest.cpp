#include <gtest/gtest.h>

#include "CompiledSubclass.h"
#include "ModalDriver.h"
#include "RaisedExceptions.h"
#include "controls/ControlClasses.h"
#include "core/DefinitionConversion.h"
#include "host/WindowLookups.h"
#include "windows/Pane.h"
#include "windows/TopLevelWindowClass.h"
#include "windows/WindowObject.h"

extern "C" void WindowVisibleSetter(ObjectHeader* window, int32_t, bool value);

namespace {

void OnLayout(ObjectHeader* self) {
    windowPosSetter(self, 2, 200);
    windowPosSetter(self, 3, 150);
    WindowVisibleSetter(self, 0, true);
}

// Outer at (10, 10) to (110, 110) with Inner at (20, 20) to (50, 50) on it, and Other beside.
void OnCreateControls(ObjectHeader* self) {
    const struct {
        const char* name;
        int32_t place[4];
    } canvases[] = {{"Outer", {10, 10, 100, 100}}, {"Inner", {20, 20, 30, 30}},
                    {"Other", {120, 10, 30, 30}}};
    for (const auto& c : canvases) {
        ObjectHeader* canvas = CreateInstance(Canvas());
        for (int32_t i = 0; i < 4; ++i) ctlPosSetter(canvas, i, c.place[i]);
        WindowAddControl(self, string(c.name).Record(), canvas);
        RuntimeUnlockObject(canvas);
    }
}

class ControlParent : public testing::Test {
protected:
    void SetUp() override {
        RegisterWindowClasses();
        ClassRecord* windowClass =
            CompiledSubclass(Window(), "ParentWin", {{"Layout", HandlerAddress(OnLayout)},
                                                     {"CreateControls", HandlerAddress(OnCreateControls)}});
        for (ObjectHeader*& w : windows) {
            w = RuntimeNewObject(windowClass);
            WindowDefaultConstructor(w);
        }
        PumpOnce();
    }
    void TearDown() override {
        for (ObjectHeader* w : windows) {
            RuntimeCloseWindow(w);
            RuntimeUnlockObject(w);
        }
    }
    ObjectHeader* Control(int window, const char* name) {
        ObjectHeader* control = nullptr;
        WindowFields(windows[window])->mControls->GetEntry(string(name), control);
        return control;
    }
    ObjectHeader* windows[2] = {};
};

// A parent must lie in the same window and outside the control: anything else raises and leaves
// the pane tree as it was.
TEST_F(ControlParent, ParentsThatWouldBreakThePaneTreeRaise) {
    ObjectHeader* outer = Control(0, "Outer");
    ObjectHeader* inner = Control(0, "Inner");
    ASSERT_TRUE(outer && inner && ControlFields(outer)->pane && ControlFields(inner)->pane);
    RaisedExceptions raised;
    ControlParentSetter(inner, 0, outer);
    EXPECT_EQ(raised.Take(), "");
    EXPECT_EQ(ControlFields(inner)->pane->parent, ControlFields(outer)->pane);

    struct Case {
        const char* what;
        ObjectHeader* control;
        ObjectHeader* parent;
    } cases[] = {
        {"itself", outer, outer},
        {"a control inside it", outer, inner},
        {"a control of another window", Control(0, "Other"), Control(1, "Outer")},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        SubPane* before = ControlFields(c.control)->pane->parent;
        ObjectHeader* parentBefore = ControlFields(c.control)->parentControl;
        ControlParentSetter(c.control, 0, c.parent);
        EXPECT_EQ(raised.Take(), "InvalidParentException");
        EXPECT_EQ(ControlFields(c.control)->pane->parent, before);
        EXPECT_EQ(ControlFields(c.control)->parentControl, parentBefore);
    }
    ControlParentSetter(inner, 0, nullptr);
    EXPECT_EQ(raised.Take(), "");
    EXPECT_EQ(ControlFields(inner)->pane->parent, ControlFields(inner)->ownerPane);
}

}  // namespace
