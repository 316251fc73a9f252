#include "values/Dictionary.h"

#include <cstring>

#include "core/DefinitionConversion.h"
#include "core/Exceptions.h"
#include "core/FailureReport.h"
#include "core/SmallBlockAllocator.h"
#include "core/IntrinsicTypes.h"
#include "core/LinkTable.h"
#include "values/Variant.h"

namespace {

constexpr const char* kSource = "Dictionary";
constexpr int32_t kInitialBins = 61;
constexpr int32_t kPrimes[] = {61, 127, 251, 509, 1021, 2039, 4093, 8191, 16381, 32749, 65521};

DictionaryObject* Fields(ObjectHeader* self) { return reinterpret_cast<DictionaryObject*>(self); }

uint32_t ItemGrowthStep(int32_t binCount) {
    const int32_t step = binCount / 4;
    return static_cast<uint32_t>(step > 1024 ? 1024 : step);
}

// Null when memory is out or the count is beyond any allocation.
DictionaryEntry** NewBins(int32_t count) {
    const int32_t bytes = ByteCountOf(count, sizeof(DictionaryEntry*));
    if (bytes < 0) return nullptr;
    auto* bins = static_cast<DictionaryEntry**>(AllocateBlock(bytes, 1));
    if (bins) std::memset(bins, 0, static_cast<size_t>(bytes));
    return bins;
}

void Initialise(DictionaryObject* d) {
    d->bins = NewBins(kInitialBins);
    d->binCount = d->bins ? kInitialBins : 0;
    d->items.mGrowthStep = ItemGrowthStep(d->binCount);
    d->binsFixed = 0;
}

// The mutating operations run no compiled code while they hold the flag (hashes, comparisons and
// releases happen outside it), so on the one OS thread it is never found set; should it be, that
// is reported instead of waiting for ever.
bool Lock(DictionaryObject* d) {
    if (d->busy) {
        ReportAssertion(kSource, __LINE__, "!busy", "the Dictionary was entered again while changing");
        return false;
    }
    d->busy = 1;
    return true;
}
void Unlock(DictionaryObject* d) { d->busy = 0; }

// The entry of the key, or null; a comparison that raised leaves the result null.
DictionaryEntry* Find(DictionaryObject* d, ObjectHeader* key, uint32_t hash) {
    if (d->binCount <= 0) return nullptr;
    for (DictionaryEntry* e = d->bins[hash % static_cast<uint32_t>(d->binCount)]; e; e = e->next) {
        if (e->hash != hash) continue;
        const bool equal = VariantEqual(e->key, key);
        if (ExceptionInFlight()) return nullptr;
        if (equal) return e;
    }
    return nullptr;
}

DictionaryEntry* Find(DictionaryObject* d, ObjectHeader* key) {
    const uint32_t hash = static_cast<uint32_t>(VariantHash(key));
    return ExceptionInFlight() ? nullptr : Find(d, key, hash);
}

bool Rehash(DictionaryObject* d, int32_t n) {
    if (n < 1) {
        const int32_t target = static_cast<int32_t>(d->items.mCount) * 4 / 3;
        n = kPrimes[10];
        for (int i = 0; i < 10; ++i)
            if (kPrimes[i] >= target) {
                n = kPrimes[i];
                break;
            }
    }
    if (n == d->binCount) return true;
    if (!Lock(d)) return false;
    DictionaryEntry** bins = NewBins(n);
    if (!bins) {
        Unlock(d);
        return false;
    }
    if (d->bins) FreeBlock(d->bins);
    d->bins = bins;
    d->binCount = n;
    for (uint32_t i = 0; i < d->items.mCount; ++i) {
        DictionaryEntry* e = d->items.mBuf[i];
        DictionaryEntry*& head = bins[e->hash % static_cast<uint32_t>(n)];
        e->next = head;
        head = e;
    }
    d->items.mGrowthStep = ItemGrowthStep(n);
    Unlock(d);
    return true;
}

// Frees every entry and the storage; the entries' keys and values are released afterwards, so
// that what their finalizers do finds the dictionary consistent.
void DisposeAll(DictionaryObject* d, SimpleVector<DictionaryEntry*>& removed) {
    removed.swap(d->items);
    if (d->bins) FreeBlock(d->bins);
    d->bins = nullptr;
    d->binCount = 0;
}

void ReleaseEntries(SimpleVector<DictionaryEntry*>& removed) {
    for (uint32_t i = 0; i < removed.mCount; ++i) {
        DictionaryEntry* e = removed.mBuf[i];
        ReleaseObject(e->key);
        ReleaseObject(e->value);
        delete e;
    }
    removed.set_capacity(0);
}

ObjectHeader* Retained(ObjectHeader* object) {
    RetainObject(object);
    return object;
}

DictionaryEntry* ItemAt(ObjectHeader* self, int32_t index) {
    DictionaryObject* d = Fields(self);
    if (index < 0 || static_cast<uint32_t>(index) >= d->items.mCount) {
        RaiseOutOfBoundsException();
        return nullptr;
    }
    return d->items.mBuf[index];
}

template <bool Keys>
ArrayRecord* Column(ObjectHeader* self) {
    DictionaryObject* d = Fields(self);
    const int32_t count = static_cast<int32_t>(d->items.mCount);
    ArrayRecord* array = CreateArray(1, kArrayObject, count - 1);
    for (int32_t i = 0; i < count; ++i) {
        DictionaryEntry* e = d->items.mBuf[i];
        RuntimeDirectWriteObjectArray(array, i, Keys ? e->key : e->value);
    }
    return array;
}

void RaiseKeyNotFound() { RaiseExceptionDefinition(KeyNotFoundException()); }

// Types naming Variant are filled in when the class is built.
ParameterEntry kKeyParameter[] = {{"key", nullptr, 0, 0, 0, 0}};
ParameterEntry kLookupParameters[] = {{"key", nullptr, 0, 0, 0, 0},
                                      {"defaultValue", nullptr, 0, 0, 0, 0}};
ParameterEntry kIndexParameter[] = {{"index", AsType(&kIntegerType), 0, 0, 0, 0}};
ArrayType kVariantArrayType = {kTypeArray, nullptr, 1};

PropertyEntry kDictionaryProperties[] = {
    {kRowAttr4, "Count", AsType(&kIntegerType), RowFunction(dictionaryCount), "dictionaryCount",
     nullptr, nullptr, 0, 0},
    {kRowAttr4, "BinCount", AsType(&kIntegerType), RowFunction(dictionaryGetBins),
     "dictionaryGetBins", RowFunction(dictionarySetBins), "dictionarySetBins", 0, 0},
};

MethodEntry kDictionaryMethods[] = {
    {"Clear", nullptr, nullptr, 0, Function(dictionaryRemoveAll, "dictionaryRemoveAll"), {},
     kMethodPlain, kRowAttr4, 0},
    {"HasKey", AsType(&kBooleanType), kKeyParameter, 1,
     Function(dictionaryHasKey, "dictionaryHasKey"), {}, kMethodPlain, kRowAttr4, 0},
    {"Key", nullptr, kIndexParameter, 1, Function(dictionaryKey, "dictionaryKey"), {},
     kMethodPlain, kRowAttr4, 0},
    {"Remove", nullptr, kKeyParameter, 1, Function(dictionaryRemove, "dictionaryRemove"), {},
     kMethodPlain, kRowAttr4, 0},
    {"Value", nullptr, kKeyParameter, 1, Function(dictionaryValueGetter, "dictionaryValueGetter"),
     Function(dictionaryValueSetter, "dictionaryValueSetter"), kMethodPlain, kRowAttr4, 0},
    {"Lookup", nullptr, kLookupParameters, 2, Function(DictionaryLookup, "DictionaryLookup"), {},
     kMethodPlain, kRowAttr4, 0},
    {"Values", AsType(&kVariantArrayType), nullptr, 0,
     Function(dictionaryValues, "dictionaryValues"), {}, kMethodPlain, kRowAttr4, 0},
    {"Keys", AsType(&kVariantArrayType), nullptr, 0, Function(dictionaryKeys, "dictionaryKeys"),
     {}, kMethodPlain, kRowAttr4, 0},
};

const ClassRows kDictionaryRows = {
    .className = "Dictionary",
    .superclass = nullptr,
    .objectSize = sizeof(DictionaryObject),
    .initializer = Function(dictionaryConstructor, "dictionaryConstructor"),
    .finalizer = Function(dictionaryDestructor, "dictionaryDestructor"),
    .properties = kDictionaryProperties,
    .methods = kDictionaryMethods,
};

}  // namespace

ObjectDefinition* GetDictionaryDefinition() {
    static ObjectDefinition definition;
    if (definition.className.IsEmpty()) {
        const TypeDescriptor* variant = GetVariantDefinition()->AsType();
        kVariantArrayType.elementType = variant;
        for (ParameterEntry* p : {&kKeyParameter[0], &kLookupParameters[0], &kLookupParameters[1]})
            p->parameterType = variant;
        for (MethodEntry& row : kDictionaryMethods)
            if (!row.returnType && row.function.toc != reinterpret_cast<void*>(dictionaryRemoveAll) &&
                row.function.toc != reinterpret_cast<void*>(dictionaryRemove))
                row.returnType = variant;
        RegisterRelocEntry("dictionaryValueByIndex", dictionaryValueByIndex);
    }
    return FillClassDefinition(definition, kDictionaryRows);
}

extern "C" {

void dictionaryConstructor(ObjectHeader* self) { Initialise(Fields(self)); }

void dictionaryDestructor(ObjectHeader* self) {
    SimpleVector<DictionaryEntry*> removed;
    DisposeAll(Fields(self), removed);
    ReleaseEntries(removed);
}

int32_t dictionaryCount(ObjectHeader* self) { return static_cast<int32_t>(Fields(self)->items.mCount); }
int32_t dictionaryGetBins(ObjectHeader* self) { return Fields(self)->binCount; }

void dictionarySetBins(ObjectHeader* self, int32_t, int32_t count) {
    DictionaryObject* d = Fields(self);
    if (Rehash(d, count))
        d->binsFixed = count > 0;
    else
        RaiseExceptionDefinition(OutOfMemoryException());
}

void dictionaryValueSetter(ObjectHeader* self, ObjectHeader* key, ObjectHeader* value) {
    DictionaryObject* d = Fields(self);
    const uint32_t hash = static_cast<uint32_t>(VariantHash(key));
    if (ExceptionInFlight()) return;
    DictionaryEntry* existing = Find(d, key, hash);
    if (ExceptionInFlight()) return;
    if (existing) {
        ObjectHeader* old = existing->value;
        RetainObject(value);
        existing->value = value;
        ReleaseObject(old);
        return;
    }
    if (d->binCount <= 0 && !Rehash(d, kInitialBins)) {
        RaiseExceptionDefinition(OutOfMemoryException());
        return;
    }
    if (!Lock(d)) return;
    auto* entry = new DictionaryEntry{{}, Retained(key), Retained(value), hash,
                                      static_cast<int32_t>(d->items.mCount), nullptr};
    DictionaryEntry*& head = d->bins[hash % static_cast<uint32_t>(d->binCount)];
    entry->next = head;
    head = entry;
    if (d->items.mCapacity == d->items.mCount) {
        const uint32_t step = d->items.mGrowthStep > 16 ? d->items.mGrowthStep : 16;
        d->items.set_capacity(d->items.mCapacity + step);
    }
    d->items.push_back(entry);
    Unlock(d);
    if (static_cast<int32_t>(d->items.mCount) > d->binCount * 3 / 4 && !d->binsFixed) Rehash(d, 0);
}

ObjectHeader* dictionaryValueGetter(ObjectHeader* self, ObjectHeader* key) {
    DictionaryEntry* e = Find(Fields(self), key);
    if (ExceptionInFlight()) return nullptr;
    if (!e) {
        RaiseKeyNotFound();
        return nullptr;
    }
    return Retained(e->value);
}

ObjectHeader* DictionaryLookup(ObjectHeader* self, ObjectHeader* key, ObjectHeader* defaultValue) {
    DictionaryEntry* e = Find(Fields(self), key);
    if (ExceptionInFlight()) return nullptr;
    return Retained(e ? e->value : defaultValue);
}

bool dictionaryHasKey(ObjectHeader* self, ObjectHeader* key) {
    return Find(Fields(self), key) != nullptr;
}

void dictionaryRemove(ObjectHeader* self, ObjectHeader* key) {
    DictionaryObject* d = Fields(self);
    DictionaryEntry* e = Find(d, key);
    if (ExceptionInFlight()) return;
    if (!e) {
        RaiseKeyNotFound();
        return;
    }
    if (!Lock(d)) return;
    DictionaryEntry** link = &d->bins[e->hash % static_cast<uint32_t>(d->binCount)];
    while (*link && *link != e) link = &(*link)->next;
    if (*link)
        *link = e->next;
    else
        ReportAssertion(kSource, __LINE__, "ok");
    const int32_t lastIndex = static_cast<int32_t>(d->items.mCount) - 1;
    if (e->index < 0 || e->index > lastIndex) {
        ReportAssertion(kSource, __LINE__, "index >= 0 and index <= lastIndex");
    } else {
        if (e->index != lastIndex) {
            DictionaryEntry* last = d->items.mBuf[lastIndex];
            d->items.mBuf[e->index] = last;
            last->index = e->index;
        }
        d->items.remove_at(static_cast<uint32_t>(lastIndex));
    }
    Unlock(d);
    ReleaseObject(e->key);
    ReleaseObject(e->value);
    delete e;
}

void dictionaryRemoveAll(ObjectHeader* self) {
    DictionaryObject* d = Fields(self);
    if (!Lock(d)) return;
    SimpleVector<DictionaryEntry*> removed;
    DisposeAll(d, removed);
    Initialise(d);
    Unlock(d);
    ReleaseEntries(removed);
}

ObjectHeader* dictionaryKey(ObjectHeader* self, int32_t index) {
    DictionaryEntry* e = ItemAt(self, index);
    return e ? Retained(e->key) : nullptr;
}

ObjectHeader* dictionaryValueByIndex(ObjectHeader* self, int32_t index) {
    DictionaryEntry* e = ItemAt(self, index);
    return e ? Retained(e->value) : nullptr;
}

ArrayRecord* dictionaryKeys(ObjectHeader* self) { return Column<true>(self); }
ArrayRecord* dictionaryValues(ObjectHeader* self) { return Column<false>(self); }

ClassRecord* RuntimeLookupDictionaryClass() {
    return LookupObjectDefinition(GetDictionaryDefinition());
}

}  // extern "C"
