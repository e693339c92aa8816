#include "uninstall.h"

#include "../registry/registry.h"
#include "../resources/footprint.h"
#include "../resources/text.h"

bool IsLumbexType(const char* extension)
{
    // Always the merged classes root, whatever root the layer has selected.
    char type[80];
    LONG size = sizeof type;
    if (RegQueryValueA(HKEY_CLASSES_ROOT, extension, type, &size) != ERROR_SUCCESS)
        return false;
    if (size <= 0)
        type[0] = 0;
    else if (size < (LONG)sizeof type)
        type[size] = 0;
    else if (type[sizeof type - 1] != 0)
        return false;
    return IsOwnProgId(type);
}

static void DeleteKeyIfEmpty(const char* key)
{
    HKEY opened;
    if (RegOpenKeyExA(HKEY_CLASSES_ROOT, key, 0, KEY_QUERY_VALUE, &opened) != ERROR_SUCCESS)
        return;
    DWORD subkeys = 1;
    DWORD values = 1;
    LONG status = RegQueryInfoKeyA(opened, NULL, NULL, NULL, &subkeys, NULL, NULL, &values, NULL,
                                   NULL, NULL, NULL);
    RegCloseKey(opened);
    if (status == ERROR_SUCCESS && subkeys == 0 && values == 0)
        RegDeleteKeyA(HKEY_CLASSES_ROOT, key);
}

// The archiver's own New-menu entry goes, and the one that setup kept aside
// comes back in its place. Any other entry was made since by someone else
// and stays as it is.
static void RestoreShellNew(const ArchiveType& type, const char* settingsKey)
{
    char saved[96];
    char shellNew[32];
    if (!TextFormat(saved, sizeof saved, "%s\\ShellNew", settingsKey) ||
        !TextFormat(shellNew, sizeof shellNew, "%s\\ShellNew", type.extension) ||
        !IsOwnShellNew(type))
        return;
    SetRegistryRoot(HKEY_CURRENT_USER);
    bool kept = RegKeyExists(saved);
    SetRegistryRoot(HKEY_CLASSES_ROOT);
    RemoveRegTree(shellNew);
    if (kept)
        CopyRegTreeBetween(HKEY_CURRENT_USER, saved, HKEY_CLASSES_ROOT, shellNew);
}

// Gives the extension back what it meant before setup. Where it had no type
// or content type, the archiver's are removed rather than left behind empty.
static void RestoreExtension(const ArchiveType& type)
{
    char key[80];
    if (!ExtensionSettingsKey(key, sizeof key, type.extension))
        return;
    RestoreShellNew(type, key);
    char savedType[512];
    char savedContent[512];
    // Setup saves plain texts only: anything else counts as nothing saved.
    SetRegistryRoot(HKEY_CURRENT_USER);
    ReadRegText(key, "Type", savedType, sizeof savedType);
    ReadRegText(key, "Content", savedContent, sizeof savedContent);
    SetRegistryRoot(HKEY_CLASSES_ROOT);

    if (savedType[0])
        WriteRegString(type.extension, "", savedType);
    else
        DeleteRegValue(type.extension, "");
    if (savedContent[0]) {
        WriteRegString(type.extension, "Content Type", savedContent);
    } else {
        char current[512];
        if (ReadRegString(type.extension, "Content Type", current, "", sizeof current) &&
            TextEqualNoCase(current, type.contentType))
            DeleteRegValue(type.extension, "Content Type");
    }
    DeleteKeyIfEmpty(type.extension);
}

// A volume extension another program has taken over since is its own.
static void RemoveVolumeExtension(const char* extension)
{
    if (IsLumbexType(extension))
        DeleteRegKey(extension);
}

void RestoreAssociations()
{
    for (const ArchiveType& type : ArchiveTypeTable)
        if (IsLumbexType(type.extension))
            RestoreExtension(type);

    SetRegistryRoot(HKEY_CLASSES_ROOT);
    ForEachVolumeExtension(RemoveVolumeExtension);
    for (const ProgId& id : ProgIds)
        RemoveRegTree(id.name);
}

void RemoveRegistration()
{
    for (const RemovedItem& item : RemovedItems) {
        SetRegistryRoot(RootKey(item.root));
        if (item.removal == DeleteOneValue)
            DeleteRegValue(item.key, item.value);
        else if (item.removal == DeleteWholeTree)
            RemoveRegTree(item.key);
        else
            DeleteRegKey(item.key);
    }
    // Deepest first: a key that still has subkeys is not deleted.
    SetRegistryRoot(HKEY_CLASSES_ROOT);
    for (int i = ShellExtensionValueCount - 1; i >= 0; i--)
        if (!ShellExtensionValues[i].belowProgId)
            DeleteRegKey(ShellExtensionValues[i].key);
}
