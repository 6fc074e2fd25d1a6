#include <windows.h>

#include "common/function_ref.h"
#include "settings/settings_file.h"

namespace jlaunch {

std::optional<std::wstring> settingsFilePathFor(const std::wstring& executable) {
    const auto dot = executable.rfind(L'.');
    if (dot == std::wstring::npos) {
        return std::nullopt;
    }
    return executable.substr(0, dot + 1) + L"ini";
}

// Windows asks the system at every read, so the file is never kept.
struct ProfileFile::Content {};

ProfileFile::ProfileFile(std::wstring path) : path_(std::move(path)) {}

ProfileFile::~ProfileFile() = default;
ProfileFile::ProfileFile(ProfileFile&&) noexcept = default;
ProfileFile& ProfileFile::operator=(ProfileFile&&) noexcept = default;

std::wstring ProfileFile::value(const std::wstring& section, const std::wstring& key) const {
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
    return nameList(
        [this](wchar_t* buffer, DWORD size) { return GetPrivateProfileSectionNamesW(buffer, size, path_.c_str()); });
}

std::vector<std::wstring> ProfileFile::keyNames(const std::wstring& section) const {
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
