#include "driver/installed_state.h"

#include <shlobj.h>

#include "driver/lumbex_state.h"
#include "driver/sandbox.h"

namespace {

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
    SetRaw(root, key, name, REG_SZ, Sz(text));
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
    std::string kez = std::string(SettingsKey) + "\\.kez";
    Text(user, kez, "Type", "OldKez.Document");
    Text(user, kez, "Content", "application/x-oldkez");
    std::string one("\1\0\0\0", 4);
    SetRaw(user, kez, "Associated", REG_DWORD, one);
    SetRaw(user, SettingsKey, "Desktop", REG_DWORD, one);

    std::vector<std::string> types = VolumeExtensions();
    types.push_back(".kez");
    for (const std::string& type : types) {
        Text(classes, type, "", "Lumbex");
        Text(classes, type, "Content Type", "application/x-kez-compressed");
    }
    for (const char* id : {"Lumbex", "Lumbex.ZIP"}) {
        std::string key = id;
        Text(classes, key, "", key == "Lumbex" ? "Lumbex archive" : "Lumbex ZIP archive");
        Text(classes, key + "\\shell\\open\\command", "", "\"" + archiver + "\" \"%1\"");
        Text(classes, key + "\\DefaultIcon", "", archiver + ",0");
    }
    PlaceShellRegistration(folder);
}

void PlaceShellRegistration(const std::string& folder)
{
    for (const ShellExtensionValue& value : ShellExtensionValues)
        Text(HKEY_CLASSES_ROOT, ShellKey(value), value.name,
             value.data ? value.data : folder + "\\kezext.dll");
    HKEY machine = HKEY_LOCAL_MACHINE;
    Text(machine, UninstallEntryKey, "DisplayName", "Lumbex archiver");
    Text(machine, UninstallEntryKey, "UninstallString", "\"" + folder + "\\Uninstall.exe\"");
    Text(machine, AppPathKey, "", folder + "\\Lumbex.exe");
    Text(machine, AppPathKey, "Path", folder);
    Text(machine, ApprovedKey, SHELL_EXTENSION_CLSID, "Lumbex shell extension");
}
