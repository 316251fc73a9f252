// What the event loop and start-up call of the communications subsystem: the sockets
// (SocketCore.h), and the serial ports and the remote-debugger stub.
//
// The serial ports and the debugger stub are stand-ins: RunFireSerial finds no open port, the
// debug-mode flag is never set and DebugBreakASAP does not stop.
#pragma once

#include "SocketCore.h"

// The debug-mode flag: true in a run under the remote debugger.
bool InDebugMode();

extern "C" {
// Polls every open Serial object.
void RunFireSerial();
// Stops in the debugger as soon as possible.
void DebugBreakASAP();
}
