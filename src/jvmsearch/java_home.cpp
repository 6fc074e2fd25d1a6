#include "jvmsearch/java_home.h"

#include "common/paths.h"

namespace jlaunch {

std::wstring withTrailingSeparator(std::wstring path) {
    if (path.empty() || path.back() != kPathSeparator) {
        path.push_back(kPathSeparator);
    }
    return path;
}

bool hasJavaRuntime(const std::wstring& home) {
    for (const std::wstring& marker : javaRuntimeMarkers()) {
        if (pathExists(home + marker)) {
            return true;
        }
    }
    return false;
}

bool hasJavaCompiler(const std::wstring& home) {
    return pathExists(home + javaCompilerLocation());
}

std::vector<std::wstring_view> vmFolderOrder(JvmType type) {
    std::vector<std::wstring_view> order;
    if (type == JvmType::Server || type == JvmType::FavorServer) {
        order.emplace_back(L"server");
    }
    if (type != JvmType::Server) {
        order.insert(order.end(), {L"client", L"classic", L"hotspot", L"server", L"jrockit"});
    }
    return order;
}

JvmLibrary findJvmLibrary(const std::wstring& home, JvmType type) {
    for (const std::wstring_view folder : vmFolderOrder(type)) {
        for (const std::wstring& location : vmLibraryLocations(folder)) {
            std::wstring candidate = home + location;
            if (pathExists(candidate)) {
                return {std::move(candidate), folder == L"server"};
            }
        }
    }
    return {};
}

}  // namespace jlaunch
