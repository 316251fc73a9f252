// The exception dispatcher's parts on byte patterns and hand-built frame chains: the marker scan,
// the frame walk and its limits, and the raising operations.
#include <gtest/gtest.h>

#include <windows.h>

#include <cstring>
#include <vector>

#include "FailureRecorder.h"
#include "RaisedExceptions.h"
#include "StringTesting.h"
#include "core/DefinitionConversion.h"
#include "core/Exceptions.h"
#include "core/IntrinsicRegistry.h"

namespace {

using Bytes = std::vector<uint8_t>;

// Marker blocks as compiled code lays them out.
Bytes TryBegin() { return {0xE9, 4, 0, 0, 0, 0x12, 0x04, 0, 0}; }
Bytes TryEnd() { return {0xE9, 4, 0, 0, 0, 0x13, 0x04, 0, 0}; }
Bytes Handler(int16_t slot) {
    return {0xE9, 0x20, 0, 0, 0, 0x11, 0x04, 0, 0, 0, 0, uint8_t(slot & 0xFF), uint8_t(uint16_t(slot) >> 8)};
}
Bytes ShortHandler(int16_t slot) {
    return {0xEB, 0x0D, 0, 0, 0, 0x11, 0x04, 0, 0, 0, 0, uint8_t(slot & 0xFF), uint8_t(uint16_t(slot) >> 8)};
}
const Bytes kLeaveReturn = {0xC9, 0xC3};
const Bytes kPopReturn = {0x5D, 0xC3};
const Bytes kCode = {0x8B, 0x45, 0xF8, 0x50};      // mov eax, [ebp-8]; push eax
const Bytes kOtherJump = {0xE9, 0x10, 0, 0, 0};    // a plain jump: skipped whole
const Bytes kShortJump = {0xEB, 0x11};             // the word after it must not be read as a marker

Bytes Join(std::initializer_list<Bytes> parts) {
    Bytes all;
    for (const Bytes& part : parts) all.insert(all.end(), part.begin(), part.end());
    return all;
}

// Private memory, as compiled code and stacks have.
struct Region {
    explicit Region(size_t size)
        : base(static_cast<uint8_t*>(VirtualAlloc(nullptr, size, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE))),
          size(size) {}
    ~Region() { VirtualFree(base, 0, MEM_RELEASE); }
    uint8_t* Place(size_t offset, const Bytes& bytes) {
        std::memcpy(base + offset, bytes.data(), bytes.size());
        return base + offset;
    }
    uint8_t* base;
    size_t size;
};

ObjectHeader* NewException(ObjectDefinition* definition = nullptr) {
    return CreateInstance(definition ? definition : OutOfBoundsException());
}

}  // namespace

TEST(HandlerMarkerScan, FindsTheHandlerOfTheRightBlock) {
    struct Case {
        const char* what;
        Bytes code;
        int expected;  // offset of the marker found, -1 for none
    } cases[] = {
        {"inside a Try: its own handler", Join({kCode, Handler(-8), kCode, TryEnd(), kLeaveReturn}), 4},
        {"short form", Join({ShortHandler(-8), kLeaveReturn}), 0},
        {"a later Try is skipped as a nested pair",
         Join({kCode, TryBegin(), kCode, Handler(-12), kCode, TryEnd(), Handler(-8), kLeaveReturn}), 43},
        {"inside a catch body: the catch-all", Join({kCode, TryEnd(), Handler(-8), kLeaveReturn}), 13},
        {"epilogue first", Join({kCode, kLeaveReturn, Handler(-8)}), -1},
        {"pop-frame epilogue first", Join({kPopReturn, Handler(-8)}), -1},
        {"a plain jump is skipped whole", Join({kOtherJump, Handler(-8), kLeaveReturn}), 5},
        {"a short jump is skipped", Join({kShortJump, Handler(4), kLeaveReturn}), 2},
        {"no handler at all", Join({kCode, kCode, kLeaveReturn}), -1},
    };
    Region region(4096);
    for (const Case& c : cases) {
        uint8_t* code = region.Place(0, c.code);
        const uint8_t* found = FindHandlerMarker(code);
        EXPECT_EQ(found ? int(found - code) : -1, c.expected) << c.what;
    }
}

TEST(HandlerMarkerScan, StopsAtTheEndOfReadableMemory) {
    Region region(4096);
    // Code without an epilogue running into the end of its region, with a marker's first byte last.
    std::memset(region.base, 0x90, region.size);
    region.base[region.size - 1] = 0xE9;
    EXPECT_EQ(FindHandlerMarker(region.base + region.size - 64), nullptr);

    FailureRecorder recorder;
    EXPECT_EQ(FindHandlerMarker(nullptr), nullptr);
    EXPECT_EQ(recorder.Last().condition, "ptr");
}

TEST(HandlerMarkerScan, OnlyCodeOutsideImagesIsScanned) {
    Region region(4096);
    EXPECT_TRUE(MayHoldMarkers(region.base));
    // The runtime's own code is never scanned, unless a range of it is registered.
    const void* runtimeCode = reinterpret_cast<const void*>(&RuntimeRaiseException);
    EXPECT_FALSE(MayHoldMarkers(runtimeCode));
    RegisterMarkerCodeRange(runtimeCode, static_cast<const char*>(runtimeCode) + 1);
    EXPECT_TRUE(MayHoldMarkers(runtimeCode));
}

// A chain of frames on a hand-built stack: each frame is the saved frame pointer of the caller and
// a return address into the caller's code.
class FrameChain : public testing::Test {
protected:
    void** Frame(size_t offset) { return reinterpret_cast<void**>(stack.base + offset); }
    void Link(size_t offset, size_t nextOffset, const uint8_t* returnAddress) {
        Frame(offset)[0] = nextOffset ? Frame(nextOffset) : nullptr;
        Frame(offset)[1] = const_cast<uint8_t*>(returnAddress);
    }

    Region stack{16384};
    Region code{4096};
    RaisedExceptions raised;
};

TEST_F(FrameChain, HandlerReceivesTheExceptionAndTheReturn) {
    const uint8_t* noHandler = code.Place(0, Join({kCode, kLeaveReturn}));
    const uint8_t* withHandler = code.Place(64, Join({kCode, Handler(-8), kLeaveReturn}));
    Link(0x100, 0x180, noHandler);
    Link(0x180, 0x400, withHandler);
    Link(0x400, 0, nullptr);

    ObjectHeader* exception = NewException();
    EXPECT_TRUE(DeliverException(Frame(0x100), exception));
    // The callee of the function holding the handler returns into the landing, which goes on to
    // the handler's first instruction; the exception sits in the handler's slot with a reference.
    EXPECT_EQ(Frame(0x180)[1], reinterpret_cast<void*>(&ExceptionLanding));
    EXPECT_EQ(Frame(0x100)[1], noHandler);
    EXPECT_EQ(PendingLandingTarget(), withHandler + kCode.size() + kHandlerMarkerSize);
    EXPECT_TRUE(ExceptionInFlight());
    EXPECT_EQ(*reinterpret_cast<ObjectHeader**>(stack.base + 0x400 - 8), exception);
    EXPECT_EQ(exception->refCount, 2);
    EXPECT_TRUE(raised.Names().empty());

    // A second raise meeting the pending landing still scans the code it stands for.
    ObjectHeader* second = NewException();
    EXPECT_TRUE(DeliverException(Frame(0x180), second));
    EXPECT_EQ(*reinterpret_cast<ObjectHeader**>(stack.base + 0x400 - 8), second);
    RuntimeUnlockObject(second);
    RuntimeUnlockObject(second);
    RuntimeUnlockObject(exception);
    RuntimeUnlockObject(exception);
}

TEST_F(FrameChain, SlotZeroStoresNothing) {
    const uint8_t* withHandler = code.Place(0, Join({Handler(0), kLeaveReturn}));
    Link(0x100, 0x200, withHandler);
    Link(0x200, 0, nullptr);
    ObjectHeader* exception = NewException();
    EXPECT_TRUE(DeliverException(Frame(0x100), exception));
    EXPECT_EQ(exception->refCount, 1);
    EXPECT_EQ(Frame(0x100)[1], reinterpret_cast<void*>(&ExceptionLanding));
    RuntimeUnlockObject(exception);
}

TEST_F(FrameChain, BrokenChainsEndAsUnhandled) {
    const uint8_t* withHandler = code.Place(0, Join({Handler(-8), kLeaveReturn}));
    struct Case {
        const char* what;
        size_t first, next;
    } cases[] = {
        {"more than 4096 bytes up", 0x100, 0x100 + 4096 + 16},
        {"downwards", 0x800, 0x100},
        {"linked to itself", 0x300, 0x300},
    };
    for (const Case& c : cases) {
        // The frame's own return leads to a handler, but its link is checked first.
        Link(c.next, 0, nullptr);
        Frame(c.first)[0] = Frame(c.next);
        Frame(c.first)[1] = const_cast<uint8_t*>(withHandler);
        ObjectHeader* exception = NewException();
        EXPECT_FALSE(DeliverException(Frame(c.first), exception)) << c.what;
        EXPECT_EQ(raised.Take(), "OutOfBoundsException") << c.what;
        EXPECT_EQ(exception->refCount, 1) << c.what;
        RuntimeUnlockObject(exception);
    }
}

TEST_F(FrameChain, UnreadableReturnAddressesAreSkipped) {
    const uint8_t* withHandler = code.Place(0, Join({Handler(-8), kLeaveReturn}));
    Link(0x100, 0x200, reinterpret_cast<const uint8_t*>(0x10));
    Link(0x200, 0x300, withHandler);
    Link(0x300, 0, nullptr);
    ObjectHeader* exception = NewException();
    EXPECT_TRUE(DeliverException(Frame(0x100), exception));
    EXPECT_EQ(Frame(0x200)[1], reinterpret_cast<void*>(&ExceptionLanding));
    RuntimeUnlockObject(exception);
    RuntimeUnlockObject(exception);
}

TEST(RaisingOperations, WithoutAHandlerTheHookDecides) {
    RaisedExceptions raised;
    RaiseNilObjectException();
    RaiseIllegalCastException();
    RaiseOutOfBoundsException();
    EXPECT_EQ(raised.Names(), (std::vector<std::string>{"NilObjectException", "IllegalCastException",
                                                        "OutOfBoundsException"}));
    EXPECT_FALSE(ExceptionInFlight());
    RuntimeRaiseException(nullptr);
    RuntimeReraiseException(nullptr);
    EXPECT_EQ(raised.Names().size(), 3u);
}

TEST(RaisingOperations, MessagesAndNumbers) {
    struct Seen {
        std::string className, message;
        int32_t number;
    };
    static std::vector<Seen> seen;
    SetUnhandledExceptionHook([](ObjectHeader* e) {
        auto* fields = reinterpret_cast<RuntimeExceptionObject*>(e);
        seen.push_back({std::string(BytesOf(string(e->classPtr->name))),
                        std::string(BytesOf(string(fields->message))), fields->errorNumber});
        return false;
    });
    FunctionNotFoundException();
    RuntimeRaiseFunctionNotFoundException(string("Beep").Record(), string("user32").Record());
    RaiseExceptionWithMessage(EndException(), string("done"), 42);
    SetUnhandledExceptionHook(nullptr);
    ASSERT_EQ(seen.size(), 2u);
    EXPECT_EQ(seen[0].className, "FunctionNotFoundException");
    EXPECT_EQ(seen[0].message, "Could not load Beep from user32");
    EXPECT_EQ(seen[1].className, "EndException");
    EXPECT_EQ(seen[1].message, "done");
    EXPECT_EQ(seen[1].number, 42);
}

TEST(RaiseBeforeClasses, IsReportedOnceAndDoesNotRecurse) {
    // Nothing has recorded the exception classes in this process yet.
    FailureRecorder recorder;
    RaiseNilObjectException();
    ASSERT_EQ(recorder.Count(), 1u);
    EXPECT_EQ(recorder.Last().condition, "exclass");
    EXPECT_EQ(recorder.Last().file, "RuntimeExceptionFoundation");

    // With its class but no hook: the failed assertion "0".
    NilObjectException();
    RaiseNilObjectException();
    ASSERT_EQ(recorder.Count(), 2u);
    EXPECT_EQ(recorder.Last().condition, "0");
    EXPECT_EQ(RuntimeUnhandledException(nullptr), false);
}

TEST(ExceptionClasses, NineteenInTheirOrder) {
    RegisterExceptionClasses();
    const char* names[] = {"RuntimeException", "NilObjectException", "NoOpenTransportException",
                           "RegistryAccessErrorException", "ServiceNotAvailableException",
                           "IllegalCastException", "InvalidParentException", "StackOverflowException",
                           "TypeMismatchException", "OutOfBoundsException", "OutOfMemoryException",
                           "KeyNotFoundException", "EndException", "UnsupportedFormatException",
                           "KeyChainException", "OLEException", "FunctionNotFoundException",
                           "IllegalLockingException", "ThreadAlreadyRunningException"};
    ClassRecord* root = LookupObjectDefinition(RuntimeException());
    for (const char* name : names) {
        ObjectDefinition* definition = FindIntrinsicClass(string(name));
        ASSERT_NE(definition, nullptr) << name;
        ClassRecord* record = LookupObjectDefinition(definition);
        EXPECT_EQ(record->instanceSize, int32_t(sizeof(RuntimeExceptionObject))) << name;
        EXPECT_EQ(record->super, record == root ? nullptr : root) << name;
    }
    ASSERT_EQ(root->propertyCount, 2);
    EXPECT_EQ(std::string(BytesOf(string(root->properties[0].descriptor))), "Message%s%");
    EXPECT_EQ(root->properties[0].parameter, int32_t(offsetof(RuntimeExceptionObject, message)));
    EXPECT_EQ(std::string(BytesOf(string(root->properties[1].descriptor))), "ErrorNumber%i4%");

    // The finalizer releases the message.
    ObjectHeader* e = CreateInstance(EndException());
    string message("bye");
    reinterpret_cast<RuntimeExceptionObject*>(e)->message = message.Retain();
    EXPECT_EQ(message.Record()->refCount, 2);
    RuntimeUnlockObject(e);
    EXPECT_EQ(message.Record()->refCount, 1);
}
