// The shipped 32-bit executable on 64-bit Windows, in the emulated PC of
// scripts/vm32.sh: a WoW64 process whose registry writes land in two views.
// Run twice, around a restart of the prefix: Shipped.* first, then
// AfterRestart.*. Every wine start there takes seconds, hence the timeouts.
#include <gtest/gtest.h>

#include <stdio.h>

#include <string>
#include <vector>

#include "driver/installed_state.h"
#include "driver/sandbox.h"
#include "driver/setup_state.h"
#include "driver/ui_driver.h"
#include "resources/footprint.h"

namespace {

const DWORD Slow = 300000;
const char* const Machine32 = "Software\\Wow6432Node\\Microsoft\\Windows\\CurrentVersion\\"
                              "Uninstall\\Lumbex archiver";
const char* const Held = "C:\\lumbex-tests\\vm-held\\Lumbex";
// Written once the held file is seen to outlast the run: what the restart
// is to remove was there.
const char* const HeldBefore = "C:\\lumbex-tests\\vm-held\\held before restart";

// Whether a key of HKEY_LOCAL_MACHINE is there in one view (KEY_WOW64_*).
bool InView(const std::string& path, REGSAM view)
{
    HKEY key;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, path.c_str(), 0, KEY_READ | view, &key) !=
        ERROR_SUCCESS)
        return false;
    RegCloseKey(key);
    return true;
}

// The tool and the product's stand-ins in folder (given with its closing
// backslash, which keeps a trailing blank), with the installer's list.
std::string Install(const std::string& sandbox, const std::string& name)
{
    std::string folder = MakeSandbox(sandbox) + "\\" + name;
    std::string tool = folder + "\\Uninstall.exe";
    EXPECT_TRUE(CreateDirectoryA((folder + "\\").c_str(), NULL));
    EXPECT_TRUE(CopyFileA(ToolPath().c_str(), tool.c_str(), FALSE));
    for (const char* file : {"Lumbex.exe", "kezext.dll", "license.txt", "register.frm"})
        EXPECT_TRUE(CopyFileA(FixturePath(std::string("product\\") + file).c_str(),
                              (folder + "\\" + file).c_str(), FALSE))
            << file;
    EXPECT_TRUE(WriteBytes(folder + "\\Uninstall.lst",
                           "Lumbex.exe\r\nkezext.dll\r\nlicense.txt\r\nregister.frm\r\n"));
    return tool;
}

std::string Quoted(const std::string& path)
{
    return "\"" + path + "\"";
}

}  // namespace

TEST(Shipped, RunsUnderWow64)
{
    BOOL wow64 = FALSE;
    ASSERT_TRUE(IsWow64Process(GetCurrentProcess(), &wow64));
    EXPECT_TRUE(wow64);
}

TEST(Shipped, TheOptionsDialogOpensAndCancelling1602)
{
    std::string tool = Install("vm-dialog", "Lumbex");
    std::string folder = tool.substr(0, tool.rfind('\\'));
    DWORD start = GetTickCount();
    HANDLE process = StartProgram(Quoted(tool) + " /setup", folder);
    ASSERT_TRUE(process != NULL);
    HWND options = WaitForDialog("Lumbex Setup", IDOK, "OK", Slow);
    ASSERT_TRUE(options != NULL);
    Sleep(2000);
    EXPECT_TRUE(SaveScreenshot(options, ScreenshotPath("options_dialog.bmp")));
    PressKey(options, VK_ESCAPE);
    RunResult run = WaitProgram(process, start, Slow);
    CloseHandle(process);
    EXPECT_TRUE(run.finished);
    EXPECT_EQ(1602u, run.exitCode);
}

// Setup and a silent uninstall while the archiver runs: the entry in the
// 32-bit view, the Default-apps keys in the 64-bit one, 3010, and the
// archiver moved aside and left to the restart (AfterRestart).
TEST(Shipped, SilentRunsWriteBothViewsAndLeaveAHeldFileToTheRestart)
{
    std::string tool = Install("vm-held", "Lumbex");
    std::string folder = tool.substr(0, tool.rfind('\\'));
    ASSERT_EQ(Held, folder);
    RunResult setup = RunProgram(Quoted(tool) + " /setup /s", folder, Slow);
    ASSERT_TRUE(setup.finished);
    EXPECT_EQ(0u, setup.exitCode);
    EXPECT_TRUE(InView(Machine32, KEY_WOW64_64KEY));
    EXPECT_TRUE(InView(UninstallEntryKey, KEY_WOW64_32KEY));
    EXPECT_FALSE(InView(UninstallEntryKey, KEY_WOW64_64KEY));
    EXPECT_EQ("Lumbex archiver", NativeText(CapabilitiesKey, "ApplicationName"));
    EXPECT_EQ(CapabilitiesKey, NativeText(RegisteredAppsKey, "Lumbex"));
    EXPECT_FALSE(InView(CapabilitiesKey, KEY_WOW64_32KEY));

    HANDLE held = StartProgram(Quoted(folder + "\\Lumbex.exe") + " /stay", "C:\\");
    ASSERT_TRUE(held != NULL);
    RunResult run = RunProgram(Quoted(tool) + " /uninstall /s", "C:\\", Slow);
    EXPECT_TRUE(Eventually([] { return !ScriptLeft(); }, Slow));
    TerminateProcess(held, 0);
    WaitForSingleObject(held, Slow);
    CloseHandle(held);
    ASSERT_TRUE(run.finished);
    EXPECT_EQ(3010u, run.exitCode);
    EXPECT_FALSE(InView(Machine32, KEY_WOW64_64KEY));
    EXPECT_FALSE(InView(CapabilitiesKey, KEY_WOW64_64KEY));
    EXPECT_EQ("<missing>", NativeText(RegisteredAppsKey, "Lumbex"));
    EXPECT_FALSE(Exists(tool));
    EXPECT_FALSE(Exists(folder + "\\license.txt"));
    WIN32_FIND_DATAA found;
    FindClose(FindFirstFileA((folder + "\\Lumbex-*").c_str(), &found));
    std::string moved = folder + "\\" + found.cFileName + "\\1";
    EXPECT_TRUE(Exists(moved));
    if (Exists(moved))
        WriteBytes(HeldBefore, "");
}

// The install folder "Lumbex " beside a neighbour "Lumbex", which the
// system would name the same without the closing backslash. Wine 8.0 names
// the folder as its neighbour once it is open (GetFinalPathNameByHandle):
// there the tool must delete none of its listed files, nor the neighbour's.
TEST(Shipped, ATrailingBlankFolderGoesAndItsNeighbourKeepsEverything)
{
    std::string tool = Install("vm-blank", "Lumbex ");
    std::string folder = tool.substr(0, tool.rfind('\\'));
    std::string neighbour = "C:\\lumbex-tests\\vm-blank\\Lumbex";
    ASSERT_TRUE(CreateDirectoryA(neighbour.c_str(), NULL));
    for (const char* file : {"Lumbex.exe", "kezext.dll", "Uninstall.exe"})
        ASSERT_TRUE(WriteBytes(neighbour + "\\" + file, "the neighbour's")) << file;
    ASSERT_TRUE(WriteBytes(neighbour + "\\Uninstall.lst", "Lumbex.exe\r\nkezext.dll\r\n"));
    std::string before;
    ListTree(neighbour, &before);
    PlaceSetupRegistry(folder);
    std::string final = FinalPath(folder);
    bool namedRight = final.size() > 1 && final.substr(final.size() - 2) == "x ";

    RunResult run = RunProgram(Quoted(tool) + " /uninstall /s", "C:\\", Slow);
    EXPECT_TRUE(Eventually([] { return !ScriptLeft(); }, Slow));
    ASSERT_TRUE(run.finished);
    EXPECT_EQ(0u, run.exitCode);
    EXPECT_FALSE(Exists(tool));
    std::string left;
    ListTree(folder, &left);
    if (namedRight) {
        EXPECT_FALSE(Exists(folder + "\\")) << left;
    } else {
        printf("NOTE: the system names \"%s\\\" as %s: its removal is not checked\n",
               folder.c_str(), final.c_str());
        for (const char* file : {"Lumbex.exe", "kezext.dll", "license.txt", "register.frm"})
            EXPECT_TRUE(Exists(folder + "\\" + file)) << file;
    }
    std::string after;
    ListTree(neighbour, &after);
    EXPECT_EQ(before, after);
}

TEST(AfterRestart, TheHeldFileAndItsFolderAreGone)
{
    ASSERT_TRUE(Exists(HeldBefore));
    EXPECT_FALSE(Exists(Held));
}
