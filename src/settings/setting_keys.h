#pragma once
// The settings vocabulary: every section and key the launcher reads, where a
// value may come from and how it is read. The settings read, the packaging
// tool's checks, the names diagnostics and README's table all follow it.
#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>

namespace jlaunch {

// One per key, in the order the launcher reads them.
enum class SettingId {
    ProductCode,
    UpgradeCode,
    ProductName,
    MinimumVersion,
    MaximumVersion,
    ApplicationType,
    PreferredVersions,
    JrePath,
    JvmType,
    JvmSource,
    VmProvider,
    MainModule,
    MainJar,
    ModulePath,
    AddModules,
    MainClass,
    FailureCheck,
    OverrideWorkingDir,
    SystemPath,
    LibraryPath,
    PairProduct,
    PairReturnCode,
    SingleInstance,
    RestartCode,
    StartupCache,
    DownloadUrl,
    ClassPath,
    EmbeddedJar,
    VmParameters,
    OutputFile,
    OutputAppend,
    ErrorFile,
    ErrorAppend,
    Cmd,
    AppUserModelId,
    SplashScreen,
    SplashScreenShadow,
    PreferNativeSplash,
};

// Where a value may come from.
enum SettingSource : unsigned {
    kFromFile = 1,      // the settings file beside the executable
    kFromEmbedded = 2,  // the settings carried inside the executable, and the file's "+" section
    kFromPerUser = 4,   // the per-user copy, which then holds it alone
    kFromPacked = 8,    // the settings carried inside the executable alone, never a "+" section
};

enum class ValueKind {
    Text,       // as written
    Name,       // a class or module name
    Path,       // one file or folder
    Word,       // one of `words`; anything else reads as the default
    Version,    // a Java version, or "any"
    Versions,   // versions separated by `separator`
    List,       // entries separated by `separator`
    Arguments,  // space-separated, quoted as on a command line
    Number,     // a whole number from `lowest` to `highest`
};

struct SettingKey {
    SettingId id;
    std::wstring_view section;
    std::wstring_view key;
    unsigned sources;
    ValueKind kind;
    // Word: the values that mean something, "|"-separated (an empty value
    // always reads as the default). List and Versions: the separator.
    std::wstring_view words = {};
    bool ignoringCase = false;
    // Number: the range a value may take.
    std::int32_t lowest = 0;
    std::int32_t highest = 0;

    bool layered() const { return (sources & kFromEmbedded) != 0; }
};

inline constexpr std::wstring_view kProductSection = L"Product Information";
inline constexpr std::wstring_view kJreSection = L"Java Runtime Environment";
inline constexpr std::wstring_view kApplicationSection = L"Application";
inline constexpr std::wstring_view kClassPathSection = L"Class Path";
inline constexpr std::wstring_view kDisplaySection = L"Display";

std::span<const SettingKey> settingKeys();
const SettingKey& settingKey(SettingId id);
inline constexpr std::size_t kSettingCount = static_cast<std::size_t>(SettingId::PreferNativeSplash) + 1;

// The sections the launcher reads, without their "+" forms.
std::span<const std::wstring_view> settingSections();

// A key's value as the layered read found it.
struct SettingValue {
    std::wstring value;
    bool extended = false;  // the "+" section added to it
    // A value in the "+" section that a value in the file's own section hides.
    std::wstring hiddenExtension;
};
using SettingValues = std::array<SettingValue, kSettingCount>;

inline SettingValue& valueOf(SettingValues& values, SettingId id) {
    return values[static_cast<std::size_t>(id)];
}
inline const SettingValue& valueOf(const SettingValues& values, SettingId id) {
    return values[static_cast<std::size_t>(id)];
}

}  // namespace jlaunch
