#include "jvmhost/memory_options.h"

#include <limits>

namespace jlaunch {

namespace {

constexpr std::uint64_t kMax = std::numeric_limits<std::uint64_t>::max();

bool isDigit(wchar_t c) {
    return c >= L'0' && c <= L'9';
}

bool hasMemoryPrefix(const std::wstring& parameter) {
    return parameter.starts_with(L"-Xms") || parameter.starts_with(L"-Xmx") || parameter.starts_with(L"-Xss");
}

bool endsWithShareLetter(const std::wstring& parameter) {
    return !parameter.empty() && std::wstring_view(L"PpTt").find(parameter.back()) != std::wstring_view::npos;
}

// value * 10 + digit, false when it does not fit.
bool appendDigit(std::uint64_t& value, wchar_t digit) {
    const auto d = static_cast<std::uint64_t>(digit - L'0');
    if (value > (kMax - d) / 10) {
        return false;
    }
    value = value * 10 + d;
    return true;
}

}  // namespace

void unquoteParameter(std::wstring& parameter) {
    std::size_t open = parameter.find(L'"');
    while (open != std::wstring::npos) {
        std::size_t close = parameter.find(L'"', open + 1);
        if (close == std::wstring::npos) {
            return;
        }
        if (close + 1 < parameter.size() && parameter[close + 1] == L'"') {
            ++close;  // the first of a doubled quote is a literal quote
        }
        const std::wstring inner = parameter.substr(open + 1, close - open - 1);
        parameter.replace(open, close - open + 1, inner);
        open = parameter.find(L'"', open + inner.size());
    }
}

NumberList parseNumberList(const std::wstring& text) {
    NumberList list;
    list.start = text.find_first_of(L"0123456789:");
    if (list.start == std::wstring::npos) {
        list.start = text.size();
        return list;
    }
    list.numbers.push_back(0);
    for (std::size_t i = list.start; i + 1 < text.size(); ++i) {
        if (isDigit(text[i])) {
            if (!appendDigit(list.numbers.back(), text[i])) {
                list.overflow = true;
            }
        } else if (text[i] == L':') {
            list.numbers.push_back(0);
        }
    }
    return list;
}

bool resolveMemoryPercent(std::wstring& parameter, const MemoryStatus& memory) {
    const NumberList list = parseNumberList(parameter);
    if (list.overflow) {
        return false;
    }
    const auto number = [&list](std::size_t i) { return i < list.numbers.size() ? list.numbers[i] : 0; };
    const std::uint64_t percentage = number(0);
    const std::uint64_t floor = number(1);
    const std::uint64_t ceiling = number(2);
    if (floor > kMax / 1024 || ceiling > kMax / 1024) {
        return false;
    }
    const wchar_t letter = parameter.back();
    const std::uint64_t base =
        (letter == L'P' || letter == L'p' ? memory.totalPhysical : memory.availableVirtual) >> 10;
    const double exact = static_cast<double>(base) * (static_cast<double>(percentage) / 100.0);
    // 2^64 as a double: anything at or above it cannot be a size.
    if (!(exact < 18446744073709551616.0)) {
        return false;
    }
    std::uint64_t kilobytes = static_cast<std::uint64_t>(exact);
    if (ceiling != 0 && kilobytes > ceiling * 1024) {
        kilobytes = ceiling * 1024;
    }
    if (floor * 1024 > kilobytes) {
        kilobytes = floor * 1024;
    }
    parameter = parameter.substr(0, list.start) + std::to_wstring(kilobytes) + L"K";
    return true;
}

std::optional<std::uint64_t> stackSizeOf(const std::wstring& parameter) {
    const std::wstring value = parameter.substr(4);
    if (value.empty() || !isDigit(value.front()) || value.find(L':') != std::wstring::npos) {
        return 0;
    }
    std::uint64_t factor = 1;
    std::size_t digitsEnd = value.size();
    if (!isDigit(value.back())) {
        --digitsEnd;
        switch (value.back()) {
            case L'G':
            case L'g':
                factor = 1073741824;
                break;
            case L'M':
            case L'm':
                factor = 1048576;
                break;
            case L'K':
            case L'k':
                factor = 1024;
                break;
            default:
                break;
        }
    }
    std::uint64_t number = 0;
    for (std::size_t i = 0; i < digitsEnd; ++i) {
        if (isDigit(value[i]) && !appendDigit(number, value[i])) {
            return std::nullopt;
        }
    }
    if (number > kMax / factor) {
        return std::nullopt;
    }
    return number * factor;
}

void applyVmParameter(std::wstring parameter, std::vector<std::wstring>& options, std::uint64_t& javaThreadStackSize,
                      const MemoryStatus& memory) {
    unquoteParameter(parameter);
    const bool memoryOption = hasMemoryPrefix(parameter);
    if (memoryOption && endsWithShareLetter(parameter) && !resolveMemoryPercent(parameter, memory)) {
        // Too large to mean anything: the VM's own default applies.
        if (parameter.starts_with(L"-Xss")) {
            javaThreadStackSize = 0;
        }
        return;
    }
    if (parameter.starts_with(L"-Xss")) {
        const auto size = stackSizeOf(parameter);
        javaThreadStackSize = size.value_or(0);
        if (!size) {
            return;  // too large to mean anything: the VM's own default applies
        }
    }
    options.push_back(std::move(parameter));
}

}  // namespace jlaunch
