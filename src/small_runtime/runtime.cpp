// Linked into the statically built Windows launchers only (GCC's runtime):
// replaces the pieces of libstdc++ that would drag large, never-shown parts
// of the runtime into every shipped exe: the verbose terminate handler with
// its demangler, and the std::__throw_* helpers that build their exceptions
// with the copy-on-write string and the printf formatter. What the launcher
// observes does not change: the same internal failures end the launch, an
// allocation failure is still std::bad_alloc, and the others are the
// launcher's own LaunchError, which the launch's one catch turns into the
// internal-error message (internalFailureOfCurrentException).
#include <windows.h>

#include <cstdlib>
#include <exception>
#include <new>

#include "common/launch_error.h"

namespace {

[[noreturn]] void fail(std::int32_t status) {
    throw jlaunch::LaunchError(status);
}

}  // namespace

namespace __gnu_cxx {

// Says why the process ends where a console can show it (jlaunchc), then
// ends it as the verbose handler would.
void __verbose_terminate_handler() {
    const char* what = "jlaunch: terminate called\n";
    if (const std::exception_ptr current = std::current_exception()) {
        try {
            std::rethrow_exception(current);
        } catch (const std::exception& error) {
            what = error.what();
        } catch (...) {
        }
    }
    HANDLE error = GetStdHandle(STD_ERROR_HANDLE);
    if (error != nullptr && error != INVALID_HANDLE_VALUE) {
        DWORD written = 0;
        WriteFile(error, what, static_cast<DWORD>(__builtin_strlen(what)), &written, nullptr);
        WriteFile(error, "\n", 1, &written, nullptr);
    }
    std::abort();
}

}  // namespace __gnu_cxx

namespace std {

void __throw_bad_alloc() {
    throw std::bad_alloc();
}
void __throw_bad_array_new_length() {
    throw std::bad_alloc();
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
