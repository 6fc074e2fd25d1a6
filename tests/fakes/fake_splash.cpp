// A stand-in for the Java runtime's splashscreen.dll: each entry point
// writes one trace line, so that a test sees what was called, with which
// text, and where among the fake VM's own events.
#include <string>

#include "fake_jvm_protocol.h"
#include "trace.h"

namespace {

std::string quoted(const char* text) {
    return text == nullptr ? "(null)" : "\"" + fake_jvm::escapeBytes(text) + "\"";
}

}  // namespace

extern "C" {

__declspec(dllexport) void SplashInit() {
    fake_jvm::trace("SPLASH Init");
}

__declspec(dllexport) int SplashLoadFile(const char* fileName) {
    fake_jvm::trace("SPLASH LoadFile " + quoted(fileName));
    return 1;
}

#ifndef FAKE_SPLASH_NO_SET_FILE_JAR_NAME
__declspec(dllexport) void SplashSetFileJarName(const char* fileName, const char* jarName) {
    fake_jvm::trace("SPLASH SetFileJarName " + quoted(fileName) + " " + quoted(jarName));
}
#endif

__declspec(dllexport) void SplashClose() {
    fake_jvm::trace("SPLASH Close");
}

}  // extern "C"
