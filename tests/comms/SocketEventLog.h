// What the event handlers of the test sockets saw, as text in the order it came, and the handlers
// that every test class shares.
#pragma once

#include <string>
#include <vector>

#include "comms/SocketClasses.h"

inline std::vector<std::string>& SocketLog() {
    static std::vector<std::string> log;
    return log;
}

// An object whose last reference the next Error handler gives up.
inline ObjectHeader*& DroppedInError() {
    static ObjectHeader* object = nullptr;
    return object;
}

inline bool Logged(const std::string& entry) {
    for (const std::string& e : SocketLog())
        if (e == entry) return true;
    return false;
}

inline void LogConnected(ObjectHeader*) { SocketLog().emplace_back("Connected"); }

inline void LogSendComplete(ObjectHeader*, bool aborted) {
    SocketLog().emplace_back(aborted ? "SendComplete(True)" : "SendComplete(False)");
}

inline void LogSendProgress(int32_t sent, int32_t left) {
    SocketLog().push_back("SendProgress(" + std::to_string(sent) + "," + std::to_string(left) + ")");
}

inline void LogError(ObjectHeader* self) {
    SocketLog().push_back("Error(" + std::to_string(socketLastErrorCode(self)) + ")");
    if (ObjectHeader* dropped = DroppedInError()) {
        DroppedInError() = nullptr;
        ReleaseObject(dropped);
    }
}
