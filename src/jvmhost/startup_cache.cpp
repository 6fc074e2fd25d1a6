#include "jvmhost/startup_cache.h"

#include <algorithm>
#include <cstdlib>
#include <utility>

#include "common/file_reader.h"
#include "common/paths.h"
#include "common/text.h"
#include "common/trace.h"

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

StartupCachePlan& pendingPlan() {
    static StartupCachePlan plan;
    return plan;
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

void finishPendingPlan() {
    // Once: the VM's exit hook may have finished it before the process's own exit.
    const StartupCachePlan plan = std::exchange(pendingPlan(), {});
    if (plan.cachePath.empty()) {
        return;
    }
    if (!plan.logPath.empty()) {
        if (cache_files::fileFacts(plan.logPath).size > 0) {
            trace("startup cache: the runtime rejected the cache; it is removed and made again");
            cache_files::removeFile(plan.cachePath);
        }
        cache_files::removeFile(plan.logPath);
    }
    if (!plan.temporaryPath.empty()) {
        // Renaming replaces a cache another launch made meanwhile: both are sound.
        const bool made = cache_files::fileFacts(plan.temporaryPath).size > 0 &&
                          cache_files::renameFile(plan.temporaryPath, plan.cachePath);
        trace("startup cache: ", made ? "made " : "none made for ", plan.cachePath);
        cache_files::removeFile(plan.temporaryPath);
    }
    pruneCaches(parentPath(plan.cachePath, 1));
}

}  // namespace

CacheKind chooseCacheKind(int featureVersion, bool hasJavaExecutable) {
    if (featureVersion >= 25 && hasJavaExecutable) {
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

std::vector<std::wstring> cacheOptions(CacheKind kind, bool exists, const std::wstring& cachePath,
                                       const std::wstring& temporaryPath, const std::wstring& logPath) {
    switch (kind) {
        case CacheKind::AotCache:
            if (!exists) {
                return {L"-XX:AOTCacheOutput=" + temporaryPath};
            }
            // A rejected cache is told in the log file instead of on the console.
            return {L"-Xlog:aot=off,cds=off", L"-Xlog:aot=error:file=" + logPath + L"::filecount=0",
                    L"-XX:AOTCache=" + cachePath};
        case CacheKind::AutoDynamicArchive:
            if (exists) {
                return {L"-XX:+AutoCreateSharedArchive", L"-XX:SharedArchiveFile=" + cachePath};
            }
            return {L"-XX:ArchiveClassesAtExit=" + temporaryPath};
        case CacheKind::DynamicArchive:
            if (exists) {
                return {L"-XX:SharedArchiveFile=" + cachePath};
            }
            return {L"-XX:ArchiveClassesAtExit=" + temporaryPath};
        case CacheKind::None:
            break;
    }
    return {};
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
    const bool hasJava = cache_files::fileFacts(cache_files::javaExecutable(home)).exists;
    const int feature = releaseFeatureVersion(release);
    const CacheKind kind = chooseCacheKind(feature, hasJava);
    trace("startup cache: the runtime in ", home, " is Java ", feature, ", java executable ", hasJava, ": ",
          cacheKindName(kind));
    if (kind == CacheKind::None) {
        return {};
    }

    CacheKey key;
    const auto library = cache_files::fileFacts(jvmLibraryPath);
    key.add(jvmLibraryPath, library.size, library.time);
    key.add(release);
    constexpr std::string_view classPathPrefix = "-Djava.class.path=";
    for (const std::string& option : vmOptions) {
        std::string_view why;
        if (choosesClassDataItself(option)) {
            why = option;
        }
        key.add(option);
        for (std::size_t start = classPathPrefix.size(), end = 0;
             why.empty() && option.starts_with(classPathPrefix) && start < option.size(); start = end + 1) {
            end = std::min(option.find(static_cast<char>(kPathListSeparator), start), option.size());
            const std::wstring entry = toWide(std::string_view(option).substr(start, end - start));
            const auto facts = cache_files::fileFacts(entry);
            if (facts.isFolder) {
                why = "a folder on the class path: the runtime caches only jars";
            }
            key.add(entry, facts.size, facts.time);
        }
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
    StartupCachePlan plan;
    plan.cachePath = folder + kPathSeparator + key.fileName(kind);
    const auto cache = cache_files::fileFacts(plan.cachePath);
    bool exists = cache.size > 0 && !cache.isFolder;
    if (exists && kind != CacheKind::AotCache && !looksLikeDynamicArchive(plan.cachePath)) {
        cache_files::removeFile(plan.cachePath);
        exists = false;
    }
    trace("startup cache: ", exists ? "using " : "to be made when the application ends: ", plan.cachePath);
    std::wstring& own = exists ? plan.logPath : plan.temporaryPath;
    own = plan.cachePath + L"." + decimalText(cache_files::processId()) + (exists ? L".log" : L".tmp");
    if (exists) {
        cache_files::touchFile(plan.cachePath);
    }
    for (const std::wstring& option : cacheOptions(kind, exists, plan.cachePath, plan.temporaryPath, plan.logPath)) {
        vmOptions.push_back(toNarrow(option));
    }
    return plan;
}

void finishStartupCacheAtExit(StartupCachePlan plan) {
    if (plan.cachePath.empty()) {
        return;
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

}  // namespace jlaunch
