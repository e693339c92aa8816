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

// Keeps what the extension meant before, for the uninstaller to give back.
static void SavePreviousType(const ArchiveType& type)
{
    char previousType[512];
    char previousContent[512];
    ReadRegString(type.extension, "", previousType, "", sizeof previousType);
    ReadRegString(type.extension, "Content Type", previousContent, "", sizeof previousContent);
    // Saving an own type would overwrite what an earlier run saved.
    if (IsOwnProgId(previousType))
        return;
    char key[80];
    if (!SettingsKey(key, sizeof key, type))
        return;
    SetRegistryRoot(HKEY_CURRENT_USER);
    WriteRegString(key, "Type", previousType);
    WriteRegString(key, "Content", previousContent);
    SetRegistryRoot(HKEY_CLASSES_ROOT);
}

static void WriteShellNew(const ArchiveType& type, const BYTE* data, DWORD size)
{
    char key[80];
    if (!TextFormat(key, sizeof key, "%s\\ShellNew", type.extension))
        return;
    DeleteRegKey(key);
    WriteRegBinary(key, "Data", data, size);
}

static void Associate(const ArchiveType& type, bool shellIntegration, const BYTE* kez,
                      const BYTE* zip)
{
    SavePreviousType(type);
    WriteRegString(type.extension, "", type.progId);
    WriteRegString(type.extension, "Content Type", type.contentType);
    if (!shellIntegration)
        return;
    if (type.checkBox == IDC_KEZ)
        WriteShellNew(type, kez, sizeof KezTemplate);
    else if (type.checkBox == IDC_ZIP)
        WriteShellNew(type, zip, sizeof ZipTemplate);
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
    DWORD length = GetCurrentDirectoryA(sizeof archiver, archiver);
    if (length > 0 && length < sizeof archiver && AppendBackslash(archiver, sizeof archiver) &&
        TextAppend(archiver, sizeof archiver, "Lumbex.exe")) {
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
    BYTE kez[sizeof KezTemplate];
    BYTE zip[sizeof ZipTemplate];
    for (DWORD i = 0; i < sizeof kez; i++)
        kez[i] = KezTemplate[i];
    for (DWORD i = 0; i < sizeof zip; i++)
        zip[i] = ZipTemplate[i];
    kez[0] = 0x4B;
    zip[0] = 0x50;
    bool shellIntegration = IsDlgButtonChecked(dialog, IDC_SHELLEXT) != 0;

    char key[80];
    SetRegistryRoot(HKEY_CURRENT_USER);
    for (const ArchiveType& type : ArchiveTypeTable)
        if (SettingsKey(key, sizeof key, type))
            WriteRegDword(key, "Associated", IsDlgButtonChecked(dialog, type.checkBox));

    SetRegistryRoot(HKEY_CLASSES_ROOT);
    for (const ArchiveType& type : ArchiveTypeTable)
        if (IsDlgButtonChecked(dialog, type.checkBox))
            Associate(type, shellIntegration, kez, zip);
    if (IsDlgButtonChecked(dialog, IDC_KEZ))
        WriteVolumeExtensions();
    WriteProgIds();
}
