#include "options.h"

#include <array>
#include <cctype>
#include <limits>

namespace fake_jvm {

namespace {

// clang-format off
constexpr std::array kExactOptions = {
    "abort", "exit", "vfprintf", "-ea", "-da", "-esa", "-dsa", "-enableassertions", "-disableassertions",
    "-enablesystemassertions", "-disablesystemassertions", "-verbose", "-Xint", "-Xmixed", "-Xcomp", "-Xbatch", "-Xrs",
    "-Xnoclassgc", "-Xdebug", "-Xdiag", "-Xinternalversion", "-Xcheck:jni", "-Xverify", "-Xnoagent", "-Xusealtsigs",
    "-Xlog", "-Xshare:auto", "-Xshare:on", "-Xshare:off", "-Xshare:dump", "--enable-preview", "-Xverify:none",
    "-Xverify:remote", "-Xverify:all"};
// clang-format on

// Options whose value follows the prefix; the value is not checked.
// clang-format off
constexpr std::array kPrefixOptions = {
    "-D", "-verbose:", "-ea:", "-da:", "-enableassertions:", "-disableassertions:", "-agentlib:", "-agentpath:",
    "-javaagent:", "-Xrun", "-Xloggc:", "-Xlog:", "-Xbootclasspath/a:", "--add-modules=", "--add-exports=",
    "--add-opens=", "--add-reads=", "--limit-modules=", "--module-path=", "--upgrade-module-path=", "--patch-module=",
    "--illegal-access=", "--enable-native-access="};
// clang-format on

struct SizeOption {
    const char* prefix;
    const char* what;
};

// Options with a size in bytes, and how a real VM names them when the size is bad.
constexpr std::array kSizeOptions = {
    SizeOption{"-Xmx", "Invalid maximum heap size"}, SizeOption{"-Xms", "Invalid initial heap size"},
    SizeOption{"-Xmn", "Invalid maximum new generation size"}, SizeOption{"-Xss", "Invalid thread stack size"},
    SizeOption{"-Xmaxjitcodesize", "Invalid maximum code cache size"}};

// Digits with an optional k, m, g or t, without overflow.
bool validSize(std::string_view text) {
    if (text.empty()) return false;
    if (std::string("kKmMgGtT").find(text.back()) != std::string::npos) text.remove_suffix(1);
    if (text.empty() || text.size() > 18) return false;
    for (const char c : text) {
        if (!std::isdigit(static_cast<unsigned char>(c))) return false;
    }
    return true;
}

// The flag name of -XX:+Name, -XX:-Name or -XX:Name=value.
std::string_view advancedOptionName(std::string_view rest) {
    if (rest.starts_with("+") || rest.starts_with("-")) return rest.substr(1);
    return rest.substr(0, rest.find('='));
}

// Well formed: a name of letters, digits and "_", and "=" unless "+" or "-" came first.
bool validAdvancedOption(std::string_view rest) {
    const std::string_view name = advancedOptionName(rest);
    if (name.empty() ||
        (!rest.starts_with("+") && !rest.starts_with("-") && rest.find('=') == std::string_view::npos)) {
        return false;
    }
    for (const char c : name) {
        if (!std::isalnum(static_cast<unsigned char>(c)) && c != '_') return false;
    }
    return true;
}

}  // namespace

OptionCheck checkOption(std::string_view option, const Script& script) {
    using Verdict = OptionCheck::Verdict;
    for (const auto& prefix : script.acceptedOptionPrefixes) {
        if (option.starts_with(prefix)) return {};
    }
    for (const char* exact : kExactOptions) {
        if (option == exact) return {};
    }
    for (const char* prefix : kPrefixOptions) {
        if (option.starts_with(prefix)) return {};
    }
    for (const SizeOption& size : kSizeOptions) {
        if (option.starts_with(size.prefix)) {
            if (validSize(option.substr(std::string_view(size.prefix).size()))) return {};
            return {Verdict::Invalid, std::string(size.what) + ": " + std::string(option)};
        }
    }
    // HotSpot cannot know them all here either: every well-formed -XX flag passes.
    if (option.starts_with("-XX:")) {
        if (validAdvancedOption(option.substr(4))) return {};
        return {Verdict::Invalid, "Unrecognized VM option '" + std::string(advancedOptionName(option.substr(4))) + "'"};
    }
    if (option.starts_with("-Xverify:")) {
        return {Verdict::Invalid, "Unrecognized verification option: " + std::string(option)};
    }
    if (option.starts_with("-Xcheck:")) {
        return {Verdict::Invalid, "Unrecognized check option: " + std::string(option)};
    }
    return {Verdict::Unknown, {}};
}

}  // namespace fake_jvm
