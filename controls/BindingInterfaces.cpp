#include "BindingInterfaces.h"

#include "controls/DataBinders.h"
#include "core/DefinitionConversion.h"
#include "core/IntrinsicRegistry.h"
#include "core/IntrinsicTypes.h"
#include "host/PluginServices.h"

namespace {

ObjectDefinition sTuple;
ObjectDefinition sListDataProvider;
ObjectDefinition sObject;

const TypeDescriptor* const kString = AsType(&kStringType);
const TypeDescriptor* const kInteger = AsType(&kIntegerType);
const TypeDescriptor* const kBoolean = AsType(&kBooleanType);

ParameterEntry kStrParameter[] = {{"Str", kString, 0, 0, 0, 0}};
ParameterEntry kIntegerParameter[] = {{"v", kInteger, 0, 0, 0, 0}};
ParameterEntry kStringParameter[] = {{"v", kString, 0, 0, 0, 0}};
ParameterEntry kValueParameter[] = {{"value", kBoolean, 0, 0, 0, 0}};
ParameterEntry kDataParameter[] = {{"data", AsType(&sListDataProvider), 0, 0, 0, 0}};
// Object is the root class; its type is set when bindingInterface is built.
ParameterEntry kBindParameters[] = {{"source", nullptr, 0, 0, 0, 0}, {"dest", nullptr, 0, 0, 0, 0}};
// The receiver types are set when the notifier definitions are built.
ParameterEntry kActionReceiver[] = {{"receiver", nullptr, 0, 0, 0, 0}};
ParameterEntry kDataReceiver[] = {{"receiver", nullptr, 0, 0, 0, 0}};
ParameterEntry kSelectionReceiver[] = {{"receiver", nullptr, 0, 0, 0, 0}};
ParameterEntry kListDataReceiver[] = {{"receiver", nullptr, 0, 0, 0, 0}};

#define QV_ABSTRACT(flags, name, result, parameters, count) \
    {name, result, parameters, count, {}, {}, kMethodPlain, flags, 0}

MethodEntry kStringProviderMethods[] = {QV_ABSTRACT(kRowAttr4, "getString", kString, nullptr, 0)};
MethodEntry kBooleanProviderMethods[] = {
    QV_ABSTRACT(kRowAttr4, "getBoolean", kBoolean, nullptr, 0),
    QV_ABSTRACT(kRowAttr4, "setBoolean", nullptr, kValueParameter, 1),
};
MethodEntry kStringInterfaceMethods[] = {
    QV_ABSTRACT(kRowAttr4, "setString", nullptr, kStrParameter, 1)};
MethodEntry kListInterfaceMethods[] = {
    QV_ABSTRACT(kRowAttr4, "BindList", nullptr, kDataParameter, 1)};
MethodEntry kDataAvailableMethods[] = {QV_ABSTRACT(0, "dataAvailable", kBoolean, nullptr, 0)};
MethodEntry kDataNotifierMethods[] = {
    QV_ABSTRACT(kRowAttr4, "addDataNotificationReceiver", nullptr, kDataReceiver, 1),
    QV_ABSTRACT(kRowAttr4, "removeDataNotificationReceiver", nullptr, kDataReceiver, 1),
};
MethodEntry kDataReceiverMethods[] = {QV_ABSTRACT(kRowAttr4, "dataChanged", nullptr, nullptr, 0)};
MethodEntry kSelectionNotifierMethods[] = {
    QV_ABSTRACT(kRowAttr4, "addListSelectionNotificationReceiver", nullptr, kSelectionReceiver, 1),
    QV_ABSTRACT(kRowAttr4, "removeListSelectionNotificationReceiver", nullptr, kSelectionReceiver,
                1),
};
MethodEntry kSelectionReceiverMethods[] = {
    QV_ABSTRACT(kRowAttr4, "selectionChanging", nullptr, nullptr, 0),
    QV_ABSTRACT(kRowAttr4, "selectionChanged", nullptr, nullptr, 0),
};
MethodEntry kListDataProviderMethods[] = {
    QV_ABSTRACT(kRowAttr4, "GetCount", kInteger, nullptr, 0),
    QV_ABSTRACT(kRowAttr4, "GetRow", AsType(&sTuple), kIntegerParameter, 1),
};
MethodEntry kListDataNotifierMethods[] = {
    QV_ABSTRACT(kRowAttr4, "addListDataNotificationReceiver", nullptr, kListDataReceiver, 1),
    QV_ABSTRACT(kRowAttr4, "removeListDataNotificationReceiver", nullptr, kListDataReceiver, 1),
};
MethodEntry kListDataReceiverMethods[] = {
    QV_ABSTRACT(kRowAttr4, "listDataInsertedRow", nullptr, kIntegerParameter, 1),
    QV_ABSTRACT(kRowAttr4, "listDataRemovedRow", nullptr, kIntegerParameter, 1),
    QV_ABSTRACT(0, "listDataReload", nullptr, nullptr, 0),
};
MethodEntry kTupleMethods[] = {
    QV_ABSTRACT(kRowAttr4, "FieldCount", kInteger, nullptr, 0),
    QV_ABSTRACT(kRowAttr4, "getIndString", kString, kIntegerParameter, 1),
};
MethodEntry kActionSourceMethods[] = {
    QV_ABSTRACT(kRowAttr4, "addActionNotificationReceiver", nullptr, kActionReceiver, 1),
    QV_ABSTRACT(kRowAttr4, "removeActionNotificationReceiver", nullptr, kActionReceiver, 1),
};
MethodEntry kActionReceiverMethods[] = {
    QV_ABSTRACT(kRowAttr4, "PerformAction", nullptr, nullptr, 0)};
MethodEntry kBindingMethods[] = {QV_ABSTRACT(0, "bind", nullptr, kBindParameters, 2)};
MethodEntry kBindingPartMethods[] = {
    QV_ABSTRACT(kRowAttr4, "getBoundPart", nullptr, kStringParameter, 1)};

#undef QV_ABSTRACT

#define QV_INTERFACE(name, rows) \
    {.className = name, .superclass = nullptr, .objectSize = kObjectHeaderSize, .methods = rows, .isInterface = true}

const ClassRows kStringProviderRows = QV_INTERFACE("StringProvider", kStringProviderMethods);
const ClassRows kBooleanProviderRows = QV_INTERFACE("BooleanProvider", kBooleanProviderMethods);
const ClassRows kStringInterfaceRows = QV_INTERFACE("StringInterface", kStringInterfaceMethods);
const ClassRows kListInterfaceRows = QV_INTERFACE("ListInterface", kListInterfaceMethods);
const ClassRows kDataAvailableRows = QV_INTERFACE("DataAvailableProvider", kDataAvailableMethods);
const ClassRows kDataNotifierRows = QV_INTERFACE("dataNotifier", kDataNotifierMethods);
const ClassRows kDataReceiverRows = QV_INTERFACE("dataNotificationReceiver", kDataReceiverMethods);
const ClassRows kSelectionNotifierRows =
    QV_INTERFACE("listSelectionNotifier", kSelectionNotifierMethods);
const ClassRows kSelectionReceiverRows =
    QV_INTERFACE("listSelectionNotificationReceiver", kSelectionReceiverMethods);
const ClassRows kListDataProviderRows = QV_INTERFACE("listDataProvider", kListDataProviderMethods);
const ClassRows kListDataNotifierRows = QV_INTERFACE("listDataNotifier", kListDataNotifierMethods);
const ClassRows kListDataReceiverRows =
    QV_INTERFACE("listDataNotificationReceiver", kListDataReceiverMethods);
const ClassRows kTupleRows = QV_INTERFACE("tupleInterface", kTupleMethods);
const ClassRows kActionSourceRows = QV_INTERFACE("actionSource", kActionSourceMethods);
const ClassRows kActionReceiverRows =
    QV_INTERFACE("actionNotificationReceiver", kActionReceiverMethods);
const ClassRows kBindingRows = QV_INTERFACE("bindingInterface", kBindingMethods);
const ClassRows kBindingPartRows = QV_INTERFACE("bindingPartInterface", kBindingPartMethods);

#undef QV_INTERFACE

// A notifier's receiver parameter names its receiver interface, built first.
ObjectDefinition* Notifier(ObjectDefinition& definition, const ClassRows& rows,
                           ParameterEntry& receiver, DefinitionFunction receiverInterface) {
    if (definition.className.IsEmpty()) receiver.parameterType = receiverInterface()->AsType();
    return FillClassDefinition(definition, rows);
}

}  // namespace

#define QV_PLAIN_INTERFACE(function, rows)                \
    ObjectDefinition* function() {                        \
        static ObjectDefinition definition;               \
        return FillClassDefinition(definition, rows);     \
    }
QV_PLAIN_INTERFACE(StringProviderInterface, kStringProviderRows)
QV_PLAIN_INTERFACE(BooleanProviderInterface, kBooleanProviderRows)
QV_PLAIN_INTERFACE(StringInterfaceInterface, kStringInterfaceRows)
QV_PLAIN_INTERFACE(DataAvailableProviderInterface, kDataAvailableRows)
QV_PLAIN_INTERFACE(DataNotificationReceiverInterface, kDataReceiverRows)
QV_PLAIN_INTERFACE(ListSelectionNotificationReceiverInterface, kSelectionReceiverRows)
QV_PLAIN_INTERFACE(ListDataNotificationReceiverInterface, kListDataReceiverRows)
QV_PLAIN_INTERFACE(ActionNotificationReceiverInterface, kActionReceiverRows)
QV_PLAIN_INTERFACE(BindingPartInterface, kBindingPartRows)
#undef QV_PLAIN_INTERFACE

ObjectDefinition* TupleInterface() { return FillClassDefinition(sTuple, kTupleRows); }

ObjectDefinition* ListDataProviderInterface() {
    if (sListDataProvider.className.IsEmpty()) TupleInterface();
    return FillClassDefinition(sListDataProvider, kListDataProviderRows);
}

ObjectDefinition* ListInterfaceInterface() {
    static ObjectDefinition definition;
    if (definition.className.IsEmpty()) ListDataProviderInterface();
    return FillClassDefinition(definition, kListInterfaceRows);
}

ObjectDefinition* DataNotifierInterface() {
    static ObjectDefinition definition;
    return Notifier(definition, kDataNotifierRows, kDataReceiver[0],
                    DataNotificationReceiverInterface);
}

ObjectDefinition* ListSelectionNotifierInterface() {
    static ObjectDefinition definition;
    return Notifier(definition, kSelectionNotifierRows, kSelectionReceiver[0],
                    ListSelectionNotificationReceiverInterface);
}

ObjectDefinition* ListDataNotifierInterface() {
    static ObjectDefinition definition;
    return Notifier(definition, kListDataNotifierRows, kListDataReceiver[0],
                    ListDataNotificationReceiverInterface);
}

ObjectDefinition* ActionSourceInterface() {
    static ObjectDefinition definition;
    return Notifier(definition, kActionSourceRows, kActionReceiver[0],
                    ActionNotificationReceiverInterface);
}

ObjectDefinition* BindingInterfaceInterface() {
    static ObjectDefinition definition;
    if (definition.className.IsEmpty()) {
        const TypeDescriptor* object = Object()->AsType();
        kBindParameters[0].parameterType = object;
        kBindParameters[1].parameterType = object;
    }
    return FillClassDefinition(definition, kBindingRows);
}

void RegisterBindingClasses() {
    for (DefinitionFunction f :
         {StringProviderInterface, BooleanProviderInterface, StringInterfaceInterface,
          ListInterfaceInterface, DataAvailableProviderInterface, DataNotifierInterface,
          DataNotificationReceiverInterface, ListSelectionNotifierInterface,
          ListSelectionNotificationReceiverInterface, ListDataProviderInterface,
          ListDataNotifierInterface, ListDataNotificationReceiverInterface, TupleInterface,
          ActionSourceInterface, ActionNotificationReceiverInterface, BindingInterfaceInterface,
          EnablingBinder, ActionBinder, StringBinder, ListBinder, BindingPartInterface})
        RegisterIntrinsicClass(f());
}

bool ObjectImplementsInterface(ObjectHeader* object, ObjectDefinition* definition) {
    return object && definition && RuntimeObjectIsa(object, LookupObjectDefinition(definition));
}

void* FindInterfaceMethod(ObjectHeader* object, ObjectDefinition* interfaceDefinition,
                          const char* methodName) {
    if (!object || !interfaceDefinition || !methodName) return nullptr;
    return FindInterfaceRoutine(object, LookupObjectDefinition(interfaceDefinition), string(methodName));
}
