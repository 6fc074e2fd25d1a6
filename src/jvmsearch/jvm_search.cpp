#include "jvmsearch/jvm_search.h"

#include "common/paths.h"
#include "common/system.h"
#include "jvmsearch/installed_java.h"
#include "jvmsearch/java_home.h"
#include "jvmsearch/jre_not_found_dialog.h"
#include "launcher/errors.h"
#include "launcher/run_modes.h"
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

bool chooseWithPairedCheck(const LauncherSettings& settings, std::wstring library, JvmChoice& choice) {
    choice.startPairedLauncher = needsPairedLauncher(settings, library);
    choice.jvmLibraryPath = std::move(library);
    return true;
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

bool searchJvm(const LauncherSettings& settings, JvmChoice& choice) {
    choice = JvmChoice{};
    if (!settings.jrePath.empty()) {
        JvmLibrary library = findJvmLibrary(withTrailingSeparator(settings.jrePath), settings.jvmType);
        if (!library.path.empty()) {
            return chooseWithPairedCheck(settings, std::move(library.path), choice);
        }
    }

    std::uint32_t error = 0;
    const auto executable = executablePath(error);
    if (!executable) {
        showSystemError(nullptr, kMsgModulePathFailed, error);
    } else if (const auto home = executableFolderHome(*executable)) {
        // A runtime shipped with the application is used as it is.
        JvmLibrary library = findJvmLibrary(*home, settings.jvmType);
        if (!library.path.empty()) {
            choice.jvmLibraryPath = std::move(library.path);
            return true;
        }
    }

    std::optional<JvmCandidate> installed = searchRegistry(RegistryView::Native, settings);
    bool fromWow32 = false;
    if (!installed && !settings.pairProduct.empty()) {
        installed = searchRegistry(RegistryView::Wow32, settings);
        fromWow32 = installed.has_value();
    }
    if (installed) {
        JvmLibrary library = findJvmLibrary(installed->home, settings.jvmType);
        if (!library.path.empty()) {
            choice.jvmLibraryPath = std::move(library.path);
            choice.startPairedLauncher = fromWow32;
            return true;
        }
    }

    const auto javaHome = environmentVariable(L"JAVA_HOME");
    if (javaHome && !javaHome->empty()) {
        const std::wstring home = withTrailingSeparator(*javaHome);
        if (hasJavaRuntime(home)) {
            JvmLibrary library = findJvmLibrary(home, settings.jvmType);
            if (!library.path.empty()) {
                return chooseWithPairedCheck(settings, std::move(library.path), choice);
            }
        }
    }

    const auto chosen = showJreNotFoundDialog(jreNotFoundMessage(settings), settings.jvmType);
    if (!chosen) {
        return false;
    }
    chooseWithPairedCheck(settings, chosen->jvmLibraryPath, choice);
    if (executable) {
        writeBackJrePath(settings, *executable, chosen->folder);
    }
    return true;
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
