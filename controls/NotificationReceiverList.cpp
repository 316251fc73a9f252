#include "NotificationReceiverList.h"

#include "BindingInterfaces.h"
#include "core/GuardedMemory.h"

struct NotificationReceiverNode : RuntimeAllocated {
    NotificationReceiverNode* next;
    ObjectHeader* receiver;
};

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
        RuntimeUnlockObject(node->receiver);
        delete node;
        return;
    }
}

void NotificationReceiverList::RemoveAll() {
    while (NotificationReceiverNode* node = head) {
        head = node->next;
        RuntimeUnlockObject(node->receiver);
        delete node;
    }
}

void NotificationReceiverList::SendListDataReload() {
    ObjectDefinition* receiverInterface = ListDataNotificationReceiverInterface();
    // A receiver may remove itself while it is notified.
    for (NotificationReceiverNode *node = head, *next; node; node = next) {
        next = node->next;
        auto reload = reinterpret_cast<void (*)(ObjectHeader*)>(
            FindInterfaceMethod(node->receiver, receiverInterface, "listDataReload"));
        if (reload) reload(node->receiver);
    }
}
