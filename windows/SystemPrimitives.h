// Small platform answers the drawing code of every subsystem shares: the double-click time in
// ticks, the beep, the appearance answers and the colours of the standard interface elements.
#pragma once

#include <cstdint>

#include "graphics/RGBColor16.h"

// The system double-click time in ticks (milliseconds times 0.06, truncated).
int32_t DoubleClickTicks();
// The default system beep.
void Beep();

// Nothing to set up on this platform.
void InitAppearance();
// 0: the drawing code takes its pre-appearance branches.
int32_t GetAppearanceVersion();
// The three-dimensional look is never switched off here.
bool AppearanceIsFlat();

// A guard the list-box drawing code keeps on the stack around its drawing.
struct DrawingStateSaver {
    DrawingStateSaver() : mSaved(1) {}
    void Restore() { mSaved = 0; }
    uint8_t mSaved;
};

// The colour of a standard interface element: 0 window frame, 1 button face, 2 button text,
// 3 white, 4 grey, 5 button highlight, 6 button shadow. Either output may be null. Other kinds
// answer black.
void GetStandardColor(int32_t kind, RGBColor16* colour, int32_t* packed);
