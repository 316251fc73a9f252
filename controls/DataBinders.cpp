#include "controls/DataBinders.h"

#include "controls/BindingInterfaces.h"
#include "controls/ControlClasses.h"
#include "core/RuntimeString.h"

namespace {

BinderRecord* B(ObjectHeader* binder) { return reinterpret_cast<BinderRecord*>(binder); }

using ObjectMethod = void (*)(ObjectHeader*, ObjectHeader*);

// The method of interface definition the object implements, or null.
void* Method(ObjectHeader* object, ObjectDefinition* definition, const char* name) {
    return ObjectImplementsInterface(object, definition)
               ? FindInterfaceMethod(object, definition, name)
               : nullptr;
}

void SetDest(ObjectHeader* binder, ObjectHeader* dest) {
    RuntimeLockObject(dest);
    ObjectHeader* old = B(binder)->dest;
    B(binder)->dest = dest;
    RuntimeUnlockObject(old);
}

// The four steps the data binders share: leave the old source, take the new pair, join the new
// source's data receivers and take its current value.
void BindDataReceiver(ObjectHeader* binder, ObjectHeader* source, ObjectHeader* dest,
                      void (*reload)(ObjectHeader*)) {
    if (!binder) return;
    ObjectDefinition* notifier = DataNotifierInterface();
    if (ObjectHeader* old = B(binder)->source) {
        if (auto remove = reinterpret_cast<ObjectMethod>(
                Method(old, notifier, "removeDataNotificationReceiver")))
            remove(old, binder);
    }
    B(binder)->source = source;
    SetDest(binder, dest);
    if (auto add = reinterpret_cast<ObjectMethod>(
            Method(source, notifier, "addDataNotificationReceiver")))
        add(source, binder);
    reload(binder);
}

void EnableDest(ObjectHeader* dest, bool value) {
    // Only a control has an Enabled the binder may set.
    if (IsControl(dest)) controlEnabledSetter(dest, 0, value);
}

}  // namespace

void BinderReceiverDropped(ObjectHeader* receiver) {
    if (!receiver) return;
    for (DefinitionFunction binder : {EnablingBinder, StringBinder})
        if (ObjectIsaDefinition(receiver, binder())) B(receiver)->source = nullptr;
}

extern "C" {

void enablingBinderBind(ObjectHeader* binder, ObjectHeader* source, ObjectHeader* dest) {
    BindDataReceiver(binder, source, dest, enablingBinderReload);
}

void enablingBinderReload(ObjectHeader* binder) {
    if (!binder) return;
    ObjectHeader* source = B(binder)->source;
    bool value = false;
    if (auto get = reinterpret_cast<bool (*)(ObjectHeader*)>(
            Method(source, BooleanProviderInterface(), "getBoolean")))
        value = get(source);
    EnableDest(B(binder)->dest, value);
}

void actionBinderBind(ObjectHeader*, ObjectHeader* source, ObjectHeader* dest) {
    if (auto add = reinterpret_cast<ObjectMethod>(
            Method(source, ActionSourceInterface(), "addActionNotificationReceiver")))
        add(source, dest);
}

void stringBinderBind(ObjectHeader* binder, ObjectHeader* source, ObjectHeader* dest) {
    BindDataReceiver(binder, source, dest, stringBinderReload);
}

void stringBinderReload(ObjectHeader* binder) {
    if (!binder) return;
    ObjectHeader* source = B(binder)->source;
    ObjectHeader* dest = B(binder)->dest;
    StringRecord* text = nullptr;
    bool available = true;
    if (auto get = reinterpret_cast<StringRecord* (*)(ObjectHeader*)>(
            Method(source, StringProviderInterface(), "getString")))
        text = get(source);
    if (auto dataAvailable = reinterpret_cast<bool (*)(ObjectHeader*)>(
            Method(source, DataAvailableProviderInterface(), "dataAvailable")))
        available = dataAvailable(source);
    if (auto set = reinterpret_cast<void (*)(ObjectHeader*, StringRecord*)>(
            Method(dest, StringInterfaceInterface(), "setString")))
        set(dest, text);
    EnableDest(dest, available);
    RuntimeUnlockString(text);
}

void listBinderBind(ObjectHeader*, ObjectHeader* source, ObjectHeader* dest) {
    if (auto bindList = reinterpret_cast<ObjectMethod>(
            Method(dest, ListInterfaceInterface(), "BindList")))
        bindList(dest, source);
}

void binderDestructor(ObjectHeader* binder) {
    RuntimeUnlockObject(B(binder)->dest);
    B(binder)->dest = nullptr;
}

}  // extern "C"

namespace {

// Object is the root class; the parameter types are set when a definition is built.
ParameterEntry kBindParameters[] = {{"source", nullptr, 0, 0, 0, 0}, {"dest", nullptr, 0, 0, 0, 0}};

#define QV_METHOD(name, parameters, count, function, flags) \
    {name, nullptr, parameters, count, Function(function, #function), {}, kMethodPlain, flags, 0}
MethodEntry kEnablingMethods[] = {
    QV_METHOD("bind", kBindParameters, 2, enablingBinderBind, 0),
    QV_METHOD("DataChanged", nullptr, 0, enablingBinderReload, 0),
};
MethodEntry kActionMethods[] = {QV_METHOD("bind", kBindParameters, 2, actionBinderBind, kRowAttr4)};
MethodEntry kStringMethods[] = {
    QV_METHOD("bind", kBindParameters, 2, stringBinderBind, 0),
    QV_METHOD("DataChanged", nullptr, 0, stringBinderReload, 0),
};
MethodEntry kListMethods[] = {QV_METHOD("bind", kBindParameters, 2, listBinderBind, kRowAttr4)};
#undef QV_METHOD

const DefinitionFunction kReceivingBinderInterfaces[] = {DataNotificationReceiverInterface,
                                                         BindingInterfaceInterface};
const DefinitionFunction kStringBinderInterfaces[] = {BindingInterfaceInterface,
                                                      DataNotificationReceiverInterface};
const DefinitionFunction kBinderInterfaces[] = {BindingInterfaceInterface};

// The binders hold their dest, so each has the finalizer that lets it go.
#define QV_BINDER(name, rows, interfaceRows)                                         \
    {.className = name, .superclass = nullptr, .objectSize = sizeof(BinderRecord),   \
     .finalizer = Function(binderDestructor, "binderDestructor"), .methods = rows,   \
     .interfaces = interfaceRows}
const ClassRows kEnablingRows = QV_BINDER("enablingBinder", kEnablingMethods,
                                          kReceivingBinderInterfaces);
const ClassRows kActionRows = QV_BINDER("actionBinder", kActionMethods, kBinderInterfaces);
const ClassRows kStringRows = QV_BINDER("stringBinder", kStringMethods, kStringBinderInterfaces);
const ClassRows kListRows = QV_BINDER("listBinder", kListMethods, kBinderInterfaces);
#undef QV_BINDER

ObjectDefinition* Binder(ObjectDefinition& definition, const ClassRows& rows) {
    if (definition.className.IsEmpty()) {
        const TypeDescriptor* object = Object()->AsType();
        kBindParameters[0].parameterType = object;
        kBindParameters[1].parameterType = object;
    }
    return FillClassDefinition(definition, rows);
}

}  // namespace

ObjectDefinition* EnablingBinder() {
    static ObjectDefinition definition;
    return Binder(definition, kEnablingRows);
}

ObjectDefinition* ActionBinder() {
    static ObjectDefinition definition;
    return Binder(definition, kActionRows);
}

ObjectDefinition* StringBinder() {
    static ObjectDefinition definition;
    return Binder(definition, kStringRows);
}

ObjectDefinition* ListBinder() {
    static ObjectDefinition definition;
    return Binder(definition, kListRows);
}
