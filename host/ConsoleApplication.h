// Console mode: ConsoleApplication (and its subclass ServiceApplication) registered instead of the
// windowed Application, and the console streams, which are declared but inert here: they read
// nothing and write nothing. Service mode itself is host/ServiceMode.
#pragma once

#include <cstdint>

#include "core/ClassDefinition.h"
#include "core/ObjectModel.h"
#include "core/RuntimeString.h"

// The seven words of the Win32 SERVICE_STATUS record.
struct ServiceStatusWords {
    uint32_t serviceType;
    uint32_t currentState;
    uint32_t controlsAccepted;
    uint32_t win32ExitCode;
    uint32_t serviceSpecificExitCode;
    uint32_t checkPoint;
    uint32_t waitHint;
};

struct ServiceApplicationObject {
    ObjectHeader header;
    ServiceStatusWords status;
    void* statusHandle;
};

struct StandardOutputStreamObject {
    ObjectHeader header;
    int32_t toOutput;  // set: WriteLine prints; clear: it goes to the error output
};

// The events of ServiceApplication that service control requests fire.
enum ServiceEvent : int32_t { kServiceStop, kServicePause, kServiceContinue, kServiceEventCount };
const EventDefinition* ServiceEventDefinition(ServiceEvent event);

ObjectDefinition* ConsoleApplication();
ObjectDefinition* ServiceApplication();
ObjectDefinition* StandardInputStream();
ObjectDefinition* StandardOutputStream();
void RegisterConsoleClasses();

// The registered console application (no reference added); nil when none.
ObjectHeader* CurrentConsoleApplication();
// Releases the registered object, stores and retains the new one.
void SetConsoleApplication(ObjectHeader* application);

extern "C" {
void RuntimeRegisterConsoleAppObject(ObjectHeader* application, bool serviceMode);
void ConsoleApplicationInitializer(ObjectHeader* application);
bool DaemonizeApp(ObjectHeader* application);

void RuntimeConsolePrint(StringRecord* text);
void RuntimeConsolePrintError(StringRecord* text);
StringRecord* RuntimeConsoleInput();
StringRecord* RuntimeConsoleInputAmount(int32_t count);
ObjectHeader* RuntimeGetStdIn();
ObjectHeader* RuntimeGetStdOut();
ObjectHeader* RuntimeGetStdErr();
StringRecord* RuntimeStdInputReadLine(ObjectHeader* stream);
StringRecord* RuntimeStdInputRead(ObjectHeader* stream, int32_t count, ObjectHeader* encoding);
bool RuntimeStdInputEof(ObjectHeader* stream);
bool RuntimeStdInputError(ObjectHeader* stream);
ObjectHeader* RuntimeStdInputAsSocket(ObjectHeader* stream);
void RuntimeStdOutputStreamWriteLine(ObjectHeader* stream, StringRecord* text);
void RuntimeStdOutputStreamWrite(ObjectHeader* stream, StringRecord* text);
void RuntimeStdOutFlush(ObjectHeader* stream);
bool RuntimeStdOutputError(ObjectHeader* stream);
ObjectHeader* RuntimeStdOutputAsSocket(ObjectHeader* stream);
}
