#include "jvmsearch/jvm_search.h"

#include "common/messages.h"
#include "common/paths.h"
#include "common/pe_image.h"
#include "common/system.h"
#include "jvmsearch/installed_java.h"
#include "jvmsearch/java_home.h"
#include "jvmsearch/jre_not_found_dialog.h"
#include "settings/settings_file.h"

namespace jlaunch {

namespace {

const std::wstring kJreSection = L"Java Runtime Environment";

// The executable's own folder, or its "jre64" folder, when it is a Java home.
std::optional<std::wstring> executableFolderHome(const std::wstring& executable) {
    const std::wstring folder = withTrailingSeparator(parentPath(executable, 1));
    if (hasJavaRuntime(folder)) {
        return folder;
    }
    const std::wstring jre64 = withTrailingSeparator(folder + L"jre64");
    if (hasJavaRuntime(jre64)) {
        return jre64;
    }
    return std::nullopt;
}

JvmChoice chooseWithPairedCheck(const LauncherSettings& settings, std::wstring library) {
    const bool paired = needsPairedLauncher(settings, library);
    return {std::move(library), paired, std::nullopt};
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
    if (!settings.jrePath.empty()) {
        JvmLibrary library = findJvmLibrary(withTrailingSeparator(settings.jrePath), settings.jvmType);
        if (!library.path.empty()) {
            return chooseWithPairedCheck(settings, std::move(library.path));
        }
    }

    if (const auto home = executableFolderHome(executable)) {
        // A runtime shipped with the application is used as it is.
        JvmLibrary library = findJvmLibrary(*home, settings.jvmType);
        if (!library.path.empty()) {
            return JvmChoice{std::move(library.path), false, std::nullopt};
        }
    }

    std::optional<JvmCandidate> installed = searchInstalledRuntimes(RuntimeBitness::Native, settings);
    bool x86 = false;
    if (!installed && !settings.pairProduct.empty()) {
        installed = searchInstalledRuntimes(RuntimeBitness::X86, settings);
        x86 = installed.has_value();
    }
    if (installed) {
        JvmLibrary library = findJvmLibrary(installed->home, settings.jvmType);
        if (!library.path.empty()) {
            return JvmChoice{std::move(library.path), x86, std::nullopt};
        }
    }

    const auto javaHome = environmentVariable(L"JAVA_HOME");
    if (javaHome && !javaHome->empty()) {
        const std::wstring home = withTrailingSeparator(*javaHome);
        if (hasJavaRuntime(home)) {
            JvmLibrary library = findJvmLibrary(home, settings.jvmType);
            if (!library.path.empty()) {
                return chooseWithPairedCheck(settings, std::move(library.path));
            }
        }
    }

    const auto chosen = showJreNotFoundDialog(jreNotFoundMessage(settings), settings.jvmType);
    if (!chosen) {
        return std::nullopt;
    }
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
        const std::uint32_t error = writeProfileString(file, kJreSection, L"JRE Path", folder);
        if (error != 0 && !failure) {
            failure = Failure{kMsgJrePathNotRemembered, {file, systemErrorText(error)}, {}};
        }
    }
    return failure;
}

}  // namespace jlaunch
