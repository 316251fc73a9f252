// Rectangle helpers of the window system.
#pragma once

#include "core/Rect16.h"

Rect16& OffsetRect16(Rect16& rect, int16_t dx, int16_t dy);
