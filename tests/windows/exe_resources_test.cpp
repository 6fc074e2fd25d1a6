// The resources of the shipped jlaunch.exe, read the way Windows reads them:
// the manifest that sets DPI awareness, visual styles and the execution
// level, the version information and the icon.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "common/handles_win.h"
#include "launch_helper.h"

namespace jlaunch::test {
namespace {

using UniqueIcon = UniqueResource<ClosedBy<HICON, &DestroyIcon>>;

#pragma pack(push, 2)
struct GroupIconEntry {
    BYTE width;
    BYTE height;
    BYTE colorCount;
    BYTE reserved;
    WORD planes;
    WORD bitCount;
    DWORD bytesInResource;
    WORD id;
};
struct GroupIconHeader {
    WORD reserved;
    WORD type;
    WORD count;
};
#pragma pack(pop)

class ShippedExe : public testing::Test {
protected:
    void SetUp() override {
        module_.reset(
            LoadLibraryExW(path_.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE));
        ASSERT_TRUE(module_.valid()) << "cannot load " << narrowForReport(path_) << " as data: " << GetLastError();
    }

    // The bytes of one resource; empty when it is missing.
    std::string resource(LPCWSTR type, LPCWSTR name) const {
        HRSRC info = FindResourceW(module_.get(), name, type);
        if (info == nullptr) {
            return {};
        }
        HGLOBAL loaded = LoadResource(module_.get(), info);
        const void* data = loaded != nullptr ? LockResource(loaded) : nullptr;
        return data == nullptr ? std::string()
                               : std::string(static_cast<const char*>(data), SizeofResource(module_.get(), info));
    }

    const std::wstring path_ = launcherUnderTest();
    UniqueModule module_;
};

TEST_F(ShippedExe, ManifestDeclaresDpiAwarenessStylesExecutionLevelAndSupportedSystems) {
    // Resource 1 is the manifest Windows applies when the process starts.
    const std::string manifest = resource(RT_MANIFEST, MAKEINTRESOURCEW(1));
    ASSERT_FALSE(manifest.empty()) << "no process manifest";
    const auto contains = [&manifest](const char* text) { return manifest.find(text) != std::string::npos; };

    EXPECT_TRUE(contains("PerMonitorV2")) << manifest;
    // Windows before 10 1607 only reads dpiAware.
    EXPECT_TRUE(contains("<dpiAware") && contains(">true<")) << manifest;
    EXPECT_TRUE(contains("name=\"Microsoft.Windows.Common-Controls\"") && contains("version=\"6.0.0.0\"") &&
                contains("publicKeyToken=\"6595b64144ccf1df\""))
        << manifest;
    EXPECT_TRUE(contains("level=\"asInvoker\"")) << manifest;
    for (const char* id : {"{35138b9a-5d96-4fbd-8e2d-a2440225f93a}", "{4a2f28e3-53b9-4441-ba9c-d69d4a4a6e38}",
                           "{1f676c76-80e1-4239-95bb-83d0f6d0da78}", "{8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a}"}) {
        EXPECT_TRUE(contains(id)) << "supportedOS " << id;
    }
    EXPECT_TRUE(contains("processorArchitecture=\"amd64\"")) << manifest;
}

TEST_F(ShippedExe, VersionInformationIsCompleteAndConsistent) {
    DWORD ignored = 0;
    const DWORD size = GetFileVersionInfoSizeW(path_.c_str(), &ignored);
    ASSERT_GT(size, 0u) << "no version information";
    std::vector<BYTE> block(size);
    ASSERT_TRUE(GetFileVersionInfoW(path_.c_str(), 0, size, block.data()));

    VS_FIXEDFILEINFO* fixed = nullptr;
    UINT fixedSize = 0;
    ASSERT_TRUE(VerQueryValueW(block.data(), L"\\", reinterpret_cast<void**>(&fixed), &fixedSize));
    ASSERT_GE(fixedSize, sizeof(VS_FIXEDFILEINFO));
    EXPECT_EQ(fixed->dwSignature, 0xFEEF04BDu);
    EXPECT_EQ(fixed->dwFileType, static_cast<DWORD>(VFT_APP));

    struct Translation {
        WORD language;
        WORD codePage;
    }* translation = nullptr;
    UINT translationSize = 0;
    ASSERT_TRUE(VerQueryValueW(block.data(), L"\\VarFileInfo\\Translation", reinterpret_cast<void**>(&translation),
                               &translationSize));
    ASSERT_GE(translationSize, sizeof(Translation));
    wchar_t prefix[64];
    swprintf(prefix, 64, L"\\StringFileInfo\\%04x%04x\\", translation->language, translation->codePage);
    const auto text = [&](const wchar_t* name) {
        wchar_t* value = nullptr;
        UINT length = 0;
        const std::wstring query = std::wstring(prefix) + name;
        return VerQueryValueW(block.data(), query.c_str(), reinterpret_cast<void**>(&value), &length) &&
                       value != nullptr
                   ? std::wstring(value)
                   : std::wstring();
    };
    for (const wchar_t* name : {L"CompanyName", L"FileDescription", L"ProductName", L"LegalCopyright"}) {
        EXPECT_FALSE(text(name).empty()) << narrowForReport(name);
    }
    EXPECT_EQ(text(L"OriginalFilename"), L"jlaunch.exe");
    // The numbers Explorer shows match the text beside them.
    const std::wstring numbers =
        std::to_wstring(HIWORD(fixed->dwFileVersionMS)) + L"." + std::to_wstring(LOWORD(fixed->dwFileVersionMS)) +
        L"." + std::to_wstring(HIWORD(fixed->dwFileVersionLS)) + L"." + std::to_wstring(LOWORD(fixed->dwFileVersionLS));
    EXPECT_EQ(text(L"FileVersion"), numbers);
    EXPECT_EQ(text(L"ProductVersion"), numbers);
}

TEST_F(ShippedExe, IconGroupHoldsLoadableImages) {
    const std::string group = resource(RT_GROUP_ICON, MAKEINTRESOURCEW(1));
    ASSERT_GE(group.size(), sizeof(GroupIconHeader)) << "no icon group 1";
    GroupIconHeader header{};
    std::memcpy(&header, group.data(), sizeof header);
    EXPECT_EQ(header.type, 1u);
    ASSERT_GT(header.count, 0u);
    ASSERT_GE(group.size(), sizeof header + header.count * sizeof(GroupIconEntry));
    for (WORD i = 0; i < header.count; ++i) {
        GroupIconEntry entry{};
        std::memcpy(&entry, group.data() + sizeof header + i * sizeof entry, sizeof entry);
        std::string image = resource(RT_ICON, MAKEINTRESOURCEW(entry.id));
        ASSERT_EQ(image.size(), entry.bytesInResource) << "icon image " << entry.id;
        const UniqueIcon icon(CreateIconFromResourceEx(reinterpret_cast<PBYTE>(image.data()),
                                                       static_cast<DWORD>(image.size()), TRUE, 0x00030000, 0, 0,
                                                       LR_DEFAULTCOLOR));
        EXPECT_TRUE(icon.valid()) << "icon image " << entry.id << " does not load";
    }
}

}  // namespace
}  // namespace jlaunch::test
