// Ends whatever drawing is in progress before the process has to stop.
#pragma once

void EndAllDrawing();
