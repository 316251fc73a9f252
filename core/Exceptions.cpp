#include "Exceptions.h"

#include <windows.h>

#include <algorithm>

#include "DefinitionConversion.h"
#include "FailureReport.h"
#include "SimpleVector.h"

namespace {

constexpr const char* kSource = "RuntimeExceptionFoundation";

RaiseHook sRaiseHook = nullptr;
UnhandledExceptionHook sUnhandledHook = nullptr;
ClassRecord* sNilObjectClass = nullptr;
ClassRecord* sIllegalCastClass = nullptr;
ClassRecord* sOutOfBoundsClass = nullptr;
ClassRecord* sFunctionNotFoundClass = nullptr;

// The return address a pending landing replaced, so that a walk meeting the landing still scans
// the code it stands for.
const void* sReplacedReturn = nullptr;

struct CodeRange {
    const void* begin;
    const void* end;
};
SimpleVector<CodeRange>& MarkerCodeRanges() {
    static SimpleVector<CodeRange> ranges;
    return ranges;
}

uint32_t Word32(const uint8_t* p) {
    return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24;
}

// The end of the readable memory that holds address: the scan never reads past it.
const uint8_t* ReadableEnd(const uint8_t* address) {
    MEMORY_BASIC_INFORMATION info;
    if (!VirtualQuery(address, &info, sizeof info) || info.State != MEM_COMMIT) return address;
    const DWORD readable = PAGE_READONLY | PAGE_READWRITE | PAGE_EXECUTE | PAGE_EXECUTE_READ |
                           PAGE_EXECUTE_READWRITE | PAGE_WRITECOPY | PAGE_EXECUTE_WRITECOPY;
    if (!(info.Protect & readable) || (info.Protect & PAGE_GUARD)) return address;
    return static_cast<const uint8_t*>(info.BaseAddress) + info.RegionSize;
}

bool Readable(const void* address, size_t bytes) {
    return address && !IsBadReadPtr(address, bytes);
}

// Guards RaiseExceptionClass(null): its NilObjectException may itself have no class yet.
bool sRaisingWithoutClass = false;

ObjectHeader* NewException(ClassRecord* exceptionClass) {
    return RuntimeNewObject(exceptionClass);
}

}  // namespace

extern "C" {
// Read and written by the landing (ExceptionLanding.S).
uint8_t gExceptionInFlight = 0;
const void* gExceptionLandingTarget = nullptr;
}

bool ExceptionInFlight() { return gExceptionInFlight != 0; }
const void* PendingLandingTarget() { return gExceptionLandingTarget; }

void RegisterMarkerCodeRange(const void* begin, const void* end) {
    MarkerCodeRanges().push_back(CodeRange{begin, end});
}

bool MayHoldMarkers(const void* address) {
    const SimpleVector<CodeRange>& ranges = MarkerCodeRanges();
    for (uint32_t i = 0; i < ranges.size(); ++i)
        if (address >= ranges[i].begin && address < ranges[i].end) return true;
    MEMORY_BASIC_INFORMATION info;
    if (!VirtualQuery(address, &info, sizeof info)) return false;
    return info.Type != MEM_IMAGE;
}

const uint8_t* FindHandlerMarker(const uint8_t* p) {
    if (!p) {
        ReportAssertion(kSource, __LINE__, "ptr");
        return nullptr;
    }
    const uint8_t* end = ReadableEnd(p);
    int depth = 0;
    while (p + 1 < end) {
        if ((p[0] == 0xC9 || p[0] == 0x5D) && p[1] == 0xC3) return nullptr;
        if ((p[0] == 0xE9 || p[0] == 0xEB) && p + 9 <= end) {
            switch (Word32(p + 5)) {
            case kHandlerMarker:
                if (depth == 0) return p;
                ++p;
                continue;
            case kTryBeginMarker:
                ++depth;
                ++p;
                continue;
            case kTryEndMarker:
                if (depth > 0) --depth;
                ++p;
                continue;
            default:
                p += p[0] == 0xE9 ? 5 : 2;
                continue;
            }
        }
        ++p;
    }
    return nullptr;
}

bool DeliverException(void** frame, ObjectHeader* exception) {
    while (frame) {
        void** next = static_cast<void**>(frame[0]);
        // Frames go upwards by less than the bound; anything else (a self-linked frame included)
        // ends the chain.
        const intptr_t step = reinterpret_cast<intptr_t>(next) - reinterpret_cast<intptr_t>(frame);
        if (step <= 0 || step > static_cast<intptr_t>(kMaxFrameStep)) break;

        if (Readable(frame, 3 * sizeof(void*))) {
            const void* returnAddress = frame[1];
            if (returnAddress == reinterpret_cast<const void*>(&ExceptionLanding))
                returnAddress = sReplacedReturn;
            if (returnAddress && Readable(returnAddress, 4) && MayHoldMarkers(returnAddress)) {
                const uint8_t* marker = FindHandlerMarker(static_cast<const uint8_t*>(returnAddress));
                if (marker) {
                    int16_t slot;
                    std::copy(marker + kHandlerSlotOffset, marker + kHandlerSlotOffset + 2,
                              reinterpret_cast<uint8_t*>(&slot));
                    if (slot != 0) {
                        *reinterpret_cast<ObjectHeader**>(reinterpret_cast<char*>(next) + slot) =
                            exception;
                        RetainObject(exception);
                    }
                    sReplacedReturn = returnAddress;
                    gExceptionLandingTarget = marker + kHandlerMarkerSize;
                    gExceptionInFlight = 1;
                    frame[1] = reinterpret_cast<void*>(&ExceptionLanding);
                    return true;
                }
            }
        }
        frame = next;
    }
    RuntimeUnhandledException(exception);
    return false;
}

namespace {

// The walk starts in this function's own frame, so that every frame of the raise is passed; the
// frame must still exist while the walk runs, so the call may not become a jump.
__attribute__((noinline, optimize("no-optimize-sibling-calls"))) void DispatchException(
    ObjectHeader* exception) {
    DeliverException(static_cast<void**>(__builtin_frame_address(0)), exception);
}

}  // namespace

extern "C" {

void RuntimeRaiseException(ObjectHeader* exception) {
    if (!exception) return;
    if (sRaiseHook) sRaiseHook(exception);
    DispatchException(exception);
}

void RuntimeReraiseException(ObjectHeader* exception) {
    if (!exception) return;
    DispatchException(exception);
}

void RaiseExceptionClass(ClassRecord* exclass) {
    if (!exclass) {
        // Without its class the NilObjectException that follows would come back here.
        if (sRaisingWithoutClass) return;
        ReportAssertion(kSource, __LINE__, "exclass");
        sRaisingWithoutClass = true;
        NewException(nullptr);
        sRaisingWithoutClass = false;
        return;
    }
    ObjectHeader* exception = NewException(exclass);
    RuntimeRaiseException(exception);
    ReleaseObject(exception);
}

void RaiseNilObjectException() { RaiseExceptionClass(sNilObjectClass); }
void RaiseIllegalCastException() { RaiseExceptionClass(sIllegalCastClass); }
void RaiseOutOfBoundsException() { RaiseExceptionClass(sOutOfBoundsClass); }

void RuntimeRaiseFunctionNotFoundException(StringRecord* function, StringRecord* library) {
    string message("Could not load ");
    message.Append(string(function));
    message.AppendCString(" from ");
    message.Append(string(library));
    ObjectHeader* exception = NewException(sFunctionNotFoundClass);
    if (!exception) return;
    auto* fields = reinterpret_cast<RuntimeExceptionObject*>(exception);
    fields->message = message.Detach();
    RuntimeRaiseException(exception);
    ReleaseObject(exception);
}

bool RuntimeUnhandledException(ObjectHeader* exception) {
    if (sUnhandledHook) return sUnhandledHook(exception);
    ReportAssertion(kSource, __LINE__, "0");
    return false;
}

void RuntimeExceptionFinalizer(ObjectHeader* exception) {
    auto* fields = reinterpret_cast<RuntimeExceptionObject*>(exception);
    StringRecord::Release(fields->message);
    fields->message = nullptr;
}

}  // extern "C"

void RaiseExceptionDefinition(ObjectDefinition* definition) {
    ObjectHeader* exception = CreateInstance(definition);
    RuntimeRaiseException(exception);
    ReleaseObject(exception);
}

void RaiseExceptionWithMessage(ObjectDefinition* definition, const string& message,
                               int32_t errorNumber) {
    ObjectHeader* exception = CreateInstance(definition);
    if (!exception) return;
    auto* fields = reinterpret_cast<RuntimeExceptionObject*>(exception);
    StringRecord::Release(fields->message);
    fields->message = string(message).Detach();
    fields->errorNumber = errorNumber;
    RuntimeRaiseException(exception);
    ReleaseObject(exception);
}

// --- callback frames ---

namespace {
// Owns one reference; a second exception escaping before the first is raised again is dropped.
ObjectHeader* sParkedException = nullptr;
}  // namespace

extern "C" {
void HandlerFrame(void (*function)(void*), void* context, void (*catcher)(ObjectHeader*));
void HandlerFrameEnd();
}

namespace {

// The callback frame's catcher: takes over the handler slot's reference.
void ParkException(ObjectHeader* exception) {
    if (!exception) {
        ReportAssertion(kSource, __LINE__, "0");
        return;
    }
    if (sParkedException)
        ReleaseObject(exception);
    else
        sParkedException = exception;
}

}  // namespace

void RunInHandlerFrame(void (*function)(void*), void* context, void (*catcher)(ObjectHeader*)) {
    static const bool registered = [] {
        RegisterMarkerCodeRange(reinterpret_cast<const void*>(&HandlerFrame),
                                reinterpret_cast<const void*>(&HandlerFrameEnd));
        return true;
    }();
    (void)registered;
    HandlerFrame(function, context, catcher);
}

void RunInCallbackFrame(void (*function)(void*), void* context) {
    RunInHandlerFrame(function, context, ParkException);
}

bool RaiseParkedException() {
    ObjectHeader* exception = sParkedException;
    if (!exception) return false;
    sParkedException = nullptr;
    RuntimeReraiseException(exception);
    ReleaseObject(exception);
    return true;
}

void SetRaiseHook(RaiseHook hook) { sRaiseHook = hook; }
void SetUnhandledExceptionHook(UnhandledExceptionHook hook) { sUnhandledHook = hook; }

void SetNilObjectExceptionClass(ClassRecord* exc) {
    if (!exc) ReportAssertion(kSource, __LINE__, "exc");
    sNilObjectClass = exc;
}
void SetIllegalCastExceptionClass(ClassRecord* exc) {
    if (!exc) ReportAssertion(kSource, __LINE__, "exc");
    sIllegalCastClass = exc;
}
void SetOutOfBoundsExceptionClass(ClassRecord* exc) {
    if (!exc) ReportAssertion(kSource, __LINE__, "exc");
    sOutOfBoundsClass = exc;
}
void SetFunctionNotFoundExceptionClass(ClassRecord* exc) { sFunctionNotFoundClass = exc; }
