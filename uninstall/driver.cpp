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

static bool OpenList(ListSource* list)
{
    if (OpenListFile("Uninstall.lst", list))
        return true;
    ShowError(IDS_UNINSTALL_TITLE, IDS_NO_LIST_FILE, "Uninstall.lst");
    return false;
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

// Setup's scope, as the place of its entry records it: the current user's
// where the user has an entry and the machine none.
static void EnterSetupScope()
{
    SetRegistryRoot(HKEY_LOCAL_MACHINE);
    if (RegKeyExists(UninstallEntryKey))
        return;
    SetRegistryRoot(HKEY_CURRENT_USER);
    if (RegKeyExists(UninstallEntryKey))
        EnterUserScope();
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
    if (!OpenList(&list))
        return UninstallNotStarted;

    EnterSetupScope();
    RestoreAssociations();
    RemoveRegistration();
    SHChangeNotify(SHCNE_ASSOCCHANGED, SHCNF_IDLIST, NULL, NULL);
    RemoveLinks();
    // A loaded language module cannot be deleted, and the install folder
    // would stay with it. Texts come from the own image from here on.
    KeepInUseResources();
    ReleaseLanguageModule();
    RemoveInstalledEntry(folder, "lumbex.gid");
    RemoveInstalledEntry(folder, "lumbex.fts");
    UninstallResult result = RemoveAllListed(&list, folder);
    CloseListFile(&list);
    DeleteFileA("Uninstall.lst");

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
