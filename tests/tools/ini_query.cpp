// Answers INI queries with the launcher's own profile reader: on Windows the
// system's profile functions, on Linux the launcher's reader. Both builds
// print the same ASCII text for the same corpus, so the answers can be diffed.
//
// Usage: ini_query QUERIES FILE...
//        ini_query --set EDITS FILE...
// QUERIES holds one "section<TAB>key" a line (ASCII, \uXXXX for other
// characters). For each FILE, prints its section names, each section's key
// names, then every answer.
// With --set, EDITS holds "section<TAB>key<TAB>value" lines, written in turn
// into every FILE with the launcher's own profile writer.
// FILE must be a full path: Windows looks for a bare name in its own folder.
#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

#include "common/text.h"
#include "settings/settings_file.h"

#ifdef _WIN32
#include <fcntl.h>
#include <io.h>
#endif

namespace {

// Text is compared as UTF-16 units, the Windows form: where wchar_t is 32-bit,
// a surrogate pair read from the queries becomes the one character it stands
// for, and characters past U+FFFF print as their pair.
std::wstring unescape(const std::string& text) {
    std::wstring out;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\\' && i + 5 < text.size() && text[i + 1] == 'u') {
            auto unit = static_cast<wchar_t>(std::stoul(text.substr(i + 2, 4), nullptr, 16));
            i += 5;
            if constexpr (sizeof(wchar_t) == 4) {
                if (unit >= 0xDC00 && unit <= 0xDFFF && !out.empty() && out.back() >= 0xD800 && out.back() <= 0xDBFF) {
                    unit = static_cast<wchar_t>(0x10000 + ((out.back() - 0xD800) << 10) + (unit - 0xDC00));
                    out.pop_back();
                }
            }
            out.push_back(unit);
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
        } else if (u > 0xFFFF) {
            char buffer[40];
            std::snprintf(buffer, sizeof buffer, "\\u%04lX\\u%04lX", 0xD800 + ((u - 0x10000) >> 10),
                          0xDC00 + ((u - 0x10000) & 0x3FF));
            out += buffer;
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
#ifdef _WIN32
    // The same bytes as on Linux: no CR before each LF.
    _setmode(_fileno(stdout), _O_BINARY);
#endif
    const bool set = argc > 1 && std::string(argv[1]) == "--set";
    const int first = set ? 2 : 1;
    if (argc < first + 2) {
        std::fprintf(stderr, "usage: ini_query QUERIES FILE...\n       ini_query --set EDITS FILE...\n");
        return 2;
    }
    std::ifstream in(argv[first], std::ios::binary);
    if (!in) {
        std::fprintf(stderr, "ini_query: cannot read %s\n", argv[first]);
        return 2;
    }
    // Each line split at its tabs, the last field keeping any further tabs.
    std::vector<std::vector<std::wstring>> lines;
    const std::size_t fields = set ? 3 : 2;
    for (std::string line; std::getline(in, line);) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (line.empty() || line[0] == '#') continue;
        std::vector<std::wstring> parts;
        std::size_t start = 0;
        for (std::size_t tab; parts.size() + 1 < fields && (tab = line.find('\t', start)) != std::string::npos;) {
            parts.push_back(unescape(line.substr(start, tab - start)));
            start = tab + 1;
        }
        if (parts.size() + 1 != fields) continue;
        parts.push_back(unescape(line.substr(start)));
        lines.push_back(std::move(parts));
    }
    if (set) {
        for (int i = first + 1; i < argc; ++i) {
            for (const auto& edit : lines)
                jlaunch::writeProfileString(jlaunch::toWide(argv[i]), edit[0], edit[1], edit[2]);
        }
        return 0;
    }
    std::vector<std::pair<std::wstring, std::wstring>> queries;
    for (auto& parts : lines) queries.emplace_back(std::move(parts[0]), std::move(parts[1]));
    for (int i = first + 1; i < argc; ++i) {
        const std::wstring file = jlaunch::toWide(argv[i]);
        std::string name = argv[i];
        name = name.substr(name.find_last_of("/\\") + 1);
        std::printf("== %s\n", name.c_str());
        std::string sections;
        for (const auto& section : jlaunch::ProfileFile(file).sectionNames()) sections += "[" + escape(section) + "]";
        std::printf("sections %s\n", sections.c_str());
        // The keys of each section, as the names diagnostics list them.
        const jlaunch::ProfileFile profile(file);
        for (const auto& section : profile.sectionNames()) {
            std::string keys;
            for (const auto& key : profile.keyNames(section)) keys += "[" + escape(key) + "]";
            std::printf("keys of [%s] %s\n", escape(section).c_str(), keys.c_str());
        }
        for (const auto& [section, key] : queries) {
            const std::wstring value = jlaunch::readProfileString(file, section, key);
            std::printf("%s|%s=%s\n", escape(section).c_str(), escape(key).c_str(), escape(value).c_str());
        }
    }
    return 0;
}

int main(int argc, char** argv) {
    return jlaunchIniQueryMain(argc, argv);
}
