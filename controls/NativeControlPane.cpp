#include "NativeControlPane.h"

NativeControlPane* NativeControlPaneOf(HWND control) {
    if (!control) return nullptr;
    return reinterpret_cast<NativeControlPane*>(GetPropA(control, "QVInstance"));
}
