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
    return {std::move(library), paired};
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
            return JvmChoice{std::move(library.path), false};
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
            return JvmChoice{std::move(library.path), x86};
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
    writeBackJrePath(settings, executable, chosen->folder);
    return chooseWithPairedCheck(settings, chosen->jvmLibraryPath);
}

void writeBackJrePath(const LauncherSettings& settings, const std::wstring& executable, const std::wstring& folder) {
    const auto mainFile = settingsFilePathFor(executable);
    if (!mainFile) {
        return;
    }
    if (settings.isService) {
        writeProfileString(*mainFile, kJreSection, L"JRE Path", folder);
        if (!settings.pairProduct.empty()) {
            if (const auto pairFile = settingsFilePathFor(settings.pairProduct)) {
                writeProfileString(*pairFile, kJreSection, L"JRE Path", folder);
            }
        }
        return;
    }
    const std::wstring userFile = userSettingsFilePath(executable, settings.productName, settings.productCode, true);
    if (!userFile.empty()) {
        writeProfileString(userFile, kJreSection, L"JRE Path", folder);
    }
    if (!settings.pairProduct.empty()) {
        const std::wstring pairUserFile =
            userSettingsFilePath(settings.pairProduct, settings.productName, settings.productCode, true);
        if (!pairUserFile.empty()) {
            writeProfileString(pairUserFile, kJreSection, L"JRE Path", folder);
        }
    }
}

}  // namespace jlaunch
