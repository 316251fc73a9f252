#include "Accelerators.h"

HACCEL FindWindowAccelerators(HWND) { return nullptr; }
