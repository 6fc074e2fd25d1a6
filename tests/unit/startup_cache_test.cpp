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
    const std::pair<int, CacheKind> cases[] = {
        {0, CacheKind::None},
        {8, CacheKind::None},
        {12, CacheKind::None},
        {13, CacheKind::DynamicArchive},
        {18, CacheKind::DynamicArchive},
        {19, CacheKind::AutoDynamicArchive},
        {24, CacheKind::AutoDynamicArchive},
        {25, CacheKind::AotCache},
        {31, CacheKind::AotCache},
    };
    for (const auto& [feature, expected] : cases) {
        EXPECT_EQ(jlaunch::chooseCacheKind(feature), expected) << feature;
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
        {CacheKind::AotCache, false, {L"-XX:AOTMode=record", L"-XX:AOTConfiguration=c.9.aotconf"}},
        {CacheKind::AotCache,
         true,
         {L"-Xlog:aot=off,cds=off", L"-Xlog:aot=error:file=c.9.log::filecount=0", L"-XX:AOTCache=c"}},
        {CacheKind::AutoDynamicArchive, false, {L"-XX:ArchiveClassesAtExit=c.9.tmp"}},
        {CacheKind::AutoDynamicArchive, true, {L"-XX:+AutoCreateSharedArchive", L"-XX:SharedArchiveFile=c"}},
        {CacheKind::DynamicArchive, false, {L"-XX:ArchiveClassesAtExit=c.9.tmp"}},
        {CacheKind::DynamicArchive, true, {L"-XX:SharedArchiveFile=c"}},
        {CacheKind::None, false, {}},
        {CacheKind::None, true, {}},
    };
    for (const Case& c : cases) {
        const auto paths = jlaunch::cachePathsFor(c.kind, c.exists, L"c", 9);
        EXPECT_EQ(jlaunch::cacheOptions(c.kind, c.exists, paths), c.expected)
            << static_cast<int>(c.kind) << " " << c.exists;
    }
}

TEST(StartupCache, TheChildMakesTheAotCacheWithTheLaunchsOptionsAndNoOtherCache) {
    const auto paths = jlaunch::cachePathsFor(CacheKind::AotCache, false, L"/c/aot-1.aot", 7);
    using Options = std::vector<std::string>;
    const Options launch{"-Djava.class.path=/a.jar", "-Xmx64m", "-XX:SharedArchiveFile=/x.jsa", "--module-path=/m"};
    const Options expected{"-Djava.class.path=/a.jar", "-Xmx64m", "--module-path=/m", "-XX:AOTMode=create",
                           "-XX:AOTConfiguration=/c/aot-1.aot.7.aotconf", "-XX:AOTCache=/c/aot-1.aot.7.tmp"};
    EXPECT_EQ(jlaunch::aotCreateOptions(launch, paths), expected);
}

TEST(StartupCache, TheChildsRequestCarriesTheLibraryAndEveryOption) {
    using Options = std::vector<std::string>;
    struct Case {
        std::wstring library;
        Options options;
        bool told;
    };
    const Case cases[] = {
        {L"/jdk/lib/server/libjvm.so", {"-Djava.class.path=/a b.jar", "-Xmx64m"}, true},
        {L"/j\u00e9/libjvm.so", {}, true},
        {L"/jdk/libjvm.so", {"", "-Dx="}, true},
        {L"/jdk/libjvm.so", {"-Dx=a\nb"}, false},  // a line break would make two options
        {L"/jdk/libjvm.so", {"-Dx=a\rb"}, false},
        {L"/jdk/\nlibjvm.so", {}, false},
    };
    for (const Case& c : cases) {
        const auto text = jlaunch::childRequestText(c.library, c.options);
        ASSERT_EQ(text.has_value(), c.told) << c.options.size();
        if (!text) continue;
        const auto request = jlaunch::parseChildRequest(*text);
        ASSERT_TRUE(request.has_value()) << *text;
        EXPECT_EQ(request->jvmLibraryPath, c.library);
        EXPECT_EQ(request->options, c.options) << *text;
    }
    for (const char* broken : {"", "\n-Xmx1m", "\xff\xfe\n-Xmx1m"}) {
        EXPECT_FALSE(jlaunch::parseChildRequest(broken).has_value()) << broken;
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
    explicit FakeRuntime(const TestFolder& folder, const char* version) {
        folder.write("jdk/release", std::string("JAVA_VERSION=\"") + version + "\"\n");
        library = folder.write("jdk/lib/server/libjvm.so", "elf").wstring();
    }
    std::wstring library;
};

TEST(StartupCache, PlanDecidesFromTheSettingsRuntimeAndClassPath) {
    struct Case {
        const char* name;
        const char* version;
        bool enabled;
        std::string classPath;  // below the test folder
        std::string vmParameter;
        std::wstring expectedPrefix;  // of the one cache option; empty for none
    };
    const Case cases[] = {
        {"AOT on 25", "25.0.2", true, "app.jar", "-Xmx64m", L"-XX:AOTConfiguration="},
        {"dynamic on 17", "17.0.2", true, "app.jar", "", L"-XX:ArchiveClassesAtExit="},
        {"off", "25.0.2", false, "app.jar", "", L""},
        {"too old", "11.0.20", true, "app.jar", "", L""},
        {"folder on the class path", "25.0.2", true, "classes", "", L""},
        {"the application's own archive", "17.0.2", true, "app.jar", "-XX:SharedArchiveFile=/x.jsa", L""},
        {"sharing off", "17.0.2", true, "app.jar", "-Xshare:off", L""},
    };
    for (const Case& c : cases) {
        TestFolder folder;
        const FakeRuntime runtime(folder, c.version);
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
            EXPECT_TRUE(plan.paths.cache.empty()) << c.name;
            continue;
        }
        ASSERT_GT(options.size(), before) << c.name;
        const std::wstring added(options.back().begin(), options.back().end());
        EXPECT_EQ(added.substr(0, c.expectedPrefix.size()), c.expectedPrefix) << c.name;
        // The AOT cache is made from the record by a child, the archive by the VM itself.
        const bool aot = !plan.paths.configuration.empty();
        EXPECT_EQ(added.substr(c.expectedPrefix.size()), aot ? plan.paths.configuration : plan.paths.temporary)
            << c.name;
        EXPECT_EQ(plan.createOptions.empty(), !aot) << c.name;
        // The folder is named after the executable and is the user's alone.
        const std::filesystem::path cacheFolder = folder.path() / "cache" / "My App";
        EXPECT_EQ(std::filesystem::path(plan.paths.cache).parent_path(), cacheFolder) << c.name;
        struct stat facts {};
        ASSERT_EQ(stat(cacheFolder.c_str(), &facts), 0) << c.name;
        EXPECT_EQ(facts.st_mode & 0777, 0700u) << c.name;
    }
}

// A changed jar, on the class path or in a module path folder, names another cache.
TEST(StartupCache, AChangedJarOnEitherPathNamesAnotherCache) {
    using Change = void (*)(const TestFolder&);
    const std::pair<const char*, Change> changes[] = {
        {"nothing", [](const TestFolder&) {}},
        {"class path jar", [](const TestFolder& f) { f.write("app.jar", "PK changed"); }},
        {"module folder jar", [](const TestFolder& f) { f.write("mods/m.jar", "PK longer"); }},
        {"module jar added", [](const TestFolder& f) { f.write("mods/n.jar", "PK"); }},
        {"named module jar", [](const TestFolder& f) { f.write("one.jar", "PK other"); }},
    };
    for (const auto& [what, change] : changes) {
        TestFolder folder;
        const FakeRuntime runtime(folder, "25.0.2");
        folder.write("app.jar", "PK");
        folder.write("mods/m.jar", "PK");
        folder.write("one.jar", "PK");
        jlaunch::LauncherSettings settings;
        settings.startupCache = true;
        const std::string cacheRoot = (folder.path() / "cache").string();
        const jlaunch::Environment environment([&](const std::wstring& name) -> std::optional<std::wstring> {
            if (name == L"XDG_CACHE_HOME") return std::wstring(cacheRoot.begin(), cacheRoot.end());
            return std::nullopt;
        });
        auto plan = [&] {
            std::vector<std::string> options{"-Djava.class.path=" + (folder.path() / "app.jar").string(),
                                             "--module-path=" + (folder.path() / "mods").string() + ":" +
                                                 (folder.path() / "one.jar").string()};
            return jlaunch::planStartupCache(settings, runtime.library, folder.wide() + L"/app", environment, options)
                .paths.cache;
        };
        const std::wstring before = plan();
        ASSERT_FALSE(before.empty()) << what;
        change(folder);
        EXPECT_EQ(plan() == before, std::string(what) == "nothing") << what;
    }
}

}  // namespace
