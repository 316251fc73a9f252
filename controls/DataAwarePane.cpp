#include "controls/DataAwarePane.h"

#include "controls/ControlClasses.h"
#include "windows/WindowObject.h"

namespace {

const DataControlHooks* sHooks = nullptr;

// The key a bound control's value travels under.
constexpr int32_t kBoundControlKey = 4;

}  // namespace

void SetDataControlHooks(const DataControlHooks* hooks) { sHooks = hooks; }

DataAwarePane::DataAwarePane(SubPane* parentPane, int32_t panel, const Rect16& bounds,
                             ObjectHeader* control)
    : BasicPane(parentPane, panel, bounds, string(), "QV_Pane", 0, 0), servedControl(control) {}

DataAwarePane::~DataAwarePane() { DataAwarePane::UnbindDataSource(); }

void DataAwarePane::BindDataSource() {
    if (dataSource.IsEmpty()) {
        UnbindDataSource();
        return;
    }
    ObjectHeader* control = servedControl;
    ObjectHeader* window = control ? ControlFields(control)->window : nullptr;
    if (!window || !WindowFields(window)->mControls || !sHooks) return;
    StringMapIterator<ObjectHeader*>* it = WindowFields(window)->mControls->NewIterator();
    ObjectHeader* value = nullptr;
    while (it->Next(value)) {
        // Only a DataControl can take bound controls; an ordinary control of that name is no
        // source.
        if (!IsControl(value) || !sHooks->isDataControl(value)) continue;
        if (string::CompareNoCase(string(ControlFields(value)->name), dataSource) != 0) continue;
        boundDataControl = value;
        sHooks->addBoundControl(value, control, kBoundControlKey);
        sHooks->repopulateData(value);
        break;
    }
    delete it;
}

void DataAwarePane::UnbindDataSource() {
    if (!boundDataControl) return;
    ObjectHeader* dataControl = boundDataControl;
    // Forgotten first: the DataControl may die while its bound controls live on.
    boundDataControl = nullptr;
    if (sHooks) sHooks->removeBoundControl(dataControl, servedControl, kBoundControlKey);
}
