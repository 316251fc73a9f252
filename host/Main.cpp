// The runtime's main entry.
#include <windows.h>

#include <commctrl.h>

#include "PayloadLoader.h"
#include "Startup.h"
#include "UnhandledException.h"
#include "core/ExitCodes.h"
#include "core/RuntimeString.h"
#include "core/SmallBlockAllocator.h"
#include "windows/TimerWindow.h"

// The start-up order: the system script, common controls, the locks, the timer window that
// periodic tasks run from, the runtime's own set-up, then the application. The data-file lock and
// the visual-styles library come with the files and window subsystems.
int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    InitializeSystemScript();
    InitCommonControls();
    InitAllocatorLock();
    InitStringLock();
    CreateTimerWindow();
    InitializeRuntime();
    if (!LoadAndRunPayload()) return kExitNoApplication;
    return UnhandledExceptionWasReported() ? kExitUnhandledException : kExitNormal;
}
