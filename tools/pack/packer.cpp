#include "packer.h"

#include <algorithm>
#include <array>
#include <new>
#include <type_traits>

#include "byte_io.h"
#include "common/text.h"
#include "elf_launcher.h"
#include "envelope_seal.h"
#include "file_io.h"
#include "icon_file.h"
#include "pack_inputs.h"
#include "pe_image.h"
#include "resource_edits.h"
#include "settings_lint.h"
#include "settings/embedded/embedded_settings.h"
#include "settings/embedded/sealed_settings.h"
#include "settings/embedded/settings_trailer.h"
#include "version_info.h"

namespace jlaunch::pack {

namespace {

constexpr std::uint64_t kMaximumLauncherSize = std::uint64_t{256} << 20;
constexpr std::uint64_t kMaximumIconSize = std::uint64_t{16} << 20;
// The launcher's manifest names it; a launcher that is not ours does not.
constexpr std::string_view kLauncherIdentity = "name=\"jlaunch.launcher\"";

std::uint32_t unitValue(wchar_t unit) {
    return static_cast<std::make_unsigned_t<wchar_t>>(unit);
}

std::u16string utf16(std::wstring_view text) {
    std::u16string out;
    for (wchar_t c : text) {
        const std::uint32_t code = unitValue(c);
        if (code > 0xFFFF) {
            out.push_back(static_cast<char16_t>(0xD800 + ((code - 0x10000) >> 10)));
            out.push_back(static_cast<char16_t>(0xDC00 + ((code - 0x10000) & 0x3FF)));
        } else {
            out.push_back(static_cast<char16_t>(code));
        }
    }
    return out;
}

// The output's file name, and that name without its extension.
std::pair<std::wstring, std::wstring> outputNames(const std::wstring& output) {
    const std::size_t slash = output.find_last_of(L"/\\");
    const std::wstring name = slash == std::wstring::npos ? output : output.substr(slash + 1);
    const std::size_t dot = name.rfind(L'.');
    return {name, dot == std::wstring::npos || dot == 0 ? name : name.substr(0, dot)};
}

// The languages a resource has; the replacement takes the first, neutral when none.
std::uint16_t languageOf(const ResourceTree& tree, std::uint16_t type, const ResourceKey& name) {
    const auto types = tree.find(ResourceKey::number(type));
    if (types == tree.end()) {
        return 0;
    }
    const auto names = types->second.find(name);
    return names == types->second.end() || names->second.empty() ? 0 : names->second.begin()->first;
}

// Removes every resource of a type.
void removeAll(const ResourceTree& tree, std::uint16_t type, std::vector<ResourceEdit>& edits) {
    const auto types = tree.find(ResourceKey::number(type));
    if (types == tree.end()) {
        return;
    }
    for (const auto& [name, languages] : types->second) {
        for (const auto& [language, data] : languages) {
            edits.push_back({ResourceKey::number(type), name, language, std::nullopt});
        }
    }
}

struct Packing {
    const PackOptions& options;
    const PackSettings& settings;
    const std::vector<std::uint8_t>& sealed;
    std::string error;
};

bool packWindows(Packing& packing, std::span<const std::uint8_t> launcher, const PeImage& image,
                 const std::vector<std::uint8_t>& iconFile) {
    const ResourceTree& tree = image.resources();
    const ResourceKey one = ResourceKey::number(1);
    const ResourceData* manifest = findResource(tree, ResourceKey::number(kRtManifest), one);
    const std::string manifestText =
        manifest != nullptr ? std::string(manifest->bytes.begin(), manifest->bytes.end()) : std::string();
    if (manifestText.find(kLauncherIdentity) == std::string::npos) {
        packing.error = "the launcher is not a jlaunch launcher (its manifest does not name jlaunch.launcher)";
        return false;
    }
    std::vector<ResourceEdit> edits;
    const ResourceKey settingsName = ResourceKey::text(utf16(kEmbeddedSettingsResource));
    const ResourceKey rcData = ResourceKey::number(kRtRcData);
    if (const auto types = tree.find(rcData); types != tree.end()) {
        if (const auto names = types->second.find(settingsName); names != types->second.end()) {
            for (const auto& [language, data] : names->second) {
                edits.push_back({rcData, settingsName, language, std::nullopt});
            }
        }
    }
    edits.push_back({rcData, settingsName, 0, packing.sealed});

    if (!packing.options.icon.empty()) {
        const std::uint16_t language = languageOf(tree, kRtGroupIcon, one);
        auto icon = readIconFile(iconFile, 1, packing.error);
        if (!icon) {
            packing.error = toNarrow(packing.options.icon) + ": " + packing.error;
            return false;
        }
        removeAll(tree, kRtGroupIcon, edits);
        removeAll(tree, kRtIcon, edits);
        for (std::size_t i = 0; i < icon->images.size(); ++i) {
            edits.push_back({ResourceKey::number(kRtIcon), ResourceKey::number(static_cast<std::uint16_t>(i + 1)),
                             language, std::move(icon->images[i])});
        }
        edits.push_back({ResourceKey::number(kRtGroupIcon), one, language, std::move(icon->group)});
    }

    const ResourceData* oldVersion = findResource(tree, ResourceKey::number(kRtVersion), one);
    VersionStrings version;
    if (packing.options.version) {
        const auto numbers = parseVersionNumbers(utf16(*packing.options.version));
        if (!numbers) {
            packing.error = "--version takes one to four numbers of 0 to 65535 separated by dots, such as 1.2.3.4";
            return false;
        }
        version.numbers = *numbers;
    } else if (oldVersion != nullptr) {
        version.numbers = fileVersionOf(oldVersion->bytes).value_or(VersionNumbers{});
    }
    const auto [fileName, stem] = outputNames(packing.options.output);
    const std::u16string name = utf16(packing.options.name.empty() ? stem : packing.options.name);
    const std::u16string numbers = versionText(version.numbers);
    version.strings = {
        {u"CompanyName", utf16(packing.options.company)},
        {u"FileDescription", packing.options.description.empty() ? name : utf16(packing.options.description)},
        {u"FileVersion", numbers},
        {u"InternalName", utf16(stem)},
        {u"LegalCopyright", utf16(packing.options.copyright)},
        {u"OriginalFilename", utf16(fileName)},
        {u"ProductName", name},
        {u"ProductVersion", numbers},
    };
    const std::uint16_t versionLanguage = languageOf(tree, kRtVersion, one);
    auto versionResource = buildVersionResource(version);
    if (!versionResource) {
        packing.error =
            "the version strings (--name, --company, --copyright, --description, the output's name) are too "
            "long for a version resource";
        return false;
    }
    removeAll(tree, kRtVersion, edits);
    edits.push_back({ResourceKey::number(kRtVersion), one, versionLanguage, std::move(*versionResource)});

    if (!packing.options.executionLevel.empty()) {
        const auto changed = withExecutionLevel(manifestText, packing.options.executionLevel);
        if (!changed) {
            packing.error = "the launcher's manifest has no requestedExecutionLevel to set";
            return false;
        }
        edits.push_back({ResourceKey::number(kRtManifest), one, languageOf(tree, kRtManifest, one),
                         std::vector<std::uint8_t>(changed->begin(), changed->end())});
    }
    return writeEditedImage(launcher, image, edits, packing.options.output, packing.error);
}

bool packLinux(Packing& packing, std::span<const std::uint8_t> launcher, std::span<const std::uint8_t> jar) {
    const auto imageSize = isJlaunchElf(launcher) ? elfImageSize(launcher) : std::nullopt;
    if (!imageSize) {
        packing.error = "the launcher is not a jlaunch launcher (no .jlaunch section in the ELF file)";
        return false;
    }
    // A jar goes before the settings, so that the footer stays last; Java
    // finds the jar's directory only within 64 KiB of the file's end.
    constexpr std::size_t kZipSearchRange = 0xFFFF + 22;
    if (!jar.empty()) {
        const auto endFromBack = zipEndFromBack(jar);
        if (!endFromBack) {
            packing.error = toNarrow(packing.options.jar) + ": not a jar (no zip directory at its end)";
            return false;
        }
        if (*endFromBack + packing.sealed.size() + kTrailerFooterSize > kZipSearchRange) {
            packing.error =
                "the settings are too large to follow a jar: Java looks for the jar's directory only "
                "in the last 64 KiB of the file";
            return false;
        }
    }
    // Whatever followed the image (settings and a jar of an earlier packing) is replaced.
    std::vector<std::uint8_t> out(launcher.begin(), launcher.begin() + static_cast<std::ptrdiff_t>(*imageSize));
    out.insert(out.end(), jar.begin(), jar.end());
    out.insert(out.end(), packing.sealed.begin(), packing.sealed.end());
    const auto footer = trailerFooterFor(packing.sealed.size());
    out.insert(out.end(), footer.begin(), footer.end());
    const auto pending = PendingOutput::create(packing.options.output, out, true, packing.error);
    return pending && pending->commit(packing.error);
}

int runPackChecked(const std::vector<std::wstring>& arguments, std::string& out, std::string& errors) {
    std::string error;
    const auto options = parsePackOptions(arguments, error);
    if (!options) {
        errors = "jlaunch-pack: " + error + "\n" + kPackUsage;
        return 2;
    }
    if (options->help) {
        out = kPackUsage;
        return 0;
    }
    if (!options->check.empty()) {
        return checkSettingsFile(options->check, out, errors);
    }
    const auto fail = [&errors](const std::string& message) {
        errors += "jlaunch-pack: " + message + "\n";
        return 1;
    };
    if (sameFile(options->launcher, options->output)) {
        return fail("the output is the launcher itself; write the packed copy to another file");
    }
    if (sameFile(options->settings, options->output) ||
        (!options->icon.empty() && sameFile(options->icon, options->output))) {
        return fail("the output would overwrite an input file");
    }
    if (!replaceableOutput(options->output, error)) {
        return fail(error);
    }
    const auto launcher = readWholeFile(options->launcher, kMaximumLauncherSize, error);
    if (!launcher) {
        return fail(error);
    }
    const auto settingsFile = readWholeFile(options->settings, kMaximumLauncherSize, error);
    if (!settingsFile) {
        return fail(error);
    }
    const auto settings = readPackSettings(*settingsFile, error);
    if (!settings) {
        return fail(toNarrow(options->settings) + ": " + error);
    }
    // Packed as they are: the launcher never refuses a name it does not know.
    for (const std::string& notice : settingsNotices(options->settings, *settings, true)) {
        errors += "jlaunch-pack: warning: " + toNarrow(options->settings) + ": " + notice + "\n";
    }
    std::vector<std::uint8_t> jarFile;
    if (!options->jar.empty()) {
        if (sameFile(options->jar, options->output)) {
            return fail("the output would overwrite an input file");
        }
        auto jar = readWholeFile(options->jar, kMaximumLauncherSize, error);
        if (!jar) {
            return fail(error);
        }
        jarFile = std::move(*jar);
    }
    std::vector<std::uint8_t> iconFile;
    if (!options->icon.empty()) {
        auto icon = readWholeFile(options->icon, kMaximumIconSize, error);
        if (!icon) {
            return fail(error);
        }
        iconFile = std::move(*icon);
        if (!readIconFile(iconFile, 1, error)) {
            return fail(toNarrow(options->icon) + ": " + error);
        }
    }
    std::string sealNote;
    const auto sealed = sealForPacking(settings->text, settings->upgradeCode, sealNote, error);
    if (!sealed) {
        return fail(error);
    }
    out += sealNote;
    Packing packing{*options, *settings, *sealed, {}};
    const bool elf = launcher->size() >= 4 && (*launcher)[0] == 0x7F && (*launcher)[1] == 'E' &&
                     (*launcher)[2] == 'L' && (*launcher)[3] == 'F';
    bool done = false;
    if (elf) {
        if (!options->icon.empty() || options->version || !options->name.empty() || !options->company.empty() ||
            !options->copyright.empty() || !options->description.empty() || !options->executionLevel.empty()) {
            out +=
                "jlaunch-pack: note: a Linux executable carries no icon, version information or execution "
                "level; those options are ignored\n";
        }
        done = packLinux(packing, *launcher, jarFile);
    } else if (!options->jar.empty()) {
        return fail("--jar is for a Linux launcher; on Windows append the jar to the packed exe");
    } else {
        const auto image = PeImage::parse(*launcher, error);
        if (!image) {
            return fail(toNarrow(options->launcher) + ": not a launcher: " + error);
        }
        done = packWindows(packing, *launcher, *image, iconFile);
    }
    if (!done) {
        return fail(packing.error);
    }
    if (std::any_of(settings->upgradeCode.begin(), settings->upgradeCode.end(),
                    [](wchar_t c) { return unitValue(c) > 0x7F; })) {
        out +=
            "jlaunch-pack: note: the Upgrade Code is not plain ASCII; Windows reads a settings file without a "
            "byte-order mark in the ANSI code page, so save the one beside a Windows exe as UTF-16\n";
    }
    const auto names = outputNames(options->output);
    // The keys the launcher reads only from the file beside the exe.
    std::string beside = "[Product Information]\nUpgrade Code=" + toNarrow(settings->upgradeCode) + "\n";
    if (!settings->productName.empty()) {
        beside += "Product Name=" + toNarrow(settings->productName) + "\n";
    }
    if (!settings->productCode.empty()) {
        beside += "Product Code=" + toNarrow(settings->productCode) + "\n";
    }
    out += "Packed " + toNarrow(options->output) + ".\nShip " + toNarrow(names.second) +
           ".ini beside it with at least these lines (the launcher reads them only from there):\n" + beside;
    return 0;
}

}  // namespace

int runPack(const std::vector<std::wstring>& arguments, std::string& out, std::string& errors) {
    // Every input is bounded, but the tool still ends with a message rather
    // than an abort should memory run out.
    try {
        return runPackChecked(arguments, out, errors);
    } catch (const std::bad_alloc&) {
        errors = "jlaunch-pack: out of memory\n";
        return 1;
    }
}

}  // namespace jlaunch::pack
