#include "uninstall.h"

#include "../resources/list_line.h"
#include "../resources/text.h"
#include "folder_path.h"

// A path as the file system compares it: wide and upper case. Room for a
// path that the system gives with its long names and a "\\?\" prefix.
struct FoldedPath {
    WCHAR text[2 * MAX_PATH];
    int length;
};

static void Fold(FoldedPath* folded, int length)
{
    folded->length = length;
    CharUpperBuffW(folded->text, (DWORD)length);
}

static bool FoldPath(const char* path, FoldedPath* folded)
{
    int count = MultiByteToWideChar(CP_ACP, 0, path, -1, folded->text, 2 * MAX_PATH);
    if (count <= 0)
        return false;
    Fold(folded, count - 1);
    return true;
}

// Strictly inside: below the folder (which ends in a backslash), never the folder itself.
static bool LiesInside(const FoldedPath& path, const FoldedPath& folder)
{
    if (path.length <= folder.length)
        return false;
    for (int i = 0; i < folder.length; i++)
        if (path.text[i] != folder.text[i])
            return false;
    return true;
}

typedef DWORD(WINAPI* FinalPathFunction)(HANDLE, LPWSTR, DWORD, DWORD);

// Where a path leads once every link on the way is followed. False when
// the system cannot tell.
static bool FoldFinalPath(FinalPathFunction finalPath, const char* path, FoldedPath* folded)
{
    HANDLE file = CreateFileA(path, 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                              NULL, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, NULL);
    if (file == INVALID_HANDLE_VALUE)
        return false;
    DWORD length = finalPath(file, folded->text, 2 * MAX_PATH, 0);
    CloseHandle(file);
    if (length == 0 || length >= 2 * MAX_PATH)
        return false;
    Fold(folded, (int)length);
    return true;
}

// The install folder as entries are compared with it: as written, and
// where the system can tell, where it leads.
struct InstallPlace {
    char written[MAX_PATH];         // resolved text, ending in a backslash
    FoldedPath foldedWritten;
    FinalPathFunction finalPath;    // NULL: links are looked for on the way
    FoldedPath foldedFinal;
};

static bool FindInstallPlace(const char* installFolder, InstallPlace* place)
{
    DWORD length = GetFullPathNameA(installFolder, sizeof place->written, place->written, NULL);
    if (length == 0 || length >= sizeof place->written ||
        !AppendBackslash(place->written, sizeof place->written) ||
        !FoldPath(place->written, &place->foldedWritten))
        return false;
    // Looked up here: older systems lack it.
    place->finalPath = (FinalPathFunction)(void*)GetProcAddress(
        GetModuleHandleA("kernel32.dll"), "GetFinalPathNameByHandleW");
    FoldedPath& folder = place->foldedFinal;
    if (!place->finalPath || !FoldFinalPath(place->finalPath, place->written, &folder)) {
        place->finalPath = NULL;
        return true;
    }
    if (folder.text[folder.length - 1] != L'\\') {
        // Without its closing backslash, a folder named like it and longer would pass.
        if (folder.length + 1 >= 2 * MAX_PATH) {
            place->finalPath = NULL;
            return true;
        }
        folder.text[folder.length++] = L'\\';
    }
    folder.text[folder.length] = 0;
    return true;
}

bool LinkOnTheWay(const char* installFolder, const char* path)
{
    size_t start = 0;
    while (installFolder[start])
        start++;
    char step[MAX_PATH];
    for (const char* p = path + start;; p = NextChar(p)) {
        if (*p && *p != '\\')
            continue;
        size_t length = (size_t)(p - path);
        if (length >= sizeof step)
            return true;
        for (size_t i = 0; i < length; i++)
            step[i] = path[i];
        step[length] = 0;
        DWORD attributes = GetFileAttributesA(step);
        if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_REPARSE_POINT))
            return true;
        if (!*p)
            return false;
    }
}

// The entry as the file system resolves it ("..", "." and "/" undone), or
// false when that does not lie inside the install folder or does not fit.
static bool ResolveEntry(const char* installFolder, const InstallPlace& place, const char* entry,
                         char* resolved, DWORD cap)
{
    char joined[MAX_PATH];
    if (!JoinEntryPath(joined, sizeof joined, installFolder, entry))
        return false;
    DWORD length = GetFullPathNameA(joined, cap, resolved, NULL);
    FoldedPath folded;
    return length > 0 && length < cap && FoldPath(resolved, &folded) &&
           LiesInside(folded, place.foldedWritten);
}

// A link below the install folder may lead anywhere: nothing is removed or
// changed through one, and one that is listed itself stays.
static bool ReachedThroughLink(const InstallPlace& place, const char* path, DWORD attributes)
{
    if (attributes & FILE_ATTRIBUTE_REPARSE_POINT)
        return true;
    if (!place.finalPath)
        return LinkOnTheWay(place.written, path);
    FoldedPath final;
    return !FoldFinalPath(place.finalPath, path, &final) || !LiesInside(final, place.foldedFinal);
}

enum EntryResult { EntryRemoved, EntryStanding, EntryGone };

static EntryResult RemoveEntry(const char* installFolder, const InstallPlace& place,
                               const char* entry)
{
    char path[MAX_PATH];
    if (!ResolveEntry(installFolder, place, entry, path, sizeof path))
        return EntryGone;       // refused: no pass will ever remove it
    DWORD attributes = GetFileAttributesA(path);
    if (attributes == INVALID_FILE_ATTRIBUTES) {
        DWORD error = GetLastError();
        if (error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND)
            return EntryGone;
        attributes = 0;         // unknown: tried as a file
    }
    if (ReachedThroughLink(place, path, attributes))
        return EntryGone;
    if (attributes & (FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM))
        SetFileAttributesA(path, 0);
    bool removed = (attributes & FILE_ATTRIBUTE_DIRECTORY) ? RemoveDirectoryA(path) != 0
                                                           : DeleteFileA(path) != 0;
    return removed ? EntryRemoved : EntryStanding;
}

void RemoveInstalledEntry(const char* installFolder, const char* entry)
{
    InstallPlace place;
    if (FindInstallPlace(installFolder, &place))
        RemoveEntry(installFolder, place, entry);
}

int RemoveListedEntries(ListSource* list, const char* installFolder)
{
    InstallPlace place;
    if (!FindInstallPlace(installFolder, &place))
        return 0;
    for (int passes = 1;; passes++) {
        int removed = 0;
        int standing = 0;
        char line[ListLineCapacity];
        while (ReadListEntry(list, line, sizeof line)) {
            EntryResult result = RemoveEntry(installFolder, place, line);
            removed += result == EntryRemoved;
            standing += result == EntryStanding;
        }
        // With nothing listed left standing, another pass could remove nothing.
        if (removed == 0 || standing == 0 || !RewindList(list))
            return passes;
    }
}
