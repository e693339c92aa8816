#include "setup.h"

#include "../resources/path_forms.h"
#include "../resources/text.h"

bool GetInstallFolder(char* path, size_t cap)
{
    if (CurrentFolderPath(path, cap))
        return true;
    if (cap)
        path[0] = 0;
    return false;
}

bool InstallFilePath(char* path, size_t cap, const char* name)
{
    return GetInstallFolder(path, cap) && AppendBackslash(path, cap) &&
           TextAppend(path, cap, name);
}
