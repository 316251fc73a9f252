/* A console application as compiled code starts one: RuntimeRegisterConsoleAppObject(nil, False)
 * makes and registers a ConsoleApplication; the console streams are inert (stdout nil, Input
 * empty, a StandardInputStream not at its end). Writes one line. With QV_SERVICE_MODE=1 it asks
 * for service mode instead, which reports the failure and ends the process. */
#include "AppSupport.h"

void QV_CDECL RuntimeRegisterConsoleAppObject(ObjectHeader* application, int32_t serviceMode);
ObjectHeader* QV_CDECL RuntimeGetStdOut(void);
StringRecord* QV_CDECL RuntimeConsoleInput(void);
int32_t QV_CDECL RuntimeStdInputEof(ObjectHeader* stream);
void QvMain(void) {
    ObjectHeader* input;
    StringRecord* typed;
    RuntimeInit();
    RuntimeInitExternalClasses();
    RuntimeRegisterConsoleAppObject(0, EnvironmentIs("QV_SERVICE_MODE", "1"));
    Print("console: registered");
    Print(RuntimeGetStdOut() ? ", stdout" : ", stdout nil");
    typed = RuntimeConsoleInput();
    Print(typed ? ", input" : ", input empty");
    RuntimeUnlockString(typed);
    input = RuntimeNewObject(RuntimeLookupClass(QV_LITERAL("StandardInputStream")));
    Print(RuntimeStdInputEof(input) ? ", EOF" : ", not EOF");
    Print("\n");
    RuntimeUnlockObject(input);
    RuntimeExit();
}
