#include "host/ConsoleApplication.h"

#include "comms/SocketClasses.h"
#include "core/DefinitionConversion.h"
#include "core/FailureReport.h"
#include "core/IntrinsicRegistry.h"
#include "files/FolderItem.h"
#include "host/Application.h"
#include "host/CooperativeThreads.h"
#include "host/EventLoop.h"
#include "core/IntrinsicTypes.h"
#include "host/ServiceMode.h"
#include "host/Startup.h"
#include "values/EndOfLine.h"
#include "values/TextEncodingObjects.h"

namespace {

constexpr const char* kSource = "ConsoleApplication";

ObjectHeader* sConsoleApplication = nullptr;

// --- ConsoleApplication ---

EventEntry kConsoleEvents[] = {
    {0, "Run", "args() as String", "Integer", nullptr, 0},
    {0, "UnhandledException", "error As RuntimeException", "", nullptr, 0},
};

// Types naming classes are filled in when the definition is built.
PropertyEntry kConsoleProperties[] = {
    {0, "ExecutableFile", nullptr, RowFunction(AppFolderItemGetter), "AppFolderItemGetter", nullptr,
     nullptr, 0, 0},
    {0, "CurrentThread", nullptr, RowFunction(QUORGetCurrentThread), "QUORGetCurrentThread",
     nullptr, nullptr, 0, 0},
};

// A console application's DoEvents sleeps 10 milliseconds unless told otherwise.
ParameterEntry kDoEventsParameters[] = {
    {"milliseconds", AsType(&kIntegerType), 0, 1, 10, 0}};
ParameterEntry kPollableParameter[] = {{"item", nullptr, 0, 0, 0, 0}};

MethodEntry kConsoleMethods[] = {
    {"DoEvents", nullptr, kDoEventsParameters, 1, Function(RuntimeDoEvents, "RuntimeDoEvents"), {},
     kMethodPlain, 0, 0},
    {"Daemonize", AsType(&kBooleanType), nullptr, 0, Function(DaemonizeApp, "DaemonizeApp"), {},
     kMethodPlain, 0, 0},
    {"_AddPollableObject", nullptr, kPollableParameter, 1,
     Function(ApplicationAddPollableObject, "ApplicationAddPollableObject"), {}, kMethodPlain, 0, 0},
    {"_RemovePollableObject", nullptr, kPollableParameter, 1,
     Function(ApplicationRemovePollableObject, "ApplicationRemovePollableObject"), {}, kMethodPlain,
     0, 0},
    {"YieldToNextThread", nullptr, nullptr, 0, Function(YieldToNextThread, "YieldToNextThread"), {},
     kMethodPlain, 0, 0},
};

const ClassRows kConsoleRows = {
    .className = "ConsoleApplication",
    .superclass = nullptr,
    .objectSize = kObjectHeaderSize,
    .initializer = Function(ConsoleApplicationInitializer, "ConsoleApplicationInitializer"),
    .properties = kConsoleProperties,
    .events = kConsoleEvents,
    .methods = kConsoleMethods,
};

// --- ServiceApplication ---

EventDefinition* sServiceEvents[kServiceEventCount] = {};

EventEntry kServiceEvents[] = {
    {0, "Stop", "shuttingDown as Boolean", "", &sServiceEvents[kServiceStop], 0},
    {0, "Pause", "", "", &sServiceEvents[kServicePause], 0},
    {0, "Continue", "", "", &sServiceEvents[kServiceContinue], 0},
    {0, "DontDaemonize", "", "Boolean", nullptr, 0},
};

const ClassRows kServiceRows = {
    .className = "ServiceApplication",
    .superclass = ConsoleApplication,
    .objectSize = sizeof(ServiceApplicationObject),
    .events = kServiceEvents,
};

// --- the console streams ---

ParameterEntry kReadParameters[] = {{"Count", AsType(&kIntegerType), 0, 0, 0, 0},
                                    {"encoding", nullptr, 0, 1, 0, 0}};

MethodEntry kStandardInputMethods[] = {
    {"ReadLine", AsType(&kStringType), nullptr, 0,
     Function(RuntimeStdInputReadLine, "RuntimeStdInputReadLine"), {}, kMethodPlain, 0, 0},
    {"Read", AsType(&kStringType), kReadParameters, 2,
     Function(RuntimeStdInputRead, "RuntimeStdInputRead"), {}, kMethodPlain, 0, 0},
    {"EOF", AsType(&kBooleanType), nullptr, 0, Function(RuntimeStdInputEof, "RuntimeStdInputEof"),
     {}, kMethodPlain, 0, 0},
    {"ReadError", AsType(&kBooleanType), nullptr, 0,
     Function(RuntimeStdInputError, "RuntimeStdInputError"), {}, kMethodPlain, 0, 0},
    {"Operator_Convert", nullptr, nullptr, 0,
     Function(RuntimeStdInputAsSocket, "RuntimeStdInputAsSocket"), {}, kMethodPlain, 0, 0},
};

const DefinitionFunction kReadableInterface[] = {Readable};
const DefinitionFunction kWriteableInterface[] = {Writeable};

const ClassRows kStandardInputRows = {
    .className = "StandardInputStream",
    .superclass = nullptr,
    .objectSize = kObjectHeaderSize,
    .methods = kStandardInputMethods,
    .interfaces = kReadableInterface,
};

ParameterEntry kMessageParameter[] = {{"msg", AsType(&kStringType), 0, 0, 0, 0}};

MethodEntry kStandardOutputMethods[] = {
    {"WriteLine", nullptr, kMessageParameter, 1,
     Function(RuntimeStdOutputStreamWriteLine, "RuntimeStdOutputStreamWriteLine"), {},
     kMethodPlain, 0, 0},
    {"Write", nullptr, kMessageParameter, 1,
     Function(RuntimeStdOutputStreamWrite, "RuntimeStdOutputStreamWrite"), {}, kMethodPlain, 0, 0},
    {"Flush", nullptr, nullptr, 0, Function(RuntimeStdOutFlush, "RuntimeStdOutFlush"), {},
     kMethodPlain, 0, 0},
    {"WriteError", AsType(&kBooleanType), nullptr, 0,
     Function(RuntimeStdOutputError, "RuntimeStdOutputError"), {}, kMethodPlain, 0, 0},
    {"Operator_Convert", nullptr, nullptr, 0,
     Function(RuntimeStdOutputAsSocket, "RuntimeStdOutputAsSocket"), {}, kMethodPlain, 0, 0},
};

const ClassRows kStandardOutputRows = {
    .className = "StandardOutputStream",
    .superclass = nullptr,
    .objectSize = sizeof(StandardOutputStreamObject),
    .methods = kStandardOutputMethods,
    .interfaces = kWriteableInterface,
};

}  // namespace

ObjectDefinition* ConsoleApplication() {
    static ObjectDefinition definition;
    if (definition.className.IsEmpty()) {
        kConsoleProperties[0].type = GetFolderItemDefinition()->AsType();
        kConsoleProperties[1].type = Thread()->AsType();
        kPollableParameter[0].parameterType = Pollable()->AsType();
    }
    return FillClassDefinition(definition, kConsoleRows);
}

ObjectDefinition* ServiceApplication() {
    static ObjectDefinition definition;
    return FillClassDefinition(definition, kServiceRows);
}

const EventDefinition* ServiceEventDefinition(ServiceEvent event) {
    ServiceApplication();
    return sServiceEvents[event];
}

ObjectDefinition* StandardInputStream() {
    static ObjectDefinition definition;
    if (definition.className.IsEmpty()) {
        kReadParameters[1].parameterType = GetTextEncodingDefinition()->AsType();
        kStandardInputMethods[4].returnType = TCPSocket()->AsType();
    }
    return FillClassDefinition(definition, kStandardInputRows);
}

ObjectDefinition* StandardOutputStream() {
    static ObjectDefinition definition;
    if (definition.className.IsEmpty()) kStandardOutputMethods[4].returnType = TCPSocket()->AsType();
    return FillClassDefinition(definition, kStandardOutputRows);
}

void RegisterConsoleClasses() {
    RegisterIntrinsicClass(ConsoleApplication());
    RegisterIntrinsicClass(ServiceApplication());
    RegisterIntrinsicClass(StandardInputStream());
    RegisterIntrinsicClass(StandardOutputStream());
}

ObjectHeader* CurrentConsoleApplication() { return sConsoleApplication; }

void SetConsoleApplication(ObjectHeader* application) {
    RetainObject(application);
    ObjectHeader* old = sConsoleApplication;
    sConsoleApplication = application;
    ReleaseObject(old);
}

extern "C" {

void RuntimeRegisterConsoleAppObject(ObjectHeader* application, bool serviceMode) {
    if (application) {
        SetConsoleApplication(application);
        RetainObject(application);
    } else {
        ObjectHeader* made = CreateInstance(serviceMode ? ServiceApplication() : ConsoleApplication());
        SetConsoleApplication(made);
        ReleaseObject(made);
    }
    // The service thread fires the opening events; this returns when the service has ended.
    if (serviceMode) return RunApplicationAsService(CurrentConsoleApplication());
    FireApplicationOpenEvents();
}

void ConsoleApplicationInitializer(ObjectHeader* application) {
    if (!application) return ReportAssertion(kSource, __LINE__, "obj");
    SetConsoleApplication(application);
}

bool DaemonizeApp(ObjectHeader*) { return true; }

void RuntimeConsolePrint(StringRecord*) {}
void RuntimeConsolePrintError(StringRecord*) {}
StringRecord* RuntimeConsoleInput() { return nullptr; }
StringRecord* RuntimeConsoleInputAmount(int32_t) { return nullptr; }
ObjectHeader* RuntimeGetStdIn() { return nullptr; }
ObjectHeader* RuntimeGetStdOut() { return nullptr; }
ObjectHeader* RuntimeGetStdErr() { return nullptr; }

StringRecord* RuntimeStdInputReadLine(ObjectHeader*) { return RuntimeConsoleInput(); }

StringRecord* RuntimeStdInputRead(ObjectHeader*, int32_t count, ObjectHeader* encoding) {
    string text = string::Adopt(RuntimeConsoleInputAmount(count));
    if (!text.IsEmpty() && encoding) text.SetEncoding(GetEncodingFromTEObject(encoding));
    return text.Detach();
}

bool RuntimeStdInputEof(ObjectHeader*) { return false; }
bool RuntimeStdInputError(ObjectHeader*) { return false; }
ObjectHeader* RuntimeStdInputAsSocket(ObjectHeader*) { return nullptr; }

void RuntimeStdOutputStreamWriteLine(ObjectHeader* stream, StringRecord* text) {
    if (stream && reinterpret_cast<StandardOutputStreamObject*>(stream)->toOutput)
        return RuntimeConsolePrint(text);
    const string line = string::Adopt(RuntimeAddString(text, RuntimeEndOfLine()));
    RuntimeConsolePrintError(line.Record());
}

void RuntimeStdOutputStreamWrite(ObjectHeader*, StringRecord*) {}
void RuntimeStdOutFlush(ObjectHeader*) {}
bool RuntimeStdOutputError(ObjectHeader*) { return false; }
ObjectHeader* RuntimeStdOutputAsSocket(ObjectHeader*) { return nullptr; }

}  // extern "C"
