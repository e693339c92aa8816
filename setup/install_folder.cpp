#include "setup.h"

#include "../resources/text.h"

bool GetInstallFolder(char* path, size_t cap)
{
    DWORD length = GetCurrentDirectoryA((DWORD)cap, path);
    if (length == 0 || length >= cap) {
        path[0] = 0;
        return false;
    }
    return true;
}

bool InstallFilePath(char* path, size_t cap, const char* name)
{
    return GetInstallFolder(path, cap) && AppendBackslash(path, cap) &&
           TextAppend(path, cap, name);
}
