#include "uninstall.h"

#include <restartmanager.h>

#include "../resources/path_forms.h"
#include "../resources/process.h"
#include "../resources/resource.h"
#include "../resources/text.h"
#include "folder_path.h"

// What the end of a run shows, copied while the language module is still
// loaded: it is usually one of the files removed before they are needed.
static const short KeptIds[] = {IDS_UNINSTALL_TITLE, IDS_UNINSTALL_DONE, IDS_DELETE_MANUALLY,
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
    HMODULE module = ResourceModule;
    for (int i = 0; i < 2; i++, module = OwnInstance) {
        HRSRC found = FindResourceA(module, "INUSEDLG", (LPCSTR)RT_DIALOG);
        DWORD size = SizeofResource(module, found);
        const void* bytes = LockResource(LoadResource(module, found));
        if (bytes && size <= sizeof KeptDialog) {
            CopyMemory(KeptDialog, bytes, size);
            return;
        }
    }
}

// "Uninstall completed" and what is left: the folder that goes at restart,
// or the path to delete by hand.
static void ShowUninstallEnd(bool atRestart, const char* path)
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
static const char* const RmCalls[] = {"RmStartSession", "RmRegisterResources", "RmGetList",
                                      "RmEndSession"};

// The listed files that still stand, and the programs that hold them where
// the Restart Manager can tell.
struct InUse {
    size_t folderLength;
    int files;
    char names[1024];       // the first files, one per line
    DWORD session;
    bool inSession;
    FARPROC calls[4];       // RmCalls
};

static const int FilesNamed = 4;
static RM_PROCESS_INFO Holders[8];
// The tool and its list stand until the end of every run, wherever listed:
// the removal script and the run itself delete them.
static char OwnFiles[2][MAX_PATH];

// False, with the executable's path empty, when they cannot be named (the
// uninstall run has made sure they can before anything changed).
static bool FindOwnFiles()
{
    char* name = OwnFiles[1];
    if (OwnExecutablePath(OwnFiles[0], MAX_PATH) && TextCopy(name, MAX_PATH, OwnFiles[0])) {
        name = FileNamePart(name);
        if (TextCopy(name, MAX_PATH - (size_t)(name - OwnFiles[1]), "Uninstall.lst"))
            return true;
    }
    OwnFiles[0][0] = 0;
    return false;
}

bool IsOwnFile(const char* path)
{
    return TextEqualNoCase(path, OwnFiles[0]) || TextEqualNoCase(path, OwnFiles[1]);
}

static void NoteStanding(void* context, const char* path, bool folder)
{
    InUse* inUse = (InUse*)context;
    // Folders left without a file in use hold what the user put there.
    if (IsOwnFile(path) || folder)
        return;
    if (inUse->files++ < FilesNamed) {
        // Every path handed over lies strictly inside the install folder.
        TextAppend(inUse->names, sizeof inUse->names, path + inUse->folderLength);
        TextAppend(inUse->names, sizeof inUse->names, "\n");
    }
    WCHAR wide[MAX_PATH];
    LPCWSTR files[] = {wide};
    if (inUse->inSession && MultiByteToWideChar(CP_ACP, 0, path, -1, wide, MAX_PATH) > 0)
        ((RmRegisterResourcesFunction)(void*)inUse->calls[1])(inUse->session, 1, files, 0, NULL,
                                                               0, NULL);
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
    bool found = manager != NULL;
    for (int i = 0; found && i < 4; i++)
        found = (inUse->calls[i] = GetProcAddress(manager, RmCalls[i])) != NULL;
    WCHAR key[CCH_RM_SESSION_KEY + 1];
    inUse->inSession =
        found && ((RmStartSessionFunction)(void*)inUse->calls[0])(&inUse->session, 0, key) == 0;
    VisitStandingEntries(list, installFolder, NoteStanding, inUse);
    UINT needed;
    UINT count = sizeof Holders / sizeof Holders[0];
    DWORD reasons;
    if (!inUse->inSession || ((RmGetListFunction)(void*)inUse->calls[2])(
                                 inUse->session, &needed, &count, Holders, &reasons))
        count = 0;
    char* names = inUse->names;
    if (count)
        names[0] = 0;
    for (UINT i = 0; i < count; i++) {
        size_t used = TextLength(names);
        // With no room left the call would only measure, and write nothing.
        int room = (int)(sizeof inUse->names - used) - 1;
        int length = room > 0 ? WideCharToMultiByte(CP_ACP, 0, Holders[i].strAppName, -1,
                                                     names + used, room, NULL, NULL)
                              : 0;
        names[length > 0 ? used + length - 1 : used] = 0;
        TextAppend(names, sizeof inUse->names, "\n");
    }
    if (!count && inUse->files > FilesNamed && IsSingleNumberFormat(KeptTexts[KeptMore])) {
        size_t used = TextLength(names);
        TextFormat(names + used, sizeof inUse->names - used, KeptTexts[KeptMore],
                   (unsigned)(inUse->files - FilesNamed));
    }
    if (inUse->inSession)
        ((RmEndSessionFunction)(void*)inUse->calls[3])(inUse->session);
    return inUse->files && !SilentMode &&
           DialogBoxIndirectParamA(OwnInstance, (LPCDLGTEMPLATEA)KeptDialog, NULL,
                                   InUseProcedure, (LPARAM)names) == IDRETRY;
}

static bool ScheduleDeletion(const char* path)
{
    bool scheduled = MoveFileExA(path, NULL, MOVEFILE_DELAY_UNTIL_REBOOT) != 0;
    Changed();
    return scheduled;
}

// What programs hold goes at the next restart from a folder that only the
// system and the administrators may change, moved there through its checked
// handle: at that restart a path through a folder that someone else may
// change could lead anywhere. Their folders, empty then, go at once, the
// install folder after the moved files. What cannot be moved (held without
// delete sharing) stays for the user. True when nothing else stays.
static bool MoveAsideForRestart(ListSource* list, const char* installFolder)
{
    ScriptAccess access;
    char aside[MAX_PATH];
    if (!MakeScriptAccess(&access) || !MakeOwnFolder(installFolder, &access.attributes, aside))
        return false;
    int moved = MoveStandingFiles(list, installFolder, aside);
    RewindList(list);
    RemoveListedEntries(list, installFolder);
    InUse left = {};
    VisitStandingEntries(list, installFolder, NoteStanding, &left);
    bool scheduled = true;
    char path[MAX_PATH];
    for (int i = 1; i <= moved; i++)
        scheduled = TextFormat(path, sizeof path, "%s\\%d", aside, i) &&
                    ScheduleDeletion(path) && scheduled;
    return ScheduleDeletion(aside) && ScheduleDeletion(installFolder) && scheduled &&
           !left.files;
}

UninstallResult RemoveAllListed(ListSource* list, const char* installFolder)
{
    FindOwnFiles();
    InUse inUse;
    do {
        RemoveListedEntries(list, installFolder);
        inUse = {};
        inUse.folderLength = TextLength(installFolder);
    } while (AskToTryAgain(list, installFolder, &inUse) && RewindList(list));
    // Folders left without a file in use hold what the user put there: they
    // stay, as they always have.
    if (inUse.files == 0)
        return UninstallDone;
    bool atRestart = MoveAsideForRestart(list, installFolder);
    if (!SilentMode)
        ShowUninstallEnd(atRestart, installFolder);
    return atRestart ? UninstallAtRestart : UninstallIncomplete;
}

UninstallResult RemoveListFile(const char* installFolder, UninstallResult result)
{
    // One that the rules refuse (a link) stays, as any listed entry would.
    if (!RemoveInstalledEntry(installFolder, "Uninstall.lst"))
        return result;
    // Held: it goes at the next restart, and the folder once more after it.
    bool atRestart = ScheduleDeletion(OwnFiles[1]) && ScheduleDeletion(installFolder);
    if (!SilentMode && result == UninstallDone)
        ShowUninstallEnd(atRestart, installFolder);
    if (!atRestart)
        return UninstallIncomplete;
    return result == UninstallDone ? UninstallAtRestart : result;
}

bool ShowRemovalWarning()
{
    KeepInUseResources();
    // Never the tool of a product still installed: its list is deleted
    // before the script runs.
    bool scheduled = FindOwnFiles() && GetFileAttributesA(OwnFiles[1]) == INVALID_FILE_ATTRIBUTES;
    char* path = OwnFiles[0];
    if (!path[0])
        ShownExecutableFolder(path, MAX_PATH);  // for the message only
    // Then its folder, named with its closing backslash.
    for (int step = 0; scheduled && step < 2; step++) {
        scheduled = ScheduleDeletion(path);
        if (scheduled)
            *FileNamePart(path) = 0;
    }
    if (!SilentMode)
        ShowUninstallEnd(scheduled, path);
    return scheduled;
}
