// The 32-bit image test on crafted files: every malformed one is "not x86".
#include <gtest/gtest.h>

#include <cstring>

#include "common/file_reader.h"
#include "common/pe_image.h"
#include "test_support.h"

namespace {

using jlaunch::testing::TestFolder;

std::string peImage(std::uint16_t machine, std::uint32_t ntOffset = 0x80, std::size_t size = 0x200) {
    std::string bytes(size, '\0');
    bytes[0] = 'M';
    bytes[1] = 'Z';
    std::memcpy(&bytes[0x3C], &ntOffset, 4);
    if (ntOffset + 24 <= size) {
        std::memcpy(&bytes[ntOffset], "PE\0\0", 4);
        bytes[ntOffset + 4] = static_cast<char>(machine & 0xFF);
        bytes[ntOffset + 5] = static_cast<char>(machine >> 8);
    }
    return bytes;
}

TEST(PeImage, OnlyAWellFormedX86ImageIsX86) {
    TestFolder f;
    const auto x86 = f.write("x86.dll", peImage(jlaunch::kMachineX86));
    const auto x64 = f.write("x64.dll", peImage(jlaunch::kMachineX64));
    const auto arm = f.write("arm64.dll", peImage(jlaunch::kMachineArm64));
    EXPECT_TRUE(jlaunch::isX86Image(x86.wstring()));
    EXPECT_FALSE(jlaunch::isX86Image(x64.wstring()));
    EXPECT_FALSE(jlaunch::isX86Image(arm.wstring()));
    EXPECT_EQ(jlaunch::peImageMachine(jlaunch::FileReader(arm.wstring())), jlaunch::kMachineArm64);
}

TEST(PeImage, MalformedFilesAreNeverX86) {
    TestFolder f;
    std::string noSignature = peImage(jlaunch::kMachineX86);
    noSignature[0x80] = 'X';
    std::string negativeOffset = peImage(jlaunch::kMachineX86);
    std::memcpy(&negativeOffset[0x3C], "\xF0\xFF\xFF\xFF", 4);
    const std::pair<const char*, std::string> cases[] = {
        {"empty", ""},
        {"only MZ", "MZ"},
        {"truncated DOS header", peImage(jlaunch::kMachineX86).substr(0, 0x3E)},
        {"NT offset beyond the file", peImage(jlaunch::kMachineX86, 0x10000)},
        {"NT headers cut short", peImage(jlaunch::kMachineX86).substr(0, 0x80 + 10)},
        {"MZ without PE", noSignature},
        {"negative NT offset", negativeOffset},
        {"not MZ", std::string(0x200, 'A')},
    };
    for (const auto& [name, bytes] : cases) {
        const auto path = f.write(name, bytes);
        EXPECT_FALSE(jlaunch::isX86Image(path.wstring())) << name;
    }
    EXPECT_FALSE(jlaunch::isX86Image(f.wide()));  // a folder
    EXPECT_FALSE(jlaunch::isX86Image(f.wide() + L"/missing.dll"));
}

}  // namespace
