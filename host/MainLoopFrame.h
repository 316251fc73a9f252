// The event loop's exception frame, around one step of the loop.
#pragma once

using LoopStep = void (*)();

// Runs the step inside the frame; an exception that escapes it is handed to the unhandled-exception
// path, its reference dropped, and the step abandoned.
void RunMainLoopFrame(LoopStep step);
// The same for a step that takes a context.
void RunMainLoopFrame(void (*step)(void*), void* context);
