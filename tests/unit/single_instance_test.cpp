// Single-instance mode: when the settings ask for it, what the argument block
// carries, the names instances meet under, and on Linux the socket's guards
// (time limit, other users, answers of a first instance that cannot serve).
#include <gtest/gtest.h>

#include <sys/file.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

#include <array>
#include <chrono>
#include <cstring>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "common/handles_posix.h"
#include "instance/argument_block.h"
#include "instance/instance_socket_posix.h"
#include "instance/single_instance.h"
#include "settings/launcher_settings.h"
#include "test_support.h"

namespace {

using jlaunch::InstanceRole;
using jlaunch::SingleInstance;
using List = std::vector<std::wstring>;
using Region = std::array<std::uint8_t, jlaunch::kArgumentRegionSize>;
using namespace std::chrono_literals;

TEST(SingleInstanceSettings, OnlyAnExactYesAndNeverForAService) {
    const jlaunch::testing::TestFolder folder;
    const struct {
        const char* application;  // the lines of [Application] and after
        bool on;
    } cases[] = {
        {"Single Instance=yes\n", true},
        {"Application Type=Service\nSingle Instance=yes\n", true},
        {"Single Instance = yes \n", true},
        {"[Application+]\nSingle Instance=yes\n", true},
        {"Single Instance=Yes\n", false},
        {"Single Instance=true\n", false},
        {"Application Type=service\nSingle Instance=yes\n", false},
        {"", false},
    };
    for (const auto& c : cases) {
        folder.write("app.ini",
                     std::string("[Java Runtime Environment]\nMain Class=a.B\n[Application]\n") + c.application);
        const auto settings = jlaunch::readLauncherSettings((folder.path() / "app").wstring());
        ASSERT_TRUE(settings.ok()) << c.application;
        EXPECT_EQ(settings->singleInstance, c.on) << c.application;
    }
}

// What a second instance writes, read by this build and (once the count
// beside the block is gone) as older builds read it.
TEST(ArgumentBlock, RoundTripTheOlderReadingAndTheSizeLimit) {
    const struct {
        List written;
        List olderReading;
    } cases[] = {
        {{}, {L""}},
        {{L"a", L"", L"b"}, {L"a"}},
        {{L"a", L""}, {L"a"}},
        {{L"\u00E9t\u00E9 \u4E2D\U0001F600", L"\uFFFF"}, {L"\u00E9t\u00E9 \u4E2D\U0001F600", L"\uFFFF"}},
        {{std::wstring(518, L'x')}, {std::wstring(518, L'x')}},  // 2 × 518 + 2 + 2 = 1040 bytes
    };
    for (const auto& c : cases) {
        Region region{};
        region.fill(0xAB);  // what an earlier launch left
        ASSERT_TRUE(jlaunch::fitsArgumentBlock(c.written));
        jlaunch::writeArguments(region, c.written);
        EXPECT_EQ(jlaunch::readArguments(region), c.written.empty() ? List{L""} : c.written);
        jlaunch::clearArgumentCount(region);
        EXPECT_EQ(jlaunch::readArguments(region), c.olderReading);
    }
    EXPECT_FALSE(jlaunch::fitsArgumentBlock({std::wstring(519, L'x')}));
    EXPECT_FALSE(jlaunch::fitsArgumentBlock({std::wstring(517, L'x') + L"\U0001F600"}));  // two UTF-16 units
    EXPECT_FALSE(jlaunch::fitsArgumentBlock(List(260, L"x")));

    // An older build rewrites the block but not the count beside it.
    Region region{};
    jlaunch::writeArguments(region, {L"a", L"", L"b"});
    std::fill_n(region.begin(), jlaunch::kArgumentBlockSize, std::uint8_t{0});
    region[0] = 'o';
    EXPECT_EQ(jlaunch::readArguments(region), List{L"o"});

    // A damaged region without a single NUL unit still reads as one argument
    // (found by fuzzing: it read as none), never past the last two bytes.
    region.fill(0xAB);
    EXPECT_EQ(jlaunch::readArguments(region), List{std::wstring((jlaunch::kArgumentRegionSize - 2) / 2, L'\uABAB')});
}

TEST(InstanceNames, PathsTurnIntoNamesThatTellExecutablesApart) {
    EXPECT_EQ(jlaunch::instanceName(L"C:\\Apps\\Tool\\tool.exe"), L"C:_Apps_Tool_tool.exe");
    const std::wstring deep = L"C:\\" + std::wstring(300, L'd') + L"\\tool.exe";
    EXPECT_EQ(jlaunch::instanceName(deep).size(), 259u);
    EXPECT_NE(jlaunch::instanceName(deep), jlaunch::instanceName(deep.substr(0, deep.size() - 3) + L"com"));
    const std::string a = jlaunch::instanceSocketName("/opt/a/app", 1000);
    EXPECT_EQ(a, "jlaunch-1000-c98bff043f55a75f");  // the 64-bit FNV-1a of the path, as every build names it
    EXPECT_NE(a, jlaunch::instanceSocketName("/opt/b/app", 1000));
    EXPECT_NE(a, jlaunch::instanceSocketName("/opt/a/app", 1001));
    EXPECT_LT(a.size(), sizeof(sockaddr_un::sun_path) - 1);
}

// --- Linux: the socket's guards ----------------------------------------------------

// Each test's sockets lie in a runtime folder of its own.
class SingleInstancePosix : public testing::Test {
protected:
    SingleInstancePosix() {
        const char* previous = std::getenv("XDG_RUNTIME_DIR");
        if (previous != nullptr) previous_ = previous;
        setenv("XDG_RUNTIME_DIR", runtime_.path().c_str(), 1);
        const jlaunch::InstanceSocketFolder folder = jlaunch::instanceSocketFolder();
        EXPECT_EQ(folder.problem, "");
        socketPath_ = jlaunch::instanceSocketPath(folder.path, executable_);
        address_.sun_family = AF_UNIX;
        std::memcpy(address_.sun_path, socketPath_.data(), socketPath_.size());
        length_ = static_cast<socklen_t>(offsetof(sockaddr_un, sun_path) + socketPath_.size() + 1);
    }
    ~SingleInstancePosix() override {
        if (previous_) {
            setenv("XDG_RUNTIME_DIR", previous_->c_str(), 1);
        } else {
            unsetenv("XDG_RUNTIME_DIR");
        }
    }
    struct Holder {
        jlaunch::UniqueFileDescriptor lock;
        jlaunch::UniqueFileDescriptor socket;
    };
    // Holds the name as a first instance does (its lock, its socket
    // listening or not); without the lock, as one that died left it.
    Holder occupyName(bool listening, bool locked = true) const {
        Holder holder;
        if (locked) {
            holder.lock.reset(open((socketPath_ + ".lock").c_str(), O_RDWR | O_CREAT, 0600));
            EXPECT_EQ(flock(holder.lock.get(), LOCK_EX | LOCK_NB), 0);
        }
        holder.socket.reset(::socket(AF_UNIX, SOCK_STREAM, 0));
        unlink(socketPath_.c_str());  // an earlier holder's
        EXPECT_EQ(bind(holder.socket.get(), reinterpret_cast<const sockaddr*>(&address_), length_), 0);
        if (listening) listen(holder.socket.get(), 8);
        return holder;
    }

    jlaunch::testing::TestFolder runtime_;
    std::optional<std::string> previous_;
    const std::wstring executable_ =
        (std::filesystem::temp_directory_path() /
         (testing::UnitTest::GetInstance()->current_test_info()->name() + std::to_string(getpid())))
            .wstring();
    std::string socketPath_;
    sockaddr_un address_{};
    socklen_t length_ = 0;
};

TEST_F(SingleInstancePosix, AFirstInstanceThatTakesNothingEndsTheWaitAndOneThatRefusesIsIgnored) {
    {
        const auto name = occupyName(true);  // listens, never answers
        EXPECT_FALSE(SingleInstance().setup(executable_, {L"a"}, 300ms));
    }
    {
        const auto name = occupyName(false);  // bound, refusing
        SingleInstance launch;
        EXPECT_TRUE(launch.setup(executable_, {L"a"}));
        EXPECT_EQ(launch.role(), InstanceRole::Off);
    }
    // A socket left by a first instance that died (no lock held) is replaced.
    const auto left = occupyName(true, false);
    SingleInstance launch;
    EXPECT_TRUE(launch.setup(executable_, {L"a"}, 300ms));
    EXPECT_EQ(launch.role(), InstanceRole::First);
}

// The sockets' folder is this user's alone, or the mode stays off and says why.
TEST_F(SingleInstancePosix, TheSocketsFolderIsThisUsersAloneOrTheModeIsOff) {
    const std::string folder = runtime_.path().string() + "/jlaunch";
    const std::string elsewhere = runtime_.path().string() + "/elsewhere";
    const struct {
        const char* what;
        std::function<void()> prepare;
        bool usable;
    } cases[] = {
        {"missing: made with 0700", [&] { std::filesystem::remove_all(folder); }, true},
        {"open to others: narrowed to 0700", [&] { chmod(folder.c_str(), 0777); }, true},
        {"a link to a folder of ours",
         [&] {
             std::filesystem::remove_all(folder);
             std::filesystem::create_directory(elsewhere);
             std::filesystem::create_directory_symlink(elsewhere, folder);
         },
         false},
        {"a file",
         [&] {
             std::filesystem::remove_all(folder);
             runtime_.write("jlaunch");
         },
         false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        c.prepare();
        const jlaunch::InstanceSocketFolder found = jlaunch::instanceSocketFolder();
        EXPECT_EQ(found.path, folder);
        EXPECT_EQ(found.problem.empty(), c.usable) << found.problem;
        SingleInstance launch;
        EXPECT_TRUE(launch.setup(executable_, {L"a"}, 300ms));
        EXPECT_EQ(launch.role(), c.usable ? InstanceRole::First : InstanceRole::Off);
        EXPECT_EQ(launch.unsafeFolder(), c.usable ? "" : folder);
        if (c.usable) {
            struct stat status {};
            ASSERT_EQ(lstat(folder.c_str(), &status), 0);
            EXPECT_TRUE(S_ISDIR(status.st_mode));
            EXPECT_EQ(status.st_mode & 0777, 0700u);
        }
    }
    // Without a runtime folder, or with a relative one, the user's own in /tmp.
    for (const char* runtime : {"", "relative/run"}) {
        setenv("XDG_RUNTIME_DIR", runtime, 1);
        EXPECT_EQ(jlaunch::instanceSocketFolder().path, "/tmp/jlaunch-" + std::to_string(getuid()));
    }
}

// Connections that never send their request cost the launches behind them
// nothing: each request is read on its own thread (before, each stalled one
// held the listener for five seconds).
TEST_F(SingleInstancePosix, StalledConnectionsDoNotHoldUpALaunch) {
    SingleInstance first;
    ASSERT_TRUE(first.setup(executable_, {L"first"}));
    ASSERT_EQ(first.role(), InstanceRole::First);
    first.markStarted([](const std::vector<std::wstring>& arguments, const jlaunch::AnswerFunction& answer) {
        answer(arguments == std::vector<std::wstring>{L"x"} ? 42 : 1);
        return true;
    });
    std::vector<jlaunch::UniqueFileDescriptor> stalled;
    for (int i = 0; i < 6; ++i) {
        stalled.emplace_back(::socket(AF_UNIX, SOCK_STREAM, 0));
        ASSERT_EQ(connect(stalled.back().get(), reinterpret_cast<const sockaddr*>(&address_), length_), 0);
    }
    SingleInstance second;
    ASSERT_TRUE(second.setup(executable_, {L"x"}, 10s));
    ASSERT_EQ(second.role(), InstanceRole::Second);
    EXPECT_EQ(second.waitForFirstInstance(), 42);
}

TEST_F(SingleInstancePosix, AnotherUserNeitherReceivesNorSendsArguments) {
    if (geteuid() != 0) GTEST_SKIP() << "needs root, to act as another user";
    // As user nobody: hold this user's name, or send this user's first instance a launch.
    std::array<std::uint8_t, 4 + jlaunch::kArgumentRegionSize> request{'J', 'L', 'S', 'R'};
    const auto asNobody = [&](bool send) {
        int ready[2];
        EXPECT_EQ(pipe(ready), 0);
        const pid_t child = fork();
        if (child == 0) {
            jlaunch::UniqueFileDescriptor socket(::socket(AF_UNIX, SOCK_STREAM, 0));
            const auto* address = reinterpret_cast<const sockaddr*>(&address_);
            char taken = 0;
            const bool nobody = setuid(65534) == 0;
            // Refused: the connection closes without the word that the arguments were taken.
            const bool done =
                nobody && (send ? connect(socket.get(), address, length_) != 0 ||
                                      ::send(socket.get(), request.data(), request.size(), MSG_NOSIGNAL) < 0 ||
                                      recv(socket.get(), &taken, 1, 0) <= 0
                                : bind(socket.get(), address, length_) == 0 && listen(socket.get(), 8) == 0);
            static_cast<void>(write(ready[1], &done, 1));
            pause();
        }
        close(ready[1]);  // a child that dies early ends the read below
        bool done = false;
        EXPECT_EQ(read(ready[0], &done, 1), 1);
        close(ready[0]);
        return std::pair(child, done);
    };
    // The folder is this user's alone: another cannot even take the name.
    const auto [squatter, held] = asNobody(false);
    EXPECT_FALSE(held);
    SingleInstance launch;
    EXPECT_TRUE(launch.setup(executable_, {L"secret"}));
    EXPECT_EQ(launch.role(), InstanceRole::First);
    launch.stop();
    kill(squatter, SIGKILL);
    waitpid(squatter, nullptr, 0);

    SingleInstance first;
    ASSERT_TRUE(first.setup(executable_, {}));
    first.markStarted([](const List&, const jlaunch::AnswerFunction&) {
        ADD_FAILURE() << "served another user's launch";
        return false;
    });
    const auto [intruder, refused] = asNobody(true);
    EXPECT_TRUE(refused);
    kill(intruder, SIGKILL);
    waitpid(intruder, nullptr, 0);
}

}  // namespace
