#include "text.h"

static bool LeadBytes[256];

void SetLeadByteRanges(const unsigned char* ranges)
{
    for (bool& lead : LeadBytes)
        lead = false;
    for (; ranges[0] && ranges[1]; ranges += 2)
        for (unsigned c = ranges[0]; c <= ranges[1]; c++)
            LeadBytes[c] = true;
}

bool IsLeadByte(unsigned char c)
{
    return LeadBytes[c];
}

const char* NextChar(const char* p)
{
    if (!*p)
        return p;
    if (IsLeadByte((unsigned char)*p) && p[1])
        return p + 2;
    return p + 1;
}

char* NextChar(char* p)
{
    return p + (NextChar((const char*)p) - p);
}

bool AppendBackslash(char* path, size_t cap)
{
    size_t n = 0;
    while (n < cap && path[n])
        n++;
    if (n == cap)
        return false;
    const char* last = 0;
    for (const char* p = path; *p; p = NextChar(p))
        last = p;
    if (last && *last == '\\')
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
    for (const char* p = path; *p; p = NextChar(p))
        if (*p == '\\' || *p == '/' || *p == ':')
            name = p + 1;
    return name;
}

char* FileNamePart(char* path)
{
    return path + (FileNamePart((const char*)path) - path);
}
