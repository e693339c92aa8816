#include "path_forms.h"

#include <shlobj.h>

#include "process.h"
#include "text.h"

// Room for a path of MAX_PATH characters, each of two bytes, in a double-byte code page.
const int WidePathCapacity = MAX_PATH;

static bool SameWide(const WCHAR* a, const WCHAR* b)
{
    for (; *a && *a == *b; a++, b++) {
    }
    return *a == *b;
}

// Converted and back again unchanged: no letter was replaced by a look-alike
// or by the default character.
static bool ExactIn(UINT codePage, const WCHAR* path, char* out, size_t cap)
{
    if (cap == 0)
        return false;
    int length = WideCharToMultiByte(codePage, 0, path, -1, out, (int)cap, NULL, NULL);
    WCHAR back[WidePathCapacity];
    if (length <= 0 ||
        MultiByteToWideChar(codePage, 0, out, -1, back, WidePathCapacity) <= 0 ||
        !SameWide(path, back)) {
        out[0] = 0;
        return false;
    }
    return true;
}

static bool InCodePage(UINT codePage, const WCHAR* path, char* out, size_t cap)
{
    if (ExactIn(codePage, path, out, cap))
        return true;
    WCHAR shortPath[WidePathCapacity];
    DWORD length = GetShortPathNameW(path, shortPath, WidePathCapacity);
    return length > 0 && length < (DWORD)WidePathCapacity &&
           ExactIn(codePage, shortPath, out, cap);
}

bool AnsiPathOf(const WCHAR* path, char* out, size_t cap)
{
    return InCodePage(CP_ACP, path, out, cap);
}

bool OemPathOf(const char* path, char* out, size_t cap)
{
    WCHAR wide[WidePathCapacity];
    if (MultiByteToWideChar(CP_ACP, MB_ERR_INVALID_CHARS, path, -1, wide, WidePathCapacity) <= 0) {
        if (cap)
            out[0] = 0;
        return false;
    }
    return InCodePage(CP_OEMCP, wide, out, cap);
}

static bool HoldsPercent(const char* path)
{
    for (; *path; path++)
        if (*path == '%')
            return true;
    return false;
}

bool CommandLinePathOf(const char* path, char* out, size_t cap)
{
    if (!HoldsPercent(path))
        return TextCopy(out, cap, path);
    WCHAR wide[WidePathCapacity];
    WCHAR shortPath[WidePathCapacity];
    if (MultiByteToWideChar(CP_ACP, MB_ERR_INVALID_CHARS, path, -1, wide, WidePathCapacity) <= 0)
        return false;
    DWORD length = GetShortPathNameW(wide, shortPath, WidePathCapacity);
    return length > 0 && length < (DWORD)WidePathCapacity &&
           ExactIn(CP_ACP, shortPath, out, cap) && !HoldsPercent(out);
}

// The Windows 95 family keeps names in the ANSI code page and has no wide calls.
static bool AnsiNative()
{
    return PlatformId == PlatformWindows95;
}

static bool Fits(DWORD length, size_t cap)
{
    return length > 0 && length < cap;
}

bool OwnExecutablePath(char* out, size_t cap)
{
    if (AnsiNative())
        return Fits(GetModuleFileNameA(NULL, out, (DWORD)cap), cap);
    WCHAR wide[WidePathCapacity];
    return Fits(GetModuleFileNameW(NULL, wide, WidePathCapacity), WidePathCapacity) &&
           AnsiPathOf(wide, out, cap);
}

bool CurrentFolderPath(char* out, size_t cap)
{
    if (AnsiNative())
        return Fits(GetCurrentDirectoryA((DWORD)cap, out), cap);
    WCHAR wide[WidePathCapacity];
    return Fits(GetCurrentDirectoryW(WidePathCapacity, wide), WidePathCapacity) &&
           AnsiPathOf(wide, out, cap);
}

bool TempFolderPath(char* out, size_t cap)
{
    bool found;
    if (AnsiNative()) {
        found = Fits(GetTempPathA((DWORD)cap, out), cap);
    } else {
        WCHAR wide[WidePathCapacity];
        found = Fits(GetTempPathW(WidePathCapacity, wide), WidePathCapacity) &&
                AnsiPathOf(wide, out, cap);
    }
    return found && AppendBackslash(out, cap);
}

bool ItemIdListPath(LPCITEMIDLIST items, char* out, size_t cap)
{
    if (cap < MAX_PATH)
        return false;
    out[0] = 0;
    if (AnsiNative())
        return SHGetPathFromIDListA(items, out) && out[0];
    WCHAR wide[MAX_PATH];
    wide[0] = 0;
    return SHGetPathFromIDListW(items, wide) && wide[0] && AnsiPathOf(wide, out, cap);
}

void ShownExecutableFolder(char* out, size_t cap)
{
    if (cap == 0)
        return;
    DWORD length = GetModuleFileNameA(NULL, out, (DWORD)cap);
    out[length < cap ? length : cap - 1] = 0;
    char* name = FileNamePart(out);
    if (name > out)
        name[-1] = 0;
}

bool SystemFilePath(char* out, size_t cap, const char* name)
{
    if (cap == 0)
        return false;
    UINT length = GetSystemDirectoryA(out, (UINT)cap);
    if (length == 0 || length >= cap || !AppendBackslash(out, cap) || !TextAppend(out, cap, name)) {
        out[0] = 0;
        return false;
    }
    return true;
}

HMODULE LoadSystemLibrary(const char* name)
{
    char path[MAX_PATH];
    return SystemFilePath(path, sizeof path, name) ? LoadLibraryA(path) : NULL;
}
