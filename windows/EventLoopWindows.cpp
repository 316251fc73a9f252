#include "EventLoopWindows.h"

#include "RuntimeViewWindow.h"
#include "WindowList.h"

bool IsWindowListEmpty() { return RuntimeWindowCount() == 0; }

void ShowDeferredWindows() { ShowDeferredWindowPanes(); }

void CloseAllViewWindows() {
    CloseAllRuntimeViewWindows();
    CloseAllWindows();
}

bool TranslateMDIAccelerators(MSG*) { return false; }
