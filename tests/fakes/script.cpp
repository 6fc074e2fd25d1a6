#include "script.h"

#include <windows.h>

#include <charconv>
#include <limits>

#include "common/handles_win.h"
#include "fake_jvm_protocol.h"
#include "win_util.h"

namespace fake_jvm {

namespace {

std::string_view trim(std::string_view text) {
    const auto first = text.find_first_not_of(" \t");
    if (first == std::string_view::npos) return {};
    const auto last = text.find_last_not_of(" \t");
    return text.substr(first, last - first + 1);
}

bool parseInteger(std::string_view text, long long& value) {
    const char* end = text.data() + text.size();
    const auto [ptr, ec] = std::from_chars(text.data(), end, value);
    return ec == std::errc() && ptr == end && !text.empty();
}

bool parseJint(std::string_view text, jint& value) {
    long long wide = 0;
    if (!parseInteger(text, wide) || wide < std::numeric_limits<jint>::min() ||
        wide > std::numeric_limits<jint>::max()) {
        return false;
    }
    value = static_cast<jint>(wide);
    return true;
}

bool parseYesNo(std::string_view text, bool& value) {
    if (text == "yes") {
        value = true;
    } else if (text == "no") {
        value = false;
    } else {
        return false;
    }
    return true;
}

// A class name as the VM keeps it: slashes, no dots, not empty.
bool validClassName(std::string_view name) {
    return !name.empty() && name.find('.') == std::string_view::npos && name.find(' ') == std::string_view::npos;
}

bool parseAction(std::string_view value, Action& action, std::string& error) {
    const auto space = value.find(' ');
    const std::string_view verb = value.substr(0, space);
    const std::string_view rest = space == std::string_view::npos ? std::string_view() : value.substr(space + 1);
    using Kind = Action::Kind;
    if (verb == "return" || verb == "abort") {
        action.kind = verb == "return" ? Kind::Return : Kind::Abort;
        if (!rest.empty()) {
            error = std::string(verb) + " takes no argument";
            return false;
        }
        return true;
    }
    if (verb == "print-out" || verb == "print-err" || verb == "wait-file" || verb == "window") {
        action.kind = verb == "print-out"   ? Kind::PrintOut
                      : verb == "print-err" ? Kind::PrintErr
                      : verb == "window"    ? Kind::Window
                                            : Kind::WaitFile;
        action.text = unescapeText(rest);
        return true;
    }
    if (verb == "sleep" || verb == "thread" || verb == "exit") {
        action.kind = verb == "sleep" ? Kind::Sleep : verb == "thread" ? Kind::Thread : Kind::Exit;
        if (!parseInteger(rest, action.number) ||
            (action.kind == Kind::Exit ? (action.number < std::numeric_limits<jint>::min() ||
                                          action.number > std::numeric_limits<jint>::max())
                                       : (action.number < 0 || action.number > 600000))) {
            error = std::string(verb) + " needs a number, got \"" + std::string(rest) + "\"";
            return false;
        }
        return true;
    }
    if (verb == "throw") {
        action.kind = Kind::Throw;
        const auto classEnd = rest.find(' ');
        action.className = std::string(rest.substr(0, classEnd));
        if (!validClassName(action.className) || classEnd == std::string_view::npos) {
            error = "throw needs a class name in slash form and a stack trace text";
            return false;
        }
        action.text = unescapeText(rest.substr(classEnd + 1));
        return true;
    }
    error = "unknown action \"" + std::string(verb) + "\"";
    return false;
}

bool applyVmKey(Script& script, std::string_view key, std::string_view value, std::string& error) {
    if (key == "create-result") {
        if (!parseJint(value, script.createResult)) error = "create-result needs an integer";
    } else if (key == "create-wait-file") {
        script.createWaitFile = unescapeText(value);
    } else if (key == "check-options") {
        if (!parseYesNo(value, script.checkOptions)) error = "check-options is yes or no";
    } else if (key == "accept-option") {
        if (value.empty()) error = "accept-option needs an option prefix";
        script.acceptedOptionPrefixes.emplace_back(value);
    } else if (key == "create-delay") {
        if (!parseJint(value, script.createDelayMs) || script.createDelayMs < 0)
            error = "create-delay needs milliseconds";
    } else if (key == "default-stack-size") {
        if (!parseJint(value, script.defaultStackSize)) error = "default-stack-size needs an integer";
    } else if (key == "launcher-helper") {
        if (value == "real") {
            script.launcherHelper = LauncherHelperMode::Real;
        } else if (value == "class") {
            script.launcherHelper = LauncherHelperMode::Class;
        } else if (value == "null") {
            script.launcherHelper = LauncherHelperMode::Null;
        } else if (value == "missing") {
            script.launcherHelper = LauncherHelperMode::Missing;
        } else {
            error = "launcher-helper is real, class, null or missing";
        }
    } else if (key == "missing-class") {
        if (!validClassName(value)) error = "missing-class needs a class name in slash form";
        script.missingClasses.emplace(value);
    } else if (key == "missing-method") {
        // "class name signature", three words.
        const auto first = value.find(' ');
        const auto second = first == std::string_view::npos ? first : value.find(' ', first + 1);
        if (second == std::string_view::npos || value.find(' ', second + 1) != std::string_view::npos) {
            error = "missing-method needs \"class name signature\"";
        }
        script.missingMethods.emplace(value);
    } else {
        error = "unknown key \"" + std::string(key) + "\" in [vm]";
    }
    return error.empty();
}

bool applyClassKey(AppClass& app, std::string_view key, std::string_view value, std::string& error) {
    if (key == "main") {
        if (value == "static") {
            app.main = MainKind::Static;
        } else if (value == "none") {
            app.main = MainKind::None;
        } else if (value == "instance") {
            app.main = MainKind::Instance;
        } else {
            error = "main is static, none or instance";
        }
    } else if (key == "secondary-main") {
        if (value == "none") {
            app.secondary = SecondaryKind::None;
        } else if (value == "void") {
            app.secondary = SecondaryKind::Void;
        } else if (value == "int") {
            app.secondary = SecondaryKind::Int;
        } else {
            error = "secondary-main is none, void or int";
        }
    } else if (key == "secondary-result") {
        app.secondaryResultFromArgument = value == "first-argument";
        if (!app.secondaryResultFromArgument && !parseJint(value, app.secondaryResult)) {
            error = "secondary-result needs an integer or first-argument";
        }
    } else if (key == "action" || key == "secondary-action") {
        Action action;
        if (parseAction(value, action, error)) {
            (key == "action" ? app.mainActions : app.secondaryActions).push_back(std::move(action));
        }
    } else if (key == "load-error") {
        Action action;
        if (parseAction("throw " + std::string(value), action, error)) {
            app.loadError = std::move(action);
        }
    } else {
        error = "unknown key \"" + std::string(key) + "\" in a class section";
    }
    return error.empty();
}

Script defaults() {
    Script script;
    script.classes.emplace_back().name = "Main";
    return script;
}

}  // namespace

const AppClass* Script::appClass(std::string_view name) const {
    for (const auto& app : classes) {
        if (app.name == name) return &app;
    }
    return nullptr;
}

std::optional<Script> parseScript(std::string_view text, std::string& error) {
    if (text.starts_with("\xEF\xBB\xBF")) text.remove_prefix(3);
    Script script;
    enum class Section { None, Vm, Class } section = Section::None;
    int lineNumber = 0;
    while (!text.empty()) {
        ++lineNumber;
        const auto end = text.find('\n');
        std::string_view line = text.substr(0, end);
        text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
        if (line.ends_with('\r')) line.remove_suffix(1);
        line = trim(line);
        const auto fail = [&](const std::string& why) {
            error = "line " + std::to_string(lineNumber) + ": " + why;
            return std::nullopt;
        };
        if (line.empty() || line.front() == '#' || line.front() == ';') continue;
        if (line.front() == '[') {
            if (line.back() != ']') return fail("a section header ends with ]");
            const std::string_view header = trim(line.substr(1, line.size() - 2));
            if (header == "vm") {
                section = Section::Vm;
            } else if (header.starts_with("class ")) {
                const std::string name(trim(header.substr(6)));
                if (!validClassName(name)) return fail("a class section names a class in slash form");
                if (script.appClass(name) != nullptr) return fail("class " + name + " is declared twice");
                script.classes.emplace_back().name = name;
                section = Section::Class;
            } else {
                return fail("unknown section [" + std::string(header) + "]");
            }
            continue;
        }
        const auto equals = line.find('=');
        if (equals == std::string_view::npos) return fail("expected key = value");
        const std::string_view key = trim(line.substr(0, equals));
        const std::string_view value = trim(line.substr(equals + 1));
        std::string why;
        if (section == Section::None) return fail("key outside a section");
        if (section == Section::Vm ? !applyVmKey(script, key, value, why)
                                   : !applyClassKey(script.classes.back(), key, value, why)) {
            return fail(why);
        }
    }
    return script;
}

std::optional<Script> loadScript(std::string& error) {
    const auto variable = environmentVariable(kScriptVariable);
    if (!variable || variable->empty()) return defaults();
    const std::wstring& path = *variable;
    jlaunch::UniqueFileHandle file(CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                               OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    const std::string shownPath = escapeText(toU16(path));
    if (!file) {
        error = "cannot open the script " + shownPath + " (error " + std::to_string(GetLastError()) + ")";
        return std::nullopt;
    }
    std::string text;
    char chunk[4096];
    DWORD read = 0;
    while (ReadFile(file.get(), chunk, sizeof chunk, &read, nullptr) && read > 0) {
        text.append(chunk, read);
    }
    auto script = parseScript(text, error);
    if (!script) {
        error = shownPath + " " + error;
        return std::nullopt;
    }
    script->path = path;
    return script;
}

}  // namespace fake_jvm
