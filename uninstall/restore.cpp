#include "uninstall.h"

#include "../registry/registry.h"
#include "../resources/footprint.h"
#include "../resources/text.h"

// Set when a record under HKEY_CURRENT_USER could not be given back: the
// product's key there then stays with it.
static bool UserRecordsLeft;
// The first key of the registration that stays; NULL while all went.
static const char* KeyLeft;

static void Require(bool done, const char* key)
{
    if (!done && !KeyLeft)
        KeyLeft = key;
}

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
    // Gone: a run cut short removed the archiver's and stopped there.
    if (RegKeyExists(shellNew) && !IsOwnShellNew(type))
        return true;
    bool kept = false;
    if (root) {
        SetRegistryRoot(root);
        kept = RegKeyExists(saved);
        SetRegistryRoot(HKEY_CLASSES_ROOT);
    }
    return RemoveRegTree(shellNew) &&
           (!kept || CopyRegTreeBetween(root, saved, RootKey(ClassesRoot), shellNew));
}

// Gives the extension back what it meant before setup, and drops the record
// once that is done. Where it had no type or content type, or nothing was
// saved, the archiver's are removed rather than left naming a ProgID that
// goes. A record that cannot be given back as it was stays, and so does the
// extension, for a person to sort out. False when a change was refused.
static bool RestoreExtension(const ArchiveType& type)
{
    char key[80];
    HKEY root = SavedRecordRoot(type.extension);
    if (!ExtensionSettingsKey(key, sizeof key, type.extension))
        return false;
    char savedType[512];
    char savedContent[512];
    savedType[0] = 0;
    savedContent[0] = 0;
    if (root) {
        // Setup saves plain texts only.
        SetRegistryRoot(root);
        bool readable = ReadRegText(key, "Type", savedType, sizeof savedType) &&
                        ReadRegText(key, "Content", savedContent, sizeof savedContent);
        SetRegistryRoot(HKEY_CLASSES_ROOT);
        if (!readable) {
            UserRecordsLeft |= root == HKEY_CURRENT_USER;
            return true;
        }
    }

    // The type last: while the extension still names the archiver, a run
    // that was cut short does all of it again.
    bool restored = RestoreShellNew(type, root, key);
    if (savedContent[0]) {
        restored = WriteRegString(type.extension, "Content Type", savedContent) && restored;
    } else {
        char current[512];
        if (ReadRegString(type.extension, "Content Type", current, "", sizeof current) &&
            TextEqualNoCase(current, type.contentType))
            restored = DeleteRegValue(type.extension, "Content Type") && restored;
    }
    // What an earlier version could save on a second setup: the archiver's
    // own type, which would name a ProgID that goes.
    if (!restored)
        return false;
    if (savedType[0] && !IsOwnProgId(savedType))
        restored = WriteRegString(type.extension, "", savedType);
    else
        restored = DeleteRegValue(type.extension, "");
    DeleteKeyIfEmpty(type.extension);
    // Without a "Type" a record that a run cut short emptied may be left.
    return restored && DeleteRecord(root ? root : RootKey(SavedTypesRoot), key);
}

// Records of an extension that is another's by now have nothing left to
// give back. Those under HKEY_CURRENT_USER go with the product's key. A key
// left empty (a run cut short right after the type went) goes too.
static bool DropRecord(const ArchiveType& type)
{
    DeleteKeyIfEmpty(type.extension);
    char key[80];
    return ExtensionSettingsKey(key, sizeof key, type.extension) &&
           DeleteRecord(RootKey(SavedTypesRoot), key);
}

// An extension still naming it, in the scope's classes or, machine-wide,
// in the current user's, which the shell reads first.
static bool ProgIdNamed(const char* name)
{
    for (int scope = 0; scope < 2; scope++) {
        HKEY classes = RootKey(ClassesRoot);
        if (scope && (UserClasses || RegOpenKeyExA(HKEY_CURRENT_USER, "Software\\Classes", 0,
                                                   KEY_QUERY_VALUE, &classes) != ERROR_SUCCESS))
            break;
        for (const ArchiveType& type : ArchiveTypeTable) {
            char named[80];
            LONG size = sizeof named;
            if (RegQueryValueA(classes, type.extension, named, &size) == ERROR_SUCCESS &&
                size > 0 && size <= (LONG)sizeof named && named[size - 1] == 0 &&
                TextEqualNoCase(named, name))
                return true;
        }
        if (scope)
            RegCloseKey(classes);
    }
    return false;
}

// A volume extension another program has taken over since is its own; what
// others put below the archiver's stays. The type last, as for the others.
static void RemoveVolumeExtension(const char* extension)
{
    if (IsLumbexType(extension))
        Require(DeleteRegValue(extension, "Content Type") && DeleteRegValue(extension, ""),
                ".k00");
    DeleteKeyIfEmpty(extension);
}

// Only the archiver's own value: other programs' stay in "Open with".
static void RemoveOpenWith(const ArchiveType& type)
{
    char key[48];
    SetRegistryRoot(HKEY_CLASSES_ROOT);
    bool removed = TextFormat(key, sizeof key, "%s\\OpenWithProgids", type.extension) &&
                   DeleteRegValue(key, type.progId);
    Require(removed, type.extension);
    if (removed)
        DeleteKeyIfEmpty(key);
}

static void RemoveCapabilities()
{
    SetNativeRegistryView(true);
    // The key itself is the system's, even when empty.
    Require(DeleteRegValue(RegisteredAppsKey, "Lumbex") && DeleteRegKey(FileAssociationsKey) &&
                DeleteRegKey(CapabilitiesKey),
            CapabilitiesKey);
    DeleteKeyIfEmpty(ProductKey);
    SetNativeRegistryView(false);
}

static void RestoreAssociations()
{
    UserRecordsLeft = false;
    RemoveCapabilities();
    for (const ArchiveType& type : ArchiveTypeTable) {
        RemoveOpenWith(type);
        Owner owner = ExtensionOwner(type.extension);
        bool done = owner == OwnType     ? RestoreExtension(type)
                    : owner == OtherType ? DropRecord(type)
                                         : false;
        Require(done, type.extension);
        if (!done && SavedRecordRoot(type.extension) == HKEY_CURRENT_USER)
            UserRecordsLeft = true;
    }

    SetRegistryRoot(HKEY_CLASSES_ROOT);
    ForEachVolumeExtension(RemoveVolumeExtension);
    // A ProgID that an extension still names stays, rather than leave the
    // extension naming nothing.
    for (const ProgId& id : ProgIds)
        if (!ProgIdNamed(id.name))
            Require(RemoveRegTree(id.name), id.name);
}

static void RemoveRegistration()
{
    // The entry goes last, once the files are gone: until then the list of
    // installed programs can start the uninstall again.
    for (const RemovedItem& item : RemovedItems) {
        SetRegistryRoot(RootKey(item.root));
        if (item.removal == DeleteOneValue)
            Require(DeleteRegValue(item.key, item.value), item.key);
        else if (item.removal == DeleteWhenEmpty)
            DeleteKeyIfEmpty(item.key);
        else if (item.removal != DeleteWholeTree)
            Require(item.key == UninstallEntryKey || DeleteRegKey(item.key), item.key);
        else if (!(UserRecordsLeft && RootKey(item.root) == HKEY_CURRENT_USER))
            Require(RemoveRegTree(item.key), item.key);
    }
    // Deepest first: a key that still has subkeys is not deleted.
    SetRegistryRoot(HKEY_CLASSES_ROOT);
    char key[96];
    for (int i = ShellExtensionValueCount - 1; i >= 0; i--)
        if (!ShellExtensionValues[i].belowProgId &&
            ShellExtensionKey(key, sizeof key, ShellExtensionValues[i]))
            Require(DeleteRegKey(key), ShellExtensionValues[i].key);
}

const char* UndoRegistration()
{
    KeyLeft = NULL;
    RestoreAssociations();
    RemoveRegistration();
    return KeyLeft;
}

void RemoveUninstallEntry()
{
    static const HKEY roots[] = {HKEY_CURRENT_USER, HKEY_LOCAL_MACHINE};
    for (HKEY root : roots) {
        SetRegistryRoot(root);
        DeleteRegKey(UninstallEntryKey);
    }
    SetRegistryRoot(HKEY_CLASSES_ROOT);
}
