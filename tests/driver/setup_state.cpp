#include "driver/setup_state.h"

#include <shlobj.h>

#include "driver/sandbox.h"

bool PlaceProduct(const std::string& fixtures, const std::string& folder)
{
    bool all = true;
    for (const char* name : {"Lumbex.exe", "kezext.dll", "license.txt", "register.frm"})
        all = CopyFileA((fixtures + "\\product\\" + name).c_str(),
                        (folder + "\\" + name).c_str(), FALSE) &&
              all;
    return all;
}

std::vector<std::string> RecordedCommandLines(const std::string& executable)
{
    std::string log = executable.substr(0, executable.size() - 4) + ".log";
    std::string bytes = ReadBytes(log);
    std::vector<std::string> lines;
    size_t start = 0;
    for (size_t end; (end = bytes.find("\r\n", start)) != std::string::npos; start = end + 2)
        lines.push_back(bytes.substr(start, end - start));
    return lines;
}

namespace {

const char* ExtensionClass = "{3E9F6A12-B7C4-4D08-9E51-2A6CD40F83B7}";

void DeleteValue(HKEY root, const std::string& path, const std::string& name)
{
    HKEY key;
    if (RegOpenKeyExA(root, path.c_str(), 0, KEY_WRITE, &key) != ERROR_SUCCESS)
        return;
    RegDeleteValueA(key, name.c_str());
    RegCloseKey(key);
}

}  // namespace

void ForgetSetup()
{
    DeleteTree(HKEY_CURRENT_USER, "Software\\Lumbex");
    for (const char* type : {".kez", ".zip", ".cab", ".arj", ".lzh", "Lumbex", "Lumbex.ZIP"})
        DeleteTree(HKEY_CLASSES_ROOT, type);
    for (int n = 0; n < 20; n++) {
        char volume[8];
        wsprintfA(volume, ".k%02d", n);
        DeleteTree(HKEY_CLASSES_ROOT, volume);
    }
    std::string id = ExtensionClass;
    DeleteTree(HKEY_CLASSES_ROOT, "CLSID\\" + id);
    DeleteTree(HKEY_CLASSES_ROOT, "exefile\\shellex\\PropertySheetHandlers\\" + id);
    DeleteTree(HKEY_CLASSES_ROOT, "*\\shellex\\ContextMenuHandlers\\Lumbex");
    DeleteTree(HKEY_CLASSES_ROOT, "Folder\\shellex\\ContextMenuHandlers\\Lumbex");
    DeleteTree(HKEY_CLASSES_ROOT, "Folder\\shellex\\DragDropHandlers\\Lumbex");
    DeleteTree(HKEY_CLASSES_ROOT, "Drives\\shellex\\ContextMenuHandlers\\Lumbex");
    std::string windows = "Software\\Microsoft\\Windows\\CurrentVersion\\";
    DeleteTree(HKEY_LOCAL_MACHINE, windows + "Uninstall\\Lumbex archiver");
    DeleteTree(HKEY_LOCAL_MACHINE, windows + "App Paths\\Lumbex.exe");
    DeleteValue(HKEY_LOCAL_MACHINE, windows + "Shell Extensions\\Approved", id);

    for (int csidl : {CSIDL_DESKTOPDIRECTORY, CSIDL_STARTMENU}) {
        std::string folder = SpecialFolder(csidl);
        if (!folder.empty())
            DeleteFileA((folder + "\\Lumbex.lnk").c_str());
    }
    for (int csidl : {CSIDL_PROGRAMS, CSIDL_COMMON_PROGRAMS}) {
        std::string folder = SpecialFolder(csidl);
        if (!folder.empty())
            RemoveTree(folder + "\\Lumbex");
    }
}

std::string SpecialFolder(int csidl)
{
    char path[MAX_PATH];
    if (SHGetFolderPathA(NULL, csidl, NULL, SHGFP_TYPE_CURRENT, path) != S_OK)
        return std::string();
    return path;
}

Shortcut ReadShortcut(const std::string& linkPath)
{
    Shortcut shortcut = {false, std::string(), std::string(), std::string()};
    HRESULT initialised = CoInitialize(NULL);
    IShellLinkA* link = NULL;
    if (SUCCEEDED(CoCreateInstance(CLSID_ShellLink, NULL, CLSCTX_INPROC_SERVER, IID_IShellLinkA,
                                   (void**)&link))) {
        IPersistFile* file = NULL;
        if (SUCCEEDED(link->QueryInterface(IID_IPersistFile, (void**)&file))) {
            WCHAR wide[MAX_PATH];
            MultiByteToWideChar(CP_ACP, 0, linkPath.c_str(), -1, wide, MAX_PATH);
            if (Exists(linkPath) && SUCCEEDED(file->Load(wide, STGM_READ))) {
                char text[1024];
                shortcut.found = true;
                text[0] = 0;
                link->GetPath(text, sizeof text, NULL, SLGP_RAWPATH);
                shortcut.target = text;
                text[0] = 0;
                link->GetDescription(text, sizeof text);
                shortcut.description = text;
                text[0] = 0;
                link->GetArguments(text, sizeof text);
                shortcut.arguments = text;
            }
            file->Release();
        }
        link->Release();
    }
    if (SUCCEEDED(initialised))
        CoUninitialize();
    return shortcut;
}

namespace {

struct FolderWindows {
    const std::string* caption;
    int closed;
};

BOOL CALLBACK CloseMatching(HWND window, LPARAM data)
{
    FolderWindows* search = (FolderWindows*)data;
    char text[512];
    text[0] = 0;
    GetWindowTextA(window, text, sizeof text);
    if (*search->caption == text) {
        PostMessageA(window, WM_CLOSE, 0, 0);
        search->closed++;
    }
    return TRUE;
}

}  // namespace

int CloseFolderWindows(const std::string& caption)
{
    FolderWindows search = {&caption, 0};
    EnumWindows(CloseMatching, (LPARAM)&search);
    return search.closed;
}
