#include <cstdio>

#include "jvmhost/vm_output.h"

namespace jlaunch {

std::string formatVmText(const char* format, va_list arguments) {
    va_list measuring;
    va_copy(measuring, arguments);
    const int length = std::vsnprintf(nullptr, 0, format, measuring);
    va_end(measuring);
    if (length <= 0) {
        return {};
    }
    std::string text(static_cast<std::size_t>(length) + 1, '\0');
    std::vsnprintf(text.data(), text.size(), format, arguments);
    text.pop_back();
    return text;
}

void writeVmText(FILE* stream, const std::string& text) {
    // The VM and the launcher share the C library here. Every stream the VM
    // writes passes this way, its log files ("-Xlog:...:file=") too.
    std::FILE* target = stream != nullptr ? stream : stderr;
    std::fputs(text.c_str(), target);
    std::fflush(target);
}

}  // namespace jlaunch
