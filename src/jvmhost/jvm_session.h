#pragma once
// The hosted Java VM: its library, loaded once and kept for the life of the
// process, and the VM itself, created once and destroyed exactly once.
#include <jni.h>

#include <cstdint>
#include <string>
#include <vector>

#include "common/failure.h"
#include "jvmhost/jvm_library.h"

namespace jlaunch {

class JvmSession {
public:
    // Loads the VM library and resolves its entry points; fails with message
    // 222, or 202 with 212 when an entry point is missing.
    static Result<JvmSession> load(const std::wstring& jvmLibraryPath);

    JvmSession(JvmSession&& other) noexcept;
    JvmSession& operator=(JvmSession&& other) noexcept;
    JvmSession(const JvmSession&) = delete;
    JvmSession& operator=(const JvmSession&) = delete;
    // Destroys the VM if it is still there.
    ~JvmSession();

    // Creates the VM with `options` and the exit and abort hooks; the calling
    // thread becomes its first thread. Fails with message 203.
    Result<JNIEnv*> create(const std::vector<std::string>& options);

    // DestroyJavaVM, once: it returns when the application's non-daemon
    // threads (its windows) have ended. Later calls do nothing.
    void destroy();

    JavaVM* vm() const { return vm_; }
    const JvmEntryPoints& entryPoints() const { return entryPoints_; }

    // The stack size the VM gives its threads by default; 0 when it names none.
    std::uint64_t defaultStackSize() const;

private:
    explicit JvmSession(JvmEntryPoints entryPoints) : entryPoints_(entryPoints) {}

    JvmEntryPoints entryPoints_;
    JavaVM* vm_ = nullptr;
};

// Told the status when the VM ends the process itself (System.exit,
// Runtime.halt), on the thread that ends it: the launcher's last chance to
// act on the code, as nothing returns to it afterwards.
using VmExitHandler = void (*)(std::int32_t status);
void setVmExitHandler(VmExitHandler handler) noexcept;

// The reason text id of a JNI_CreateJavaVM result; 0 for none.
unsigned creationFailureReason(jint result);

}  // namespace jlaunch
