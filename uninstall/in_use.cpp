#include "uninstall.h"

#include <restartmanager.h>

#include "../resources/path_forms.h"
#include "../resources/process.h"
#include "../resources/resource.h"
#include "../resources/text.h"
#include "folder_path.h"

// What the end of a run shows, copied while the language module is still
// loaded: it is usually one of the files removed before they are needed.
static const int KeptIds[] = {IDS_UNINSTALL_TITLE, IDS_UNINSTALL_DONE, IDS_DELETE_MANUALLY,
                              IDS_REMOVED_AT_RESTART, IDS_IN_USE_MORE};
enum { KeptTitle, KeptDone, KeptManual, KeptRestart, KeptMore, KeptCount };
static char KeptTexts[KeptCount][256];
static DWORD KeptDialog[512];

void KeepInUseResources()
{
    if (KeptTexts[KeptTitle][0])
        return;
    for (int i = 0; i < KeptCount; i++)
        TextCopy(KeptTexts[i], sizeof KeptTexts[i], LoadText(KeptIds[i]));
    // A module's own dialog where it has one that fits, else the tool's.
    HMODULE modules[] = {ResourceModule, OwnInstance};
    for (HMODULE module : modules) {
        HRSRC found = FindResourceA(module, "INUSEDLG", (LPCSTR)RT_DIALOG);
        DWORD size = found ? SizeofResource(module, found) : 0;
        const BYTE* bytes = size ? (const BYTE*)LockResource(LoadResource(module, found)) : NULL;
        if (bytes && size <= sizeof KeptDialog) {
            BYTE* to = (BYTE*)KeptDialog;
            for (DWORD i = 0; i < size; i++)
                to[i] = bytes[i];
            return;
        }
    }
}

void ShowUninstallEnd(bool atRestart, const char* path)
{
    // Only shown, never acted on: a cut message is acceptable.
    char text[512];
    TextFormat(text, sizeof text, "%s\n", KeptTexts[KeptDone]);
    size_t used = TextLength(text);
    TextFormatOne(text + used, sizeof text - used,
                  KeptTexts[atRestart ? KeptRestart : KeptManual], path);
    MessageBoxA(NULL, text, KeptTexts[KeptTitle], MB_ICONINFORMATION | MB_SETFOREGROUND);
}

typedef DWORD(WINAPI* RmStartSessionFunction)(DWORD*, DWORD, WCHAR*);
typedef DWORD(WINAPI* RmRegisterResourcesFunction)(DWORD, UINT, LPCWSTR*, UINT,
                                                    RM_UNIQUE_PROCESS*, UINT, LPCWSTR*);
typedef DWORD(WINAPI* RmGetListFunction)(DWORD, UINT*, UINT*, RM_PROCESS_INFO*, DWORD*);
typedef DWORD(WINAPI* RmEndSessionFunction)(DWORD);

// The listed files that still stand, and the programs that hold them where
// the Restart Manager can tell.
struct InUse {
    size_t folderLength;
    int files;
    int deepest;            // backslashes in the deepest standing folder
    int shallowest;
    char names[1024];       // the first files, one per line
    DWORD session;
    RmRegisterResourcesFunction registerFiles;  // null without a session
};

static const int FilesNamed = 4;
static RM_PROCESS_INFO Holders[8];
// The tool and its list stand until the end of every run, wherever listed:
// the removal script and the run itself delete them.
static char OwnFiles[2][MAX_PATH];

static bool IsOwnFile(const char* path)
{
    return TextEqualNoCase(path, OwnFiles[0]) || TextEqualNoCase(path, OwnFiles[1]);
}

static int Depth(const char* path)
{
    int depth = 0;
    for (const char* p = path; *p; p = NextChar(p))
        depth += *p == '\\';
    return depth;
}

static void NoteStanding(void* context, const char* path, bool folder)
{
    InUse* inUse = (InUse*)context;
    if (IsOwnFile(path))
        return;
    if (folder) {
        int depth = Depth(path);
        if (depth > inUse->deepest)
            inUse->deepest = depth;
        if (depth < inUse->shallowest)
            inUse->shallowest = depth;
        return;
    }
    if (inUse->files++ < FilesNamed) {
        size_t skip = inUse->folderLength < TextLength(path) ? inUse->folderLength : 0;
        TextAppend(inUse->names, sizeof inUse->names, path + skip);
        TextAppend(inUse->names, sizeof inUse->names, "\n");
    }
    WCHAR wide[MAX_PATH];
    LPCWSTR files[] = {wide};
    if (inUse->registerFiles && MultiByteToWideChar(CP_ACP, 0, path, -1, wide, MAX_PATH) > 0)
        inUse->registerFiles(inUse->session, 1, files, 0, NULL, 0, NULL);
}

static INT_PTR CALLBACK InUseProcedure(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_INITDIALOG)
        SetDlgItemTextA(dialog, IDC_IN_USE, (const char*)lParam);
    else if (message == WM_COMMAND && LOWORD(wParam) != IDC_IN_USE)
        EndDialog(dialog, LOWORD(wParam));
    return message == WM_INITDIALOG;
}

// Notes what stands and, unless silent, names it; true when the user closed
// what held it and wants another try. The Restart Manager comes from the
// system folder only, and names programs where it can; else the files are
// named, a few, then how many more.
static bool AskToTryAgain(ListSource* list, const char* installFolder, InUse* inUse)
{
    HMODULE manager = SilentMode ? NULL : LoadSystemLibrary("rstrtmgr.dll");
    RmStartSessionFunction start = NULL;
    RmGetListFunction getList = NULL;
    RmEndSessionFunction end = NULL;
    inUse->registerFiles = NULL;
    WCHAR key[CCH_RM_SESSION_KEY + 1];
    if (manager) {
        start = (RmStartSessionFunction)(void*)GetProcAddress(manager, "RmStartSession");
        getList = (RmGetListFunction)(void*)GetProcAddress(manager, "RmGetList");
        end = (RmEndSessionFunction)(void*)GetProcAddress(manager, "RmEndSession");
        if (start && getList && end && start(&inUse->session, 0, key) == ERROR_SUCCESS)
            inUse->registerFiles = (RmRegisterResourcesFunction)(void*)GetProcAddress(
                manager, "RmRegisterResources");
    }
    VisitStandingEntries(list, installFolder, NoteStanding, inUse);
    UINT needed;
    UINT count = sizeof Holders / sizeof Holders[0];
    DWORD reasons;
    if (!inUse->registerFiles || getList(inUse->session, &needed, &count, Holders, &reasons))
        count = 0;
    if (count)
        inUse->names[0] = 0;
    for (UINT i = 0; i < count; i++) {
        char name[256];
        if (WideCharToMultiByte(CP_ACP, 0, Holders[i].strAppName, -1, name, sizeof name, NULL,
                                NULL) > 0) {
            TextAppend(inUse->names, sizeof inUse->names, name);
            TextAppend(inUse->names, sizeof inUse->names, "\n");
        }
    }
    if (!count && inUse->files > FilesNamed) {
        const char* more = KeptTexts[KeptMore];
        size_t used = TextLength(inUse->names);
        TextFormat(inUse->names + used, sizeof inUse->names - used,
                   IsSingleNumberFormat(more) ? more : "+%u",
                   (unsigned)(inUse->files - FilesNamed));
    }
    if (start && end)
        end(inUse->session);
    return inUse->files && !SilentMode &&
           DialogBoxIndirectParamA(OwnInstance, (LPCDLGTEMPLATEA)KeptDialog, NULL,
                                   InUseProcedure, (LPARAM)inUse->names) == IDRETRY;
}

struct Schedule {
    int depth;              // folders of this depth, or files at 0
    bool refused;
};

static void ScheduleEntry(void* context, const char* path, bool folder)
{
    Schedule* schedule = (Schedule*)context;
    if ((folder ? Depth(path) : 0) == schedule->depth && !IsOwnFile(path) &&
        !MoveFileExA(path, NULL, MOVEFILE_DELAY_UNTIL_REBOOT))
        schedule->refused = true;
}

UninstallResult FinishListedEntries(ListSource* list, const char* installFolder)
{
    // Left empty, cut or unnamed, they match no entry.
    OwnExecutablePath(OwnFiles[0], MAX_PATH);
    TextFormat(OwnFiles[1], MAX_PATH, "%sUninstall.lst", installFolder);
    InUse inUse;
    do {
        inUse.folderLength = TextLength(installFolder);
        inUse.files = 0;
        inUse.deepest = 0;
        inUse.shallowest = MAX_PATH;
        inUse.names[0] = 0;
    } while (AskToTryAgain(list, installFolder, &inUse) && RewindList(list) &&
             RemoveListedEntries(list, installFolder));
    // Folders left without a file in use hold what the user put there: they
    // stay, as they always have.
    if (inUse.files == 0)
        return UninstallDone;
    // Files first, then folders deepest first, then the install folder:
    // each is empty by the time its turn comes.
    Schedule schedule = {0, false};
    VisitStandingEntries(list, installFolder, ScheduleEntry, &schedule);
    for (schedule.depth = inUse.deepest; schedule.depth >= inUse.shallowest; schedule.depth--)
        VisitStandingEntries(list, installFolder, ScheduleEntry, &schedule);
    if (schedule.refused || !MoveFileExA(installFolder, NULL, MOVEFILE_DELAY_UNTIL_REBOOT))
        return UninstallIncomplete;
    return UninstallAtRestart;
}

bool ShowRemovalWarning()
{
    KeepInUseResources();
    char path[MAX_PATH];
    char list[MAX_PATH];
    bool scheduled = OwnExecutablePath(path, sizeof path);
    if (!scheduled) {
        DWORD length = GetModuleFileNameA(NULL, path, sizeof path);
        path[length < sizeof path ? length : sizeof path - 1] = 0;
    }
    // Never the tool of a product still installed: its list is deleted
    // before the script runs.
    TextCopy(list, sizeof list, path);
    char* name = FileNamePart(list);
    scheduled = scheduled && TextCopy(name, sizeof list - (size_t)(name - list), "Uninstall.lst") &&
                GetFileAttributesA(list) == INVALID_FILE_ATTRIBUTES;
    // Then its folder, named with its closing backslash.
    for (int step = 0; scheduled && step < 2; step++) {
        scheduled = MoveFileExA(path, NULL, MOVEFILE_DELAY_UNTIL_REBOOT) != 0;
        if (scheduled)
            *FileNamePart(path) = 0;
    }
    if (!SilentMode)
        ShowUninstallEnd(scheduled, path);
    return scheduled;
}
