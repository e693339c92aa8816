#include "uninstall.h"

#include "../resources/text.h"
#include "folder_path.h"
#include "list_line.h"

// A path as the file system compares it: wide and upper case.
struct FoldedPath {
    WCHAR text[MAX_PATH];
    int length;
};

static bool FoldPath(const char* path, FoldedPath* folded)
{
    int count = MultiByteToWideChar(CP_ACP, 0, path, -1, folded->text, MAX_PATH);
    if (count <= 0)
        return false;
    folded->length = count - 1;
    CharUpperBuffW(folded->text, (DWORD)folded->length);
    return true;
}

// Strictly inside: below the folder, never the folder itself.
static bool LiesInside(const char* path, const FoldedPath& folder)
{
    FoldedPath folded;
    if (!FoldPath(path, &folded) || folded.length <= folder.length)
        return false;
    for (int i = 0; i < folder.length; i++)
        if (folded.text[i] != folder.text[i])
            return false;
    return true;
}

// The entry as the file system resolves it ("..", "." and "/" undone), or
// false when that does not lie inside the install folder or does not fit.
static bool ResolveEntry(const char* installFolder, const FoldedPath& folder, const char* entry,
                         char* resolved, DWORD cap)
{
    char joined[MAX_PATH];
    if (!JoinEntryPath(joined, sizeof joined, installFolder, entry))
        return false;
    DWORD length = GetFullPathNameA(joined, cap, resolved, NULL);
    if (length == 0 || length >= cap)
        return false;
    return LiesInside(resolved, folder);
}

static bool RemoveEntry(const char* installFolder, const FoldedPath& folder, const char* entry)
{
    char path[MAX_PATH];
    if (!ResolveEntry(installFolder, folder, entry, path, sizeof path))
        return false;
    DWORD attributes = GetFileAttributesA(path);
    SetFileAttributesA(path, 0);
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY))
        return RemoveDirectoryA(path) != 0;
    return DeleteFileA(path) != 0;
}

// The install folder in the form that resolved entries begin with.
static bool FoldInstallFolder(const char* installFolder, FoldedPath* folder)
{
    char resolved[MAX_PATH];
    DWORD length = GetFullPathNameA(installFolder, sizeof resolved, resolved, NULL);
    if (length == 0 || length >= sizeof resolved)
        return false;
    return AppendBackslash(resolved, sizeof resolved) && FoldPath(resolved, folder);
}

int RemoveListedEntries(FILE* list, const char* installFolder)
{
    FoldedPath folder;
    if (!FoldInstallFolder(installFolder, &folder))
        return 0;
    for (int passes = 1;; passes++) {
        int removed = 0;
        char line[ListLineCapacity];
        while (ReadListEntry(list, line, sizeof line))
            if (RemoveEntry(installFolder, folder, line))
                removed++;
        if (removed == 0 || fseek(list, 0, SEEK_SET) != 0)
            return passes;
    }
}
