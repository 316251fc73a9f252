// Window-system services shared by the painting code.
#pragma once

#include <windows.h>

// The 216-colour uniform palette (entry 36 i + 6 j + k is red 51 i, green 51 j, blue 51 k), made
// on first use and kept for the run.
HPALETTE GetUniformPalette();
