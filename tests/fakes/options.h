#pragma once
// Which VM option strings the fake VM knows, as a real HotSpot VM would:
// unknown ones make JNI_CreateJavaVM fail when ignoreUnrecognized is false.
#include <string>
#include <string_view>

#include "script.h"

namespace fake_jvm {

struct OptionCheck {
    enum class Verdict { Known, Unknown, Invalid };
    Verdict verdict = Verdict::Known;
    std::string message;  // Invalid: what a real VM prints
};

OptionCheck checkOption(std::string_view option, const Script& script);

}  // namespace fake_jvm
