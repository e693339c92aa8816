#include "uninstall.h"

#include <shlobj.h>

#include "../resources/footprint.h"
#include "../resources/process.h"
#include "../resources/path_forms.h"
#include "../resources/text.h"

// The path of a special folder followed by name; false when the folder cannot
// be found or the whole path, with room for a second terminating zero, does
// not fit.
static bool ItemPath(IMalloc* allocator, int folder, const char* name, char* path, size_t cap)
{
    LPITEMIDLIST items = NULL;
    if (SHGetSpecialFolderLocation(NULL, folder, &items) != NOERROR || !items)
        return false;
    bool found = ItemIdListPath(items, path, cap);
    allocator->Free(items);
    if (!found)
        return false;
    return AppendBackslash(path, cap - 1) && TextAppend(path, cap - 1, name);
}

static void RemoveShortcut(IMalloc* allocator, int folder)
{
    char path[MAX_PATH];
    if (ItemPath(allocator, folder, "Lumbex.lnk", path, sizeof path))
    {
        DeleteFileA(path);
        Changed();
    }
}

static void RemoveProgramGroup(IMalloc* allocator, int folder)
{
    char path[MAX_PATH];
    if (!ItemPath(allocator, folder, "Lumbex", path, sizeof path))
        return;
    // The shell reports a missing source in a message box of its own.
    if (GetFileAttributesA(path) == INVALID_FILE_ATTRIBUTES)
        return;
    path[TextLength(path) + 1] = 0;     // the shell takes a list ended by two zeros
    SHFILEOPSTRUCTA operation = {};
    operation.wFunc = FO_DELETE;
    operation.pFrom = path;
    // A group that cannot go (no rights, a file in use) is not reported.
    operation.fFlags = FOF_SILENT | FOF_NOCONFIRMATION | FOF_NOERRORUI;
    SHFileOperationA(&operation);
    Changed();
}

void RemoveLinks()
{
    IMalloc* allocator = NULL;
    if (FAILED(SHGetMalloc(&allocator)) || !allocator)
        return;
    RemoveShortcut(allocator, CSIDL_DESKTOPDIRECTORY);
    RemoveShortcut(allocator, CSIDL_STARTMENU);
    RemoveProgramGroup(allocator, CSIDL_PROGRAMS);
    if (PlatformId == PlatformNt && !UserClasses)
        RemoveProgramGroup(allocator, CSIDL_COMMON_PROGRAMS);
}
