// The contextual-menu protocol: a right click on a window or a control builds one shared base menu
// through the ConstructContextualMenu events of the object under the point and the objects
// containing it, pops it up at the point, and hands the chosen item to the ContextualMenuAction
// events of the same chain until one answers true.
//
// Walks: from a control, its parent controls, then the window of the last one; from a window,
// the window itself, and for a ContainerControl that did not handle, the control it is embedded
// in or else the window containing it. An EmbeddedWindowControl stands for its ContainerControl,
// whose events it forwards.
#pragma once

#include <cstdint>

#include "core/ObjectModel.h"

extern "C" {
// object: a Window (or ContainerControl) or a control; (x, y) in the coordinates of the first
// window with a pane in the object's chain of windows. True when an item was chosen and an
// action handler took it; false when nothing was chosen, the menu stayed empty or no pane could
// place the point. A call made while a protocol runs adds to its menu and leaves the showing to it.
bool DisplayObjectContextualMenu(ObjectHeader* object, int32_t x, int32_t y);
}
