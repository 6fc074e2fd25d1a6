#pragma once
// A class-data cache per application and runtime, kept in the user's cache
// folder: made on a first launch, mapped by the VM on the next ones. It only
// ever speeds a launch up, so every failure of it is a trace line.
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "common/environment.h"
#include "settings/launcher_settings.h"

namespace jlaunch {

// What the runtime can map, newest first.
enum class CacheKind {
    None,
    AotCache,            // Java 25 and later, made by the runtime's own java executable
    AutoDynamicArchive,  // Java 19 and later: the runtime remakes one it rejects itself
    DynamicArchive,      // Java 13 to 18
};

CacheKind chooseCacheKind(int featureVersion, bool hasJavaExecutable);
const char* cacheKindName(CacheKind kind);

// The feature version of the runtime's "release" text (JAVA_VERSION="17.0.2"
// is 17, "1.8.0_402" is 8); 0 when it names none.
int releaseFeatureVersion(std::string_view releaseText);

// The name of a cache, made from every input it depends on: a change of any
// (a file's size or time included) makes another name.
class CacheKey {
public:
    void add(std::wstring_view text, std::uint64_t size = 0, std::int64_t time = 0);
    void add(std::string_view text);
    // The kind's prefix and extension around the hash.
    std::wstring fileName(CacheKind kind) const;

private:
    std::uint64_t hash_ = 0xcbf29ce484222325ULL;
};

// The VM options that use the cache at `cachePath` when it exists, or make
// it under `temporaryPath`; a rejected AOT cache is reported to `logPath`.
std::vector<std::wstring> cacheOptions(CacheKind kind, bool exists, const std::wstring& cachePath,
                                       const std::wstring& temporaryPath, const std::wstring& logPath);

struct CacheFile {
    std::wstring name;
    std::int64_t time = 0;
};

// The names of the caches beyond the `keep` most recently used, oldest first.
std::vector<std::wstring> cachesToRemove(std::vector<CacheFile> caches, std::size_t keep);

// What a launch does about the cache once the application has ended.
struct StartupCachePlan {
    std::wstring cachePath;      // empty: no cache this launch
    std::wstring temporaryPath;  // made this launch; renamed to cachePath
    std::wstring logPath;        // where the runtime tells it rejected the cache
};

// Decides the cache of this launch and adds its options to `vmOptions`.
StartupCachePlan planStartupCache(const LauncherSettings& settings, const std::wstring& jvmLibraryPath,
                                  const std::wstring& executable, const Environment& environment,
                                  std::vector<std::string>& vmOptions);

// Arranges for the plan to be completed when the process exits, whichever
// way the VM ends it: the new cache renamed in place, a rejected one
// removed, the oldest beyond a few removed.
void finishStartupCacheAtExit(StartupCachePlan plan);
// Completes the arranged plan at once (the VM is ending the process); later
// calls and the exit handler then find nothing to do.
void finishStartupCacheNow();

// The platform's part.
namespace cache_files {
// The user's cache folder for the application `name`; empty when unknown.
std::wstring userCacheFolder(const std::wstring& name, const Environment& environment);
// Creates the folder (and its missing parent) for this user only.
bool createPrivateFolder(const std::wstring& folder);
struct FileFacts {
    bool exists = false;
    bool isFolder = false;
    std::uint64_t size = 0;
    std::int64_t time = 0;
};
FileFacts fileFacts(const std::wstring& path);
bool renameFile(const std::wstring& from, const std::wstring& to);
void removeFile(const std::wstring& path);
// Marks the file as used now, so that it is kept over older ones.
void touchFile(const std::wstring& path);
std::uint32_t processId();
// The runtime's java executable, from its home folder.
std::wstring javaExecutable(const std::wstring& javaHome);
}  // namespace cache_files

}  // namespace jlaunch
