#include "setup.h"

#include "../registry/registry.h"
#include "../resources/footprint.h"
#include "../resources/resource.h"
#include "../resources/text.h"

static bool SavedShellNewKey(char* key, size_t cap, const ArchiveType& type)
{
    return ExtensionSettingsKey(key, cap, type.extension) && TextAppend(key, cap, "\\ShellNew");
}

static bool ShellNewKey(char* key, size_t cap, const ArchiveType& type)
{
    return TextFormat(key, cap, "%s\\ShellNew", type.extension);
}

// Set when a write that was asked for failed.
static bool WriteFailed;

static void Require(bool done)
{
    if (!done)
        WriteFailed = true;
}

// Takes a New-menu entry aside whole into the record under root, or nothing
// of it: a part would come back at uninstall in place of whatever is there
// by then.
static bool KeepAside(HKEY root, const char* key, const char* saved)
{
    if (CopyRegTreeBetween(RootKey(ClassesRoot), key, root, saved))
        return true;
    SetRegistryRoot(root);
    RemoveRegTree(saved);
    SetRegistryRoot(HKEY_CLASSES_ROOT);
    return false;
}

// Keeps the extension's New-menu entry as it is now, whatever it holds: even
// one just like the archiver's belongs to the program that made it. Without
// one, an entry kept from an earlier owner is stale. False when the entry
// could not be kept whole, or the stale one not cleared.
static bool KeepShellNew(const ArchiveType& type, HKEY root)
{
    char key[80];
    char saved[96];
    if (!ShellNewKey(key, sizeof key, type) || !SavedShellNewKey(saved, sizeof saved, type))
        return false;
    if (RegKeyExists(key))
        return KeepAside(root, key, saved);
    SetRegistryRoot(root);
    bool cleared = RemoveRegTree(saved);
    SetRegistryRoot(HKEY_CLASSES_ROOT);
    return cleared;
}

// Keeps what the extension meant before, for any account's uninstall to
// give back; false when it could not be kept whole. The New-menu entry
// matters only where the template replaces it: shellNewKept tells whether
// that may happen.
static bool SavePreviousType(const ArchiveType& type, const char* previousType,
                             const char* previousContent, bool* shellNewKept)
{
    HKEY root = RootKey(SavedTypesRoot);
    char key[80];
    if (!ExtensionSettingsKey(key, sizeof key, type.extension))
        return false;
    *shellNewKept = KeepShellNew(type, root);
    SetRegistryRoot(root);
    // "Type" last: a record holds one only when it is whole.
    bool saved = WriteRegString(key, "Content", previousContent) &&
                 WriteRegString(key, "Type", previousType);
    SetRegistryRoot(HKEY_CLASSES_ROOT);
    return saved;
}

// Another program's New-menu entry made since the extension became the
// archiver's is kept aside, beside the record it belongs to, before the
// archiver's replaces it; false when it could not be kept whole.
static bool SaveForeignShellNew(const ArchiveType& type, const char* key)
{
    if (!RegKeyExists(key) || IsOwnShellNew(type))
        return true;
    HKEY root = SavedRecordRoot(type.extension);
    char saved[96];
    return SavedShellNewKey(saved, sizeof saved, type) &&
           KeepAside(root ? root : RootKey(SavedTypesRoot), key, saved);
}

static void WriteShellNew(const ArchiveType& type, const BYTE* data, DWORD size)
{
    char key[80];
    // An entry that could not be kept aside stays in place, in use.
    if (!ShellNewKey(key, sizeof key, type) || !SaveForeignShellNew(type, key))
        return;
    // Kept whole above, so nothing of it is lost; what resisted would mix
    // with the template.
    Require(RemoveRegTree(key) && WriteRegBinary(key, "Data", data, size));
}

static void Associate(const ArchiveType& type, bool shellIntegration)
{
    char previousType[512];
    char previousContent[512];
    // A value that could not be given back as it was (not a plain text, too
    // long, or not readable) leaves the extension alone.
    if (!ReadRegText(type.extension, "", previousType, sizeof previousType) ||
        !ReadRegText(type.extension, "Content Type", previousContent, sizeof previousContent))
        return;
    // Saving an own type would overwrite what an earlier run saved.
    bool shellNewKept = true;
    if (!IsOwnProgId(previousType) &&
        !SavePreviousType(type, previousType, previousContent, &shellNewKept)) {
        WriteFailed = true;
        return;
    }
    Require(WriteRegString(type.extension, "", type.progId) &&
            WriteRegString(type.extension, "Content Type", type.contentType));
    // Where the user's own choice outweighs the type, "Open with" still offers it.
    char openWith[48];
    if (TextFormat(openWith, sizeof openWith, "%s\\OpenWithProgids", type.extension))
        WriteRegString(openWith, type.progId, "");
    BYTE data[32];
    DWORD size = OwnTemplate(type, data, sizeof data);
    if (shellIntegration && size && shellNewKept)
        WriteShellNew(type, data, size);
}

static void WriteVolumeExtension(const char* extension)
{
    Require(WriteRegString(extension, "", ArchiveTypeTable[0].progId) &&
            WriteRegString(extension, "Content Type", ArchiveTypeTable[0].contentType));
}

static void WriteProgId(const ProgId& id, const char* command, const char* icon)
{
    char key[64];
    Require(WriteRegString(id.name, "", LoadText(id.description)));
    if (command[0] && TextFormat(key, sizeof key, "%s\\shell\\open\\command", id.name))
        Require(WriteRegString(key, "", command));
    if (icon[0] && TextFormat(key, sizeof key, "%s\\DefaultIcon", id.name))
        Require(WriteRegString(key, "", icon));
}

static void WriteProgIds()
{
    char archiver[MAX_PATH];
    char command[MAX_PATH];
    char icon[MAX_PATH];
    command[0] = 0;
    icon[0] = 0;
    // A folder too long for the paths leaves the commands unwritten rather
    // than pointing them at a cut path.
    if (InstallFilePath(archiver, sizeof archiver, "Lumbex.exe")) {
        if (!TextFormat(command, sizeof command, "\"%s\" \"%%1\"", archiver))
            command[0] = 0;
        if (!TextFormat(icon, sizeof icon, "%s,0", archiver))
            icon[0] = 0;
    }
    for (const ProgId& id : ProgIds)
        WriteProgId(id, command, icon);
}

// For Default apps: what the archiver opens, where the 64-bit shell reads it.
static void DeclareCapabilities(HWND dialog)
{
    SetNativeRegistryView(true);
    Require(WriteRegString(CapabilitiesKey, "ApplicationName", LoadText(IDS_DISPLAY_NAME)) &&
            WriteRegString(CapabilitiesKey, "ApplicationDescription", LoadText(IDS_ARCHIVE_TYPE)));
    for (const ArchiveType& type : ArchiveTypeTable)
        if (IsDlgButtonChecked(dialog, type.checkBox))
            Require(WriteRegString(FileAssociationsKey, type.extension, type.progId));
    Require(WriteRegString(RegisteredAppsKey, "Lumbex", CapabilitiesKey));
    SetNativeRegistryView(false);
}

bool WriteAssociations(HWND dialog)
{
    WriteFailed = false;
    bool shellIntegration = IsDlgButtonChecked(dialog, IDC_SHELLEXT) != 0;
    StoreChoices(dialog, IDC_KEZ, IDC_LZH);

    SetRegistryRoot(HKEY_CLASSES_ROOT);
    for (const ArchiveType& type : ArchiveTypeTable)
        if (IsDlgButtonChecked(dialog, type.checkBox))
            Associate(type, shellIntegration);
    if (IsDlgButtonChecked(dialog, IDC_KEZ))
        ForEachVolumeExtension(WriteVolumeExtension);
    WriteProgIds();
    DeclareCapabilities(dialog);
    return !WriteFailed;
}
