#include "NotificationReceiverList.h"

#include "BindingInterfaces.h"
#include "DataBinders.h"
#include "core/GuardedMemory.h"

struct NotificationReceiverNode : RuntimeAllocated {
    NotificationReceiverNode* next;
    ObjectHeader* receiver;
};

namespace {

void Drop(NotificationReceiverNode* node) {
    BinderReceiverDropped(node->receiver);
    RuntimeUnlockObject(node->receiver);
    delete node;
}

void Send(NotificationReceiverNode* head, ObjectDefinition* receiverInterface, const char* method) {
    // A receiver may remove itself while it is notified.
    for (NotificationReceiverNode *node = head, *next; node; node = next) {
        next = node->next;
        auto call = reinterpret_cast<void (*)(ObjectHeader*)>(
            FindInterfaceMethod(node->receiver, receiverInterface, method));
        if (call) call(node->receiver);
    }
}

}  // namespace

void NotificationReceiverList::Add(ObjectHeader* receiver) {
    if (!receiver) return;
    RuntimeLockObject(receiver);
    head = new NotificationReceiverNode{{}, head, receiver};
}

void NotificationReceiverList::Remove(ObjectHeader* receiver) {
    for (NotificationReceiverNode** link = &head; *link; link = &(*link)->next) {
        if ((*link)->receiver != receiver) continue;
        NotificationReceiverNode* node = *link;
        *link = node->next;
        Drop(node);
        return;
    }
}

void NotificationReceiverList::RemoveAll() {
    while (NotificationReceiverNode* node = head) {
        head = node->next;
        Drop(node);
    }
}

void NotificationReceiverList::SendDataChanged() {
    Send(head, DataNotificationReceiverInterface(), "DataChanged");
}

void NotificationReceiverList::SendPerformAction() {
    Send(head, ActionNotificationReceiverInterface(), "PerformAction");
}

void NotificationReceiverList::SendListDataReload() {
    Send(head, ListDataNotificationReceiverInterface(), "listDataReload");
}
