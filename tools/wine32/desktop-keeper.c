/* Holds Wine's desktop for a whole test session. Without a window of the session alive, Wine
   ends its desktop process after each GUI program and starts it again for the next one. */
#include <windows.h>

int WINAPI WinMain(HINSTANCE instance, HINSTANCE previous, LPSTR commandLine, int show)
{
    (void)instance; (void)previous; (void)commandLine; (void)show;
    GetDesktopWindow();
    Sleep(INFINITE);
    return 0;
}
