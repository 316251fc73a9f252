// The idle-poll list: objects polled once per event-loop step.
#pragma once

// An object on the idle-poll list. The list does not own it: whoever adds it removes it before it
// goes away.
class PollableObject {
public:
    virtual void Poll() = 0;

protected:
    ~PollableObject() = default;
};

// Adds the object at the end of the list; an object added twice is polled twice.
void AddPollableObject(PollableObject* object);
// Removes every entry of the object; one that is not on the list changes nothing.
void RemovePollableObject(PollableObject* object);
// Polls every object of the list, last to first. A Poll may add or remove objects, itself too:
// those added are polled from the next pass on, those removed are not polled after their removal.
void PollAllPollableObjects();
