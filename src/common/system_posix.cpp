#include <sys/stat.h>
#include <time.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>

#include "common/system.h"
#include "common/text.h"

namespace jlaunch {

std::optional<std::wstring> executablePath(std::uint32_t& error) {
    std::string buffer(256, '\0');
    while (true) {
        const ssize_t length = readlink("/proc/self/exe", buffer.data(), buffer.size());
        if (length < 0) {
            error = static_cast<std::uint32_t>(errno);
            return std::nullopt;
        }
        if (static_cast<std::size_t>(length) < buffer.size()) {
            buffer.resize(static_cast<std::size_t>(length));
            return toWide(buffer);
        }
        buffer.resize(buffer.size() * 2);
    }
}

std::wstring systemErrorText(std::uint32_t error) {
    return toWide(std::strerror(static_cast<int>(error)));
}

std::optional<std::wstring> environmentVariable(const std::wstring& name) {
    const char* value = std::getenv(toNarrow(name).c_str());
    if (value == nullptr) {
        return std::nullopt;
    }
    return toWide(value);
}

std::wstring userSettingsRoot() {
    const auto config = environmentVariable(L"XDG_CONFIG_HOME");
    if (config && !config->empty() && config->front() == L'/') {
        return *config;
    }
    const auto home = environmentVariable(L"HOME");
    if (home && !home->empty()) {
        return *home + L"/.config";
    }
    return {};
}

void createFolder(const std::wstring& path) {
    mkdir(toNarrow(path).c_str(), 0777);
}

}  // namespace jlaunch

namespace jlaunch {

void setCurrentFolder(const std::wstring& path) {
    if (chdir(toNarrow(path).c_str()) != 0) {
        return;  // the launch goes on in the folder it was started from
    }
}

std::uint64_t monotonicMilliseconds() {
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    return static_cast<std::uint64_t>(now.tv_sec) * 1000 + static_cast<std::uint64_t>(now.tv_nsec) / 1000000;
}

}  // namespace jlaunch
