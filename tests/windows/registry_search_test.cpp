// searchRegistry against real vendor keys in this Wine prefix's HKLM, in both
// registry views, whose "JavaHome" values name real folders made of empty
// files: which keys a policy reads, how candidates rank, which one the
// preferred versions choose, and which homes and names count at all.
#include <windows.h>

#include <gtest/gtest.h>

#include <array>
#include <cstdlib>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "java_registry.h"
#include "jvmsearch/installed_java.h"
#include "launch_helper.h"
#include "common/split.h"
#include "settings/launcher_settings.h"

namespace jlaunch::test {
namespace {

// The settings texts as a packager writes them into the settings file.
// Given in this order, the later ones left out as a packager leaves them out.
struct Policy {
    Policy(std::wstring source_ = {}, std::wstring provider_ = {}, std::wstring type_ = {},
           std::wstring minimum_ = L"any", std::wstring maximum_ = L"any", std::wstring preferred_ = {})
        : source(std::move(source_)),
          provider(std::move(provider_)),
          type(std::move(type_)),
          minimum(std::move(minimum_)),
          maximum(std::move(maximum_)),
          preferred(std::move(preferred_)) {}

    std::wstring source;     // "JVM Source"
    std::wstring provider;   // "VM Provider"
    std::wstring type;       // "JVM Type"
    std::wstring minimum;    // "Minimum Version"
    std::wstring maximum;    // "Maximum Version"
    std::wstring preferred;  // "Preferred versions"
};

LauncherSettings settingsFor(const Policy& policy) {
    LauncherSettings settings;
    settings.jvmSource = parseJvmSource(policy.source);
    settings.vmProvider = parseVmProvider(policy.provider);
    settings.jvmType = parseJvmType(policy.type);
    settings.minimumVersion = parseMinimumVersion(policy.minimum);
    settings.maximumVersion = parseMaximumVersion(policy.maximum);
    settings.preferredVersions = splitList(policy.preferred, L";");
    return settings;
}

std::string versionText(const JavaVersion& version) {
    std::string text;
    for (const std::int32_t component : version.components) {
        text += (text.empty() ? "" : ".") + std::to_string(component);
    }
    return text;
}

// A candidate as one line, so that a failure shows what was chosen instead.
std::string describeChoice(const std::optional<JvmCandidate>& candidate) {
    if (!candidate) {
        return "nothing";
    }
    return versionText(candidate->version) + (candidate->isServerVm ? " server VM in " : " non-server VM in ") +
           narrowForReport(candidate->home);
}

// `version` with all four components; `home` ends with its backslash.
std::string choice(const char* version, const std::wstring& home, bool serverVm) {
    return std::string(version) + (serverVm ? " server VM in " : " non-server VM in ") + narrowForReport(home);
}

class RegistrySearch : public ::testing::Test {
protected:
    void SetUp() override {
        // A machine whose registry already holds Java cannot run these; a
        // run that skipped them all must not look green, so skipping is asked for.
        if (!registry_.usable()) {
            if (std::getenv("JLAUNCH_SKIP_REGISTRY_TESTS") != nullptr) {
                GTEST_SKIP() << registry_.problem();
            }
            FAIL() << registry_.problem() << "; set JLAUNCH_SKIP_REGISTRY_TESTS=1 to skip the registry tests";
        }
    }

    // A fresh folder below the test's temporary folder with these files.
    std::wstring home(std::wstring_view name, std::initializer_list<std::wstring_view> files) {
        return makeJavaHome(folder_ / name, files);
    }

    // A home with these files registered as `name` under key `key`; returns
    // the home's path as registered.
    std::wstring install(int key, std::wstring_view name, std::initializer_list<std::wstring_view> files,
                         View view = View::Native) {
        std::wstring folderName = L"k" + std::to_wstring(key) + (view == View::Wow32 ? L"w32_" : L"_");
        for (const wchar_t c : name) {
            folderName.push_back(c == L'+' || c == L' ' ? L'_' : c);
        }
        const std::wstring path = home(folderName, files);
        registry_.addJavaHome(key, name, path, view);
        return path;
    }

    static std::optional<JvmCandidate> search(const Policy& policy, RuntimeBitness view = RuntimeBitness::Native) {
        return searchInstalledRuntimes(view, settingsFor(policy));
    }

    TemporaryFolder folder_;
    JavaRegistry registry_;
};

// The older JDK keys (3 and 6) keep their runtime in "jre\" below JavaHome.
constexpr std::wstring_view kJreServerVm = L"jre\\bin\\server\\jvm.dll";
constexpr std::wstring_view kJreClientVm = L"jre\\bin\\client\\jvm.dll";

bool homeInJreFolder(int key) {
    return key == 3 || key == 6;
}

using RegistryKeys = RegistrySearch;

TEST_F(RegistryKeys, EachPolicyReadsExactlyItsKeys) {
    // Key k holds version 1k; a search for that version alone finds it only
    // when key k is read.
    for (int key = 1; key <= 7; ++key) {
        if (homeInJreFolder(key)) {
            install(key, L"1" + std::to_wstring(key), {kJreServerVm});
        } else {
            install(key, L"1" + std::to_wstring(key), {kJavaDll, kServerVm});
        }
    }
    struct Row {
        const wchar_t* source;
        const wchar_t* provider;
        const char* keysRead;  // the numbers of the keys read
    };
    const Row rows[] = {
        {L"", L"", "1234"},
        {L"", L"jrockit", "56"},
        {L"", L"ibm", "7"},
        {L"", L"IBM", "7"},
        {L"", L"JRockit", "56"},
        {L"", L"favor_sun", "1234567"},
        {L"", L"favor_jrockit", "1234567"},
        {L"", L"favor_ibm", "1234567"},
        {L"", L"any", "1234567"},
        {L"", L"ANY", "1234567"},
        {L"", L"sun", "1234"},
        {L"favor_JRE", L"", "1234"},
        {L"favor_JDK", L"any", "1234567"},
        {L"only_JDK", L"", "13"},
        {L"only_JDK", L"any", "136"},
        {L"only_JDK", L"jrockit", "6"},
        {L"only_JDK", L"ibm", ""},
        {L"only_JRE", L"", "24"},
        {L"only_JRE", L"any", "2457"},
        {L"only_JRE", L"ibm", "7"},
        {L"Only_JDK", L"any", ""},
        {L"JRE", L"any", ""},
        {L"jdk", L"", ""},
    };
    for (const Row& row : rows) {
        for (int key = 1; key <= 7; ++key) {
            const std::wstring version = L"1" + std::to_wstring(key);
            const bool expected =
                std::string_view(row.keysRead).find(static_cast<char>('0' + key)) != std::string_view::npos;
            const auto found = search({row.source, row.provider, L"", version, version});
            EXPECT_EQ(found.has_value(), expected)
                << "JVM Source \"" << narrowForReport(row.source) << "\", VM Provider \""
                << narrowForReport(row.provider) << "\", key " << key << ": " << describeChoice(found);
        }
    }
}

TEST_F(RegistryKeys, NothingRegisteredFindsNothingInEitherView) {
    EXPECT_EQ(describeChoice(search({L"", L"any"})), "nothing");
    EXPECT_EQ(describeChoice(search({L"", L"any"}, RuntimeBitness::X86)), "nothing");
}

TEST_F(RegistryKeys, OlderJdkKeysLookForTheRuntimeInJreOthersDoNot) {
    // Each key gets one home laid out the old way and one the new way.
    const std::wstring jdk3Old = install(3, L"1.6.0", {kJreClientVm});
    install(3, L"1.6.1", {kJavaDll, kClientVm});
    const std::wstring jdk6Old = install(6, L"1.5.0", {kJreServerVm});
    install(6, L"1.5.1", {kJavaDll, kServerVm});
    install(1, L"1.7.0", {kJreServerVm});
    const std::wstring jdk1New = install(1, L"1.7.1", {kJavaDll, kServerVm});
    install(5, L"1.4.0", {kJreServerVm});
    const std::wstring jre5New = install(5, L"1.4.1", {kServerVm});

    const auto only = [this](const wchar_t* version) { return search({L"", L"any", L"", version, version}); };
    EXPECT_EQ(describeChoice(only(L"1.6.0")), choice("1.6.0.0", jdk3Old + L"\\jre\\", false));
    EXPECT_EQ(describeChoice(only(L"1.6.1")), "nothing");
    EXPECT_EQ(describeChoice(only(L"1.5.0")), choice("1.5.0.0", jdk6Old + L"\\jre\\", true));
    EXPECT_EQ(describeChoice(only(L"1.5.1")), "nothing");
    EXPECT_EQ(describeChoice(only(L"1.7.0")), "nothing");
    EXPECT_EQ(describeChoice(only(L"1.7.1")), choice("1.7.1.0", jdk1New + L"\\", true));
    EXPECT_EQ(describeChoice(only(L"1.4.0")), "nothing");
    EXPECT_EQ(describeChoice(only(L"1.4.1")), choice("1.4.1.0", jre5New + L"\\", true));
}

using RegistryRanking = RegistrySearch;

TEST_F(RegistryRanking, DefaultsPreferEveryJavaSoftKeySoTheHighestVersionWins) {
    install(1, L"1.8", {kJavaDll, kServerVm});
    install(2, L"11", {kJavaDll, kServerVm});
    const std::wstring newest = install(4, L"17", {kJavaDll, kServerVm});
    install(3, L"9", {kJreServerVm});
    install(5, L"21", {kJavaDll, kServerVm});  // JRockit: not read by default
    install(7, L"22", {kJavaDll, kServerVm});  // IBM: not read by default
    EXPECT_EQ(describeChoice(search({})), choice("17.0.0.0", newest + L"\\", true));
}

TEST_F(RegistryRanking, FavorJreRanksEveryJreAboveEveryJdk) {
    install(1, L"11", {kJavaDll, kServerVm});
    const std::wstring jre = install(2, L"1.8", {kJavaDll, kServerVm});
    install(3, L"1.6", {kJreServerVm});
    EXPECT_EQ(describeChoice(search({L"favor_JRE"})), choice("1.8.0.0", jre + L"\\", true));
}

TEST_F(RegistryRanking, FavorJdkRanksEveryJdkAboveEveryJre) {
    const std::wstring jdk = install(3, L"1.6", {kJreServerVm});
    install(2, L"1.8", {kJavaDll, kServerVm});
    install(4, L"11", {kJavaDll, kServerVm});
    EXPECT_EQ(describeChoice(search({L"favor_JDK"})), choice("1.6.0.0", jdk + L"\\jre\\", true));
}

TEST_F(RegistryRanking, ProviderPreferenceRanksAboveVersion) {
    const std::wstring javaSoft = install(2, L"17", {kJavaDll, kServerVm});
    const std::wstring jrockitJre = install(5, L"21", {kJavaDll, kServerVm});
    const std::wstring jrockitJdk = install(6, L"11", {kJreServerVm});
    const std::wstring ibm = install(7, L"1.5", {kJavaDll, kServerVm});
    struct Row {
        const wchar_t* provider;
        std::string expected;
    };
    const Row rows[] = {
        {L"favor_jrockit", choice("21.0.0.0", jrockitJre + L"\\", true)},
        {L"jrockit", choice("21.0.0.0", jrockitJre + L"\\", true)},
        {L"favor_ibm", choice("1.5.0.0", ibm + L"\\", true)},
        {L"ibm", choice("1.5.0.0", ibm + L"\\", true)},
        {L"favor_sun", choice("17.0.0.0", javaSoft + L"\\", true)},
        // Nobody is preferred: the version alone decides.
        {L"any", choice("21.0.0.0", jrockitJre + L"\\", true)},
    };
    for (const Row& row : rows) {
        EXPECT_EQ(describeChoice(search({L"", row.provider})), row.expected)
            << "VM Provider \"" << narrowForReport(row.provider) << "\"";
    }
    // A JRockit JRE is not preferred when only JDKs are favoured.
    EXPECT_EQ(describeChoice(search({L"favor_JDK", L"favor_jrockit"})),
              choice("11.0.0.0", jrockitJdk + L"\\jre\\", true));
}

TEST_F(RegistryRanking, OnlyModesLeavePreferenceOutOfTheRanking) {
    install(1, L"1.8", {kJavaDll, kServerVm});
    const std::wstring jrockitJdk = install(6, L"11", {kJreServerVm});
    install(7, L"21", {kJavaDll, kServerVm});  // a JRE: not read with only_JDK
    EXPECT_EQ(describeChoice(search({L"only_JDK", L"favor_sun"})), choice("11.0.0.0", jrockitJdk + L"\\jre\\", true));

    const std::wstring javaSoftJre = install(2, L"1.7", {kJavaDll, kServerVm});
    install(5, L"1.6", {kJavaDll, kServerVm});
    EXPECT_EQ(describeChoice(search({L"only_JRE", L"favor_jrockit", L"", L"any", L"1.9"})),
              choice("1.7.0.0", javaSoftJre + L"\\", true));
}

TEST_F(RegistryRanking, FavorServerRanksAServerVmAboveANewerClientVm) {
    const std::wstring server = install(2, L"1.7", {kJavaDll, kServerVm});
    const std::wstring client = install(2, L"1.8", {kJavaDll, kClientVm});
    EXPECT_EQ(describeChoice(search({L"", L"", L"favor_server"})), choice("1.7.0.0", server + L"\\", true));
    EXPECT_EQ(describeChoice(search({L"", L"", L""})), choice("1.8.0.0", client + L"\\", false));
    // An unknown type is the default one.
    EXPECT_EQ(describeChoice(search({L"", L"", L"Favor_Server"})), choice("1.8.0.0", client + L"\\", false));
    // A home without a server VM is no candidate for "server".
    EXPECT_EQ(describeChoice(search({L"", L"", L"server", L"1.8", L"1.8"})), "nothing");
    EXPECT_EQ(describeChoice(search({L"", L"", L"server"})), choice("1.7.0.0", server + L"\\", true));
}

TEST_F(RegistryRanking, PreferenceRanksAboveAServerVm) {
    install(1, L"17", {kJavaDll, kServerVm});
    const std::wstring jre = install(2, L"1.6", {kJavaDll, kClientVm});
    EXPECT_EQ(describeChoice(search({L"favor_JRE", L"", L"favor_server"})), choice("1.6.0.0", jre + L"\\", false));
}

TEST_F(RegistryRanking, KeyFourProbesFavorServerAsTheDefaultOrder) {
    // Both VMs under key 4: with favor_server the client VM is what ranks.
    const std::wstring both = install(4, L"1.8", {kJavaDll, kClientVm, kServerVm});
    const std::wstring server = install(2, L"1.7", {kJavaDll, kServerVm});
    EXPECT_EQ(describeChoice(search({L"", L"", L"favor_server"})), choice("1.7.0.0", server + L"\\", true));
    EXPECT_EQ(describeChoice(search({L"", L"", L"favor_server", L"1.8", L"1.8"})),
              choice("1.8.0.0", both + L"\\", false));
    // The same home under key 2 ranks as the server VM it has.
    registry_.addJavaHome(2, L"1.8.0.1", both);
    EXPECT_EQ(describeChoice(search({L"", L"", L"favor_server"})), choice("1.8.0.1", both + L"\\", true));
}

TEST_F(RegistryRanking, KeyFourServerOnlyHomeStillRanksAsAServerVm) {
    const std::wstring server = install(4, L"1.6", {kJavaDll, kServerVm});
    install(2, L"1.8", {kJavaDll, kClientVm});
    EXPECT_EQ(describeChoice(search({L"", L"", L"favor_server"})), choice("1.6.0.0", server + L"\\", true));
    // With "server" key 4 is probed as asked: its server VM counts.
    EXPECT_EQ(describeChoice(search({L"", L"", L"server"})), choice("1.6.0.0", server + L"\\", true));
}

TEST_F(RegistryRanking, EqualRanksKeepTheOrderOfKeysAndSubkeys) {
    // Equal versions in the order read, with a higher one between them that
    // the ranking has to move past them.
    const std::wstring first = install(1, L"1.8", {kJavaDll, kServerVm});
    install(2, L"11", {kJavaDll, kServerVm});
    install(2, L"1.8.0", {kJavaDll, kServerVm});
    install(3, L"1.8", {kJreServerVm});
    install(4, L"1.8.0.0", {kJavaDll, kServerVm});
    EXPECT_EQ(describeChoice(search({L"", L"", L"", L"any", L"any", L"1.8"})), choice("1.8.0.0", first + L"\\", true));
    EXPECT_EQ(describeChoice(search({L"", L"", L"", L"1.8", L"1.8"})), choice("1.8.0.0", first + L"\\", true));
    EXPECT_EQ(describeChoice(search({L"", L"", L"favor_server", L"1.8", L"1.8"})),
              choice("1.8.0.0", first + L"\\", true));
}

TEST_F(RegistryRanking, EqualRanksWithinOneKeyKeepTheRegistryOrder) {
    std::wstring homes[3];
    const wchar_t* names[3] = {L"jdk-17", L"17", L"17.0"};
    for (int i = 0; i < 3; ++i) {
        homes[i] = install(2, names[i], {kJavaDll, kServerVm});
    }
    const std::vector<std::wstring> order = registrySubkeys(kVendorKeys[1]);
    ASSERT_EQ(order.size(), 3u);
    std::wstring expectedHome;
    for (int i = 0; i < 3; ++i) {
        if (order.front() == names[i]) {
            expectedHome = homes[i];
        }
    }
    EXPECT_EQ(describeChoice(search({})), choice("17.0.0.0", expectedHome + L"\\", true))
        << "the registry lists " << narrowForReport(order.front()) << " first";
}

using RegistryPreferredVersions = RegistrySearch;

TEST_F(RegistryPreferredVersions, EntriesChooseInTheirOrderWithTrailingZerosAsWildcards) {
    const std::wstring v17 = install(2, L"17", {kJavaDll, kServerVm});
    install(2, L"11.0.2", {kJavaDll, kServerVm});
    const std::wstring v11b = install(2, L"11.0.2.7", {kJavaDll, kServerVm});
    install(2, L"1.8", {kJavaDll, kServerVm});
    const std::wstring v18u = install(2, L"1.8.0_301", {kJavaDll, kServerVm});
    const std::wstring v108 = install(2, L"1.0.8", {kJavaDll, kServerVm});
    struct Row {
        const wchar_t* preferred;
        std::string expected;
    };
    const Row rows[] = {
        {L"", choice("17.0.0.0", v17 + L"\\", true)},
        {L"11;1.8", choice("11.0.2.7", v11b + L"\\", true)},
        {L"9;1.8", choice("1.8.0.301", v18u + L"\\", true)},
        {L"9", choice("17.0.0.0", v17 + L"\\", true)},
        {L"1.8.0.301", choice("1.8.0.301", v18u + L"\\", true)},
        {L"1.8.0", choice("1.8.0.301", v18u + L"\\", true)},
        // An explicit trailing zero is a wildcard as well.
        {L"1.8.0.0", choice("1.8.0.301", v18u + L"\\", true)},
        {L"11.0.2.0", choice("11.0.2.7", v11b + L"\\", true)},
        {L"11.0.2", choice("11.0.2.7", v11b + L"\\", true)},
        {L"11.0.2.7", choice("11.0.2.7", v11b + L"\\", true)},
        {L"11.0.2.1;11.0.3", choice("17.0.0.0", v17 + L"\\", true)},
        // A zero before the last given component must match.
        {L"1.0.8", choice("1.0.8.0", v108 + L"\\", true)},
        // 1.0 is 1.0.0.0: only its first component has to match.
        {L"1.0", choice("1.8.0.301", v18u + L"\\", true)},
        {L"10;1", choice("1.8.0.301", v18u + L"\\", true)},
        // Text without digits is 0.0.0.0, which every candidate matches.
        {L"latest;1.8", choice("17.0.0.0", v17 + L"\\", true)},
        {L";1.8", choice("17.0.0.0", v17 + L"\\", true)},
        {L"9;;1.8", choice("17.0.0.0", v17 + L"\\", true)},
        {L"1.8.0_301;11", choice("1.8.0.301", v18u + L"\\", true)},
        {L"jdk-1.8.0_301", choice("1.8.0.301", v18u + L"\\", true)},
    };
    for (const Row& row : rows) {
        EXPECT_EQ(describeChoice(search({L"", L"", L"", L"any", L"any", row.preferred})), row.expected)
            << "Preferred versions \"" << narrowForReport(row.preferred) << "\"";
    }
}

TEST_F(RegistryPreferredVersions, OnlyCandidatesInRangeCanBeChosen) {
    install(2, L"17", {kJavaDll, kServerVm});
    const std::wstring v11 = install(2, L"11", {kJavaDll, kServerVm});
    install(2, L"1.8", {kJavaDll, kServerVm});
    EXPECT_EQ(describeChoice(search({L"", L"", L"", L"any", L"11", L"17"})), choice("11.0.0.0", v11 + L"\\", true));
}

TEST_F(RegistryPreferredVersions, EntriesWinOverPreferenceAndServerRanking) {
    const std::wstring jdk = install(1, L"17", {kJavaDll, kServerVm});
    install(2, L"1.8", {kJavaDll, kServerVm});
    EXPECT_EQ(describeChoice(search({L"favor_JRE", L"", L"", L"any", L"any", L"17"})),
              choice("17.0.0.0", jdk + L"\\", true));

    // Among the matches the ranking decides: the server VM before the newer client VM.
    install(2, L"1.8.0_401", {kJavaDll, kClientVm});
    const std::wstring server = install(2, L"1.8.0_301", {kJavaDll, kServerVm});
    EXPECT_EQ(describeChoice(search({L"only_JRE", L"", L"favor_server", L"any", L"any", L"1.8.0"})),
              choice("1.8.0.301", server + L"\\", true));
}

using RegistryHomes = RegistrySearch;

TEST_F(RegistryHomes, HomesWithoutAUsableVmAreNoCandidates) {
    install(2, L"17", {kJavaDll});
    registry_.addJavaHome(2, L"16", folder_ / L"missing");
    install(2, L"15", {kJavaDll, L"bin\\jvm.dll", L"jre\\bin\\server\\jvm.dll"});
    const std::wstring client = install(2, L"14", {kJavaDll, kClientVm});
    // No bin\java.dll is needed when the VM is there.
    const std::wstring server = install(2, L"1.8", {kServerVm});
    EXPECT_EQ(describeChoice(search({L"", L"", L"server"})), choice("1.8.0.0", server + L"\\", true));
    EXPECT_EQ(describeChoice(search({})), choice("14.0.0.0", client + L"\\", false));
}

TEST_F(RegistryHomes, EveryVmFolderCountsExceptForTheServerType) {
    const std::wstring jrockit = install(5, L"1.6", {kJavaDll, kJrockitVm});
    EXPECT_EQ(describeChoice(search({L"", L"jrockit"})), choice("1.6.0.0", jrockit + L"\\", false));
    EXPECT_EQ(describeChoice(search({L"", L"jrockit", L"favor_server"})), choice("1.6.0.0", jrockit + L"\\", false));
    EXPECT_EQ(describeChoice(search({L"", L"jrockit", L"server"})), "nothing");

    const std::wstring classic = install(2, L"1.2", {kJavaDll, kClassicVm});
    const std::wstring hotspot = install(2, L"1.3", {kJavaDll, kHotspotVm});
    EXPECT_EQ(describeChoice(search({L"", L"", L"", L"1.2", L"1.2"})), choice("1.2.0.0", classic + L"\\", false));
    EXPECT_EQ(describeChoice(search({L"", L"", L"", L"1.3", L"1.3"})), choice("1.3.0.0", hotspot + L"\\", false));
}

TEST_F(RegistryHomes, JavaHomeGetsExactlyOneTrailingBackslash) {
    const std::wstring plain = home(L"plain", {kJavaDll, kServerVm});
    const std::wstring ending = home(L"ending", {kJavaDll, kServerVm});
    const std::wstring oldJdk = home(L"jdk1.6.0", {kJreServerVm});
    registry_.addJavaHome(2, L"11", plain);
    registry_.addJavaHome(2, L"12", ending + L"\\");
    registry_.addJavaHome(3, L"1.6.0", oldJdk + L"\\");
    const auto only = [](const wchar_t* version) { return search({L"", L"", L"", version, version}); };
    EXPECT_EQ(describeChoice(only(L"11")), choice("11.0.0.0", plain + L"\\", true));
    EXPECT_EQ(describeChoice(only(L"12")), choice("12.0.0.0", ending + L"\\", true));
    EXPECT_EQ(describeChoice(only(L"1.6.0")), choice("1.6.0.0", oldJdk + L"\\jre\\", true));
}

TEST_F(RegistryHomes, NamesAndHomesKeepEveryCharacter) {
    // Spaces and characters outside any ANSI code page, as a user's install
    // folder may have them; a narrow registry or file call would lose them.
    const std::wstring unusual = home(L"Program Files\\J\u00E4v\u00E5 \u4E2D\u6587", {kJavaDll, kServerVm});
    registry_.addJavaHome(2, L"jdk-17.0.2+8 (\u00C4rger \u0416)", unusual);
    EXPECT_EQ(describeChoice(search({})), choice("17.0.2.8", unusual + L"\\", true));
}

TEST_F(RegistryHomes, MissingOrEmptyJavaHomeMakesTheSubkeyUnusable) {
    const std::wstring usable = home(L"usable", {kJavaDll, kServerVm});
    registry_.addSubkey(2, L"17");
    registry_.addValue(2, L"16", L"RuntimeLib", REG_SZ, utf16Value(usable + L"\\bin\\server\\jvm.dll"));
    registry_.addValue(2, L"15", L"JavaHome", REG_SZ, std::string_view());
    registry_.addValue(2, L"14", L"JavaHome", REG_SZ, utf16Value(L""));
    registry_.addValue(2, L"13", L"javahome", REG_SZ, utf16Value(usable));  // names ignore case
    registry_.addJavaHome(2, L"1.8", usable);
    EXPECT_EQ(describeChoice(search({})), choice("13.0.0.0", usable + L"\\", true));
    EXPECT_EQ(describeChoice(search({L"", L"", L"", L"14", L"17"})), "nothing");
}

TEST_F(RegistryHomes, JavaHomeOfAnyTypeIsTakenAsItIsStored) {
    const std::wstring usable = home(L"usable", {kJavaDll, kServerVm});
    const EnvironmentScope variable(L"JLAUNCH_TEST_JAVA_HOME", usable);
    const std::string withoutTerminator = utf16Value(usable).substr(0, usable.size() * sizeof(wchar_t));
    registry_.addValue(2, L"17", L"JavaHome", REG_EXPAND_SZ, utf16Value(L"%JLAUNCH_TEST_JAVA_HOME%"));
    registry_.addValue(2, L"12", L"JavaHome", REG_EXPAND_SZ, utf16Value(usable));
    registry_.addValue(2, L"13", L"JavaHome", REG_SZ, withoutTerminator);
    registry_.addValue(2, L"14", L"JavaHome", REG_BINARY, withoutTerminator);
    const auto only = [](const wchar_t* version) { return search({L"", L"", L"", version, version}); };
    EXPECT_EQ(describeChoice(only(L"17")), "nothing") << "environment references are not expanded";
    EXPECT_EQ(describeChoice(only(L"12")), choice("12.0.0.0", usable + L"\\", true));
    EXPECT_EQ(describeChoice(only(L"13")), choice("13.0.0.0", usable + L"\\", true));
    EXPECT_EQ(describeChoice(only(L"14")), choice("14.0.0.0", usable + L"\\", true));
}

using RegistryVersions = RegistrySearch;

TEST_F(RegistryVersions, SubkeysNamedByFreeTextGetTheirDigits) {
    const std::wstring latest = install(2, L"latest", {kJavaDll, kServerVm});
    const std::wstring jdk17 = install(2, L"jdk-17.0.2+8", {kJavaDll, kServerVm});
    const std::wstring update = install(2, L"1.8.0_301", {kJavaDll, kServerVm});
    const std::wstring beyond = install(2, L"1.2.3.4.5", {kJavaDll, kServerVm});
    EXPECT_EQ(describeChoice(search({})), choice("17.0.2.8", jdk17 + L"\\", true));
    EXPECT_EQ(describeChoice(search({L"", L"", L"", L"17.0.2.8", L"17.0.2.8"})),
              choice("17.0.2.8", jdk17 + L"\\", true));
    EXPECT_EQ(describeChoice(search({L"", L"", L"", L"1", L"1.8"})), choice("1.8.0.301", update + L"\\", true));
    EXPECT_EQ(describeChoice(search({L"", L"", L"", L"1.2.3.4", L"1.2.3.4"})), choice("1.2.3.4", beyond + L"\\", true));
    // A name without digits counts as 0.0.0.0, which a maximum without
    // digits (0.0.0.0 as well) and no minimum take in; an empty maximum sets
    // no upper bound.
    EXPECT_EQ(describeChoice(search({L"", L"", L"", L"any", L"latest"})), choice("0.0.0.0", latest + L"\\", true));
    EXPECT_EQ(describeChoice(search({L"", L"", L"", L"any", L""})), choice("17.0.2.8", jdk17 + L"\\", true));
    EXPECT_EQ(describeChoice(search({L"", L"", L"", L"0.0.0.1", L"1.1"})), "nothing");
}

TEST_F(RegistryVersions, NumbersTooLargeCountAsZeroAndAnyStopsAt65535) {
    const std::wstring huge = install(2, L"2147483648", {kJavaDll, kServerVm});
    const std::wstring largest = install(2, L"2147483647", {kJavaDll, kServerVm});
    // "any" as the maximum is 65535.65535.65535.65535, below 2147483647.
    EXPECT_EQ(describeChoice(search({})), choice("0.0.0.0", huge + L"\\", true));
    EXPECT_EQ(describeChoice(search({L"", L"", L"", L"1", L"2147483647"})),
              choice("2147483647.0.0.0", largest + L"\\", true));
    EXPECT_EQ(describeChoice(search({L"", L"", L"", L"1", L"2147483646"})), "nothing");
}

TEST_F(RegistryVersions, BothBoundsAreInclusive) {
    install(2, L"1.8.0_300", {kJavaDll, kServerVm});
    const std::wstring v301 = install(2, L"1.8.0_301", {kJavaDll, kServerVm});
    const std::wstring v302 = install(2, L"1.8.0_302", {kJavaDll, kServerVm});
    install(2, L"1.9", {kJavaDll, kServerVm});
    const auto range = [](const wchar_t* minimum, const wchar_t* maximum) {
        return describeChoice(search({L"", L"", L"", minimum, maximum}));
    };
    EXPECT_EQ(range(L"1.8.0.301", L"1.8.0.301"), choice("1.8.0.301", v301 + L"\\", true));
    EXPECT_EQ(range(L"any", L"1.8.0.301"), choice("1.8.0.301", v301 + L"\\", true));
    // A maximum of 1.8 is 1.8.65535.65535.
    EXPECT_EQ(range(L"1.8.0.301", L"1.8"), choice("1.8.0.302", v302 + L"\\", true));
    EXPECT_EQ(range(L"1.8.0.303", L"1.8"), "nothing");
    EXPECT_EQ(range(L"1.9", L"1.8"), "nothing");
}

using RegistryViews = RegistrySearch;

TEST_F(RegistryViews, ThirtyTwoBitViewIsReadOnlyWhenAsked) {
    const std::wstring native = install(2, L"11", {kJavaDll, kServerVm});
    const std::wstring wow32 = install(2, L"17", {kJavaDll, kServerVm}, View::Wow32);
    const std::wstring wow32Old = install(3, L"1.6", {kJreClientVm}, View::Wow32);
    // The prefix keeps the views apart, or nothing below could be told apart.
    ASSERT_EQ(registrySubkeys(kVendorKeys[1], View::Native), std::vector<std::wstring>{L"11"});
    ASSERT_EQ(registrySubkeys(kVendorKeys[1], View::Wow32), std::vector<std::wstring>{L"17"});
    ASSERT_TRUE(registrySubkeys(kVendorKeys[2], View::Native).empty());

    EXPECT_EQ(describeChoice(search({})), choice("11.0.0.0", native + L"\\", true));
    EXPECT_EQ(describeChoice(search({}, RuntimeBitness::X86)), choice("17.0.0.0", wow32 + L"\\", true));
    EXPECT_EQ(describeChoice(search({L"", L"", L"", L"1.6", L"1.6"}, RuntimeBitness::X86)),
              choice("1.6.0.0", wow32Old + L"\\jre\\", false));
    EXPECT_EQ(describeChoice(search({L"", L"", L"", L"1.6", L"1.6"})), "nothing");
}

TEST_F(RegistryViews, EachViewFindsOnlyItsOwnInstallations) {
    const std::wstring wow32 = install(7, L"1.6", {kJavaDll, kServerVm}, View::Wow32);
    EXPECT_EQ(describeChoice(search({L"", L"ibm"})), "nothing");
    EXPECT_EQ(describeChoice(search({L"", L"ibm"}, RuntimeBitness::X86)), choice("1.6.0.0", wow32 + L"\\", true));
    const std::wstring native = install(5, L"1.5", {kJavaDll, kServerVm});
    EXPECT_EQ(describeChoice(search({L"", L"any"}, RuntimeBitness::X86)), choice("1.6.0.0", wow32 + L"\\", true));
    EXPECT_EQ(describeChoice(search({L"", L"any"})), choice("1.5.0.0", native + L"\\", true));
}

}  // namespace
}  // namespace jlaunch::test
