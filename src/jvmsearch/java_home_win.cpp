#include "jvmsearch/java_home.h"

namespace jlaunch {

std::vector<std::wstring> javaRuntimeMarkers() {
    return {L"bin\\java.dll"};
}

std::wstring javaCompilerLocation() {
    return L"bin\\javac.exe";
}

std::vector<std::wstring> vmLibraryLocations(std::wstring_view vmFolder) {
    return {L"bin\\" + std::wstring(vmFolder) + L"\\jvm.dll"};
}

}  // namespace jlaunch
