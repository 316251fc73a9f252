// Language exceptions raised into compiled code. There is no unwinding table: compiled code places
// marker blocks after its calls, and a raise walks the chain of saved frame pointers, scanning the
// code after each return address for the nearest handler. When it finds one it stores the
// exception in the handler's frame and rewrites one return address, so that returning lands in the
// handler.
//
// A raising function returns normally and its caller must return at once, its result ignored:
// runtime code that called a raising function or compiled code checks ExceptionInFlight() and
// returns straight away while it is set.
#pragma once

#include <cstddef>
#include <cstdint>

#include "ClassDefinition.h"
#include "ObjectModel.h"
#include "RuntimeString.h"

// Marker blocks in compiled code.
constexpr uint32_t kHandlerMarker = 0x411;  // 13 bytes, the handler's code follows
constexpr uint32_t kTryBeginMarker = 0x412;
constexpr uint32_t kTryEndMarker = 0x413;
constexpr size_t kHandlerMarkerSize = 13;
constexpr size_t kHandlerSlotOffset = 11;  // signed 16-bit offset from the frame pointer; 0 = none

// The frame walk gives up on a frame more than this many bytes above the one below it.
constexpr uintptr_t kMaxFrameStep = 4096;

// Instances of RuntimeException and its subclasses.
struct RuntimeExceptionObject {
    ObjectHeader header;
    int32_t errorNumber;
    StringRecord* message;
};

#ifndef _WIN64
static_assert(sizeof(RuntimeExceptionObject) == 32);
static_assert(offsetof(RuntimeExceptionObject, errorNumber) == 24);
static_assert(offsetof(RuntimeExceptionObject, message) == 28);
#endif

using RaiseHook = void (*)(ObjectHeader* exception);
using UnhandledExceptionHook = bool (*)(ObjectHeader* exception);

extern "C" {
void RuntimeRaiseException(ObjectHeader* exception);
void RuntimeReraiseException(ObjectHeader* exception);
void RaiseExceptionClass(ClassRecord* exceptionClass);
void RaiseNilObjectException();
void RaiseIllegalCastException();
void RaiseOutOfBoundsException();
void RuntimeRaiseFunctionNotFoundException(StringRecord* function, StringRecord* library);
bool RuntimeUnhandledException(ObjectHeader* exception);
void RuntimeExceptionFinalizer(ObjectHeader* exception);
}

void RaiseExceptionDefinition(ObjectDefinition* definition);
void RaiseExceptionWithMessage(ObjectDefinition* definition, const string& message,
                               int32_t errorNumber);

void SetRaiseHook(RaiseHook hook);
void SetUnhandledExceptionHook(UnhandledExceptionHook hook);
void SetNilObjectExceptionClass(ClassRecord* exc);
void SetIllegalCastExceptionClass(ClassRecord* exc);
void SetOutOfBoundsExceptionClass(ClassRecord* exc);
void SetFunctionNotFoundExceptionClass(ClassRecord* exc);

// True from the moment a raise has rewritten a return address until control lands in the handler.
bool ExceptionInFlight();

// Runs function(context) in a frame of the runtime's own: an exception that escapes it and that no
// compiled handler takes goes to catcher, with one reference the catcher owns.
void RunInHandlerFrame(void (*function)(void*), void* context, void (*catcher)(ObjectHeader*));

// Runs function(context) inside a frame that parks an exception escaping it, for callbacks the
// system makes where the frame chain does not lead back to runtime code.
void RunInCallbackFrame(void (*function)(void*), void* context);
// Raises the parked exception again, if one is parked; true when it did.
bool RaiseParkedException();

// --- the dispatcher's parts, exposed for tests ---

// The first handler marker at nesting depth 0 in the code at address, or null when the function's
// epilogue (or the end of readable memory) comes first.
const uint8_t* FindHandlerMarker(const uint8_t* address);

// Walks the frame chain from frame (a saved frame pointer followed by a return address) and
// delivers the exception to the first handler; without one, RuntimeUnhandledException decides.
// Returns true when a handler was found.
bool DeliverException(void** frame, ObjectHeader* exception);

// Code the walk may scan for markers. Compiled code lives outside any loaded image; inside an
// image (the runtime, the system's libraries) only registered ranges are scanned, so that no byte
// pattern in the runtime's own code is taken for a marker.
void RegisterMarkerCodeRange(const void* begin, const void* end);
bool MayHoldMarkers(const void* address);

// Where a rewritten return address now goes: the landing clears the in-flight flag and jumps to
// the handler.
extern "C" void ExceptionLanding();
const void* PendingLandingTarget();

// --- the built-in exception classes ---

ObjectDefinition* RuntimeException();
ObjectDefinition* NilObjectException();
ObjectDefinition* InvalidParentException();
ObjectDefinition* IllegalCastException();
ObjectDefinition* OutOfBoundsException();
ObjectDefinition* FunctionNotFoundException();
ObjectDefinition* EndException();
ObjectDefinition* StackOverflowException();
ObjectDefinition* OutOfMemoryException();
ObjectDefinition* RegistryAccessErrorException();
ObjectDefinition* IllegalLockingException();
ObjectDefinition* ThreadAlreadyRunningException();
ObjectDefinition* TypeMismatchException();
ObjectDefinition* KeyNotFoundException();
ObjectDefinition* UnsupportedFormatException();
ObjectDefinition* ServiceNotAvailableException();

// Registers the nineteen exception classes by name, in their fixed order.
void RegisterExceptionClasses();
