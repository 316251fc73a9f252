// Sockets, serial ports and the remote-debugger stub, as the event loop calls them.
//
// A stand-in for the communications subsystem: only starting and stopping Winsock is built; no
// socket, serial port or debugger stub exists yet. PollAllSockets finds no socket, RunFireSerial no open port, the debug-mode flag is
// never set and DebugBreakASAP does not stop.
#pragma once

#include <cstdint>

// Starts the socket layer once per process (Winsock 1.1): 0, or 100 when it cannot be started.
int32_t StartNetworking();
// Stops the socket layer when it was started.
void ShutdownSockets();

// Polls every live socket, last to first; with the flag set skips those owned by language objects.
// True when any socket had activity.
bool PollAllSockets(bool skipLanguageSockets);

// The debug-mode flag: true in a run under the remote debugger.
bool InDebugMode();

extern "C" {
// Polls every open Serial object.
void RunFireSerial();
// Stops in the debugger as soon as possible.
void DebugBreakASAP();
}
