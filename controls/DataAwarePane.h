// The pane base of controls that bind by name to a DataControl of their window, and the hooks
// through which the DataControl supplies its side. Until the DataControl registers its hooks no
// object counts as one, so every DataSource stays unbound.
#pragma once

#include <cstdint>

#include "core/ObjectModel.h"
#include "core/RuntimeString.h"
#include "windows/Pane.h"

struct DataControlHooks {
    bool (*isDataControl)(ObjectHeader* object);
    void (*addBoundControl)(ObjectHeader* dataControl, ObjectHeader* control, int32_t key);
    void (*removeBoundControl)(ObjectHeader* dataControl, ObjectHeader* control, int32_t key);
    void (*repopulateData)(ObjectHeader* dataControl);
};

// The DataControl registers its hooks once; null unregisters them.
void SetDataControlHooks(const DataControlHooks* hooks);

// A concrete data-aware pane (the native window of its control) derives from it.
class DataAwarePane : public BasicPane {
public:
    ~DataAwarePane() override;

    // Binds to the first DataControl of the served control's window whose Name is DataSource
    // (without regard to case); an empty DataSource unbinds.
    virtual void BindDataSource();
    // Leaves the bound DataControl and forgets it.
    virtual void UnbindDataSource();

    string dataSource;
    ObjectHeader* boundDataControl = nullptr;  // no reference

protected:
    DataAwarePane(SubPane* parentPane, int32_t panel, const Rect16& bounds, ObjectHeader* control);

    ObjectHeader* servedControl;  // the control this pane serves; no reference
};
