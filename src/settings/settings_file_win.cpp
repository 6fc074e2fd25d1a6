#include <windows.h>

#include "common/file_reader.h"
#include "common/function_ref.h"
#include "settings/profile_text.h"
#include "settings/settings_file.h"

namespace jlaunch {

std::optional<std::wstring> settingsFilePathFor(const std::wstring& executable) {
    const auto dot = executable.rfind(L'.');
    if (dot == std::wstring::npos) {
        return std::nullopt;
    }
    return executable.substr(0, dot + 1) + L"ini";
}

namespace {

// Files past this size are not settings files; reading them would only
// exhaust memory.
constexpr std::uint64_t kMaxSettingsFileSize = std::uint64_t{64} * 1024 * 1024;

std::optional<std::string> readFileBytes(const std::wstring& path) {
    const FileReader file(path);
    if (!file.isOpen() || file.size() > kMaxSettingsFileSize) {
        return std::nullopt;
    }
    std::string bytes(static_cast<std::size_t>(file.size()), '\0');
    if (!file.readAt(0, bytes.size(), bytes.data())) {
        return std::nullopt;
    }
    return bytes;
}

}  // namespace

// Windows asks the system at every read, so the file is never kept; but the
// system's profile functions read nothing from a path of MAX_PATH characters
// or more, so such a file is read once and answered by the same rules
// (profile_text.h), as Linux does.
struct ProfileFile::Content {
    std::optional<ProfileTextFile> file;
};

ProfileFile::ProfileFile(std::wstring path) : path_(std::move(path)), content_(std::make_unique<Content>()) {
    if (path_.size() >= MAX_PATH) {
        content_->file.emplace(readFileBytes(path_));
    }
}

ProfileFile::~ProfileFile() = default;
ProfileFile::ProfileFile(ProfileFile&&) noexcept = default;
ProfileFile& ProfileFile::operator=(ProfileFile&&) noexcept = default;

std::wstring ProfileFile::value(const std::wstring& section, const std::wstring& key) const {
    if (content_->file) {
        return content_->file->value(section, key);
    }
    std::wstring buffer(256, L'\0');
    while (true) {
        const DWORD length = GetPrivateProfileStringW(section.c_str(), key.c_str(), L"", buffer.data(),
                                                      static_cast<DWORD>(buffer.size()), path_.c_str());
        if (length != buffer.size() - 1) {
            buffer.resize(length);
            return buffer;
        }
        buffer.resize(buffer.size() * 2);
    }
}

namespace {

// A list the profile functions write as NUL-separated names, its non-empty
// names; `fetch` fills a buffer and returns the length the system reports.
std::vector<std::wstring> nameList(FunctionRef<DWORD(wchar_t*, DWORD)> fetch) {
    std::wstring buffer(256, L'\0');
    DWORD length = 0;
    while (true) {
        length = fetch(buffer.data(), static_cast<DWORD>(buffer.size()));
        if (length != buffer.size() - 2) {
            break;
        }
        buffer.resize(buffer.size() * 2);
    }
    std::vector<std::wstring> names;
    std::wstring_view list(buffer.data(), length);
    while (!list.empty()) {
        const auto end = list.find(L'\0');
        if (end != 0) {
            names.emplace_back(list.substr(0, end));
        }
        if (end == std::wstring_view::npos) {
            break;
        }
        list.remove_prefix(end + 1);
    }
    return names;
}

}  // namespace

std::vector<std::wstring> ProfileFile::sectionNames() const {
    if (content_->file) {
        return content_->file->sectionNames();
    }
    return nameList(
        [this](wchar_t* buffer, DWORD size) { return GetPrivateProfileSectionNamesW(buffer, size, path_.c_str()); });
}

std::vector<std::wstring> ProfileFile::keyNames(const std::wstring& section) const {
    if (content_->file) {
        return content_->file->keyNames(section);
    }
    // Without a key name the system lists the section's keys.
    return nameList([this, &section](wchar_t* buffer, DWORD size) {
        return GetPrivateProfileStringW(section.c_str(), nullptr, L"", buffer, size, path_.c_str());
    });
}

std::uint32_t writeProfileString(const std::wstring& file, const std::wstring& section, const std::wstring& key,
                                 const std::wstring& value) {
    if (WritePrivateProfileStringW(section.c_str(), key.c_str(), value.c_str(), file.c_str())) {
        return 0;
    }
    const DWORD error = GetLastError();
    return error != 0 ? error : ERROR_WRITE_FAULT;
}

bool deleteSettingsFile(const std::wstring& file) {
    return DeleteFileW(file.c_str()) != FALSE;
}

}  // namespace jlaunch
