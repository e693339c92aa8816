#include "driver/installed_state.h"

#include <shlobj.h>

#include "driver/sandbox.h"

namespace {

const char* const ClassId = "{3E9F6A12-B7C4-4D08-9E51-2A6CD40F83B7}";
const char* const UninstallKey =
    "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Lumbex archiver";
const char* const AppPathKey =
    "Software\\Microsoft\\Windows\\CurrentVersion\\App Paths\\Lumbex.exe";
const char* const ApprovedKey =
    "Software\\Microsoft\\Windows\\CurrentVersion\\Shell Extensions\\Approved";

struct Link {
    int folder;
    const char* name;
    const char* description;
};

const Link Links[] = {
    {CSIDL_DESKTOPDIRECTORY, "Lumbex.lnk", "desktop"},
    {CSIDL_STARTMENU, "Lumbex.lnk", "start menu"},
    {CSIDL_PROGRAMS, "Lumbex", "group"},
    {CSIDL_COMMON_PROGRAMS, "Lumbex", "common group"},
};

std::string LinkPath(const Link& link)
{
    return ShellFolderPath(link.folder) + "\\" + link.name;
}

void Text(HKEY root, const std::string& key, const std::string& name, const std::string& text)
{
    SetRaw(root, key, name, REG_SZ, text + std::string(1, '\0'));
}

std::string ClassKey()
{
    return std::string("CLSID\\") + ClassId;
}

// Handler keys below the classes root that the shell registration writes
// and the uninstaller removes.
std::vector<std::string> HandlerKeys()
{
    return {"*\\shellex\\ContextMenuHandlers\\Lumbex",
            "Folder\\shellex\\ContextMenuHandlers\\Lumbex",
            "Folder\\shellex\\DragDropHandlers\\Lumbex",
            "Drives\\shellex\\ContextMenuHandlers\\Lumbex",
            std::string("exefile\\shellex\\PropertySheetHandlers\\") + ClassId};
}

std::string Volume(int n)
{
    char name[8];
    wsprintfA(name, ".k%02d", n);
    return name;
}

}  // namespace

std::string ShellFolderPath(int csidl)
{
    char path[MAX_PATH];
    if (FAILED(SHGetFolderPathA(NULL, csidl | CSIDL_FLAG_CREATE, NULL, 0, path)))
        return std::string();
    return path;
}

void PlaceLinkStandIns()
{
    for (const Link& link : Links) {
        std::string path = LinkPath(link);
        if (std::string(link.name) == "Lumbex.lnk") {
            WriteBytes(path, "stand-in shortcut");
            continue;
        }
        CreateDirectoryA(path.c_str(), NULL);
        WriteBytes(path + "\\Lumbex.lnk", "stand-in shortcut");
        WriteBytes(path + "\\Lumbex help.lnk", "stand-in shortcut");
        WriteBytes(path + "\\Console KEZ manual.lnk", "stand-in shortcut");
    }
}

std::vector<std::string> PresentLinks()
{
    std::vector<std::string> present;
    for (const Link& link : Links)
        if (Exists(LinkPath(link)))
            present.push_back(link.description);
    return present;
}

void RemoveLinkStandIns()
{
    for (const Link& link : Links)
        RemoveTree(LinkPath(link));
}

void PlaceSetupRegistry(const std::string& folder)
{
    std::string archiver = folder + "\\Lumbex.exe";
    HKEY user = HKEY_CURRENT_USER;
    HKEY classes = HKEY_CLASSES_ROOT;
    HKEY machine = HKEY_LOCAL_MACHINE;
    Text(user, "Software\\Lumbex\\Setup\\.kez", "Type", "OldKez.Document");
    Text(user, "Software\\Lumbex\\Setup\\.kez", "Content", "application/x-oldkez");
    std::string one("\1\0\0\0", 4);
    SetRaw(user, "Software\\Lumbex\\Setup\\.kez", "Associated", REG_DWORD, one);
    SetRaw(user, "Software\\Lumbex\\Setup", "Desktop", REG_DWORD, one);

    Text(classes, ".kez", "", "Lumbex");
    Text(classes, ".kez", "Content Type", "application/x-kez-compressed");
    for (int n = 0; n < 20; n++) {
        Text(classes, Volume(n), "", "Lumbex");
        Text(classes, Volume(n), "Content Type", "application/x-kez-compressed");
    }
    for (const char* progId : {"Lumbex", "Lumbex.ZIP"}) {
        std::string id = progId;
        Text(classes, id, "", id == "Lumbex" ? "Lumbex archive" : "Lumbex ZIP archive");
        Text(classes, id + "\\shell\\open\\command", "", "\"" + archiver + "\" \"%1\"");
        Text(classes, id + "\\DefaultIcon", "", archiver + ",0");
        Text(classes, id + "\\shellex\\ContextMenuHandlers\\" + ClassId, "", "");
        Text(classes, id + "\\shellex\\DropHandler", "", ClassId);
    }
    Text(classes, ClassKey(), "", "Lumbex");
    Text(classes, ClassKey() + "\\InProcServer32", "", folder + "\\kezext.dll");
    Text(classes, ClassKey() + "\\InProcServer32", "ThreadingModel", "Apartment");
    for (const std::string& key : HandlerKeys())
        Text(classes, key, "", key.find("exefile") == 0 ? "" : ClassId);

    Text(machine, UninstallKey, "DisplayName", "Lumbex archiver");
    Text(machine, UninstallKey, "UninstallString", "\"" + folder + "\\Uninstall.exe\"");
    Text(machine, AppPathKey, "", archiver);
    Text(machine, AppPathKey, "Path", folder);
    Text(machine, ApprovedKey, ClassId, "Lumbex shell extension");
}

std::vector<std::string> PresentSetupRegistry()
{
    std::vector<std::string> present;
    auto key = [&](HKEY root, const std::string& path, const char* rootName) {
        if (KeyExists(root, path))
            present.push_back(std::string(rootName) + "\\" + path);
    };
    key(HKEY_CURRENT_USER, "Software\\Lumbex", "HKCU");
    key(HKEY_CLASSES_ROOT, "Lumbex", "HKCR");
    key(HKEY_CLASSES_ROOT, "Lumbex.ZIP", "HKCR");
    for (int n = 0; n < 20; n++)
        key(HKEY_CLASSES_ROOT, Volume(n), "HKCR");
    key(HKEY_CLASSES_ROOT, ClassKey(), "HKCR");
    for (const std::string& handler : HandlerKeys())
        key(HKEY_CLASSES_ROOT, handler, "HKCR");
    key(HKEY_LOCAL_MACHINE, UninstallKey, "HKLM");
    key(HKEY_LOCAL_MACHINE, AppPathKey, "HKLM");
    if (ValueExists(HKEY_LOCAL_MACHINE, ApprovedKey, ClassId))
        present.push_back(std::string("HKLM\\") + ApprovedKey + "\\" + ClassId);
    return present;
}

void RemoveSetupRegistry()
{
    DeleteTree(HKEY_CURRENT_USER, "Software\\Lumbex");
    for (const char* key : {"Lumbex", "Lumbex.ZIP", ".kez"})
        DeleteTree(HKEY_CLASSES_ROOT, key);
    for (int n = 0; n < 20; n++)
        DeleteTree(HKEY_CLASSES_ROOT, Volume(n));
    DeleteTree(HKEY_CLASSES_ROOT, ClassKey());
    for (const std::string& handler : HandlerKeys()) {
        DeleteTree(HKEY_CLASSES_ROOT, handler);
        DeleteEmptyKeys(HKEY_CLASSES_ROOT, handler);    // "Drives\shellex", ...
    }
    DeleteTree(HKEY_LOCAL_MACHINE, UninstallKey);
    DeleteTree(HKEY_LOCAL_MACHINE, AppPathKey);
    DeleteValue(HKEY_LOCAL_MACHINE, ApprovedKey, ClassId);
}
