#pragma once
// The environment a launch sees: the process's variables, the changes the
// launch plans on top of them, and %VAR% expansion over both.
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace jlaunch {

struct EnvironmentVariable {
    std::wstring name;
    std::wstring value;

    bool operator==(const EnvironmentVariable&) const = default;
};

class Environment {
public:
    using Lookup = std::function<std::optional<std::wstring>(const std::wstring& name)>;

    // Over the variables `base` answers; changes stay in this value.
    explicit Environment(Lookup base) : base_(std::move(base)) {}
    // Over this process's variables as they are now.
    static Environment ofProcess();

    // A launch's own value first, then a change, then the base.
    std::optional<std::wstring> get(const std::wstring& name) const;
    void set(const std::wstring& name, const std::wstring& value);
    // A value of this launch's own (%EXEDIR%): it wins over a variable of
    // that name in expansions, and is never set in the process.
    void setLaunchValue(const std::wstring& name, const std::wstring& value);
    // References between percent signs replaced by the variables' values, as
    // the Windows expansion does: a reference to a variable that does not
    // exist, "%%" and a lone "%" stay as written.
    std::wstring expand(std::wstring_view text) const;
    // The variables set, in the order first set, each with its last value.
    const std::vector<EnvironmentVariable>& changes() const { return changes_; }

private:
    Lookup base_;
    std::vector<EnvironmentVariable> launchValues_;
    std::vector<EnvironmentVariable> changes_;
};

// Sets a variable of this process (and of the processes it starts).
void setEnvironmentVariable(const std::wstring& name, const std::wstring& value);
// Removes a variable from this process (and from the processes it starts).
void removeEnvironmentVariable(const std::wstring& name);

// Sets the variables in this process (and so for the processes it starts).
void applyEnvironment(const std::vector<EnvironmentVariable>& variables);

// True when two names denote the same variable: ignoring case on Windows,
// exactly on Linux.
bool sameVariableName(std::wstring_view a, std::wstring_view b);

// The separator of search-path lists (the class path too): ";" on Windows,
// ":" on Linux, and the variable that holds the executable search path.
extern const wchar_t kPathListSeparator;
extern const wchar_t* const kSearchPathVariable;

}  // namespace jlaunch
