// Process entry of ovra.exe.
#include <string.h>

#include <vector>

#include "app/appstate.h"
#include "app/startup.h"
#include "app/systemdll.h"

// The command line is split in place, so work on a copy of the system's text.
static std::vector<char> CopyCommandLine(void)
{
    const char *line = GetCommandLineA();
    line += strspn(line, " \t");
    return std::vector<char>(line, line + strlen(line) + 1);
}

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int showCommand)
{
    RestrictDllSearch();
    std::vector<char> commandLine = CopyCommandLine();
    if (ActivateRunningInstance(commandLine.data()) == 1)
        return 0;
    g_hInstance = instance;
    if (InitApplication(showCommand, commandLine.data()) != 0)
        return 1;
    return (int)(unsigned)RunMessageLoop();
}
