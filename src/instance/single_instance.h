#pragma once
// Single-instance mode: the first launch of an executable serves the later
// ones, which hand it their arguments and end with the code it answers.
#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace jlaunch {

// Sends the second instance the code it is to end with; only the first call counts.
using AnswerFunction = std::function<void(std::int32_t code)>;

// Serves one forwarded launch in the first instance, on a thread of its own:
// true when the application took the arguments. It may answer before or
// after taking them, or not at all (the second instance then waits for the
// first instance's end).
using ForwardHandler = std::function<bool(const std::vector<std::wstring>& arguments, const AnswerFunction& answer)>;

enum class InstanceRole { Off, First, Second };

class SingleInstance {
public:
    // How long a second instance waits for its turn and for the first
    // instance to take its arguments before it gives up with -1.
    static constexpr std::chrono::milliseconds kTurnLimit{60000};

    SingleInstance();
    ~SingleInstance();
    SingleInstance(const SingleInstance&) = delete;
    SingleInstance& operator=(const SingleInstance&) = delete;

    // Finds this process's role among the instances of `executable` and, as
    // a second instance, hands `arguments` over. False when a second
    // instance is to end with -1: arguments too long for the block, or not
    // taken within `turnLimit`. Any other failure leaves the mode off and
    // the launch runs as a normal one. A first instance that died is
    // replaced: this launch becomes the new first instance.
    bool setup(const std::wstring& executable, const std::vector<std::wstring>& arguments,
               std::chrono::milliseconds turnLimit = kTurnLimit);

    InstanceRole role() const;

    // Why the mode is off although it was asked for (Linux), for the trace;
    // empty otherwise.
    std::string problem() const;
    // The folder of the sockets when it is why: it is not, and could not be
    // made, this user's alone. The user is told, and the launch goes on.
    std::string unsafeFolder() const;

    // Second instance: the first instance's answer (at the latest its exit
    // code as it ends), or -1 when it ended without one.
    std::int32_t waitForFirstInstance();

    // First instance: main is about to be called; forwarded launches, those
    // waiting included, go to `handler` from now on.
    void markStarted(ForwardHandler handler);

    // First instance: stops taking forwarded launches and waits for those in
    // a call. Second instances still waiting learn the process's exit code
    // when it ends. Also done by the destructor.
    void stop();

private:
    struct State;
    std::unique_ptr<State> state_;
};

// The process ends with `code`: every second instance whose arguments this
// first instance took and did not answer yet gets `code` as its answer. One
// that never gets an answer (this process killed) ends with -1.
void answerWaitingInstances(std::int32_t code);

}  // namespace jlaunch
