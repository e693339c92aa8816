#include "text.h"

bool AppendBackslash(char* path, size_t cap)
{
    size_t n = 0;
    while (n < cap && path[n])
        n++;
    if (n == cap)
        return false;
    if (n > 0 && path[n - 1] == '\\')
        return true;
    if (n + 1 >= cap)
        return false;
    path[n] = '\\';
    path[n + 1] = 0;
    return true;
}

const char* FileNamePart(const char* path)
{
    const char* name = path;
    for (const char* p = path; *p; p++)
        if (*p == '\\' || *p == '/' || *p == ':')
            name = p + 1;
    return name;
}

char* FileNamePart(char* path)
{
    return path + (FileNamePart((const char*)path) - path);
}
