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

// Takes a New-menu entry aside whole, or nothing of it: a part would come
// back at uninstall in place of whatever is there by then.
static bool KeepAside(const char* key, const char* saved)
{
    if (CopyRegTreeBetween(HKEY_CLASSES_ROOT, key, HKEY_CURRENT_USER, saved))
        return true;
    SetRegistryRoot(HKEY_CURRENT_USER);
    RemoveRegTree(saved);
    SetRegistryRoot(HKEY_CLASSES_ROOT);
    return false;
}

// Keeps the extension's New-menu entry as it is now, whatever it holds: even
// one just like the archiver's belongs to the program that made it. Without
// one, an entry kept from an earlier owner is stale. False when the entry
// could not be kept whole.
static bool KeepShellNew(const ArchiveType& type)
{
    char key[80];
    char saved[96];
    if (!ShellNewKey(key, sizeof key, type) || !SavedShellNewKey(saved, sizeof saved, type))
        return false;
    if (RegKeyExists(key))
        return KeepAside(key, saved);
    SetRegistryRoot(HKEY_CURRENT_USER);
    RemoveRegTree(saved);
    SetRegistryRoot(HKEY_CLASSES_ROOT);
    return true;
}

// Keeps what the extension meant before, for the uninstaller to give back.
// False when that cannot be kept: the extension is then left alone. The
// New-menu entry matters only where the template replaces it: shellNewKept
// tells whether that may happen.
static bool SavePreviousType(const ArchiveType& type, bool* shellNewKept)
{
    *shellNewKept = true;
    char previousType[512];
    char previousContent[512];
    // A value that could not be given back as it was (not a plain text, too
    // long, or not readable) leaves the extension alone.
    if (!ReadRegText(type.extension, "", previousType, sizeof previousType) ||
        !ReadRegText(type.extension, "Content Type", previousContent, sizeof previousContent))
        return false;
    // Saving an own type would overwrite what an earlier run saved.
    if (IsOwnProgId(previousType))
        return true;
    char key[80];
    if (!ExtensionSettingsKey(key, sizeof key, type.extension))
        return false;
    *shellNewKept = KeepShellNew(type);
    SetRegistryRoot(HKEY_CURRENT_USER);
    WriteRegString(key, "Type", previousType);
    WriteRegString(key, "Content", previousContent);
    SetRegistryRoot(HKEY_CLASSES_ROOT);
    return true;
}

// Another program's New-menu entry made since the extension became the
// archiver's is kept aside before the archiver's replaces it; false when it
// could not be kept whole.
static bool SaveForeignShellNew(const ArchiveType& type, const char* key)
{
    if (!RegKeyExists(key) || IsOwnShellNew(type))
        return true;
    char saved[96];
    return SavedShellNewKey(saved, sizeof saved, type) && KeepAside(key, saved);
}

static void WriteShellNew(const ArchiveType& type, const BYTE* data, DWORD size)
{
    char key[80];
    if (!ShellNewKey(key, sizeof key, type) || !SaveForeignShellNew(type, key))
        return;
    RemoveRegTree(key);         // kept whole above, so nothing of it is lost
    WriteRegBinary(key, "Data", data, size);
}

// False when the extension could not be written; one left alone on purpose
// is no failure.
static bool Associate(const ArchiveType& type, bool shellIntegration)
{
    bool shellNewKept;
    if (!SavePreviousType(type, &shellNewKept))
        return true;
    bool written = WriteRegString(type.extension, "", type.progId) &&
                   WriteRegString(type.extension, "Content Type", type.contentType);
    BYTE data[32];
    DWORD size = OwnTemplate(type, data, sizeof data);
    // An entry that could not be kept aside stays in place, in use.
    if (shellIntegration && size && shellNewKept)
        WriteShellNew(type, data, size);
    return written;
}

static void WriteVolumeExtension(const char* extension)
{
    WriteRegString(extension, "", ArchiveTypeTable[0].progId);
    WriteRegString(extension, "Content Type", ArchiveTypeTable[0].contentType);
}

static bool WriteProgId(const ProgId& id, const char* command, const char* icon)
{
    char key[64];
    bool written = WriteRegString(id.name, "", LoadText(id.description));
    if (command[0] && TextFormat(key, sizeof key, "%s\\shell\\open\\command", id.name))
        written = WriteRegString(key, "", command) && written;
    if (icon[0] && TextFormat(key, sizeof key, "%s\\DefaultIcon", id.name))
        written = WriteRegString(key, "", icon) && written;
    return written;
}

static bool WriteProgIds()
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
    bool written = true;
    for (const ProgId& id : ProgIds)
        written = WriteProgId(id, command, icon) && written;
    return written;
}

bool WriteAssociations(HWND dialog)
{
    bool shellIntegration = IsDlgButtonChecked(dialog, IDC_SHELLEXT) != 0;
    StoreChoices(dialog, IDC_KEZ, IDC_LZH);

    SetRegistryRoot(HKEY_CLASSES_ROOT);
    bool written = true;
    for (const ArchiveType& type : ArchiveTypeTable)
        if (IsDlgButtonChecked(dialog, type.checkBox))
            written = Associate(type, shellIntegration) && written;
    if (IsDlgButtonChecked(dialog, IDC_KEZ))
        ForEachVolumeExtension(WriteVolumeExtension);
    return WriteProgIds() && written;
}
