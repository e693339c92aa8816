#include "uninstall.h"

#include "../registry/registry.h"
#include "../resources/footprint.h"
#include "../resources/text.h"

// Set when a record under HKEY_CURRENT_USER could not be given back: the
// product's key there then stays with it.
static bool UserRecordsLeft;

enum Owner { OwnType, OtherType, UnknownOwner };

static Owner ExtensionOwner(const char* extension)
{
    // The merged classes root, or the user's own in that scope, whatever
    // root the layer has selected.
    char type[80];
    LONG size = sizeof type;
    LONG status = RegQueryValueA(RootKey(ClassesRoot), extension, type, &size);
    // No such extension, or a type longer than any of the archiver's.
    if (status == ERROR_FILE_NOT_FOUND || status == ERROR_MORE_DATA)
        return OtherType;
    if (status != ERROR_SUCCESS)
        return UnknownOwner;
    if (size <= 0)
        type[0] = 0;
    else if (size < (LONG)sizeof type)
        type[size] = 0;
    else if (type[sizeof type - 1] != 0)
        return OtherType;
    return IsOwnProgId(type) ? OwnType : OtherType;
}

bool IsLumbexType(const char* extension)
{
    return ExtensionOwner(extension) == OwnType;
}

// Under the selected root.
static void DeleteKeyIfEmpty(const char* key)
{
    HKEY opened;
    if (RegOpenKeyExA(GetRegistryRoot(), key, 0, KEY_QUERY_VALUE | GetRegistryView(), &opened) !=
        ERROR_SUCCESS)
        return;
    DWORD subkeys = 1;
    DWORD values = 1;
    LONG status = RegQueryInfoKeyA(opened, NULL, NULL, NULL, &subkeys, NULL, NULL, &values, NULL,
                                   NULL, NULL, NULL);
    RegCloseKey(opened);
    if (status == ERROR_SUCCESS && subkeys == 0 && values == 0)
        DeleteRegKey(key);
}

// The record goes, "Type" last: while it is there, so is the record.
static bool DeleteRecord(HKEY root, const char* key)
{
    char shellNew[96];
    SetRegistryRoot(root);
    bool gone = TextFormat(shellNew, sizeof shellNew, "%s\\ShellNew", key) &&
                RemoveRegTree(shellNew) && DeleteRegValue(key, "Content") &&
                DeleteRegValue(key, "Type");
    DeleteKeyIfEmpty(key);
    SetRegistryRoot(HKEY_CLASSES_ROOT);
    return gone;
}

// The archiver's own New-menu entry goes, and the one that setup kept aside
// in the record comes back in its place. Any other entry was made since by
// someone else and stays as it is.
static bool RestoreShellNew(const ArchiveType& type, HKEY root, const char* settingsKey)
{
    char saved[96];
    char shellNew[32];
    if (!TextFormat(saved, sizeof saved, "%s\\ShellNew", settingsKey) ||
        !TextFormat(shellNew, sizeof shellNew, "%s\\ShellNew", type.extension))
        return false;
    if (!IsOwnShellNew(type))
        return true;
    SetRegistryRoot(root);
    bool kept = RegKeyExists(saved);
    SetRegistryRoot(HKEY_CLASSES_ROOT);
    return RemoveRegTree(shellNew) &&
           (!kept || CopyRegTreeBetween(root, saved, RootKey(ClassesRoot), shellNew));
}

// Gives the extension back what it meant before setup, and drops the record
// once that is done. Where it had no type or content type, the archiver's
// are removed rather than left behind empty; where nothing was saved, or
// nothing that can be given back as it was, the extension stays as it is.
// False when the record stays.
static bool RestoreExtension(const ArchiveType& type)
{
    char key[80];
    HKEY root = SavedRecordRoot(type.extension);
    if (!root)
        return true;
    if (!ExtensionSettingsKey(key, sizeof key, type.extension))
        return false;
    char savedType[512];
    char savedContent[512];
    // Setup saves plain texts only.
    SetRegistryRoot(root);
    bool readable = ReadRegText(key, "Type", savedType, sizeof savedType) &&
                    ReadRegText(key, "Content", savedContent, sizeof savedContent);
    SetRegistryRoot(HKEY_CLASSES_ROOT);
    if (!readable)
        return false;

    bool restored = RestoreShellNew(type, root, key);
    if (savedType[0])
        restored = WriteRegString(type.extension, "", savedType) && restored;
    else
        restored = DeleteRegValue(type.extension, "") && restored;
    if (savedContent[0]) {
        restored = WriteRegString(type.extension, "Content Type", savedContent) && restored;
    } else {
        char current[512];
        if (ReadRegString(type.extension, "Content Type", current, "", sizeof current) &&
            TextEqualNoCase(current, type.contentType))
            restored = DeleteRegValue(type.extension, "Content Type") && restored;
    }
    DeleteKeyIfEmpty(type.extension);
    return restored && DeleteRecord(root, key);
}

// Records of an extension that is another's by now have nothing left to
// give back. Those under HKEY_CURRENT_USER go with the product's key.
static bool DropRecord(const ArchiveType& type)
{
    char key[80];
    return ExtensionSettingsKey(key, sizeof key, type.extension) &&
           DeleteRecord(RootKey(SavedTypesRoot), key);
}

// A volume extension another program has taken over since is its own.
static void RemoveVolumeExtension(const char* extension)
{
    if (IsLumbexType(extension))
        DeleteRegKey(extension);
}

// Only the archiver's own value: other programs' stay in "Open with".
static void RemoveOpenWith(const ArchiveType& type)
{
    char key[48];
    SetRegistryRoot(HKEY_CLASSES_ROOT);
    if (TextFormat(key, sizeof key, "%s\\OpenWithProgids", type.extension) &&
        DeleteRegValue(key, type.progId))
        DeleteKeyIfEmpty(key);
}

static void RemoveCapabilities()
{
    SetNativeRegistryView(true);
    // The key itself is the system's, even when empty.
    DeleteRegValue(RegisteredAppsKey, "Lumbex");
    DeleteRegKey(FileAssociationsKey);
    DeleteRegKey(CapabilitiesKey);
    DeleteKeyIfEmpty(ProductKey);
    SetNativeRegistryView(false);
}

void RestoreAssociations()
{
    UserRecordsLeft = false;
    RemoveCapabilities();
    for (const ArchiveType& type : ArchiveTypeTable) {
        RemoveOpenWith(type);
        Owner owner = ExtensionOwner(type.extension);
        bool done = owner == OwnType     ? RestoreExtension(type)
                    : owner == OtherType ? DropRecord(type)
                                         : false;
        if (!done && SavedRecordRoot(type.extension) == HKEY_CURRENT_USER)
            UserRecordsLeft = true;
    }

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
        else if (item.removal == DeleteWhenEmpty)
            DeleteKeyIfEmpty(item.key);
        else if (item.removal != DeleteWholeTree)
            DeleteRegKey(item.key);
        else if (!(UserRecordsLeft && RootKey(item.root) == HKEY_CURRENT_USER))
            RemoveRegTree(item.key);
    }
    // Deepest first: a key that still has subkeys is not deleted.
    SetRegistryRoot(HKEY_CLASSES_ROOT);
    char key[96];
    for (int i = ShellExtensionValueCount - 1; i >= 0; i--)
        if (!ShellExtensionValues[i].belowProgId &&
            ShellExtensionKey(key, sizeof key, ShellExtensionValues[i]))
            DeleteRegKey(key);
}
