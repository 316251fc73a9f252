#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "controls/BindingInterfaces.h"
#include "controls/ControlClasses.h"
#include "controls/DataBinders.h"
#include "controls/NotificationReceiverList.h"
#include "core/DefinitionConversion.h"
#include "core/IntrinsicTypes.h"

namespace {

std::vector<std::string> sCalls;

// A source that notifies data receivers and offers a Boolean, a text and its availability, as a
// compiled data class would.
struct SourceRecord {
    ObjectHeader header;
    NotificationReceiverList receivers;
    int32_t value;      // getBoolean
    int32_t available;  // dataAvailable
    const char* text;   // getString
    const char* name;
};
SourceRecord* S(ObjectHeader* o) { return reinterpret_cast<SourceRecord*>(o); }

extern "C" {
void SourceAdd(ObjectHeader* o, ObjectHeader* receiver) {
    sCalls.push_back(std::string(S(o)->name) + " add");
    S(o)->receivers.Add(receiver);
}
void SourceRemove(ObjectHeader* o, ObjectHeader* receiver) {
    sCalls.push_back(std::string(S(o)->name) + " remove");
    S(o)->receivers.Remove(receiver);
}
bool SourceGetBoolean(ObjectHeader* o) { return S(o)->value != 0; }
void SourceSetBoolean(ObjectHeader* o, bool value) { S(o)->value = value; }
StringRecord* SourceGetString(ObjectHeader* o) {
    return S(o)->text ? string(S(o)->text).Detach() : nullptr;
}
bool SourceDataAvailable(ObjectHeader* o) { return S(o)->available != 0; }
void SourceFinalizer(ObjectHeader* o) { S(o)->receivers.RemoveAll(); }

// A receiver of data changes and actions that logs its name.
void ReceiverDataChanged(ObjectHeader* o) {
    sCalls.push_back(std::string(StringRecord::CString(o->classPtr->name)) + " dataChanged");
}
void ReceiverPerformAction(ObjectHeader* o) {
    sCalls.push_back(std::string(StringRecord::CString(o->classPtr->name)) + " PerformAction");
}
// A StringInterface dest.
void DestSetString(ObjectHeader*, StringRecord* text) {
    sCalls.push_back("setString " + std::string(text ? StringRecord::CString(text) : "<nil>"));
}
}

ParameterEntry kReceiverParameter[] = {{"receiver", nullptr, 0, 0, 0, 0}};
ParameterEntry kValueParameter[] = {{"value", AsType(&kBooleanType), 0, 0, 0, 0}};

#define METHOD(name, result, parameters, count, function) \
    {name, result, parameters, count, Function(function, #function), {}, kMethodPlain, 0, 0}
MethodEntry kBooleanSourceMethods[] = {
    METHOD("addDataNotificationReceiver", nullptr, kReceiverParameter, 1, SourceAdd),
    METHOD("removeDataNotificationReceiver", nullptr, kReceiverParameter, 1, SourceRemove),
    METHOD("getBoolean", AsType(&kBooleanType), nullptr, 0, SourceGetBoolean),
    METHOD("setBoolean", nullptr, kValueParameter, 1, SourceSetBoolean),
};
MethodEntry kTextSourceMethods[] = {
    METHOD("addDataNotificationReceiver", nullptr, kReceiverParameter, 1, SourceAdd),
    METHOD("removeDataNotificationReceiver", nullptr, kReceiverParameter, 1, SourceRemove),
    METHOD("getString", AsType(&kStringType), nullptr, 0, SourceGetString),
    METHOD("dataAvailable", AsType(&kBooleanType), nullptr, 0, SourceDataAvailable),
};
MethodEntry kReceiverMethods[] = {
    METHOD("DATACHANGED", nullptr, nullptr, 0, ReceiverDataChanged),
    METHOD("PerformAction", nullptr, nullptr, 0, ReceiverPerformAction),
};
MethodEntry kDestMethods[] = {METHOD("setString", nullptr, nullptr, 0, DestSetString)};
#undef METHOD

const DefinitionFunction kBooleanSourceInterfaces[] = {DataNotifierInterface,
                                                       BooleanProviderInterface};
const DefinitionFunction kTextSourceInterfaces[] = {DataNotifierInterface, StringProviderInterface,
                                                    DataAvailableProviderInterface};
const DefinitionFunction kReceiverInterfaces[] = {DataNotificationReceiverInterface,
                                                  ActionNotificationReceiverInterface};
const DefinitionFunction kDestInterfaces[] = {StringInterfaceInterface};

ClassRecord* Build(ObjectDefinition& definition, const ClassRows& rows) {
    if (definition.className.IsEmpty())
        kReceiverParameter[0].parameterType = DataNotificationReceiverInterface()->AsType();
    return LookupObjectDefinition(FillClassDefinition(definition, rows));
}

#define CLASS(function, label, size, finalRow, methodRows, interfaceRows)                       \
    ClassRecord* function() {                                                                   \
        static ObjectDefinition definition;                                                     \
        static const ClassRows rows = {.className = label, .superclass = nullptr,               \
                                       .objectSize = size, .finalizer = finalRow,               \
                                       .methods = methodRows, .interfaces = interfaceRows};     \
        return Build(definition, rows);                                                         \
    }
CLASS(BooleanSource, "BooleanSource", sizeof(SourceRecord),
      Function(SourceFinalizer, "SourceFinalizer"), kBooleanSourceMethods, kBooleanSourceInterfaces)
CLASS(TextSource, "TextSource", sizeof(SourceRecord), Function(SourceFinalizer, "SourceFinalizer"),
      kTextSourceMethods, kTextSourceInterfaces)
CLASS(ReceiverA, "A", kObjectHeaderSize, {}, kReceiverMethods, kReceiverInterfaces)
CLASS(ReceiverB, "B", kObjectHeaderSize, {}, kReceiverMethods, kReceiverInterfaces)
CLASS(StringDest, "StringDest", kObjectHeaderSize, {}, kDestMethods, kDestInterfaces)
#undef CLASS

ObjectHeader* NewSource(ClassRecord* record, const char* name, int32_t value) {
    ObjectHeader* o = RuntimeNewObject(record);
    S(o)->name = name;
    S(o)->value = value;
    S(o)->available = 1;
    return o;
}

ObjectHeader* NewControl() { return RuntimeNewObject(LookupObjectDefinition(Control())); }
bool Enabled(ObjectHeader* control) { return ControlFields(control)->enabled != 0; }

class DataBinding : public testing::Test {
protected:
    void SetUp() override { sCalls.clear(); }
};

TEST_F(DataBinding, ReceiversHearNewestFirstAndTheRightMethod) {
    ObjectHeader* a = RuntimeNewObject(ReceiverA());
    ObjectHeader* b = RuntimeNewObject(ReceiverB());
    ObjectHeader* plain = NewControl();  // implements no receiver interface: skipped
    NotificationReceiverList list{};
    list.Add(a);
    list.Add(plain);
    list.Add(b);
    list.SendDataChanged();
    list.SendPerformAction();
    EXPECT_EQ(sCalls, (std::vector<std::string>{"B dataChanged", "A dataChanged",
                                                "B PerformAction", "A PerformAction"}));
    list.RemoveAll();
    for (ObjectHeader* o : {a, b, plain}) {
        EXPECT_EQ(o->refCount, 1);
        RuntimeUnlockObject(o);
    }
}

TEST_F(DataBinding, ImplementsAndFindsMethodsWhateverTheCase) {
    ObjectHeader* a = RuntimeNewObject(ReceiverA());
    EXPECT_TRUE(ObjectImplementsInterface(a, DataNotificationReceiverInterface()));
    EXPECT_FALSE(ObjectImplementsInterface(a, DataNotifierInterface()));
    EXPECT_FALSE(ObjectImplementsInterface(nullptr, DataNotifierInterface()));
    for (const char* name : {"dataChanged", "DataChanged", "DATACHANGED", "datachanged"})
        EXPECT_EQ(FindInterfaceMethod(a, DataNotificationReceiverInterface(), name),
                  reinterpret_cast<void*>(ReceiverDataChanged))
            << name;
    EXPECT_EQ(FindInterfaceMethod(a, DataNotificationReceiverInterface(), "data"), nullptr);
    RuntimeUnlockObject(a);
}

// Rebinding leaves the old source before joining the new one; the dest follows the Boolean, and
// a source that provides none disables it.
TEST_F(DataBinding, EnablingBinderFollowsItsSourceAcrossRebinding) {
    ObjectHeader* on = NewSource(BooleanSource(), "on", 1);
    ObjectHeader* off = NewSource(BooleanSource(), "off", 0);
    ObjectHeader* control = NewControl();
    ObjectHeader* binder = RuntimeNewObject(LookupObjectDefinition(EnablingBinder()));
    controlEnabledSetter(control, 0, false);

    enablingBinderBind(binder, on, control);
    EXPECT_TRUE(Enabled(control));
    enablingBinderBind(binder, off, control);
    EXPECT_FALSE(Enabled(control));
    EXPECT_EQ(sCalls, (std::vector<std::string>{"on add", "on remove", "off add"}));
    EXPECT_EQ(S(on)->receivers.head, nullptr);

    // The source changes and tells its receivers.
    S(off)->value = 1;
    S(off)->receivers.SendDataChanged();
    EXPECT_TRUE(Enabled(control));

    ObjectHeader* stranger = RuntimeNewObject(ReceiverA());
    enablingBinderBind(binder, stranger, control);
    EXPECT_FALSE(Enabled(control));
    EXPECT_EQ(S(off)->receivers.head, nullptr);

    RuntimeUnlockObject(binder);
    for (ObjectHeader* o : {on, off, stranger}) RuntimeUnlockObject(o);
    EXPECT_EQ(control->refCount, 1);  // the binder let its dest go
    RuntimeUnlockObject(control);
}

// The binder holds its dest; a source that dies drops the binder from its list, and the binder
// forgets it, so that rebinding asks nothing of it.
TEST_F(DataBinding, BinderOutlivesReleasedDestAndDeadSource) {
    ObjectHeader* source = NewSource(BooleanSource(), "gone", 1);
    ObjectHeader* control = NewControl();
    ObjectHeader* binder = RuntimeNewObject(LookupObjectDefinition(EnablingBinder()));
    enablingBinderBind(binder, source, control);
    RuntimeUnlockObject(control);  // only the binder holds it now
    ASSERT_EQ(control->refCount, 1);
    S(source)->value = 0;
    S(source)->receivers.SendDataChanged();
    EXPECT_FALSE(Enabled(control));

    RuntimeUnlockObject(source);
    EXPECT_EQ(reinterpret_cast<BinderRecord*>(binder)->source, nullptr);
    sCalls.clear();
    ObjectHeader* next = NewSource(BooleanSource(), "next", 1);
    ObjectHeader* other = NewControl();
    enablingBinderBind(binder, next, other);
    EXPECT_EQ(sCalls, std::vector<std::string>{"next add"});
    EXPECT_TRUE(Enabled(other));
    S(next)->receivers.RemoveAll();
    RuntimeUnlockObject(binder);
    RuntimeUnlockObject(next);
    RuntimeUnlockObject(other);
}

TEST_F(DataBinding, StringBinderSetsTextAndAvailability) {
    struct Case {
        const char* text;
        int32_t available;
        bool providesAvailability;
        const char* expected;
        bool enabled;
    };
    const Case cases[] = {
        {"abc", 1, true, "setString abc", true},
        {"abc", 0, true, "setString abc", false},
        {nullptr, 0, true, "setString <nil>", false},
        // No StringProvider nor dataAvailable: nil text, available.
        {"x", 0, false, "setString <nil>", true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.expected);
        sCalls.clear();
        ObjectHeader* source = c.providesAvailability ? NewSource(TextSource(), "t", 0)
                                                      : NewSource(BooleanSource(), "t", 0);
        S(source)->text = c.text;
        S(source)->available = c.available;
        ObjectHeader* dest = RuntimeNewObject(StringDest());
        ObjectHeader* binder = RuntimeNewObject(LookupObjectDefinition(StringBinder()));
        stringBinderBind(binder, source, dest);
        EXPECT_EQ(sCalls, (std::vector<std::string>{"t add", c.expected}));
        // Bound to a control instead: its Enabled follows the availability.
        ObjectHeader* control = NewControl();
        stringBinderBind(binder, source, control);
        EXPECT_EQ(Enabled(control), c.enabled);
        S(source)->receivers.RemoveAll();
        for (ObjectHeader* o : {binder, source, dest, control}) RuntimeUnlockObject(o);
    }
}

TEST_F(DataBinding, ActionBinderAddsTheDestToTheSourcesReceivers) {
    ObjectHeader* timerLike = NewSource(BooleanSource(), "s", 0);  // no actionSource
    ObjectHeader* a = RuntimeNewObject(ReceiverA());
    ObjectHeader* binder = RuntimeNewObject(LookupObjectDefinition(ActionBinder()));
    actionBinderBind(binder, timerLike, a);
    EXPECT_TRUE(sCalls.empty());
    EXPECT_EQ(a->refCount, 1);
    for (ObjectHeader* o : {binder, timerLike, a}) RuntimeUnlockObject(o);
}

}  // namespace
