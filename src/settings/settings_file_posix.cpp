#include <sys/stat.h>
#include <unistd.h>

#include <fstream>
#include <iterator>

#include "common/text.h"
#include "settings/profile_text.h"
#include "settings/settings_file.h"

namespace jlaunch {

namespace {

// Files past this size are not settings files; reading them would only
// exhaust memory.
constexpr std::uintmax_t kMaxSettingsFileSize = std::uintmax_t{64} * 1024 * 1024;

std::optional<std::string> readFileBytes(const std::wstring& file) {
    const std::string path = toNarrow(file);
    struct stat info {};
    if (stat(path.c_str(), &info) != 0 || !S_ISREG(info.st_mode) ||
        static_cast<std::uintmax_t>(info.st_size) > kMaxSettingsFileSize) {
        return std::nullopt;
    }
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        return std::nullopt;
    }
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

}  // namespace

std::optional<std::wstring> settingsFilePathFor(const std::wstring& executable) {
    // Only a dot in the file name itself starts an extension, and a leading
    // one marks a hidden file instead.
    const auto separator = executable.rfind(L'/');
    const std::size_t nameStart = separator == std::wstring::npos ? 0 : separator + 1;
    const auto dot = executable.rfind(L'.');
    const bool hasExtension = dot != std::wstring::npos && dot > nameStart;
    return (hasExtension ? executable.substr(0, dot) : executable) + L".ini";
}

// Linux keeps the parsed file; a missing or unreadable one reads as empty.
struct ProfileFile::Content {
    std::optional<ProfileText> text;
};

ProfileFile::ProfileFile(std::wstring path) : path_(std::move(path)), content_(std::make_unique<Content>()) {
    if (const auto bytes = readFileBytes(path_)) {
        content_->text = ProfileText::parse(decodeProfileBytes(*bytes));
    }
}

ProfileFile::~ProfileFile() = default;
ProfileFile::ProfileFile(ProfileFile&&) noexcept = default;
ProfileFile& ProfileFile::operator=(ProfileFile&&) noexcept = default;

std::wstring ProfileFile::value(const std::wstring& section, const std::wstring& key) const {
    return content_->text ? content_->text->value(section, key) : std::wstring();
}

std::vector<std::wstring> ProfileFile::sectionNames() const {
    std::vector<std::wstring> names;
    if (content_->text) {
        for (auto& name : content_->text->sectionNames()) {
            if (!name.empty()) {
                names.push_back(std::move(name));
            }
        }
    }
    return names;
}

void writeProfileString(const std::wstring& file, const std::wstring& section, const std::wstring& key,
                        const std::wstring& value) {
    const auto bytes = readFileBytes(file);
    const std::wstring text = bytes ? decodeProfileBytes(*bytes) : std::wstring();
    // The file keeps its encoding and byte-order mark.
    const std::string edited =
        encodeProfileText(setProfileValue(text, section, key, value), bytes ? *bytes : std::string());
    // Written beside the file and renamed over it, so a failed write never
    // leaves half a settings file.
    const std::string path = toNarrow(file);
    const std::string temporary = path + ".tmp";
    {
        std::ofstream out(temporary, std::ios::binary | std::ios::trunc);
        if (!out) {
            return;
        }
        out << edited;
        if (!out.flush()) {
            unlink(temporary.c_str());
            return;
        }
    }
    if (rename(temporary.c_str(), path.c_str()) != 0) {
        unlink(temporary.c_str());
    }
}

bool deleteSettingsFile(const std::wstring& file) {
    return unlink(toNarrow(file).c_str()) == 0;
}

}  // namespace jlaunch
