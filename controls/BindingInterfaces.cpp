#include "BindingInterfaces.h"

#include "core/DefinitionConversion.h"
#include "core/IntrinsicRegistry.h"
#include "core/IntrinsicTypes.h"
#include "host/PluginServices.h"

namespace {

ObjectDefinition sTuple;

ParameterEntry kStrParameter[] = {{"Str", AsType(&kStringType), 0, 0, 0, 0}};
ParameterEntry kIndexParameter[] = {{"index", AsType(&kIntegerType), 0, 0, 0, 0}};
ParameterEntry kRowParameter[] = {{"v", AsType(&kIntegerType), 0, 0, 0, 0}};
// The receiver types are set when the definitions are built.
ParameterEntry kReceiverParameter[] = {{"receiver", nullptr, 0, 0, 0, 0}};

#define QV_ABSTRACT(name, result, parameters, count) \
    {name, result, parameters, count, {}, {}, kMethodPlain, 0, 0}

MethodEntry kStringProviderMethods[] = {QV_ABSTRACT("getString", AsType(&kStringType), nullptr, 0)};
MethodEntry kStringInterfaceMethods[] = {QV_ABSTRACT("setString", nullptr, kStrParameter, 1)};
MethodEntry kTupleMethods[] = {
    QV_ABSTRACT("FieldCount", AsType(&kIntegerType), nullptr, 0),
    QV_ABSTRACT("getIndString", AsType(&kStringType), kIndexParameter, 1),
};
MethodEntry kListDataProviderMethods[] = {
    QV_ABSTRACT("GetCount", AsType(&kIntegerType), nullptr, 0),
    QV_ABSTRACT("GetRow", AsType(&sTuple), kIndexParameter, 1),
};
MethodEntry kListDataNotifierMethods[] = {
    QV_ABSTRACT("addListDataNotificationReceiver", nullptr, kReceiverParameter, 1),
    QV_ABSTRACT("removeListDataNotificationReceiver", nullptr, kReceiverParameter, 1),
};
MethodEntry kListDataReceiverMethods[] = {
    QV_ABSTRACT("listDataInsertedRow", nullptr, kRowParameter, 1),
    QV_ABSTRACT("listDataRemovedRow", nullptr, kRowParameter, 1),
    QV_ABSTRACT("listDataReload", nullptr, nullptr, 0),
};
MethodEntry kActionReceiverMethods[] = {QV_ABSTRACT("PerformAction", nullptr, nullptr, 0)};

#undef QV_ABSTRACT

#define QV_INTERFACE(name, rows) \
    {.className = name, .superclass = nullptr, .objectSize = kObjectHeaderSize, .methods = rows, .isInterface = true}

const ClassRows kStringProviderRows = QV_INTERFACE("StringProvider", kStringProviderMethods);
const ClassRows kStringInterfaceRows = QV_INTERFACE("StringInterface", kStringInterfaceMethods);
const ClassRows kTupleRows = QV_INTERFACE("tupleInterface", kTupleMethods);
const ClassRows kListDataProviderRows = QV_INTERFACE("listDataProvider", kListDataProviderMethods);
const ClassRows kListDataNotifierRows = QV_INTERFACE("listDataNotifier", kListDataNotifierMethods);
const ClassRows kListDataReceiverRows =
    QV_INTERFACE("listDataNotificationReceiver", kListDataReceiverMethods);
const ClassRows kActionReceiverRows = QV_INTERFACE("actionNotificationReceiver", kActionReceiverMethods);

#undef QV_INTERFACE

}  // namespace

ObjectDefinition* StringProviderInterface() {
    static ObjectDefinition definition;
    return FillClassDefinition(definition, kStringProviderRows);
}

ObjectDefinition* StringInterfaceInterface() {
    static ObjectDefinition definition;
    return FillClassDefinition(definition, kStringInterfaceRows);
}

ObjectDefinition* TupleInterface() { return FillClassDefinition(sTuple, kTupleRows); }

ObjectDefinition* ListDataProviderInterface() {
    static ObjectDefinition definition;
    if (definition.className.IsEmpty()) TupleInterface();
    return FillClassDefinition(definition, kListDataProviderRows);
}

ObjectDefinition* ListDataNotificationReceiverInterface() {
    static ObjectDefinition definition;
    return FillClassDefinition(definition, kListDataReceiverRows);
}

ObjectDefinition* ListDataNotifierInterface() {
    static ObjectDefinition definition;
    if (definition.className.IsEmpty())
        kReceiverParameter[0].parameterType = ListDataNotificationReceiverInterface()->AsType();
    return FillClassDefinition(definition, kListDataNotifierRows);
}

ObjectDefinition* ActionNotificationReceiverInterface() {
    static ObjectDefinition definition;
    return FillClassDefinition(definition, kActionReceiverRows);
}

void RegisterBindingInterfaces() {
    for (DefinitionFunction f : {StringProviderInterface, StringInterfaceInterface, TupleInterface,
                                 ListDataProviderInterface, ListDataNotificationReceiverInterface,
                                 ListDataNotifierInterface, ActionNotificationReceiverInterface})
        RegisterIntrinsicClass(f());
}

void* FindInterfaceMethod(ObjectHeader* object, ObjectDefinition* interfaceDefinition,
                          const char* methodName) {
    if (!object || !interfaceDefinition || !methodName) return nullptr;
    return FindInterfaceRoutine(object, LookupObjectDefinition(interfaceDefinition), string(methodName));
}
