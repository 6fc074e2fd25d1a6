#include "settings/setting_keys.h"

#include <array>
#include <limits>

namespace jlaunch {

namespace {

constexpr unsigned kLayered = kFromFile | kFromEmbedded;
constexpr std::wstring_view kYesNo = L"yes|no";

using enum SettingId;
using enum ValueKind;

constexpr std::array<SettingKey, kSettingCount> kKeys = {{
    // The product's names are never layered: they name the per-user folder
    // and decipher the embedded settings.
    {ProductCode, kProductSection, L"Product Code", kFromFile, Text},
    {UpgradeCode, kProductSection, L"Upgrade Code", kFromFile, Text},
    {ProductName, kProductSection, L"Product Name", kFromFile, Text},
    {MinimumVersion, kJreSection, L"Minimum Version", kLayered, Version},
    {MaximumVersion, kJreSection, L"Maximum Version", kLayered, Version},
    {ApplicationType, kApplicationSection, L"Application Type", kLayered, Word, L"service"},
    {PreferredVersions, kJreSection, L"Preferred versions", kLayered, Versions, L";"},
    {JrePath, kJreSection, L"JRE Path", kLayered | kFromPerUser, Path},
    {JvmType, kJreSection, L"JVM Type", kLayered, Word, L"server|favor_server"},
    {JvmSource, kJreSection, L"JVM Source", kLayered, Word, L"favor_JRE|favor_JDK|only_JDK|only_JRE"},
    {VmProvider, kJreSection, L"VM Provider", kLayered, Word, L"jrockit|ibm|favor_sun|favor_jrockit|favor_ibm|any",
     true},
    {MainModule, kJreSection, L"Main Module", kLayered, Name},
    {MainJar, kJreSection, L"Main Jar", kLayered, Path},
    {ModulePath, kJreSection, L"Module Path", kLayered, List, L";"},
    {AddModules, kJreSection, L"Add Modules", kLayered, List, L","},
    {MainClass, kJreSection, L"Main Class", kLayered, Name},
    {FailureCheck, kApplicationSection, L"Failure Check", kLayered, Word, kYesNo, true},
    {OverrideWorkingDir, kApplicationSection, L"Override WorkingDir", kLayered, Word, kYesNo, true},
    {SystemPath, kJreSection, L"System Path", kLayered, List, L";"},
    {LibraryPath, kJreSection, L"Library Path", kLayered, List, L";"},
    {PairProduct, kApplicationSection, L"Pair Product", kLayered, Path},
    {PairReturnCode, kApplicationSection, L"Pair Return Code", kLayered, Word, kYesNo, true},
    {SingleInstance, kApplicationSection, L"Single Instance", kLayered, Word, kYesNo},
    // The status the application hands to System.exit, a Java int, is what
    // the launcher compares, before the process ends, on both systems.
    {RestartCode,
     kApplicationSection,
     L"Restart Code",
     kLayered,
     Number,
     {},
     false,
     std::numeric_limits<std::int32_t>::min(),
     std::numeric_limits<std::int32_t>::max()},
    {StartupCache, kJreSection, L"Startup Cache", kLayered, Word, kYesNo, true},
    {DownloadUrl, kJreSection, L"Download URL", kLayered, Text},
    {ClassPath, kClassPathSection, L"Class Path", kLayered, List, L";"},
    {EmbeddedJar, kApplicationSection, L"Embedded Jar", kLayered, Word, kYesNo, true},
    {VmParameters, kJreSection, L"Virtual Machine Parameters", kLayered, Arguments},
    {OutputFile, kApplicationSection, L"Output File", kLayered, Path},
    {OutputAppend, kApplicationSection, L"Output Append", kLayered, Word, kYesNo},
    {ErrorFile, kApplicationSection, L"Error File", kLayered, Path},
    {ErrorAppend, kApplicationSection, L"Error Append", kLayered, Word, kYesNo},
    {Cmd, kApplicationSection, L"Cmd", kLayered, Arguments},
    {AppUserModelId, kApplicationSection, L"App User Model ID", kLayered, Name},
    // Only the file beside the executable shows a splash; the settings packed
    // into it are part of that file, the per-user copy and "+" sections never.
    {SplashScreen, kDisplaySection, L"Splash Screen", kFromFile | kFromPacked, Path},
    {SplashScreenShadow, kDisplaySection, L"Splash Screen Shadow", kFromFile | kFromPacked, Word, L"true|false"},
    {PreferNativeSplash, kDisplaySection, L"Preffer Native Splash Screen", kFromFile | kFromPacked, Word, kYesNo, true},
}};

constexpr bool inIdOrder() {
    for (std::size_t i = 0; i < kKeys.size(); ++i) {
        if (static_cast<std::size_t>(kKeys[i].id) != i) {
            return false;
        }
    }
    return true;
}
static_assert(inIdOrder(), "settingKey() indexes the table by id");

constexpr std::array<std::wstring_view, 5> kSections = {kProductSection, kJreSection, kApplicationSection,
                                                        kClassPathSection, kDisplaySection};

}  // namespace

std::span<const SettingKey> settingKeys() {
    return kKeys;
}

const SettingKey& settingKey(SettingId id) {
    return kKeys[static_cast<std::size_t>(id)];
}

std::span<const std::wstring_view> settingSections() {
    return kSections;
}

}  // namespace jlaunch
