#include "setup.h"

#include "../registry/registry.h"
#include "../resources/resource.h"
#include "../resources/text.h"

#define EXTENSION_CLASS "{3E9F6A12-B7C4-4D08-9E51-2A6CD40F83B7}"
#define CLASS_KEY "CLSID\\" EXTENSION_CLASS
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
    {"Lumbex\\shellex\\ContextMenuHandlers\\" EXTENSION_CLASS, "", ""},
    {"Lumbex\\shellex\\PropertySheetHandlers\\" EXTENSION_CLASS, "", ""},
    {"Lumbex.ZIP\\shellex\\ContextMenuHandlers\\" EXTENSION_CLASS, "", ""},
    {"Lumbex.ZIP\\shellex\\PropertySheetHandlers\\" EXTENSION_CLASS, "", ""},
    {"exefile\\shellex\\PropertySheetHandlers\\" EXTENSION_CLASS, "", ""},
    {"Lumbex\\shellex\\DropHandler", "", EXTENSION_CLASS},
    {"Lumbex.ZIP\\shellex\\DropHandler", "", EXTENSION_CLASS},
    {"*\\shellex\\ContextMenuHandlers\\Lumbex", "", EXTENSION_CLASS},
    {"Folder\\shellex\\ContextMenuHandlers\\Lumbex", "", EXTENSION_CLASS},
    {"Folder\\shellex\\DragDropHandlers\\Lumbex", "", EXTENSION_CLASS},
    {"Drives\\shellex\\ContextMenuHandlers\\Lumbex", "", EXTENSION_CLASS},
};

static const char UninstallKey[] =
    "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Lumbex archiver";
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

// The uninstall command is this executable without a switch. It is quoted:
// unquoted, a path with blanks lets the system start C:\Program.exe instead.
static void RegisterProduct()
{
    WriteRegString(UninstallKey, "DisplayName", LoadText(IDS_DISPLAY_NAME));

    char own[MAX_PATH];
    DWORD length = GetModuleFileNameA(NULL, own, sizeof own);
    if (length > 0 && length < sizeof own) {
        char command[512];
        if (TextFormat(command, sizeof command, "\"%s\"", own))
            WriteRegString(UninstallKey, "UninstallString", command);
        char* name = FileNamePart(own);
        if (TextCopy(name, sizeof own - (size_t)(name - own), "Lumbex.exe"))
            WriteRegString(AppPathKey, "", own);
    }

    char folder[MAX_PATH];
    if (GetInstallFolder(folder, sizeof folder))
        WriteRegString(AppPathKey, "Path", folder);

    WriteRegString(ApprovedKey, EXTENSION_CLASS, "Lumbex shell extension");
}

void WriteShellRegistration(HWND dialog)
{
    if (IsDlgButtonChecked(dialog, IDC_SHELLEXT))
        RegisterShellExtension();
    SetRegistryRoot(HKEY_LOCAL_MACHINE);
    RegisterProduct();
    SetRegistryRoot(HKEY_CLASSES_ROOT);
}
