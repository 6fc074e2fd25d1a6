// Class path, VM parameter splitting, the library path and the text handed
// to and taken from the VM, on the Linux build.
#include <gtest/gtest.h>

#include <stdlib.h>

#include <algorithm>

#include "common/environment.h"
#include "jvmhost/java_strings.h"
#include "jvmhost/library_path.h"
#include "jvmhost/vm_options.h"
#include "test_support.h"

namespace {

using jlaunch::testing::TestFolder;

TEST(VmParameters, SpacesInsideQuotesDoNotSplit) {
    using V = std::vector<std::wstring>;
    EXPECT_EQ(jlaunch::splitVmParameters(L"-Dname=\"a b\" -Xmx1g"), (V{L"-Dname=\"a b\"", L"-Xmx1g"}));
    EXPECT_EQ(jlaunch::splitVmParameters(L"-Xms1m  -Xmx1g"), (V{L"-Xms1m", L"-Xmx1g"}));
    // A "+" section's value begins with a space; no space makes an empty option.
    EXPECT_EQ(jlaunch::splitVmParameters(L" -Xmx1g  "), (V{L"-Xmx1g"}));
    EXPECT_TRUE(jlaunch::splitVmParameters(L"   ").empty());
    // A doubled quote closes the quoted part, so the space after "y" splits.
    EXPECT_EQ(jlaunch::splitVmParameters(L"-Da=\"x\"\"y z\" -b"), (V{L"-Da=\"x\"\"y", L"z\"", L"-b"}));
    EXPECT_EQ(jlaunch::splitVmParameters(L"-Da=\"open -b"), (V{L"-Da=\"open", L"-b"}));
    EXPECT_EQ(jlaunch::splitVmParameters(L"\"-Dq=1 2\"\"-Dr=3 4\" -c"), (V{L"\"-Dq=1 2\"\"-Dr=3", L"4\"", L"-c"}));
    EXPECT_TRUE(jlaunch::splitVmParameters(L"").empty());
    EXPECT_EQ(jlaunch::splitVmParameters(L"-a   "), (V{L"-a"}));
}

TEST(ClassPath, WildcardsAndRelativeEntriesResolveInTheLauncherFolder) {
    TestFolder f;
    f.write("lib/a.jar");
    f.write("lib/b.jar");
    f.write("lib/notes.txt");
    f.write("app.jar");
    const std::wstring folder = f.wide();
    std::wstring classPath;
    jlaunch::expandClassPathEntry(L"lib/*.jar", folder, classPath);
    jlaunch::expandClassPathEntry(L"app.jar", folder, classPath);
    jlaunch::expandClassPathEntry(L"missing.jar", folder, classPath);
    jlaunch::expandClassPathEntry(L"nofolder/*.jar", folder, classPath);
    jlaunch::expandClassPathEntry(folder + L"/lib/a*", folder, classPath);
    std::vector<std::wstring> entries;
    for (std::size_t start = 0; start < classPath.size();) {
        const auto end = classPath.find(L':', start);
        entries.push_back(classPath.substr(start, end - start));
        start = end + 1;
    }
    EXPECT_EQ(entries, (std::vector<std::wstring>{folder + L"/lib/a.jar", folder + L"/lib/b.jar", folder + L"/app.jar",
                                                  folder + L"/lib/a.jar"}));
    EXPECT_EQ(classPath.back(), L':');
    EXPECT_TRUE(jlaunch::isAbsoluteClassPathEntry(L"/opt/app/x.jar"));
    EXPECT_FALSE(jlaunch::isAbsoluteClassPathEntry(L"/opt/app/*.jar"));
    EXPECT_FALSE(jlaunch::isAbsoluteClassPathEntry(L"x.jar"));
}

TEST(ClassPath, WildcardMatchesComeInNameOrder) {
    TestFolder f;
    for (const char* name : {"m.jar", "b.jar", "z.jar", "a.jar", "B.jar", "a0.jar"}) {
        f.write(std::string("lib/") + name);
    }
    std::wstring classPath;
    jlaunch::expandClassPathEntry(L"lib/*.jar", f.wide(), classPath);
    const std::wstring lib = f.wide() + L"/lib/";
    EXPECT_EQ(classPath, lib + L"B.jar:" + lib + L"a.jar:" + lib + L"a0.jar:" + lib + L"b.jar:" + lib + L"m.jar:" +
                             lib + L"z.jar:");
}

TEST(LibraryPath, PiecesAreSeparatedAndNoElementIsEmpty) {
    using V = std::vector<std::wstring>;
    EXPECT_EQ(jlaunch::joinSearchPath(V{L"/a:/b", L"/app/", L".", L"/usr/bin", L"/jdk/lib"}),
              L"/a:/b:/app/:.:/usr/bin:/jdk/lib");
    EXPECT_EQ(jlaunch::joinSearchPath(V{L"/sys:", L"", L"/jdk/bin"}), L"/sys:/jdk/bin");
    EXPECT_EQ(jlaunch::joinSearchPath(V{L"::/a::b:", L":"}), L"/a:b");
    EXPECT_EQ(jlaunch::joinSearchPath(V{L"", L""}), L"");
    // Java 9 and later, and Java 8's layout.
    EXPECT_EQ(jlaunch::runtimeFolders(L"/jdk/lib/server/libjvm.so").executables, L"/jdk/bin");
    EXPECT_EQ(jlaunch::runtimeFolders(L"/jdk/lib/server/libjvm.so").libraries, L"/jdk/lib");
    EXPECT_EQ(jlaunch::runtimeFolders(L"/jdk8/jre/lib/amd64/server/libjvm.so").executables, L"/jdk8/jre/bin");
}

TEST(Environment, ReferencesExpandAndUnknownOnesStay) {
    jlaunch::testing::ScopedEnvironment environment;
    environment.set("JLAUNCH_TEST_HOME", "/opt/x");
    environment.set("JLAUNCH_TEST_UNSET", nullptr);
    EXPECT_EQ(jlaunch::Environment::ofProcess().expand(
                  L"%JLAUNCH_TEST_HOME%/lib;%JLAUNCH_TEST_UNSET%;%%;%JLAUNCH_TEST_HOME%;100%"),
              L"/opt/x/lib;%JLAUNCH_TEST_UNSET%;%%;/opt/x;100%");
}

TEST(Environment, ChangesOverlayTheBaseAndExpandLikeWindows) {
    jlaunch::Environment environment([](const std::wstring& name) -> std::optional<std::wstring> {
        if (name == L"A") return L"va";
        if (name == L"EMPTY") return L"";
        return std::nullopt;
    });
    environment.set(L"B", L"vb");
    environment.set(L"A", L"new");
    environment.set(L"B", L"%A%");  // stored as given, never expanded again
    // What Windows' own expansion gives for the same text (checked under Wine).
    const std::pair<std::wstring_view, std::wstring_view> cases[] = {
        {L"x%A%y%B%z", L"xnewy%A%z"},
        {L"%U%", L"%U%"},
        {L"%U%%A%", L"%U%new"},
        {L"%A%B%", L"newB%"},
        {L"%%", L"%%"},
        {L"%", L"%"},
        {L"%A", L"%A"},
        {L"%A%%", L"new%"},
        {L"%EMPTY%", L""},
        {L"100% %A%", L"100% %A%"},
    };
    for (const auto& [text, expanded] : cases) {
        EXPECT_EQ(environment.expand(text), expanded) << std::wstring(text);
    }
    EXPECT_EQ(environment.changes(), (std::vector<jlaunch::EnvironmentVariable>{{L"B", L"%A%"}, {L"A", L"new"}}));
}

TEST(JavaText, Utf16UnitsAndModifiedUtf8RoundTrip) {
    const std::wstring text = L"a\u00e9\u4e2d\U0001F600";
    const std::u16string units = jlaunch::toUtf16Units(text);
    EXPECT_EQ(units, u"a\u00e9\u4e2d\U0001F600");
    // How the VM hands out the same text: each surrogate as three bytes.
    EXPECT_EQ(jlaunch::fromModifiedUtf8("a\xC3\xA9\xE4\xB8\xAD\xED\xA0\xBD\xED\xB8\x80"), text);
    EXPECT_EQ(jlaunch::fromModifiedUtf8("x\xC0\x80y"), std::wstring(L"x\0y", 3));  // NUL as two bytes
    EXPECT_EQ(jlaunch::fromModifiedUtf8("\xFF"), L"\uFFFD");
    EXPECT_EQ(jlaunch::fromModifiedUtf8(""), L"");
}

}  // namespace
