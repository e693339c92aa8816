#include "uninstall.h"

#include "../resources/list_line.h"
#include "../resources/process.h"
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
typedef BOOL(WINAPI* FileInfoFunction)(HANDLE, FILE_INFO_BY_HANDLE_CLASS, LPVOID, DWORD);

// What it takes to check an entry and delete it through one handle; looked
// up at run time, for the 95 family and systems before Vista lack them.
struct HandleCalls {
    FinalPathFunction finalPath;
    FileInfoFunction getInfo;
    FileInfoFunction setInfo;
};

static bool FindHandleCalls(HandleCalls* calls)
{
    if (PlatformId == PlatformWindows95)
        return false;
    HMODULE kernel = GetModuleHandleA("kernel32.dll");
    calls->finalPath =
        (FinalPathFunction)(void*)GetProcAddress(kernel, "GetFinalPathNameByHandleW");
    calls->getInfo =
        (FileInfoFunction)(void*)GetProcAddress(kernel, "GetFileInformationByHandleEx");
    calls->setInfo =
        (FileInfoFunction)(void*)GetProcAddress(kernel, "SetFileInformationByHandle");
    return calls->finalPath && calls->getInfo && calls->setInfo;
}

// Where an open file or folder lies once every link on the way is followed.
static bool FoldFinalPath(const HandleCalls& calls, HANDLE file, FoldedPath* folded)
{
    DWORD length = calls.finalPath(file, folded->text, 2 * MAX_PATH, 0);
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
    bool byHandle;                  // false: links are looked for on the way
    HandleCalls calls;
    FoldedPath foldedFinal;         // ending in a backslash
};

static bool FindFinalPlace(InstallPlace* place)
{
    if (!FindHandleCalls(&place->calls))
        return false;
    // Named with its closing backslash: without it, a trailing blank or dot
    // of its name would be dropped and name another folder.
    HANDLE folder = CreateFileA(place->written, 0,
                                FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, NULL,
                                OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, NULL);
    if (folder == INVALID_HANDLE_VALUE)
        return false;
    FoldedPath& final = place->foldedFinal;
    bool found = FoldFinalPath(place->calls, folder, &final);
    CloseHandle(folder);
    if (!found)
        return false;
    if (final.text[final.length - 1] != L'\\') {
        // Without its closing backslash, a folder named like it and longer would pass.
        if (final.length + 1 >= 2 * MAX_PATH)
            return false;
        final.text[final.length++] = L'\\';
    }
    final.text[final.length] = 0;
    return true;
}

static bool FindInstallPlace(const char* installFolder, InstallPlace* place)
{
    DWORD length = GetFullPathNameA(installFolder, sizeof place->written, place->written, NULL);
    if (length == 0 || length >= sizeof place->written ||
        !AppendBackslash(place->written, sizeof place->written) ||
        !FoldPath(place->written, &place->foldedWritten))
        return false;
    place->byHandle = FindFinalPlace(place);
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
        // A folder whose name ends in a blank or dot keeps its closing
        // backslash, or the system would drop them and look at another one.
        // Others go without: some systems go through a link so named.
        if (*p && (p[-1] == ' ' || p[-1] == '.'))
            length++;
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

bool IsLinkKind(DWORD attributes, DWORD reparseTag)
{
    return (attributes & FILE_ATTRIBUTE_REPARSE_POINT) && IsReparseTagNameSurrogate(reparseTag);
}

enum EntryResult { EntryRemoved, EntryStanding, EntryGone };

// Set while VisitStandingEntries runs: what passes the checks is handed to
// it instead of deleted.
static StandingVisitor Visitor;
static void* VisitorContext;
// Set while MoveStandingFiles runs: each file that passes the checks is
// moved into this folder under the next number instead.
static const char* AsideFolder;
static int MovedFiles;

static EntryResult Visit(const char* path, DWORD attributes)
{
    Visitor(VisitorContext, path, (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0);
    return EntryStanding;
}

// A program's image may be renamed, though not deleted, while it runs.
static EntryResult MoveAside(const HandleCalls& calls, HANDLE entry, DWORD attributes,
                             const char* path)
{
    if ((attributes & FILE_ATTRIBUTE_DIRECTORY) || IsOwnFile(path))
        return EntryStanding;
    struct {
        FILE_RENAME_INFO info;
        WCHAR more[MAX_PATH + 16];
    } rename = {};
    char target[MAX_PATH + 16];
    int length = TextFormat(target, sizeof target, "\\??\\%s\\%d", AsideFolder, MovedFiles + 1)
                     ? MultiByteToWideChar(CP_ACP, 0, target, -1, rename.info.FileName,
                                           MAX_PATH + 16)
                     : 0;
    rename.info.FileNameLength = (DWORD)(length - 1) * sizeof(WCHAR);
    bool moved = length > 0 && calls.setInfo(entry, FileRenameInfo, &rename, sizeof rename);
    Changed();
    MovedFiles += moved;
    return moved ? EntryRemoved : EntryStanding;
}

// A link below the install folder may lead anywhere: nothing is removed or
// changed through one, and one that is listed itself stays. Only what the
// handle holds is checked, changed and deleted, whatever becomes of its
// path meanwhile. attributes are those its name showed, or
// INVALID_FILE_ATTRIBUTES.
static EntryResult RemoveThroughHandle(const InstallPlace& place, HANDLE entry, DWORD attributes,
                                       const char* path)
{
    const HandleCalls& calls = place.calls;
    // Asked of the handle only where the name showed a reparse point (asking
    // costs a good part of a deletion). A link swapped in meanwhile still
    // lies inside, as checked below, and goes itself, never what it leads to.
    if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_REPARSE_POINT)) {
        FILE_ATTRIBUTE_TAG_INFO kind;
        if (!calls.getInfo(entry, FileAttributeTagInfo, &kind, sizeof kind) ||
            IsLinkKind(kind.FileAttributes, kind.ReparseTag))
            return EntryGone;
        attributes = kind.FileAttributes;
    }
    FoldedPath final;
    if (!FoldFinalPath(calls, entry, &final) || !LiesInside(final, place.foldedFinal))
        return EntryGone;
    if (Visitor)
        return Visit(path, attributes);
    if (AsideFolder)
        return MoveAside(calls, entry, attributes, path);
    if (attributes & (FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM)) {
        FILE_BASIC_INFO basic = {};     // times of zero stay as they are
        basic.FileAttributes = FILE_ATTRIBUTE_NORMAL;
        calls.setInfo(entry, FileBasicInfo, &basic, sizeof basic);
    }
    // A folder that is not empty refuses.
    FILE_DISPOSITION_INFO disposition = {TRUE};
    bool removed = calls.setInfo(entry, FileDispositionInfo, &disposition, sizeof disposition);
    Changed();
    return removed ? EntryRemoved : EntryStanding;
}

static EntryResult RemoveByHandle(const InstallPlace& place, const char* path, DWORD attributes)
{
    // Reading attributes is allowed whoever holds the entry.
    DWORD access = Visitor ? FILE_READ_ATTRIBUTES
                           : DELETE | FILE_READ_ATTRIBUTES | FILE_WRITE_ATTRIBUTES;
    HANDLE entry = CreateFileA(path, access,
                               FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, NULL,
                               OPEN_EXISTING,
                               FILE_FLAG_OPEN_REPARSE_POINT | FILE_FLAG_BACKUP_SEMANTICS, NULL);
    if (entry == INVALID_HANDLE_VALUE)
        return EntryStanding;   // in use or locked; a later pass may find it free
    EntryResult result = RemoveThroughHandle(place, entry, attributes, path);
    CloseHandle(entry);
    return result;
}

static EntryResult RemoveByPath(const InstallPlace& place, const char* path, DWORD attributes)
{
    if (attributes == INVALID_FILE_ATTRIBUTES)
        attributes = 0;         // unknown: tried as a file
    if ((attributes & FILE_ATTRIBUTE_REPARSE_POINT) || LinkOnTheWay(place.written, path))
        return EntryGone;
    if (Visitor)
        return Visit(path, attributes);
    if (attributes & (FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM))
        SetFileAttributesA(path, 0);
    bool removed = (attributes & FILE_ATTRIBUTE_DIRECTORY) ? RemoveDirectoryA(path) != 0
                                                           : DeleteFileA(path) != 0;
    Changed();
    return removed ? EntryRemoved : EntryStanding;
}

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
    }
    return place.byHandle ? RemoveByHandle(place, path, attributes)
                          : RemoveByPath(place, path, attributes);
}

bool RemoveOpenEntry(const char* installFolder, HANDLE entry)
{
    InstallPlace place;
    return FindInstallPlace(installFolder, &place) && place.byHandle &&
           RemoveThroughHandle(place, entry, INVALID_FILE_ATTRIBUTES, NULL) == EntryRemoved;
}

bool RemoveInstalledEntry(const char* installFolder, const char* entry)
{
    InstallPlace place;
    return FindInstallPlace(installFolder, &place) &&
           RemoveEntry(installFolder, place, entry) == EntryStanding;
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

int MoveStandingFiles(ListSource* list, const char* installFolder, const char* folder)
{
    AsideFolder = folder;
    MovedFiles = 0;
    if (RewindList(list))
        RemoveListedEntries(list, installFolder);
    AsideFolder = NULL;
    return MovedFiles;
}

void VisitStandingEntries(ListSource* list, const char* installFolder, StandingVisitor visit,
                          void* context)
{
    Visitor = visit;
    VisitorContext = context;
    if (RewindList(list))
        RemoveListedEntries(list, installFolder);
    Visitor = NULL;
}
