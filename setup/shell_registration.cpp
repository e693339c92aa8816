#include "setup.h"

#include "../registry/registry.h"
#include "../resources/path_forms.h"
#include "../resources/resource.h"
#include "../resources/text.h"

#define CLASS_KEY "CLSID\\" SHELL_EXTENSION_CLSID
#define SERVER_KEY CLASS_KEY "\\InProcServer32"

struct ClassValue {
    const char* key;
    const char* name;
    const char* data;           // NULL: the extension's path
};

static const ClassValue ShellExtensionValues[] = {
    {CLASS_KEY, "", "Lumbex"},
    {SERVER_KEY, "", NULL},
    {SERVER_KEY, "ThreadingModel", "Apartment"},
    {"Lumbex\\shellex\\ContextMenuHandlers\\" SHELL_EXTENSION_CLSID, "", ""},
    {"Lumbex\\shellex\\PropertySheetHandlers\\" SHELL_EXTENSION_CLSID, "", ""},
    {"Lumbex.ZIP\\shellex\\ContextMenuHandlers\\" SHELL_EXTENSION_CLSID, "", ""},
    {"Lumbex.ZIP\\shellex\\PropertySheetHandlers\\" SHELL_EXTENSION_CLSID, "", ""},
    {"exefile\\shellex\\PropertySheetHandlers\\" SHELL_EXTENSION_CLSID, "", ""},
    {"Lumbex\\shellex\\DropHandler", "", SHELL_EXTENSION_CLSID},
    {"Lumbex.ZIP\\shellex\\DropHandler", "", SHELL_EXTENSION_CLSID},
    {"*\\shellex\\ContextMenuHandlers\\Lumbex", "", SHELL_EXTENSION_CLSID},
    {"Folder\\shellex\\ContextMenuHandlers\\Lumbex", "", SHELL_EXTENSION_CLSID},
    {"Folder\\shellex\\DragDropHandlers\\Lumbex", "", SHELL_EXTENSION_CLSID},
    {"Drives\\shellex\\ContextMenuHandlers\\Lumbex", "", SHELL_EXTENSION_CLSID},
};

static const char AppPathKey[] =
    "Software\\Microsoft\\Windows\\CurrentVersion\\App Paths\\Lumbex.exe";
static const char ApprovedKey[] =
    "Software\\Microsoft\\Windows\\CurrentVersion\\Shell Extensions\\Approved";

// A class without its server is of no use to the shell, so an install folder
// too long for the server's path registers nothing.
static void RegisterShellExtension()
{
    char server[MAX_PATH];
    if (!InstallFilePath(server, sizeof server, "kezext.dll"))
        return;
    SetRegistryRoot(HKEY_CLASSES_ROOT);
    for (const ClassValue& value : ShellExtensionValues)
        WriteRegString(value.key, value.name, value.data ? value.data : server);
}

// The archiver's path for the shell, and the install folder beside it.
static void RegisterAppPath()
{
    char own[MAX_PATH];
    if (OwnExecutablePath(own, sizeof own)) {
        char* name = FileNamePart(own);
        if (TextCopy(name, sizeof own - (size_t)(name - own), "Lumbex.exe"))
            WriteRegString(AppPathKey, "", own);
    }
    char folder[MAX_PATH];
    if (GetInstallFolder(folder, sizeof folder))
        WriteRegString(AppPathKey, "Path", folder);
}

void WriteShellRegistration(HWND dialog)
{
    if (IsDlgButtonChecked(dialog, IDC_SHELLEXT))
        RegisterShellExtension();
    SetRegistryRoot(HKEY_LOCAL_MACHINE);
    WriteUninstallEntry();
    RegisterAppPath();
    WriteRegString(ApprovedKey, SHELL_EXTENSION_CLSID, "Lumbex shell extension");
    SetRegistryRoot(HKEY_CLASSES_ROOT);
}
