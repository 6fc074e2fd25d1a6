// Linux: the first instance listens on a Unix-domain socket named after the
// executable's canonical path, in a folder only this user may enter (an
// abstract name could be taken by any local user). The first instance holds
// a lock beside it, which the kernel frees when the process ends, however it
// ends: whoever takes the lock replaces a socket left behind. Each second
// instance has a connection of its own, so no two launches share a buffer.
// Both sides check that the other end belongs to the same user.
#include <fcntl.h>
#include <poll.h>
#include <sys/file.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <cstddef>
#include <cstdlib>
#include <cstring>
#include <map>
#include <memory>
#include <mutex>
#include <span>
#include <thread>

#include "common/byte_order.h"
#include "common/handles_posix.h"
#include "common/text.h"
#include "common/thread.h"
#include "instance/argument_block.h"
#include "instance/forward_gate.h"
#include "instance/instance_socket_posix.h"
#include "instance/single_instance.h"

namespace jlaunch {

namespace {

using Clock = std::chrono::steady_clock;

// A request: a mark, then the argument region as the shared block holds it.
constexpr std::uint32_t kRequestMark = 0x52534C4A;  // "JLSR"
constexpr std::size_t kRequestSize = 4 + kArgumentRegionSize;
// The first instance's word that it has taken the arguments.
constexpr char kTaken = 'T';
// A connection that does not send its request in this time is dropped.
constexpr std::chrono::milliseconds kRequestLimit{5000};
// A name that is bound but refuses connections this long belongs to no
// working first instance.
constexpr std::chrono::milliseconds kRefusedLimit{2000};
constexpr std::chrono::milliseconds kRetryPause{10};

struct SocketAddress {
    sockaddr_un address{};
    socklen_t length = 0;
};

// Nothing when the path is too long for a socket's name.
std::optional<SocketAddress> pathAddress(const std::string& path) {
    SocketAddress result;
    if (path.size() >= sizeof result.address.sun_path) {
        return std::nullopt;
    }
    result.address.sun_family = AF_UNIX;
    std::memcpy(result.address.sun_path, path.data(), path.size());
    result.length = static_cast<socklen_t>(offsetof(sockaddr_un, sun_path) + path.size() + 1);
    return result;
}

const sockaddr* asSockaddr(const SocketAddress& address) {
    return reinterpret_cast<const sockaddr*>(&address.address);
}

bool peerIsThisUser(int socket) {
    ucred credentials{};
    socklen_t size = sizeof credentials;
    return getsockopt(socket, SOL_SOCKET, SO_PEERCRED, &credentials, &size) == 0 && credentials.uid == getuid();
}

bool sendAll(int socket, std::span<const std::uint8_t> bytes) {
    while (!bytes.empty()) {
        const ssize_t sent = send(socket, bytes.data(), bytes.size(), MSG_NOSIGNAL);
        if (sent < 0 && errno == EINTR) {
            continue;
        }
        if (sent <= 0) {
            return false;
        }
        bytes = bytes.subspan(static_cast<std::size_t>(sent));
    }
    return true;
}

enum class Received { All, Ended, TimedOut };

// Reads exactly the span's size; without a deadline it waits as long as the
// other end lives.
Received receiveAll(int socket, std::span<std::uint8_t> bytes, std::optional<Clock::time_point> deadline) {
    while (!bytes.empty()) {
        int timeout = -1;
        if (deadline) {
            const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(*deadline - Clock::now());
            if (left.count() <= 0) {
                return Received::TimedOut;
            }
            timeout = static_cast<int>(std::min<long long>(left.count(), 1 << 30));
        }
        pollfd waiting{socket, POLLIN, 0};
        const int ready = poll(&waiting, 1, timeout);
        if (ready < 0 && errno == EINTR) {
            continue;
        }
        if (ready < 0) {
            return Received::Ended;
        }
        if (ready == 0) {
            continue;  // the deadline check above ends the wait
        }
        const ssize_t received = recv(socket, bytes.data(), bytes.size(), 0);
        if (received < 0 && errno == EINTR) {
            continue;
        }
        if (received <= 0) {
            return Received::Ended;
        }
        bytes = bytes.subspan(static_cast<std::size_t>(received));
    }
    return Received::All;
}

std::array<std::uint8_t, 4> codeBytes(std::int32_t code) {
    std::array<std::uint8_t, 4> bytes{};
    writeU32(bytes, 0, static_cast<std::uint32_t>(code));
    return bytes;
}

// The connections of second instances that have no answer yet; each gets
// exactly one, from its worker or, as the process ends, its exit status.
class WaitingSecondInstances {
public:
    // -1 once the process ends: that launch is not taken, and will find the next first instance.
    int add(UniqueFileDescriptor connection) {
        const std::lock_guard lock(mutex_);
        if (ended_) {
            return -1;
        }
        const int id = next_++;
        open_.emplace(id, std::move(connection));
        return id;
    }

    // Tells the second instance its arguments were taken; false (and the
    // connection gone) when it is no longer there.
    bool acknowledge(int id) {
        const std::lock_guard lock(mutex_);
        const auto found = open_.find(id);
        const std::array<std::uint8_t, 1> taken{static_cast<std::uint8_t>(kTaken)};
        if (found == open_.end() || !sendAll(found->second.get(), taken)) {
            open_.erase(id);
            return false;
        }
        return true;
    }

    void answer(int id, std::int32_t code) {
        const std::lock_guard lock(mutex_);
        const auto found = open_.find(id);
        if (found != open_.end()) {
            sendAll(found->second.get(), codeBytes(code));
            open_.erase(found);
        }
    }

    // The process ends with `code`.
    void answerAll(std::int32_t code) {
        const std::lock_guard lock(mutex_);
        ended_ = true;
        for (const auto& [id, connection] : open_) {
            sendAll(connection.get(), codeBytes(code));
        }
        open_.clear();
    }

private:
    std::mutex mutex_;
    std::map<int, UniqueFileDescriptor> open_;
    int next_ = 0;
    bool ended_ = false;
};

// One for the process: it outlives every SingleInstance, since the exit
// status is known only in exit() (main returning, or the Java VM's
// System.exit), after the launcher's teardown or without it.
WaitingSecondInstances& waitingSecondInstances() {
    static WaitingSecondInstances waiting;
    return waiting;
}

void answerAtExit(int status, void* /*unused*/) {
    waitingSecondInstances().answerAll(status);
}

// Registered after the registry exists, so that it runs before the registry goes.
void answerWaitingAtExit() {
    static const bool registered = [] {
        waitingSecondInstances();
        return on_exit(&answerAtExit, nullptr) == 0;
    }();
    static_cast<void>(registered);
}

// Receives one second instance's request, tells it the arguments were taken,
// and starts the worker that serves it.
void takeConnection(UniqueFileDescriptor connection, const std::shared_ptr<ForwardGate>& gate) {
    if (!peerIsThisUser(connection.get())) {
        return;
    }
    std::array<std::uint8_t, kRequestSize> request{};
    if (receiveAll(connection.get(), request, Clock::now() + kRequestLimit) != Received::All) {
        return;
    }
    const std::span<const std::uint8_t, kRequestSize> received(request);
    if (readU32(request, 0) != kRequestMark) {
        return;
    }
    std::vector<std::wstring> arguments = readArguments(received.subspan<4, kArgumentRegionSize>());
    // Registered before the word goes out, so that an exit right after it still reaches this one.
    WaitingSecondInstances& waiting = waitingSecondInstances();
    const int id = waiting.add(std::move(connection));
    if (!waiting.acknowledge(id)) {
        return;
    }
    startDetachedThread([gate, id, arguments = std::move(arguments)] {
        gate->serve(arguments, [id](std::int32_t code) { waitingSecondInstances().answer(id, code); });
    });
}

// The first instance's listener thread, woken through a pipe to end.
class Listener {
public:
    Listener(UniqueFileDescriptor socket, std::shared_ptr<ForwardGate> gate)
        : socket_(std::move(socket)), gate_(std::move(gate)) {}
    ~Listener() { stop(); }
    Listener(const Listener&) = delete;
    Listener& operator=(const Listener&) = delete;

    bool start() {
        std::array<int, 2> ends{};
        if (pipe2(ends.data(), O_CLOEXEC) != 0) {
            return false;
        }
        wakeRead_.reset(ends[0]);
        wakeWrite_.reset(ends[1]);
        try {
            thread_ = std::thread([this] { loop(); });
        } catch (const std::system_error&) {
            return false;
        }
        return true;
    }

    void stop() {
        if (thread_.joinable()) {
            const char wake = 0;
            while (write(wakeWrite_.get(), &wake, 1) < 0 && errno == EINTR) {
            }
            thread_.join();
        }
        // The name is free again from here.
        socket_.reset();
    }

private:
    void loop() {
        for (;;) {
            std::array<pollfd, 2> waits{{{socket_.get(), POLLIN, 0}, {wakeRead_.get(), POLLIN, 0}}};
            if (poll(waits.data(), waits.size(), -1) < 0) {
                if (errno == EINTR) {
                    continue;
                }
                return;
            }
            if (waits[1].revents != 0) {
                return;
            }
            auto connection =
                std::make_shared<UniqueFileDescriptor>(accept4(socket_.get(), nullptr, nullptr, SOCK_CLOEXEC));
            if (!*connection) {
                // Out of descriptors, or the caller gave up: try again shortly.
                std::this_thread::sleep_for(kRetryPause);
                continue;
            }
            // Each request is read on a thread of its own: a connection that
            // sends nothing must not hold up the launches behind it.
            const bool started =
                startDetachedThread([connection, gate = gate_] { takeConnection(std::move(*connection), gate); });
            if (!started) {
                takeConnection(std::move(*connection), gate_);
            }
        }
    }

    UniqueFileDescriptor socket_;
    std::shared_ptr<ForwardGate> gate_;
    UniqueFileDescriptor wakeRead_;
    UniqueFileDescriptor wakeWrite_;
    std::thread thread_;
};

// The executable's canonical path: every instance of one file agrees on it,
// whichever link or relative path started it.
std::string canonicalPath(const std::wstring& executable) {
    const std::string path = toNarrow(executable);
    const UniqueMallocText resolved(realpath(path.c_str(), nullptr));
    return resolved ? std::string(resolved.get()) : path;
}

enum class Handover { Taken, NotTaken, TimedOut };

std::string errorText(const char* what) {
    return std::string(what) + ": " + std::strerror(errno);
}

}  // namespace

InstanceSocketFolder instanceSocketFolder() {
    const char* runtime = std::getenv("XDG_RUNTIME_DIR");
    InstanceSocketFolder folder;
    folder.path = runtime != nullptr && runtime[0] == '/'
                      ? std::string(runtime) + "/jlaunch"
                      : "/tmp/jlaunch-" + toNarrow(decimalText(static_cast<std::uint32_t>(getuid())));
    if (mkdir(folder.path.c_str(), 0700) != 0 && errno != EEXIST) {
        folder.problem = errorText("it cannot be made");
        return folder;
    }
    // Judged through what was opened, so that nothing is swapped in between.
    const UniqueFileDescriptor opened(open(folder.path.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
    struct stat status {};
    if (!opened || fstat(opened.get(), &status) != 0) {
        folder.problem = errorText("it is not a folder");
    } else if (status.st_uid != getuid()) {
        folder.problem = "it belongs to user " + std::to_string(status.st_uid);
    } else if ((status.st_mode & 077) != 0 && fchmod(opened.get(), 0700) != 0) {
        folder.problem = errorText("its mode cannot be set to 0700");
    }
    return folder;
}

std::string instanceSocketPath(const std::string& folder, const std::wstring& executable) {
    return folder + "/" + instanceSocketName(canonicalPath(executable), getuid());
}

struct SingleInstance::State {
    InstanceRole role = InstanceRole::Off;
    bool stopped = false;
    std::shared_ptr<ForwardGate> gate;
    // Why the mode is off although it was asked for; empty when it is not.
    std::string problem;
    bool folderUnsafe = false;
    std::string folder;
    std::string socketPath;
    // Held by the first instance for as long as it serves.
    UniqueFileDescriptor lock;
    // First instance.
    std::unique_ptr<Listener> listener;
    // Second instance: the connection its answer comes through.
    UniqueFileDescriptor connection;

    bool switchOff() {
        endListener();
        connection.reset();
        role = InstanceRole::Off;
        return true;
    }

    // The listener ends, its socket goes, and only then the lock.
    void endListener() {
        if (listener) {
            listener.reset();
            unlink(socketPath.c_str());
        }
        lock.reset();
    }

    // Holding the lock: a socket left behind by an instance that died goes.
    bool becomeFirst(const SocketAddress& address) {
        unlink(socketPath.c_str());
        UniqueFileDescriptor socket(::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0));
        if (!socket || bind(socket.get(), asSockaddr(address), address.length) != 0 ||
            listen(socket.get(), SOMAXCONN) != 0) {
            problem = errorText("its socket cannot listen");
            lock.reset();
            return switchOff();
        }
        answerWaitingAtExit();
        listener = std::make_unique<Listener>(std::move(socket), gate);
        if (!listener->start()) {
            return switchOff();
        }
        role = InstanceRole::First;
        return true;
    }

    Handover handOver(UniqueFileDescriptor socket, const std::vector<std::wstring>& arguments,
                      Clock::time_point deadline) {
        std::array<std::uint8_t, kRequestSize> request{};
        writeU32(request, 0, kRequestMark);
        writeArguments(std::span<std::uint8_t, kRequestSize>(request).subspan<4, kArgumentRegionSize>(), arguments);
        if (!sendAll(socket.get(), request)) {
            return Handover::NotTaken;
        }
        std::array<std::uint8_t, 1> taken{};
        switch (receiveAll(socket.get(), taken, deadline)) {
            case Received::All:
                if (taken[0] != kTaken) {
                    return Handover::NotTaken;
                }
                connection = std::move(socket);
                return Handover::Taken;
            case Received::Ended:
                return Handover::NotTaken;
            case Received::TimedOut:
                break;
        }
        return Handover::TimedOut;
    }
};

SingleInstance::SingleInstance() : state_(std::make_unique<State>()) {}

SingleInstance::~SingleInstance() {
    stop();
}

bool SingleInstance::setup(const std::wstring& executable, const std::vector<std::wstring>& arguments,
                           std::chrono::milliseconds turnLimit) {
    stop();
    state_ = std::make_unique<State>();
    State& state = *state_;
    state.gate = std::make_shared<ForwardGate>();
    const InstanceSocketFolder folder = instanceSocketFolder();
    state.folder = folder.path;
    if (!folder.problem.empty()) {
        state.problem = folder.problem;
        state.folderUnsafe = true;
        return state.switchOff();
    }
    state.socketPath = instanceSocketPath(folder.path, executable);
    const auto address = pathAddress(state.socketPath);
    if (!address) {
        state.problem = "the socket's path is too long";
        return state.switchOff();
    }
    state.lock.reset(
        open((state.socketPath + ".lock").c_str(), O_RDWR | O_CREAT | O_NOFOLLOW | O_CLOEXEC | O_NONBLOCK, 0600));
    if (!state.lock) {
        state.problem = errorText("its lock cannot be opened");
        return state.switchOff();
    }
    const auto deadline = Clock::now() + turnLimit;
    std::optional<Clock::time_point> refusedSince;
    while (Clock::now() < deadline) {
        if (flock(state.lock.get(), LOCK_EX | LOCK_NB) == 0) {
            return state.becomeFirst(*address);
        }
        if (errno != EWOULDBLOCK && errno != EINTR) {
            state.problem = errorText("its lock cannot be taken");
            return state.switchOff();
        }
        UniqueFileDescriptor socket(::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0));
        if (!socket) {
            return state.switchOff();
        }
        const auto left = std::chrono::duration_cast<std::chrono::microseconds>(deadline - Clock::now());
        const timeval limit{static_cast<time_t>(left.count() / 1000000),
                            static_cast<suseconds_t>(left.count() % 1000000)};
        setsockopt(socket.get(), SOL_SOCKET, SO_SNDTIMEO, &limit, sizeof limit);
        if (connect(socket.get(), asSockaddr(*address), address->length) != 0) {
            // The first instance is between its lock and its listening, or
            // past its serving: look again shortly.
            if (errno != ECONNREFUSED && errno != ENOENT && errno != EAGAIN && errno != EINTR) {
                return state.switchOff();
            }
            refusedSince = refusedSince.value_or(Clock::now());
            if (Clock::now() - *refusedSince > kRefusedLimit) {
                return state.switchOff();
            }
            std::this_thread::sleep_for(kRetryPause);
            continue;
        }
        if (!peerIsThisUser(socket.get())) {
            return state.switchOff();
        }
        if (!fitsArgumentBlock(arguments)) {
            return false;
        }
        switch (state.handOver(std::move(socket), arguments, deadline)) {
            case Handover::Taken:
                state.lock.reset();
                state.role = InstanceRole::Second;
                return true;
            case Handover::TimedOut:
                return false;
            case Handover::NotTaken:
                // The first instance ended before it took them: this launch
                // may be the next first instance.
                std::this_thread::sleep_for(kRetryPause);
                break;
        }
    }
    return false;
}

std::string SingleInstance::problem() const {
    return state_->problem.empty() ? std::string() : state_->folder + ": " + state_->problem;
}

std::string SingleInstance::unsafeFolder() const {
    return state_->folderUnsafe ? state_->folder : std::string();
}

void answerWaitingInstances(std::int32_t code) {
    waitingSecondInstances().answerAll(code);
}

InstanceRole SingleInstance::role() const {
    return state_->role;
}

std::int32_t SingleInstance::waitForFirstInstance() {
    State& state = *state_;
    if (state.role != InstanceRole::Second) {
        return 0;
    }
    std::array<std::uint8_t, 4> code{};
    if (receiveAll(state.connection.get(), code, std::nullopt) != Received::All) {
        // The first instance ended without a word: killed, its code unknown.
        return -1;
    }
    return static_cast<std::int32_t>(readU32(code, 0));
}

void SingleInstance::markStarted(ForwardHandler handler) {
    if (state_->role == InstanceRole::First) {
        state_->gate->open(std::move(handler));
    }
}

void SingleInstance::stop() {
    State& state = *state_;
    if (state.stopped) {
        return;
    }
    state.stopped = true;
    if (state.role == InstanceRole::First) {
        state.endListener();
        state.gate->close();
    }
    state.connection.reset();
}

}  // namespace jlaunch
