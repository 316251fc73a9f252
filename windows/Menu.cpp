#include "Menu.h"

#include "MenuItemClass.h"
#include "core/Exceptions.h"
#include "core/FailureReport.h"

Menu::~Menu() {
    while (children.size() > 0) RuntimeUnlockObject(children.pop_back());
    RuntimeUnlockObject(tag);
    tag = nullptr;
}

void Menu::SetTag(ObjectHeader* object) {
    RuntimeLockObject(object);
    RuntimeUnlockObject(tag);
    tag = object;
}

void Menu::Append(ObjectHeader* item) {
    RuntimeLockObject(item);
    children.push_back(item);
}

void Menu::Insert(ObjectHeader* item, int32_t position) {
    RuntimeLockObject(item);
    children.push_back(item);
    for (int32_t i = ChildCount() - 1; i > position; --i) children[i] = children[i - 1];
    children[position] = item;
}

void Menu::Remove(ObjectHeader* item) {
    for (int32_t i = ChildCount() - 1; i >= 0; --i) {
        if (children[i] != item) continue;
        children.remove_at(i);
        RuntimeUnlockObject(item);
    }
}

void Menu::RemoveAt(int32_t position) {
    if (position < 0 || position >= ChildCount()) return RaiseOutOfBoundsException();
    ObjectHeader* child = children[position];
    children.remove_at(position);
    RuntimeUnlockObject(child);
}

ObjectHeader* Menu::ChildAt(int32_t position) const {
    if (position < 0 || position >= ChildCount()) {
        RaiseOutOfBoundsException();
        return nullptr;
    }
    ObjectHeader* child = children[position];
    RuntimeLockObject(child);
    return child;
}

ObjectHeader* Menu::FindChild(const string& childName) const {
    for (int32_t i = 0; i < ChildCount(); ++i) {
        Menu* imp = MenuItemImplementation(children[i]);
        if (!imp) {
            ReportAssertion("Menu", 82, "m");
            return nullptr;
        }
        if (string::CompareNoCase(imp->name, childName) == 0) {
            RuntimeLockObject(children[i]);
            return children[i];
        }
    }
    return nullptr;
}

bool Menu::IsSeparator() const { return string::CompareNoCase(text, string("-")) == 0; }
