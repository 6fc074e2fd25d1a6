// Windows: the shared block is a named page-file mapping, the arguments go to
// the first instance's listener thread as a registered thread message, and
// the answer comes back the same way. Second instances take turns at the
// block through a named mutex, each holding it until the listener has copied
// its arguments, so that no launch's arguments are overwritten or doubled.
#include <windows.h>

#include <aclapi.h>
#include <sddl.h>

#include <algorithm>
#include <cstring>
#include <span>
#include <vector>

#include "common/handles_win.h"
#include "common/system.h"
#include "common/thread.h"
#include "instance/argument_block.h"
#include "instance/forward_gate.h"
#include "instance/single_instance.h"

namespace jlaunch {

namespace {

constexpr const wchar_t* kStartedSuffix = L"_upr_evt";
constexpr const wchar_t* kTurnSuffix = L"_fwd_mtx";
constexpr const wchar_t* kTakenSuffix = L"_ack_evt";
// Tries when the first instance ended before it took the arguments.
constexpr int kAttempts = 3;
constexpr DWORD kPollMilliseconds = 100;
constexpr DWORD kListenerStartMilliseconds = 10000;

// Owns a mutex that the calling thread acquired, until the end of the scope.
class MutexOwnership {
public:
    explicit MutexOwnership(HANDLE mutex) : mutex_(mutex) {}
    ~MutexOwnership() { ReleaseMutex(mutex_); }
    MutexOwnership(const MutexOwnership&) = delete;
    MutexOwnership& operator=(const MutexOwnership&) = delete;

private:
    HANDLE mutex_;
};

// The system's tick count: std::chrono's clock would link the pthreads clock into the exe.
DWORD millisecondsUntil(std::uint64_t deadline) {
    const std::uint64_t now = monotonicMilliseconds();
    return static_cast<DWORD>(std::min<std::uint64_t>(deadline > now ? deadline - now : 0, INFINITE - 1));
}

// One of this process's token's SIDs (the user, or the default owner of
// new objects); empty when the token cannot be read.
std::vector<BYTE> tokenInformation(TOKEN_INFORMATION_CLASS kind) {
    UniqueHandle token;
    if (!OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, token.out())) {
        return {};
    }
    DWORD size = 0;
    GetTokenInformation(token.get(), kind, nullptr, 0, &size);
    std::vector<BYTE> buffer(size);
    if (size == 0 || !GetTokenInformation(token.get(), kind, buffer.data(), size, &size)) {
        return {};
    }
    return buffer;
}

PSID userSid(std::vector<BYTE>& buffer) {
    return buffer.empty() ? nullptr : reinterpret_cast<TOKEN_USER*>(buffer.data())->User.Sid;
}

PSID defaultOwnerSid(std::vector<BYTE>& buffer) {
    return buffer.empty() ? nullptr : reinterpret_cast<TOKEN_OWNER*>(buffer.data())->Owner;
}

// True when the object belongs to this user: another user who created it
// first could otherwise read the arguments or hold the launch up.
bool ownedByThisUser(HANDLE object) {
    PSID owner = nullptr;
    UniqueLocalMemory descriptor;
    if (GetSecurityInfo(object, SE_KERNEL_OBJECT, OWNER_SECURITY_INFORMATION, &owner, nullptr, nullptr, nullptr,
                        descriptor.out()) != ERROR_SUCCESS) {
        return false;
    }
    // Objects made without security (only Wine does that) have no owner.
    if (owner == nullptr) {
        return true;
    }
    std::vector<BYTE> user = tokenInformation(TokenUser);
    std::vector<BYTE> defaultOwner = tokenInformation(TokenOwner);
    for (PSID mine : {userSid(user), defaultOwnerSid(defaultOwner)}) {
        if (mine != nullptr && EqualSid(owner, mine)) {
            return true;
        }
    }
    return false;
}

// Security for the shared objects: this user (and the system) only.
class UserOnlySecurity {
public:
    UserOnlySecurity() {
        std::vector<BYTE> user = tokenInformation(TokenUser);
        LPWSTR sidText = nullptr;
        if (userSid(user) == nullptr || !ConvertSidToStringSidW(userSid(user), &sidText)) {
            return;
        }
        const UniqueLocalMemory sidHeld(sidText);
        const std::wstring sddl =
            L"O:" + std::wstring(sidText) + L"D:P(A;;GA;;;" + std::wstring(sidText) + L")(A;;GA;;;SY)";
        PSECURITY_DESCRIPTOR descriptor = nullptr;
        if (ConvertStringSecurityDescriptorToSecurityDescriptorW(sddl.c_str(), SDDL_REVISION_1, &descriptor, nullptr)) {
            descriptor_.reset(descriptor);
            attributes_.nLength = sizeof attributes_;
            attributes_.lpSecurityDescriptor = descriptor;
        }
    }

    SECURITY_ATTRIBUTES* get() { return descriptor_ ? &attributes_ : nullptr; }

private:
    UniqueLocalMemory descriptor_;
    SECURITY_ATTRIBUTES attributes_{};
};

// The named mapping of the shared block, mapped whole.
struct SharedBlock {
    UniqueHandle mapping;
    UniqueFileView view;
    bool existed = false;

    std::span<std::uint8_t, kSharedBlockSize> bytes() const {
        return std::span<std::uint8_t, kSharedBlockSize>(static_cast<std::uint8_t*>(view.get()), kSharedBlockSize);
    }
    std::span<std::uint8_t, kArgumentRegionSize> region() const {
        return bytes().subspan<kArgumentsOffset, kArgumentRegionSize>();
    }
    DWORD field(std::size_t offset) const {
        DWORD value = 0;
        std::memcpy(&value, bytes().data() + offset, sizeof value);
        return value;
    }
    void setField(std::size_t offset, DWORD value) const { std::memcpy(bytes().data() + offset, &value, sizeof value); }
};

// Creates or opens the block; `mapping` stays empty when it cannot be had
// or belongs to another user.
SharedBlock openSharedBlock(const std::wstring& name, SECURITY_ATTRIBUTES* security) {
    SharedBlock block;
    SetLastError(ERROR_SUCCESS);
    block.mapping.reset(
        CreateFileMappingW(INVALID_HANDLE_VALUE, security, PAGE_READWRITE, 0, kSharedBlockSize, name.c_str()));
    block.existed = GetLastError() == ERROR_ALREADY_EXISTS;
    if (!block.mapping || (block.existed && !ownedByThisUser(block.mapping.get()))) {
        return {};
    }
    block.view.reset(MapViewOfFile(block.mapping.get(), FILE_MAP_WRITE, 0, 0, kSharedBlockSize));
    if (!block.view) {
        return {};
    }
    return block;
}

// True when the block names a live first instance: its listener thread still
// runs, in the process the block names. A first instance that was killed
// leaves ids behind that no longer fit together.
bool firstInstanceAlive(const SharedBlock& block, UniqueHandle& process) {
    const DWORD listenerId = block.field(kListenerThreadIdOffset);
    const DWORD ownerId = block.field(kOwnerProcessIdOffset);
    if (listenerId == 0 || ownerId == 0) {
        return false;
    }
    const UniqueHandle thread(OpenThread(THREAD_QUERY_LIMITED_INFORMATION | SYNCHRONIZE, FALSE, listenerId));
    if (!thread || WaitForSingleObject(thread.get(), 0) != WAIT_TIMEOUT ||
        GetProcessIdOfThread(thread.get()) != ownerId) {
        return false;
    }
    process.reset(OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION | SYNCHRONIZE, FALSE, ownerId));
    return process && WaitForSingleObject(process.get(), 0) == WAIT_TIMEOUT;
}

// A named event of this user's, made or opened; empty when it belongs to
// another user.
UniqueHandle createOwnEvent(const std::wstring& name, bool manualReset, SECURITY_ATTRIBUTES* security) {
    SetLastError(ERROR_SUCCESS);
    UniqueHandle event(CreateEventW(security, manualReset ? TRUE : FALSE, FALSE, name.c_str()));
    if (event && GetLastError() == ERROR_ALREADY_EXISTS && !ownedByThisUser(event.get())) {
        event.reset();
    }
    return event;
}

void makeMessageQueue() {
    MSG message;
    PeekMessageW(&message, nullptr, WM_USER, WM_USER, PM_NOREMOVE);
}

// The second instances whose arguments were taken and which have no answer
// yet; each gets exactly one, from its worker or, as the process ends, its
// exit code (Wine reports 0 for a killed process, so the code read after
// the end could not tell a killed first instance from a good run).
class WaitingSenders {
public:
    void add(UINT messageId, DWORD sender) {
        AcquireSRWLockExclusive(&lock_);
        messageId_ = messageId;
        senders_.push_back(sender);
        ReleaseSRWLockExclusive(&lock_);
    }

    // Sends `code` to `sender` unless it has had its answer.
    void answer(DWORD sender, std::int32_t code) {
        AcquireSRWLockExclusive(&lock_);
        const auto found = std::find(senders_.begin(), senders_.end(), sender);
        if (found != senders_.end()) {
            senders_.erase(found);
            post(sender, code);
        }
        ReleaseSRWLockExclusive(&lock_);
    }

    void answerAll(std::int32_t code) {
        AcquireSRWLockExclusive(&lock_);
        for (const DWORD sender : senders_) {
            post(sender, code);
        }
        senders_.clear();
        ReleaseSRWLockExclusive(&lock_);
    }

private:
    void post(DWORD sender, std::int32_t code) const {
        PostThreadMessageW(sender, messageId_, static_cast<WPARAM>(static_cast<DWORD>(code)), 0);
    }

    SRWLOCK lock_ = SRWLOCK_INIT;
    UINT messageId_ = 0;
    std::vector<DWORD> senders_;
};

// Constant-initialised, so that no thread-safe first-use guard is needed.
constinit WaitingSenders theWaitingSenders;

WaitingSenders& waitingSenders() {
    return theWaitingSenders;
}

// One forwarded launch on a thread of its own: waits until main is about to
// be called, then serves it; the answer goes to the sender's thread.
void startWorker(const std::shared_ptr<ForwardGate>& gate, UINT messageId, DWORD sender,
                 std::vector<std::wstring> arguments) {
    waitingSenders().add(messageId, sender);
    startDetachedThread([gate, sender, arguments = std::move(arguments)] {
        const AnswerFunction answer = [sender](std::int32_t code) { waitingSenders().answer(sender, code); };
        gate->serve(arguments, answer);
    });
}

// The first instance's listener: copies each forwarded launch's arguments out
// of the block at once, tells the sender so, and starts its worker.
class Listener {
public:
    Listener(const SharedBlock& block, UINT messageId, HANDLE takenEvent, std::shared_ptr<ForwardGate> gate)
        : block_(block), messageId_(messageId), takenEvent_(takenEvent), gate_(std::move(gate)) {}
    ~Listener() { stop(); }
    Listener(const Listener&) = delete;
    Listener& operator=(const Listener&) = delete;

    // False when the thread could not be started or made no message queue.
    bool start() {
        ready_.reset(CreateEventW(nullptr, TRUE, FALSE, nullptr));
        if (!ready_) {
            return false;
        }
        thread_.reset(CreateThread(nullptr, 0, &Listener::run, this, 0, &threadId_));
        if (!thread_) {
            return false;
        }
        const HANDLE waits[] = {ready_.get(), thread_.get()};
        return WaitForMultipleObjects(2, waits, FALSE, kListenerStartMilliseconds) == WAIT_OBJECT_0;
    }

    DWORD threadId() const { return threadId_; }

    void stop() {
        if (!thread_) {
            return;
        }
        // A quit message cannot get lost, but the thread may not have made
        // its queue yet when the start failed half-way.
        for (int tries = 0; tries < 100; ++tries) {
            PostThreadMessageW(threadId_, WM_QUIT, 0, 0);
            if (WaitForSingleObject(thread_.get(), kPollMilliseconds) != WAIT_TIMEOUT) {
                break;
            }
        }
        thread_.reset();
    }

private:
    static DWORD WINAPI run(void* parameter) {
        static_cast<Listener*>(parameter)->loop();
        return 0;
    }

    void loop() {
        // The queue exists before any second instance learns this thread's id.
        makeMessageQueue();
        SetEvent(ready_.get());
        MSG message;
        while (GetMessageW(&message, nullptr, 0, 0) > 0) {
            if (message.message != messageId_) {
                continue;
            }
            std::vector<std::wstring> arguments = readArguments(block_.region());
            clearArgumentCount(block_.region());
            SetEvent(takenEvent_);
            startWorker(gate_, messageId_, static_cast<DWORD>(message.wParam), std::move(arguments));
        }
    }

    const SharedBlock& block_;
    UINT messageId_;
    HANDLE takenEvent_;
    std::shared_ptr<ForwardGate> gate_;
    UniqueHandle ready_;
    UniqueHandle thread_;
    DWORD threadId_ = 0;
};

enum class Handover { Taken, NotTaken, TimedOut };

}  // namespace

struct SingleInstance::State {
    InstanceRole role = InstanceRole::Off;
    bool stopped = false;
    std::wstring name;
    UserOnlySecurity security;
    SharedBlock block;
    UINT messageId = 0;
    std::shared_ptr<ForwardGate> gate;
    // First instance.
    UniqueHandle startedEvent;
    UniqueHandle takenEvent;
    std::unique_ptr<Listener> listener;
    // Second instance.
    UniqueHandle firstProcess;

    bool switchOff() {
        listener.reset();
        block = {};
        startedEvent.reset();
        takenEvent.reset();
        role = InstanceRole::Off;
        return true;
    }

    bool becomeFirst() {
        startedEvent = createOwnEvent(name + kStartedSuffix, true, security.get());
        takenEvent = createOwnEvent(name + kTakenSuffix, false, security.get());
        messageId = RegisterWindowMessageW(name.c_str());
        if (!startedEvent || !takenEvent || messageId == 0) {
            return switchOff();
        }
        // Left behind by an instance that died after main had started.
        ResetEvent(startedEvent.get());
        listener = std::make_unique<Listener>(block, messageId, takenEvent.get(), gate);
        if (!listener->start()) {
            return switchOff();
        }
        block.setField(kMessageIdOffset, messageId);
        block.setField(kOwnerProcessIdOffset, GetCurrentProcessId());
        block.setField(kListenerThreadIdOffset, listener->threadId());
        role = InstanceRole::First;
        return true;
    }

    // Writes the arguments and waits until the listener has copied them.
    Handover handOver(const std::vector<std::wstring>& arguments, HANDLE process, DWORD milliseconds) {
        // A first instance of an older build has no such event and reads the
        // block only when it serves the launch.
        UniqueHandle taken(
            OpenEventW(SYNCHRONIZE | EVENT_MODIFY_STATE | READ_CONTROL, FALSE, (name + kTakenSuffix).c_str()));
        if (taken && !ownedByThisUser(taken.get())) {
            taken.reset();  // not our first instance's: as if it had none
        }
        if (taken) {
            ResetEvent(taken.get());
        }
        writeArguments(block.region(), arguments);
        messageId = block.field(kMessageIdOffset);
        // The user started this launch, so it may pass the foreground on: the
        // first instance brings its window up when the application has no
        // secondaryMain (or shows one of its own from secondaryMain).
        AllowSetForegroundWindow(block.field(kOwnerProcessIdOffset));
        if (!PostThreadMessageW(block.field(kListenerThreadIdOffset), messageId, GetCurrentThreadId(), 0)) {
            return Handover::NotTaken;
        }
        if (!taken) {
            return Handover::Taken;
        }
        const HANDLE waits[] = {taken.get(), process};
        switch (WaitForMultipleObjects(2, waits, FALSE, milliseconds)) {
            case WAIT_OBJECT_0:
                return Handover::Taken;
            case WAIT_OBJECT_0 + 1:
                return Handover::NotTaken;
            default:
                return Handover::TimedOut;
        }
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
    state.name = instanceName(executable);
    state.gate = std::make_shared<ForwardGate>();
    // The answer is posted to this thread.
    makeMessageQueue();
    const std::uint64_t deadline = monotonicMilliseconds() + static_cast<std::uint64_t>(turnLimit.count());
    for (int attempt = 0; attempt < kAttempts; ++attempt) {
        SetLastError(ERROR_SUCCESS);
        const UniqueHandle turn(CreateMutexW(state.security.get(), FALSE, (state.name + kTurnSuffix).c_str()));
        if (!turn || (GetLastError() == ERROR_ALREADY_EXISTS && !ownedByThisUser(turn.get()))) {
            return state.switchOff();
        }
        // An abandoned turn (its holder was killed) is this launch's turn.
        const DWORD waited = WaitForSingleObject(turn.get(), millisecondsUntil(deadline));
        if (waited == WAIT_TIMEOUT) {
            return false;
        }
        if (waited != WAIT_OBJECT_0 && waited != WAIT_ABANDONED) {
            return state.switchOff();
        }
        const MutexOwnership holding(turn.get());
        state.block = openSharedBlock(state.name, state.security.get());
        if (!state.block.mapping) {
            return state.switchOff();
        }
        UniqueHandle process;
        if (!state.block.existed || !firstInstanceAlive(state.block, process)) {
            return state.becomeFirst();
        }
        if (!fitsArgumentBlock(arguments)) {
            return false;
        }
        switch (state.handOver(arguments, process.get(), millisecondsUntil(deadline))) {
            case Handover::Taken:
                state.firstProcess = std::move(process);
                state.role = InstanceRole::Second;
                return true;
            case Handover::TimedOut:
                return false;
            case Handover::NotTaken:
                state.block = {};
                break;
        }
    }
    return false;
}

void answerWaitingInstances(std::int32_t code) {
    waitingSenders().answerAll(code);
}

std::string SingleInstance::problem() const {
    return {};
}

std::string SingleInstance::unsafeFolder() const {
    return {};
}

InstanceRole SingleInstance::role() const {
    return state_->role;
}

std::int32_t SingleInstance::waitForFirstInstance() {
    const State& state = *state_;
    const HANDLE process = state.firstProcess.get();
    if (state.role != InstanceRole::Second || process == nullptr) {
        return 0;
    }
    const auto answer = [&state]() -> std::optional<std::int32_t> {
        MSG message;
        while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
            if (message.message == state.messageId) {
                return static_cast<std::int32_t>(static_cast<DWORD>(message.wParam));
            }
        }
        return std::nullopt;
    };
    for (;;) {
        if (const auto code = answer()) {
            return *code;
        }
        if (WaitForSingleObject(process, 0) == WAIT_OBJECT_0) {
            // An answer posted just before the end still counts.
            if (const auto code = answer()) {
                return *code;
            }
            // Ended without a word: killed, whatever code the system reports.
            return -1;
        }
        MsgWaitForMultipleObjectsEx(1, &process, kPollMilliseconds, QS_POSTMESSAGE, MWMO_INPUTAVAILABLE);
    }
}

void SingleInstance::markStarted(ForwardHandler handler) {
    State& state = *state_;
    if (state.role == InstanceRole::First) {
        SetEvent(state.startedEvent.get());
        state.gate->open(std::move(handler));
    }
}

void SingleInstance::stop() {
    State& state = *state_;
    if (state.stopped) {
        return;
    }
    state.stopped = true;
    if (state.role == InstanceRole::First) {
        state.listener.reset();
        state.gate->close();
    }
    state.block = {};
}

}  // namespace jlaunch
