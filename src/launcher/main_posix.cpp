#include "launcher/launcher.h"
#include "settings/command_line_posix.h"

int main(int argc, char** argv) {
    jlaunch::setProcessArguments(argc, argv);
    return jlaunch::runLauncher();
}
