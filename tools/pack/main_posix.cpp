#include <cstdio>

#include "common/text.h"
#include "packer.h"

int main(int argc, char** argv) {
    std::vector<std::wstring> arguments;
    for (int i = 1; i < argc; ++i) {
        arguments.push_back(jlaunch::toWide(argv[i]));
    }
    std::string out;
    std::string errors;
    const int code = jlaunch::pack::runPack(arguments, out, errors);
    std::fputs(out.c_str(), stdout);
    std::fputs(errors.c_str(), stderr);
    return code;
}
