#include "pack_inputs.h"

#include <array>
#include <type_traits>
#include <string_view>

#include "byte_io.h"
#include "common/text.h"
#include "settings/profile_text.h"
#include "settings/setting_keys.h"

namespace jlaunch::pack {

const char kPackUsage[] =
    "usage: jlaunch-pack --launcher LAUNCHER --settings APP.ini --out OUTPUT\n"
    "                    [--icon APP.ico] [--version 1.2.3.4] [--name NAME] [--company TEXT]\n"
    "                    [--copyright TEXT] [--description TEXT]\n"
    "                    [--execution-level asInvoker|highestAvailable|requireAdministrator] [--jar APP.jar]\n"
    "       jlaunch-pack --check APP.ini\n"
    "Embeds APP.ini, enciphered with its \"Upgrade Code\", into a copy of LAUNCHER (jlaunch.exe,\n"
    "jlaunchc.exe or the Linux jlaunch) written to OUTPUT. For a Windows launcher it also sets\n"
    "the icon, the version information and the manifest's execution level. For a Linux launcher,\n"
    "--jar carries the application's jar inside it too (with \"Embedded Jar=Yes\").\n"
    "--check only checks APP.ini: names the launcher does not know and values it cannot read\n"
    "are reported (also when packing), and the exit code is 1 when there is any.\n";

namespace {

constexpr std::size_t kMaximumSettingsSize = std::size_t{1} << 20;

std::uint32_t unitValue(wchar_t unit) {
    return static_cast<std::make_unsigned_t<wchar_t>>(unit);
}

// A surrogate outside a pair has no character to stand for.
bool hasLoneSurrogate(std::wstring_view text) {
    for (std::size_t i = 0; i < text.size(); ++i) {
        const std::uint32_t c = unitValue(text[i]);
        const std::uint32_t next = i + 1 < text.size() ? unitValue(text[i + 1]) : 0;
        if (c >= 0xD800 && c <= 0xDBFF && next >= 0xDC00 && next <= 0xDFFF) {
            ++i;
        } else if (c >= 0xD800 && c <= 0xDFFF) {
            return true;
        }
    }
    return false;
}

std::string lineError(std::size_t line, const char* what) {
    return "settings line " + std::to_string(line) + ": " + what;
}

}  // namespace

std::optional<PackSettings> readPackSettings(std::span<const std::uint8_t> bytes, std::string& error, bool forPacking) {
    if (bytes.empty() || bytes.size() > kMaximumSettingsSize) {
        error = bytes.empty() ? "the settings file is empty" : "the settings file is larger than 1 MiB";
        return std::nullopt;
    }
    const std::wstring decoded =
        decodeProfileBytes(std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size()));
    if (decoded.find(L'\0') != std::wstring::npos || decoded.find(wchar_t{0xFFFD}) != std::wstring::npos ||
        hasLoneSurrogate(decoded)) {
        error = "the settings file is not text (NUL characters or invalid encoding)";
        return std::nullopt;
    }
    PackSettings settings;
    bool inSection = false;
    std::size_t lineNumber = 0;
    std::size_t at = 0;
    while (at <= decoded.size()) {
        std::size_t end = decoded.find_first_of(L"\r\n", at);
        if (end == std::wstring::npos) {
            end = decoded.size();
        }
        ++lineNumber;
        std::wstring line = decoded.substr(at, end - at);
        if (lineNumber == 1 && !line.empty() && line.front() == 0xFEFF) {
            line.erase(0, 1);
        }
        const std::wstring_view content = trimWhiteSpace(line);
        if (content.empty() || content.front() == L';' || content.front() == L'#') {
            // blank or comment
        } else if (content.front() == L'[') {
            if (content.back() != L']') {
                error = lineError(lineNumber, "a section header without its closing \"]\"");
                return std::nullopt;
            }
            inSection = true;
        } else if (content.find(L'=') != std::wstring_view::npos) {
            if (!inSection) {
                error = lineError(lineNumber, "a key before any section");
                return std::nullopt;
            }
        } else {
            error = lineError(lineNumber, "neither a section header, a key=value pair nor a comment");
            return std::nullopt;
        }
        settings.text += line;
        settings.text += L"\r\n";
        // CR LF, LF and a lone CR each end one line.
        at = end + ((end + 1 < decoded.size() && decoded[end] == L'\r' && decoded[end + 1] == L'\n') ? 2 : 1);
    }
    if (!inSection) {
        error = "the settings file has no section";
        return std::nullopt;
    }
    const ProfileText profile = ProfileText::parse(decoded);
    const auto read = [&profile](SettingId id) {
        const SettingKey& key = settingKey(id);
        return profile.value(key.section, key.key);
    };
    settings.upgradeCode = read(SettingId::UpgradeCode);
    settings.productName = read(SettingId::ProductName);
    settings.productCode = read(SettingId::ProductCode);
    if (settings.upgradeCode.empty() && forPacking) {
        error =
            "the settings file has no \"Upgrade Code\" in [Product Information]; the embedded settings are "
            "enciphered with it";
        return std::nullopt;
    }
    return settings;
}

std::optional<std::string> withExecutionLevel(const std::string& manifest, const std::string& level) {
    const std::size_t element = manifest.find("<requestedExecutionLevel");
    if (element == std::string::npos) {
        return std::nullopt;
    }
    const std::size_t elementEnd = manifest.find('>', element);
    const std::size_t attribute = manifest.find("level=", element);
    if (elementEnd == std::string::npos || attribute == std::string::npos || attribute > elementEnd ||
        attribute + 7 > elementEnd) {
        return std::nullopt;
    }
    const char quote = manifest[attribute + 6];
    const std::size_t valueStart = attribute + 7;
    const std::size_t valueEnd = manifest.find(quote, valueStart);
    if ((quote != '"' && quote != '\'') || valueEnd == std::string::npos || valueEnd > elementEnd) {
        return std::nullopt;
    }
    return manifest.substr(0, valueStart) + level + manifest.substr(valueEnd);
}

std::optional<std::size_t> zipEndFromBack(std::span<const std::uint8_t> jar) {
    constexpr std::size_t kEndSize = 22;
    constexpr std::size_t kLongestComment = 0xFFFF;
    if (jar.size() < kEndSize + 4 || jar[0] != 'P' || jar[1] != 'K' || jar[2] != 3 || jar[3] != 4) {
        return std::nullopt;
    }
    const std::size_t lowest = jar.size() > kEndSize + kLongestComment ? jar.size() - kEndSize - kLongestComment : 0;
    for (std::size_t at = jar.size() - kEndSize + 1; at-- > lowest;) {
        if (jar[at] == 'P' && jar[at + 1] == 'K' && jar[at + 2] == 5 && jar[at + 3] == 6 &&
            at + kEndSize + readU16(jar, at + 20) == jar.size()) {
            return jar.size() - at;
        }
    }
    return std::nullopt;
}

std::optional<PackOptions> parsePackOptions(const std::vector<std::wstring>& arguments, std::string& error) {
    PackOptions options;
    std::wstring level;
    std::optional<std::wstring> version;
    struct Option {
        const wchar_t* name;
        std::wstring* target;
    };
    const std::array<Option, 12> table = {{
        {L"--check", &options.check},
        {L"--jar", &options.jar},
        {L"--launcher", &options.launcher},
        {L"--settings", &options.settings},
        {L"--out", &options.output},
        {L"--icon", &options.icon},
        {L"--version", nullptr},
        {L"--name", &options.name},
        {L"--company", &options.company},
        {L"--copyright", &options.copyright},
        {L"--description", &options.description},
        {L"--execution-level", &level},
    }};
    std::vector<std::wstring> seen;
    for (std::size_t i = 0; i < arguments.size(); ++i) {
        const std::wstring& argument = arguments[i];
        if (argument == L"--help" || argument == L"-h") {
            options.help = true;
            return options;
        }
        const Option* option = nullptr;
        for (const Option& candidate : table) {
            if (argument == candidate.name) {
                option = &candidate;
            }
        }
        if (option == nullptr) {
            error = "unknown argument " + toNarrow(argument);
            return std::nullopt;
        }
        for (const std::wstring& earlier : seen) {
            if (earlier == argument) {
                error = toNarrow(argument) + " given twice";
                return std::nullopt;
            }
        }
        seen.push_back(argument);
        if (i + 1 >= arguments.size() || arguments[i + 1].empty()) {
            error = toNarrow(argument) + " needs a value";
            return std::nullopt;
        }
        const std::wstring& value = arguments[++i];
        if (option->target != nullptr) {
            *option->target = value;
        } else {
            version = value;
        }
    }
    options.version = version;
    if (!options.check.empty()) {
        if (seen.size() > 1) {
            error = "--check takes no other option";
            return std::nullopt;
        }
        return options;
    }
    for (const auto& [name, value] :
         {std::pair{"--launcher", &options.launcher}, std::pair{"--settings", &options.settings},
          std::pair{"--out", &options.output}}) {
        if (value->empty()) {
            error = std::string(name) + " is required";
            return std::nullopt;
        }
    }
    if (!level.empty()) {
        options.executionLevel = toNarrow(level);
        if (options.executionLevel != "asInvoker" && options.executionLevel != "highestAvailable" &&
            options.executionLevel != "requireAdministrator") {
            error = "--execution-level must be asInvoker, highestAvailable or requireAdministrator";
            return std::nullopt;
        }
    }
    return options;
}

}  // namespace jlaunch::pack
