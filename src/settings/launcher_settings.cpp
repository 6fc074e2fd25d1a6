#include "settings/launcher_settings.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <string_view>

#include "common/paths.h"
#include "common/text.h"
#include "common/trace.h"
#include "common/split.h"
#include "settings/settings_check.h"
#include "settings/settings_file.h"

namespace jlaunch {

namespace {

struct ProviderRow {
    std::wstring_view name;
    VmProviderPolicy policy;
};

// Accept and prefer flags of each "VM Provider" value; the default row first.
constexpr std::array<ProviderRow, 7> kProviderTable = {{
    {L"", {false, false, true, true, false, false}},
    {L"jrockit", {true, true, false, false, false, false}},
    {L"ibm", {false, false, false, false, true, true}},
    {L"favor_sun", {true, false, true, true, true, false}},
    {L"favor_jrockit", {true, true, true, false, true, false}},
    {L"favor_ibm", {true, false, true, false, true, true}},
    {L"any", {true, false, true, false, true, false}},
}};

struct SourceRow {
    std::wstring_view name;
    JvmSourcePolicy policy;
};

constexpr std::array<SourceRow, 4> kSourceTable = {{
    {L"favor_JRE", {true, false, true}},
    {L"favor_JDK", {true, true, false}},
    {L"only_JDK", {false, true, false}},
    {L"only_JRE", {false, false, true}},
}};

}  // namespace

JavaVersion parseMinimumVersion(const std::wstring& value) {
    JavaVersion version;
    if (!equalsIgnoringCase(value, L"any")) {
        parseJavaVersion(value, kVersionFillerLow, version);
    }
    return version;
}

JavaVersion parseMaximumVersion(const std::wstring& value) {
    JavaVersion version;
    // No maximum at all sets no upper bound; leaving 0.0.0.0 would turn
    // every installed Java away while the message reads as if none were set.
    if (value.empty() || equalsIgnoringCase(value, L"any")) {
        version.components.fill(kVersionFillerHigh);
    } else {
        parseJavaVersion(value, kVersionFillerHigh, version);
    }
    return version;
}

const wchar_t* jvmTypeName(JvmType type) {
    switch (type) {
        case JvmType::Server:
            return L"server";
        case JvmType::FavorServer:
            return L"favor_server";
        case JvmType::Default:
            break;
    }
    return L"default";
}

JvmType parseJvmType(const std::wstring& value) {
    if (value == L"server") return JvmType::Server;
    if (value == L"favor_server") return JvmType::FavorServer;
    return JvmType::Default;
}

JvmSourcePolicy parseJvmSource(const std::wstring& value) {
    if (value.empty()) {
        return {};
    }
    for (const SourceRow& row : kSourceTable) {
        if (value == row.name) {
            return row.policy;
        }
    }
    return {false, false, false};
}

VmProviderPolicy parseVmProvider(const std::wstring& value) {
    if (!value.empty()) {
        for (const ProviderRow& row : kProviderTable) {
            if (equalsIgnoringCase(value, row.name)) {
                return row.policy;
            }
        }
    }
    return kProviderTable[0].policy;
}

bool parseYes(const std::wstring& value) {
    return equalsIgnoringCase(value, L"Yes");
}

std::optional<std::int32_t> parseRestartCode(const std::wstring& value) {
    const auto code = parseNumber(value, settingKey(SettingId::RestartCode));
    if (code == 0) {
        return std::nullopt;  // a normal end is never a restart
    }
    return code;
}

std::wstring resolveJrePath(const std::wstring& value, const std::wstring& executable) {
    if (value.empty() || isAbsolutePath(value)) {
        return value;
    }
    return parentPath(executable, 1) + kPathSeparator + value;
}

std::wstring applicationName(const std::wstring& executable, const std::wstring& productName) {
    if (!productName.empty()) {
        return productName;
    }
    const auto slash = executable.find_last_of(L"\\/");
    std::wstring name = slash == std::wstring::npos ? executable : executable.substr(slash + 1);
    // Only the last extension goes: "My.App.exe" is "My.App".
    if (const auto dot = name.rfind(L'.'); dot != std::wstring::npos && dot != 0) {
        name.resize(dot);
    }
    return name;
}

SettingValues readSettingValues(const LayeredSettings& store, const std::wstring& executable) {
    SettingValues values;
    for (const SettingKey& key : settingKeys()) {
        SettingValue& read = valueOf(values, key.id);
        const bool isService = valueOf(values, SettingId::ApplicationType).value == L"service";
        if ((key.sources & kFromPerUser) != 0 && !isService && !executable.empty()) {
            const std::wstring userFile =
                userSettingsFilePath(executable, valueOf(values, SettingId::ProductName).value,
                                     valueOf(values, SettingId::ProductCode).value, false);
            const bool userFileFound = !userFile.empty() && pathExists(userFile);
            trace("per-user settings file ", userFile.empty() ? L"(no folder for it)" : userFile,
                  userFileFound ? " (found: " : " (not found)", userFileFound ? key.key : L"",
                  userFileFound ? " is read from it alone)" : "");
            if (userFileFound) {
                read.value = readProfileString(userFile, std::wstring(key.section), std::wstring(key.key));
                trace("  [", key.section, "] ", key.key, " = ", read.value, " (per-user copy)");
                continue;
            }
        }
        read = readSetting(store, key);
        if (!read.value.empty()) {
            trace("  [", key.section, "] ", key.key, " = ", read.value,
                  read.extended ? L" (extended by its \"+\" section)" : L"");
        }
    }
    return values;
}

namespace {

void applySetting(LauncherSettings& settings, SettingId id, std::wstring value) {
    switch (id) {
        case SettingId::ProductCode:
            settings.productCode = std::move(value);
            break;
        case SettingId::UpgradeCode:
            settings.upgradeCode = std::move(value);
            break;
        case SettingId::ProductName:
            settings.productName = std::move(value);
            break;
        case SettingId::MinimumVersion:
            settings.minimumVersion = parseMinimumVersion(value);
            break;
        case SettingId::MaximumVersion:
            settings.maximumVersion = parseMaximumVersion(value);
            break;
        case SettingId::ApplicationType:
            settings.isService = value == L"service";
            break;
        case SettingId::PreferredVersions:
            settings.preferredVersions = splitList(value, L";");
            break;
        case SettingId::JrePath:
            settings.jrePath = std::move(value);
            break;
        case SettingId::JvmType:
            settings.jvmType = parseJvmType(value);
            break;
        case SettingId::JvmSource:
            settings.jvmSource = parseJvmSource(value);
            break;
        case SettingId::VmProvider:
            settings.vmProvider = parseVmProvider(value);
            break;
        case SettingId::MainModule:
            settings.mainModule = std::move(value);
            break;
        case SettingId::MainJar:
            settings.mainJar = std::move(value);
            break;
        case SettingId::ModulePath:
            settings.modulePath = std::move(value);
            break;
        case SettingId::AddModules:
            settings.addModules = std::move(value);
            break;
        case SettingId::MainClass:
            std::replace(value.begin(), value.end(), L'.', L'/');
            settings.mainClassName = std::move(value);
            break;
        case SettingId::FailureCheck:
            settings.failureCheck = parseYes(value);
            break;
        case SettingId::OverrideWorkingDir:
            settings.overrideWorkingDir = parseYes(value);
            break;
        case SettingId::SystemPath:
            settings.systemPath = std::move(value);
            break;
        case SettingId::LibraryPath:
            settings.libraryPath = std::move(value);
            break;
        case SettingId::PairProduct:
            settings.pairProduct = std::move(value);
            break;
        case SettingId::PairReturnCode:
            settings.pairReturnCode = parseYes(value);
            break;
        case SettingId::SingleInstance:
            // A service never reads the key.
            settings.singleInstance = !settings.isService && value == L"yes";
            break;
        case SettingId::RestartCode:
            settings.restartCode = parseRestartCode(value);
            if (!value.empty() && !settings.restartCode) {
                trace("Restart Code 0 restarts nothing: a normal end is never a restart");
            }
            break;
        case SettingId::StartupCache:
            settings.startupCache = parseYes(value);
            break;
        case SettingId::DownloadUrl:
            settings.downloadUrl = std::move(value);
            break;
        case SettingId::AppUserModelId:
            settings.appUserModelId = std::move(value);
            break;
        case SettingId::ClassPath:
            settings.classPath = std::move(value);
            break;
        case SettingId::EmbeddedJar:
            settings.embeddedJar = parseYes(value);
            break;
        case SettingId::VmParameters:
            settings.vmParameters = std::move(value);
            break;
        case SettingId::OutputFile:
            settings.outputFile = std::move(value);
            break;
        case SettingId::OutputAppend:
            settings.outputAppend = value == L"yes";
            break;
        case SettingId::ErrorFile:
            settings.errorFile = std::move(value);
            break;
        case SettingId::ErrorAppend:
            settings.errorAppend = value == L"yes";
            break;
        case SettingId::Cmd:
            settings.cmd = std::move(value);
            break;
        case SettingId::SplashScreen:
            settings.splashImagePath = std::move(value);
            break;
        case SettingId::SplashScreenShadow:
            settings.splashShadow = std::move(value);
            break;
        case SettingId::PreferNativeSplash:
            settings.preferNativeSplash = std::move(value);
            break;
    }
}

}  // namespace

Result<LauncherSettings> readLauncherSettings(const std::wstring& executable) {
    auto opened = openMainSettings(executable);
    if (!opened) {
        return opened.failure();
    }
    const LayeredSettings& store = *opened;
    const std::wstring& file = store.file().path();
    if (traceEnabled()) {
        trace("settings file ", file, pathExists(file) ? " (found)" : " (not found)");
        trace("embedded settings: ", store.embedded().empty() ? "none" : "present");
        traceSettingNames(store);
    }
    SettingValues values = readSettingValues(store, executable);
    // Even this file's own failures below are then shown under the product's name.
    setMessageTitle(applicationName(executable, valueOf(values, SettingId::ProductName).value));
    for (const ValueProblem& problem : checkSettingValues(values)) {
        if (traceEnabled()) {
            trace(describe(problem));
        }
        const SettingKey& key = settingKey(problem.id);
        if (problem.kind == ValueProblem::Kind::Unreadable && key.kind == ValueKind::Number) {
            return Failure{kMsgSettingNotNumber,
                           {std::wstring(key.key), std::wstring(key.section), decimalText(key.lowest),
                            decimalText(key.highest), problem.value, file},
                           {}};
        }
        if (problem.kind == ValueProblem::Kind::Unreadable) {
            return Failure{
                kMsgSettingUnreadable, {std::wstring(key.key), std::wstring(key.section), problem.value, file}, {}};
        }
        if (problem.kind == ValueProblem::Kind::EmptyRange) {
            return Failure{kMsgVersionRangeEmpty, {problem.value, problem.other, file}, {}};
        }
    }
    LauncherSettings settings;
    for (const SettingKey& key : settingKeys()) {
        applySetting(settings, key.id, std::move(valueOf(values, key.id).value));
    }
    settings.jrePath = resolveJrePath(settings.jrePath, executable);

    trace("versions accepted: ", settings.minimumVersion, " to ", settings.maximumVersion);
    trace("JVM type: ", jvmTypeName(settings.jvmType));
    trace("JVM source: ", settings.jvmSource.favorMode ? "favour" : "only", " (JDK ", settings.jvmSource.acceptJdk,
          ", JRE ", settings.jvmSource.acceptJre, ")");
    trace("VM provider: accept/prefer JavaSoft ", settings.vmProvider.acceptJavaSoft, "/",
          settings.vmProvider.preferJavaSoft, ", JRockit ", settings.vmProvider.acceptJRockit, "/",
          settings.vmProvider.preferJRockit, ", IBM ", settings.vmProvider.acceptIbm, "/",
          settings.vmProvider.preferIbm);

    if (settings.mainClassName.empty() && settings.mainModule.empty() && settings.mainJar.empty()) {
        // Without its file, every value is empty: the file is what is missing.
        if (!pathExists(file)) {
            return Failure{kMsgSettingsFileMissing, {file}, {}, {}};
        }
        // Named with its file and the keys, so the packager knows where to look.
        return Failure{kMsgMainClassMissingIn, {file}, {}, {}};
    }
    return settings;
}

}  // namespace jlaunch
