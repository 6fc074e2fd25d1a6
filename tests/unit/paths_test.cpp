// Path rules and the file-system helpers on Linux.
#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "common/paths.h"
#include "test_support.h"

namespace {

namespace fs = std::filesystem;
using List = std::vector<std::wstring>;

std::wstring wide(const std::string& ascii) {
    return std::wstring(ascii.begin(), ascii.end());
}

TEST(Paths, AbsoluteParentAndPrefix) {
    for (const wchar_t* absolute : {L"/", L"/a", L"//server/share"}) {
        EXPECT_TRUE(jlaunch::isAbsolutePath(absolute)) << testing::PrintToString(std::wstring(absolute));
    }
    for (const wchar_t* relative : {L"", L"a", L"./a", L"C:\\x", L"C:", L"\\\\server\\share", L" /a"}) {
        EXPECT_FALSE(jlaunch::isAbsolutePath(relative)) << testing::PrintToString(std::wstring(relative));
    }
    EXPECT_EQ(jlaunch::parentPath(L"/usr/lib/jvm/j/lib/server/libjvm.so", 2), L"/usr/lib/jvm/j/lib");
    EXPECT_EQ(jlaunch::parentPath(L"/opt/app/tool", 1), L"/opt/app");
    EXPECT_EQ(jlaunch::parentPath(L"/opt/app/tool", 0), L"/opt/app/tool");
    EXPECT_EQ(jlaunch::parentPath(L"libjvm.so", 2), L"libjvm.so");
    EXPECT_EQ(jlaunch::parentPath(L"jre\\bin\\server\\jvm.dll", 2), L"jre\\bin\\server\\jvm.dll");
    EXPECT_EQ(jlaunch::parentPath(L"/a/b", 7), L"");
    EXPECT_EQ(jlaunch::parentPath(L"", 3), L"");
    EXPECT_TRUE(jlaunch::hasLongPathPrefix(L"\\\\?\\C:\\x"));
    EXPECT_TRUE(jlaunch::hasLongPathPrefix(L"\\\\?\\UNC\\server\\share"));
    EXPECT_FALSE(jlaunch::hasLongPathPrefix(L"\\\\?"));
    EXPECT_FALSE(jlaunch::hasLongPathPrefix(L"\\\\.\\pipe"));
    EXPECT_FALSE(jlaunch::isNetworkPath(L"//server/share/x"));
}

TEST(Paths, SplitIntoRootAndComponents) {
    EXPECT_EQ(jlaunch::splitPath(L"/a/b/out.log"), (List{L"/", L"a", L"b", L"out.log"}));
    EXPECT_EQ(jlaunch::splitPath(L"logs/sub/out.log"), (List{L"logs", L"sub", L"out.log"}));
    EXPECT_EQ(jlaunch::splitPath(L"/a//b/"), (List{L"/", L"a", L"", L"b"}));
    EXPECT_EQ(jlaunch::splitPath(L"/"), List{L"/"});
    EXPECT_EQ(jlaunch::splitPath(L"out.log"), List{L"out.log"});
    EXPECT_EQ(jlaunch::splitPath(L""), List{});
}

// A fresh folder under the system's temporary folder, removed with everything in it.
class PathsOnDisk : public ::testing::Test {
protected:
    void SetUp() override {
        root_ = folder_.path().string();
        previousFolder_ = fs::current_path();
    }
    void TearDown() override {
        std::error_code ignored;
        fs::current_path(previousFolder_, ignored);
    }
    std::string path(const std::string& relative) const { return root_ + "/" + relative; }
    void touch(const std::string& relative) const { std::ofstream(path(relative)) << "x"; }

    // Every match of a search, in name order.
    static List matches(jlaunch::FileFinder& finder, const std::wstring& name, List* folders = nullptr) {
        List names;
        for (bool more = finder.find(name); more; more = finder.next()) {
            EXPECT_TRUE(finder.found());
            names.push_back(finder.fileName());
            if (folders != nullptr && finder.isDirectory()) folders->push_back(finder.fileName());
        }
        EXPECT_FALSE(finder.found());
        EXPECT_EQ(finder.fileName(), L"");
        std::sort(names.begin(), names.end());
        if (folders != nullptr) std::sort(folders->begin(), folders->end());
        return names;
    }

    jlaunch::testing::TestFolder folder_;
    std::string root_;
    fs::path previousFolder_;
};

TEST_F(PathsOnDisk, ExistenceOfFilesAndFolders) {
    touch("file.txt");
    EXPECT_TRUE(jlaunch::pathExists(wide(root_)));
    EXPECT_TRUE(jlaunch::pathExists(wide(path("file.txt"))));
    EXPECT_FALSE(jlaunch::pathExists(wide(path("missing"))));
    EXPECT_FALSE(jlaunch::pathExists(wide(path("file.txt/below"))));
    EXPECT_FALSE(jlaunch::pathExists(L""));
    EXPECT_FALSE(jlaunch::pathExists(std::wstring(40000, L'a')));
    fs::current_path(root_);
    EXPECT_TRUE(jlaunch::pathExists(L"file.txt"));
}

TEST_F(PathsOnDisk, CreateParentFolders) {
    fs::create_directory(path("x"));
    EXPECT_EQ(jlaunch::createParentFolders(wide(path("x/y/z.log"))), 0u);
    EXPECT_TRUE(fs::is_directory(path("x/y")));
    EXPECT_FALSE(fs::exists(path("x/y/z.log")));

    EXPECT_EQ(jlaunch::createParentFolders(wide(path("a/b/c/d.log"))), 0u);
    EXPECT_TRUE(fs::is_directory(path("a/b/c")));
    EXPECT_EQ(jlaunch::createParentFolders(wide(path("a/b/c/d.log"))), 0u);  // all there already
    EXPECT_EQ(jlaunch::createParentFolders(wide(path("a//b/e/f.log"))), 0u);
    EXPECT_TRUE(fs::is_directory(path("a/b/e")));

    // An existing file is left alone; a file in the way of a folder is an error.
    touch("file.txt");
    EXPECT_EQ(jlaunch::createParentFolders(wide(path("file.txt"))), 0u);
    EXPECT_EQ(jlaunch::createParentFolders(wide(path("file.txt/sub/out.log"))), static_cast<std::uint32_t>(ENOTDIR));
    EXPECT_FALSE(fs::exists(path("file.txt/sub")));

    // A relative path's first component is its root and is never created.
    fs::current_path(root_);
    EXPECT_EQ(jlaunch::createParentFolders(L"logs/sub/out.log"), static_cast<std::uint32_t>(ENOENT));
    EXPECT_FALSE(fs::exists(path("logs")));
    fs::create_directory(path("logs"));
    EXPECT_EQ(jlaunch::createParentFolders(L"logs/sub/deeper/out.log"), 0u);
    EXPECT_TRUE(fs::is_directory(path("logs/sub/deeper")));
    EXPECT_EQ(jlaunch::createParentFolders(L"out.log"), 0u);

    const std::string longName(300, 'n');
    EXPECT_NE(jlaunch::createParentFolders(wide(path(longName + "/out.log"))), 0u);
}

TEST_F(PathsOnDisk, FileFinderWithWildcards) {
    for (const char* name : {"a.txt", "b.txt", "c.log", ".hidden.txt", "r[1].txt"}) touch(name);
    fs::create_directory(path("sub.txt"));
    jlaunch::FileFinder finder;
    EXPECT_FALSE(finder.next());
    List folders;
    EXPECT_EQ(matches(finder, wide(path("*.txt")), &folders), (List{L"a.txt", L"b.txt", L"r[1].txt", L"sub.txt"}));
    EXPECT_EQ(folders, List{L"sub.txt"});
    EXPECT_EQ(matches(finder, wide(path("?.log"))), List{L"c.log"});
    EXPECT_EQ(matches(finder, wide(path("*"))).size(), 5u);
    EXPECT_EQ(matches(finder, wide(path(".h*"))), List{L".hidden.txt"});

    ASSERT_TRUE(finder.find(wide(path("a.txt"))));
    EXPECT_EQ(finder.fileName(), L"a.txt");
    EXPECT_FALSE(finder.isDirectory());
    EXPECT_EQ(finder.folder(), wide(root_));
    EXPECT_FALSE(finder.next());
    ASSERT_TRUE(finder.find(wide(path("sub.txt"))));
    EXPECT_TRUE(finder.isDirectory());
    finder.close();
    EXPECT_FALSE(finder.found());

    EXPECT_FALSE(finder.find(wide(path("*.none"))));
    EXPECT_FALSE(finder.find(wide(path("missing"))));
    EXPECT_FALSE(finder.find(wide(path("missing/*"))));
    EXPECT_FALSE(finder.found());
    EXPECT_FALSE(finder.find(std::wstring(40000, L'a')));
    EXPECT_FALSE(finder.find(L"/" + std::wstring(40000, L'a') + L"/*"));

    // Only "*" and "?" are wildcards: brackets are part of a file name.
    EXPECT_EQ(matches(finder, wide(path("r[1].txt"))), List{L"r[1].txt"});
    EXPECT_EQ(matches(finder, wide(path("r[1]*"))), List{L"r[1].txt"});
    EXPECT_EQ(matches(finder, wide(path("[ab].txt"))), List{});

    // A relative name is searched in the current folder.
    fs::current_path(root_);
    ASSERT_TRUE(finder.find(L"c.log"));
    EXPECT_EQ(finder.folder(), wide(fs::current_path().string()));
    ASSERT_TRUE(finder.find(L"sub.txt/../b.*"));
    EXPECT_EQ(finder.fileName(), L"b.txt");
}

}  // namespace
