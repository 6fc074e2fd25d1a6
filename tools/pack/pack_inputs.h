#pragma once
// The checks and conversions of what a packager hands the tool: the settings
// file, the manifest's execution level, the command line.
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace jlaunch::pack {

struct PackSettings {
    std::wstring text;         // lines ending in CR LF, as the launcher's INI text parser splits them
    std::wstring upgradeCode;  // as the launcher reads it from the file beside the exe
    // The launcher reads these only from the file beside the exe: they name
    // the per-user copy's folder.
    std::wstring productName;
    std::wstring productCode;
};

// Nothing (and `error` set, naming the line) unless `bytes` is an INI file:
// text without NUL characters whose every line is blank, a section header,
// a key=value pair inside a section, or a comment (";" or "#"), with a
// non-empty "Upgrade Code" in section "Product Information" when it is to be
// packed (`forPacking`).
std::optional<PackSettings> readPackSettings(std::span<const std::uint8_t> bytes, std::string& error,
                                             bool forPacking = true);

// The manifest with the requestedExecutionLevel's level set; nothing when it
// has no such element.
std::optional<std::string> withExecutionLevel(const std::string& manifest, const std::string& level);

struct PackOptions {
    std::wstring launcher;
    std::wstring settings;
    std::wstring output;
    std::wstring icon;
    std::wstring jar;  // Linux: the application's jar, carried before the settings
    std::optional<std::wstring> version;
    std::wstring name;
    std::wstring company;
    std::wstring copyright;
    std::wstring description;
    std::string executionLevel;
    std::wstring check;  // only check this settings file
    bool help = false;
};

// Nothing (and `error` set) for an unknown, repeated or valueless option, a
// missing required one, or a bad execution level.
std::optional<PackOptions> parsePackOptions(const std::vector<std::wstring>& arguments, std::string& error);

// Where the jar's end-of-central-directory record begins, counted from the
// jar's end; nothing unless `jar` looks like a zip file.
std::optional<std::size_t> zipEndFromBack(std::span<const std::uint8_t> jar);

extern const char kPackUsage[];

}  // namespace jlaunch::pack
