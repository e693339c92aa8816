#include "uninstall.h"

#include "../app/app.h"
#include "../resources/resource.h"
#include "../resources/text.h"
#include "folder_path.h"

static bool ConfirmUninstall()
{
    return MessageBoxA(NULL, LoadText(IDS_CONFIRM), LoadText(IDS_UNINSTALL_TITLE),
                       MB_YESNO | MB_ICONQUESTION | MB_SETFOREGROUND) == IDYES;
}

static FILE* OpenListFile()
{
    FILE* list = fopen("Uninstall.lst", "rb");
    if (list)
        return list;
    // Only shown, never acted on: a cut message is acceptable.
    char message[200];
    TextFormatOne(message, sizeof message, LoadText(IDS_NO_LIST_FILE), "Uninstall.lst");
    MessageBoxA(NULL, message, LoadText(IDS_UNINSTALL_TITLE),
                MB_OK | MB_ICONERROR | MB_SETFOREGROUND);
    return NULL;
}

// The help engine's index files, by their fixed names in the install folder.
static void DeleteHelpIndex(const char* name)
{
    SetFileAttributesA(name, 0);
    DeleteFileA(name);
}

void RunUninstall()
{
    char executable[MAX_PATH];
    DWORD length = GetModuleFileNameA(NULL, executable, sizeof executable);
    if (length == 0 || length >= sizeof executable)
        return;
    char folder[MAX_PATH];
    if (!InstallFolderOf(executable, folder, sizeof folder))
        return;
    // Elsewhere the list, the help index and the script's folder would all
    // name another folder's files.
    if (!SetCurrentDirectoryA(folder) || !AppendBackslash(folder, sizeof folder))
        return;
    if (!ConfirmUninstall())
        return;
    FILE* list = OpenListFile();
    if (!list)
        return;

    RestoreAssociations();
    RemoveRegistration();
    RemoveLinks();
    // A loaded language module cannot be deleted, and the install folder
    // would stay with it; no text is shown from here on.
    ReleaseLanguageModule();
    DeleteHelpIndex("lumbex.gid");
    DeleteHelpIndex("lumbex.fts");
    RemoveListedEntries(list, folder);
    fclose(list);
    DeleteFileA("Uninstall.lst");

    if (!WriteRemovalScript(executable))
        return;
    StartRemovalScript();
}
