// The Java VM search through the real exe, one launch per row with
// JLAUNCH_TRACE naming a file: the key forms of today's installers that
// register only under their own vendor keys (read after JAVA_HOME, in either
// registry view, with the version range, "JVM Source", "VM Provider" and the
// ranking applied), and one launch per outcome of the search whose trace must
// name the choice and why others were rejected.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "jvm_search_support.h"

namespace jlaunch::test {
namespace {

const std::wstring kAdoptium = L"SOFTWARE\\Eclipse Adoptium\\JDK\\17.0.9.9\\hotspot\\MSI";
const std::wstring kMicrosoft = L"SOFTWARE\\Microsoft\\JDK\\21.0.1.12\\hotspot\\MSI";
const std::wstring kZulu = L"SOFTWARE\\Azul Systems\\Zulu\\zulu-17";

struct SearchRow {
    const char* name;
    std::vector<Registered> registered;
    // Settings of "Java Runtime Environment". "JRE Path" and "JAVA_HOME" name
    // homes (server VM) below the homes folder, "jre64" one beside the exe;
    // "Pair Product" is the probe, which ends with 5.
    Entries settings;
    // The home whose server VM message 222 names (below the homes folder, or
    // "{exe}\..."); "(pair)": the paired launcher ran; empty: the dialog.
    std::wstring chosen;
    // Texts the trace holds in this order, each within one line; "{homes}"
    // and "{exe}" stand for the homes folder and the copy's folder.
    std::vector<std::wstring> lines = {};
};

const std::vector<SearchRow>& rows() {
    static const std::vector<SearchRow> table = {
        // Key forms.
        {"AdoptiumJdk", {{kAdoptium, L"Path", L"temurin"}}, {}, L"temurin"},
        {"AdoptiumJreOpenj9",
         {{L"SOFTWARE\\Eclipse Adoptium\\JRE\\11.0.21.9\\openj9\\MSI", L"Path", L"jre"}},
         {},
         L"jre"},
        {"AdoptOpenJdk", {{L"SOFTWARE\\AdoptOpenJDK\\JDK\\8.0.392.8\\hotspot\\MSI", L"Path", L"adopt"}}, {}, L"adopt"},
        {"EclipseFoundation",
         {{L"SOFTWARE\\Eclipse Foundation\\JDK\\16.0.2.7\\hotspot\\MSI", L"Path", L"ef"}},
         {},
         L"ef"},
        {"SemeruJre", {{L"SOFTWARE\\Semeru\\JRE\\17.0.8.1\\openj9\\MSI", L"Path", L"semeru"}}, {}, L"semeru"},
        {"Microsoft", {{kMicrosoft, L"Path", L"microsoft"}}, {}, L"microsoft"},
        {"AzulZulu", {{kZulu, L"InstallationPath", L"zulu"}}, {}, L"zulu"},
        {"ZuluNeedsItsPrefix", {{L"SOFTWARE\\Azul Systems\\Zulu\\17", L"InstallationPath", L"zulu"}}, {}, L""},
        {"Only32BitWithPair",
         {{kAdoptium, L"Path", L"x86", Layout::Jdk, View::Wow32}},
         {{"Pair Product", L""}},
         L"(pair)"},
        {"Only32BitWithoutPair", {{kAdoptium, L"Path", L"x86", Layout::Jdk, View::Wow32}}, {}, L""},
        {"NativeViewFirst",
         {{kAdoptium, L"Path", L"x86", Layout::Jdk, View::Wow32}, {kMicrosoft, L"Path", L"microsoft"}},
         {{"Pair Product", L""}},
         L"microsoft"},
        {"OutOfRange", {{kAdoptium, L"Path", L"temurin"}}, {{"Maximum Version", L"11"}}, L""},
        {"NewestWins", {{kAdoptium, L"Path", L"temurin"}, {kMicrosoft, L"Path", L"microsoft"}}, {}, L"microsoft"},
        {"PreferredVersion",
         {{kAdoptium, L"Path", L"temurin"}, {kMicrosoft, L"Path", L"microsoft"}},
         {{"Preferred versions", L"9;17"}},
         L"temurin"},
        {"FavorJreFirst",
         {{kMicrosoft, L"Path", L"microsoft"}, {kZulu, L"InstallationPath", L"zulujre", Layout::Jre}},
         {{"JVM Source", L"favor_JRE"}},
         L"zulujre"},
        {"OnlyJreRejectsZuluJdk", {{kZulu, L"InstallationPath", L"zulu"}}, {{"JVM Source", L"only_JRE"}}, L""},
        {"IbmAloneExcludesThem", {{kAdoptium, L"Path", L"temurin"}}, {{"VM Provider", L"IBM"}}, L""},
        {"AnyProviderReadsThem", {{kAdoptium, L"Path", L"temurin"}}, {{"VM Provider", L"any"}}, L"temurin"},
        {"JavaSoftFirst",
         {{kMicrosoft, L"Path", L"microsoft"}, {L"Software\\JavaSoft\\JRE\\11", L"JavaHome", L"javasoft"}},
         {},
         L"javasoft"},
        // Outcomes of the search and their trace.
        {"JrePath",
         {},
         {{"JRE Path", L"configured"}},
         L"configured",
         {L"JVM search 1: \"JRE Path\" {homes}\\configured",
          L"chosen VM library {homes}\\configured\\bin\\server\\jvm.dll", L"loading the VM library",
          L"failure shown: "}},
        {"ExecutablesFolder",
         {},
         {{"jre64", L""}},
         L"{exe}\\jre64",
         {L"JVM search 2: the executable's folder", L"  {exe}\\ is not a Java home"}},
        {"InstalledRuntimes",
         {{L"Software\\JavaSoft\\JRE\\11", L"JavaHome", L"jre11"},
          {L"Software\\JavaSoft\\JDK\\17.0.2", L"JavaHome", L"jdk17"},
          {L"Software\\JavaSoft\\JDK\\21", L"JavaHome", L"novm21", Layout::NoVm}},
         {{"Minimum Version", L"17"}},
         L"jdk17",
         {L"JVM search 3: installed runtimes",
          L"HKLM\\Software\\JavaSoft\\JDK\\17.0.2: JavaSoft JDK 17.0.2 at {homes}\\jdk17\\, server VM",
          L"HKLM\\Software\\JavaSoft\\JDK\\21: JavaSoft JDK 21.0 at {homes}\\novm21\\ has no VM of type default: "
          L"rejected",
          L"HKLM\\Software\\JavaSoft\\JRE\\11: version 11.0 is out of range: rejected", L"ranked 1: 17.0.2"}},
        {"JavaHome",
         {{kMicrosoft, L"Path", L"microsoft"}},
         {{"JAVA_HOME", L"environment"}},
         L"environment",
         {L"HKLM\\Software\\JavaSoft\\JDK\\: not there", L"JVM search 4: JAVA_HOME = {homes}\\environment"}},
        {"VendorKey",
         {{L"SOFTWARE\\Eclipse Adoptium\\JDK\\21.0.1.12\\hotspot\\MSI", L"Path", L"temurin21", Layout::Client},
          {L"SOFTWARE\\Microsoft\\JDK\\17.0.8.7\\hotspot\\MSI", L"Path", L"microsoft17"}},
         {{"JVM Type", L"server"}},
         L"microsoft17",
         {L"JVM search 5: runtimes registered only under their vendors' own registry keys",
          L"Eclipse Adoptium\\JDK\\21.0.1.12\\hotspot\\MSI: Eclipse Adoptium JDK 21.0.1.12 at {homes}\\temurin21\\ has "
          L"no "
          L"VM of type server: rejected",
          L"Microsoft\\JDK\\17.0.8.7\\hotspot\\MSI: Microsoft JDK 17.0.8.7 at {homes}\\microsoft17\\, server VM"}},
        {"NotFound",
         {{L"Software\\JavaSoft\\JRE\\17", L"JavaHome", L"novm", Layout::NoVm}},
         {},
         L"",
         {L"HKLM\\Software\\JavaSoft\\JRE\\17: JavaSoft JRE 17.0 at {homes}\\novm\\ has no VM of type default: "
          L"rejected",
          L"JVM search 4: JAVA_HOME is not set", L"no Java VM found", L"no folder was chosen", L"exit code -1"}},
        {"ThirtyTwoBitView",
         {{L"Software\\JavaSoft\\JRE\\17", L"JavaHome", L"wow32", Layout::Jre, View::Wow32}},
         {{"Pair Product", L""}},
         L"(pair)",
         {L"nothing found; \"Pair Product\" is set, so the 32-bit runtimes are searched",
          L"HKLM\\Software\\JavaSoft\\JRE\\17 (32-bit view): JavaSoft JRE 17.0 at {homes}\\wow32\\",
          L"chosen 32-bit VM library (the paired launcher runs it) {homes}\\wow32\\bin\\server\\jvm.dll"}},
    };
    return table;
}

class SearchOutcomes : public JvmSearchTest, public ::testing::WithParamInterface<SearchRow> {
protected:
    std::wstring placed(std::wstring text, const LauncherCopy& copy) const {
        for (const auto& [name, value] :
             {std::pair{L"{homes}", homes_.path()}, std::pair{L"{exe}", copy.exeFolder()}}) {
            for (auto at = text.find(name); at != std::wstring::npos; at = text.find(name)) {
                text.replace(at, std::wstring_view(name).size(), value);
            }
        }
        return text;
    }
};

TEST_P(SearchOutcomes, ChooseAsTheSettingsSayAndTraceWhy) {
    const SearchRow& row = GetParam();
    const LauncherCopy copy(L"app.exe");
    install(row.registered);
    Entries runtime;
    Entries application;
    std::optional<std::wstring> javaHome;
    JvmType type = JvmType::Default;
    JavaVersion maximum = parseMaximumVersion(L"any");
    for (const auto& [key, value] : row.settings) {
        if (key == "jre64") {
            makeJavaHome(copy.exeFolder() + L"\\jre64", {kJavaDll, kServerVm});
        } else if (key == "JAVA_HOME") {
            javaHome = home(value, Layout::Jre);
        } else if (key == "Pair Product") {
            application = {{key, folderOf(testProgramPath()) + L"\\jlaunch_pair_probe.exe"},
                           {"Pair Return Code", L"Yes"}};
        } else {
            runtime.emplace_back(key, key == "JRE Path" ? home(value, Layout::Jre) : value);
            type = key == "JVM Type" ? parseJvmType(value) : type;
            maximum = key == "Maximum Version" ? parseMaximumVersion(value) : maximum;
        }
    }
    copy.writeSettings(settingsText(runtime, application));
    const std::wstring traceFile = homes_ / L"trace.txt";
    const std::string shown = describe(
        launch(copy, javaHome, L"-nosplash", {{L"JLAUNCH_TRACE", traceFile}, {L"JLAUNCH_PROBE_EXIT_CODE", L"5"}}));
    if (row.chosen.empty()) {
        EXPECT_EQ(shown, jreNotFoundFor(type, {}, maximum));
    } else if (row.chosen == L"(pair)") {
        EXPECT_EQ(shown, "exit code 5");
    } else {
        const std::wstring chosen = placed(row.chosen.starts_with(L"{") ? row.chosen : L"{homes}\\" + row.chosen, copy);
        EXPECT_EQ(shown, loadFailureOf(chosen + L"\\bin\\server\\jvm.dll"));
    }

    // Each line after the milliseconds since the start; the wanted ones in order.
    const std::wstring text = widen(readFileBytes(traceFile).value_or(""));
    std::vector<std::wstring> lines;
    for (std::size_t start = 0, end = 0; start < text.size(); start = end + 2) {
        end = std::min(text.find(L"\r\n", start), text.size());
        lines.push_back(text.substr(start, end - start));
        const std::wstring time = lines.back().substr(0, lines.back().find(L" ms  "));
        EXPECT_TRUE(time.size() < lines.back().size() && time.find_first_not_of(L" 0123456789") == std::wstring::npos)
            << narrowForReport(lines.back());
    }
    ASSERT_FALSE(lines.empty()) << "no trace was written";
    EXPECT_NE(lines.front().find(L" ms  executable " + copy.exePath()), std::wstring::npos);
    std::size_t next = 0;
    for (const std::wstring& line : row.lines) {
        const std::wstring wanted = placed(line, copy);
        while (next < lines.size() && lines[next].find(wanted) == std::wstring::npos) {
            ++next;
        }
        ASSERT_LT(next++, lines.size()) << "missing, or out of order: " << narrowForReport(wanted) << "\nin\n"
                                        << narrowForReport(text);
    }
}

// Rows are named by their names in test lists.
void PrintTo(const SearchRow& row, std::ostream* out) {
    *out << row.name;
}

INSTANTIATE_TEST_SUITE_P(Rows, SearchOutcomes, ::testing::ValuesIn(rows()),
                         [](const ::testing::TestParamInfo<SearchRow>& row) { return std::string(row.param.name); });

}  // namespace
}  // namespace jlaunch::test
