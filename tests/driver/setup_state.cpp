#include "driver/setup_state.h"

#include <shlobj.h>
#include <stdio.h>

#include <algorithm>

#include "driver/sandbox.h"

bool PlaceProduct(const std::string& folder)
{
    bool all = true;
    for (const char* name : {"Lumbex.exe", "kezext.dll", "license.txt", "register.frm"})
        all = CopyFileA(FixturePath(std::string("product\\") + name).c_str(),
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

namespace {

std::string Describe(const std::string& name, DWORD type, const std::string& data)
{
    std::string line = "  " + (name.empty() ? std::string("@") : name) + " = ";
    if (type == REG_SZ || type == REG_EXPAND_SZ) {
        std::string text = data;
        if (!text.empty() && text.back() == '\0')
            text.pop_back();
        else
            line += "(unterminated) ";
        return line + (type == REG_SZ ? "REG_SZ \"" : "REG_EXPAND_SZ \"") + text + "\"";
    }
    if (type == REG_DWORD && data.size() == 4)
        return line + "REG_DWORD " + std::to_string(*(const DWORD*)data.data());
    line += type == REG_BINARY ? "REG_BINARY" : "type " + std::to_string(type);
    for (unsigned char byte : data) {
        char hex[4];
        snprintf(hex, sizeof hex, " %02x", byte);
        line += hex;
    }
    return line;
}

void DumpKey(HKEY root, const std::string& path, std::vector<std::string>* lines)
{
    HKEY key;
    if (RegOpenKeyExA(root, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS)
        return;
    lines->push_back("[" + path + "]");
    std::vector<std::string> values;
    for (DWORD i = 0;; i++) {
        char name[512];
        DWORD nameLength = sizeof name;
        BYTE data[2048];
        DWORD size = sizeof data;
        DWORD type;
        if (RegEnumValueA(key, i, name, &nameLength, NULL, &type, data, &size) != ERROR_SUCCESS)
            break;
        values.push_back(Describe(name, type, std::string((const char*)data, size)));
    }
    std::sort(values.begin(), values.end());
    lines->insert(lines->end(), values.begin(), values.end());
    std::vector<std::string> children;
    for (DWORD i = 0;; i++) {
        char name[512];
        DWORD nameLength = sizeof name;
        if (RegEnumKeyExA(key, i, name, &nameLength, NULL, NULL, NULL, NULL) != ERROR_SUCCESS)
            break;
        children.push_back(name);
    }
    RegCloseKey(key);
    std::sort(children.begin(), children.end());
    for (const std::string& child : children)
        DumpKey(root, path + "\\" + child, lines);
}

}  // namespace

std::vector<std::string> DumpTree(HKEY root, const std::string& path)
{
    std::vector<std::string> lines;
    DumpKey(root, path, &lines);
    return lines;
}

std::string DumpValue(HKEY root, const std::string& path, const std::string& name)
{
    if (!ValueExists(root, path, name))
        return "<missing>";
    return Describe(name, RegType(root, path, name), RegRaw(root, path, name));
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
