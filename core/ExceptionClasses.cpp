// The built-in exception classes: RuntimeException with its Message and ErrorNumber, and eighteen
// subclasses without members of their own. Four of them are recorded, when their definitions are
// first filled, for the runtime's own raises.
#include <array>
#include <cstddef>
#include <utility>

#include "DefinitionConversion.h"
#include "Exceptions.h"
#include "IntrinsicRegistry.h"
#include "core/IntrinsicTypes.h"
#include "core/PropertyAccessors.h"

namespace {

PropertyEntry kRuntimeExceptionProperties[] = {
    {4, "Message", AsType(&kStringType), RowFunction(stringGetter), "stringGetter", RowFunction(stringSetter),
     "stringSetter", offsetof(RuntimeExceptionObject, message), 0},
    {4, "ErrorNumber", AsType(&kIntegerType), RowFunction(intGetter), "intGetter", RowFunction(intSetter),
     "intSetter", offsetof(RuntimeExceptionObject, errorNumber), 0},
};

const ClassRows kRuntimeExceptionRows = {
    .className = "RuntimeException",
    .superclass = nullptr,
    .objectSize = sizeof(RuntimeExceptionObject),
    .finalizer = Function(RuntimeExceptionFinalizer, "RuntimeExceptionFinalizer"),
    .properties = kRuntimeExceptionProperties,
};

template <void (*Record)(ClassRecord*)>
void RecordClass(ObjectDefinition* definition) {
    Record(LookupObjectDefinition(definition));
}

constexpr ClassRows Subclass(const char* name, void (*filled)(ObjectDefinition*) = nullptr) {
    ClassRows rows{.className = name, .superclass = RuntimeException,
                   .objectSize = sizeof(RuntimeExceptionObject)};
    rows.filled = filled;
    return rows;
}

// In registration order, after RuntimeException.
enum Subclasses {
    kNilObject,
    kNoOpenTransport,
    kRegistryAccessError,
    kServiceNotAvailable,
    kIllegalCast,
    kInvalidParent,
    kStackOverflow,
    kTypeMismatch,
    kOutOfBounds,
    kOutOfMemory,
    kKeyNotFound,
    kEnd,
    kUnsupportedFormat,
    kKeyChain,
    kOLE,
    kFunctionNotFound,
    kIllegalLocking,
    kThreadAlreadyRunning,
    kSubclassCount
};

const ClassRows kSubclassRows[kSubclassCount] = {
    Subclass("NilObjectException", RecordClass<SetNilObjectExceptionClass>),
    Subclass("NoOpenTransportException"),
    Subclass("RegistryAccessErrorException"),
    Subclass("ServiceNotAvailableException"),
    Subclass("IllegalCastException", RecordClass<SetIllegalCastExceptionClass>),
    Subclass("InvalidParentException"),
    Subclass("StackOverflowException"),
    Subclass("TypeMismatchException"),
    Subclass("OutOfBoundsException", RecordClass<SetOutOfBoundsExceptionClass>),
    Subclass("OutOfMemoryException"),
    Subclass("KeyNotFoundException"),
    Subclass("EndException"),
    Subclass("UnsupportedFormatException"),
    Subclass("KeyChainException"),
    Subclass("OLEException"),
    Subclass("FunctionNotFoundException", RecordClass<SetFunctionNotFoundExceptionClass>),
    Subclass("IllegalLockingException"),
    Subclass("ThreadAlreadyRunningException"),
};

template <int N>
ObjectDefinition* SubclassDefinition() {
    static ObjectDefinition definition;
    return FillClassDefinition(definition, kSubclassRows[N]);
}

template <int... N>
constexpr auto SubclassDefinitions(std::integer_sequence<int, N...>) {
    return std::array<DefinitionFunction, sizeof...(N)>{SubclassDefinition<N>...};
}

const auto kSubclassDefinitions = SubclassDefinitions(std::make_integer_sequence<int, kSubclassCount>());

}  // namespace

ObjectDefinition* RuntimeException() {
    static ObjectDefinition definition;
    return FillClassDefinition(definition, kRuntimeExceptionRows);
}

ObjectDefinition* NilObjectException() { return SubclassDefinition<kNilObject>(); }
ObjectDefinition* IllegalCastException() { return SubclassDefinition<kIllegalCast>(); }
ObjectDefinition* OutOfBoundsException() { return SubclassDefinition<kOutOfBounds>(); }
ObjectDefinition* FunctionNotFoundException() { return SubclassDefinition<kFunctionNotFound>(); }
ObjectDefinition* InvalidParentException() { return SubclassDefinition<kInvalidParent>(); }
ObjectDefinition* EndException() { return SubclassDefinition<kEnd>(); }
ObjectDefinition* StackOverflowException() { return SubclassDefinition<kStackOverflow>(); }
ObjectDefinition* OutOfMemoryException() { return SubclassDefinition<kOutOfMemory>(); }
ObjectDefinition* RegistryAccessErrorException() {
    return SubclassDefinition<kRegistryAccessError>();
}
ObjectDefinition* IllegalLockingException() { return SubclassDefinition<kIllegalLocking>(); }
ObjectDefinition* ThreadAlreadyRunningException() {
    return SubclassDefinition<kThreadAlreadyRunning>();
}
ObjectDefinition* TypeMismatchException() { return SubclassDefinition<kTypeMismatch>(); }
ObjectDefinition* KeyNotFoundException() { return SubclassDefinition<kKeyNotFound>(); }
ObjectDefinition* UnsupportedFormatException() {
    return SubclassDefinition<kUnsupportedFormat>();
}
ObjectDefinition* ServiceNotAvailableException() {
    return SubclassDefinition<kServiceNotAvailable>();
}

void RegisterExceptionClasses() {
    RegisterIntrinsicClass(RuntimeException());
    for (DefinitionFunction definition : kSubclassDefinitions) RegisterIntrinsicClass(definition());
}
