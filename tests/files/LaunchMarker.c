/* A program for the launch tests: writes its command line and the show command it was started
   with (or -1 when none was given) to the file named by its first argument. */
#include <stdio.h>
#include <windows.h>

int main(int argc, char** argv) {
    STARTUPINFOA startup;
    FILE* marker;
    if (argc < 2) return 2;
    GetStartupInfoA(&startup);
    marker = fopen(argv[1], "w");
    if (!marker) return 1;
    fprintf(marker, "%d\n%s\n", (startup.dwFlags & STARTF_USESHOWWINDOW) ? startup.wShowWindow : -1,
            GetCommandLineA());
    fclose(marker);
    return 0;
}
