#include "jvmhost/memory_options.h"

#include <algorithm>
#include <limits>

#include "common/text.h"

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
    // One pass, so that many quotes cost no more than many letters.
    std::wstring out;
    out.reserve(parameter.size());
    std::size_t position = 0;
    while (position < parameter.size()) {
        const auto open = parameter.find(L'"', position);
        if (open == std::wstring::npos) {
            out.append(parameter, position);
            break;
        }
        out.append(parameter, position, open - position);
        auto close = parameter.find(L'"', open + 1);
        if (close == std::wstring::npos) {
            out.append(parameter, open);  // a quote without partner stays
            break;
        }
        if (close + 1 < parameter.size() && parameter[close + 1] == L'"') {
            ++close;  // the first of a doubled quote is a literal quote
        }
        out.append(parameter, open + 1, close - open - 1);
        position = close + 1;
    }
    parameter = std::move(out);
}

MemoryShare parseMemoryShare(std::wstring_view parameter) {
    MemoryShare share;
    if (parameter.size() < 6) {
        return share;  // a prefix and a letter with nothing between
    }
    const std::wstring_view numbers = parameter.substr(4, parameter.size() - 5);
    std::size_t field = 0;
    bool sawDigit = false;
    bool sawDot = false;
    double fractionScale = 0.1;
    std::uint64_t whole = 0;
    bool wholeAbove100 = false;
    bool tooLarge = false;
    for (const wchar_t c : numbers) {
        if (c == L':') {
            if (++field > 2) {
                return share;
            }
            continue;
        }
        if (field == 0 && c == L'.' && !sawDot) {
            sawDot = true;
            continue;
        }
        if (!isDigit(c)) {
            return share;
        }
        sawDigit = true;
        if (field == 0 && sawDot) {
            share.percent += (c - L'0') * fractionScale;
            fractionScale /= 10;
        } else if (field == 0) {
            whole = whole * 10 + static_cast<std::uint64_t>(c - L'0');
            wholeAbove100 = wholeAbove100 || whole > 100;
            whole = wholeAbove100 ? 101 : whole;  // saturates: only "above 100" matters
        } else {
            std::uint64_t& number = field == 1 ? share.floor : share.ceiling;
            tooLarge = tooLarge || !appendDigit(number, c);
        }
    }
    if (!sawDigit) {
        return share;
    }
    share.percent = wholeAbove100 ? 100.0 : std::min(100.0, static_cast<double>(whole) + share.percent);
    share.form = tooLarge || share.floor > kMax / 1024 || share.ceiling > kMax / 1024 ? MemoryShare::Form::TooLarge
                                                                                      : MemoryShare::Form::Share;
    return share;
}

bool resolveMemoryPercent(std::wstring& parameter, const MemoryStatus& memory) {
    const MemoryShare share = parseMemoryShare(parameter);
    if (share.form != MemoryShare::Form::Share) {
        return share.form == MemoryShare::Form::NotAShare;
    }
    const wchar_t letter = parameter.back();
    const std::uint64_t base =
        (letter == L'P' || letter == L'p' ? memory.totalPhysical : memory.availableVirtual) >> 10;
    // At most the whole base, so it always fits.
    std::uint64_t kilobytes = static_cast<std::uint64_t>(static_cast<double>(base) * (share.percent / 100.0));
    kilobytes = std::min(kilobytes, base);
    if (share.ceiling != 0 && kilobytes > share.ceiling * 1024) {
        kilobytes = share.ceiling * 1024;
    }
    if (share.floor * 1024 > kilobytes) {
        kilobytes = share.floor * 1024;
    }
    parameter = parameter.substr(0, 4) + decimalText(kilobytes) + L"K";
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
    if (parameter.empty()) {
        return;
    }
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
