#pragma once
// What the launcher knows about the application before it looks for Java.
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "common/failure.h"
#include "common/java_version.h"
#include "settings/setting_keys.h"

namespace jlaunch {

enum class JvmType { Default, Server, FavorServer };

struct JvmSourcePolicy {
    bool favorMode = true;
    bool acceptJdk = true;
    bool acceptJre = true;

    bool operator==(const JvmSourcePolicy&) const = default;
};

struct VmProviderPolicy {
    bool acceptJRockit = false;
    bool preferJRockit = false;
    bool acceptJavaSoft = true;
    bool preferJavaSoft = true;
    bool acceptIbm = false;
    bool preferIbm = false;

    bool operator==(const VmProviderPolicy&) const = default;
};

// Every setting of a launch, read once from the settings files.
struct LauncherSettings {
    std::wstring productCode;
    std::wstring upgradeCode;
    std::wstring productName;
    JavaVersion minimumVersion;
    JavaVersion maximumVersion;
    bool isService = false;
    std::vector<std::wstring> preferredVersions;
    std::wstring jrePath;
    JvmType jvmType = JvmType::Default;
    JvmSourcePolicy jvmSource;
    VmProviderPolicy vmProvider;
    // With slashes; optional when "Main Module" or "Main Jar" names the class.
    std::wstring mainClassName;
    // "module" or "module/class" as written (the class with dots).
    std::wstring mainModule;
    // ";"-separated folders and jars as written, and the modules to add.
    std::wstring modulePath;
    std::wstring addModules;
    // An executable jar as written; its manifest names the class.
    std::wstring mainJar;
    bool failureCheck = false;
    bool overrideWorkingDir = false;
    std::wstring systemPath;
    std::wstring libraryPath;
    std::wstring pairProduct;
    bool pairReturnCode = false;
    bool singleInstance = false;
    // The exit code on which the application is started again (an updater's).
    std::optional<std::int32_t> restartCode;
    // Keep a class-data cache of the application in the user's cache folder.
    bool startupCache = false;

    // What the VM is given: the class path as written (";"-separated, before
    // expansion), the VM parameters, and the redirected streams.
    std::wstring classPath;
    bool embeddedJar = false;
    std::wstring vmParameters;
    std::wstring outputFile;
    bool outputAppend = false;
    std::wstring errorFile;
    bool errorAppend = false;
    // More arguments for the main method, quoted as on a command line.
    std::wstring cmd;

    // The "JRE Not Found" dialog's link; empty for the default address.
    std::wstring downloadUrl;
    // The taskbar's identity of the application's windows; empty: the system's.
    std::wstring appUserModelId;

    // The "Display" keys as written, for the splash step to judge: only the
    // file beside the executable and its embedded settings count for them.
    std::wstring splashImagePath;
    std::wstring splashShadow;
    std::wstring preferNativeSplash;
};

JavaVersion parseMinimumVersion(const std::wstring& value);
JavaVersion parseMaximumVersion(const std::wstring& value);
JvmType parseJvmType(const std::wstring& value);
// "server", "favor_server" or "default", for the trace.
const wchar_t* jvmTypeName(JvmType type);
JvmSourcePolicy parseJvmSource(const std::wstring& value);
VmProviderPolicy parseVmProvider(const std::wstring& value);
// "Yes" in any letter case.
bool parseYes(const std::wstring& value);

// "Restart Code": a number of its key's range other than 0 (a normal end
// never restarts); nothing for 0, an empty or an unreadable value (which
// the settings read refuses before).
std::optional<std::int32_t> parseRestartCode(const std::wstring& value);

// A relative "JRE Path" is taken from the executable's folder.
std::wstring resolveJrePath(const std::wstring& value, const std::wstring& executable);

// The application's name, which titles its message boxes: "Product Name"
// when set, else the executable's file name without its extension.
std::wstring applicationName(const std::wstring& executable, const std::wstring& productName);

class LayeredSettings;

// Every key of the vocabulary, layered as the table says; "JRE Path" comes
// from the per-user copy of `executable` alone when that exists (never for a
// service, never when `executable` is empty). Each value is traced.
SettingValues readSettingValues(const LayeredSettings& store, const std::wstring& executable);

// Reads every setting of the launch from the settings file beside
// `executable`, its embedded settings and the per-user copy. Fails with
// message 260, naming the file, without a main class, main module or main jar,
// with message 252 or 253 for a version it cannot read or a range that is
// empty, and with message 254 for a number it cannot read. From the moment
// the product's name is known, messages are titled with it.
Result<LauncherSettings> readLauncherSettings(const std::wstring& executable);

}  // namespace jlaunch
