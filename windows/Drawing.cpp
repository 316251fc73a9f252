#include "Drawing.h"

// Stand-in until the pane and graphics layers exist: it will end the drawing of the current
// graphics implementation and unfocus the current pane. Neither exists yet, so there is nothing
// to end.
void EndAllDrawing() {}
