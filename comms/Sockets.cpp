#include "Sockets.h"

bool InDebugMode() { return false; }

void RunFireSerial() {}

void DebugBreakASAP() {}
