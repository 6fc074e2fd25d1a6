#pragma once
// Java installations as the vendors register them: real keys under HKLM in
// either registry view, and fake Java homes made of empty files, for the
// tests and the benchmark of the Java VM search.
#include <windows.h>

#include <array>
#include <cstdint>
#include <initializer_list>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "common/handles_win.h"

namespace jlaunch::test {

// The vendor keys in the order the launcher reads them; the index is the
// key's number minus one.
inline constexpr std::array<std::wstring_view, 7> kVendorKeys = {
    L"Software\\JavaSoft\\JDK",
    L"Software\\JavaSoft\\JRE",
    L"Software\\JavaSoft\\Java Development Kit",
    L"Software\\JavaSoft\\Java Runtime Environment",
    L"Software\\JRockit\\Java Runtime Environment",
    L"Software\\JRockit\\Java Development Kit",
    L"Software\\IBM\\Java2 Runtime Environment",
};

// The registry view a key is written in, as its access flag.
enum class View : REGSAM { Native = KEY_WOW64_64KEY, Wow32 = KEY_WOW64_32KEY };

// Files of a Java home, relative to it.
inline constexpr std::wstring_view kJavaDll = L"bin\\java.dll";
inline constexpr std::wstring_view kClientVm = L"bin\\client\\jvm.dll";
inline constexpr std::wstring_view kServerVm = L"bin\\server\\jvm.dll";
inline constexpr std::wstring_view kClassicVm = L"bin\\classic\\jvm.dll";
inline constexpr std::wstring_view kHotspotVm = L"bin\\hotspot\\jvm.dll";
inline constexpr std::wstring_view kJrockitVm = L"bin\\jrockit\\jvm.dll";

// Text as a registry string value stores it: UTF-16 with its terminator.
std::string utf16Value(std::wstring_view text);

// Creates `home` (a full path) with an empty file at each relative path;
// returns `home`.
std::wstring makeJavaHome(const std::wstring& home, std::initializer_list<std::wstring_view> files);

// The bytes of a file with valid PE headers for `machine` (0x014C for x86,
// 0x8664 for x64) and no sections: an image no loader can map.
std::string peImageBytes(std::uint16_t machine);

// Writes Java installations into HKEY_LOCAL_MACHINE and, when destroyed,
// deletes every vendor tree (Software\JavaSoft, Software\JRockit,
// Software\IBM, and those of today's installers: SOFTWARE\Eclipse Adoptium,
// SOFTWARE\Microsoft\JDK, SOFTWARE\Azul Systems and the like) that it
// created, in each view. A vendor tree that existed
// before and was not made by this class is a real installation: then the
// registry is not touched at all and usable() is false. Trees left behind by
// a killed test carry this class's mark and are removed first.
class JavaRegistry {
public:
    JavaRegistry();
    ~JavaRegistry();
    JavaRegistry(const JavaRegistry&) = delete;
    JavaRegistry& operator=(const JavaRegistry&) = delete;

    bool usable() const { return problem_.empty(); }
    // Why the registry cannot be used, for the test's report.
    const std::string& problem() const { return problem_; }

    // Vendor key `key` (1 to 7) gets the subkey `name` whose "JavaHome" is
    // `javaHome` (REG_SZ with its terminator).
    void addJavaHome(int key, std::wstring_view name, std::wstring_view javaHome, View view = View::Native);
    // The subkey `name` of key `key` with one value of any type and bytes.
    void addValue(int key, std::wstring_view name, std::wstring_view valueName, DWORD type, std::string_view bytes,
                  View view = View::Native);
    // The subkey `name` of key `key` without any value.
    void addSubkey(int key, std::wstring_view name, View view = View::Native);
    // A REG_SZ value of any key below one of the vendor trees.
    void addString(std::wstring_view keyPath, std::wstring_view valueName, std::wstring_view text,
                   View view = View::Native);

private:
    UniqueRegistryKey createSubkey(int key, std::wstring_view name, View view);
    UniqueRegistryKey createKey(std::wstring_view keyPath, View view);

    std::vector<std::pair<View, std::wstring>> created_;
    std::string problem_;
};

// The subkey names of `path` under HKLM in the order the registry lists them.
std::vector<std::wstring> registrySubkeys(std::wstring_view path, View view = View::Native);

}  // namespace jlaunch::test
