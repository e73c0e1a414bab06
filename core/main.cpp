// The handheld's launcher: no options, the fixed paths below /mnt/sd/Tarvo/. Start reading at
// Launcher::run() (core/Launcher.h).
#include "core/Launcher.h"

int main(int argc, char** argv)
{
    // The launcher takes no options and reads no environment.
    (void)argc;
    (void)argv;
    Launcher::runProcess(LauncherOptions());
    return 0;
}
