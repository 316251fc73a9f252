#include "PollableObjects.h"

#include "core/Exceptions.h"
#include "core/SimpleVector.h"

namespace {

SimpleVector<PollableObject*>& PollList() {
    static SimpleVector<PollableObject*> list;
    return list;
}

bool IsListed(PollableObject* object) {
    const SimpleVector<PollableObject*>& list = PollList();
    for (uint32_t i = 0; i < list.mCount; ++i)
        if (list.mBuf[i] == object) return true;
    return false;
}

}  // namespace

void AddPollableObject(PollableObject* object) {
    if (object) PollList().push_back(object);
}

void RemovePollableObject(PollableObject* object) {
    SimpleVector<PollableObject*>& list = PollList();
    for (uint32_t i = list.mCount; i-- > 0;)
        if (list.mBuf[i] == object) list.remove_at(i);
}

void PollAllPollableObjects() {
    const SimpleVector<PollableObject*>& list = PollList();
    if (list.mCount == 0) return;
    // A Poll may add or remove entries: poll from a copy, skipping those taken off meanwhile.
    const SimpleVector<PollableObject*> snapshot(list);
    for (uint32_t i = snapshot.mCount; i-- > 0;) {
        if (!IsListed(snapshot.mBuf[i])) continue;
        snapshot.mBuf[i]->Poll();
        if (ExceptionInFlight()) return;
    }
}
