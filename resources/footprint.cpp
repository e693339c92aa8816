#include "footprint.h"

#include "resource.h"
#include "text.h"

#define WINDOWS_KEY "Software\\Microsoft\\Windows\\CurrentVersion\\"
#define SETTINGS_KEY "Software\\Lumbex\\Setup"
#define SERVER_KEY "CLSID\\" SHELL_EXTENSION_CLSID "\\InProcServer32"

const char ProductKey[] = "Software\\Lumbex";
const char SettingsKey[] = SETTINGS_KEY;
const char UninstallEntryKey[] = WINDOWS_KEY "Uninstall\\Lumbex archiver";
const char AppPathKey[] = WINDOWS_KEY "App Paths\\Lumbex.exe";
const char ApprovedKey[] = WINDOWS_KEY "Shell Extensions\\Approved";
const char CapabilitiesKey[] = "Software\\Lumbex\\Capabilities";
const char FileAssociationsKey[] = "Software\\Lumbex\\Capabilities\\FileAssociations";
const char RegisteredAppsKey[] = "Software\\RegisteredApplications";

HKEY UserClasses;

// Not the merged classes root: its writes land in the user's classes where
// those have the key, and its reads return the user's values first.
static HKEY MachineClasses;

HKEY ScopedRoot(HKEY root)
{
    if (UserClasses) {
        if (root == HKEY_CLASSES_ROOT)
            return UserClasses;
        if (root == HKEY_LOCAL_MACHINE)
            return HKEY_CURRENT_USER;
    } else if (root == HKEY_CLASSES_ROOT) {
        if (!MachineClasses)
            RegOpenKeyExA(HKEY_LOCAL_MACHINE, "Software\\Classes", 0, MAXIMUM_ALLOWED,
                          &MachineClasses);
        if (MachineClasses)
            return MachineClasses;
    }
    return root;
}

HKEY RootKey(FootprintRoot root)
{
    static const HKEY roots[] = {HKEY_CLASSES_ROOT, HKEY_LOCAL_MACHINE, HKEY_CURRENT_USER};
    return ScopedRoot(roots[root]);
}

bool ExtensionSettingsKey(char* key, size_t cap, const char* extension)
{
    return TextFormat(key, cap, "%s\\%s", SettingsKey, extension);
}

HKEY SavedRecordRoot(const char* extension)
{
    char key[80];
    if (!ExtensionSettingsKey(key, sizeof key, extension))
        return NULL;
    const HKEY roots[2] = {RootKey(SavedTypesRoot), HKEY_CURRENT_USER};
    for (HKEY root : roots) {
        HKEY opened;
        LONG status = RegOpenKeyExA(root, key, 0, KEY_QUERY_VALUE, &opened);
        if (status == ERROR_SUCCESS) {
            status = RegQueryValueExA(opened, "Type", NULL, NULL, NULL, NULL);
            RegCloseKey(opened);
        }
        // A record that cannot be looked at may well be there.
        if (status != ERROR_FILE_NOT_FOUND)
            return root;
    }
    return NULL;
}

const ArchiveType ArchiveTypeTable[ArchiveTypeCount] = {
    {".kez", IDC_KEZ, "Lumbex", "application/x-kez-compressed"},
    {".zip", IDC_ZIP, "Lumbex.ZIP", "application/x-compressed"},
    {".cab", IDC_CAB, "Lumbex", "application/x-compressed"},
    {".arj", IDC_ARJ, "Lumbex", "application/x-compressed"},
    {".lzh", IDC_LZH, "Lumbex", "application/x-compressed"},
};

const ProgId ProgIds[ProgIdCount] = {
    {"Lumbex", IDS_ARCHIVE_TYPE},
    {"Lumbex.ZIP", IDS_ZIP_TYPE},
};

bool IsOwnProgId(const char* type)
{
    for (const ProgId& id : ProgIds)
        if (TextEqualNoCase(type, id.name))
            return true;
    return false;
}

void ForEachVolumeExtension(void (*visit)(const char* extension))
{
    char extension[8];
    for (int n = 0; n < 20; n++)
        if (TextFormat(extension, sizeof extension, ".k%02d", n))
            visit(extension);
}

const ShellExtensionValue ShellExtensionValues[ShellExtensionValueCount] = {
    {"CLSID", "", "Lumbex", false, true},
    {SERVER_KEY, "", NULL, false, false},
    {SERVER_KEY, "ThreadingModel", "Apartment", false, false},
    {"Lumbex\\shellex\\ContextMenuHandlers", "", "", true, true},
    {"Lumbex\\shellex\\PropertySheetHandlers", "", "", true, true},
    {"Lumbex.ZIP\\shellex\\ContextMenuHandlers", "", "", true, true},
    {"Lumbex.ZIP\\shellex\\PropertySheetHandlers", "", "", true, true},
    {"exefile\\shellex\\PropertySheetHandlers", "", "", false, true},
    {"Lumbex\\shellex\\DropHandler", "", SHELL_EXTENSION_CLSID, true, false},
    {"Lumbex.ZIP\\shellex\\DropHandler", "", SHELL_EXTENSION_CLSID, true, false},
    {"*\\shellex\\ContextMenuHandlers\\Lumbex", "", SHELL_EXTENSION_CLSID, false, false},
    {"Folder\\shellex\\ContextMenuHandlers\\Lumbex", "", SHELL_EXTENSION_CLSID, false, false},
    {"Folder\\shellex\\DragDropHandlers\\Lumbex", "", SHELL_EXTENSION_CLSID, false, false},
    {"Drives\\shellex\\ContextMenuHandlers\\Lumbex", "", SHELL_EXTENSION_CLSID, false, false},
};

bool ShellExtensionKey(char* key, size_t cap, const ShellExtensionValue& value)
{
    return value.classNamed ? TextFormat(key, cap, "%s\\%s", value.key, SHELL_EXTENSION_CLSID)
                            : TextCopy(key, cap, value.key);
}

// The rows up to "ShellExt" are read first: its value decides whether the
// last two boxes may be changed.
const StoredChoice StoredChoices[StoredChoiceCount] = {
    {IDC_KEZ, SETTINGS_KEY "\\.kez", "Associated", 1},
    {IDC_ZIP, SETTINGS_KEY "\\.zip", "Associated", 1},
    {IDC_CAB, SETTINGS_KEY "\\.cab", "Associated", 1},
    {IDC_ARJ, SETTINGS_KEY "\\.arj", "Associated", 1},
    {IDC_LZH, SETTINGS_KEY "\\.lzh", "Associated", 1},
    {IDC_DESKTOP, SETTINGS_KEY "\\Links", "Desktop", 0},
    {IDC_STARTMENU, SETTINGS_KEY "\\Links", "StartMenu", 0},
    {IDC_PROGRAMS, SETTINGS_KEY "\\Links", "Programs", 1},
    {IDC_SHELLEXT, SettingsKey, "ShellExt", 1},
    {IDC_CASCADED, SettingsKey, "CascadedMenu", 0},
    {IDC_MENUICONS, SettingsKey, "MenuIcons", 1},
};

// "Lumbex95.exe": the archiver's name for the shell in an older version.
const RemovedItem RemovedItems[RemovedItemCount] = {
    {LocalMachine, UninstallEntryKey, NULL, DeleteKeyOnly},
    {LocalMachine, WINDOWS_KEY "App Paths\\Lumbex95.exe", NULL, DeleteKeyOnly},
    {LocalMachine, AppPathKey, NULL, DeleteKeyOnly},
    {LocalMachine, ApprovedKey, SHELL_EXTENSION_CLSID, DeleteOneValue},
    {SavedTypesRoot, SettingsKey, NULL, DeleteWhenEmpty},     // kept by a record not given back
    {SavedTypesRoot, ProductKey, NULL, DeleteWhenEmpty},
    {CurrentUser, ProductKey, NULL, DeleteWholeTree},
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

DWORD OwnTemplate(const ArchiveType& type, BYTE* out, DWORD cap)
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
    if (size > cap)
        return 0;
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
    if (!TextFormat(key, sizeof key, "%s\\ShellNew", type.extension) ||
        RegOpenKeyExA(RootKey(ClassesRoot), key, 0, KEY_QUERY_VALUE, &opened) != ERROR_SUCCESS)
        return false;
    BYTE own[32];
    DWORD ownSize = OwnTemplate(type, own, sizeof own);
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
