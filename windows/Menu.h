// The implementation behind every language MenuItem object: its child items, texts, flags,
// command key, tag and command id, and the virtual operations through which the accessors change
// an item. The platform's Win32Menu derives from it and also changes the native menu.
#pragma once

#include <cstdint>

#include "core/GuardedMemory.h"
#include "core/ObjectModel.h"
#include "core/RuntimeString.h"
#include "core/SimpleVector.h"

constexpr int32_t kNoMenuIndex = INT32_MIN;

class Menu : public RuntimeAllocated {
public:
    // Releases every child and the tag.
    virtual ~Menu();
    virtual bool ReservedQuery(int32_t) { return false; }
    virtual void Enable() { enabled = true; }
    virtual void Disable() { enabled = false; }
    virtual void SetText(const string& value) { text = value; }
    virtual void SetName(const string& value) { name = value; }
    virtual void SetIndex(int32_t value) { index = value; }
    virtual void SetTag(ObjectHeader* object);
    virtual void SetBalloonHelp(const string& value) { balloonHelp = value; }
    virtual void SetDisabledBalloonHelp(const string& value) { disabledBalloonHelp = value; }
    virtual void SetChecked(bool flag) { checked = flag; }
    virtual void SetVisible(bool flag) { visible = flag; }
    virtual void SetCommandKey(const string& key) { commandKey = key; }
    virtual void SetBold(bool flag) { bold = flag; }
    virtual void SetItalic(bool flag) { italic = flag; }
    virtual void SetUnderline(bool flag) { underline = flag; }
    // Retains the item and adds it after the last child.
    virtual void Append(ObjectHeader* item);
    // Retains the item and inserts it at position (0 to the child count, the caller checks).
    virtual void Insert(ObjectHeader* item, int32_t position);
    // Releases and removes every occurrence of this very object; nothing when it is no child.
    virtual void Remove(ObjectHeader* item);
    // Raises OutOfBoundsException for a bad index; otherwise releases and removes that child.
    virtual void RemoveAt(int32_t position);

    int32_t ChildCount() const { return static_cast<int32_t>(children.size()); }
    // The child with a new reference; a bad index raises OutOfBoundsException and answers null.
    ObjectHeader* ChildAt(int32_t position) const;
    // The first child whose name equals name without regard to case, with a new reference.
    ObjectHeader* FindChild(const string& childName) const;
    const string& GetName() const { return name; }
    // Whether the caption makes a separator line.
    bool IsSeparator() const;

    SimpleVector<ObjectHeader*> children;  // one reference each
    int32_t index = kNoMenuIndex;
    string text;
    string name;
    string commandKey;
    int32_t commandId = -1;
    ObjectHeader* tag = nullptr;  // one reference
    string balloonHelp;
    string disabledBalloonHelp;
    bool enabled = true;
    bool checked = false;
    bool visible = true;
    bool bold = false;
    bool italic = false;
    bool underline = false;
    bool autoEnable = true;
};
