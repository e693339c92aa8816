#include "folder_path.h"

#include "../resources/text.h"

bool InstallFolderOf(const char* executablePath, char* folder, size_t cap)
{
    const char* lastBackslash = NULL;
    for (const char* p = executablePath; *p; p = NextChar(p))
        if (*p == '\\')
            lastBackslash = p;
    if (!lastBackslash)
        return false;
    size_t length = (size_t)(lastBackslash - executablePath);
    if (length > 0 && lastBackslash[-1] == ':')
        length++;               // a drive root keeps its backslash
    if (length >= cap)
        return false;
    for (size_t i = 0; i < length; i++)
        folder[i] = executablePath[i];
    folder[length] = 0;
    return true;
}

bool JoinEntryPath(char* path, size_t cap, const char* folder, const char* entry)
{
    return TextFormat(path, cap, "%s%s", folder, entry);
}
