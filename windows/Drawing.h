// Ends whatever drawing is in progress: the current graphics' drawing, then the current pane.
#pragma once

void EndAllDrawing();
