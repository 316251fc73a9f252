// The receivers an owner notifies: a list of objects it holds, newest first.
#pragma once

#include "core/ObjectModel.h"

struct NotificationReceiverNode;

// Plain data, so that an owner keeps it inside its object; empty when zeroed.
struct NotificationReceiverList {
    NotificationReceiverNode* head;

    // Pushes the receiver at the head and retains it.
    void Add(ObjectHeader* receiver);
    // Unlinks the first node of the receiver and releases it; nothing when it is absent.
    void Remove(ObjectHeader* receiver);
    void RemoveAll();
    // Each calls the receiver method of every receiver implementing its interface, newest first:
    // dataChanged (dataNotificationReceiver), PerformAction (actionNotificationReceiver) and
    // listDataReload (listDataNotificationReceiver).
    void SendDataChanged();
    void SendPerformAction();
    void SendListDataReload();
};
