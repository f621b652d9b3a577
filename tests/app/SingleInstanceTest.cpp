#include "app/SingleInstance.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using meru::InstancePort;
using MutexState = InstancePort::MutexState;

constexpr int kNever = -1;

// A scripted system: the window shows up at a given look-up, the mutex
// becomes free at a given wait; everything start-up does is recorded.
class FakeInstancePort : public InstancePort {
public:
    struct Sent {
        uintptr_t dataWord;
        uint32_t byteCount;
        std::string bytes;  // byteCount bytes as they were sent
    };

    MutexState mutexState = MutexState::kOwned;
    int windowFromLookUp = kNever;  // 0: at the first look-up
    int mutexFreeFromWait = kNever;  // 0: at the first wait

    int lookUps = 0;
    int waits = 0;
    uint32_t waitedMs = 0;
    bool mutexAcquired = false;
    std::vector<std::string> calls;
    std::vector<Sent> sent;

    MutexState CreateStartupMutex() override {
        calls.push_back("mutex");
        return mutexState;
    }
    bool AcquireStartupMutex(uint32_t milliseconds) override {
        waitedMs += milliseconds;
        const bool free = mutexFreeFromWait != kNever && waits >= mutexFreeFromWait;
        ++waits;
        mutexAcquired = mutexAcquired || free;
        return free;
    }
    bool FindRunningWindow() override {
        const bool found = windowFromLookUp != kNever && lookUps >= windowFromLookUp;
        ++lookUps;
        return found;
    }
    void BringRunningWindowToFront() override { calls.push_back("front"); }
    void SendToRunningWindow(const meru::HandOverMessage& message) override {
        calls.push_back("send");
        sent.push_back({message.dataWord, message.byteCount,
                        std::string(message.data, message.byteCount)});
    }
};

const std::vector<std::string> kTwoArguments = {"C:\\meru\\meru.exe", "-quiet", "D:\\fw\\PK010400.HEX"};

struct Case {
    const char* name;
    MutexState mutex;
    int windowFromLookUp;
    int mutexFreeFromWait;
    bool runWindow;
    bool handsOver;
    int exitCode;
    uint32_t waitedMs;
};

TEST(SingleInstance, DecisionByMutexAndWindow) {
    const Case cases[] = {
        {"first copy", MutexState::kOwned, kNever, kNever, true, false, 0, 0},
        {"running copy with window", MutexState::kHeldElsewhere, 0, kNever, false, true, 0, 0},
        {"window of a copy without the mutex", MutexState::kOwned, 0, kNever, false, true, 0, 0},
        {"no mutex, no window", MutexState::kUnavailable, kNever, kNever, true, false, 0, 0},
        {"no mutex, a window", MutexState::kUnavailable, 0, kNever, false, true, 0, 0},
        {"started together: window after three steps", MutexState::kHeldElsewhere, 3, kNever, false, true, 0, 300},
        {"window at the very last step", MutexState::kHeldElsewhere, 100, kNever, false, true, 0, 10000},
        {"other copy ended during the wait", MutexState::kHeldElsewhere, kNever, 4, true, false, 0, 500},
        {"mutex left by a copy that only handed over", MutexState::kHeldElsewhere, kNever, 0, true, false, 0, 100},
        {"mutex held, never a window", MutexState::kHeldElsewhere, kNever, kNever, false, false, 1, 10000},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        FakeInstancePort port;
        port.mutexState = c.mutex;
        port.windowFromLookUp = c.windowFromLookUp;
        port.mutexFreeFromWait = c.mutexFreeFromWait;

        const meru::StartupDecision decision = meru::DecideStartup(port, kTwoArguments);

        EXPECT_EQ(decision.runWindow, c.runWindow);
        if (!c.runWindow) {
            EXPECT_EQ(decision.exitCode, c.exitCode);
        }
        EXPECT_EQ(port.sent.size(), c.handsOver ? 2u : 0u);
        EXPECT_EQ(port.waitedMs, c.waitedMs);
        EXPECT_EQ(decision.logLine.empty(), c.exitCode == 0);
        ASSERT_FALSE(port.calls.empty());
        EXPECT_EQ(port.calls.front(), "mutex") << "the mutex comes before the first look for a window";
        EXPECT_EQ(port.calls.size() > 1 && port.calls[1] == "front", c.handsOver)
            << "the window is brought to the front before anything is sent";
    }
}

TEST(SingleInstance, HandOverSendsEachArgumentWithCountAndNul) {
    FakeInstancePort port;
    port.mutexState = MutexState::kHeldElsewhere;
    port.windowFromLookUp = 0;
    meru::DecideStartup(port, kTwoArguments);

    ASSERT_EQ(port.sent.size(), 2u);
    EXPECT_EQ(port.sent[0].dataWord, 3u) << "the total count, program path included";
    EXPECT_EQ(port.sent[0].byteCount, 7u);
    EXPECT_EQ(port.sent[0].bytes, std::string("-quiet\0", 7));
    EXPECT_EQ(port.sent[1].dataWord, 3u);
    EXPECT_EQ(port.sent[1].byteCount, 19u);
    EXPECT_EQ(port.sent[1].bytes, std::string("D:\\fw\\PK010400.HEX\0", 19));
}

// A restore handed over would only queue its file in the running window,
// and a quiet caller would read exit code 0 for a card left as it was.
TEST(SingleInstance, ARestoreIsNotHandedOver) {
    for (int windowFromLookUp : {0, 2}) {
        FakeInstancePort port;
        port.mutexState = MutexState::kHeldElsewhere;
        port.windowFromLookUp = windowFromLookUp;
        const meru::StartupDecision decision =
            meru::DecideStartup(port, {"meru.exe", "-quiet", "-restorepda", "c:\\pda-1.pda"});
        EXPECT_FALSE(decision.runWindow);
        EXPECT_EQ(decision.exitCode, 1);
        EXPECT_TRUE(port.sent.empty());
        EXPECT_NE(decision.logLine.find("-restorepda"), std::string::npos);
    }
}

TEST(SingleInstance, HandOverWithoutArgumentsOnlyBringsTheWindowToFront) {
    FakeInstancePort port;
    port.mutexState = MutexState::kHeldElsewhere;
    port.windowFromLookUp = 0;
    const meru::StartupDecision decision = meru::DecideStartup(port, {"meru.exe"});
    EXPECT_FALSE(decision.runWindow);
    EXPECT_EQ(decision.exitCode, 0);
    EXPECT_EQ(port.calls, (std::vector<std::string>{"mutex", "front"}));
}

TEST(SingleInstance, ACopyThatWaitedAndRunsOwnsTheMutex) {
    FakeInstancePort port;
    port.mutexState = MutexState::kHeldElsewhere;
    port.mutexFreeFromWait = 2;
    EXPECT_TRUE(meru::DecideStartup(port, kTwoArguments).runWindow);
    EXPECT_TRUE(port.mutexAcquired);
}

TEST(SingleInstance, HandedOverTextStopsAtNulOrByteCount) {
    struct TextCase {
        const char* name;
        std::vector<char> bytes;
        size_t count;
        std::string expected;
    };
    const TextCase cases[] = {
        {"terminated", {'a', '.', 'h', 'e', 'x', '\0'}, 6, "a.hex"},
        {"no NUL: cut at the count", {'a', '.', 'h', 'e', 'x'}, 5, "a.hex"},
        {"count shorter than the text", {'a', '.', 'h', 'e', 'x', '\0'}, 3, "a.h"},
        {"NUL inside", {'a', '\0', 'b', '\0'}, 4, "a"},
        {"zero bytes", {'x'}, 0, ""},
        {"only a NUL", {'\0'}, 1, ""},
    };
    for (const TextCase& c : cases) {
        SCOPED_TRACE(c.name);
        // An exact-size heap copy, so a read past the count is caught by the sanitizers.
        std::vector<char> buffer(c.bytes.begin(), c.bytes.begin() + static_cast<long>(c.count));
        EXPECT_EQ(meru::HandedOverText(buffer.empty() ? c.bytes.data() : buffer.data(), c.count), c.expected);
    }
    EXPECT_EQ(meru::HandedOverText(nullptr, 12), "");
}

}  // namespace
