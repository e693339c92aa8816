// Uninstall mode of the real executable in its own install folder, with
// what setup mode leaves in place, down to the removal script run by the
// system's command interpreter.
#include <gtest/gtest.h>

#include <shlobj.h>

#include <string>
#include <vector>

#include "driver/installed_state.h"
#include "driver/lumbex_state.h"
#include "driver/sandbox.h"
#include "driver/setup_state.h"
#include "driver/ui_driver.h"

namespace {

using Names = std::vector<std::string>;

const char* const Caption = "Uninstall Lumbex";

// Every file and folder below path with its size, one per line.
void ListTree(const std::string& path, std::string* listing)
{
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA((path + "\\*").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE)
        return;
    do {
        std::string name = found.cFileName;
        if (name == "." || name == "..")
            continue;
        *listing += path + "\\" + name + " " + std::to_string(found.nFileSizeLow) + "\n";
        if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
            ListTree(path + "\\" + name, listing);
    } while (FindNextFileA(search, &found));
    FindClose(search);
}

// A message box with this caption: its text, then the button; returns once
// the box has gone, so that the next box with the same caption is not it.
BoxAnswer Answer(int button, DWORD timeoutMs)
{
    HWND box = WaitForWindow(Caption, timeoutMs);
    BoxAnswer answer = AnswerMessageBox(Caption, button, 0);
    Eventually([&] { return !box || !IsWindow(box); });
    return answer;
}

class UninstallRun : public testing::Test {
protected:
    std::string root;
    std::string folder;
    std::string tool;
    HANDLE held = INVALID_HANDLE_VALUE;

    // The install folder as the installer and setup mode leave it; the list
    // names the product's files, a folder before its contents, and one
    // entry that points out of the folder.
    void Install(const std::string& name)
    {
        root = MakeSandbox("uninstall");
        folder = root + "\\" + name;
        tool = folder + "\\Uninstall.exe";
        // With its closing backslash, which keeps a trailing blank.
        ASSERT_TRUE(CreateDirectoryA((folder + "\\").c_str(), NULL));
        ASSERT_TRUE(CopyFileA(ToolPath().c_str(), tool.c_str(), FALSE));
        ASSERT_TRUE(CreateDirectoryA((folder + "\\Formats").c_str(), NULL));
        ASSERT_TRUE(CreateDirectoryA((folder + "\\Formats\\Old").c_str(), NULL));
        for (const char* file : {"Lumbex.exe", "kezext.dll", "lumbex.hlp", "lumbex.gid",
                                 "lumbex.fts", "Kez.txt", "license.txt", "100% sure.txt",
                                 "Formats\\kez.fmt"})
            ASSERT_TRUE(WriteBytes(folder + "\\" + file, "stand-in")) << file;
        SetFileAttributesA((folder + "\\Kez.txt").c_str(), FILE_ATTRIBUTE_READONLY);
        ASSERT_TRUE(WriteBytes(root + "\\bystander.txt", "not the product's"));
        ASSERT_TRUE(WriteBytes(folder + "\\Uninstall.lst",
                               "Formats\r\nFormats\\Old\r\nLumbex.exe\r\nkezext.dll\r\n"
                               "lumbex.hlp\r\nKez.txt\r\nlicense.txt\r\nFormats\\kez.fmt\r\n"
                               "100% sure.txt\r\n..\\bystander.txt\r\n"));
        PlaceLinkStandIns();
        PlaceSetupRegistry(folder);
        RemoveScriptsLeft();
    }

    void TearDown() override
    {
        if (held != INVALID_HANDLE_VALUE)
            CloseHandle(held);
        ForgetSetup();
        RemoveTree(root);
        RemoveScriptsLeft();
    }

    // Files, shortcuts and registry entries as one text, to compare.
    std::string Snapshot()
    {
        std::string snapshot;
        ListTree(root, &snapshot);
        for (const std::string& link : PresentLinks())
            snapshot += "link " + link + "\n";
        for (const std::string& entry : PresentArchiverRegistry())
            snapshot += entry + "\n";
        snapshot += "HKCR\\.kez = " + RegText(HKEY_CLASSES_ROOT, ".kez", "") + ", " +
                    RegText(HKEY_CLASSES_ROOT, ".kez", "Content Type") + "\n";
        return snapshot;
    }

    // The tool without a switch, started from elsewhere as the system's list
    // of removable programs would; its question is answered.
    RunResult Uninstall(int button, BoxAnswer* question)
    {
        DWORD start = GetTickCount();
        HANDLE process = StartProgram("\"" + tool + "\"", "C:\\");
        *question = Answer(button, 15000);
        RunResult run = WaitProgram(process, start, 15000);
        if (process)
            CloseHandle(process);
        return run;
    }

    // Registry, shortcuts and listed files are gone as soon as the tool has
    // ended; the script still waits for its "/wait" run.
    void ExpectCleanedUp()
    {
        EXPECT_EQ(Names(), PresentArchiverRegistry());
        EXPECT_EQ("OldKez.Document", RegText(HKEY_CLASSES_ROOT, ".kez", ""));
        EXPECT_EQ("application/x-oldkez", RegText(HKEY_CLASSES_ROOT, ".kez", "Content Type"));
        EXPECT_EQ(Names(), PresentLinks());
        for (const char* gone : {"Formats", "Lumbex.exe", "kezext.dll", "lumbex.hlp",
                                 "lumbex.gid", "lumbex.fts", "Kez.txt", "license.txt",
                                 "100% sure.txt", "Uninstall.lst"})
            EXPECT_FALSE(Exists(folder + "\\" + gone)) << gone;
        EXPECT_TRUE(Exists(root + "\\bystander.txt"));
    }

    bool WaitForScriptEnd(DWORD timeoutMs)
    {
        return Eventually([] { return !ScriptLeft(); }, timeoutMs);
    }
};

TEST_F(UninstallRun, YesCleansUpAndTheScriptRemovesToolFolderAndItself)
{
    Install("100% Lumbex");
    BoxAnswer question;
    RunResult run = Uninstall(IDYES, &question);
    ASSERT_TRUE(question.found);
    EXPECT_EQ("Continue with uninstall Lumbex", question.text);
    ASSERT_TRUE(run.finished);
    EXPECT_EQ(0u, run.exitCode);
    ExpectCleanedUp();
    EXPECT_TRUE(ScriptLeft());

    ASSERT_TRUE(WaitForScriptEnd(20000));
    EXPECT_FALSE(Exists(tool));
    EXPECT_FALSE(Exists(folder));
    EXPECT_TRUE(Exists(root + "\\bystander.txt"));
    EXPECT_EQ(NULL, WaitForWindow(Caption, 0));
}

// The system drops a trailing blank from the last name of a path: the
// install folder "Lumbex " named without its closing backslash would be its
// neighbour "Lumbex", whose list, files and folder must all stay.
TEST_F(UninstallRun, ANeighbourNamedWithoutTheTrailingBlankKeepsEverything)
{
    Install("Lumbex ");
    std::string neighbour = root + "\\Lumbex";
    ASSERT_TRUE(CreateDirectoryA(neighbour.c_str(), NULL));
    ASSERT_TRUE(CreateDirectoryA((neighbour + "\\Formats").c_str(), NULL));
    for (const char* file : {"Lumbex.exe", "lumbex.gid", "Kez.txt", "Formats\\kez.fmt"})
        ASSERT_TRUE(WriteBytes(neighbour + "\\" + file, "the neighbour's")) << file;
    ASSERT_TRUE(WriteBytes(neighbour + "\\Uninstall.lst", "Lumbex.exe\r\nKez.txt\r\n"));
    std::string before;
    ListTree(neighbour, &before);

    BoxAnswer question;
    RunResult run = Uninstall(IDYES, &question);
    ASSERT_TRUE(run.finished);
    ExpectCleanedUp();
    EXPECT_TRUE(WaitForScriptEnd(20000));
    EXPECT_FALSE(Exists(tool));
    EXPECT_FALSE(Exists(folder + "\\"));
    std::string after;
    ListTree(neighbour, &after);
    EXPECT_EQ(before, after);
    if (Exists(folder + "\\"))
        RemoveOnHost(folder + "\\");
}

TEST_F(UninstallRun, AnExecutableThatCannotBeDeletedEndsInTheWarning)
{
    Install("Lumbex");
    held = CreateFileA(tool.c_str(), GENERIC_READ, FILE_SHARE_READ, NULL, OPEN_EXISTING, 0,
                       NULL);
    ASSERT_NE(INVALID_HANDLE_VALUE, held);
    BoxAnswer question;
    RunResult run = Uninstall(IDYES, &question);
    ASSERT_TRUE(run.finished);
    ExpectCleanedUp();

    BoxAnswer warning = Answer(IDOK, 20000);
    ASSERT_TRUE(warning.found);
    EXPECT_EQ("Uninstall completed\nYou should delete " + tool + " manually", warning.text);
    EXPECT_TRUE(WaitForScriptEnd(10000));
    EXPECT_TRUE(Exists(tool));
    EXPECT_TRUE(IsFolder(folder));
}

TEST_F(UninstallRun, NoChangesNothing)
{
    Install("Lumbex");
    std::string before = Snapshot();
    BoxAnswer question;
    RunResult run = Uninstall(IDNO, &question);
    ASSERT_TRUE(question.found);
    ASSERT_TRUE(run.finished);
    EXPECT_EQ(0u, run.exitCode);
    EXPECT_EQ(before, Snapshot());
    EXPECT_FALSE(ScriptLeft());
}

TEST_F(UninstallRun, WithoutAListFileItSaysSoAndChangesNothing)
{
    Install("Lumbex");
    ASSERT_TRUE(DeleteFileA((folder + "\\Uninstall.lst").c_str()));
    std::string before = Snapshot();
    DWORD start = GetTickCount();
    HANDLE process = StartProgram("\"" + tool + "\"", "C:\\");
    BoxAnswer question = Answer(IDYES, 15000);
    BoxAnswer error = Answer(IDOK, 15000);
    RunResult run = WaitProgram(process, start, 15000);
    CloseHandle(process);
    ASSERT_TRUE(question.found);
    ASSERT_TRUE(error.found);
    EXPECT_EQ("Cannot open list file Uninstall.lst", error.text);
    ASSERT_TRUE(run.finished);
    EXPECT_EQ(0u, run.exitCode);
    EXPECT_EQ(before, Snapshot());
    EXPECT_FALSE(ScriptLeft());
}

}  // namespace
