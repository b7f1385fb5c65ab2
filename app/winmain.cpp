// Process entry of ovra.exe.
#include <string.h>

#include "app/appstate.h"
#include "app/startup.h"
#include "app/words.h"
#include "app/systemdll.h"

// The command line is split in place, so work on a copy of the system's text. The program's
// own path is no command: a folder such as "Stay On Top" would read as the word On.
static char *CopyCommandLine(void)
{
    const char *line = GetCommandLineA();
    line = SkipProgramPath(line + strspn(line, " \t"));
    size_t size = strlen(line) + 1;
    auto *copy = (char *)HeapAlloc(GetProcessHeap(), 0, size);
    if (copy != nullptr)
        memcpy(copy, line, size);
    return copy;
}

static int RunProgram(HINSTANCE instance, int showCommand, char *commandLine)
{
    int handedOver = ActivateRunningInstance(commandLine);
    if (handedOver != 0)
        return handedOver > 0 ? 0 : kHandOverUnanswered;
    g_hInstance = instance;
    if (InitApplication(showCommand, commandLine) != 0)
        return 1;
    return (int)(unsigned)RunMessageLoop();
}

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int showCommand)
{
    RestrictDllSearch();
    char *commandLine = CopyCommandLine();
    if (commandLine == nullptr)
        return 1;
    int result = RunProgram(instance, showCommand, commandLine);
    HeapFree(GetProcessHeap(), 0, commandLine);
    return result;
}
