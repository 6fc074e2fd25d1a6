#include "jvmsearch/java_home.h"

namespace jlaunch {

// Java 9 and later keep the libraries in lib/; Java 8 in lib/amd64/ of the
// runtime, which a JDK holds in its jre/ folder.
std::vector<std::wstring> javaRuntimeMarkers() {
    return {L"lib/libjava.so", L"lib/amd64/libjava.so", L"jre/lib/amd64/libjava.so"};
}

std::wstring javaCompilerLocation() {
    return L"bin/javac";
}

std::vector<std::wstring> vmLibraryLocations(std::wstring_view vmFolder) {
    const std::wstring folder(vmFolder);
    return {L"lib/" + folder + L"/libjvm.so", L"lib/amd64/" + folder + L"/libjvm.so",
            L"jre/lib/amd64/" + folder + L"/libjvm.so"};
}

}  // namespace jlaunch
