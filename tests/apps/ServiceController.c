/* Drives a service through the service control manager, as the manager's own tools would if they
 * could pause and continue: installs the program as an own-process service under the given name,
 * starts it, pauses, interrogates, continues and stops it, and prints every state it sees, the
 * exit codes, and then the log file the service wrote. The service is removed at the end, on
 * failure too; one that does not stop in time has its process ended first.
 *
 *   ServiceController NAME PROGRAM LOG */
#include <stdio.h>
#include <string.h>
#include <windows.h>

static const DWORD kWaitMs = 60000;

static const char* StateName(DWORD state) {
    static const char* const names[] = {"?",       "STOPPED",          "START_PENDING",
                                        "STOP_PENDING", "RUNNING",     "CONTINUE_PENDING",
                                        "PAUSE_PENDING", "PAUSED"};
    return state < 8 ? names[state] : "?";
}

/* A path as Windows sees it: Wine shows the host's root as drive Z:. */
static void WindowsPath(const char* path, char* out, size_t size) {
    size_t i = 0;
    if (path[0] == '/') i += (size_t)snprintf(out, size, "Z:");
    for (; *path && i + 1 < size; path++) out[i++] = *path == '/' ? '\\' : *path;
    out[i] = 0;
}

static SC_HANDLE sManager;
static SC_HANDLE sService;
static HANDLE sProcess;

/* Polls until the state is reached, printing each state seen on the way. */
static int WaitForState(DWORD wanted) {
    DWORD start = GetTickCount(), last = 0;
    SERVICE_STATUS_PROCESS status;
    DWORD needed;
    printf("  states:");
    for (;;) {
        if (!QueryServiceStatusEx(sService, SC_STATUS_PROCESS_INFO, (BYTE*)&status, sizeof status,
                                  &needed)) {
            printf(" query failed %lu\n", GetLastError());
            return 0;
        }
        if (status.dwCurrentState != last) printf(" %s", StateName(status.dwCurrentState));
        last = status.dwCurrentState;
        if (!sProcess && status.dwProcessId)
            sProcess = OpenProcess(SYNCHRONIZE | PROCESS_QUERY_INFORMATION | PROCESS_TERMINATE,
                                   FALSE, status.dwProcessId);
        if (last == wanted) break;
        if (GetTickCount() - start > kWaitMs) {
            printf(" timed out\n");
            return 0;
        }
        Sleep(20);
    }
    printf("\n");
    return 1;
}

static int Control(DWORD control, const char* name, DWORD wanted) {
    SERVICE_STATUS status;
    if (!ControlService(sService, control, &status)) {
        printf("%s: failed %lu\n", name, GetLastError());
        return 0;
    }
    printf("%s: answered %s\n", name, StateName(status.dwCurrentState));
    return wanted == 0 || WaitForState(wanted);
}

/* Removes the service, ending its process first when it still runs. */
static void Remove(void) {
    SERVICE_STATUS status;
    if (!sService) return;
    if (QueryServiceStatus(sService, &status) && status.dwCurrentState != SERVICE_STOPPED) {
        ControlService(sService, SERVICE_CONTROL_STOP, &status);
        if (sProcess && WaitForSingleObject(sProcess, 5000) != WAIT_OBJECT_0)
            TerminateProcess(sProcess, 99);
    }
    DeleteService(sService);
    CloseServiceHandle(sService);
    sService = NULL;
}

static void PrintLog(const char* path) {
    char line[256];
    FILE* log = fopen(path, "r");
    if (!log) {
        printf("log: none\n");
        return;
    }
    while (fgets(line, sizeof line, log)) printf("log: %s", line);
    fclose(log);
}

int main(int argc, char** argv) {
    char program[MAX_PATH], log[MAX_PATH], command[2 * MAX_PATH + 8];
    SERVICE_STATUS status;
    DWORD exitCode = 12345;
    int ok = 0;
    if (argc != 4) return 2;
    setvbuf(stdout, NULL, _IONBF, 0);
    WindowsPath(argv[2], program, sizeof program);
    WindowsPath(argv[3], log, sizeof log);
    snprintf(command, sizeof command, "\"%s\" %s", program, log);
    DeleteFileA(log);

    sManager = OpenSCManagerA(NULL, NULL, SC_MANAGER_ALL_ACCESS);
    if (!sManager) {
        printf("OpenSCManager failed %lu\n", GetLastError());
        return 1;
    }
    /* A service of the name left by a run that was cut short goes first. */
    sService = OpenServiceA(sManager, argv[1], SERVICE_ALL_ACCESS);
    Remove();
    sService = CreateServiceA(sManager, argv[1], argv[1], SERVICE_ALL_ACCESS,
                              SERVICE_WIN32_OWN_PROCESS, SERVICE_DEMAND_START,
                              SERVICE_ERROR_NORMAL, command, NULL, NULL, NULL, NULL, NULL);
    if (!sService) {
        printf("CreateService failed %lu\n", GetLastError());
        CloseServiceHandle(sManager);
        return 1;
    }
    do {
        if (!StartServiceA(sService, 0, NULL)) {
            printf("start: failed %lu\n", GetLastError());
            break;
        }
        printf("start:\n");
        if (!WaitForState(SERVICE_RUNNING)) break;
        /* Time for the service's thread to take turns. */
        Sleep(500);
        if (!Control(SERVICE_CONTROL_PAUSE, "pause", SERVICE_PAUSED)) break;
        if (!Control(SERVICE_CONTROL_INTERROGATE, "interrogate", 0)) break;
        if (!Control(SERVICE_CONTROL_CONTINUE, "continue", SERVICE_RUNNING)) break;
        if (!Control(SERVICE_CONTROL_STOP, "stop", SERVICE_STOPPED)) break;
        if (!QueryServiceStatus(sService, &status)) break;
        printf("stopped: exit code %lu\n", status.dwWin32ExitCode);
        if (!sProcess || WaitForSingleObject(sProcess, kWaitMs) != WAIT_OBJECT_0 ||
            !GetExitCodeProcess(sProcess, &exitCode)) {
            printf("process: did not end\n");
            break;
        }
        printf("process: exit code %lu\n", exitCode);
        ok = 1;
    } while (0);
    Remove();
    if (sProcess) CloseHandle(sProcess);
    CloseServiceHandle(sManager);
    PrintLog(argv[3]);
    return ok ? 0 : 1;
}
