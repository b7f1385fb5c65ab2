// Process entry of ovra.exe.
#include <string.h>

#include <vector>

#include "app/appstate.h"
#include "app/startup.h"
#include "app/words.h"

// The command line is split in place, so work on a copy of the system's text. The program's
// own path is no command: a folder such as "Stay On Top" would read as the word On.
static std::vector<char> CopyCommandLine(void)
{
    const char *line = GetCommandLineA();
    line = SkipProgramPath(line + strspn(line, " \t"));
    return std::vector<char>(line, line + strlen(line) + 1);
}

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int showCommand)
{
    std::vector<char> commandLine = CopyCommandLine();
    if (ActivateRunningInstance(commandLine.data()) == 1)
        return 0;
    g_hInstance = instance;
    if (InitApplication(showCommand, commandLine.data()) != 0)
        return 1;
    return (int)(unsigned)RunMessageLoop();
}
