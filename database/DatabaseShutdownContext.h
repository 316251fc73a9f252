// The record of open databases and cursors, so that every one of them is closed when the
// application's entry returns: cursors first, then databases. Recording holds no reference.
#pragma once

#include "core/ObjectModel.h"
#include "host/ShutdownContexts.h"

class DatabaseShutdownContext final : public ShutdownContext {
public:
    static DatabaseShutdownContext& Instance();

    static void AddDatabase(ObjectHeader* database);
    static void AddCursor(ObjectHeader* cursor);
    // In every instance, unlink the first node of the object; nothing when there is none.
    static void RemoveDatabase(ObjectHeader* database);
    static void RemoveCursor(ObjectHeader* cursor);
    // Closes every recorded cursor whose Database is the given one.
    static void CloseCursorsOf(ObjectHeader* database);
    // Closes every recorded cursor, then every recorded database.
    void CloseAll();

    ~DatabaseShutdownContext() override;

    // "dbShutdownContext"
    static const char* const kName;

private:
    DatabaseShutdownContext();

    struct Node : RuntimeAllocated {
        Node* next;
        ObjectHeader* object;
    };
    static void Remove(Node* DatabaseShutdownContext::*list, ObjectHeader* object);

    Node* mCursors = nullptr;
    Node* mDatabases = nullptr;
    DatabaseShutdownContext* mNextInstance = nullptr;
};
