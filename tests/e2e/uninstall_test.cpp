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
#include "resources/resource.h"

namespace {

using Names = std::vector<std::string>;

const char* const SessionManager = "System\\CurrentControlSet\\Control\\Session Manager";

// What is scheduled for deletion when the system next starts, as the
// system's own paths ("\\??\\C:\\..."), in order.
Names PendingDeletions()
{
    std::string bytes = RegRaw(HKEY_LOCAL_MACHINE, SessionManager, "PendingFileRenameOperations");
    Names deletions;
    if (bytes == "<missing>")
        return deletions;
    // Pairs of names: what is renamed, and to what ("" deletes it).
    std::vector<std::string> names;
    for (size_t at = 0; at < bytes.size();) {
        size_t end = bytes.find('\0', at);
        if (end == std::string::npos)
            end = bytes.size();
        names.push_back(bytes.substr(at, end - at));
        at = end + 1;
    }
    for (size_t i = 0; i + 1 < names.size(); i += 2)
        if (!names[i].empty() && names[i + 1].empty())
            deletions.push_back(names[i]);
    return deletions;
}

// The tool's message box: its text, then the button.
BoxAnswer Answer(int button, DWORD timeoutMs)
{
    return AnswerMessageBox(UninstallCaption, button, timeoutMs);
}

class UninstallRun : public testing::Test {
protected:
    std::string root;
    std::string folder;
    std::string tool;
    HANDLE held = INVALID_HANDLE_VALUE;
    HANDLE running = NULL;

    // The install folder as the installer and setup mode leave it; the list
    // names the product's files, a folder before its contents, and one
    // entry that points out of the folder.
    void Install(const std::string& name)
    {
        RemoveScriptsLeft();
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
    }

    void TearDown() override
    {
        FreeFiles();
        RemoveScriptsLeft();
        DeleteValue(HKEY_LOCAL_MACHINE, SessionManager, "PendingFileRenameOperations");
        ForgetSetup();
        RemoveTree(root);
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

    // The archiver runs from the install folder, and another program holds
    // "kezext.dll" open without delete sharing, as the shell does.
    void HoldFiles()
    {
        ASSERT_TRUE(CopyFileA(FixturePath("product\\Lumbex.exe").c_str(),
                              (folder + "\\Lumbex.exe").c_str(), FALSE));
        running = StartProgram("\"" + folder + "\\Lumbex.exe\" /stay", root);
        ASSERT_TRUE(running);
        held = CreateFileA((folder + "\\kezext.dll").c_str(), GENERIC_READ, FILE_SHARE_READ, NULL,
                           OPEN_EXISTING, 0, NULL);
        ASSERT_NE(INVALID_HANDLE_VALUE, held);
    }

    void FreeFiles()
    {
        if (held != INVALID_HANDLE_VALUE)
            CloseHandle(held);
        held = INVALID_HANDLE_VALUE;
        if (running) {
            TerminateProcess(running, 0);
            WaitForSingleObject(running, 5000);
            CloseHandle(running);
        }
        running = NULL;
    }

    std::string Pending(const std::string& path) { return "\\??\\" + path; }

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
    EXPECT_EQ(NULL, WaitForWindow(UninstallCaption, 0));
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

    // Wine names such a folder's handle without its blank (Windows keeps
    // it): the folder's entries then seem to lie outside it, and stay.
    bool namedWhole = FinalPath(folder) == "\\\\?\\" + folder;
    BoxAnswer question;
    RunResult run = Uninstall(IDYES, &question);
    ASSERT_TRUE(run.finished);
    EXPECT_TRUE(WaitForScriptEnd(20000));
    if (namedWhole) {
        ExpectCleanedUp();
        EXPECT_FALSE(Exists(tool));
        EXPECT_FALSE(Exists(folder + "\\"));
    } else {
        for (const char* kept : {"Formats", "Lumbex.exe", "Kez.txt", "100% sure.txt"})
            EXPECT_TRUE(Exists(folder + "\\" + kept)) << kept;
    }
    std::string after;
    ListTree(neighbour, &after);
    EXPECT_EQ(before, after);
    if (Exists(folder + "\\"))
        RemoveOnHost(folder + "\\");
}

// The script's warning run schedules the executable and its folder for the
// next restart; where the system refuses that, it names the executable.
TEST_F(UninstallRun, AnExecutableThatCannotBeDeletedGoesAtRestartOrIsNamed)
{
    for (bool refused : {false, true}) {
        SCOPED_TRACE(refused ? "scheduling refused" : "scheduled");
        Install("Lumbex");
        if (refused)
            ASSERT_TRUE(DenyKeyAccess(HKEY_LOCAL_MACHINE, SessionManager, KEY_SET_VALUE));
        held = CreateFileA(tool.c_str(), GENERIC_READ, FILE_SHARE_READ, NULL, OPEN_EXISTING, 0,
                           NULL);
        ASSERT_NE(INVALID_HANDLE_VALUE, held);
        BoxAnswer question;
        RunResult run = Uninstall(IDYES, &question);
        ASSERT_TRUE(run.finished);
        ExpectCleanedUp();

        BoxAnswer warning = Answer(IDOK, 20000);
        DenyKeyAccess(HKEY_LOCAL_MACHINE, SessionManager, 0);
        ASSERT_TRUE(warning.found);
        if (refused) {
            EXPECT_EQ("Uninstall completed\nYou should delete " + tool + " manually",
                      warning.text);
            EXPECT_EQ(Names(), PendingDeletions());
        } else {
            EXPECT_EQ("Uninstall completed\nWindows removes what is left of the folder " + folder +
                          "\\ when it next restarts.",
                      warning.text);
            EXPECT_EQ(Names({Pending(tool), Pending(folder + "\\")}), PendingDeletions());
        }
        EXPECT_TRUE(WaitForScriptEnd(10000));
        EXPECT_TRUE(Exists(tool));
        EXPECT_TRUE(IsFolder(folder));
        TearDown();
    }
}

// The dialog names what is in use (here the files: wine's Restart Manager
// names no programs); once they are freed, "Try again" removes everything
// and no restart is needed.
TEST_F(UninstallRun, FilesInUseAreNamedAndTryAgainRemovesThemOnceFreed)
{
    Install("Lumbex");
    HoldFiles();
    DWORD start = GetTickCount();
    HANDLE process = StartProgram("\"" + tool + "\" /uninstall", "C:\\");
    BoxAnswer question = Answer(IDYES, 15000);
    ASSERT_TRUE(question.found);
    HWND dialog = WaitForDialog(UninstallCaption, IDRETRY, "&Try again", 20000);
    ASSERT_TRUE(dialog);
    EXPECT_EQ("Lumbex.exe\nkezext.dll\n", ControlText(dialog, IDC_IN_USE));
    SaveScreenshot(dialog, ScreenshotPath("files_in_use.bmp"));
    // Still in use: the same dialog once more.
    ASSERT_TRUE(ClickButtonAndWait(dialog, IDRETRY));
    dialog = WaitForDialog(UninstallCaption, IDRETRY, "&Try again", 20000);
    ASSERT_TRUE(dialog);
    FreeFiles();
    ASSERT_TRUE(ClickButton(dialog, IDRETRY));
    RunResult run = WaitProgram(process, start, 20000);
    CloseHandle(process);
    ASSERT_TRUE(run.finished);
    EXPECT_EQ(0u, run.exitCode);
    ExpectCleanedUp();
    EXPECT_EQ(Names(), PendingDeletions());
    ASSERT_TRUE(WaitForScriptEnd(20000));
    EXPECT_FALSE(Exists(folder));
    EXPECT_EQ(NULL, WaitForWindow(UninstallCaption, 0));
}

// Silent: no window, 3010. What running programs hold is moved into a
// folder of the tool's inside the install folder and goes from there at the
// next restart, its emptied folders at once: a folder on its old way that
// is swapped for a link meanwhile leads the restart nowhere else.
TEST_F(UninstallRun, SilentlyWhatIsInUseGoesAtTheNextRestart)
{
    Install("Lumbex");
    const std::string deep = folder + "\\Formats\\Old\\Deep";
    ASSERT_TRUE(CreateDirectoryA(deep.c_str(), NULL));
    std::string list = folder + "\\Uninstall.lst";
    ASSERT_TRUE(WriteBytes(list, ReadBytes(list) + "Formats\\Old\\Deep\\kez.exe\r\nFormats\\Old\\Deep\r\n"));
    HANDLE programs[2];
    for (int i = 0; i < 2; i++) {
        std::string program = i ? deep + "\\kez.exe" : folder + "\\Lumbex.exe";
        ASSERT_TRUE(CopyFileA(FixturePath("product\\Lumbex.exe").c_str(), program.c_str(), FALSE));
        programs[i] = StartProgram("\"" + program + "\" /stay", root);
    }
    std::vector<std::string> windows;
    RunResult run = RunRecordingWindows("\"" + tool + "\" /uninstall /s", "C:\\", {}, 3000,
                                        &windows, [] { return !ScriptLeft(); });
    for (HANDLE program : programs) {
        TerminateProcess(program, 0);
        WaitForSingleObject(program, 5000);
        CloseHandle(program);
    }
    EXPECT_EQ(3010u, run.exitCode);
    EXPECT_EQ(std::vector<std::string>(), windows);
    WIN32_FIND_DATAA found;
    FindClose(FindFirstFileA((folder + "\\Lumbex-*").c_str(), &found));
    const std::string aside = folder + "\\" + found.cFileName;
    EXPECT_EQ(Names({Pending(aside + "\\1"), Pending(aside + "\\2"), Pending(aside),
                     Pending(folder + "\\")}),
              PendingDeletions());
    EXPECT_FALSE(Exists(folder + "\\Formats"));

    const std::string victim = root + "\\victim\\Old\\Deep\\kez.exe";
    ASSERT_TRUE(MakeSandbox("uninstall\\victim") == root + "\\victim" &&
                CreateDirectoryA((root + "\\victim\\Old").c_str(), NULL) &&
                CreateDirectoryA((root + "\\victim\\Old\\Deep").c_str(), NULL));
    ASSERT_TRUE(WriteBytes(victim, "not the product's"));
    ASSERT_TRUE(MakeHostLink(root + "\\victim", folder + "\\Formats"));
    RunResult restart = RunProgram("wineboot.exe -r", "C:\\", 60000);
    ASSERT_TRUE(restart.finished);
    EXPECT_TRUE(Eventually([&] { return !Exists(aside); }, 10000));
    EXPECT_TRUE(Exists(victim));
    EXPECT_TRUE(Exists(root + "\\bystander.txt"));
    EXPECT_EQ(Names(), PendingDeletions());
    RemoveOnHost(folder);
}

// Where the system refuses to schedule (it takes administrator rights),
// the user learns which folder to delete, and the run ends with 1603.
TEST_F(UninstallRun, RefusedSchedulingNamesTheFolderAndFails)
{
    Install("Lumbex");
    HoldFiles();
    ASSERT_TRUE(DenyKeyAccess(HKEY_LOCAL_MACHINE, SessionManager, KEY_SET_VALUE));
    DWORD start = GetTickCount();
    HANDLE process = StartProgram("\"" + tool + "\" /uninstall", "C:\\");
    BoxAnswer question = Answer(IDYES, 15000);
    HWND dialog = WaitForDialog(UninstallCaption, IDRETRY, "&Try again", 20000);
    ASSERT_TRUE(dialog);
    ASSERT_TRUE(ClickButtonAndWait(dialog, IDIGNORE));
    BoxAnswer end = Answer(IDOK, 20000);
    RunResult run = WaitProgram(process, start, 20000);
    CloseHandle(process);
    DenyKeyAccess(HKEY_LOCAL_MACHINE, SessionManager, 0);
    ASSERT_TRUE(question.found);
    ASSERT_TRUE(end.found);
    EXPECT_EQ("Uninstall completed\nYou should delete " + folder + "\\ manually", end.text);
    ASSERT_TRUE(run.finished);
    EXPECT_EQ(1603u, run.exitCode);
    EXPECT_EQ(Names(), PendingDeletions());
    EXPECT_TRUE(Exists(folder + "\\kezext.dll"));
}

// The list goes last, as a listed entry goes: read-only, it is deleted;
// held, it is scheduled with the folder (3010), or, where the system
// refuses that, the run ends with 1603.
TEST_F(UninstallRun, TheListFileGoesAsAListedEntryGoes)
{
    for (DWORD exitCode : {0, 3010, 1603}) {
        SCOPED_TRACE(exitCode);
        Install("Lumbex");
        std::string list = folder + "\\Uninstall.lst";
        SetFileAttributesA(list.c_str(), FILE_ATTRIBUTE_READONLY);
        if (exitCode)
            held = CreateFileA(list.c_str(), GENERIC_READ, FILE_SHARE_READ, NULL, OPEN_EXISTING,
                               0, NULL);
        if (exitCode == 1603)
            ASSERT_TRUE(DenyKeyAccess(HKEY_LOCAL_MACHINE, SessionManager, KEY_SET_VALUE));
        Names windows;
        RunResult run = RunRecordingWindows("\"" + tool + "\" /uninstall /s", "C:\\", {}, 0,
                                            &windows, [] { return !ScriptLeft(); });
        DenyKeyAccess(HKEY_LOCAL_MACHINE, SessionManager, 0);
        EXPECT_EQ(exitCode, run.exitCode);
        EXPECT_EQ(exitCode == 3010 ? Names({Pending(list), Pending(folder + "\\")}) : Names(),
                  PendingDeletions());
        EXPECT_EQ(exitCode != 0, Exists(list));
        TearDown();
    }
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
