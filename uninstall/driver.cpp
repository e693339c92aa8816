#include "uninstall.h"

#include "../registry/registry.h"
#include "../resources/footprint.h"
#include "../resources/process.h"
#include "../resources/path_forms.h"
#include "../resources/resource.h"
#include "../resources/text.h"
#include "folder_path.h"

static bool ConfirmUninstall()
{
    return SilentMode || MessageBoxA(NULL, LoadText(IDS_CONFIRM), LoadText(IDS_UNINSTALL_TITLE),
                       MB_YESNO | MB_ICONQUESTION | MB_SETFOREGROUND) == IDYES;
}

// Nothing but the tool in the current folder.
static bool OnlyToolLeft(const char* executable)
{
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA("*", &found);
    if (search == INVALID_HANDLE_VALUE)
        return false;
    const char* own = FileNamePart(executable);
    bool only = true;
    do {
        // "." and ".." (any name so begun: the folder then stays, whatever).
        if (found.cFileName[0] != '.' && !TextEqualNoCase(found.cFileName, own) &&
            !TextEqualNoCase(found.cAlternateFileName, own))
            only = false;
    } while (only && FindNextFileA(search, &found));
    FindClose(search);
    return only;
}


static UninstallResult Refuse(int textId, const char* path, UninstallResult result)
{
    ShowError(IDS_UNINSTALL_TITLE, textId, path);
    return result;
}

// Everything the run will name must be nameable before anything changes.
static UninstallResult CheckPaths(char* executable, size_t executableCap)
{
    char shown[MAX_PATH];
    if (!OwnExecutablePath(executable, executableCap)) {
        ShownExecutableFolder(shown, sizeof shown);
        return Refuse(IDS_UNUSABLE_FOLDER, shown, UninstallRefused);
    }
    char temp[MAX_PATH];
    if (!TempFolderPath(temp, sizeof temp)) {
        DWORD length = GetTempPathA(sizeof shown, shown);
        shown[length < sizeof shown ? length : 0] = 0;
        return Refuse(IDS_UNUSABLE_FOLDER, shown, UninstallRefused);
    }
    return UninstallDone;
}

// Each scope that holds an entry, the user's first: an account may have set
// up for all users and then, with its machine-wide rights refused, for
// itself. Without an entry, the machine's, as ever. The machine's rights
// are checked before anything changes. NULL when all of it went, else what
// stays.
enum { UserEntry = 1, MachineEntry = 2 };

static int Entries()
{
    SetRegistryRoot(HKEY_CURRENT_USER);
    int entries = RegKeyExists(UninstallEntryKey) ? UserEntry : 0;
    SetRegistryRoot(HKEY_LOCAL_MACHINE);
    return RegKeyExists(UninstallEntryKey) ? entries | MachineEntry : entries;
}

static const char* UndoScopes()
{
    int entries = Entries();
    bool user = entries & UserEntry;
    bool machine = !user || (entries & MachineEntry);
    if (machine && !MayWriteMachineWide())
        return UninstallEntryKey;
    if (user) {
        if (!EnterUserScope())
            return "HKEY_CURRENT_USER";
        const char* left = UndoRegistration();
        if (left || !machine)
            return left;
        LeaveUserScope();
    }
    return UndoRegistration();
}

void TakeBackSetup()
{
    UndoRegistration();
    RemoveUninstallEntry();
    SHChangeNotify(SHCNE_ASSOCCHANGED, SHCNF_IDLIST, NULL, NULL);
    RemoveLinks();
}

// Past the registration files go: only once it is undone; else all stays
// for a later run. The list is closed at the end.
static UninstallResult RemoveProduct(ListSource* list, const char* folder)
{
    const char* left = UndoScopes();
    SHChangeNotify(SHCNE_ASSOCCHANGED, SHCNF_IDLIST, NULL, NULL);
    if (left) {
        CloseListFile(list);
        return Refuse(IDS_REGISTRATION_LEFT, left, UninstallRefused);
    }
    RemoveLinks();
    // A loaded language module cannot be deleted, and the install folder
    // would stay with it. Texts come from the own image from here on.
    KeepInUseResources();
    ReleaseLanguageModule();
    RemoveInstalledEntry(folder, "lumbex.gid");
    RemoveInstalledEntry(folder, "lumbex.fts");
    UninstallResult result = RemoveAllListed(list, folder);
    CloseListFile(list);
    // The entry once the files are gone, the list after it: a run cut short
    // in between is started again from the folder.
    RemoveUninstallEntry();
    return RemoveListFile(folder, result);
}

UninstallResult RunUninstall()
{
    char executable[MAX_PATH];
    UninstallResult checked = CheckPaths(executable, sizeof executable);
    if (checked != UninstallDone)
        return checked;
    char folder[MAX_PATH];
    if (!InstallFolderOf(executable, folder, sizeof folder))
        return UninstallNotStarted;
    // Elsewhere the list, the help index and the script's folder would all
    // name another folder's files. With its closing backslash, for the
    // system drops a trailing blank or dot from the last name of a path:
    // "...\Lumbex " would become the neighbour "...\Lumbex".
    if (!AppendBackslash(folder, sizeof folder))
        return UninstallNotStarted;
    if (!SetCurrentDirectoryA(folder))
        return Refuse(IDS_NO_INSTALL_FOLDER, folder, UninstallNotStarted);
    if (!ConfirmUninstall())
        return UninstallDeclined;
    ListSource list;
    UninstallResult result = UninstallDone;
    if (OpenListFile("Uninstall.lst", &list)) {
        result = RemoveProduct(&list, folder);
        if (result == UninstallRefused)
            return result;
    } else if (!OnlyToolLeft(executable) || Entries()) {
        // Only a run cut short after the list went leaves the tool alone,
        // with no entry anywhere: all that is left is to remove it.
        ShowError(IDS_UNINSTALL_TITLE, IDS_NO_LIST_FILE, "Uninstall.lst");
        return UninstallNotStarted;
    }

    // Without a script the executable stays: it goes at restart, or the
    // user learns which file to delete.
    if (!WriteRemovalScript(executable) || !StartRemovalScript()) {
        if (!ShowRemovalWarning())
            result = UninstallIncomplete;
        else if (result == UninstallDone)
            result = UninstallAtRestart;
    }
    return result;
}
