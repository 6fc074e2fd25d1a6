#include "jvmsearch/jvm_search.h"

#include "common/messages.h"
#include "common/paths.h"
#include "common/pe_image.h"
#include "common/system.h"
#include "common/trace.h"
#include "jvmsearch/installed_java.h"
#include "jvmsearch/java_home.h"
#include "jvmsearch/chosen_folder.h"
#include "settings/setting_keys.h"
#include "settings/settings_file.h"

namespace jlaunch {

namespace {

// The executable's own folder, or its "jre64" folder, when it is a Java home.
std::optional<std::wstring> executableFolderHome(const std::wstring& executable) {
    const std::wstring folder = withTrailingSeparator(parentPath(executable, 1));
    if (hasJavaRuntime(folder)) {
        return folder;
    }
    trace("  ", folder, " is not a Java home");
    const std::wstring jre64 = withTrailingSeparator(folder + L"jre64");
    if (hasJavaRuntime(jre64)) {
        return jre64;
    }
    trace("  ", jre64, " is not a Java home");
    return std::nullopt;
}

// The VM library of the home for the settings' type; traced either way.
std::wstring probeHome(const std::wstring& home, const LauncherSettings& settings) {
    JvmLibrary library = findJvmLibrary(home, settings.jvmType);
    if (library.path.empty()) {
        trace("  ", home, " has no VM of type ", jvmTypeName(settings.jvmType), ": rejected");
    } else {
        trace("  ", home, " has the ", library.isServerVm ? "server" : "non-server", " VM ", library.path);
    }
    return std::move(library.path);
}

JvmChoice chooseWithPairedCheck(const LauncherSettings& settings, std::wstring library) {
    const bool paired = needsPairedLauncher(settings, library);
    if (paired) {
        trace("  a 32-bit VM: the paired launcher ", settings.pairProduct, " runs it");
    } else if (traceEnabled() && isX86Image(library)) {
        trace("  a 32-bit VM, and no \"Pair Product\" to run it: it cannot load in this process");
    }
    trace("chosen VM library ", library);
    return {std::move(library), paired, std::nullopt};
}

// Installed runtimes of `keys`: the native view, then, only when that finds
// nothing and a paired launcher is there to run it, the 32-bit view.
std::optional<JvmChoice> searchInstalled(const LauncherSettings& settings, std::span<const VendorKey> keys) {
    std::optional<JvmCandidate> installed = searchInstalledRuntimes(RuntimeBitness::Native, settings, keys);
    bool x86 = false;
    if (!installed && !settings.pairProduct.empty()) {
        trace("  nothing found; \"Pair Product\" is set, so the 32-bit runtimes are searched");
        installed = searchInstalledRuntimes(RuntimeBitness::X86, settings, keys);
        x86 = installed.has_value();
    }
    if (installed) {
        std::wstring library = probeHome(installed->home, settings);
        if (!library.empty()) {
            trace(x86 ? "chosen 32-bit VM library (the paired launcher runs it) " : "chosen VM library ", library);
            return JvmChoice{std::move(library), x86, std::nullopt};
        }
    }
    return std::nullopt;
}

}  // namespace

bool needsPairedLauncher(const LauncherSettings& settings, const std::wstring& jvmLibraryPath) {
    return !settings.pairProduct.empty() && isX86Image(jvmLibraryPath);
}

std::wstring jreNotFoundMessage(const LauncherSettings& settings) {
    const unsigned id = settings.jvmType == JvmType::Server ? kMsgJreNotFoundServer : kMsgJreNotFound;
    const std::wstring range = describeVersionRange(settings.minimumVersion, settings.maximumVersion);
    return formatText(id, {range});
}

std::optional<JvmChoice> searchJvm(const LauncherSettings& settings, const std::wstring& executable) {
    trace("JVM search 1: \"JRE Path\"", settings.jrePath.empty() ? " is not set" : " ", settings.jrePath);
    if (!settings.jrePath.empty()) {
        std::wstring library = probeHome(withTrailingSeparator(settings.jrePath), settings);
        if (!library.empty()) {
            return chooseWithPairedCheck(settings, std::move(library));
        }
    }

    trace("JVM search 2: the executable's folder");
    if (const auto home = executableFolderHome(executable)) {
        // A runtime shipped with the application is used as it is.
        std::wstring library = probeHome(*home, settings);
        if (!library.empty()) {
            trace("chosen VM library ", library);
            return JvmChoice{std::move(library), false, std::nullopt};
        }
    }

    trace("JVM search 3: installed runtimes");
    if (auto choice = searchInstalled(settings, vendorKeys())) {
        return choice;
    }

    const auto javaHome = environmentVariable(L"JAVA_HOME");
    trace("JVM search 4: JAVA_HOME",
          !javaHome           ? " is not set"
          : javaHome->empty() ? " is empty"
                              : " = ",
          javaHome ? *javaHome : std::wstring());
    if (javaHome && !javaHome->empty()) {
        const std::wstring home = withTrailingSeparator(*javaHome);
        if (hasJavaRuntime(home)) {
            std::wstring library = probeHome(home, settings);
            if (!library.empty()) {
                return chooseWithPairedCheck(settings, std::move(library));
            }
        } else {
            trace("  ", home, " is not a Java home");
        }
    }

    trace("JVM search 5: runtimes registered only under their vendors' own registry keys");
    if (auto choice = searchInstalled(settings, currentVendorKeys())) {
        return choice;
    }

    trace("no Java VM found: \"JRE Not Found\"");
    if (!settings.downloadUrl.empty() && downloadAddress(settings.downloadUrl) != settings.downloadUrl) {
        trace("Download URL ", settings.downloadUrl, " is no http or https address: the default link is shown");
    }
    const auto chosen = showJreNotFoundDialog(
        jreNotFoundMessage(settings), downloadAddress(settings.downloadUrl),
        [&settings](const std::wstring& folder) { return checkChosenFolder(folder, settings.jvmType); });
    if (!chosen) {
        trace("no folder was chosen");
        return std::nullopt;
    }
    trace("the dialog chose ", chosen->folder);
    JvmChoice choice = chooseWithPairedCheck(settings, chosen->jvmLibraryPath);
    choice.notice = writeBackJrePath(settings, executable, chosen->folder);
    return choice;
}

std::optional<Failure> writeBackJrePath(const LauncherSettings& settings, const std::wstring& executable,
                                        const std::wstring& folder) {
    std::vector<std::wstring> files;
    if (settings.isService) {
        files.push_back(settingsFilePathFor(executable).value_or(std::wstring()));
        // Only beside the paired launcher itself, never wherever its name points.
        const auto pairFile = settingsFilePathFor(settings.pairProduct);
        if (pairFile && pathExists(settings.pairProduct) &&
            parentPath(*pairFile, 1) == parentPath(settings.pairProduct, 1)) {
            files.push_back(*pairFile);
        }
    } else {
        files.push_back(userSettingsFilePath(executable, settings.productName, settings.productCode, true));
        if (!settings.pairProduct.empty()) {
            files.push_back(
                userSettingsFilePath(settings.pairProduct, settings.productName, settings.productCode, true));
        }
    }
    std::optional<Failure> failure;
    for (const std::wstring& file : files) {
        if (file.empty()) {
            continue;  // no file can be formed: nothing to remember it in
        }
        const SettingKey& key = settingKey(SettingId::JrePath);
        const std::uint32_t error = writeProfileString(file, std::wstring(key.section), std::wstring(key.key), folder);
        if (error != 0 && !failure) {
            failure = Failure{kMsgJrePathNotRemembered, {file, systemErrorText(error)}, {}};
        }
    }
    return failure;
}

}  // namespace jlaunch
