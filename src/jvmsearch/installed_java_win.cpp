#include <windows.h>

#include "common/unique_resource.h"
#include "jvmsearch/installed_java.h"

namespace jlaunch {

namespace {

struct RegistryKeyTraits {
    using Type = HKEY;
    static Type invalid() noexcept { return nullptr; }
    static void close(Type key) noexcept { RegCloseKey(key); }
};
using UniqueRegistryKey = UniqueResource<RegistryKeyTraits>;

// Read-only: the search never changes the registry.
class RegistrySource final : public InstalledJavaSource {
public:
    explicit RegistrySource(RegistryView view)
        : access_(KEY_READ | (view == RegistryView::Wow32 ? KEY_WOW64_32KEY : 0)) {}

    std::vector<std::wstring> versionNames(const VendorKey& key) override {
        std::vector<std::wstring> names;
        const UniqueRegistryKey opened = open(key.path);
        if (!opened) {
            return names;
        }
        for (DWORD index = 0;; ++index) {
            wchar_t name[520];
            DWORD length = 520;
            if (RegEnumKeyExW(opened.get(), index, name, &length, nullptr, nullptr, nullptr, nullptr) !=
                ERROR_SUCCESS) {
                break;
            }
            names.emplace_back(name, length);
        }
        return names;
    }

    std::optional<std::wstring> javaHome(const VendorKey& key, std::size_t /*index*/,
                                         const std::wstring& versionName) override {
        const UniqueRegistryKey opened = open(std::wstring(key.path) + versionName);
        if (!opened) {
            return std::nullopt;
        }
        DWORD size = 0;
        if (RegQueryValueExW(opened.get(), L"JavaHome", nullptr, nullptr, nullptr, &size) != ERROR_SUCCESS ||
            size == 0) {
            return std::nullopt;
        }
        // Room for a terminator the stored data may lack.
        std::wstring data(size / sizeof(wchar_t) + 1, L'\0');
        DWORD read = static_cast<DWORD>(data.size() * sizeof(wchar_t));
        if (RegQueryValueExW(opened.get(), L"JavaHome", nullptr, nullptr, reinterpret_cast<BYTE*>(data.data()),
                             &read) != ERROR_SUCCESS) {
            return std::nullopt;
        }
        data.resize(wcsnlen(data.c_str(), read / sizeof(wchar_t)));
        return data;
    }

private:
    UniqueRegistryKey open(const std::wstring& path) const {
        HKEY key = nullptr;
        if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, path.c_str(), 0, access_, &key) != ERROR_SUCCESS) {
            return UniqueRegistryKey();
        }
        return UniqueRegistryKey(key);
    }

    REGSAM access_;
};

}  // namespace

std::optional<JvmCandidate> searchRegistry(RegistryView view, const LauncherSettings& settings) {
    RegistrySource source(view);
    return searchInstalledJava(source, settings);
}

}  // namespace jlaunch
