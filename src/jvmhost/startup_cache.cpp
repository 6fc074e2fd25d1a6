#include "jvmhost/startup_cache.h"

#include <algorithm>
#include <cstdlib>
#include <utility>

#include "common/file_reader.h"
#include "common/paths.h"
#include "common/text.h"
#include "common/trace.h"
#include "common/utf8_text.h"
#include "jvmhost/vm_output.h"

namespace jlaunch {

namespace {

// Enough for the runtimes an application switches between, few enough to
// keep the folder small: an AOT cache is tens of megabytes.
constexpr std::size_t kCachesKept = 3;

void hashBytes(std::uint64_t& hash, const void* data, std::size_t size) {
    const auto* bytes = static_cast<const unsigned char*>(data);
    for (std::size_t i = 0; i < size; ++i) {
        hash = (hash ^ bytes[i]) * 0x100000001b3ULL;
    }
}

// The application's own choices about class data leave the launcher's out.
bool choosesClassDataItself(std::string_view option) {
    for (std::string_view word : {"-Xshare:off", "-Xshare:dump", "SharedArchiveFile", "ArchiveClassesAtExit",
                                  "AOTCache", "AOTMode", "AOTConfiguration"}) {
        if (option.find(word) != std::string_view::npos) {
            return true;
        }
    }
    return false;
}

std::string readSmallFile(const std::wstring& path) {
    FileReader reader(path);
    std::string text;
    if (reader.isOpen() && reader.size() < 65536) {
        text.resize(static_cast<std::size_t>(reader.size()));
        if (!reader.readAt(0, text.size(), text.data())) {
            text.clear();
        }
    }
    return text;
}

std::wstring cacheFolderName(const LauncherSettings& settings, const std::wstring& executable) {
    return safePathComponent(applicationName(executable, settings.productName)).value_or(L"jlaunch");
}

// A dynamic archive begins with its magic number; a runtime that cannot
// read one goes on silently without it, so a damaged one is caught here.
bool looksLikeDynamicArchive(const std::wstring& path) {
    unsigned char magic[4] = {};
    return FileReader(path).readAt(0, sizeof magic, magic) && magic[0] == 0xa8 && magic[1] == 0xab &&
           magic[2] == 0x0b && magic[3] == 0xf0;
}

// Adds the files a class or module path option names, with their sizes and
// times, so that a changed jar makes another name; says why a path cannot be
// cached, or nothing.
std::string_view addPathFacts(CacheKey& key, std::string_view option) {
    constexpr std::string_view classPath = "-Djava.class.path=";
    constexpr std::string_view modulePath = "--module-path=";
    const bool isClassPath = option.starts_with(classPath);
    if (!isClassPath && !option.starts_with(modulePath)) {
        return {};
    }
    for (std::size_t start = isClassPath ? classPath.size() : modulePath.size(), end = 0; start < option.size();
         start = end + 1) {
        end = std::min(option.find(static_cast<char>(kPathListSeparator), start), option.size());
        const std::wstring entry = toWide(option.substr(start, end - start));
        const auto facts = cache_files::fileFacts(entry);
        key.add(entry, facts.size, facts.time);
        if (facts.isFolder && isClassPath) {
            return "a folder on the class path: the runtime caches only jars";
        }
        if (facts.isFolder) {
            // A module path folder holds the jars: each counts.
            FileFinder finder;
            for (bool found = finder.find(entry + kPathSeparator + L"*"); found; found = finder.next()) {
                const std::wstring name = finder.fileName();
                if (name == L"." || name == L"..") {
                    continue;  // their times change with everything beside them
                }
                const auto jar = cache_files::fileFacts(entry + kPathSeparator + name);
                key.add(name, jar.size, jar.time);
            }
        }
    }
    return {};
}

// At namespace scope, so that no thread-safe first-use guard is needed.
StartupCachePlan thePendingPlan;

StartupCachePlan& pendingPlan() {
    return thePendingPlan;
}

void pruneCaches(const std::wstring& folder) {
    std::vector<CacheFile> caches;
    FileFinder finder;
    for (bool found = finder.find(folder + kPathSeparator + L"*"); found; found = finder.next()) {
        std::wstring name = finder.fileName();
        if (name.size() == 24 && (name.starts_with(L"aot-") || name.starts_with(L"cds-"))) {
            const std::int64_t time = cache_files::fileFacts(folder + kPathSeparator + name).time;
            caches.push_back({std::move(name), time});
        }
    }
    for (const std::wstring& name : cachesToRemove(std::move(caches), kCachesKept)) {
        trace("startup cache: removing the older cache ", name);
        cache_files::removeFile(folder + kPathSeparator + name);
    }
}

// The VM has written the record of this launch; a child makes the cache of
// it, with its output kept for the trace, off the user's console.
void makeAotCache(const StartupCachePlan& plan) {
    const CachePaths& paths = plan.paths;
    if (cache_files::fileFacts(paths.configuration).size == 0) {
        trace("startup cache: the runtime recorded nothing to make the cache of");
        return;
    }
    const std::wstring request = paths.configuration + L".request";
    const std::wstring output = paths.configuration + L".out";
    const auto text = childRequestText(plan.jvmLibraryPath, plan.createOptions);
    if (!text) {
        trace("startup cache: an option holds a line break; no cache is made");
    } else if (!cache_files::writeNewFile(request, *text)) {
        trace("startup cache: cannot write ", request);
    } else {
        trace("startup cache: making the AOT cache in a child process");
        // Only the child sees these: the application has ended.
        setEnvironmentVariable(kStartupCacheChildVariable, request);
        if (traceEnabled()) {
            setEnvironmentVariable(kTraceVariable, L"-");
        }
        const auto exitCode = cache_files::runHiddenChild(plan.executable, output);
        removeEnvironmentVariable(kStartupCacheChildVariable);
        removeEnvironmentVariable(kTraceVariable);
        const std::string said = readSmallFile(output);
        trace("startup cache: the child ended with ", exitCode ? decimalText(*exitCode) : L"no start",
              ", saying: ", toWide(said));
    }
    for (const std::wstring* path : {&request, &output, &paths.configuration}) {
        cache_files::removeFile(*path);
    }
}

void finishPendingPlan() {
    // Once: the VM's exit hook may have finished it before the process's own exit.
    const StartupCachePlan plan = std::exchange(pendingPlan(), {});
    const CachePaths& paths = plan.paths;
    if (paths.cache.empty()) {
        return;
    }
    if (!paths.log.empty()) {
        if (cache_files::fileFacts(paths.log).size > 0) {
            trace("startup cache: the runtime rejected the cache; it is removed and made again");
            cache_files::removeFile(paths.cache);
        }
        cache_files::removeFile(paths.log);
    }
    if (!paths.configuration.empty()) {
        makeAotCache(plan);
    }
    if (!paths.temporary.empty()) {
        // Renaming replaces a cache another launch made meanwhile: both are sound.
        const bool made =
            cache_files::fileFacts(paths.temporary).size > 0 && cache_files::renameFile(paths.temporary, paths.cache);
        trace("startup cache: ", made ? "made " : "none made for ", paths.cache);
        cache_files::removeFile(paths.temporary);
    }
    pruneCaches(parentPath(paths.cache, 1));
}

}  // namespace

CacheKind chooseCacheKind(int featureVersion) {
    if (featureVersion >= 25) {
        return CacheKind::AotCache;
    }
    if (featureVersion >= 19) {
        return CacheKind::AutoDynamicArchive;
    }
    return featureVersion >= 13 ? CacheKind::DynamicArchive : CacheKind::None;
}

const char* cacheKindName(CacheKind kind) {
    switch (kind) {
        case CacheKind::AotCache:
            return "AOT cache";
        case CacheKind::AutoDynamicArchive:
            return "dynamic class-data archive, remade by the runtime";
        case CacheKind::DynamicArchive:
            return "dynamic class-data archive";
        case CacheKind::None:
            break;
    }
    return "none (the runtime is older than Java 13 or its version is unknown)";
}

int releaseFeatureVersion(std::string_view releaseText) {
    constexpr std::string_view key = "JAVA_VERSION=\"";
    std::size_t position = releaseText.find(key);
    while (position != std::string_view::npos && position != 0 && releaseText[position - 1] != '\n') {
        position = releaseText.find(key, position + 1);
    }
    if (position == std::string_view::npos) {
        return 0;
    }
    auto number = [&](std::size_t& at) {
        int value = 0;
        for (; at < releaseText.size() && releaseText[at] >= '0' && releaseText[at] <= '9' && value < 10000; ++at) {
            value = value * 10 + (releaseText[at] - '0');
        }
        return value;
    };
    std::size_t at = position + key.size();
    int feature = number(at);
    if (feature == 1 && at < releaseText.size() && releaseText[at] == '.') {
        ++at;
        feature = number(at);  // "1.8.0" is Java 8
    }
    return feature;
}

void CacheKey::add(std::wstring_view text, std::uint64_t size, std::int64_t time) {
    for (const wchar_t c : text) {
        const auto unit = static_cast<std::uint32_t>(c);
        hashBytes(hash_, &unit, sizeof unit);
    }
    // The length keeps "ab","c" apart from "a","bc".
    const std::uint64_t facts[] = {text.size(), size, static_cast<std::uint64_t>(time)};
    hashBytes(hash_, facts, sizeof facts);
}

void CacheKey::add(std::string_view text) {
    hashBytes(hash_, text.data(), text.size());
    const std::uint64_t length = text.size();
    hashBytes(hash_, &length, sizeof length);
}

std::wstring CacheKey::fileName(CacheKind kind) const {
    const bool aot = kind == CacheKind::AotCache;
    // The kind is part of the name: one runtime's archive never meets another's options.
    std::uint64_t hash = hash_;
    const auto kindNumber = static_cast<std::uint32_t>(kind);
    hashBytes(hash, &kindNumber, sizeof kindNumber);
    std::wstring name = aot ? L"aot-" : L"cds-";
    for (int shift = 60; shift >= 0; shift -= 4) {
        name.push_back(L"0123456789abcdef"[(hash >> shift) & 0xF]);
    }
    name += aot ? L".aot" : L".jsa";
    return name;
}

CachePaths cachePathsFor(CacheKind kind, bool exists, const std::wstring& cachePath, std::uint32_t processId) {
    // The process's number keeps two launches at once apart.
    const std::wstring own = cachePath + L"." + decimalText(processId);
    CachePaths paths;
    paths.cache = cachePath;
    if (exists) {
        paths.log = own + L".log";
    } else {
        paths.temporary = own + L".tmp";
        if (kind == CacheKind::AotCache) {
            paths.configuration = own + L".aotconf";
        }
    }
    return paths;
}

std::vector<std::wstring> cacheOptions(CacheKind kind, bool exists, const CachePaths& paths) {
    switch (kind) {
        case CacheKind::AotCache:
            if (!exists) {
                // Recorded here, made by a child once the application ended:
                // the one-step form would have the runtime's java print its
                // progress on the user's console.
                return {L"-XX:AOTMode=record", L"-XX:AOTConfiguration=" + paths.configuration};
            }
            // A rejected cache is told in the log file instead of on the console.
            return {L"-Xlog:aot=off,cds=off", L"-Xlog:aot=error:file=" + paths.log + L"::filecount=0",
                    L"-XX:AOTCache=" + paths.cache};
        case CacheKind::AutoDynamicArchive:
            if (exists) {
                return {L"-XX:+AutoCreateSharedArchive", L"-XX:SharedArchiveFile=" + paths.cache};
            }
            return {L"-XX:ArchiveClassesAtExit=" + paths.temporary};
        case CacheKind::DynamicArchive:
            if (exists) {
                return {L"-XX:SharedArchiveFile=" + paths.cache};
            }
            return {L"-XX:ArchiveClassesAtExit=" + paths.temporary};
        case CacheKind::None:
            break;
    }
    return {};
}

std::vector<std::string> aotCreateOptions(const std::vector<std::string>& launchOptions, const CachePaths& paths) {
    std::vector<std::string> options;
    for (const std::string& option : launchOptions) {
        if (!choosesClassDataItself(option)) {
            options.push_back(option);
        }
    }
    options.push_back("-XX:AOTMode=create");
    options.push_back(toNarrow(L"-XX:AOTConfiguration=" + paths.configuration));
    options.push_back(toNarrow(L"-XX:AOTCache=" + paths.temporary));
    return options;
}

std::optional<std::string> childRequestText(const std::wstring& jvmLibraryPath,
                                            const std::vector<std::string>& options) {
    std::string text = toUtf8(jvmLibraryPath);
    for (const std::string& option : options) {
        text.push_back('\n');
        text.append(option);
    }
    if (std::count(text.begin(), text.end(), '\n') != static_cast<std::ptrdiff_t>(options.size()) ||
        text.find('\r') != std::string::npos || text.find('\0') != std::string::npos) {
        return std::nullopt;
    }
    return text;
}

std::optional<ChildRequest> parseChildRequest(std::string_view text) {
    const std::size_t end = text.find('\n');
    const auto library = fromUtf8(text.substr(0, end));
    if (!library || library->empty()) {
        return std::nullopt;
    }
    ChildRequest request{*library, {}};
    for (std::size_t start = end; start != std::string_view::npos && start < text.size();) {
        const std::size_t next = text.find('\n', start + 1);
        request.options.emplace_back(text.substr(start + 1, next == std::string_view::npos ? next : next - start - 1));
        start = next;
    }
    return request;
}

std::vector<std::wstring> cachesToRemove(std::vector<CacheFile> caches, std::size_t keep) {
    // A handful of files: picking the oldest again each time is plenty.
    std::vector<std::wstring> removed;
    while (caches.size() > keep) {
        auto oldest = caches.begin();
        for (auto it = caches.begin(); it != caches.end(); ++it) {
            if (it->time < oldest->time || (it->time == oldest->time && it->name < oldest->name)) {
                oldest = it;
            }
        }
        removed.push_back(std::move(oldest->name));
        caches.erase(oldest);
    }
    return removed;
}

StartupCachePlan planStartupCache(const LauncherSettings& settings, const std::wstring& jvmLibraryPath,
                                  const std::wstring& executable, const Environment& environment,
                                  std::vector<std::string>& vmOptions) {
    if (!settings.startupCache) {
        return {};
    }
    const std::wstring home = parentPath(jvmLibraryPath, 3);
    const std::string release = readSmallFile(home + kPathSeparator + L"release");
    const int feature = releaseFeatureVersion(release);
    const CacheKind kind = chooseCacheKind(feature);
    trace("startup cache: the runtime in ", home, " is Java ", feature, ": ", cacheKindName(kind));
    if (kind == CacheKind::None) {
        return {};
    }

    CacheKey key;
    const auto library = cache_files::fileFacts(jvmLibraryPath);
    key.add(jvmLibraryPath, library.size, library.time);
    key.add(release);
    for (const std::string& option : vmOptions) {
        key.add(option);
        const std::string_view why =
            choosesClassDataItself(option) ? std::string_view(option) : addPathFacts(key, option);
        if (!why.empty()) {
            trace("startup cache: none, for ", why);
            return {};
        }
    }

    const std::wstring folder = cache_files::userCacheFolder(cacheFolderName(settings, executable), environment);
    if (folder.empty() || !cache_files::createPrivateFolder(folder)) {
        trace("startup cache: none, the folder ", folder, " cannot be made");
        return {};
    }
    const std::wstring cachePath = folder + kPathSeparator + key.fileName(kind);
    const auto cache = cache_files::fileFacts(cachePath);
    bool exists = cache.size > 0 && !cache.isFolder;
    if (exists && kind != CacheKind::AotCache && !looksLikeDynamicArchive(cachePath)) {
        cache_files::removeFile(cachePath);
        exists = false;
    }
    trace("startup cache: ", exists ? "using " : "to be made when the application ends: ", cachePath);
    if (exists) {
        cache_files::touchFile(cachePath);
    }
    StartupCachePlan plan;
    plan.paths = cachePathsFor(kind, exists, cachePath, cache_files::processId());
    if (!plan.paths.configuration.empty()) {
        plan.executable = executable;
        plan.jvmLibraryPath = jvmLibraryPath;
        plan.createOptions = aotCreateOptions(vmOptions, plan.paths);
    }
    for (const std::wstring& option : cacheOptions(kind, exists, plan.paths)) {
        vmOptions.push_back(toNarrow(option));
    }
    return plan;
}

void finishStartupCacheAtExit(StartupCachePlan plan) {
    if (plan.paths.cache.empty()) {
        return;
    }
    if (!plan.paths.configuration.empty()) {
        // The record's one line on the console, at the end of a first launch.
        setQuietVmText("AOTConfiguration recorded: " + toNarrow(plan.paths.configuration));
    }
    pendingPlan() = std::move(plan);
    // The VM ends the process itself on System.exit: an exit handler sees the
    // normal end, and the VM's exit hook the other (on Windows the runtime's
    // C library ends the process without running this program's handlers).
    if (std::atexit(finishPendingPlan) != 0) {
        trace("startup cache: no exit handler, the cache is not finished");
    }
}

void finishStartupCacheNow() {
    finishPendingPlan();
}

void dropStartupCacheInUse() {
    const StartupCachePlan plan = std::exchange(pendingPlan(), {});
    if (!plan.paths.log.empty()) {
        trace("startup cache: the VM crashed while starting with ", plan.paths.cache, "; it is removed");
        cache_files::removeFile(plan.paths.cache);
        cache_files::removeFile(plan.paths.log);
    }
    for (const std::wstring* own : {&plan.paths.temporary, &plan.paths.configuration}) {
        if (!own->empty()) {
            cache_files::removeFile(*own);
        }
    }
}

}  // namespace jlaunch
