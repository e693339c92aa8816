#include "driver/setup_state.h"

#include <gtest/gtest.h>

#include <shlobj.h>

#include "driver/lumbex_state.h"
#include "driver/sandbox.h"
#include "driver/ui_driver.h"
#include "resources/footprint.h"

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

void ForgetSetup()
{
    ResetArchiverRegistry();
    RemoveLinkStandIns();
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

void ExpectProductGone(const std::string& folder)
{
    EXPECT_FALSE(Exists(folder));
    EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, UninstallEntryKey));
    EXPECT_FALSE(KeyExists(HKEY_CLASSES_ROOT, "Lumbex"));
    EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, "Software\\Lumbex"));
    EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, CapabilitiesKey));
    EXPECT_FALSE(ValueExists(HKEY_LOCAL_MACHINE, RegisteredAppsKey, "Lumbex"));
    for (const ArchiveType& type : ArchiveTypeTable)
        EXPECT_FALSE(ValueExists(HKEY_CLASSES_ROOT, std::string(type.extension) +
                                 "\\OpenWithProgids", type.progId));
    EXPECT_FALSE(Exists(ShellFolderPath(CSIDL_PROGRAMS) + "\\Lumbex"));
    // Nor anything of the current user's scope.
    for (const char* key : {UninstallEntryKey, AppPathKey, CapabilitiesKey, ProductKey,
                            "Software\\Classes\\Lumbex", "Software\\Classes\\.kez"})
        EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, key)) << key;
    EXPECT_FALSE(ValueExists(HKEY_CURRENT_USER, RegisteredAppsKey, "Lumbex"));
}

void ExpectLink(const std::string& link, const std::string& target)
{
    Shortcut shortcut = ReadShortcut(link);
    ASSERT_TRUE(shortcut.found) << link;
    EXPECT_EQ(target, shortcut.target) << link;
    EXPECT_EQ("Lumbex", shortcut.description) << link;
    EXPECT_EQ("", shortcut.arguments) << link;
}

void ExpectGroup(const std::string& group, const std::string& folder)
{
    ExpectLink(group + "\\Lumbex.lnk", folder + "\\Lumbex.exe");
    ExpectLink(group + "\\Lumbex help.lnk", folder + "\\Lumbex.hlp");
    ExpectLink(group + "\\Console KEZ manual.lnk", folder + "\\Kez.txt");
}

void ExpectGroupWindowAndClose()
{
    EXPECT_TRUE(WaitForWindow("Lumbex", 10000) != NULL) << "the group was not opened";
    EXPECT_EQ(1, CloseFolderWindows("Lumbex"));
    EXPECT_TRUE(WaitForNoWindow("Lumbex", 5000));
}

bool ViewerRuns()
{
    return !ProcessIds("notepad.exe").empty() || !ProcessIds("write.exe").empty();
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
