// Answers INI queries with the launcher's own profile reader: on Windows the
// system's profile functions, on Linux the launcher's reader. Both builds
// print the same ASCII text for the same corpus, so the answers can be diffed.
//
// Usage: ini_query QUERIES FILE...
// QUERIES holds one "section<TAB>key" a line (ASCII, \uXXXX for other
// characters). For each FILE, prints its section names, then every answer.
#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

#include "common/text.h"
#include "settings/settings_file.h"

namespace {

std::wstring unescape(const std::string& text) {
    std::wstring out;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\\' && i + 5 < text.size() && text[i + 1] == 'u') {
            out.push_back(static_cast<wchar_t>(std::stoul(text.substr(i + 2, 4), nullptr, 16)));
            i += 5;
        } else {
            out.push_back(static_cast<wchar_t>(static_cast<unsigned char>(text[i])));
        }
    }
    return out;
}

std::string escape(const std::wstring& text) {
    std::string out;
    for (wchar_t c : text) {
        const auto u = static_cast<unsigned long>(c);
        if (u >= 0x20 && u < 0x7F && c != L'\\') {
            out.push_back(static_cast<char>(c));
        } else {
            char buffer[16];
            std::snprintf(buffer, sizeof buffer, "\\u%04lX", u);
            out += buffer;
        }
    }
    return out;
}

}  // namespace

int jlaunchIniQueryMain(int argc, char** argv) {
    if (argc < 3) {
        std::fprintf(stderr, "usage: ini_query QUERIES FILE...\n");
        return 2;
    }
    std::vector<std::pair<std::wstring, std::wstring>> queries;
    std::ifstream in(argv[1], std::ios::binary);
    for (std::string line; std::getline(in, line);) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        const auto tab = line.find('\t');
        if (line.empty() || line[0] == '#' || tab == std::string::npos) continue;
        queries.emplace_back(unescape(line.substr(0, tab)), unescape(line.substr(tab + 1)));
    }
    for (int i = 2; i < argc; ++i) {
        const std::wstring file = jlaunch::toWide(argv[i]);
        std::string name = argv[i];
        name = name.substr(name.find_last_of("/\\") + 1);
        std::printf("== %s\n", name.c_str());
        std::string sections;
        for (const auto& section : jlaunch::readSectionNames(file)) sections += "[" + escape(section) + "]";
        std::printf("sections %s\n", sections.c_str());
        for (const auto& [section, key] : queries) {
            const std::wstring value = jlaunch::readProfileString(file, section, key);
            std::printf("%s|%s=%s\n", escape(section).c_str(), escape(key).c_str(), escape(value).c_str());
        }
    }
    return 0;
}

int main(int argc, char** argv) { return jlaunchIniQueryMain(argc, argv); }
