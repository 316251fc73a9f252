// The binding interfaces through which controls and data classes offer and take values, rows and
// actions, the interface test, and the lookup of the compiled methods that implement them.
#pragma once

#include "core/ClassDefinition.h"
#include "core/ObjectModel.h"

ObjectDefinition* StringProviderInterface();       // getString() As String
ObjectDefinition* BooleanProviderInterface();      // getBoolean() As Boolean, setBoolean(value)
ObjectDefinition* StringInterfaceInterface();      // setString(Str As String)
ObjectDefinition* ListInterfaceInterface();        // BindList(data As listDataProvider)
ObjectDefinition* DataAvailableProviderInterface();  // dataAvailable() As Boolean
ObjectDefinition* DataNotifierInterface();           // add/removeDataNotificationReceiver
ObjectDefinition* DataNotificationReceiverInterface();  // dataChanged
ObjectDefinition* ListSelectionNotifierInterface();     // add/removeListSelectionNotificationReceiver
ObjectDefinition* ListSelectionNotificationReceiverInterface();  // selectionChanging, ...Changed
ObjectDefinition* ListDataProviderInterface();     // GetCount() As Integer, GetRow(v)
ObjectDefinition* ListDataNotifierInterface();     // add/removeListDataNotificationReceiver
ObjectDefinition* ListDataNotificationReceiverInterface();  // listDataInsertedRow, ...Reload
ObjectDefinition* TupleInterface();                // FieldCount() As Integer, getIndString(v)
ObjectDefinition* ActionSourceInterface();         // add/removeActionNotificationReceiver
ObjectDefinition* ActionNotificationReceiverInterface();    // PerformAction()
ObjectDefinition* BindingInterfaceInterface();     // bind(source As Object, dest As Object)
ObjectDefinition* BindingPartInterface();          // getBoundPart(v As String) As Object

// Registers the interfaces above and the four binder classes, in their fixed order.
void RegisterBindingClasses();

// True when the object is an instance of the class or its class implements the interface.
bool ObjectImplementsInterface(ObjectHeader* object, ObjectDefinition* definition);

// The compiled method of that name, found without regard to case, of the interface as the
// object's class implements it; null when it does not.
void* FindInterfaceMethod(ObjectHeader* object, ObjectDefinition* interfaceDefinition,
                          const char* methodName);
