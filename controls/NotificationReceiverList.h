// The receivers an owner notifies: a list of objects it holds, newest first.
//
// Only the notifications the database classes send exist so far: SendDataChanged and
// SendPerformAction are missing.
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
    // listDataReload of every receiver implementing listDataNotificationReceiver, newest first.
    void SendListDataReload();
};
