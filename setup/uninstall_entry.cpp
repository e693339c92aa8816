#include "setup.h"

#include "../registry/registry.h"
#include "../resources/footprint.h"
#include "../resources/path_forms.h"
#include "../resources/resource.h"
#include "../resources/text.h"
#include "../resources/list_line.h"


static unsigned long long FileBytes(const char* path)
{
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (!GetFileAttributesExA(path, GetFileExInfoStandard, &data) ||
        (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
        return 0;
    return ((unsigned long long)data.nFileSizeHigh << 32) | data.nFileSizeLow;
}

// What the uninstaller removes, in KiB rounded up: the files that
// "Uninstall.lst" names, and the tool itself.
static DWORD EstimatedSize(const char* own)
{
    unsigned long long bytes = FileBytes(own);
    char folder[MAX_PATH];
    char path[MAX_PATH];
    ListSource list;
    if (GetInstallFolder(folder, sizeof folder) && AppendBackslash(folder, sizeof folder) &&
        TextFormat(path, sizeof path, "%s%s", folder, "Uninstall.lst") &&
        OpenListFile(path, &list)) {
        char line[ListLineCapacity];
        while (ReadListEntry(&list, line, sizeof line))
            if (TextFormat(path, sizeof path, "%s%s", folder, line))
                bytes += FileBytes(path);
        CloseListFile(&list);
    }
    unsigned long long kib = (bytes + 1023) / 1024;
    return kib > 0xFFFFFFFFull ? 0xFFFFFFFFu : (DWORD)kib;
}

typedef DWORD(WINAPI* VersionSizeFunction)(LPCSTR, LPDWORD);
typedef BOOL(WINAPI* VersionInfoFunction)(LPCSTR, DWORD, DWORD, LPVOID);
typedef BOOL(WINAPI* VersionQueryFunction)(LPCVOID, LPCSTR, LPVOID*, PUINT);

// The product version in the archiver's version resource, as
// "major.minor.build.revision"; false when it has none.
static bool ArchiverVersion(const char* archiver, char* version, size_t cap)
{
    // Not imported: the system loads only its known libraries from its own
    // folder whatever the search order, and this is none of them.
    HMODULE library = LoadSystemLibrary("version.dll");
    if (!library)
        return false;
    VersionSizeFunction size =
        (VersionSizeFunction)(void*)GetProcAddress(library, "GetFileVersionInfoSizeA");
    VersionInfoFunction info =
        (VersionInfoFunction)(void*)GetProcAddress(library, "GetFileVersionInfoA");
    VersionQueryFunction query =
        (VersionQueryFunction)(void*)GetProcAddress(library, "VerQueryValueA");
    // Kept out of the stack: every frame of the tool stays below a page.
    static BYTE data[8192];
    DWORD handle = 0;
    DWORD length = size && info && query ? size(archiver, &handle) : 0;
    VS_FIXEDFILEINFO* fixed = NULL;
    UINT fixedLength = 0;
    bool found = length > 0 && length <= sizeof data && info(archiver, 0, length, data) &&
                 query(data, "\\", (LPVOID*)&fixed, &fixedLength) && fixed &&
                 fixedLength >= sizeof *fixed && fixed->dwSignature == 0xFEEF04BD &&
                 TextFormat(version, cap, "%u.%u.%u.%u", HIWORD(fixed->dwProductVersionMS),
                            LOWORD(fixed->dwProductVersionMS),
                            HIWORD(fixed->dwProductVersionLS), LOWORD(fixed->dwProductVersionLS));
    FreeLibrary(library);
    return found;
}

// The entry in the list of installed programs. The commands are this
// executable, quoted: unquoted, a path with blanks lets the system start
// C:\Program.exe instead. A path that does not fit is left out, never cut.
// Written when the entry shows and both commands are there.
bool WriteUninstallEntry()
{
    bool written = WriteRegString(UninstallEntryKey, "DisplayName", LoadText(IDS_DISPLAY_NAME));
    WriteRegString(UninstallEntryKey, "Publisher", "Lumbex");
    WriteRegString(UninstallEntryKey, "URLInfoAbout", HomePage);
    WriteRegDword(UninstallEntryKey, "NoModify", 1);
    WriteRegDword(UninstallEntryKey, "NoRepair", 1);

    char own[MAX_PATH];
    char command[512];
    if (!OwnExecutablePath(own, sizeof own))
        return false;
    if (!TextFormat(command, sizeof command, "\"%s\"", own) ||
        !WriteRegString(UninstallEntryKey, "UninstallString", command))
        written = false;
    if (!TextFormat(command, sizeof command, "\"%s\" /uninstall /s", own) ||
        !WriteRegString(UninstallEntryKey, "QuietUninstallString", command))
        written = false;
    WriteRegDword(UninstallEntryKey, "EstimatedSize", EstimatedSize(own));

    char folder[MAX_PATH];
    if (GetInstallFolder(folder, sizeof folder))
        WriteRegString(UninstallEntryKey, "InstallLocation", folder);
    char archiver[MAX_PATH];
    char version[64];
    if (InstallFilePath(archiver, sizeof archiver, "Lumbex.exe")) {
        if (TextFormat(command, sizeof command, "%s,0", archiver))
            WriteRegString(UninstallEntryKey, "DisplayIcon", command);
        if (ArchiverVersion(archiver, version, sizeof version))
            WriteRegString(UninstallEntryKey, "DisplayVersion", version);
        else
            DeleteRegValue(UninstallEntryKey, "DisplayVersion");
    }
    return written;
}
