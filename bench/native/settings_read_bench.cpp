// Times reading a settings file as the launcher does (decoding its bytes,
// parsing them, looking up its keys) for a 5 KB file and for the same file
// with 130 KB of other sections, and prints the ratio of the two.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <string>

#include "settings/profile_text.h"

namespace {

std::string settingsBytes(bool large) {
    std::string text =
        "[Java Runtime Environment]\nMain Class=Quick\nJRE Path=/usr/lib/jvm/jdk\n"
        "[Class Path]\nClass Path=lib/*.jar\n";
    for (int i = 0; i < 100; ++i) {
        text += "[Application " + std::to_string(i) + "]\nKey=some value " + std::to_string(i) + "\n";
    }
    for (int i = 0; large && i < 3000; ++i) {
        text += "[Other " + std::to_string(i) + "]\nKey=some value " + std::to_string(i) + "\n";
    }
    for (int i = 0; large && i < 1500; ++i) {
        text += "Filler" + std::to_string(i) + "=padding padding padding\n";
    }
    return text;
}

double secondsFor(const std::string& bytes) {
    double best = 1e9;
    std::size_t found = 0;
    for (int round = 0; round < 50; ++round) {
        const auto start = std::chrono::steady_clock::now();
        const auto profile = jlaunch::ProfileText::parse(jlaunch::decodeProfileBytes(bytes));
        for (int key = 0; key < 40; ++key) {
            found += profile.value(L"Java Runtime Environment", key % 2 ? L"Main Class" : L"Missing").size();
        }
        const std::chrono::duration<double> took = std::chrono::steady_clock::now() - start;
        best = std::min(best, took.count());
    }
    if (found == 0) {
        std::fprintf(stderr, "the main class was not read\n");
    }
    return best;
}

}  // namespace

int main() {
    const std::string small = settingsBytes(false);
    const std::string large = settingsBytes(true);
    const double smallSeconds = secondsFor(small);
    const double largeSeconds = secondsFor(large);
    std::printf("settings read, %zu KB: %.3f ms; %zu KB: %.3f ms; ratio %.1f\n", small.size() / 1024,
                smallSeconds * 1000, large.size() / 1024, largeSeconds * 1000, largeSeconds / smallSeconds);
    return 0;
}
