// Home probing, the installed-runtime candidates, their ranking and the
// choice among them, on the Linux layout.
#include <gtest/gtest.h>

#include <cstdlib>
#include <map>

#include "common/text.h"
#include "jvmsearch/candidates.h"
#include "jvmsearch/installed_java.h"
#include "jvmsearch/java_home.h"
#include "jvmsearch/jvm_search.h"
#include "settings/settings_file.h"
#include "test_support.h"

namespace {

using jlaunch::JavaVersion;
using jlaunch::JvmCandidate;
using jlaunch::JvmType;
using jlaunch::testing::TestFolder;

std::wstring home(const TestFolder& folder, const std::string& name) {
    return (folder.path() / name).wstring() + L"/";
}

TEST(JavaHome, VmFolderOrderFollowsTheType) {
    TestFolder f;
    f.write("both/lib/client/libjvm.so");
    f.write("both/lib/server/libjvm.so");
    f.write("client/lib/client/libjvm.so");
    f.write("jrockit/lib/jrockit/libjvm.so");
    f.write("runtime-only/lib/libjava.so");
    f.write("java8/jre/lib/amd64/server/libjvm.so");

    auto both = jlaunch::findJvmLibrary(home(f, "both"), JvmType::Default);
    EXPECT_EQ(both.path, home(f, "both") + L"lib/client/libjvm.so");
    EXPECT_FALSE(both.isServerVm);
    both = jlaunch::findJvmLibrary(home(f, "both"), JvmType::FavorServer);
    EXPECT_EQ(both.path, home(f, "both") + L"lib/server/libjvm.so");
    EXPECT_TRUE(both.isServerVm);

    EXPECT_TRUE(jlaunch::findJvmLibrary(home(f, "client"), JvmType::Server).path.empty());
    const auto favoured = jlaunch::findJvmLibrary(home(f, "client"), JvmType::FavorServer);
    EXPECT_EQ(favoured.path, home(f, "client") + L"lib/client/libjvm.so");
    EXPECT_FALSE(favoured.isServerVm);

    for (JvmType type : {JvmType::Default, JvmType::FavorServer}) {
        EXPECT_FALSE(jlaunch::findJvmLibrary(home(f, "jrockit"), type).path.empty());
    }
    EXPECT_TRUE(jlaunch::findJvmLibrary(home(f, "jrockit"), JvmType::Server).path.empty());

    EXPECT_TRUE(jlaunch::hasJavaRuntime(home(f, "runtime-only")));
    EXPECT_TRUE(jlaunch::findJvmLibrary(home(f, "runtime-only"), JvmType::Default).path.empty());
    EXPECT_FALSE(jlaunch::hasJavaRuntime(home(f, "both")));
    EXPECT_TRUE(jlaunch::findJvmLibrary(home(f, "java8"), JvmType::Server).isServerVm);
}

JvmCandidate candidate(JavaVersion version, bool preferred, bool server, std::wstring tag) {
    return {version, std::move(tag), server, preferred};
}

std::vector<std::wstring> homes(const std::vector<JvmCandidate>& list) {
    std::vector<std::wstring> out;
    for (const auto& c : list) out.push_back(c.home);
    return out;
}

TEST(Candidates, RankingTestsApplyInOrderAndKeepEqualsInPlace) {
    std::vector<JvmCandidate> list = {
        candidate({{1, 8, 0, 0}}, false, false, L"jdk 1.8"),
        candidate({{1, 7, 0, 0}}, true, true, L"server 1.7"),
        candidate({{1, 8, 0, 0}}, true, false, L"client 1.8"),
        candidate({{1, 8, 0, 0}}, true, false, L"client 1.8 again"),
    };
    auto ranked = list;
    jlaunch::rankCandidates(ranked, true, JvmType::FavorServer);
    EXPECT_EQ(homes(ranked),
              (std::vector<std::wstring>{L"server 1.7", L"client 1.8", L"client 1.8 again", L"jdk 1.8"}));

    ranked = list;
    jlaunch::rankCandidates(ranked, true, JvmType::Default);
    EXPECT_EQ(homes(ranked),
              (std::vector<std::wstring>{L"client 1.8", L"client 1.8 again", L"server 1.7", L"jdk 1.8"}));

    ranked = list;  // without favour mode only the version decides
    jlaunch::rankCandidates(ranked, false, JvmType::Default);
    EXPECT_EQ(homes(ranked),
              (std::vector<std::wstring>{L"jdk 1.8", L"client 1.8", L"client 1.8 again", L"server 1.7"}));
}

TEST(Candidates, PreferredVersionsChooseByTheirSignificantComponents) {
    const std::vector<JvmCandidate> ranked = {
        candidate({{17, 0, 0, 0}}, true, true, L"17"),
        candidate({{11, 0, 2, 0}}, true, true, L"11.0.2"),
        candidate({{1, 8, 0, 301}}, true, true, L"1.8.0.301"),
    };
    const auto choose = [&](std::vector<std::wstring> preferred) {
        return jlaunch::selectCandidate(ranked, preferred)->home;
    };
    EXPECT_EQ(choose({L"11", L"1.8"}), L"11.0.2");
    EXPECT_EQ(choose({L"9", L"1.8"}), L"1.8.0.301");
    EXPECT_EQ(choose({L"9"}), L"17");
    EXPECT_EQ(choose({}), L"17");
    EXPECT_EQ(choose({L"1.8.0.301"}), L"1.8.0.301");
    EXPECT_EQ(choose({L"1.8.0.300", L"latest"}), L"17");  // no digits: 0.0.0.0 takes the top
    EXPECT_EQ(choose({L"11.0.3"}), L"17");
    EXPECT_FALSE(jlaunch::selectCandidate({}, {L"17"}).has_value());
}

// Which of `keys` the settings have read, one digit a key.
std::string keysRead(std::span<const jlaunch::VendorKey> keys, const std::wstring& source,
                     const std::wstring& provider) {
    std::string read;
    for (const auto& key : keys) {
        read += jlaunch::shouldReadKey(key, jlaunch::parseJvmSource(source), jlaunch::parseVmProvider(provider)) ? '1'
                                                                                                                 : '0';
    }
    return read;
}

TEST(Candidates, PoliciesChooseTheKeysAndTheirPreference) {
    const auto& keys = jlaunch::vendorKeys();
    ASSERT_EQ(keys.size(), 7u);
    const auto readKeys = [&](const std::wstring& source, const std::wstring& provider) {
        return keysRead(keys, source, provider);
    };
    EXPECT_EQ(readKeys(L"", L""), "1111000");
    EXPECT_EQ(readKeys(L"only_JRE", L""), "0101000");
    EXPECT_EQ(readKeys(L"favor_JRE", L""), "1111000");
    EXPECT_EQ(readKeys(L"only_JDK", L"favor_sun"), "1010010");
    EXPECT_EQ(readKeys(L"something", L"any"), "0000000");
    EXPECT_EQ(readKeys(L"", L"ibm"), "0000001");

    const auto favorJre = jlaunch::parseJvmSource(L"favor_JRE");
    const auto defaults = jlaunch::parseVmProvider(L"");
    EXPECT_FALSE(jlaunch::isPreferredKind(keys[0].kind, keys[0].family, favorJre, defaults));
    EXPECT_TRUE(jlaunch::isPreferredKind(keys[1].kind, keys[1].family, favorJre, defaults));
}

TEST(Candidates, TodaysVendorsAreReadUnlessOneOldFamilyAloneIsNamed) {
    const auto& keys = jlaunch::currentVendorKeys();
    // Eclipse Adoptium, AdoptOpenJDK, Eclipse Foundation and Semeru (JDK, JRE), Microsoft JDK, Azul Zulu.
    ASSERT_EQ(keys.size(), 10u);
    const auto readKeys = [&](const std::wstring& source, const std::wstring& provider) {
        return keysRead(keys, source, provider);
    };
    EXPECT_EQ(readKeys(L"", L""), "1111111111");
    EXPECT_EQ(readKeys(L"", L"sun"), "1111111111");  // not a value of the table: the defaults
    for (const wchar_t* provider : {L"favor_sun", L"favor_jrockit", L"favor_ibm", L"any"}) {
        EXPECT_EQ(readKeys(L"", provider), "1111111111") << jlaunch::toNarrow(provider);
    }
    EXPECT_EQ(readKeys(L"", L"JRockit"), "0000000000");
    EXPECT_EQ(readKeys(L"", L"ibm"), "0000000000");
    EXPECT_EQ(readKeys(L"only_JDK", L""), "1010101011");  // Zulu's kind is told by its home
    EXPECT_EQ(readKeys(L"only_JRE", L""), "0101010101");
    EXPECT_EQ(readKeys(L"something", L""), "0000000000");

    // Among themselves only the kind ranks, whatever "VM Provider" prefers.
    const auto favorJre = jlaunch::parseJvmSource(L"favor_JRE");
    const auto favorIbm = jlaunch::parseVmProvider(L"favor_ibm");
    EXPECT_FALSE(jlaunch::isPreferredKind(jlaunch::JavaKind::Jdk, jlaunch::VendorFamily::Other, favorJre, favorIbm));
    EXPECT_TRUE(jlaunch::isPreferredKind(jlaunch::JavaKind::Jre, jlaunch::VendorFamily::Other, favorJre, favorIbm));
    EXPECT_FALSE(jlaunch::isKindAccepted(jlaunch::JavaKind::Jdk, jlaunch::parseJvmSource(L"only_JRE")));
    EXPECT_TRUE(jlaunch::isKindAccepted(jlaunch::JavaKind::Jdk, favorJre));
}

// Installed runtimes as a table: key index, name, home or nothing.
std::vector<jlaunch::InstalledRuntime> installed(
    const std::vector<std::tuple<std::size_t, std::wstring, std::optional<std::wstring>>>& entries) {
    std::vector<jlaunch::InstalledRuntime> list;
    for (const auto& [key, name, home] : entries) {
        list.push_back({&jlaunch::vendorKeys()[key], name, home});
    }
    return list;
}

TEST(InstalledJava, CollectsUsableHomesInRangeAndChoosesTheBest) {
    TestFolder f;
    f.write("jdk17/lib/server/libjvm.so");
    f.write("jre11/lib/server/libjvm.so");
    f.write("old/jre/lib/client/libjvm.so");
    f.write("novm/lib/libjava.so");
    f.write("jdk25/lib/server/libjvm.so");
    const auto source = installed({{0, L"17.0.2", (f.path() / "jdk17").wstring()},
                                   {0, L"18", (f.path() / "novm").wstring()},
                                   {1, L"11", (f.path() / "jre11").wstring() + L"/"},
                                   {1, L"1.6", std::nullopt},
                                   {2, L"1.6.0_45", (f.path() / "old").wstring()},
                                   {0, L"25", (f.path() / "jdk25").wstring()}});

    jlaunch::LauncherSettings settings;
    settings.minimumVersion = jlaunch::parseMinimumVersion(L"1.6");
    settings.maximumVersion = jlaunch::parseMaximumVersion(L"17");
    const auto all = jlaunch::collectCandidates(source, settings);
    ASSERT_EQ(all.size(), 3u);
    EXPECT_EQ(all[0].home, home(f, "jdk17"));
    EXPECT_EQ(all[1].home, home(f, "jre11"));
    EXPECT_EQ(all[2].home, home(f, "old") + L"jre/");  // the older JDK key keeps its runtime in jre
    EXPECT_EQ(all[2].version, (JavaVersion{{1, 6, 0, 45}}));
    EXPECT_TRUE(all[0].isServerVm);
    EXPECT_FALSE(all[2].isServerVm);
    // A home out of range is never used.

    EXPECT_EQ(jlaunch::chooseInstalledRuntime(source, settings)->home, home(f, "jdk17"));
    settings.preferredVersions = {L"11"};
    EXPECT_EQ(jlaunch::chooseInstalledRuntime(source, settings)->home, home(f, "jre11"));
    settings.maximumVersion = jlaunch::parseMaximumVersion(L"none");  // 0.0.0.0: nothing is in range
    EXPECT_FALSE(jlaunch::chooseInstalledRuntime(source, settings).has_value());
    settings.maximumVersion = jlaunch::parseMaximumVersion(L"");  // no upper bound
    settings.preferredVersions.clear();
    EXPECT_EQ(jlaunch::chooseInstalledRuntime(source, settings)->home, home(f, "jdk25"));
}

}  // namespace

namespace {

TEST(JreWriteBack, LinuxRemembersTheFolderUnderTheConfigurationFolder) {
    TestFolder f;
    jlaunch::testing::ScopedEnvironment environment;
    environment.set("XDG_CONFIG_HOME", (f.path() / "config").c_str());  // not there yet: made on writing
    const auto exe = f.write("app/tool", "");
    f.write("app/tool.ini", "[Java Runtime Environment]\nMain Class=Main\n");
    jlaunch::LauncherSettings settings;
    settings.productName = L"My/App";
    settings.productCode = L"code-1";
    jlaunch::writeBackJrePath(settings, exe.wstring(), L"/opt/jdk/");
    EXPECT_EQ(jlaunch::readProfileString((f.path() / "config/MyApp/code-1/tool.ini").wstring(),
                                         L"Java Runtime Environment", L"JRE Path"),
              L"/opt/jdk/");
    settings.isService = true;
    jlaunch::writeBackJrePath(settings, exe.wstring(), L"/opt/jdk17/");
    EXPECT_EQ(
        jlaunch::readProfileString((f.path() / "app/tool.ini").wstring(), L"Java Runtime Environment", L"JRE Path"),
        L"/opt/jdk17/");
    EXPECT_EQ(
        jlaunch::readProfileString((f.path() / "app/tool.ini").wstring(), L"Java Runtime Environment", L"Main Class"),
        L"Main");
}

}  // namespace
