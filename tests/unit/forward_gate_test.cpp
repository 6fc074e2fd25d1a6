// The first instance's gate for forwarded launches (and the monitor it
// waits on): calls wait for the gate to open, a close waits for the calls
// in progress, and nothing passes a closed gate. The waiting is watched
// through the gate's counts, never guessed from a pause.
#include <gtest/gtest.h>

#include <atomic>
#include <thread>
#include <vector>

#include "instance/forward_gate.h"

namespace {

const jlaunch::AnswerFunction kNoAnswer = [](std::int32_t) {};

// Until `done` holds; the suite's time limit ends a wait that never does.
template <typename Done>
void waitFor(Done done) {
    while (!done()) {
        std::this_thread::yield();
    }
}

TEST(ForwardGate, CallsWaitForTheOpeningAndACloseForTheCallsInProgress) {
    jlaunch::ForwardGate gate;
    std::atomic<int> handled{0};
    std::atomic<int> returned{0};
    std::atomic<bool> release{false};
    std::vector<std::thread> callers;
    std::vector<int> served(4, -1);
    for (std::size_t i = 0; i < served.size(); ++i) {
        callers.emplace_back([&, i] {
            served[i] = gate.serve({L"--from", std::to_wstring(i)}, kNoAnswer) ? 1 : 0;
            ++returned;
        });
    }
    // Not open yet: every call is seen waiting, and none came back.
    waitFor([&] { return gate.counts().waiting == 4 || returned > 0; });
    EXPECT_EQ(returned.load(), 0);
    gate.open([&](const std::vector<std::wstring>& arguments, const jlaunch::AnswerFunction&) {
        EXPECT_EQ(arguments.size(), 2u);
        ++handled;
        waitFor([&] { return release.load(); });
        return true;
    });
    waitFor([&] { return handled == 4 || returned > 0; });
    EXPECT_EQ(returned.load(), 0);
    EXPECT_EQ(gate.counts().inProgress, 4);
    std::atomic<bool> closed{false};
    std::thread closer([&] {
        gate.close();
        closed = true;
    });
    // Four calls are still in the handler: the close is seen waiting for them.
    waitFor([&] { return gate.counts().closing || closed; });
    EXPECT_FALSE(closed.load());
    EXPECT_FALSE(gate.serve({L"late"}, kNoAnswer));  // closing: no later call starts
    release = true;
    closer.join();
    for (auto& caller : callers) {
        caller.join();
    }
    EXPECT_TRUE(closed.load());
    EXPECT_EQ(served, std::vector<int>(4, 1));
    EXPECT_EQ(handled.load(), 4);
    EXPECT_EQ(gate.counts().inProgress, 0);
}

TEST(ForwardGate, AGateClosedBeforeItOpensLetsTheWaitingCallsGo) {
    jlaunch::ForwardGate gate;
    std::atomic<int> refused{0};
    std::atomic<int> returned{0};
    std::vector<std::thread> callers;
    for (int i = 0; i < 3; ++i) {
        callers.emplace_back([&] {
            refused += gate.serve({}, kNoAnswer) ? 0 : 1;
            ++returned;
        });
    }
    waitFor([&] { return gate.counts().waiting == 3 || returned > 0; });
    EXPECT_EQ(returned.load(), 0);
    gate.close();
    for (auto& caller : callers) {
        caller.join();
    }
    EXPECT_EQ(refused.load(), 3);
    EXPECT_EQ(gate.counts().waiting, 0);
}

}  // namespace
