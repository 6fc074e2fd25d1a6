#include "splash/jar_splash.h"

#include "common/file_reader.h"
#include "common/paths.h"
#include "common/trace.h"
#include "common/zip_entry.h"

namespace jlaunch {

namespace {

constexpr std::size_t kManifestLimit = 1 << 20;
// Larger files are no splash picture (their pixels are bounded apart).
constexpr std::size_t kPictureLimit = 32 << 20;

std::optional<std::string> entryOf(const FileReader& jar, std::string_view name, std::size_t limit) {
    return readZipEntry(
        jar.size(),
        [&jar](std::uint64_t offset, std::size_t count, void* out) { return jar.readAt(offset, count, out); }, name,
        limit);
}

}  // namespace

std::optional<std::string> jarSplashPicture(const std::wstring& jarPath) {
    const FileReader jar(jarPath);
    if (!jar.isOpen()) {
        return std::nullopt;
    }
    const auto manifest = entryOf(jar, "META-INF/MANIFEST.MF", kManifestLimit);
    const auto name = manifest ? manifestAttribute(*manifest, "SplashScreen-Image") : std::nullopt;
    // The name is an entry of the jar, never a path outside it.
    return name && !name->empty() ? entryOf(jar, *name, kPictureLimit) : std::nullopt;
}

JarSplashFile::JarSplashFile(const std::wstring& jarPath) {
    if (const auto picture = jarSplashPicture(jarPath)) {
        path_ = newTemporaryFileWith(*picture);
        trace("splash picture from the manifest of ", jarPath, path_.empty() ? ": not written" : "");
    }
}

JarSplashFile::~JarSplashFile() {
    if (!path_.empty()) {
        removeFile(path_);
    }
}

}  // namespace jlaunch
