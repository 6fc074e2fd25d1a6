// Linked into the statically built Windows launchers only (GCC's runtime):
// replaces the pieces of libstdc++ that would drag large, never-shown parts
// of the runtime into every shipped exe: the verbose terminate handler with
// its demangler, the std::__throw_* helpers that build their exceptions with
// the copy-on-write string and the printf formatter, and the allocation
// functions, which throw std::bad_alloc. Nothing here throws: each failure
// is an internal failure of the launch (raiseLaunchError, see
// internal_failure.cpp beside this file), which ends it with the
// internal-error message as before.
#include <windows.h>

#include <cstdlib>
#include <new>

#include "common/launch_error.h"

namespace {

[[noreturn]] void fail(std::int32_t status) {
    jlaunch::raiseLaunchError(status);
}

void* allocate(std::size_t size) {
    // malloc(0) may answer null; an allocation of nothing still has an address.
    if (void* memory = std::malloc(size != 0 ? size : 1)) {
        return memory;
    }
    fail(jlaunch::LaunchError::kOutOfMemory);
}

}  // namespace

// The launcher never asks for over-aligned memory; the aligned forms stay
// libstdc++'s (and would bring their exception back, which the size check shows).
void* operator new(std::size_t size) {
    return allocate(size);
}
void* operator new[](std::size_t size) {
    return allocate(size);
}
void* operator new(std::size_t size, const std::nothrow_t&) noexcept {
    return std::malloc(size != 0 ? size : 1);
}
void* operator new[](std::size_t size, const std::nothrow_t&) noexcept {
    return std::malloc(size != 0 ? size : 1);
}
void operator delete(void* memory) noexcept {
    std::free(memory);
}
void operator delete[](void* memory) noexcept {
    std::free(memory);
}
void operator delete(void* memory, std::size_t) noexcept {
    std::free(memory);
}
void operator delete[](void* memory, std::size_t) noexcept {
    std::free(memory);
}
void operator delete(void* memory, const std::nothrow_t&) noexcept {
    std::free(memory);
}
void operator delete[](void* memory, const std::nothrow_t&) noexcept {
    std::free(memory);
}

namespace __gnu_cxx {

// Says why the process ends where a console can show it (jlaunchc), then
// ends it as the verbose handler would. Nothing is thrown in these
// launchers, so there is no exception to name.
void __verbose_terminate_handler() {
    constexpr char kWhat[] = "jlaunch: terminate called\n";
    HANDLE error = GetStdHandle(STD_ERROR_HANDLE);
    if (error != nullptr && error != INVALID_HANDLE_VALUE) {
        DWORD written = 0;
        WriteFile(error, kWhat, sizeof kWhat - 1, &written, nullptr);
    }
    std::abort();
}

}  // namespace __gnu_cxx

namespace std {

void __throw_bad_alloc() {
    fail(jlaunch::LaunchError::kOutOfMemory);
}
void __throw_bad_array_new_length() {
    fail(jlaunch::LaunchError::kOutOfMemory);
}
void __throw_length_error(const char*) {
    fail(jlaunch::LaunchError::kInvalidArgument);
}
void __throw_logic_error(const char*) {
    fail(jlaunch::LaunchError::kInvalidArgument);
}
void __throw_invalid_argument(const char*) {
    fail(jlaunch::LaunchError::kInvalidArgument);
}
void __throw_domain_error(const char*) {
    fail(jlaunch::LaunchError::kInvalidArgument);
}
void __throw_out_of_range(const char*) {
    fail(jlaunch::LaunchError::kBadIndex);
}
void __throw_out_of_range_fmt(const char*, ...) {
    fail(jlaunch::LaunchError::kBadIndex);
}
void __throw_range_error(const char*) {
    fail(jlaunch::LaunchError::kArithmeticOverflow);
}
void __throw_overflow_error(const char*) {
    fail(jlaunch::LaunchError::kArithmeticOverflow);
}
void __throw_underflow_error(const char*) {
    fail(jlaunch::LaunchError::kArithmeticOverflow);
}
void __throw_runtime_error(const char*) {
    fail(jlaunch::LaunchError::kFail);
}
void __throw_system_error(int) {
    fail(jlaunch::LaunchError::kFail);
}
void __throw_bad_function_call() {
    fail(jlaunch::LaunchError::kFail);
}
void __throw_bad_cast() {
    fail(jlaunch::LaunchError::kFail);
}
void __throw_bad_typeid() {
    fail(jlaunch::LaunchError::kFail);
}

}  // namespace std
