#include "settings/launcher_settings.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <limits>
#include <string_view>

#include "common/paths.h"
#include "common/text.h"
#include "common/trace.h"
#include "settings/command_line.h"
#include "settings/settings_file.h"

namespace jlaunch {

namespace {

const std::wstring kProductSection = L"Product Information";
const std::wstring kJreSection = L"Java Runtime Environment";
const std::wstring kDisplaySection = L"Display";
const std::wstring kApplicationSection = L"Application";

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
    if (value != L"any") {
        parseJavaVersion(value, kVersionFillerLow, version);
    }
    return version;
}

JavaVersion parseMaximumVersion(const std::wstring& value) {
    JavaVersion version;
    // No maximum at all sets no upper bound; leaving 0.0.0.0 would turn
    // every installed Java away while the message reads as if none were set.
    if (value == L"any" || value.empty()) {
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

bool parseSingleInstance(const std::wstring& applicationType, const std::wstring& value) {
    return applicationType != L"service" && value == L"yes";
}

std::optional<std::int32_t> parseRestartCode(const std::wstring& value) {
    const std::wstring text(trimWhiteSpace(value));
    std::size_t at = !text.empty() && (text[0] == L'-' || text[0] == L'+') ? 1 : 0;
    if (at == text.size()) {
        return std::nullopt;
    }
    std::int64_t magnitude = 0;
    for (; at < text.size(); ++at) {
        if (text[at] < L'0' || text[at] > L'9') {
            return std::nullopt;
        }
        magnitude = magnitude * 10 + (text[at] - L'0');
        if (magnitude > std::int64_t{1} << 32) {
            return std::nullopt;
        }
    }
    const std::int64_t code = text[0] == L'-' ? -magnitude : magnitude;
    // Windows codes are unsigned 32-bit (0xC0000005 written as 3221225477).
    if (code < std::numeric_limits<std::int32_t>::min() || code > std::numeric_limits<std::uint32_t>::max() ||
        code == 0) {
        return std::nullopt;
    }
    return static_cast<std::int32_t>(static_cast<std::uint32_t>(code));
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

Result<LauncherSettings> readLauncherSettings(const std::wstring& executable) {
    auto opened = openMainSettings(executable);
    if (!opened) {
        return opened.failure();
    }
    const LayeredSettings& store = *opened;
    if (traceEnabled()) {
        trace("settings file ", store.file().path(), pathExists(store.file().path()) ? " (found)" : " (not found)");
        trace("embedded settings: ", store.embedded().empty() ? "none" : "present");
    }
    const auto traced = [](const std::wstring& section, const wchar_t* key, std::wstring value) {
        if (!value.empty()) {
            trace("  [", section, "] ", key, " = ", value);
        }
        return value;
    };
    const auto read = [&store, &traced](const std::wstring& section, const wchar_t* key) {
        return traced(section, key, readSetting(store, section, key));
    };
    LauncherSettings settings;
    // The product's names are never layered: they name the per-user folder.
    settings.productCode =
        traced(kProductSection, L"Product Code", store.file().value(kProductSection, L"Product Code"));
    settings.upgradeCode =
        traced(kProductSection, L"Upgrade Code", store.file().value(kProductSection, L"Upgrade Code"));
    settings.productName =
        traced(kProductSection, L"Product Name", store.file().value(kProductSection, L"Product Name"));
    // Even this file's own failures below are then shown under the product's name.
    setMessageTitle(applicationName(executable, settings.productName));

    settings.minimumVersion = parseMinimumVersion(read(kJreSection, L"Minimum Version"));
    settings.maximumVersion = parseMaximumVersion(read(kJreSection, L"Maximum Version"));
    const std::wstring applicationType = read(kApplicationSection, L"Application Type");
    settings.isService = applicationType == L"service";
    settings.preferredVersions = splitList(read(kJreSection, L"Preferred versions"), L";");

    std::wstring jrePath;
    if (settings.isService) {
        jrePath = read(kJreSection, L"JRE Path");
    } else {
        const std::wstring userFile =
            userSettingsFilePath(executable, settings.productName, settings.productCode, false);
        const bool userFileFound = !userFile.empty() && pathExists(userFile);
        trace("per-user settings file ", userFile.empty() ? L"(no folder for it)" : userFile,
              userFileFound ? " (found: JRE Path is read from it alone)" : " (not found)");
        jrePath = userFileFound
                      ? traced(kJreSection, L"JRE Path", readProfileString(userFile, kJreSection, L"JRE Path"))
                      : read(kJreSection, L"JRE Path");
    }
    settings.jrePath = resolveJrePath(jrePath, executable);

    settings.jvmType = parseJvmType(read(kJreSection, L"JVM Type"));
    settings.jvmSource = parseJvmSource(read(kJreSection, L"JVM Source"));
    settings.vmProvider = parseVmProvider(read(kJreSection, L"VM Provider"));

    trace("versions accepted: ", settings.minimumVersion, " to ", settings.maximumVersion);
    trace("JVM type: ", jvmTypeName(settings.jvmType));
    trace("JVM source: ", settings.jvmSource.favorMode ? "favour" : "only", " (JDK ", settings.jvmSource.acceptJdk,
          ", JRE ", settings.jvmSource.acceptJre, ")");
    trace("VM provider: accept/prefer JavaSoft ", settings.vmProvider.acceptJavaSoft, "/",
          settings.vmProvider.preferJavaSoft, ", JRockit ", settings.vmProvider.acceptJRockit, "/",
          settings.vmProvider.preferJRockit, ", IBM ", settings.vmProvider.acceptIbm, "/",
          settings.vmProvider.preferIbm);

    settings.mainModule = read(kJreSection, L"Main Module");
    settings.mainJar = read(kJreSection, L"Main Jar");
    settings.modulePath = read(kJreSection, L"Module Path");
    settings.addModules = read(kJreSection, L"Add Modules");
    std::wstring mainClass = read(kJreSection, L"Main Class");
    if (mainClass.empty() && settings.mainModule.empty() && settings.mainJar.empty()) {
        // Without its file, every value is empty: the file is what is missing.
        if (!pathExists(store.file().path())) {
            return Failure{kMsgSettingsFileMissing, {store.file().path()}, {}, {}};
        }
        // Named with its file and the keys, so the packager knows where to look.
        return Failure{kMsgMainClassMissingIn, {store.file().path()}, {}, {}};
    }
    std::replace(mainClass.begin(), mainClass.end(), L'.', L'/');
    settings.mainClassName = std::move(mainClass);

    settings.failureCheck = parseYes(read(kApplicationSection, L"Failure Check"));
    settings.overrideWorkingDir = parseYes(read(kApplicationSection, L"Override WorkingDir"));
    settings.systemPath = read(kJreSection, L"System Path");
    settings.libraryPath = read(kJreSection, L"Library Path");
    settings.pairProduct = read(kApplicationSection, L"Pair Product");
    settings.pairReturnCode = parseYes(read(kApplicationSection, L"Pair Return Code"));
    // A service never reads the key.
    settings.singleInstance =
        !settings.isService && parseSingleInstance(applicationType, read(kApplicationSection, L"Single Instance"));

    const std::wstring restartCode = read(kApplicationSection, L"Restart Code");
    settings.restartCode = parseRestartCode(restartCode);
    if (!restartCode.empty() && !settings.restartCode) {
        trace("Restart Code \"", restartCode, "\" is not a whole number other than 0: no restart");
    }

    settings.startupCache = parseYes(read(kJreSection, L"Startup Cache"));
    settings.classPath = read(L"Class Path", L"Class Path");
    settings.embeddedJar = parseYes(read(kApplicationSection, L"Embedded Jar"));
    settings.vmParameters = read(kJreSection, L"Virtual Machine Parameters");
    settings.outputFile = read(kApplicationSection, L"Output File");
    settings.outputAppend = read(kApplicationSection, L"Output Append") == L"yes";
    settings.errorFile = read(kApplicationSection, L"Error File");
    settings.errorAppend = read(kApplicationSection, L"Error Append") == L"yes";
    settings.cmd = read(kApplicationSection, L"Cmd");

    settings.downloadUrl = read(kJreSection, L"Download URL");
    settings.appUserModelId = read(kApplicationSection, L"App User Model ID");

    // The embedded settings are part of the file beside the executable, so
    // they may show a splash; the per-user copy and "+" sections never do.
    const auto display = [&store, &traced](const wchar_t* key) {
        std::wstring value = store.file().value(kDisplaySection, key);
        if (value.empty()) {
            store.embedded().lookup(kDisplaySection, key, value);
        }
        return traced(kDisplaySection, key, std::move(value));
    };
    settings.splashImagePath = display(L"Splash Screen");
    settings.splashShadow = display(L"Splash Screen Shadow");
    settings.preferNativeSplash = display(L"Preffer Native Splash Screen");
    return settings;
}

}  // namespace jlaunch
