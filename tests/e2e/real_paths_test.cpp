// Setup and uninstall of the real executable in the folders that real users
// have: letters of the code page and beyond it, the interpreter's special
// characters, names whose last byte is the byte of "\" in a double-byte code
// page, links inside the install folder. The cases of the system's code page
// run; CTest runs this suite once more in a Japanese and a Chinese locale.
#include <gtest/gtest.h>

#include <windows.h>

#include <shlobj.h>

#include <algorithm>
#include <string>
#include <vector>

#include "driver/hostile_state.h"
#include "driver/run_watch.h"
#include "driver/sandbox.h"
#include "driver/setup_state.h"
#include "driver/ui_driver.h"

namespace {

using Names = std::vector<std::string>;

std::wstring Wide(const std::string& text)
{
    WCHAR wide[1024];
    int length = MultiByteToWideChar(CP_ACP, 0, text.c_str(), -1, wide, 1024);
    return length > 0 ? wide : L"";
}

std::string Utf8(const std::wstring& text)
{
    char bytes[2048];
    int length = WideCharToMultiByte(CP_UTF8, 0, text.c_str(), -1, bytes, sizeof bytes, NULL,
                                     NULL);
    return length > 0 ? bytes : "";
}

bool ExistsW(const std::wstring& path)
{
    return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

bool WriteW(const std::wstring& path, const std::string& bytes)
{
    HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, NULL, CREATE_ALWAYS, 0, NULL);
    return file != INVALID_HANDLE_VALUE && WriteAndClose(file, bytes);
}

// The same file or folder, whichever form (long or short) each path takes.
bool SamePlace(const std::wstring& a, const std::wstring& b)
{
    WCHAR longA[1024], longB[1024];
    return GetLongPathNameW(a.c_str(), longA, 1024) && GetLongPathNameW(b.c_str(), longB, 1024) &&
           lstrcmpiW(longA, longB) == 0;
}

std::wstring RegTextW(HKEY root, const std::wstring& key, const std::wstring& name)
{
    WCHAR data[1024] = {};
    DWORD size = sizeof data - sizeof(WCHAR);
    HKEY opened;
    if (RegOpenKeyExW(root, key.c_str(), 0, KEY_QUERY_VALUE, &opened) != ERROR_SUCCESS)
        return L"<missing>";
    LONG status = RegQueryValueExW(opened, name.c_str(), NULL, NULL, (BYTE*)data, &size);
    RegCloseKey(opened);
    return status == ERROR_SUCCESS ? data : L"<missing>";
}

// The path between the first pair of quotation marks, or the text up to
// the first comma.
std::wstring PathIn(const std::wstring& value)
{
    if (!value.empty() && value[0] == L'"')
        return value.substr(1, value.find(L'"', 1) - 1);
    return value.substr(0, value.find(L','));
}

// Started as the list of removable programs or an installer would: a wide
// command line, folder and variables, so that any letter reaches the tool.
bool StartWide(WatchedRun* run, const std::wstring& commandLine, const std::wstring& folder,
               const std::vector<std::wstring>& variables)
{
    std::wstring environment;
    for (const std::wstring& variable : variables)
        environment += variable + L'\0';
    WCHAR* block = GetEnvironmentStringsW();
    for (const WCHAR* p = block; *p; p += lstrlenW(p) + 1) {
        std::wstring entry = p;
        bool replaced = false;
        for (const std::wstring& variable : variables)
            replaced = replaced ||
                       lstrcmpiW(entry.substr(0, entry.find(L'=')).c_str(),
                                 variable.substr(0, variable.find(L'=')).c_str()) == 0;
        if (!replaced)
            environment += entry + L'\0';
    }
    FreeEnvironmentStringsW(block);
    environment += L'\0';
    std::vector<WCHAR> line(commandLine.begin(), commandLine.end());
    line.push_back(0);
    STARTUPINFOW startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION info = {};
    run->started = GetTickCount();
    if (!CreateProcessW(NULL, line.data(), NULL, NULL, FALSE, CREATE_UNICODE_ENVIRONMENT,
                        &environment[0], folder.c_str(), &startup, &info))
        return false;
    CloseHandle(info.hThread);
    run->process = info.hProcess;
    run->id = info.dwProcessId;
    return true;
}

struct PathCase {
    UINT codePage;                  // the system's ANSI code page it is for
    const wchar_t* folder;          // install folder's name
    const wchar_t* temp;            // temporary folder's name; nullptr: the usual one
};

// Names ending in a character whose second byte is 0x5C: "表", "ソ" and "申"
// in 932, "乗" and "奬" in 936.
const PathCase Cases[] = {
    {1252, L"Lumbex Grüße", nullptr},
    {1252, L"A&B (x) ^! %PATH% 100%", L"tmp & ( ) ^ ! %PATH% 100% ü"},
    {1252, L"Lumbex 中文 Łódź", L"tmp 中文"},
    {1252, L"Lumbex €", L"tmp €"},
    {932, L"表", L"tmp 申"},
    {932, L"Lumbex ソ", nullptr},
    {936, L"乗", L"tmp 奬"},
    {936, L"Lumbex 奬", nullptr},
};

const char* const ListedFiles = "Lumbex.exe\r\nkezext.dll\r\nlicense.txt\r\nregister.frm\r\n";
const wchar_t* const WindowsKey = L"Software\\Microsoft\\Windows\\CurrentVersion\\";

class RealPaths : public testing::Test {
protected:
    std::wstring root;

    void SetUp() override
    {
        ForgetSetup();
        root = Wide(MakeSandbox("paths"));
    }
    Names links;

    void TearDown() override
    {
        CloseFolderWindows("Lumbex");
        ForgetSetup();
        for (const std::string& link : links)
            EXPECT_TRUE(RemoveOnHost(link)) << link;
        EXPECT_TRUE(RemoveTree(Utf8(root))) << "the sandbox stays";
    }

    void Link(const std::string& target, const std::string& link)
    {
        ASSERT_TRUE(MakeHostLink(target, link)) << link;
        links.push_back(link);
    }

    // The tool and the product's stand-ins in folder, with the list.
    void Install(const std::wstring& folder)
    {
        ASSERT_TRUE(CreateDirectoryW(folder.c_str(), NULL)) << Utf8(folder);
        ASSERT_TRUE(CopyFileW(Wide(ToolPath()).c_str(), (folder + L"\\Uninstall.exe").c_str(),
                              FALSE));
        for (const wchar_t* name : {L"Lumbex.exe", L"kezext.dll", L"license.txt",
                                    L"register.frm"})
            ASSERT_TRUE(CopyFileW(Wide(FixturePath(std::string("product\\") + Utf8(name))).c_str(),
                                  (folder + L"\\" + name).c_str(), FALSE));
        ASSERT_TRUE(WriteW(folder + L"\\Uninstall.lst", ListedFiles));
    }

    // Every path that setup registers names a file in the install folder.
    void ExpectRegisteredIn(const std::wstring& folder)
    {
        std::wstring archiver = folder + L"\\Lumbex.exe";
        std::wstring uninstall = WindowsKey + std::wstring(L"Uninstall\\Lumbex archiver");
        std::wstring appPath = WindowsKey + std::wstring(L"App Paths\\Lumbex.exe");
        const std::pair<std::wstring, std::wstring> paths[] = {
            {PathIn(RegTextW(HKEY_CLASSES_ROOT, L"Lumbex\\shell\\open\\command", L"")), archiver},
            {PathIn(RegTextW(HKEY_CLASSES_ROOT, L"Lumbex.ZIP\\DefaultIcon", L"")), archiver},
            {PathIn(RegTextW(HKEY_LOCAL_MACHINE, uninstall, L"UninstallString")),
             folder + L"\\Uninstall.exe"},
            {RegTextW(HKEY_LOCAL_MACHINE, appPath, L""), archiver},
            {RegTextW(HKEY_LOCAL_MACHINE, appPath, L"Path"), folder},
        };
        for (const auto& path : paths)
            EXPECT_TRUE(SamePlace(path.first, path.second))
                << Utf8(path.first) << " for " << Utf8(path.second);
        Shortcut link = ReadShortcut(ShellFolderPath(CSIDL_PROGRAMS) + "\\Lumbex\\Lumbex.lnk");
        EXPECT_TRUE(SamePlace(Wide(link.target), archiver)) << link.target;
    }
};

TEST_F(RealPaths, FoldersOfTheSystemsCodePage)
{
    // A locale that the host lacks would fall back to another code page.
    char wanted[16];
    if (GetEnvironmentVariableA("LUMBEX_CODE_PAGE", wanted, sizeof wanted)) {
        ASSERT_EQ(std::to_string(GetACP()), wanted) << "the host lacks the locale";
    }
    std::vector<const PathCase*> cases;
    for (const PathCase& c : Cases)
        if (c.codePage == GetACP())
            cases.push_back(&c);
    if (cases.empty())
        GTEST_SKIP() << "no folder names for code page " << GetACP();

    std::vector<WatchedRun> runs(cases.size());
    std::vector<std::wstring> folders, scripts;
    for (size_t i = 0; i < cases.size(); i++) {
        std::wstring folder = root + L"\\" + cases[i]->folder;
        folders.push_back(folder);
        Install(folder);
        // A file beside the folder whose name begins with the folder's.
        ASSERT_TRUE(WriteW(folder + L"Lumbex.exe", "beside"));

        WatchedRun setup;
        setup.label = Utf8(cases[i]->folder);
        ASSERT_TRUE(StartWide(&setup, L"\"" + folder + L"\\Uninstall.exe\" /setup /s", folder, {}));
        std::vector<WatchedRun> setups(1, setup);
        WatchReport report;
        WatchRuns(&setups, {}, 20000, &report);
        ExpectCleanRun(setups[0], {});
        ExpectRegisteredIn(folder);

        std::vector<std::wstring> variables;
        std::wstring temp;
        if (cases[i]->temp) {
            temp = root + L"\\" + cases[i]->temp;
            ASSERT_TRUE(CreateDirectoryW(temp.c_str(), NULL));
            variables = {L"TEMP=" + temp, L"TMP=" + temp};
        } else {
            WCHAR usual[MAX_PATH];
            GetTempPathW(MAX_PATH, usual);
            temp = usual;
        }
        scripts.push_back(temp);
        // One after the other: two runs at once would both give the same
        // file types back.
        std::vector<WatchedRun> uninstall(1);
        uninstall[0].label = setup.label;
        ASSERT_TRUE(StartWide(&uninstall[0], L"\"" + folder + L"\\Uninstall.exe\"", L"C:\\",
                              variables));
        WatchRuns(&uninstall, {"Uninstall Lumbex"}, 40000, &report);
        ExpectNoCrash(report);
        runs[i] = uninstall[0];
    }
    std::vector<WatchedRun> none;
    WatchReport report;
    WatchRuns(&none, {"Uninstall Lumbex"}, 40000, &report, [&] {
        return std::none_of(scripts.begin(), scripts.end(), ScriptLeftW);
    });
    ExpectNoCrash(report);
    for (size_t i = 0; i < cases.size(); i++) {
        ExpectCleanRun(runs[i], {UninstallQuestion});
        EXPECT_FALSE(ExistsW(folders[i])) << runs[i].label;
        EXPECT_FALSE(ScriptLeftW(scripts[i])) << runs[i].label;
        EXPECT_TRUE(ExistsW(folders[i] + L"Lumbex.exe")) << runs[i].label;
    }
}

// Links inside the install folder lead out of it: a folder link named like
// a listed folder, a file link named like a listed file. What they lead to
// stays, and so do they, so the install folder stays as for a user's file.
// An install folder reached through a link of its own is uninstalled.
TEST_F(RealPaths, LinksInsideTheInstallFolderLeadNowhere)
{
    std::string outside = Utf8(root) + "\\outside";
    ASSERT_TRUE(CreateDirectoryA(outside.c_str(), NULL));
    ASSERT_TRUE(CreateDirectoryA((outside + "\\Formats").c_str(), NULL));
    ASSERT_TRUE(WriteBytes(outside + "\\Formats\\kez.fmt", "someone else's"));
    ASSERT_TRUE(WriteBytes(outside + "\\license.txt", "someone else's"));

    std::string linked = Utf8(root) + "\\linked";
    Install(Wide(linked));
    ASSERT_TRUE(DeleteFileA((linked + "\\license.txt").c_str()));
    Link(outside + "\\Formats", linked + "\\Formats");
    Link(outside + "\\license.txt", linked + "\\license.txt");
    ASSERT_TRUE(WriteBytes(linked + "\\Uninstall.lst",
                           std::string(ListedFiles) + "Formats\\kez.fmt\r\nFormats\r\n"));

    std::string real = Utf8(root) + "\\real";
    Install(Wide(real));
    std::string through = Utf8(root) + "\\through";
    Link(real, through);

    // Each with a temporary folder of its own, for the scripts have one name.
    std::vector<WatchedRun> runs(2);
    Names temps = {Utf8(root) + "\\temp-linked", Utf8(root) + "\\temp-through"};
    runs[0].label = "links inside";
    runs[1].label = "reached through a link";
    for (size_t i = 0; i < 2; i++) {
        ASSERT_TRUE(CreateDirectoryA(temps[i].c_str(), NULL));
        ASSERT_TRUE(StartRun(&runs[i], "\"" + (i ? through : linked) + "\\Uninstall.exe\"",
                             "C:\\", {"TEMP=" + temps[i], "TMP=" + temps[i]}));
    }
    WatchReport report;
    WatchRuns(&runs, {"Uninstall Lumbex"}, 30000, &report, [&] {
        return !ScriptLeft(temps[0]) && !ScriptLeft(temps[1]);
    });
    ExpectNoCrash(report);
    ExpectCleanRun(runs[0], {UninstallQuestion});
    ExpectCleanRun(runs[1], {UninstallQuestion});

    EXPECT_EQ("someone else's", ReadBytes(outside + "\\Formats\\kez.fmt"));
    EXPECT_EQ("someone else's", ReadBytes(outside + "\\license.txt"));
    for (const char* gone : {"Uninstall.exe", "Lumbex.exe", "kezext.dll", "register.frm",
                             "Uninstall.lst"})
        EXPECT_FALSE(Exists(linked + "\\" + gone)) << gone;
    EXPECT_TRUE(IsFolder(linked + "\\Formats"));
    EXPECT_TRUE(Exists(linked + "\\license.txt"));

    for (const char* gone : {"Uninstall.exe", "Lumbex.exe", "kezext.dll", "license.txt",
                             "register.frm", "Uninstall.lst"})
        EXPECT_FALSE(Exists(real + "\\" + gone)) << gone;
}

}  // namespace
