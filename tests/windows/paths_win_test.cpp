// Path splitting, folder creation and directory search against the real
// Win32 file system (Wine's), long paths included.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <set>
#include <string>
#include <vector>

#include "common/paths.h"
#include "launch_helper.h"

namespace jlaunch::test {
namespace {

using Parts = std::vector<std::wstring>;

TEST(SplitPath, RootThenComponents) {
    EXPECT_EQ(splitPath(L"C:\\a\\b\\out.log"), (Parts{L"C:", L"a", L"b", L"out.log"}));
    EXPECT_EQ(splitPath(L"\\\\server\\share\\logs\\out.log"), (Parts{L"\\\\server", L"share", L"logs", L"out.log"}));
    EXPECT_EQ(splitPath(L"\\\\?\\C:\\a\\out.log"), (Parts{L"\\\\?\\C:", L"a", L"out.log"}));
    EXPECT_EQ(splitPath(L"\\\\?\\UNC\\server\\share\\out.log"), (Parts{L"\\\\?\\UNC\\server", L"share", L"out.log"}));
    // A relative first component stands in the root's place.
    EXPECT_EQ(splitPath(L"logs\\sub\\out.log"), (Parts{L"logs", L"sub", L"out.log"}));
}

TEST(SplitPath, EmptyPiecesAndEnds) {
    EXPECT_EQ(splitPath(L"C:\\a\\\\b\\"), (Parts{L"C:", L"a", L"", L"b"}));
    EXPECT_EQ(splitPath(L"out.log"), (Parts{L"out.log"}));
    EXPECT_EQ(splitPath(L"C:\\"), (Parts{L"C:"}));
    // An empty root is left out.
    EXPECT_EQ(splitPath(L"\\temp\\out.log"), (Parts{L"temp", L"out.log"}));
    EXPECT_TRUE(splitPath(L"").empty());
}

TEST(PathRules, AbsoluteNetworkAndParentPaths) {
    for (const wchar_t* absolute : {L"C:", L"D:jre", L"\\\\server", L"\\\\?\\C:\\a", L"C:\\x"}) {
        EXPECT_TRUE(isAbsolutePath(absolute)) << narrowForReport(absolute);
    }
    for (const wchar_t* relative : {L"\\temp", L"a", L"", L"jre\\bin", L"/x/y"}) {
        EXPECT_FALSE(isAbsolutePath(relative)) << narrowForReport(relative);
    }
    EXPECT_TRUE(isNetworkPath(L"\\\\server\\share\\x"));
    EXPECT_TRUE(isNetworkPath(L"\\\\?\\UNC\\server\\share\\x"));
    EXPECT_FALSE(isNetworkPath(L"\\\\?\\C:\\a")) << "a prefixed local path is local";
    EXPECT_FALSE(isNetworkPath(L"C:\\a"));

    EXPECT_EQ(parentPath(L"C:\\jre\\bin\\server\\jvm.dll", 2), L"C:\\jre\\bin");
    EXPECT_EQ(parentPath(L"jvm.dll", 2), L"jvm.dll");
    EXPECT_EQ(parentPath(L"C:/jre/bin/server/jvm.dll", 1), L"C:/jre/bin/server/jvm.dll") << "only \\ separates";
    EXPECT_EQ(parentPath(L"C:\\jre", 5), L"C:");
}

class FileSystem : public testing::Test {
protected:
    bool isFolder(const std::wstring& path) const {
        const DWORD attributes = GetFileAttributesW(path.c_str());
        return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
    }
    bool exists(const std::wstring& path) const { return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

    // A folder path of at least `length` characters below the temporary
    // folder, in the prefixed form, created.
    std::wstring deepFolder(std::size_t length) const {
        std::wstring path = L"\\\\?\\" + temp_.path();
        for (int level = 0; path.size() < length; ++level) {
            path += L"\\level" + std::to_wstring(level) + L"_" + std::wstring(40, L'd');
        }
        EXPECT_TRUE(createFolders(path));
        return path;
    }

    TemporaryFolder temp_;
};

TEST_F(FileSystem, CreateParentFoldersCreatesOnlyTheMissingFoldersAboveTheFile) {
    temp_.makeFolder(L"x");
    const std::wstring file = temp_ / L"x\\y\\z\\out.log";
    EXPECT_EQ(createParentFolders(file), 0u);
    EXPECT_TRUE(isFolder(temp_ / L"x\\y"));
    EXPECT_TRUE(isFolder(temp_ / L"x\\y\\z"));
    EXPECT_FALSE(exists(file)) << "the last component is the file, never a folder";
    // Everything there already: nothing to do, no failure.
    EXPECT_EQ(createParentFolders(file), 0u);
}

TEST_F(FileSystem, CreateParentFoldersOnAnExistingFileChangesNothing) {
    const std::wstring file = temp_.writeFile(L"existing.log", "kept");
    EXPECT_EQ(createParentFolders(file), 0u);
    EXPECT_FALSE(isFolder(file));
    EXPECT_EQ(readFileBytes(file).value_or(""), "kept");
}

TEST_F(FileSystem, CreateParentFoldersNeverCreatesARelativeFirstComponent) {
    const CurrentFolderScope here(temp_.path());
    EXPECT_NE(createParentFolders(L"logs\\sub\\out.log"), 0u) << "logs\\sub cannot be made without logs";
    EXPECT_FALSE(exists(temp_ / L"logs"));

    temp_.makeFolder(L"logs");
    EXPECT_EQ(createParentFolders(L"logs\\sub\\out.log"), 0u);
    EXPECT_TRUE(isFolder(temp_ / L"logs\\sub"));
}

TEST_F(FileSystem, CreateParentFoldersReportsAFileInTheWay) {
    temp_.writeFile(L"blocker", "a file, not a folder");
    EXPECT_NE(createParentFolders(temp_ / L"blocker\\sub\\out.log"), 0u);
    EXPECT_FALSE(isFolder(temp_ / L"blocker"));
}

TEST_F(FileSystem, CreateParentFoldersOfALongPrefixedPath) {
    const std::wstring folder =
        L"\\\\?\\" + temp_.path() + L"\\" + std::wstring(200, L'a') + L"\\" + std::wstring(200, L'b');
    const std::wstring file = folder + L"\\out.log";
    ASSERT_GE(file.size(), 400u);
    EXPECT_EQ(createParentFolders(file), 0u);
    EXPECT_TRUE(isFolder(folder));
    EXPECT_FALSE(exists(file));
}

TEST_F(FileSystem, PathExistsForFilesAndFolders) {
    const std::wstring file = temp_.writeFile(L"sub\\file.txt", "x");
    EXPECT_TRUE(pathExists(file));
    EXPECT_TRUE(pathExists(temp_ / L"sub"));
    EXPECT_FALSE(pathExists(temp_ / L"sub\\missing.txt"));
    EXPECT_FALSE(pathExists(temp_ / L"missing\\file.txt"));
    EXPECT_FALSE(pathExists(L""));

    const std::wstring deep = deepFolder(300);
    const std::wstring deepFile = deep + L"\\deep.txt";
    ASSERT_TRUE(CopyFileW(file.c_str(), deepFile.c_str(), FALSE));
    EXPECT_TRUE(pathExists(deepFile)) << "a prefixed long path is searched as given";
}

TEST_F(FileSystem, FileFinderWalksTheMatchesOfAWildcard) {
    temp_.writeFile(L"a1.txt", "1");
    temp_.writeFile(L"a2.txt", "2");
    temp_.writeFile(L"b.log", "3");
    temp_.makeFolder(L"c.txt");

    FileFinder finder;
    ASSERT_TRUE(finder.find(temp_ / L"*.txt"));
    std::set<std::wstring> names;
    std::set<std::wstring> folders;
    do {
        ASSERT_TRUE(finder.found());
        (finder.isDirectory() ? folders : names).insert(finder.fileName());
    } while (finder.next());
    EXPECT_EQ(names, (std::set<std::wstring>{L"a1.txt", L"a2.txt"}));
    EXPECT_EQ(folders, (std::set<std::wstring>{L"c.txt"}));
    EXPECT_FALSE(finder.found());
    EXPECT_TRUE(finder.fileName().empty());
    EXPECT_FALSE(finder.next()) << "an ended search stays ended";
    EXPECT_EQ(finder.folder(), temp_.path());
}

TEST_F(FileSystem, FileFinderReuseStartsANewSearch) {
    temp_.writeFile(L"one.txt", "1");
    temp_.writeFile(L"sub\\two.txt", "2");
    FileFinder finder;
    ASSERT_TRUE(finder.find(temp_ / L"one.txt"));
    ASSERT_TRUE(finder.find(temp_ / L"sub\\two.txt"));
    EXPECT_EQ(finder.fileName(), L"two.txt");
    EXPECT_EQ(finder.folder(), temp_ / L"sub");
    EXPECT_FALSE(finder.next());

    EXPECT_FALSE(finder.find(temp_ / L"none.*"));
    EXPECT_FALSE(finder.found());
    EXPECT_TRUE(finder.folder().empty()) << "a failed search keeps no folder of an earlier one";
}

TEST_F(FileSystem, FileFinderWithoutNameSearchesTheCurrentFolder) {
    temp_.writeFile(L"only.txt", "1");
    const CurrentFolderScope here(temp_.path());
    FileFinder finder;
    ASSERT_TRUE(finder.find(L""));
    std::set<std::wstring> names;
    do {
        names.insert(finder.fileName());
    } while (finder.next());
    EXPECT_TRUE(names.contains(L"only.txt"));
    EXPECT_EQ(finder.folder(), temp_.path());

    // A relative name is taken from the current folder too.
    ASSERT_TRUE(finder.find(L"only.txt"));
    EXPECT_EQ(finder.folder(), temp_.path());
}

TEST_F(FileSystem, FileFinderAddsTheLongPathPrefixBeyondMaxPath) {
    const std::wstring prefixed = deepFolder(300);
    temp_.writeFile(L"short.txt", "x");
    ASSERT_TRUE(CopyFileW((temp_ / L"short.txt").c_str(), (prefixed + L"\\target.txt").c_str(), FALSE));
    const std::wstring plain = prefixed.substr(4);  // without "\\?\"
    ASSERT_GE(plain.size() + 11, kMaxPath);

    FileFinder finder;
    for (const std::wstring& name : {plain + L"\\target.txt", prefixed + L"\\target.txt", plain + L"\\*.txt"}) {
        SCOPED_TRACE(narrowForReport(name.substr(0, 40)));
        ASSERT_TRUE(finder.find(name));
        EXPECT_EQ(finder.fileName(), L"target.txt");
        EXPECT_FALSE(finder.isDirectory());
        // The search, and so its folder, went through the prefixed form.
        EXPECT_EQ(finder.folder(), prefixed);
    }
}

TEST_F(FileSystem, FileFinderRefusesPathsOfMaxLongPathOrMoreWithoutSearching) {
    temp_.writeFile(L"x.txt", "x");
    FileFinder finder;
    // Any search sets the thread's last error; a refused name is never searched.
    constexpr DWORD kUntouched = 0xBEEF;
    for (const std::size_t length : {kMaxLongPath - 1, kMaxLongPath, kMaxLongPath + 1, 2 * kMaxLongPath}) {
        ASSERT_TRUE(finder.find(temp_ / L"x.txt"));
        std::wstring name = temp_.path() + L"\\";
        name.resize(length, L'n');
        SetLastError(kUntouched);
        EXPECT_FALSE(finder.find(name)) << length;
        EXPECT_FALSE(finder.found()) << "the earlier search is closed all the same";
        if (length < kMaxLongPath) {
            EXPECT_NE(GetLastError(), kUntouched) << "a name just below the limit is searched";
        } else {
            EXPECT_EQ(GetLastError(), kUntouched) << length;
        }
    }
}

}  // namespace
}  // namespace jlaunch::test
