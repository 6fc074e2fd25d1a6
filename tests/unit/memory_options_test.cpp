// VM parameters: quotes, percentage sizes, the Java thread's stack, and
// numbers too large to mean anything.
#include <gtest/gtest.h>

#include "jvmhost/memory_options.h"

namespace {

constexpr std::uint64_t kGiB = 1024ull * 1024 * 1024;
const jlaunch::MemoryStatus k16GiB{16 * kGiB, 128 * kGiB};
const jlaunch::MemoryStatus k4GiB{4 * kGiB, 2 * kGiB};

struct Applied {
    std::vector<std::wstring> options;
    std::uint64_t stack = 777;
};

Applied apply(const std::vector<std::wstring>& parameters, const jlaunch::MemoryStatus& memory = k16GiB) {
    Applied a;
    for (const auto& p : parameters) jlaunch::applyVmParameter(p, a.options, a.stack, memory);
    return a;
}

TEST(MemoryOptions, PercentagesBecomeKilobytesWithFloorAndCeiling) {
    EXPECT_EQ(apply({L"-Xmx50P"}).options, std::vector<std::wstring>{L"-Xmx8388608K"});
    EXPECT_EQ(apply({L"-Xmx10:1024:2048P"}, k4GiB).options, std::vector<std::wstring>{L"-Xmx1048576K"});
    EXPECT_EQ(apply({L"-Xmx90:0:1024P"}).options, std::vector<std::wstring>{L"-Xmx1048576K"});
    EXPECT_EQ(apply({L"-Xms50p"}).options, std::vector<std::wstring>{L"-Xms8388608K"});
    EXPECT_EQ(apply({L"-Xmx50t"}, k4GiB).options, std::vector<std::wstring>{L"-Xmx1048576K"});
    EXPECT_EQ(apply({L"-Xmx10:4096:1024P"}, k4GiB).options, std::vector<std::wstring>{L"-Xmx4194304K"});
    // Not the form: wrong case of the prefix, or a unit that is no share letter.
    EXPECT_EQ(apply({L"-XMX50P", L"-Xmx512m"}).options, (std::vector<std::wstring>{L"-XMX50P", L"-Xmx512m"}));
    // Sizes past 2^31 KB are printed whole rather than wrapped.
    EXPECT_EQ(apply({L"-Xmx100P"}, {8192 * kGiB, 0}).options, std::vector<std::wstring>{L"-Xmx8589934592K"});
}

TEST(MemoryOptions, StackSizeFromTheLastXss) {
    EXPECT_EQ(apply({L"-Xss512k"}).stack, 524288u);
    EXPECT_EQ(apply({L"-Xss1m"}).stack, 1048576u);
    EXPECT_EQ(apply({L"-Xss2g"}).stack, 2147483648u);
    EXPECT_EQ(apply({L"-Xss262144"}).stack, 262144u);
    EXPECT_EQ(apply({L"-Xss1:2k"}).stack, 0u);
    EXPECT_EQ(apply({L"-Xssk"}).stack, 0u);
    EXPECT_EQ(apply({L"-Xss1m", L"-Xss256k"}).stack, 262144u);
    const auto percent = apply({L"-Xss1:0:1P"});  // capped at 1 MB, then read back as K
    EXPECT_EQ(percent.options, std::vector<std::wstring>{L"-Xss1024K"});
    EXPECT_EQ(percent.stack, 1048576u);
    EXPECT_EQ(apply({L"-Xmx1g"}).stack, 777u);  // other options leave it alone
}

TEST(MemoryOptions, NumbersTooLargeLeaveTheVmItsDefault) {
    const auto hugeStack = apply({L"-Xss1m", L"-Xss99999999999999999999k"});
    EXPECT_EQ(hugeStack.stack, 0u);
    EXPECT_EQ(hugeStack.options, std::vector<std::wstring>{L"-Xss1m"});
    const auto wraps = apply({L"-Xss17179869184g"});  // fits in 64 bits, times the unit does not
    EXPECT_EQ(wraps.stack, 0u);
    EXPECT_TRUE(wraps.options.empty());
    EXPECT_TRUE(apply({L"-Xmx50:99999999999999999:0P"}).options.empty());
    EXPECT_TRUE(apply({L"-Xmx50:0:99999999999999999999P"}).options.empty());
}

TEST(MemoryOptions, QuotesAreRemovedDoubledOnesKeptOnce) {
    const auto unquoted = [](std::wstring p) {
        jlaunch::unquoteParameter(p);
        return p;
    };
    EXPECT_EQ(unquoted(L"-Dname=\"a b\""), L"-Dname=a b");
    EXPECT_EQ(unquoted(L"\"-Da=1\"\"x\""), L"-Da=1\"x\"");  // the doubled quote closes, its first half stays
    EXPECT_EQ(unquoted(L"-Da=\"open"), L"-Da=\"open");
    EXPECT_EQ(unquoted(L"\"\"-D\"x\""), L"-Dx");
    EXPECT_EQ(unquoted(L""), L"");
}

TEST(MemoryOptions, SharesAreReadWholeOrNotAtAll) {
    // 16 GiB physical: 1% is 167772.16 KB.
    const std::pair<std::wstring, std::vector<std::wstring>> cases[] = {
        {L"-Xmx5.5P", {L"-Xmx922746K"}},  // the fraction counts, it is not skipped
        {L"-Xmx.5P", {L"-Xmx83886K"}},
        {L"-Xmx50.P", {L"-Xmx8388608K"}},
        {L"-Xmx250P", {L"-Xmx16777216K"}},  // above 100 counts as 100
        {L"-Xmx99999999999999999999P", {L"-Xmx16777216K"}},
        {L"-Xmx100.5:0:0P", {L"-Xmx16777216K"}},
        {L"-Xmx:64P", {L"-Xmx65536K"}},  // no percent, a floor
        {L"-XmxP", {L"-XmxP"}},          // not a share: passed on unchanged
        {L"-Xmx.P", {L"-Xmx.P"}},
        {L"-Xmx5.5.5P", {L"-Xmx5.5.5P"}},
        {L"-Xmx5x5P", {L"-Xmx5x5P"}},
        {L"-Xmx1:2.5:3P", {L"-Xmx1:2.5:3P"}},  // floor and ceiling are whole numbers
        {L"-Xmx1:2:3:4P", {L"-Xmx1:2:3:4P"}},
        {L"\"\"", {}},  // an empty parameter never reaches the VM
    };
    for (const auto& [parameter, options] : cases) {
        EXPECT_EQ(apply({parameter}).options, options) << parameter;
    }
}

}  // namespace
