#include "DatabaseShutdownContext.h"

#include "DatabaseObjects.h"

namespace {

DatabaseShutdownContext* sInstances = nullptr;  // every instance, newest first
DatabaseShutdownContext* sCurrent = nullptr;    // the one in use

}  // namespace

const char* const DatabaseShutdownContext::kName = "dbShutdownContext";

DatabaseShutdownContext::DatabaseShutdownContext() : mNextInstance(sInstances) { sInstances = this; }

DatabaseShutdownContext::~DatabaseShutdownContext() {
    CloseAll();
    for (DatabaseShutdownContext** link = &sInstances; *link; link = &(*link)->mNextInstance) {
        if (*link == this) {
            *link = mNextInstance;
            break;
        }
    }
    if (sCurrent == this) sCurrent = nullptr;
}

DatabaseShutdownContext& DatabaseShutdownContext::Instance() {
    if (!sCurrent) sCurrent = new DatabaseShutdownContext;
    return *sCurrent;
}

void DatabaseShutdownContext::AddDatabase(ObjectHeader* database) {
    DatabaseShutdownContext& context = Instance();
    context.mDatabases = new Node{{}, context.mDatabases, database};
}

void DatabaseShutdownContext::AddCursor(ObjectHeader* cursor) {
    DatabaseShutdownContext& context = Instance();
    context.mCursors = new Node{{}, context.mCursors, cursor};
}

void DatabaseShutdownContext::Remove(Node* DatabaseShutdownContext::*list, ObjectHeader* object) {
    for (DatabaseShutdownContext* context = sInstances; context; context = context->mNextInstance) {
        for (Node** link = &(context->*list); *link; link = &(*link)->next) {
            if ((*link)->object != object) continue;
            Node* node = *link;
            *link = node->next;
            delete node;
            break;
        }
    }
}

void DatabaseShutdownContext::RemoveDatabase(ObjectHeader* database) {
    Remove(&DatabaseShutdownContext::mDatabases, database);
}

void DatabaseShutdownContext::RemoveCursor(ObjectHeader* cursor) {
    Remove(&DatabaseShutdownContext::mCursors, cursor);
}

void DatabaseShutdownContext::CloseCursorsOf(ObjectHeader* database) {
    // Each close unlinks its own node, so the walk starts over after every close.
    for (DatabaseShutdownContext* context = sInstances; context; context = context->mNextInstance) {
        for (bool closed = true; closed;) {
            closed = false;
            for (Node* node = context->mCursors; node; node = node->next) {
                if (AsCursor(node->object)->database != database) continue;
                cursorClose(node->object);
                closed = true;
                break;
            }
        }
    }
}

void DatabaseShutdownContext::CloseAll() {
    while (mCursors) {
        Node* head = mCursors;
        cursorClose(head->object);
        if (mCursors == head) RemoveCursor(head->object);
    }
    while (mDatabases) {
        Node* head = mDatabases;
        databaseClose(head->object);
        if (mDatabases == head) RemoveDatabase(head->object);
    }
}
