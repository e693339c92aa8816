// What administrators and their tools do with the real executable: the
// system's list of installed programs, the quiet uninstall command run as a
// deployment tool runs it, the exit codes, and libraries planted where the
// tool could be made to load them.
#include <gtest/gtest.h>

#include <windows.h>

#include <shlobj.h>

#include <set>
#include <string>
#include <vector>

#include "driver/lumbex_state.h"
#include "driver/run_watch.h"
#include "driver/sandbox.h"
#include "driver/setup_state.h"
#include "driver/ui_driver.h"
#include "resources/footprint.h"
#include "resources/process.h"

namespace {

using Names = std::vector<std::string>;

const char* const Announced = "C:\\lumbex-tests\\announced.txt";
const char* const Overrides = "Software\\Wine\\AppDefaults\\Uninstall.exe\\DllOverrides";

class Deployment : public testing::Test {
protected:
    std::string root;
    std::string folder;         // with a blank, as under "Program Files"
    std::string temp;

    void SetUp() override
    {
        DeleteFileA(Announced);
        Prepare();
    }
    // A machine on which setup never ran, and the install folder as the
    // installer leaves it.
    // A folder of a name of its own need not wait for earlier removal scripts.
    void Prepare(const std::string& name = "deploy")
    {
        ForgetSetup();
        root = "C:\\lumbex-tests\\" + name;
        if (name == "deploy")
            MakeSandbox(name);
        else
            ASSERT_TRUE(RemoveTree(root) && CreateDirectoryA(root.c_str(), NULL));
        folder = root + "\\Lumbex Archiver";
        temp = root + "\\temp";
        ASSERT_TRUE(CreateDirectoryA(folder.c_str(), NULL));
        ASSERT_TRUE(CreateDirectoryA(temp.c_str(), NULL));
        ASSERT_TRUE(CopyFileA(ToolPath().c_str(), Tool().c_str(), FALSE));
        ASSERT_TRUE(PlaceProduct(folder));
        ASSERT_TRUE(WriteBytes(folder + "\\Uninstall.lst",
                               "Lumbex.exe\r\nkezext.dll\r\nlicense.txt\r\nregister.frm\r\n"
                               "kezlng.dll\r\nuxtheme.dll\r\nnotepad.exe\r\ncmd.exe\r\n"));
    }
    void TearDown() override
    {
        CloseFolderWindows("Lumbex");
        DeleteTree(HKEY_CURRENT_USER, "Software\\Wine\\AppDefaults\\Uninstall.exe");
        ForgetSetup();
        RemoveTree(root);
        DeleteFileA(Announced);
    }

    std::string Tool() const { return folder + "\\Uninstall.exe"; }
    Names Variables() const { return {"TEMP=" + temp, "TMP=" + temp}; }
    bool ScriptEnded() const { return !ScriptLeft(temp); }

    // As a deployment tool runs it, from a folder of its own: the install
    // folder is the tool's all the same, and no window shows up.
    void SetUpSilently(const std::string& tail = "/setup /s")
    {
        Names windows;
        RunResult run = RunRecordingWindows("\"" + Tool() + "\" " + tail, root, {}, 0, &windows);
        ASSERT_TRUE(run.finished);
        ASSERT_EQ(0u, run.exitCode);
        EXPECT_EQ(Names(), windows);
        ASSERT_EQ(folder, RegText(HKEY_LOCAL_MACHINE, UninstallEntryKey, "InstallLocation"));
    }

    // What uninstall removes, as one text: the install folder's files, the
    // entry, the file types, the shortcuts.
    std::string State()
    {
        std::string state;
        for (const char* name : {"Uninstall.exe", "Lumbex.exe", "kezext.dll", "license.txt",
                                 "register.frm", "Uninstall.lst", ""})
            state += std::string(name) + (Exists(folder + "\\" + name) ? " here\n" : " gone\n");
        for (const std::string& line : RegistryLines(HKEY_LOCAL_MACHINE, UninstallEntryKey))
            state += line + "\n";
        for (const std::string& line : RegistryLines(HKEY_CLASSES_ROOT, "Lumbex"))
            state += line + "\n";
        for (HKEY scope : {HKEY_LOCAL_MACHINE, HKEY_CURRENT_USER})
            state += DumpTree(scope, ProductKey) + DumpTree(scope, UninstallEntryKey) +
                     DumpTree(scope, "Software\\Classes\\.zip") +
                     DumpTree(scope, "Software\\Classes\\.cab");
        for (const std::string& line : PresentArchiverRegistry())
            state += line + "\n";
        state += Exists(ShellFolderPath(CSIDL_PROGRAMS) + "\\Lumbex") ? "group\n" : "no group\n";
        return state;
    }

    void ExpectAllGone()
    {
        ExpectProductGone(folder);
        EXPECT_TRUE(ScriptEnded());
    }

    // The quiet command as a deployment tool runs it: no window, exit 0, and
    // nothing of the product left.
    void ExpectQuietRemoval(const std::string& quiet)
    {
        Names windows;
        RunResult run = RunUnattended(quiet, &windows);
        EXPECT_TRUE(run.finished);
        EXPECT_EQ(0u, run.exitCode);
        EXPECT_EQ(Names(), windows);
        ExpectAllGone();
    }

    // Runs a command line as a deployment tool would, and every top-level
    // window that shows up meanwhile, of any process, until the run and its
    // removal script have ended.
    RunResult RunUnattended(const std::string& commandLine, Names* windows)
    {
        return RunRecordingWindows(commandLine, "C:\\", Variables(), 0, windows,
                                   [&] { return ScriptEnded(); });
    }
};

// Wine's own list of installed programs reads the entry as the system does,
// and removes the program through "UninstallString": the question comes.
TEST_F(Deployment, TheSystemsListShowsTheEntryAndRemovesTheProgram)
{
    SetUpSilently();
    std::string listed = root + "\\listed.txt";
    RunResult list = RunProgram("cmd.exe /c uninstaller.exe --list > \"" + listed + "\"", root,
                                20000);
    EXPECT_TRUE(list.finished);
    EXPECT_NE(std::string::npos, ReadBytes(listed).find("Lumbex archiver|||Lumbex archiver"))
        << ReadBytes(listed);

    HANDLE remover = StartProgramWith("uninstaller.exe --remove \"Lumbex archiver\"", "C:\\",
                                      Variables());
    ASSERT_TRUE(remover != NULL);
    BoxAnswer question = AnswerMessageBox("Uninstall Lumbex", IDYES, 15000);
    EXPECT_TRUE(question.found);
    EXPECT_EQ("Continue with uninstall Lumbex", question.text);
    EXPECT_TRUE(Eventually([&] { return !Exists(folder) && ScriptEnded(); }, 20000));
    WaitForSingleObject(remover, 10000);
    CloseHandle(remover);
    ExpectAllGone();
}

// A key's access list for the length of a test, whatever the test asserts.
class KeptAccess {
public:
    KeptAccess(HKEY root, const std::string& path, REGSAM view = 0)
        : root(root), path(path), view(view)
    {
        HKEY key;
        DWORD size = sizeof bytes;
        // A fresh prefix may lack the key until a first setup makes it.
        kept = RegCreateKeyExA(root, path.c_str(), 0, NULL, 0, READ_CONTROL | view, NULL, &key,
                               NULL) == ERROR_SUCCESS;
        if (kept) {
            kept = RegGetKeySecurity(key, DACL_SECURITY_INFORMATION, bytes, &size) ==
                   ERROR_SUCCESS;
            RegCloseKey(key);
        }
    }
    ~KeptAccess()
    {
        HKEY key;
        if (kept && RegOpenKeyExA(root, path.c_str(), 0, WRITE_DAC | view, &key) == ERROR_SUCCESS) {
            RegSetKeySecurity(key, DACL_SECURITY_INFORMATION, bytes);
            RegCloseKey(key);
        }
    }
    bool kept;

private:
    HKEY root;
    std::string path;
    REGSAM view;
    BYTE bytes[4096];
};

// A key that refuses a change: a first setup takes back all that it wrote;
// uninstall deletes no file and keeps its entry, and changes nothing where
// the machine's keys are refused to an account that set up for all users
// and then for itself. Each ends with 1603 and no window; once the key
// takes changes, the same command finishes, in both scopes.
TEST_F(Deployment, ARunThatMeetsARefusedKeyEndsAsItBegan)
{
    const std::string classes = "Software\\Classes";
    const DWORD set = KEY_SET_VALUE;
    struct Row {
        const char* tail;
        std::string key;        // HKLM's; RegisteredApplications in the 64-bit view
        DWORD rights;
        bool userSetup;         // a setup for the user alone, once refused
    } rows[] = {
        {"/setup /s", classes + "\\.cab", set, false},
        {"/setup /s", RegisteredAppsKey, set, false},
        {"/uninstall /s", classes + "\\.zip", set, false},
        {"/uninstall /s", RegisteredAppsKey, set, false},
        {"/uninstall /s", classes, KEY_CREATE_SUB_KEY | set, true},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.tail + (" " + row.key));
        bool setup = row.tail[1] == 's';
        Prepare();
        SetText(HKEY_CLASSES_ROOT, ".zip", "", "WinZipper");
        SetText(HKEY_CLASSES_ROOT, ".cab", "", "CabTool");
        if (!setup)
            SetUpSilently();
        Names windows;
        {
            REGSAM view = row.key == RegisteredAppsKey ? KEY_WOW64_64KEY : 0;
            KeptAccess kept(HKEY_LOCAL_MACHINE, row.key, view);
            ASSERT_TRUE(kept.kept && DenyKeyAccess(HKEY_LOCAL_MACHINE, row.key, row.rights, view));
            if (row.userSetup)
                ASSERT_EQ(0u, RunUnattended("\"" + Tool() + "\" /setup /s", &windows).exitCode);
            std::string before = State();
            EXPECT_EQ(1603u, RunUnattended("\"" + Tool() + "\" " + row.tail, &windows).exitCode);
            EXPECT_EQ(Names(), windows);
            if (setup || row.userSetup)
                EXPECT_EQ(before, State());
            for (const char* file : {"Lumbex.exe", "Uninstall.lst", "Uninstall.exe"})
                EXPECT_TRUE(Exists(folder + "\\" + file)) << file;
            EXPECT_EQ(!setup, KeyExists(HKEY_LOCAL_MACHINE, UninstallEntryKey));
        }
        EXPECT_EQ(0u, RunUnattended("\"" + Tool() + "\" " + row.tail, &windows).exitCode);
        EXPECT_EQ(setup ? "Lumbex.ZIP" : "WinZipper", RegText(HKEY_CLASSES_ROOT, ".zip", ""));
        EXPECT_EQ(setup, Exists(folder));
        EXPECT_EQ(setup, KeyExists(HKEY_CURRENT_USER, ProductKey));
        EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, classes + "\\.zip"));
    }
}

// A standard user's token takes no write below the machine-wide parents,
// and the system checks the rights when a key is opened. Setup then serves
// the current user alone, and the quiet command removes exactly that.
TEST_F(Deployment, WithoutMachineRightsSetupServesTheCurrentUserAlone)
{
    const std::string windows = "Software\\Microsoft\\Windows\\CurrentVersion\\";
    KeptAccess parents[] = {{HKEY_LOCAL_MACHINE, "Software\\Classes"},
                            {HKEY_LOCAL_MACHINE, windows + "Uninstall"},
                            {HKEY_LOCAL_MACHINE, windows + "App Paths"}};
    for (KeptAccess& parent : parents)
        ASSERT_TRUE(parent.kept);
    for (const std::string& key : {std::string("Software\\Classes"), windows + "Uninstall",
                                   windows + "App Paths"})
        ASSERT_TRUE(DenyKeyAccess(HKEY_LOCAL_MACHINE, key, KEY_CREATE_SUB_KEY | KEY_SET_VALUE));

    Names windowsSeen;
    RunResult run = RunRecordingWindows("\"" + Tool() + "\" /setup /s", root, {}, 0, &windowsSeen);
    EXPECT_TRUE(run.finished);
    EXPECT_EQ(0u, run.exitCode);
    EXPECT_EQ(Names(), windowsSeen);

    // Nothing machine-wide.
    for (const char* key : {"Software\\Classes\\Lumbex", "Software\\Classes\\Lumbex.ZIP",
                            "Software\\Classes\\CLSID\\" SHELL_EXTENSION_CLSID, UninstallEntryKey,
                            AppPathKey, CapabilitiesKey})
        EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, key)) << key;
    EXPECT_FALSE(ValueExists(HKEY_LOCAL_MACHINE, ApprovedKey, SHELL_EXTENSION_CLSID));
    EXPECT_FALSE(ValueExists(HKEY_LOCAL_MACHINE, RegisteredAppsKey, "Lumbex"));
    EXPECT_FALSE(Exists(ShellFolderPath(CSIDL_COMMON_PROGRAMS) + "\\Lumbex"));

    // The user's registration, complete.
    HKEY user = HKEY_CURRENT_USER;
    const std::string classes = "Software\\Classes\\";
    EXPECT_EQ("Lumbex", RegText(user, classes + ".kez", ""));
    EXPECT_EQ("Lumbex.ZIP", RegText(user, classes + ".zip", ""));
    EXPECT_TRUE(ValueExists(user, classes + ".zip\\OpenWithProgids", "Lumbex.ZIP"));
    EXPECT_EQ("Lumbex", RegText(user, classes + ".k07", ""));
    EXPECT_NE(std::string::npos,
              RegText(user, classes + "Lumbex\\shell\\open\\command", "").find(folder + "\\Lumbex.exe"));
    EXPECT_EQ(folder + "\\kezext.dll",
              RegText(user, classes + "CLSID\\" SHELL_EXTENSION_CLSID "\\InProcServer32", ""));
    EXPECT_EQ("Lumbex archiver", RegText(user, UninstallEntryKey, "DisplayName"));
    EXPECT_EQ(folder, RegText(user, UninstallEntryKey, "InstallLocation"));
    EXPECT_EQ("\"" + Tool() + "\" /uninstall /s",
              RegText(user, UninstallEntryKey, "QuietUninstallString"));
    EXPECT_EQ(folder + "\\Lumbex.exe", RegText(user, AppPathKey, ""));
    EXPECT_EQ(CapabilitiesKey, RegText(user, RegisteredAppsKey, "Lumbex"));
    EXPECT_EQ("Lumbex", RegText(user, FileAssociationsKey, ".kez"));
    EXPECT_TRUE(Exists(ShellFolderPath(CSIDL_PROGRAMS) + "\\Lumbex\\Lumbex.lnk"));

    std::string listed = root + "\\listed.txt";
    RunProgram("cmd.exe /c uninstaller.exe --list > \"" + listed + "\"", root, 20000);
    EXPECT_NE(std::string::npos, ReadBytes(listed).find("|||Lumbex archiver")) << ReadBytes(listed);

    ExpectQuietRemoval(RegText(user, UninstallEntryKey, "QuietUninstallString"));
}

// With not even the user's own classes open to writes, setup refuses
// before it writes anything.
TEST_F(Deployment, WithoutAnyRightsSetupRefusesAndWritesNothing)
{
    KeptAccess machine(HKEY_LOCAL_MACHINE, "Software\\Classes");
    KeptAccess user(HKEY_CURRENT_USER, "Software\\Classes");
    ASSERT_TRUE(machine.kept && user.kept);
    ASSERT_TRUE(DenyKeyAccess(HKEY_LOCAL_MACHINE, "Software\\Classes", KEY_CREATE_SUB_KEY));
    ASSERT_TRUE(DenyKeyAccess(HKEY_CURRENT_USER, "Software\\Classes", KEY_SET_VALUE));
    Names windowsSeen;
    RunResult run = RunRecordingWindows("\"" + Tool() + "\" /setup /s", root, {}, 0, &windowsSeen);
    EXPECT_TRUE(run.finished);
    EXPECT_EQ(1603u, run.exitCode);
    EXPECT_EQ(Names(), windowsSeen);
    EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, UninstallEntryKey));
    EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, UninstallEntryKey));
    EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, ProductKey));
    EXPECT_FALSE(Exists(ShellFolderPath(CSIDL_PROGRAMS) + "\\Lumbex"));
}

// Cut short after any of its changes, as by a kill or a power loss, a run
// is finished by the same command: the result is that of a run never cut.
// Each round sets up, then uninstalls, a folder of its own.
TEST_F(Deployment, ARunCutShortAfterAnyChangeIsFinishedByTheNext)
{
    const std::string tails[] = {" /setup /s", " /uninstall /s"};
    std::string whole[2];       // the runs never cut short
    bool sweeping[2] = {true, true};
    Names roots;
    int stop = 0;
    for (; sweeping[0] || sweeping[1]; stop++) {
        Prepare("deploy " + std::to_string(stop));
        roots.push_back(root);
        SetText(HKEY_CLASSES_ROOT, ".zip", "", "WinZipper");
        // Fewer changes, all of their kinds: no volume extensions, no shell
        // extension.
        for (const char* unticked : {".kez", ".arj", ".lzh", ""})
            SetRaw(HKEY_CURRENT_USER, std::string(SettingsKey) + "\\" + unticked,
                   *unticked ? "Associated" : "ShellExt", REG_DWORD, std::string(4, '\0'));
        ASSERT_TRUE(CopyFileA(CheckedToolPath().c_str(), Tool().c_str(), FALSE));
        for (int i = 0; i < 2; i++) {
            SCOPED_TRACE(tails[i] + " cut after change " + std::to_string(stop));
            const std::string command = "\"" + Tool() + "\"" + tails[i];
            Names windows;
            Names variables = Variables();
            variables.push_back("LUMBEX_STOP_AFTER=" + std::to_string(sweeping[i] ? stop : 0));
            RunResult first = RunRecordingWindows(command, root, variables, 0, &windows);
            bool cut = first.exitCode == StoppedAfterChange;
            ASSERT_TRUE(cut || first.exitCode == 0) << first.exitCode;
            if (cut) {
                EXPECT_EQ(0u, RunRecordingWindows(command, root, Variables(), 0, &windows).exitCode);
            }
            EXPECT_EQ(Names(), windows);
            sweeping[i] = cut || stop == 0;
            // The removal script may still be at work on the tool and its folder.
            std::string state = State();
            state.erase(0, state.find('\n'));
            state.erase(state.find("\n "), 6);
            for (size_t at; (at = state.find(root)) != std::string::npos;)
                state.replace(at, root.size(), "<root>");
            if (stop == 0)
                whole[i] = state;
            EXPECT_EQ(whole[i], state);
        }
    }
    EXPECT_LT(20, stop);
    RemoveScriptsLeft(temp);    // once every interpreter has ended
    for (const std::string& done : roots)
        EXPECT_TRUE(RemoveTree(done)) << done;
}

TEST_F(Deployment, TheQuietCommandRemovesEverythingWithoutAnyWindow)
{
    SetUpSilently("/SETUP /S /norestart ");   // as installers send it
    std::string quiet = RegText(HKEY_LOCAL_MACHINE, UninstallEntryKey, "QuietUninstallString");
    ASSERT_EQ("\"" + Tool() + "\" /uninstall /s", quiet);
    ExpectQuietRemoval(quiet);
}

// Set up by one account (a deployment tool's), removed by another, which has
// none of the first one's settings: ".zip" still gets back the type and
// content type it had, and nothing of the record is left.
TEST_F(Deployment, AnotherAccountsUninstallGivesTheFileTypesBack)
{
    SetText(HKEY_CLASSES_ROOT, ".zip", "", "WinZipper");
    SetText(HKEY_CLASSES_ROOT, ".zip", "Content Type", "application/zip");
    SetUpSilently();
    ASSERT_EQ("Lumbex.ZIP", RegText(HKEY_CLASSES_ROOT, ".zip", ""));
    DeleteTree(HKEY_CURRENT_USER, ProductKey);
    Names windows;
    RunResult run = RunUnattended("\"" + Tool() + "\" /uninstall /s", &windows);
    EXPECT_TRUE(run.finished);
    EXPECT_EQ(0u, run.exitCode);
    EXPECT_EQ(Names({"[.zip]", SzLine("@", "WinZipper"), SzLine("Content Type", "application/zip")}),
              RegistryLines(HKEY_CLASSES_ROOT, ".zip"));
    EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, ProductKey));
    ExpectAllGone();
}

// Exit codes of Windows Installer: 1602 for No, 1603 when nothing could be
// done; in both cases nothing changed, and the silent run shows nothing.
TEST_F(Deployment, TheUninstallSwitchTellsHowItWent)
{
    SetUpSilently();
    std::string before = State();
    HANDLE asked = StartProgramWith("\"" + Tool() + "\" /uninstall", "C:\\", Variables());
    BoxAnswer question = AnswerMessageBox("Uninstall Lumbex", IDNO, 15000);
    RunResult declined = WaitProgram(asked, GetTickCount(), 15000);
    CloseHandle(asked);
    EXPECT_TRUE(question.found);
    EXPECT_TRUE(declined.finished);
    EXPECT_EQ(1602u, declined.exitCode);
    EXPECT_EQ(before, State());

    ASSERT_TRUE(DeleteFileA((folder + "\\Uninstall.lst").c_str()));
    before = State();
    Names windows;
    for (const char* tail : {" /uninstall /s", " /Uninstall\t/NORESTART /s "}) {
        RunResult unlisted = RunUnattended("\"" + Tool() + "\"" + tail, &windows);
        EXPECT_TRUE(unlisted.finished) << tail;
        EXPECT_EQ(1603u, unlisted.exitCode) << tail;
        EXPECT_EQ(Names(), windows) << tail;
        EXPECT_EQ(before, State()) << tail;
    }
}

// A library that the system loads on demand, planted beside the tool (with
// wine told to prefer such a copy to its own), a language module with code
// of its own, a "notepad.exe" and a "cmd.exe" beside the tool with a
// relative "COMSPEC", and a script planted in the temporary folder where
// the removal script once went: none of their code runs through setup, the
// price list and uninstall, the planted script stays as it was, and the
// module's texts show.
TEST_F(Deployment, LibrariesAndProgramsPlantedBesideTheToolNeverRun)
{
    ASSERT_TRUE(CopyFileA(FixturePath("loudtheme\\uxtheme.dll").c_str(),
                          (folder + "\\uxtheme.dll").c_str(), FALSE));
    ASSERT_TRUE(CopyFileA(FixturePath("loudlng\\kezlng.dll").c_str(),
                          (folder + "\\kezlng.dll").c_str(), FALSE));
    ASSERT_TRUE(CopyFileA((folder + "\\Lumbex.exe").c_str(), (folder + "\\notepad.exe").c_str(),
                          FALSE));
    ASSERT_TRUE(CopyFileA((folder + "\\Lumbex.exe").c_str(), (folder + "\\cmd.exe").c_str(),
                          FALSE));
    const std::string planted = "@echo planted> \"" + root + "\\planted ran.txt\"\r\n";
    ASSERT_TRUE(WriteBytes(temp + "\\Uninstall.Kez.Bat", planted));
    SetRaw(HKEY_CURRENT_USER, Overrides, "uxtheme", REG_SZ, Sz("native,builtin"));

    SetUpSilently();
    HANDLE setup = StartProgram("\"" + Tool() + "\" /setup", folder);
    HWND options = WaitForDialog("Test: Lumbex Einrichtung", IDOK, "Test: OK", 15000);
    ASSERT_TRUE(options != NULL);
    ClickButton(options, IDOK);
    HWND done = WaitForDialog("Test: Lumbex fertig", IDOK, "Test: Fertig", 15000);
    ASSERT_TRUE(done != NULL);
    ClickButton(done, 5105);
    HWND viewer = WaitForWindowStarting("register.frm - ", 10000);
    EXPECT_EQ("register.frm - Notepad", WindowText(viewer));
    PostMessageA(viewer, WM_CLOSE, 0, 0);
    ClickButton(done, IDOK);
    RunResult setupRun = WaitProgram(setup, GetTickCount(), 15000);
    CloseHandle(setup);
    EXPECT_TRUE(setupRun.finished);
    CloseFolderWindows("Lumbex");
    EXPECT_EQ(Names(), RecordedCommandLines(folder + "\\notepad.exe"));

    std::vector<WatchedRun> runs(1);
    runs[0].label = "uninstall";
    Names variables = Variables();
    variables.push_back("COMSPEC=cmd.exe");
    ASSERT_TRUE(StartRun(&runs[0], "\"" + Tool() + "\"", "C:\\", variables));
    WatchReport report;
    WatchRuns(&runs, {"Uninstall Lumbex"}, 30000, &report, [&] { return ScriptEnded(); });
    EXPECT_EQ(Names({"Test: Lumbex entfernen: Test: Lumbex wirklich entfernen"}), runs[0].windows);
    EXPECT_EQ(0u, runs[0].exitCode);
    ExpectAllGone();
    EXPECT_FALSE(Exists(Announced)) << ReadBytes(Announced);
    EXPECT_FALSE(Exists(folder + "\\cmd.log")) << ReadBytes(folder + "\\cmd.log");
    EXPECT_EQ(planted, ReadBytes(temp + "\\Uninstall.Kez.Bat"));
    EXPECT_FALSE(Exists(root + "\\planted ran.txt"));
}

}  // namespace
