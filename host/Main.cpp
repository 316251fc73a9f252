// The runtime's main entry.
#include <windows.h>

#include "PayloadLoader.h"
#include "windows/TimerWindow.h"
#include "core/ExitCodes.h"
#include "core/RuntimeString.h"
#include "core/SmallBlockAllocator.h"

// The rest of the start-up (the script, the data-file lock, common controls, OLE, the socket layer)
// comes with the runtime's initialisation; until then the entry sets up the two locks and the
// timer window that periodic tasks run from, and runs the application.
int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    InitAllocatorLock();
    InitStringLock();
    CreateTimerWindow();
    return LoadAndRunPayload() ? kExitNormal : kExitNoApplication;
}
