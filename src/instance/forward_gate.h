#pragma once
// The first instance's side of forwarded launches, shared by the platform
// forms: holds them until the application may take them, and lets the
// teardown wait for the calls in progress.
#include <string>
#include <vector>

#include "common/monitor.h"
#include "instance/single_instance.h"

namespace jlaunch {

class ForwardGate {
public:
    ForwardGate() = default;
    ForwardGate(const ForwardGate&) = delete;
    ForwardGate& operator=(const ForwardGate&) = delete;

    // Calls from now on go to `handler`; opened once.
    void open(ForwardHandler handler);
    // Waits until the gate opens, then calls the handler; false when the
    // gate was closed first or the handler did not take the arguments.
    bool serve(const std::vector<std::wstring>& arguments, const AnswerFunction& answer);
    // No later call starts; returns once the calls in progress have ended.
    void close();

    // What the gate holds at this moment: calls waiting for it to open,
    // calls in the handler, and whether a close waits for those.
    struct Counts {
        int waiting = 0;
        int inProgress = 0;
        bool closing = false;
    };
    Counts counts() const;

private:
    mutable Monitor monitor_;
    ForwardHandler handler_;
    bool open_ = false;
    bool closed_ = false;
    int calls_ = 0;
    int waiting_ = 0;
    bool closing_ = false;
};

}  // namespace jlaunch
