#include <windows.h>

#include <cstdio>

#include "packer.h"

int wmain(int argc, wchar_t** argv) {
    std::vector<std::wstring> arguments;
    for (int i = 1; i < argc; ++i) {
        arguments.emplace_back(argv[i]);
    }
    std::string out;
    std::string errors;
    const int code = jlaunch::pack::runPack(arguments, out, errors);
    std::fputs(out.c_str(), stdout);
    std::fputs(errors.c_str(), stderr);
    return code;
}
