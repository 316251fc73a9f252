// The hidden timer window and the timer callbacks it drives.
//
// A stand-in for the window system, holding only its timer window; the rest of the window system
// is not built yet.
#pragma once

#include <cstdint>

using TimerCallback = void (*)(int32_t id);

// Registers the window class "WinTimerClass" and creates the hidden 1 x 1 window that receives the
// timers. The main entry calls it once at start-up; later calls, and AddTimerCallback before it,
// find the window made.
void CreateTimerWindow();

// Starts a system timer of the interval on the timer window that calls the callback with the
// returned id each time it fires. Ids count up from 1, so 0 never names a timer. A callback is not
// called again while it is still running for the same id (when it pumps messages itself).
int32_t AddTimerCallback(TimerCallback callback, int32_t milliseconds);

// Moves the timers, every one still running, to a timer window of the calling thread: a window's
// timer messages reach only the thread that made it, and in service mode the application runs on
// a thread the service control manager starts. The window left behind is kept, so that its thread
// takes it up again when the timers come back.
void MoveTimersToThisThread();

// Has the thread that owns the timer window call the function with the argument from its message
// loop; false when the call could not be posted. Any thread may post.
bool PostTimerWindowCall(void (*call)(int32_t argument), int32_t argument);

// Stops the timer of the id and forgets its callback; an id that names no timer changes nothing.
// A callback may remove its own timer, or others, while it runs.
void RemoveTimerCallback(int32_t id);
