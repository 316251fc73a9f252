// The binder classes compiled code creates to connect a source to a destination through the
// binding interfaces: enablingBinder (a BooleanProvider enables a control), actionBinder (a
// source's actions reach the dest), stringBinder (a StringProvider fills a StringInterface) and
// listBinder (a listDataProvider fills a ListInterface).
#pragma once

#include <cstddef>

#include "core/ClassDefinition.h"
#include "core/ObjectModel.h"

struct BinderRecord {
    ObjectHeader header;
    ObjectHeader* source;  // no reference: the source's receiver list holds the binder instead
    ObjectHeader* dest;    // retained
};

#ifndef _WIN64
static_assert(offsetof(BinderRecord, source) == 24 && offsetof(BinderRecord, dest) == 28);
#endif

ObjectDefinition* EnablingBinder();
ObjectDefinition* ActionBinder();
ObjectDefinition* StringBinder();
ObjectDefinition* ListBinder();

// A runtime receiver list drops the receiver: when it is a binder, its source (which owns the
// list) is forgotten, so that a rebinding never reaches a source that may be gone.
void BinderReceiverDropped(ObjectHeader* receiver);

extern "C" {
void enablingBinderBind(ObjectHeader* binder, ObjectHeader* source, ObjectHeader* dest);
void enablingBinderReload(ObjectHeader* binder);
void actionBinderBind(ObjectHeader* binder, ObjectHeader* source, ObjectHeader* dest);
void stringBinderBind(ObjectHeader* binder, ObjectHeader* source, ObjectHeader* dest);
void stringBinderReload(ObjectHeader* binder);
void listBinderBind(ObjectHeader* binder, ObjectHeader* source, ObjectHeader* dest);
void binderDestructor(ObjectHeader* binder);
}
