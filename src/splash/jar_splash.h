#pragma once
// The picture an executable jar's manifest names as "SplashScreen-Image":
// the splash when no "Splash Screen" is set, as with "java -jar".
#include <optional>
#include <string>

namespace jlaunch {

// The picture's bytes, read from the jar without a VM; nothing when the jar
// cannot be read, names no picture, or lacks the entry it names.
std::optional<std::string> jarSplashPicture(const std::wstring& jarPath);

// The jar's picture in a temporary file for the splash step, deleted when
// this goes (the splash has taken its picture by then).
class JarSplashFile {
public:
    JarSplashFile() = default;
    explicit JarSplashFile(const std::wstring& jarPath);
    ~JarSplashFile();
    JarSplashFile(const JarSplashFile&) = delete;
    JarSplashFile& operator=(const JarSplashFile&) = delete;

    // Empty when the jar has no picture.
    const std::wstring& path() const { return path_; }

private:
    std::wstring path_;
};

}  // namespace jlaunch
