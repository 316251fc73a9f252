// The runtime's main entry.
#include <windows.h>

#include <commctrl.h>

#include "PayloadLoader.h"
#include "RuntimeWiring.h"
#include "Startup.h"
#include "UnhandledException.h"
#include "core/ExitCodes.h"
#include "core/RuntimeString.h"
#include "core/SmallBlockAllocator.h"
#include "values/CharacterTables.h"
#include "files/DataFile.h"
#include "windows/TimerWindow.h"
#include "windows/VisualStyles.h"

// The start-up order: the ground floors' tables and hooks, the system script, common controls, the
// locks, the timer window that periodic tasks run from, the visual-styles library where the system
// has it, the runtime's own set-up, then the application.
int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    InstallRuntimeWiring();
    InitializeSystemScript();
    InitCommonControls();
    InitAllocatorLock();
    InitStringLock();
    InitializeDataFileLock();
    CreateTimerWindow();
    LoadUxTheme();
    InitializeRuntime();
    const bool ran = LoadAndRunPayload();
    FreeUxTheme();
    if (!ran) return kExitNoApplication;
    return UnhandledExceptionWasReported() ? kExitUnhandledException : kExitNormal;
}
