#pragma once
// A program and its arguments as the narrow argv that exec and spawn take.
#include <string>
#include <vector>

#include "common/text.h"

namespace jlaunch {

class NarrowArgv {
public:
    NarrowArgv(const std::wstring& program, const std::vector<std::wstring>& arguments) {
        strings_.reserve(arguments.size() + 1);
        strings_.push_back(toNarrow(program));
        for (const std::wstring& argument : arguments) {
            strings_.push_back(toNarrow(argument));
        }
        pointers_.reserve(strings_.size() + 1);
        for (std::string& text : strings_) {
            pointers_.push_back(text.data());
        }
        pointers_.push_back(nullptr);
    }
    // The pointers refer into this object's own strings.
    NarrowArgv(const NarrowArgv&) = delete;
    NarrowArgv& operator=(const NarrowArgv&) = delete;

    const char* program() const { return strings_.front().c_str(); }
    char* const* argv() { return pointers_.data(); }

private:
    std::vector<std::string> strings_;
    std::vector<char*> pointers_;
};

}  // namespace jlaunch
