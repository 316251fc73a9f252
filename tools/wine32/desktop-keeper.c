/* Holds Wine's desktop for a whole test session. Without a window of the session alive, Wine ends
   its desktop process after each GUI program and starts it again for the next one; on a loaded
   machine such a start can fail, and the program then has no windows at all. The keeper prints
   "ready" once a window of its own exists, so the session starts its command only after that. */
#include <stdio.h>
#include <windows.h>

int main(void)
{
    HWND window = NULL;
    for (int tries = 0; tries < 1200 && !window; ++tries) {
        GetDesktopWindow();
        window = CreateWindowA("STATIC", "desktop keeper", WS_POPUP, 0, 0, 1, 1, NULL, NULL,
                               GetModuleHandleA(NULL), NULL);
        if (!window) Sleep(100);
    }
    if (!window) {
        puts("no desktop");
        return 1;
    }
    puts("ready");
    fflush(stdout);
    MSG message;
    while (GetMessageA(&message, NULL, 0, 0) > 0) DispatchMessageA(&message);
    return 0;
}
