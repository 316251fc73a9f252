#include "RuntimeDebug.h"

#include "DefinitionConversion.h"
#include "FailureReport.h"
#include "SmallBlockAllocator.h"
#include "core/IntrinsicTypes.h"

namespace {

constexpr const char* kSource = "RuntimeDebug";
constexpr uint32_t kObjectIDMask = 0x15C7A3;

ObjectHeader* sInstance = nullptr;

// Where the last walk of the live-object list ended. Sequential walks up or down cost one step;
// the cursor is trusted only while the list has not changed since, so it never steps from an
// object that has been freed.
struct Cursor {
    int32_t index = -1;
    ObjectHeader* object = nullptr;
    uint32_t generation = 0;
} sCursor;

ObjectHeader* CountFromHead(ObjectHeader* self, int32_t index) {
    ObjectHeader* object = FirstLiveObject();
    if (object == self) object = object->nextLive;
    for (int32_t i = 0; i < index && object; ++i) {
        object = object->nextLive;
        if (object == self) object = object->nextLive;
    }
    return object;
}

ObjectHeader* LiveObjectAt(ObjectHeader* self, int32_t index) {
    if (index < 0) return nullptr;
    ObjectHeader* found;
    const bool current = sCursor.generation == LiveListGeneration() && sCursor.index >= 0;
    if (current && index == sCursor.index) {
        found = sCursor.object;
    } else if (current && sCursor.object && index == sCursor.index + 1) {
        found = sCursor.object->nextLive;
        if (found == self) found = found->nextLive;
    } else if (current && sCursor.object && index == sCursor.index - 1) {
        found = sCursor.object->prevLive;
        if (found == self) found = found->prevLive;
    } else {
        found = CountFromHead(self, index);
    }
    sCursor = {index, found, LiveListGeneration()};
    return found;
}

ParameterEntry kIndexParameter[] = {
    {"Index", AsType(&kIntegerType), 0, 0, 0, 0},
};

PropertyEntry kRuntimeProperties[] = {
    {0, "ObjectCount", AsType(&kIntegerType), RowFunction(RuntimeDebugObjectCount),
     "RuntimeDebugObjectCount", nullptr, nullptr, 0, 0},
    {0, "MemoryUsed", AsType(&kIntegerType), RowFunction(RuntimeDebugMemoryUsed), "RuntimeDebugMemoryUsed",
     nullptr, nullptr, 0, 0},
};

MethodEntry kRuntimeMethods[] = {
    {"ObjectID", AsType(&kIntegerType), kIndexParameter, 1,
     Function(RuntimeDebugObjectID, "RuntimeDebugObjectID"), {}, kMethodPlain, 0, 0},
    {"ObjectClass", AsType(&kStringType), kIndexParameter, 1,
     Function(RuntimeDebugObjectClass, "RuntimeDebugObjectClass"), {}, kMethodPlain, 0, 0},
    {"ObjectRefs", AsType(&kIntegerType), kIndexParameter, 1,
     Function(RuntimeDebugObjectRefs, "RuntimeDebugObjectRefs"), {}, kMethodPlain, 0, 0},
};

const ClassRows kRuntimeRows = {
    .className = "Runtime",
    .superclass = nullptr,
    .objectSize = 28,
    .initializer = {},
    .finalizer = Function(RuntimeDebugDestructor, "RuntimeDebugDestructor"),
    .properties = kRuntimeProperties,
    .methods = kRuntimeMethods,
};

}  // namespace

ObjectDefinition* Runtime() {
    static ObjectDefinition definition;
    return FillClassDefinition(definition, kRuntimeRows);
}

extern "C" {

ObjectHeader* RuntimeDebugInstance() {
    // The cache keeps the first reference for the rest of the run.
    if (!sInstance) sInstance = CreateInstance(Runtime());
    RetainObject(sInstance);
    return sInstance;
}

int32_t RuntimeDebugObjectCount(ObjectHeader*) { return LiveObjectCount() - 1; }

int32_t RuntimeDebugMemoryUsed(ObjectHeader*) { return SmallBlockBytesInUse(); }

int32_t RuntimeDebugObjectID(ObjectHeader* self, int32_t index) {
    ObjectHeader* object = LiveObjectAt(self, index);
    if (!object) return 0;
    return static_cast<int32_t>(static_cast<uint32_t>(reinterpret_cast<uintptr_t>(object)) ^
                                kObjectIDMask);
}

StringRecord* RuntimeDebugObjectClass(ObjectHeader* self, int32_t index) {
    ObjectHeader* object = LiveObjectAt(self, index);
    if (!object) return nullptr;
    const ClassRecord* defn = object->classPtr;
    if (!defn) {
        ReportAssertion(kSource, __LINE__, "defn");
        return nullptr;
    }
    if (!defn->name) ReportAssertion(kSource, __LINE__, "defn->name");
    return string(defn->name).Detach();
}

int32_t RuntimeDebugObjectRefs(ObjectHeader* self, int32_t index) {
    ObjectHeader* object = LiveObjectAt(self, index);
    return object ? object->refCount : 0;
}

void RuntimeDebugDestructor(ObjectHeader* self) {
    if (self == sInstance) sInstance = nullptr;
}

}  // extern "C"
