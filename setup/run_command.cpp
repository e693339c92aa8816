#include "setup.h"

#include "../resources/text.h"

bool RunCommand(const char* commandLine, const char* directory)
{
    // CreateProcessA may write into the command line it is given.
    char line[512];
    if (!TextCopy(line, sizeof line, commandLine))
        return false;
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process = {};
    if (!CreateProcessA(NULL, line, NULL, NULL, FALSE, 0, NULL, directory, &startup, &process))
        return false;
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return true;
}

bool ViewerFolder(char* path, size_t cap)
{
    UINT length = GetSystemDirectoryA(path, (UINT)cap);
    if (length > 0 && length < cap)
        return true;
    if (cap)
        path[0] = 0;
    return false;
}

void ShowHelp(HWND dialog, UINT command, ULONG_PTR data)
{
    char help[MAX_PATH];
    char install[MAX_PATH];
    char viewer[MAX_PATH];
    // The way back with its closing backslash: "...\Lumbex " without it
    // would be the neighbour "...\Lumbex".
    if (!InstallFilePath(help, sizeof help, "lumbex.hlp") ||
        !GetInstallFolder(install, sizeof install) || !AppendBackslash(install, sizeof install))
        return;
    // The help engine runs as a process of its own and inherits the current
    // directory; setup's own paths are read from it, so it comes back at once.
    bool moved = ViewerFolder(viewer, sizeof viewer) && SetCurrentDirectoryA(viewer);
    WinHelpA(dialog, help, command, data);
    if (moved)
        SetCurrentDirectoryA(install);
}
