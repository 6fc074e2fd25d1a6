#include <windows.h>

#include <cstdio>

#include "jvmhost/vm_output.h"

namespace jlaunch {

std::string formatVmText(const char* format, va_list arguments) {
    // The system's own formatter, as the VM's C runtime formats: MinGW's
    // portable one would add its whole printf to the exe. The VM's messages
    // are lines; a longer one is cut.
    char text[2048];
    const int length = _vsnprintf(text, sizeof text - 1, format, arguments);
    text[sizeof text - 1] = '\0';
    return length < 0 ? std::string(text) : std::string(text, static_cast<std::size_t>(length));
}

void writeVmText(FILE*, const std::string& text) {
    // The VM's stream belongs to its own C runtime: the text goes to this
    // process's error handle, which a GUI program started from a console has none of.
    const HANDLE error = GetStdHandle(STD_ERROR_HANDLE);
    DWORD written = 0;
    if (error != nullptr && error != INVALID_HANDLE_VALUE) {
        WriteFile(error, text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
    }
}

}  // namespace jlaunch
