// The handheld's launcher: no options, the fixed paths below /mnt/sd/Tarvo/. Start reading at
// Launcher::run() (core/Launcher.h).
#include "core/Launcher.h"
#include "core/LogFile.h"

int main(int argc, char** argv)
{
    // The launcher takes no options and reads no environment.
    (void)argc;
    (void)argv;
    // Nobody sees a terminal on the handheld: what the launcher finds in its files goes to a log
    // on the card, begun afresh at each start. It is never destroyed, as runProcess never returns,
    // so it takes the diagnostics of the very last moments too.
    LogFile log("/mnt/sd/Tarvo/Tarvo.log");
    setDiagnosticSink(&log);
    Launcher::runProcess(LauncherOptions());
    return 0;
}
