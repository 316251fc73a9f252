#include "EventLoopWindows.h"

#include "WindowList.h"

bool IsWindowListEmpty() { return RuntimeWindowCount() == 0; }

void ShowDeferredWindows() { ShowDeferredWindowPanes(); }

void CloseAllViewWindows() { CloseAllWindows(); }

bool TranslateMDIAccelerators(MSG*) { return false; }
