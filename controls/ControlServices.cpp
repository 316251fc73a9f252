#include "ControlServices.h"

#include <cstring>

#include "controls/BindingInterfaces.h"
#include "controls/ControlClasses.h"
#include "controls/MassPropertyStream.h"
#include "core/DefinitionConversion.h"
#include "core/FailureReport.h"
#include "core/GuardedMemory.h"
#include "core/PropertyAccessors.h"

namespace {
constexpr const char* kSource = "runctl";

// Applies decoded records through the property rows of the object's class.
class PropertyTableTarget final : public MassPropertyTarget {
public:
    explicit PropertyTableTarget(ObjectHeader* object)
        : mObject(object), mClass(object->classPtr) {}

    char TypeCodeOf(uint16_t index) override {
        if (!mClass || index >= mClass->propertyCount) {
            ReportAssertion(kSource, __LINE__, "destIndex < propTableCount");
            return 0;
        }
        const PropertySlot& slot = mClass->properties[index];
        const char* descriptor = StringRecord::CString(slot.descriptor);
        if (!slot.setter) {
            string message("Assignment to read-only property ");
            message.AppendCString(descriptor);
            ReportAssertion(kSource, __LINE__, "setter", message.CString());
            return 0;
        }
        const char* percent = std::strchr(descriptor, '%');
        // A name without a type code is an unknown type, which the decoder reports.
        if (!percent || !percent[1]) return '?';
        // Double properties carry the code f8 (Single f4): their values take eight bytes.
        if (percent[1] == 'f' && percent[2] == '8') return 'd';
        return percent[1];
    }

    void Apply(uint16_t index, const MassPropertyValue& value) override {
        const PropertySlot& slot = mClass->properties[index];
        switch (value.code) {
            case 'b': Set(slot, boolSetter, value.integer); break;
            case 'c':
            case 'i': Set(slot, intSetter, value.integer); break;
            case 'f': Set(slot, singleSetter, value.single); break;
            case 'd': Set(slot, doubleSetter, value.real); break;
            case 's': {
                string text;
                text.SetBytes(value.bytes, static_cast<int32_t>(value.length));
                text.SetEncoding(kEncodingUTF8);
                Set(slot, stringSetter, text.Record());
                break;
            }
        }
    }

    void Fault(MassPropertyFault fault, uint16_t) override {
        if (fault == MassPropertyFault::kUnknownCode)
            ReportAssertion(kSource, __LINE__, "type", "Illegal type in mass property input.");
        else
            ReportAssertion(kSource, __LINE__, "length",
                            "Mass property input ends inside a record.");
    }

private:
    // Through the row's own setter, or the type's generic one for a plain field.
    template <typename T>
    void Set(const PropertySlot& slot, void (*generic)(ObjectHeader*, int32_t, T), T value) {
        auto setter = reinterpret_cast<uintptr_t>(slot.setter) == kPlainFieldAccessor
                          ? generic
                          : reinterpret_cast<void (*)(ObjectHeader*, int32_t, T)>(slot.setter);
        setter(mObject, slot.parameter, value);
    }

    ObjectHeader* mObject;
    ClassRecord* mClass;
};

}  // namespace

extern "C" void RuntimeMassPropertySetter(ObjectHeader* object, StringRecord* stream) {
    if (!object || !stream || stream->length <= 0) return;
    // The setters may run code that drops the caller's references.
    RuntimeLockObject(object);
    const string held(stream);
    PropertyTableTarget target(object);
    DecodeMassPropertyStream(reinterpret_cast<const uint8_t*>(held.CString()),
                             static_cast<size_t>(held.Length()), target);
    RuntimeUnlockObject(object);
}

extern "C" void RuntimeExchangeSelfAndMe(ObjectHeader** self, ObjectHeader** me) {
    if (!self) {
        ReportAssertion(kSource, __LINE__, "selfVar");
        return;
    }
    if (!me) {
        ReportAssertion(kSource, __LINE__, "meVar");
        return;
    }
    // me takes over the reference self held; self gets a new one.
    ObjectHeader* control = *self;
    *me = control;
    if (IsControl(control)) {
        *self = controlWindowGetter(control, 0);
        return;
    }
    if (HasPaneChildInterface(control)) {
        auto window = reinterpret_cast<ObjectHeader* (*)(ObjectHeader*)>(
            FindInterfaceMethod(control, PaneChild(), "Window"));
        if (!window) {
            ReportAssertion(kSource, __LINE__, "vtable");
            *self = nullptr;
        } else {
            *self = window(control);
        }
        return;
    }
    ReportAssertion(kSource, __LINE__, "IsControl(me)",
                    "Non-control object has a window event implementation");
}

extern "C" void RuntimeExchangeSelfAndMeClass(ObjectHeader** self, ObjectHeader** me,
                                              ClassRecord* containerClass) {
    if (!self || !me) {
        ReportAssertion(kSource, __LINE__, self ? "meVar" : "selfVar");
        return;
    }
    ObjectHeader* control = *self;
    *me = control;
    *self = nullptr;
    // me keeps the reference self held; each parent the walk passes is a new reference.
    ObjectHeader* current = control;
    while (current && ObjectIsaDefinition(current, RectControl())) {
        ObjectHeader* parent = ControlParentGetter(current, 0);
        if (current != control) RuntimeUnlockObject(current);
        current = parent;
        if (current && RuntimeObjectIsa(current, containerClass)) {
            *self = current;
            return;
        }
    }
    if (current != control) RuntimeUnlockObject(current);
    string message("couldn't find ");
    if (containerClass) message.Append(string(containerClass->name));
    message.AppendCString(" in container chain");
    ReportAssertion(kSource, __LINE__, "container", message.CString());
}

extern "C" void RuntimeExchangeSelfAndMeObj(ObjectHeader** self, ObjectHeader** me,
                                            ObjectHeader* object) {
    if (!self || !me) {
        ReportAssertion(kSource, __LINE__, self ? "meVar" : "selfVar");
        return;
    }
    *me = *self;
    RuntimeLockObject(object);
    *self = object;
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
