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

private:
    Monitor monitor_;
    ForwardHandler handler_;
    bool open_ = false;
    bool closed_ = false;
    int calls_ = 0;
};

}  // namespace jlaunch
