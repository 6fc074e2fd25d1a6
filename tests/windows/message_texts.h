#pragma once
// The message table's texts of one language, from the same source the
// launcher's resources are compiled from; English for any other language.
#include <windows.h>

#include <map>
#include <string>

namespace jlaunch::test {

inline std::map<unsigned, std::wstring> messageTexts(LANGID language) {
    std::map<unsigned, std::wstring> texts;
#define MESSAGE(id, name, text) texts[id] = L"" text;
    switch (language) {
        case 1031:
#include "strings/messages_1031.inc"
            break;
        case 1036:
#include "strings/messages_1036.inc"
            break;
        case 1038:
#include "strings/messages_1038.inc"
            break;
        case 1040:
#include "strings/messages_1040.inc"
            break;
        case 2070:
#include "strings/messages_2070.inc"
            break;
        case 3082:
#include "strings/messages_3082.inc"
            break;
        default:
#include "strings/messages_1033.inc"
            break;
    }
#undef MESSAGE
    return texts;
}

}  // namespace jlaunch::test
