#include "MenuCommandSeam.h"

// The native menus are not wired to the window procedures yet: no command is taken here, and the
// message goes on to the default processing.
bool HandleWindowMenuCommand(bool, int32_t) { return false; }
