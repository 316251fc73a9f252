// The binding interfaces through which data classes and controls offer and take values, rows and
// actions, and the lookup of the compiled methods that implement them.
//
// Only the interfaces the database classes implement or call are defined so far; the controls'
// others (ListInterface, BooleanProvider, actionSource, DataAvailableProvider, dataNotifier,
// dataNotificationReceiver, the list-selection interfaces, bindingPartInterface) are missing.
#pragma once

#include "core/ClassDefinition.h"
#include "core/ObjectModel.h"

ObjectDefinition* StringProviderInterface();       // getString() As String
ObjectDefinition* StringInterfaceInterface();      // setString(Str As String)
ObjectDefinition* TupleInterface();                // FieldCount() As Integer, getIndString(index)
ObjectDefinition* ListDataProviderInterface();     // GetCount() As Integer, GetRow(index)
ObjectDefinition* ListDataNotifierInterface();     // add/removeListDataNotificationReceiver
ObjectDefinition* ListDataNotificationReceiverInterface();  // listDataInsertedRow, ...Reload
ObjectDefinition* ActionNotificationReceiverInterface();    // PerformAction()

// Registers the interfaces above as classes.
void RegisterBindingInterfaces();

// The compiled method of that name, found without regard to case, of the interface as the
// object's class implements it; null when it does not.
void* FindInterfaceMethod(ObjectHeader* object, ObjectDefinition* interfaceDefinition,
                          const char* methodName);
