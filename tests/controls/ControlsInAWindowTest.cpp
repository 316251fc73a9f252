#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "CompiledSubclass.h"
#include "ModalDriver.h"
#include "RaisedExceptions.h"
#include "controls/ControlClasses.h"
#include "controls/DataAwarePane.h"
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

// Outer at (10, 10) to (110, 110) with Inner at (20, 20) to (50, 50) on it, Other and Data beside.
void OnCreateControls(ObjectHeader* self) {
    const struct {
        const char* name;
        int32_t place[4];
    } canvases[] = {{"Outer", {10, 10, 100, 100}}, {"Inner", {20, 20, 30, 30}},
                    {"Other", {120, 10, 30, 30}}, {"Data", {120, 50, 30, 30}}};
    for (const auto& c : canvases) {
        ObjectHeader* canvas = CreateInstance(Canvas());
        for (int32_t i = 0; i < 4; ++i) ctlPosSetter(canvas, i, c.place[i]);
        WindowAddControl(self, string(c.name).Record(), canvas);
        RuntimeUnlockObject(canvas);
    }
}

class ControlsInAWindow : public testing::Test {
protected:
    void SetUp() override {
        RegisterWindowClasses();
        ClassRecord* windowClass =
            CompiledSubclass(Window(), "ControlsWin", {{"Layout", HandlerAddress(OnLayout)},
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
TEST_F(ControlsInAWindow, ParentsThatWouldBreakThePaneTreeRaise) {
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

// The native window's own visibility, whatever its ancestors'.
bool Shown(HWND window) { return (GetWindowLongA(window, GWL_STYLE) & WS_VISIBLE) != 0; }

// Hiding, showing, disabling and enabling a container reaches the panes of the controls inside
// it, each keeping its own Visible and Enabled.
TEST_F(ControlsInAWindow, ContainerStatesReachInnerControlsThatAllowThem) {
    ObjectHeader* outer = Control(0, "Outer");
    ObjectHeader* inner = Control(0, "Inner");
    ControlParentSetter(inner, 0, outer);
    SubPane* innerPane = ControlFields(inner)->pane;
    HWND innerWindow = reinterpret_cast<HWND>(controlMacControlHandleGetter(inner, 0));
    ASSERT_NE(innerWindow, nullptr);
    ASSERT_NE(innerWindow, reinterpret_cast<HWND>(controlMacControlHandleGetter(outer, 0)));
    for (bool own : {true, false}) {
        SCOPED_TRACE(own ? "inner visible and enabled" : "inner hidden and disabled");
        ControlVisibleSetter(inner, 0, own);
        controlEnabledSetter(inner, 0, own);
        ControlVisibleSetter(outer, 0, false);
        controlEnabledSetter(outer, 0, false);
        EXPECT_FALSE(Shown(innerWindow));
        EXPECT_FALSE(innerPane->enabled);
        ControlVisibleSetter(outer, 0, true);
        controlEnabledSetter(outer, 0, true);
        EXPECT_EQ(Shown(innerWindow), own);
        EXPECT_EQ(innerPane->visible, own);
        EXPECT_EQ(innerPane->enabled, own);
        EXPECT_EQ(ControlFields(inner)->visible != 0, own);
        EXPECT_EQ(ControlFields(inner)->enabled != 0, own);
    }
    // The panel goes to the inner controls too, and to nothing beside.
    ControlPanelIndexSetter(outer, 0, 2);
    EXPECT_EQ(ControlPanelIndexGetter(outer, 0), 2);
    EXPECT_EQ(ControlFields(inner)->tabPanelIndex, 3);
    EXPECT_EQ(ControlFields(Control(0, "Other"))->tabPanelIndex, 0);
}

// What the DataControl's hooks were asked.
ObjectHeader* sDataControl = nullptr;
std::vector<std::string> sHookCalls;

std::string NameOf(ObjectHeader* control) {
    return std::string(StringRecord::CString(ControlFields(control)->name));
}

const DataControlHooks kHooks = {
    [](ObjectHeader* object) { return object == sDataControl; },
    [](ObjectHeader* dc, ObjectHeader* c, int32_t key) {
        sHookCalls.push_back("add " + NameOf(c) + " to " + NameOf(dc) + " key " + std::to_string(key));
    },
    [](ObjectHeader* dc, ObjectHeader* c, int32_t key) {
        sHookCalls.push_back("remove " + NameOf(c) + " from " + NameOf(dc) + " key " + std::to_string(key));
    },
    [](ObjectHeader* dc) { sHookCalls.push_back("repopulate " + NameOf(dc)); },
};

class TestDataPane final : public DataAwarePane {
public:
    explicit TestDataPane(ObjectHeader* control)
        : DataAwarePane(ControlFields(control)->ownerPane, 0, Rect16{0, 0, 10, 10}, control) {}
};

TEST_F(ControlsInAWindow, DataAwarePaneBindsOnlyToADataControlOfItsWindow) {
    ObjectHeader* served = Control(0, "Other");
    sDataControl = Control(0, "Data");
    sHookCalls.clear();
    auto* pane = new TestDataPane(served);

    // Without the DataControl's hooks nothing counts as one.
    pane->dataSource = string("Data");
    pane->BindDataSource();
    EXPECT_EQ(pane->boundDataControl, nullptr);

    SetDataControlHooks(&kHooks);
    pane->dataSource = string("outer");  // an ordinary control
    pane->BindDataSource();
    EXPECT_EQ(pane->boundDataControl, nullptr);
    pane->dataSource = string("dATA");
    pane->BindDataSource();
    EXPECT_EQ(pane->boundDataControl, sDataControl);
    // An empty DataSource unbinds and forgets the DataControl.
    pane->dataSource = string();
    pane->BindDataSource();
    EXPECT_EQ(pane->boundDataControl, nullptr);
    // Bound again, the pane leaves the DataControl when it is destroyed.
    pane->dataSource = string("Data");
    pane->BindDataSource();
    delete pane;
    EXPECT_EQ(sHookCalls, (std::vector<std::string>{
                              "add Other to Data key 4", "repopulate Data",
                              "remove Other from Data key 4", "add Other to Data key 4",
                              "repopulate Data", "remove Other from Data key 4"}));
    SetDataControlHooks(nullptr);
}

}  // namespace
