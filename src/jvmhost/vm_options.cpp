#include "jvmhost/vm_options.h"

#include "common/paths.h"
#include "common/trace.h"
#include "common/split.h"

namespace jlaunch {

bool isAbsoluteClassPathEntry(std::wstring_view entry) {
    return entry.size() >= 2 && entry.find(L'*') == std::wstring_view::npos && isAbsolutePath(entry);
}

bool expandClassPathEntry(const std::wstring& entry, const std::wstring& launcherFolder, std::wstring& classPath) {
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
    bool matched = false;
    for (bool found = finder.find(pattern); found; found = finder.next()) {
        classPath += folder;
        if (folder.empty() || folder.back() != kPathSeparator) {
            classPath.push_back(kPathSeparator);
        }
        classPath += finder.fileName();
        classPath.push_back(kPathListSeparator);
        matched = true;
    }
    return matched;
}

std::size_t nextParameterEnd(std::wstring_view text, std::size_t start) {
    // Each character is looked at a bounded number of times, whatever the quotes.
    std::size_t position = start;
    while (position < text.size() && text[position] != L' ') {
        if (text[position] != L'"') {
            ++position;
            continue;
        }
        auto close = text.find(L'"', position + 1);
        if (close == std::wstring_view::npos) {
            // A quote without partner is a plain character: the next space ends.
            const auto space = text.find(L' ', position);
            return space == std::wstring_view::npos ? text.size() : space;
        }
        if (close + 1 < text.size() && text[close + 1] == L'"') {
            ++close;  // a doubled quote belongs to the quoted part
        }
        position = close + 1;
    }
    return position;
}

std::vector<std::wstring> splitVmParameters(std::wstring_view text) {
    // Spaces before, between and after the parameters never make one of their
    // own: a value from a "+" section begins with a space.
    std::vector<std::wstring> parameters;
    for (auto start = text.find_first_not_of(L' '); start != std::wstring_view::npos;
         start = text.find_first_not_of(L' ', start)) {
        const std::size_t end = nextParameterEnd(text, start);
        parameters.emplace_back(text.substr(start, end - start));
        start = end;
    }
    return parameters;
}

std::wstring besideExecutable(const std::wstring& written, const std::wstring& executable,
                              const Environment& environment) {
    return resolveJrePath(nativeSeparators(environment.expand(written)), executable);
}

std::vector<std::wstring> moduleOptions(const LauncherSettings& settings, const std::wstring& executable,
                                        const Environment& environment) {
    std::vector<std::wstring> options;
    std::wstring modulePath = L"--module-path=";
    const std::size_t empty = modulePath.size();
    for (const std::wstring& written : splitList(settings.modulePath, L";")) {
        if (written.empty()) {
            continue;
        }
        if (modulePath.size() > empty) {
            modulePath.push_back(kPathListSeparator);
        }
        modulePath.append(besideExecutable(written, executable, environment));
    }
    if (modulePath.size() > empty) {
        options.push_back(std::move(modulePath));
    }
    if (!settings.addModules.empty()) {
        options.push_back(L"--add-modules=" + settings.addModules);
    }
    if (!settings.mainModule.empty()) {
        // What "java -m" hands the VM: the module is resolved as a root.
        std::wstring root = L"-Djdk.module.main=";
        root.append(settings.mainModule, 0, settings.mainModule.find(L'/'));
        options.push_back(std::move(root));
    }
    return options;
}

AssembledOptions assembleVmOptions(const LauncherSettings& settings, const std::wstring& executable,
                                   const MemoryStatus& memory, const Environment& environment) {
    AssembledOptions assembled;
    const std::wstring launcherFolder = parentPath(executable, 1);
    std::wstring classPath;
    for (const std::wstring& written : splitList(settings.classPath, L";")) {
        const std::wstring entry = nativeSeparators(environment.expand(written));
        if (isAbsoluteClassPathEntry(entry)) {
            // Taken as written; the trace still tells when it names nothing.
            if (traceEnabled() && !pathExists(entry)) {
                trace("class path entry ", entry, " names nothing that exists (kept as written)");
            }
            classPath += entry;
            classPath.push_back(kPathListSeparator);
        } else if (!expandClassPathEntry(entry, launcherFolder, classPath)) {
            trace("class path entry ", entry, " matched nothing in ", launcherFolder);
            assembled.unmatchedEntries.push_back(entry);
        }
    }
    if (!settings.mainJar.empty()) {
        // As "java -jar": the jar leads; its manifest's Class-Path follows it.
        assembled.mainJar = besideExecutable(settings.mainJar, executable, environment);
        classPath = assembled.mainJar + kPathListSeparator + classPath;
    }
    if (settings.embeddedJar) {
        classPath = executable + kPathListSeparator + classPath;
    }
    assembled.hasClassPath = !classPath.empty();
    if (!assembled.hasClassPath && settings.mainModule.empty()) {
        return assembled;
    }

    std::vector<std::wstring> options;
    if (assembled.hasClassPath) {
        // Every entry is followed by a separator; the last one is dropped, as an
        // empty last element would put the current folder on the class path.
        classPath.pop_back();
        options.push_back(L"-Djava.class.path=" + classPath);
    }
    for (std::wstring& option : moduleOptions(settings, executable, environment)) {
        options.push_back(std::move(option));
    }
    for (std::wstring& parameter : splitVmParameters(settings.vmParameters)) {
        applyVmParameter(std::move(parameter), options, assembled.javaThreadStackSize, memory);
    }
    for (const std::wstring& option : options) {
        assembled.options.push_back(environment.expand(option));
    }

    // One settings file serves both platforms: "logs\out.log" names a folder on Linux too.
    assembled.output = {nativeSeparators(environment.expand(settings.outputFile)), settings.outputAppend};
    assembled.error = {nativeSeparators(environment.expand(settings.errorFile)), settings.errorAppend};
    for (std::wstring& argument : splitArguments(environment.expand(settings.cmd))) {
        if (!argument.empty()) {
            assembled.extraArguments.push_back(std::move(argument));
        }
    }
    return assembled;
}

}  // namespace jlaunch
