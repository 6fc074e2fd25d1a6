#include "java_registry.h"

#include <cstring>
#include <stdexcept>

#include "common/handles_win.h"
#include "launch_helper.h"

namespace jlaunch::test {

namespace {

// Every tree the tests write in; none of them may hold a real installation.
constexpr std::array<std::wstring_view, 9> kVendorRoots = {
    L"Software\\JavaSoft",         L"Software\\JRockit",        L"Software\\IBM",
    L"SOFTWARE\\Eclipse Adoptium", L"SOFTWARE\\AdoptOpenJDK",   L"SOFTWARE\\Eclipse Foundation",
    L"SOFTWARE\\Semeru",           L"SOFTWARE\\Microsoft\\JDK", L"SOFTWARE\\Azul Systems",
};

// Marks a vendor tree as made by a test, so that a later run may remove it.
constexpr wchar_t kMarkValue[] = L"JLaunch test fixture";

REGSAM viewFlag(View view) {
    return static_cast<REGSAM>(view);
}

const char* viewName(View view) {
    return view == View::Native ? "64-bit" : "32-bit";
}

std::runtime_error registryError(const char* what, std::wstring_view path, LSTATUS status) {
    return std::runtime_error(std::string(what) + " HKLM\\" + narrowForReport(path) + " failed with system error " +
                              std::to_string(status));
}

// The vendor root a key path lies in; empty for none.
std::wstring_view rootOf(std::wstring_view keyPath) {
    for (const std::wstring_view root : kVendorRoots) {
        if (keyPath.size() > root.size() && keyPath[root.size()] == L'\\' &&
            CompareStringOrdinal(keyPath.data(), static_cast<int>(root.size()), root.data(),
                                 static_cast<int>(root.size()), TRUE) == CSTR_EQUAL) {
            return root;
        }
    }
    return {};
}

UniqueRegistryKey openKey(std::wstring_view path, REGSAM access, View view) {
    HKEY key = nullptr;
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, std::wstring(path).c_str(), 0, access | viewFlag(view), &key) !=
        ERROR_SUCCESS) {
        return UniqueRegistryKey();
    }
    return UniqueRegistryKey(key);
}

void deleteVendorTree(View view, std::wstring_view root) {
    if (const UniqueRegistryKey key = openKey(root, KEY_READ | KEY_SET_VALUE | DELETE, view)) {
        RegDeleteTreeW(key.get(), nullptr);
    }
    RegDeleteKeyExW(HKEY_LOCAL_MACHINE, std::wstring(root).c_str(), viewFlag(view), 0);
}

}  // namespace

std::string utf16Value(std::wstring_view text) {
    const std::wstring terminated(text);
    return std::string(reinterpret_cast<const char*>(terminated.c_str()), (terminated.size() + 1) * sizeof(wchar_t));
}

std::wstring makeJavaHome(const std::wstring& home, std::initializer_list<std::wstring_view> files) {
    if (!createFolders(home)) {
        throw std::runtime_error("cannot create the Java home " + narrowForReport(home));
    }
    for (const std::wstring_view file : files) {
        const std::wstring path = home + L"\\" + std::wstring(file);
        createFolders(path.substr(0, path.rfind(L'\\')));
        const UniqueFileHandle created(
            CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
        if (!created) {
            throw std::runtime_error("cannot create " + narrowForReport(path));
        }
    }
    return home;
}

std::string peImageBytes(std::uint16_t machine) {
    IMAGE_DOS_HEADER dos{};
    dos.e_magic = IMAGE_DOS_SIGNATURE;
    dos.e_lfanew = sizeof dos;
    std::string bytes(reinterpret_cast<const char*>(&dos), sizeof dos);
    const bool wide = machine != IMAGE_FILE_MACHINE_I386;
    IMAGE_FILE_HEADER file{};
    file.Machine = machine;
    file.SizeOfOptionalHeader =
        static_cast<WORD>(wide ? sizeof(IMAGE_OPTIONAL_HEADER64) : sizeof(IMAGE_OPTIONAL_HEADER32));
    file.Characteristics = static_cast<WORD>(IMAGE_FILE_EXECUTABLE_IMAGE | IMAGE_FILE_DLL |
                                             (wide ? IMAGE_FILE_LARGE_ADDRESS_AWARE : IMAGE_FILE_32BIT_MACHINE));
    const DWORD signature = IMAGE_NT_SIGNATURE;
    bytes.append(reinterpret_cast<const char*>(&signature), sizeof signature);
    bytes.append(reinterpret_cast<const char*>(&file), sizeof file);
    // Only the magic of the optional header: with no image size nothing maps.
    std::string optional(file.SizeOfOptionalHeader, '\0');
    const WORD magic = wide ? IMAGE_NT_OPTIONAL_HDR64_MAGIC : IMAGE_NT_OPTIONAL_HDR32_MAGIC;
    std::memcpy(optional.data(), &magic, sizeof magic);
    return bytes + optional;
}

JavaRegistry::JavaRegistry() {
    for (const View view : {View::Native, View::Wow32}) {
        for (const std::wstring_view root : kVendorRoots) {
            const UniqueRegistryKey existing = openKey(root, KEY_QUERY_VALUE, view);
            if (!existing) {
                continue;
            }
            if (RegQueryValueExW(existing.get(), kMarkValue, nullptr, nullptr, nullptr, nullptr) == ERROR_SUCCESS) {
                deleteVendorTree(view, root);
            } else if (problem_.empty()) {
                problem_ = "HKLM\\" + narrowForReport(root) + " already exists in the " + viewName(view) +
                           " registry view: a real Java installation, which these tests must not change";
            }
        }
    }
}

JavaRegistry::~JavaRegistry() {
    for (const auto& [view, root] : created_) {
        deleteVendorTree(view, root);
    }
}

UniqueRegistryKey JavaRegistry::createSubkey(int key, std::wstring_view name, View view) {
    if (key < 1 || key > static_cast<int>(kVendorKeys.size())) {
        throw std::out_of_range("vendor keys are numbered 1 to 7");
    }
    return createKey(std::wstring(kVendorKeys[static_cast<std::size_t>(key - 1)]) + L"\\" + std::wstring(name), view);
}

UniqueRegistryKey JavaRegistry::createKey(std::wstring_view keyPath, View view) {
    if (!usable()) {
        throw std::logic_error("the registry holds a real Java installation: " + problem_);
    }
    const std::wstring root(rootOf(keyPath));
    if (root.empty()) {
        throw std::invalid_argument("not below a vendor root: " + narrowForReport(keyPath));
    }
    HKEY created = nullptr;
    DWORD disposition = 0;
    LSTATUS status = RegCreateKeyExW(HKEY_LOCAL_MACHINE, root.c_str(), 0, nullptr, 0, KEY_SET_VALUE | viewFlag(view),
                                     nullptr, &created, &disposition);
    if (status != ERROR_SUCCESS) {
        throw registryError("creating", root, status);
    }
    const UniqueRegistryKey rootKey(created);
    if (disposition == REG_CREATED_NEW_KEY) {
        created_.emplace_back(view, root);
        const DWORD mark = 1;
        RegSetValueExW(rootKey.get(), kMarkValue, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&mark), sizeof mark);
    }
    const std::wstring path(keyPath);
    status = RegCreateKeyExW(HKEY_LOCAL_MACHINE, path.c_str(), 0, nullptr, 0, KEY_SET_VALUE | viewFlag(view), nullptr,
                             &created, nullptr);
    if (status != ERROR_SUCCESS) {
        throw registryError("creating", path, status);
    }
    return UniqueRegistryKey(created);
}

void JavaRegistry::addJavaHome(int key, std::wstring_view name, std::wstring_view javaHome, View view) {
    addValue(key, name, L"JavaHome", REG_SZ, utf16Value(javaHome), view);
}

void JavaRegistry::addValue(int key, std::wstring_view name, std::wstring_view valueName, DWORD type,
                            std::string_view bytes, View view) {
    const UniqueRegistryKey subkey = createSubkey(key, name, view);
    const LSTATUS status =
        RegSetValueExW(subkey.get(), std::wstring(valueName).c_str(), 0, type,
                       reinterpret_cast<const BYTE*>(bytes.data()), static_cast<DWORD>(bytes.size()));
    if (status != ERROR_SUCCESS) {
        throw registryError("writing a value of", name, status);
    }
}

void JavaRegistry::addSubkey(int key, std::wstring_view name, View view) {
    createSubkey(key, name, view);
}

void JavaRegistry::addString(std::wstring_view keyPath, std::wstring_view valueName, std::wstring_view text,
                             View view) {
    const UniqueRegistryKey key = createKey(keyPath, view);
    const std::string bytes = utf16Value(text);
    const LSTATUS status =
        RegSetValueExW(key.get(), std::wstring(valueName).c_str(), 0, REG_SZ,
                       reinterpret_cast<const BYTE*>(bytes.data()), static_cast<DWORD>(bytes.size()));
    if (status != ERROR_SUCCESS) {
        throw registryError("writing a value of", keyPath, status);
    }
}

std::vector<std::wstring> registrySubkeys(std::wstring_view path, View view) {
    std::vector<std::wstring> names;
    const UniqueRegistryKey key = openKey(path, KEY_READ, view);
    for (DWORD index = 0; key; ++index) {
        wchar_t name[256];
        DWORD length = 256;
        if (RegEnumKeyExW(key.get(), index, name, &length, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS) {
            break;
        }
        names.emplace_back(name, length);
    }
    return names;
}

}  // namespace jlaunch::test
