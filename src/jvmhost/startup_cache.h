#pragma once
// A class-data cache per application and runtime, kept in the user's cache
// folder: made on a first launch, mapped by the VM on the next ones. It only
// ever speeds a launch up, so every failure of it is a trace line.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "common/environment.h"
#include "settings/launcher_settings.h"

namespace jlaunch {

// What the runtime can map, newest first.
enum class CacheKind {
    None,
    AotCache,            // Java 25 and later: recorded in-process, made in a child after the end
    AutoDynamicArchive,  // Java 19 and later: the runtime remakes one it rejects itself
    DynamicArchive,      // Java 13 to 18
};

CacheKind chooseCacheKind(int featureVersion);
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

// The files of one launch's cache: the cache itself, and this launch's own
// names beside it.
struct CachePaths {
    std::wstring cache;
    std::wstring temporary;      // made this launch; renamed to `cache`
    std::wstring log;            // where the runtime tells it rejected the cache
    std::wstring configuration;  // the AOT training record of this launch
};
// The names a launch that uses (`exists`) or makes a cache of `kind` needs.
CachePaths cachePathsFor(CacheKind kind, bool exists, const std::wstring& cachePath, std::uint32_t processId);

// The VM options that use the cache when it exists, or make it (the AOT
// cache: record what the application loads; made from the record later).
std::vector<std::wstring> cacheOptions(CacheKind kind, bool exists, const CachePaths& paths);

// The options of the child that makes the AOT cache from `configuration`
// into `temporary`: the launch's own options (the class and module paths
// must match the record's), without the ones about class data.
std::vector<std::string> aotCreateOptions(const std::vector<std::string>& launchOptions, const CachePaths& paths);

// What that child is told: the VM library, then one option a line; nothing
// when an option cannot be told so.
std::optional<std::string> childRequestText(const std::wstring& jvmLibraryPath,
                                            const std::vector<std::string>& options);
struct ChildRequest {
    std::wstring jvmLibraryPath;
    std::vector<std::string> options;
};
std::optional<ChildRequest> parseChildRequest(std::string_view text);

// Set in the environment of the child that makes an AOT cache: the file that
// tells it what to make.
inline constexpr const wchar_t* kStartupCacheChildVariable = L"JLAUNCH_STARTUP_CACHE_REQUEST";

// In the child: when this process was started to make an AOT cache, makes
// it and gives the exit code; nothing otherwise.
std::optional<int> runStartupCacheChild();

struct CacheFile {
    std::wstring name;
    std::int64_t time = 0;
};

// The names of the caches beyond the `keep` most recently used, oldest first.
std::vector<std::wstring> cachesToRemove(std::vector<CacheFile> caches, std::size_t keep);

// What a launch does about the cache once the application has ended.
struct StartupCachePlan {
    // Empty `cache`: no cache this launch; of the others only those this
    // launch uses are set.
    CachePaths paths;
    // The AOT cache is made from the record by a child: this launcher,
    // hosting the VM at `jvmLibraryPath` with `createOptions`.
    std::wstring executable;
    std::wstring jvmLibraryPath;
    std::vector<std::string> createOptions;
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
// The VM crashed while it started: a cache it mapped may be what it crashed
// on (an older runtime maps a cut-off archive and faults), so it goes and is
// made again; nothing else of the plan is done.
void dropStartupCacheInUse();

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
// Writes a new file only this user may read; false when it exists or fails.
bool writeNewFile(const std::wstring& path, std::string_view bytes);
// Starts `executable` without a window, with no input, its output going to
// the new file `outputPath`, and waits for its exit code (nothing when it
// could not start).
std::optional<int> runHiddenChild(const std::wstring& executable, const std::wstring& outputPath);
}  // namespace cache_files

}  // namespace jlaunch
