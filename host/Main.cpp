// The runtime's main entry.
#include <windows.h>

#include "core/ExitCodes.h"
#include "core/FailureReport.h"
#include "core/RuntimeString.h"
#include "core/SmallBlockAllocator.h"

// Stand-in until the payload loader exists: with no loader the runtime can find no application,
// so it reports the absent code as the loader does and ends with a failure code.
int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    InitAllocatorLock();
    InitStringLock();
    ReportAssertion("loaderX86", 0, "0", "Executable is corrupt!");
    return kExitNoApplication;
}
