// The launch trace's sink: where it writes, what a line looks like, and that
// nothing is formatted while it is off.
#include <sys/stat.h>

#include <gtest/gtest.h>

#include <fstream>

#include <string>
#include <thread>
#include <vector>

#include "common/java_version.h"
#include "common/text.h"
#include "common/trace.h"
#include "test_support.h"

namespace tracing_probe {

// A piece that counts how often it is put into a line.
struct Counted {};
int formatted = 0;
void appendTracePiece(std::wstring& line, const Counted& /*piece*/) {
    ++formatted;
    line += L"counted";
}

}  // namespace tracing_probe

namespace {

using jlaunch::testing::TestFolder;

std::vector<std::string> linesOf(const std::filesystem::path& file) {
    std::ifstream in(file, std::ios::binary);
    std::vector<std::string> lines;
    for (std::string line; std::getline(in, line);) {
        lines.push_back(line);
    }
    return lines;
}

// True for "<blanks><digits> ms  <rest>" with at least one digit.
bool hasTimePrefix(const std::string& line) {
    const auto digits = line.find_first_not_of(' ');
    const auto ms = line.find(" ms  ");
    return digits != std::string::npos && ms != std::string::npos && digits < ms &&
           line.find_first_not_of("0123456789", digits) == ms;
}

// Each test leaves the trace off again.
class LaunchTraceSink : public ::testing::Test {
protected:
    void TearDown() override { jlaunch::closeTrace(); }
    TestFolder folder_;
};

TEST_F(LaunchTraceSink, WritesOneLineAfterTheMillisecondsPerCall) {
    const auto file = folder_.path() / "trace.txt";
    jlaunch::openTraceAt(file.wstring());
    ASSERT_TRUE(jlaunch::traceEnabled());
    jlaunch::trace(L"chosen ", 3, L" of ", std::size_t{4}, L": server ", true, L", client ", false, L", option ",
                   std::string("-Xmx1g"), L", version ", jlaunch::JavaVersion{{17, 0, 2, 0}});
    jlaunch::trace(L"up to ", jlaunch::JavaVersion{{65535, 65535, 65535, 65535}});
    jlaunch::trace(L"two\nlines\tand a tab");
    jlaunch::trace(L"\u00E9\u4E2D\U0001F600");
    jlaunch::trace(L"a\u2028b\u2029c\u0085d\u009Be\u007F");
    jlaunch::closeTrace();
    jlaunch::trace(L"after the end");

    const std::vector<std::string> lines = linesOf(file);
    ASSERT_EQ(lines.size(), 5u);
    for (const std::string& line : lines) {
        EXPECT_TRUE(hasTimePrefix(line)) << line;
        EXPECT_GE(line.find(" ms  "), 5u) << "the milliseconds are right-aligned: " << line;
    }
    const auto text = [&](std::size_t i) { return lines[i].substr(lines[i].find(" ms  ") + 5); };
    EXPECT_EQ(text(0), "chosen 3 of 4: server yes, client no, option -Xmx1g, version 17.0.2");
    EXPECT_EQ(text(1), "up to 65535.65535.65535.65535 (no upper bound)");
    EXPECT_EQ(text(2), "two lines and a tab");  // a control character never breaks the line
    EXPECT_EQ(text(3), "\xC3\xA9\xE4\xB8\xAD\xF0\x9F\x98\x80");
    // Separators that other readers split lines on are escaped.
    EXPECT_EQ(text(4), "a\\u2028b\\u2029c\\u0085d\\u009Be\\u007F");
}

// The trace file may hold secrets: created for the user alone, never through
// a link, never waiting on a FIFO; each refusal leaves the trace off.
TEST_F(LaunchTraceSink, OpensOnlyARegularFileOfItsOwn) {
    const auto file = folder_.path() / "new.txt";
    jlaunch::openTraceAt(file.wstring());
    EXPECT_TRUE(jlaunch::traceEnabled());
    jlaunch::closeTrace();
    EXPECT_EQ(std::filesystem::status(file).permissions() & std::filesystem::perms::all,
              std::filesystem::perms::owner_read | std::filesystem::perms::owner_write);
    const auto target = folder_.path() / "target.txt";
    std::ofstream(target) << "kept";
    std::filesystem::create_symlink(target, folder_.path() / "link.txt");
    ASSERT_EQ(mkfifo((folder_.path() / "fifo").c_str(), 0600), 0);
    for (const char* name : {"link.txt", "fifo"}) {
        jlaunch::openTraceAt((folder_.path() / name).wstring());
        EXPECT_FALSE(jlaunch::traceEnabled()) << name;
    }
    EXPECT_EQ(linesOf(target), std::vector<std::string>{"kept"});
}

TEST_F(LaunchTraceSink, FormatsNothingWhileOff) {
    tracing_probe::formatted = 0;
    // Never opened, an empty target, or a file that cannot be made: off.
    for (const std::string& target :
         {std::string("(none)"), std::string(), (folder_.path() / "no/such.txt").string()}) {
        if (target != "(none)") {
            jlaunch::openTraceAt(jlaunch::toWide(target));
        }
        EXPECT_FALSE(jlaunch::traceEnabled()) << target;
        jlaunch::trace(L"off: ", tracing_probe::Counted{});
    }
    EXPECT_EQ(tracing_probe::formatted, 0);
    jlaunch::openTraceAt((folder_.path() / "on.txt").wstring());
    jlaunch::trace(L"on: ", tracing_probe::Counted{});
    EXPECT_EQ(tracing_probe::formatted, 1);
}

TEST_F(LaunchTraceSink, LinesFromSeveralThreadsStayWhole) {
    const auto file = folder_.path() / "threads.txt";
    jlaunch::openTraceAt(file.wstring());
    constexpr int kLines = 300;
    const auto writer = [](wchar_t name) {
        for (int i = 0; i < kLines; ++i) {
            jlaunch::trace(std::wstring(40, name), L" ", i);
        }
    };
    std::thread a(writer, L'a');
    std::thread b(writer, L'b');
    a.join();
    b.join();
    const std::vector<std::string> lines = linesOf(file);
    ASSERT_EQ(lines.size(), 2u * kLines);
    for (const std::string& line : lines) {
        const std::string text = line.substr(line.find(" ms  ") + 5);
        EXPECT_TRUE(hasTimePrefix(line)) << line;
        EXPECT_TRUE(text.starts_with(std::string(40, 'a') + " ") || text.starts_with(std::string(40, 'b') + " "))
            << line;
        EXPECT_EQ(text.find_first_not_of("0123456789", 41), std::string::npos) << line;
    }
}

}  // namespace
