#include "common/console_mode.h"

namespace jlaunch {

namespace {

// Written once by the entry point before any other thread exists.
bool console = false;

}  // namespace

void setConsoleMode(bool value) {
    console = value;
}

bool consoleMode() {
    return console;
}

}  // namespace jlaunch
