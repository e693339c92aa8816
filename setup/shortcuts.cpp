#include "setup.h"

#include <shlobj.h>

#include "../resources/footprint.h"
#include "../resources/process.h"
#include "../registry/registry.h"
#include "../resources/path_forms.h"
#include "../resources/resource.h"
#include "../resources/text.h"

char ProgramGroupPath[MAX_PATH];

struct GroupItem {
    const char* linkName;
    const char* target;         // a file in the install folder
};

static const char Description[] = "Lumbex";

// Fills folder with a special folder's path and a closing backslash; false,
// and nothing to build on, when the folder cannot be found.
static bool SpecialFolderPath(HWND owner, IMalloc* allocator, int csidl, char* folder)
{
    folder[0] = 0;
    if (!allocator)
        return false;
    LPITEMIDLIST items = NULL;
    if (SHGetSpecialFolderLocation(owner, csidl, &items) != NOERROR || !items)
        return false;
    bool found = ItemIdListPath(items, folder, MAX_PATH);
    allocator->Free(items);
    if (!found || !AppendBackslash(folder, MAX_PATH)) {
        folder[0] = 0;
        return false;
    }
    return true;
}

// A link whose path or target was cut to fit is never saved.
static void LinkInFolder(const char* folder, const char* linkName, const char* target)
{
    char link[MAX_PATH];
    if (TextCopy(link, sizeof link, folder) && TextAppend(link, sizeof link, linkName) &&
        TextAppend(link, sizeof link, ".lnk"))
        CreateShortcut(target, link, Description);
}

static void SingleLink(HWND dialog, IMalloc* allocator, int csidl, const char* archiver)
{
    char folder[MAX_PATH];
    if (archiver[0] && SpecialFolderPath(dialog, allocator, csidl, folder))
        LinkInFolder(folder, "Lumbex", archiver);
}

// Makes the group folder "Lumbex" with its three shortcuts; group receives
// the folder's path, or stays empty when there is none.
static void ProgramGroup(HWND dialog, IMalloc* allocator, int csidl, const GroupItem* items,
                         int count, char* group)
{
    if (!SpecialFolderPath(dialog, allocator, csidl, group))
        return;
    if (!TextAppend(group, MAX_PATH, "Lumbex")) {
        group[0] = 0;
        return;
    }
    CreateDirectoryA(group, NULL);
    Changed();
    char folder[MAX_PATH];
    if (!TextCopy(folder, sizeof folder, group) || !AppendBackslash(folder, sizeof folder))
        return;
    for (int i = 0; i < count; i++) {
        char target[MAX_PATH];
        if (InstallFilePath(target, sizeof target, items[i].target))
            LinkInFolder(folder, items[i].linkName, target);
    }
}

bool CreateShortcut(const char* target, const char* linkPath, const char* description)
{
    OleInitialize(NULL);
    IShellLinkA* link = NULL;
    HRESULT result = CoCreateInstance(CLSID_ShellLink, NULL, CLSCTX_INPROC_SERVER,
                                      IID_IShellLinkA, (void**)&link);
    if (SUCCEEDED(result)) {
        // A link without its target is of no use: nothing is saved then.
        result = link->SetPath(target);
        link->SetDescription(description);
        IPersistFile* file = NULL;
        if (SUCCEEDED(result))
            result = link->QueryInterface(IID_IPersistFile, (void**)&file);
        if (SUCCEEDED(result)) {
            WCHAR widePath[MAX_PATH];
            if (MultiByteToWideChar(CP_ACP, 0, linkPath, -1, widePath, MAX_PATH))
            {
                result = file->Save(widePath, TRUE);
                Changed();
            }
            else
                result = HRESULT_FROM_WIN32(GetLastError());
            file->Release();
        }
        link->Release();
    }
    OleUninitialize();
    return SUCCEEDED(result);
}

void CreateLinks(HWND dialog)
{
    ProgramGroupPath[0] = 0;
    char archiver[MAX_PATH];
    if (!InstallFilePath(archiver, sizeof archiver, "Lumbex.exe"))
        archiver[0] = 0;
    IMalloc* allocator = NULL;
    if (SHGetMalloc(&allocator) != NOERROR)
        allocator = NULL;

    StoreChoices(dialog, IDC_DESKTOP, IDC_MENUICONS);

    if (IsDlgButtonChecked(dialog, IDC_DESKTOP))
        SingleLink(dialog, allocator, CSIDL_DESKTOPDIRECTORY, archiver);
    if (IsDlgButtonChecked(dialog, IDC_STARTMENU))
        SingleLink(dialog, allocator, CSIDL_STARTMENU, archiver);
    if (!IsDlgButtonChecked(dialog, IDC_PROGRAMS))
        return;

    // Loaded once; the text ring keeps both through the calls below.
    const GroupItem items[] = {
        {"Lumbex", "Lumbex.exe"},
        {LoadText(IDS_HELP_LINK), "Lumbex.hlp"},
        {LoadText(IDS_MANUAL_LINK), "Kez.txt"},
    };
    ProgramGroup(dialog, allocator, CSIDL_PROGRAMS, items, 3, ProgramGroupPath);
    // The group for all users is the machine's, as the registration is.
    if (PlatformId == PlatformNt && !UserClasses) {
        char common[MAX_PATH];
        ProgramGroup(dialog, allocator, CSIDL_COMMON_PROGRAMS, items, 3, common);
    }
}
