#include "jvmhost/vm_options.h"

#include "common/environment.h"
#include "common/paths.h"
#include "common/system.h"
#include "common/text.h"
#include "jvmhost/memory_options.h"
#include "launcher/errors.h"
#include "launcher/launcher.h"
#include "settings/command_line.h"
#include "settings/launcher_settings.h"
#include "settings/settings_file.h"

namespace jlaunch {

bool isAbsoluteClassPathEntry(std::wstring_view entry) {
    return entry.size() >= 2 && entry.find(L'*') == std::wstring_view::npos && isAbsolutePath(entry);
}

void expandClassPathEntry(const std::wstring& entry, const std::wstring& launcherFolder, std::wstring& classPath) {
    std::wstring pattern;
    std::wstring folder;
    if (isAbsolutePath(entry)) {
        pattern = entry;
        const auto cut = entry.rfind(kPathSeparator);
        folder = cut == std::wstring::npos ? std::wstring() : entry.substr(0, cut == entry.size() - 1 ? cut + 1 : cut);
    } else {
        pattern = launcherFolder + kPathSeparator + entry;
        folder = launcherFolder;
        const auto cut = entry.rfind(kPathSeparator);
        if (cut != std::wstring::npos && cut != 0) {
            folder += kPathSeparator + entry.substr(0, cut);
        }
    }
    FileFinder finder;
    for (bool found = finder.find(pattern); found; found = finder.next()) {
        classPath += folder;
        if (folder.empty() || folder.back() != kPathSeparator) {
            classPath.push_back(kPathSeparator);
        }
        classPath += finder.fileName();
        classPath.push_back(kClassPathSeparator);
    }
}

std::size_t nextParameterEnd(std::wstring_view text, std::size_t start) {
    const auto spaceFrom = [&text](std::size_t from) {
        const auto space = text.find(L' ', from);
        return space == std::wstring_view::npos ? text.size() : space;
    };
    std::size_t space = spaceFrom(start);
    std::size_t quote = text.find(L'"', start);
    while (quote != std::wstring_view::npos) {
        if (space < quote) {
            return space;
        }
        std::size_t close = text.find(L'"', quote + 1);
        if (close == std::wstring_view::npos) {
            return space;
        }
        if (close + 1 < text.size() && text[close + 1] == L'"') {
            ++close;  // a doubled quote belongs to the quoted part
        }
        quote = text.find(L'"', close + 1);
        space = spaceFrom(close + 1);
    }
    return space;
}

std::vector<std::wstring> splitVmParameters(std::wstring_view text) {
    std::vector<std::wstring> parameters;
    std::size_t start = 0;
    while (start < text.size()) {
        const std::size_t end = nextParameterEnd(text, start);
        parameters.emplace_back(text.substr(start, end - start));
        start = text.find_first_not_of(L' ', end);
        if (start == std::wstring_view::npos) {
            break;
        }
    }
    return parameters;
}

bool assembleVmOptions(Launcher& launcher) {
    auto store = openMainSettings();
    if (!store) {
        return false;
    }
    const auto read = [&store](const wchar_t* section, const wchar_t* key) {
        return readSetting(*store, section, key);
    };
    std::uint32_t error = 0;
    const std::wstring executable = executablePath(error).value_or(std::wstring());
    const std::wstring launcherFolder = parentPath(executable, 1);

    std::wstring classPath;
    for (std::wstring entry : splitList(read(L"Class Path", L"Class Path"), L";")) {
        expandEnvironment(entry);
        entry = nativeSeparators(std::move(entry));
        if (isAbsoluteClassPathEntry(entry)) {
            classPath += entry;
            classPath.push_back(kClassPathSeparator);
        } else {
            expandClassPathEntry(entry, launcherFolder, classPath);
        }
    }
    if (parseYes(read(L"Application", L"Embedded Jar"))) {
        classPath = executable + kClassPathSeparator + classPath;
    }
    if (classPath.empty()) {
        showError(launcher.splashWindowHandle, kMsgClassPathMissing);
        return false;
    }

    // Every entry is followed by a separator; the last one is dropped, as an
    // empty last element would put the current folder on the class path.
    classPath.pop_back();
    std::vector<std::wstring> options{L"-Djava.class.path=" + classPath};
    const MemoryStatus memory = memoryStatus();
    for (std::wstring& parameter :
         splitVmParameters(read(L"Java Runtime Environment", L"Virtual Machine Parameters"))) {
        applyVmParameter(std::move(parameter), options, launcher.javaThreadStackSize, memory);
    }
    for (std::wstring& option : options) {
        expandEnvironment(option);
        launcher.vmOptions.push_back(toNarrow(option));
    }

    launcher.outputFile = read(L"Application", L"Output File");
    expandEnvironment(launcher.outputFile);
    launcher.outputAppend = read(L"Application", L"Output Append") == L"yes";
    launcher.errorFile = read(L"Application", L"Error File");
    expandEnvironment(launcher.errorFile);
    launcher.errorAppend = read(L"Application", L"Error Append") == L"yes";

    std::wstring cmd = read(L"Application", L"Cmd");
    if (!cmd.empty()) {
        expandEnvironment(cmd);
        for (std::wstring& argument : splitArguments(cmd)) {
            if (!argument.empty()) {
                launcher.javaArguments.push_back(std::move(argument));
            }
        }
    }
    return true;
}

}  // namespace jlaunch
