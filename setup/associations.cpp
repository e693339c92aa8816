#include "setup.h"

#include "../registry/registry.h"
#include "../resources/resource.h"
#include "../resources/text.h"

const ArchiveType ArchiveTypeTable[ArchiveTypeCount] = {
    {".kez", IDC_KEZ, "Lumbex", "application/x-kez-compressed"},
    {".zip", IDC_ZIP, "Lumbex.ZIP", "application/x-compressed"},
    {".cab", IDC_CAB, "Lumbex", "application/x-compressed"},
    {".arj", IDC_ARJ, "Lumbex", "application/x-compressed"},
    {".lzh", IDC_LZH, "Lumbex", "application/x-compressed"},
};

// Empty archives for the shell's New menu. Stored with the first byte zero,
// so that the executable never holds an archive signature whole.
static const BYTE KezTemplate[20] = {
    0x00, 0x65, 0x7A, 0x21, 0x1A, 0x07, 0x00,   // signature
    0xCF, 0x90,                                 // header check: CRC-32 of bytes 9-19
    0x73, 0x00, 0x00, 0x0D, 0x00,               // main header: type, flags, size
    0x00, 0x00, 0x00, 0x00, 0x00, 0x00,
};
static const BYTE ZipTemplate[22] = {0x00, 0x4B, 0x05, 0x06};  // end of central directory

bool IsOwnProgId(const char* type)
{
    return TextEqualNoCase(type, "Lumbex") || TextEqualNoCase(type, "Lumbex.ZIP");
}

static bool SettingsKey(char* key, size_t cap, const ArchiveType& type)
{
    return TextFormat(key, cap, "Software\\Lumbex\\Setup\\%s", type.extension);
}

static bool SavedShellNewKey(char* key, size_t cap, const ArchiveType& type)
{
    return SettingsKey(key, cap, type) && TextAppend(key, cap, "\\ShellNew");
}

static bool ShellNewKey(char* key, size_t cap, const ArchiveType& type)
{
    return TextFormat(key, cap, "%s\\ShellNew", type.extension);
}

// The working copy of the type's template, its first byte put in; 0 bytes
// for a type without one.
static DWORD OwnTemplate(const ArchiveType& type, BYTE* out)
{
    const BYTE* stored = NULL;
    DWORD size = 0;
    BYTE first = 0;
    if (type.checkBox == IDC_KEZ) {
        stored = KezTemplate;
        size = sizeof KezTemplate;
        first = 0x4B;
    } else if (type.checkBox == IDC_ZIP) {
        stored = ZipTemplate;
        size = sizeof ZipTemplate;
        first = 0x50;
    }
    for (DWORD i = 0; i < size; i++)
        out[i] = stored[i];
    if (size)
        out[0] = first;
    return size;
}

bool IsOwnShellNew(const ArchiveType& type)
{
    char key[80];
    HKEY opened;
    if (!ShellNewKey(key, sizeof key, type) ||
        RegOpenKeyExA(HKEY_CLASSES_ROOT, key, 0, KEY_QUERY_VALUE, &opened) != ERROR_SUCCESS)
        return false;
    BYTE own[32];
    DWORD ownSize = OwnTemplate(type, own);
    DWORD subkeys = 1;
    DWORD values = 0;
    BYTE data[32];
    DWORD size = sizeof data;
    DWORD kind = REG_NONE;
    bool same = RegQueryInfoKeyA(opened, NULL, NULL, NULL, &subkeys, NULL, NULL, &values, NULL,
                                 NULL, NULL, NULL) == ERROR_SUCCESS &&
                subkeys == 0 && values == 1 &&
                RegQueryValueExA(opened, "Data", NULL, &kind, data, &size) == ERROR_SUCCESS &&
                kind == REG_BINARY && ownSize != 0 && size == ownSize;
    for (DWORD i = 0; same && i < size; i++)
        same = data[i] == own[i];
    RegCloseKey(opened);
    return same;
}

// Takes a New-menu entry aside whole, or nothing of it: a part would come
// back at uninstall in place of whatever is there by then.
static bool KeepAside(const char* key, const char* saved)
{
    if (CopyRegTreeBetween(HKEY_CLASSES_ROOT, key, HKEY_CURRENT_USER, saved) == 1)
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
    if (!SettingsKey(key, sizeof key, type))
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

static void Associate(const ArchiveType& type, bool shellIntegration)
{
    bool shellNewKept;
    if (!SavePreviousType(type, &shellNewKept))
        return;
    WriteRegString(type.extension, "", type.progId);
    WriteRegString(type.extension, "Content Type", type.contentType);
    BYTE data[32];
    DWORD size = OwnTemplate(type, data);
    // An entry that could not be kept aside stays in place, in use.
    if (shellIntegration && size && shellNewKept)
        WriteShellNew(type, data, size);
}

static void WriteVolumeExtensions()
{
    char key[8];
    for (int n = 0; n < 20; n++) {
        TextFormat(key, sizeof key, ".k%02d", n);
        WriteRegString(key, "", "Lumbex");
        WriteRegString(key, "Content Type", "application/x-kez-compressed");
    }
}

static void WriteProgId(const char* progId, int description, const char* command,
                        const char* icon)
{
    char key[64];
    WriteRegString(progId, "", LoadText(description));
    if (command[0] && TextFormat(key, sizeof key, "%s\\shell\\open\\command", progId))
        WriteRegString(key, "", command);
    if (icon[0] && TextFormat(key, sizeof key, "%s\\DefaultIcon", progId))
        WriteRegString(key, "", icon);
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
    WriteProgId("Lumbex", IDS_ARCHIVE_TYPE, command, icon);
    WriteProgId("Lumbex.ZIP", IDS_ZIP_TYPE, command, icon);
}

void WriteAssociations(HWND dialog)
{
    bool shellIntegration = IsDlgButtonChecked(dialog, IDC_SHELLEXT) != 0;

    char key[80];
    SetRegistryRoot(HKEY_CURRENT_USER);
    for (const ArchiveType& type : ArchiveTypeTable)
        if (SettingsKey(key, sizeof key, type))
            WriteRegDword(key, "Associated", IsDlgButtonChecked(dialog, type.checkBox));

    SetRegistryRoot(HKEY_CLASSES_ROOT);
    for (const ArchiveType& type : ArchiveTypeTable)
        if (IsDlgButtonChecked(dialog, type.checkBox))
            Associate(type, shellIntegration);
    if (IsDlgButtonChecked(dialog, IDC_KEZ))
        WriteVolumeExtensions();
    WriteProgIds();
}
