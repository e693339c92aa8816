#include "setup.h"

#include "../registry/registry.h"
#include "../resources/footprint.h"
#include "../resources/path_forms.h"
#include "../resources/resource.h"
#include "../resources/text.h"

// A class without its server is of no use to the shell, so an install folder
// too long for the server's path registers nothing.
static void RegisterShellExtension()
{
    char server[MAX_PATH];
    if (!InstallFilePath(server, sizeof server, "kezext.dll"))
        return;
    SetRegistryRoot(HKEY_CLASSES_ROOT);
    char key[96];
    for (const ShellExtensionValue& value : ShellExtensionValues)
        if (ShellExtensionKey(key, sizeof key, value))
            WriteRegString(key, value.name, value.data ? value.data : server);
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

bool WriteShellRegistration(HWND dialog)
{
    if (IsDlgButtonChecked(dialog, IDC_SHELLEXT))
        RegisterShellExtension();
    SetRegistryRoot(HKEY_LOCAL_MACHINE);
    bool entry = WriteUninstallEntry();
    RegisterAppPath();
    WriteRegString(ApprovedKey, SHELL_EXTENSION_CLSID, "Lumbex shell extension");
    SetRegistryRoot(HKEY_CLASSES_ROOT);
    return entry;
}
