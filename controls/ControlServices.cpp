// Control services for compiled code. Only the per-object event handler is here; the other
// control services for compiled code come with the controls subsystem.
#include "ControlServices.h"

#include <cstring>

#include "core/FailureReport.h"
#include "core/GuardedMemory.h"

namespace {
constexpr const char* kSource = "runctl";
}

extern "C" void RuntimeInstallInstanceEventHandler(ObjectHeader* target, StringRecord* eventName,
                                                   void* handler) {
    if (!target) {
        ReportAssertion(kSource, __LINE__, "target");
        return;
    }
    ClassRecord* classRecord = target->classPtr;
    if (!classRecord) {
        ReportAssertion(kSource, __LINE__, "target->classPtr");
        return;
    }
    const int32_t count = classRecord->eventCount;
    if (target->eventTable == classRecord->events) {
        // The object's own table; DestroyObject frees it. The slot names stay shared with the
        // class record, which outlives every object.
        auto* own = static_cast<EventSlot*>(GuardedNewElements(count, sizeof(EventSlot)));
        if (count > 0) std::memcpy(own, classRecord->events, sizeof(EventSlot) * count);
        target->eventTable = own;
    }

    const string name(eventName);
    for (int32_t ctr = count - 1; ctr >= 0; --ctr) {
        EventSlot& slot = target->eventTable[ctr];
        if (string::CompareNoCase(string(slot.name), name) != 0) continue;
        if (slot.vector) {
            string message(
                "Attempting to implement an event that was already implemented. Class ");
            message.Append(string(classRecord->name));
            message.AppendCString(", Event ");
            message.Append(name);
            ReportAssertion(kSource, __LINE__, "NULL == target->eventTable[ctr].vector",
                            message.CString());
        }
        slot.vector = handler;
        return;
    }
}
