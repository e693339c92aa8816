#include "setup.h"

#include "../resources/text.h"

int RunCommand(const char* commandLine)
{
    // CreateProcessA may write into the command line it is given.
    char line[512];
    if (!TextCopy(line, sizeof line, commandLine))
        return 0;
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process = {};
    if (!CreateProcessA(NULL, line, NULL, NULL, FALSE, 0, NULL, NULL, &startup, &process))
        return 0;
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return 1;
}
