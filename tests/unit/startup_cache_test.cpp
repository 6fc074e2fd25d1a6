// The start-up cache's choices: which kind a runtime gets, what names it,
// which options use or make it, which old ones go, and when there is none.
#include <gtest/gtest.h>

#include <sys/stat.h>

#include <optional>
#include <string>
#include <vector>

#include "common/environment.h"
#include "jvmhost/startup_cache.h"
#include "test_support.h"

namespace {

using jlaunch::CacheKind;
using jlaunch::testing::TestFolder;
using Strings = std::vector<std::wstring>;

TEST(StartupCache, KindFollowsTheRuntimeVersion) {
    struct Case {
        int feature;
        bool hasJava;
        CacheKind expected;
    };
    const Case cases[] = {
        {0, true, CacheKind::None},
        {8, true, CacheKind::None},
        {12, true, CacheKind::None},
        {13, true, CacheKind::DynamicArchive},
        {18, false, CacheKind::DynamicArchive},
        {19, true, CacheKind::AutoDynamicArchive},
        {24, true, CacheKind::AutoDynamicArchive},
        {25, true, CacheKind::AotCache},
        {25, false, CacheKind::AutoDynamicArchive},
        {31, true, CacheKind::AotCache},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(jlaunch::chooseCacheKind(c.feature, c.hasJava), c.expected) << c.feature << " " << c.hasJava;
    }
}

TEST(StartupCache, FeatureVersionFromTheReleaseFile) {
    const std::pair<const char*, int> cases[] = {
        {"IMPLEMENTOR=\"Eclipse\"\nJAVA_VERSION=\"25.0.2\"\n", 25},
        {"JAVA_VERSION=\"17.0.17\"", 17},
        {"JAVA_VERSION=\"1.8.0_402\"\nOS_NAME=\"Linux\"\n", 8},
        {"JAVA_VERSION=\"21\"\n", 21},
        {"JAVA_RUNTIME_VERSION=\"22\"\nJAVA_VERSION=\"23-ea\"\n", 23},  // only the key itself counts
        {"XJAVA_VERSION=\"30\"\n", 0},
        {"JAVA_VERSION=\"\"\n", 0},
        {"", 0},
        {"JAVA_VERSION=\"99999999999999\"", 99999},  // bounded, never overflows
    };
    for (const auto& [text, feature] : cases) {
        EXPECT_EQ(jlaunch::releaseFeatureVersion(text), feature) << text;
    }
}

// The inputs of a name: the library with its facts, an option, a jar with its facts.
struct Inputs {
    std::wstring library = L"/jdk/lib/server/libjvm.so";
    std::uint64_t librarySize = 100;
    std::int64_t libraryTime = 5;
    std::string option = "-Xmx64m";
    std::wstring jar = L"/app/a.jar";
    std::uint64_t jarSize = 10;
    std::int64_t jarTime = 7;
    CacheKind kind = CacheKind::AotCache;

    std::wstring name() const {
        jlaunch::CacheKey key;
        key.add(library, librarySize, libraryTime);
        key.add(option);
        key.add(jar, jarSize, jarTime);
        return key.fileName(kind);
    }
};

TEST(StartupCache, EveryInputChangesTheName) {
    const std::wstring name = Inputs{}.name();
    EXPECT_EQ(name, Inputs{}.name());
    EXPECT_EQ(name.substr(0, 4), L"aot-");
    EXPECT_EQ(name.substr(name.size() - 4), L".aot");
    EXPECT_EQ(name.size(), 24u);

    using Change = void (*)(Inputs&);
    const Change changes[] = {
        [](Inputs& in) { in.jarSize = 11; },
        [](Inputs& in) { in.jarTime = 8; },
        [](Inputs& in) { in.librarySize = 101; },
        [](Inputs& in) { in.libraryTime = 6; },
        [](Inputs& in) { in.library = L"/jdk2/lib/server/libjvm.so"; },
        [](Inputs& in) { in.option = "-Xmx65m"; },
        [](Inputs& in) { in.jar = L"/app/b.jar"; },
        [](Inputs& in) { in.kind = CacheKind::AutoDynamicArchive; },
        [](Inputs& in) { in.kind = CacheKind::DynamicArchive; },
        // The same characters split otherwise are other inputs.
        [](Inputs& in) {
            in.option = "-Xmx64";
            in.jar = L"m/app/a.jar";
        },
    };
    std::vector<std::wstring> names{name};
    for (const Change change : changes) {
        Inputs changed;
        change(changed);
        names.push_back(changed.name());
    }
    for (std::size_t i = 0; i < names.size(); ++i) {
        for (std::size_t j = i + 1; j < names.size(); ++j) {
            EXPECT_NE(names[i], names[j]) << i << " " << j;
        }
    }
    Inputs dynamic;
    dynamic.kind = CacheKind::DynamicArchive;
    EXPECT_EQ(dynamic.name().substr(0, 4), L"cds-");
    EXPECT_EQ(dynamic.name().substr(20), L".jsa");
}

TEST(StartupCache, OptionsUseTheCacheOrMakeItUnderTheTemporaryName) {
    struct Case {
        CacheKind kind;
        bool exists;
        Strings expected;
    };
    const Case cases[] = {
        {CacheKind::AotCache, false, {L"-XX:AOTCacheOutput=c.tmp"}},
        {CacheKind::AotCache,
         true,
         {L"-Xlog:aot=off,cds=off", L"-Xlog:aot=error:file=c.log::filecount=0", L"-XX:AOTCache=c"}},
        {CacheKind::AutoDynamicArchive, false, {L"-XX:ArchiveClassesAtExit=c.tmp"}},
        {CacheKind::AutoDynamicArchive, true, {L"-XX:+AutoCreateSharedArchive", L"-XX:SharedArchiveFile=c"}},
        {CacheKind::DynamicArchive, false, {L"-XX:ArchiveClassesAtExit=c.tmp"}},
        {CacheKind::DynamicArchive, true, {L"-XX:SharedArchiveFile=c"}},
        {CacheKind::None, false, {}},
        {CacheKind::None, true, {}},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(jlaunch::cacheOptions(c.kind, c.exists, L"c", L"c.tmp", L"c.log"), c.expected)
            << static_cast<int>(c.kind) << " " << c.exists;
    }
}

TEST(StartupCache, TheOldestCachesBeyondTheLimitGo) {
    using Files = std::vector<jlaunch::CacheFile>;
    struct Case {
        Files files;
        std::size_t keep;
        Strings removed;
    };
    const Case cases[] = {
        {{}, 3, {}},
        {{{L"a", 1}, {L"b", 2}, {L"c", 3}}, 3, {}},
        {{{L"d", 4}, {L"a", 1}, {L"c", 3}, {L"b", 2}}, 3, {L"a"}},
        {{{L"d", 4}, {L"a", 1}, {L"c", 3}, {L"b", 2}, {L"e", 9}}, 2, {L"a", L"b", L"c"}},
        {{{L"y", 5}, {L"x", 5}}, 1, {L"x"}},  // equal times: by name, so always the same one
    };
    for (const Case& c : cases) {
        EXPECT_EQ(jlaunch::cachesToRemove(c.files, c.keep), c.removed);
    }
}

// A runtime folder as far as the cache looks at it.
struct FakeRuntime {
    explicit FakeRuntime(const TestFolder& folder, const char* version, bool withJava) {
        folder.write("jdk/release", std::string("JAVA_VERSION=\"") + version + "\"\n");
        library = folder.write("jdk/lib/server/libjvm.so", "elf").wstring();
        if (withJava) folder.write("jdk/bin/java", "elf");
    }
    std::wstring library;
};

TEST(StartupCache, PlanDecidesFromTheSettingsRuntimeAndClassPath) {
    struct Case {
        const char* name;
        const char* version;
        bool withJava;
        bool enabled;
        std::string classPath;  // below the test folder
        std::string vmParameter;
        std::wstring expectedPrefix;  // of the one cache option; empty for none
    };
    const Case cases[] = {
        {"AOT on 25", "25.0.2", true, true, "app.jar", "-Xmx64m", L"-XX:AOTCacheOutput="},
        {"dynamic without java", "25.0.2", false, true, "app.jar", "", L"-XX:ArchiveClassesAtExit="},
        {"dynamic on 17", "17.0.2", true, true, "app.jar", "", L"-XX:ArchiveClassesAtExit="},
        {"off", "25.0.2", true, false, "app.jar", "", L""},
        {"too old", "11.0.20", true, true, "app.jar", "", L""},
        {"folder on the class path", "25.0.2", true, true, "classes", "", L""},
        {"the application's own archive", "17.0.2", true, true, "app.jar", "-XX:SharedArchiveFile=/x.jsa", L""},
        {"sharing off", "17.0.2", true, true, "app.jar", "-Xshare:off", L""},
    };
    for (const Case& c : cases) {
        TestFolder folder;
        const FakeRuntime runtime(folder, c.version, c.withJava);
        folder.write("app.jar", "PK");
        std::filesystem::create_directories(folder.path() / "classes");
        jlaunch::LauncherSettings settings;
        settings.startupCache = c.enabled;
        const std::string cacheRoot = (folder.path() / "cache").string();
        jlaunch::Environment environment([&](const std::wstring& name) -> std::optional<std::wstring> {
            if (name == L"XDG_CACHE_HOME") return std::wstring(cacheRoot.begin(), cacheRoot.end());
            return std::nullopt;
        });
        std::vector<std::string> options{"-Djava.class.path=" + (folder.path() / c.classPath).string()};
        if (!c.vmParameter.empty()) options.push_back(c.vmParameter);
        const std::size_t before = options.size();
        const jlaunch::StartupCachePlan plan =
            jlaunch::planStartupCache(settings, runtime.library, folder.wide() + L"/My App.bin", environment, options);
        if (c.expectedPrefix.empty()) {
            EXPECT_EQ(options.size(), before) << c.name;
            EXPECT_TRUE(plan.cachePath.empty()) << c.name;
            continue;
        }
        ASSERT_EQ(options.size(), before + 1) << c.name;
        const std::wstring added(options.back().begin(), options.back().end());
        EXPECT_EQ(added.substr(0, c.expectedPrefix.size()), c.expectedPrefix) << c.name;
        EXPECT_EQ(added.substr(c.expectedPrefix.size()), plan.temporaryPath) << c.name;
        // The folder is named after the executable and is the user's alone.
        const std::filesystem::path cacheFolder = folder.path() / "cache" / "My App";
        EXPECT_EQ(std::filesystem::path(plan.cachePath).parent_path(), cacheFolder) << c.name;
        struct stat facts {};
        ASSERT_EQ(stat(cacheFolder.c_str(), &facts), 0) << c.name;
        EXPECT_EQ(facts.st_mode & 0777, 0700u) << c.name;
    }
}

}  // namespace
