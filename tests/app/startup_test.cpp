#include <gtest/gtest.h>

#include <windows.h>

#include <thread>

#include "app/app.h"
#include "resources/process.h"
#include "driver/lumbex_state.h"
#include "driver/sandbox.h"
#include "driver/ui_driver.h"
#include "registry/registry.h"
#include "resources/footprint.h"

namespace {

TEST(StartUp, WithoutALanguageModuleEverythingComesFromTheOwnImage)
{
    HINSTANCE self = GetModuleHandleA(NULL);
    SetRegistryRoot(HKEY_CURRENT_USER);
    StartUp(self);
    EXPECT_FALSE(ResourceModuleLoaded);
    EXPECT_EQ(self, ResourceModule);
    EXPECT_EQ(self, OwnInstance);
    EXPECT_EQ((DWORD)VER_PLATFORM_WIN32_NT, PlatformId);
    EXPECT_EQ(RootKey(ClassesRoot), GetRegistryRoot());
    ASSERT_TRUE(AppIcon != NULL);
    ICONINFO icon;
    ASSERT_TRUE(GetIconInfo(AppIcon, &icon));
    BITMAP mask;
    GetObjectA(icon.hbmMask, sizeof mask, &mask);
    EXPECT_EQ(32, mask.bmWidth);
    DeleteObject(icon.hbmMask);
    DeleteObject(icon.hbmColor);
    CleanUp();
}

TEST(Dispatch, WaitSleepsTwoSecondsAndSilentAloneIsRefusedQuietly)
{
    StartUp(GetModuleHandleA(NULL));
    SilentMode = 0;
    DWORD start = GetTickCount();
    EXPECT_EQ(ExitBadCommandLine, DispatchCommandTail("/s"));
    EXPECT_LT(GetTickCount() - start, 500u);
    EXPECT_EQ(1, SilentMode);

    SilentMode = 0;
    start = GetTickCount();
    EXPECT_EQ(ExitDone, DispatchCommandTail(" /WAIT "));
    DWORD elapsed = GetTickCount() - start;
    EXPECT_GE(elapsed, 1950u);
    EXPECT_LT(elapsed, 3000u);
    EXPECT_EQ(0, SilentMode);
    CleanUp();
}

// Where the executable cannot be scheduled for removal at restart (here the
// system refuses; the e2e tests see it scheduled), the warning names it.
TEST(Dispatch, WarningNamesTheExecutableLeftWithoutASchedule)
{
    const char* sessionManager = "System\\CurrentControlSet\\Control\\Session Manager";
    ASSERT_TRUE(DenyKeyAccess(HKEY_LOCAL_MACHINE, sessionManager, KEY_SET_VALUE));
    std::string pending = RegRaw(HKEY_LOCAL_MACHINE, sessionManager, "PendingFileRenameOperations");
    StartUp(GetModuleHandleA(NULL));
    char self[MAX_PATH];
    GetModuleFileNameA(NULL, self, sizeof self);
    BoxAnswer answer;
    std::thread user([&] { answer = AnswerMessageBox("Uninstall Lumbex", IDOK, 10000); });
    DispatchCommandTail("/warning");
    user.join();
    DenyKeyAccess(HKEY_LOCAL_MACHINE, sessionManager, 0);
    EXPECT_TRUE(answer.found);
    EXPECT_EQ(std::string("Uninstall completed\nYou should delete ") + self + " manually",
              answer.text);
    EXPECT_EQ(pending, RegRaw(HKEY_LOCAL_MACHINE, sessionManager, "PendingFileRenameOperations"));
    CleanUp();
}

// Answers the first box with this caption within timeoutMs: No to the
// uninstall question, OK to anything else. Empty when none showed.
std::string AnswerAny(const std::string& caption, DWORD timeoutMs)
{
    HWND box = WaitForWindow(caption, timeoutMs);
    if (!box)
        return "";
    std::string text = MessageBoxText(box);
    ClickButton(box, text == "Continue with uninstall Lumbex" ? IDNO : IDOK);
    return text;
}

// A folder whose name code page 1252 cannot hold, taken away under the
// process so that it has no short name either: no form of it reaches the
// ANSI calls. Setup, which works in its own folder, is not misled by such a
// current folder; uninstall refuses it as its temporary folder; both before
// anything changes, with exit code 1603.
TEST(Dispatch, FoldersWithoutAnAnsiFormAreRefusedBeforeAnythingChanges)
{
    if (GetACP() != 1252)
        GTEST_SKIP() << "for code page 1252";
    StartUp(GetModuleHandleA(NULL));
    ResetArchiverRegistry();
    std::string sandbox = MakeSandbox("refused");
    std::wstring gone = L"C:\\lumbex-tests\\refused\\\x4E2D\x6587";
    ASSERT_TRUE(CreateDirectoryW(gone.c_str(), NULL));
    const std::string refusal = " holds letters that this system's code page for non-Unicode "
                                "programs cannot express, and the folder has no short name. "
                                "Lumbex cannot work with it.";

    WCHAR saved[MAX_PATH];
    GetCurrentDirectoryW(MAX_PATH, saved);
    ASSERT_TRUE(SetCurrentDirectoryW(gone.c_str()));
    ASSERT_TRUE(RemoveOnHost(sandbox));
    std::string shown;
    std::thread user([&] { shown = AnswerAny("Lumbex Setup", 10000); });
    int interactive = DispatchCommandTail("/setup");
    user.join();
    SilentMode = 0;
    std::thread watcher([&] { shown += AnswerAny("Lumbex Setup", 1000); });
    int silent = DispatchCommandTail("/setup /s");
    watcher.join();
    SilentMode = 0;
    SetCurrentDirectoryW(saved);
    EXPECT_EQ(ExitFailed, interactive);
    EXPECT_EQ(ExitFailed, silent);
    // Setup no longer works in its current folder but in its own, which
    // here (the test's folder) holds no archiver: refused all the same.
    char own[MAX_PATH];
    DWORD length = GetModuleFileNameA(NULL, own, sizeof own);
    std::string ownFolder(own, length);
    ownFolder.resize(ownFolder.rfind('\\') + 1);
    EXPECT_EQ("The folder " + ownFolder + " holds no Lumbex.exe. Setup sets up the Lumbex in its "
              "own folder; nothing was changed.", shown);
    EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, "Software\\Lumbex"));

    WCHAR temp[MAX_PATH], tmp[MAX_PATH];
    GetEnvironmentVariableW(L"TEMP", temp, MAX_PATH);
    GetEnvironmentVariableW(L"TMP", tmp, MAX_PATH);
    SetEnvironmentVariableW(L"TEMP", gone.c_str());
    SetEnvironmentVariableW(L"TMP", gone.c_str());
    std::thread owner([&] { shown = AnswerAny("Uninstall Lumbex", 10000); });
    int uninstall = DispatchCommandTail("");
    owner.join();
    SetEnvironmentVariableW(L"TEMP", temp);
    SetEnvironmentVariableW(L"TMP", tmp);
    EXPECT_EQ(ExitFailed, uninstall);
    EXPECT_EQ("The name of the folder C:\\lumbex-tests\\refused\\??\\" + refusal, shown);
    CleanUp();
}

}  // namespace
