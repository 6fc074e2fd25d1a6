#include "common/environment.h"

#include "common/system.h"

namespace jlaunch {

Environment Environment::ofProcess() {
    return Environment([](const std::wstring& name) { return environmentVariable(name); });
}

namespace {

// Sets `name` in `variables`, keeping the order in which names came first.
void assign(std::vector<EnvironmentVariable>& variables, const std::wstring& name, const std::wstring& value) {
    for (EnvironmentVariable& variable : variables) {
        if (sameVariableName(variable.name, name)) {
            variable.value = value;
            return;
        }
    }
    variables.push_back({name, value});
}

}  // namespace

std::optional<std::wstring> Environment::get(const std::wstring& name) const {
    for (const EnvironmentVariable& own : launchValues_) {
        if (sameVariableName(own.name, name)) {
            return own.value;
        }
    }
    for (const EnvironmentVariable& change : changes_) {
        if (sameVariableName(change.name, name)) {
            return change.value;
        }
    }
    return base_ ? base_(name) : std::nullopt;
}

void Environment::set(const std::wstring& name, const std::wstring& value) {
    assign(changes_, name, value);
}

void Environment::setLaunchValue(const std::wstring& name, const std::wstring& value) {
    assign(launchValues_, name, value);
}

std::wstring Environment::expand(std::wstring_view text) const {
    std::wstring out;
    out.reserve(text.size());
    std::size_t position = 0;
    while (position < text.size()) {
        const auto open = text.find(L'%', position);
        const auto close = open == std::wstring_view::npos ? open : text.find(L'%', open + 1);
        if (close == std::wstring_view::npos) {
            break;
        }
        out.append(text, position, open - position);
        const std::wstring name(text.substr(open + 1, close - open - 1));
        const auto value = name.empty() ? std::nullopt : get(name);
        // An unknown reference stays as written, its closing "%" included.
        out += value ? *value : std::wstring(text.substr(open, close - open + 1));
        position = close + 1;
    }
    out.append(text.substr(position));
    return out;
}

void applyEnvironment(const std::vector<EnvironmentVariable>& variables) {
    for (const EnvironmentVariable& variable : variables) {
        setEnvironmentVariable(variable.name, variable.value);
    }
}

}  // namespace jlaunch
