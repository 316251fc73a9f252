#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "comms/SocketClasses.h"
#include "comms/SocketCore.h"
#include "core/ClassDefinition.h"
#include "core/DefinitionConversion.h"

namespace {

std::vector<std::string> sLog;

std::string Joined() {
    std::string text;
    for (const std::string& entry : sLog) text += (text.empty() ? "" : " ") + entry;
    return text;
}

bool LoggingPump() {
    sLog.push_back("M");
    return false;
}

// A core that logs its polls and may act while it is polled, as an event handler would.
struct FakeCore : SocketImp {
    FakeCore(int32_t number, ObjectHeader* ownerObject) : SocketImp(ownerObject), id(number) {}
    void Poll() override {
        sLog.push_back("P" + std::to_string(id));
        if (action) {
            auto run = action;
            run(this);
        }
    }
    bool IsSending() override { return sending; }
    int32_t id;
    bool sending = false;
    std::function<void(FakeCore*)> action;
};

class SocketPoll : public testing::Test {
public:
    void SetUp() override {
        sLog.clear();
        SetSocketMessagePump(LoggingPump);
        ASSERT_EQ(StartNetworking(), 0);
    }
    void TearDown() override {
        for (FakeCore* core : cores) delete core;
        EXPECT_EQ(ActiveSocketCount(), 0);
        SetSocketMessagePump(nullptr);
        ReleaseObject(plainOwner);
    }
    // count registered cores; with owned set each belongs to a plain language object.
    void Open(int32_t count, bool owned = false) {
        if (owned && !plainOwner) plainOwner = CreateInstance(Object());
        for (int32_t i = 0; i < count; ++i) {
            FakeCore* core =
                new FakeCore(static_cast<int32_t>(cores.size()), owned ? plainOwner : nullptr);
            core->Listen(0);
            cores.push_back(core);
        }
    }
    // Deleting a core unregisters it; the fixture forgets it.
    void Destroy(FakeCore* core) {
        std::erase(cores, core);
        delete core;
    }
    std::vector<FakeCore*> cores;
    ObjectHeader* plainOwner = nullptr;
};

std::string Polls(int32_t from, int32_t to, const std::vector<int32_t>& pumpsAfter = {}) {
    std::string text;
    for (int32_t i = from; i >= to; --i) {
        text += (text.empty() ? "P" : " P") + std::to_string(i);
        for (int32_t pump : pumpsAfter)
            if (pump == i) text += " M";
    }
    return text;
}

TEST(SocketPollBeforeStart, PollsNothingAndReportsNoActivity) {
    EXPECT_FALSE(NetworkingStarted());
    EXPECT_FALSE(PollAllSockets(false));
    EXPECT_EQ(ActiveSocketCount(), 0);
}

TEST_F(SocketPoll, WindowMessagesAreTakenEveryThirteenCoresFromTwentyFiveOn) {
    Open(24);
    PollAllSockets(false);
    EXPECT_EQ(Joined(), Polls(23, 0));
    sLog.clear();
    Open(3);
    PollAllSockets(false);
    EXPECT_EQ(Joined(), Polls(26, 0, {26, 13, 0}));
}

TEST_F(SocketPoll, OnlyUnownedSkipsApplicationSocketsWithoutPumping) {
    Open(27, true);
    PollAllSockets(true);
    EXPECT_EQ(Joined(), "");
    Open(1);
    PollAllSockets(true);
    EXPECT_EQ(Joined(), "P27");
}

TEST_F(SocketPoll, HandlersThatCloseOrPollAgainKeepTheWalkOnLiveEntries) {
    struct Case {
        const char* name;
        std::function<void(SocketPoll&)> arrange;
        std::string polls;
    };
    const std::vector<Case> cases = {
        {"closes itself",
         [](SocketPoll& t) { t.cores[2]->action = [](FakeCore* c) { c->Close(false); }; },
         "P4 P3 P2 P1 P0"},
        // The entries above the removed one move down: core 3 is met again at index 2.
        {"closes a lower core",
         [](SocketPoll& t) {
             FakeCore* lower = t.cores[1];
             t.cores[3]->action = [lower](FakeCore* c) {
                 lower->Close(false);
                 c->action = nullptr;
             };
         },
         "P4 P3 P3 P2 P0"},
        {"destroys itself",
         [](SocketPoll& t) {
             FakeCore* doomed = t.cores[2];
             doomed->action = [&t, doomed](FakeCore*) { t.Destroy(doomed); };
         },
         "P4 P3 P2 P1 P0"},
        {"destroys the core above it",
         [](SocketPoll& t) {
             FakeCore* above = t.cores[4];
             t.cores[3]->action = [&t, above](FakeCore* c) {
                 t.Destroy(above);
                 c->action = nullptr;
             };
         },
         "P4 P3 P2 P1 P0"},
        {"polls again",
         [](SocketPoll& t) {
             t.cores[3]->action = [](FakeCore* c) {
                 c->action = nullptr;
                 PollAllSockets(false);
             };
         },
         "P4 P3 P4 P3 P2 P1 P0 P2 P1 P0"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        sLog.clear();
        Open(5);
        c.arrange(*this);
        PollAllSockets(false);
        EXPECT_EQ(Joined(), c.polls);
        for (FakeCore* core : cores) delete core;
        cores.clear();
    }
}

TEST_F(SocketPoll, ActivityIsAskedOfTheEntryThatIsThereAfterThePoll) {
    Open(3);
    EXPECT_FALSE(PollAllSockets(false));
    cores[1]->sending = true;
    EXPECT_TRUE(PollAllSockets(false));
    // A sending core that destroys itself no longer counts.
    FakeCore* doomed = cores[1];
    doomed->action = [this, doomed](FakeCore*) { Destroy(doomed); };
    EXPECT_FALSE(PollAllSockets(false));
}

TEST_F(SocketPoll, DebuggerLookupsCountOnlyOwnedCoresInListOrder) {
    Open(1);
    Open(2, true);
    EXPECT_EQ(DebuggerSocketCount(), 2);
    const int32_t before = plainOwner->refCount;
    ObjectHeader* found = DebuggerSocketLookup(0, 1);
    EXPECT_EQ(found, plainOwner);
    EXPECT_EQ(plainOwner->refCount, before + 1);
    ReleaseObject(found);
    EXPECT_EQ(DebuggerSocketLookup(0, 2), nullptr);
}

TEST(SocketEventWord, IsClearedByReadingIt) {
    ObjectHeader* socket = CreateInstance(TCPSocket());
    SocketCoreOf(socket)->eventWord = kSocketEventConnected | kSocketEventDataAvailable;
    EXPECT_EQ(socketGetEvents(socket), 0x05u);
    EXPECT_EQ(socketGetEvents(socket), 0u);
    EXPECT_EQ(socketGetEvents(nullptr), 0u);
    ReleaseObject(socket);
}

TEST(SocketAddresses, AreFormattedFromTheirNetworkOrderBytes) {
    EXPECT_STREQ(FormatDottedAddress(0x0100007F).CString(), "127.0.0.1");
    EXPECT_STREQ(FormatDottedAddress(0xFFFFFFFF).CString(), "255.255.255.255");
    EXPECT_STREQ(FormatDottedAddress(0x0202000A).CString(), "10.0.2.2");
}

TEST(NetworkPollTimer, RunsAtFiveTicksWhileItHasUsersAndIsParkedWithout) {
    struct Step {
        bool acquire;
        int32_t period;
    };
    const Step steps[] = {{true, 5},  {true, 5},           {true, 5}, {false, 5},
                          {false, 5}, {false, 0x7fffffff}, {true, 5}, {false, 0x7fffffff}};
    EXPECT_EQ(NetworkPollTimerPeriod(), 0);
    int i = 0;
    for (const Step& step : steps) {
        SCOPED_TRACE(i++);
        if (step.acquire)
            AcquireNetworkPollTimer();
        else
            ReleaseNetworkPollTimer();
        EXPECT_EQ(NetworkPollTimerPeriod(), step.period);
    }
}

}  // namespace
