// The first instance's gate for forwarded launches (and the monitor it
// waits on): calls wait for the gate to open, a close waits for the calls
// in progress, and nothing passes a closed gate.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>
#include <vector>

#include "instance/forward_gate.h"

namespace {

const jlaunch::AnswerFunction kNoAnswer = [](std::int32_t) {};

TEST(ForwardGate, CallsWaitForTheOpeningAndACloseForTheCallsInProgress) {
    jlaunch::ForwardGate gate;
    std::atomic<int> handled{0};
    std::atomic<bool> release{false};
    std::vector<std::thread> callers;
    std::vector<int> served(4, -1);
    for (std::size_t i = 0; i < served.size(); ++i) {
        callers.emplace_back([&, i] { served[i] = gate.serve({L"--from", std::to_wstring(i)}, kNoAnswer) ? 1 : 0; });
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    EXPECT_EQ(handled.load(), 0);  // not open yet: every call waits
    gate.open([&](const std::vector<std::wstring>& arguments, const jlaunch::AnswerFunction&) {
        EXPECT_EQ(arguments.size(), 2u);
        ++handled;
        while (!release.load()) {
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
        return true;
    });
    while (handled.load() < 4) {
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    std::atomic<bool> closed{false};
    std::thread closer([&] {
        gate.close();
        closed = true;
    });
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    EXPECT_FALSE(closed.load());  // four calls are still in the handler
    release = true;
    closer.join();
    for (auto& caller : callers) {
        caller.join();
    }
    EXPECT_TRUE(closed.load());
    EXPECT_EQ(served, std::vector<int>(4, 1));
    EXPECT_FALSE(gate.serve({L"late"}, kNoAnswer));  // closed: no later call starts
    EXPECT_EQ(handled.load(), 4);
}

TEST(ForwardGate, AGateClosedBeforeItOpensLetsTheWaitingCallsGo) {
    jlaunch::ForwardGate gate;
    std::atomic<int> refused{0};
    std::vector<std::thread> callers;
    for (int i = 0; i < 3; ++i) {
        callers.emplace_back([&] { refused += gate.serve({}, kNoAnswer) ? 0 : 1; });
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    gate.close();
    for (auto& caller : callers) {
        caller.join();
    }
    EXPECT_EQ(refused.load(), 3);
}

}  // namespace
