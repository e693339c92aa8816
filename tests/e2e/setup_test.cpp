// Setup mode on the real executable, in an install folder holding the
// product's stand-ins, with the install folder as current directory.
#include <gtest/gtest.h>

#include <shlobj.h>

#include <string>
#include <vector>

#include "driver/lumbex_state.h"
#include "driver/sandbox.h"
#include "driver/setup_state.h"
#include "driver/setup_dialog.h"
#include "driver/ui_driver.h"

namespace {

const std::string Class = SHELL_EXTENSION_CLSID;
const char* Extensions[] = {".kez", ".zip", ".cab", ".arj", ".lzh"};

// Ids of the completion dialog ("DONEDLG").
enum { Folder = 5101, RunArchiver, ReadHelp, License, PriceList };

std::string Key(const std::string& path)
{
    return "[" + path + "]";
}

// The previous type and content type saved for each archive type.
using Saved = std::vector<std::pair<std::string, std::string>>;

void Append(std::vector<std::string>* lines, std::initializer_list<std::string> more)
{
    lines->insert(lines->end(), more);
}

struct Choices {
    bool types[5];
    bool desktop, startMenu, programs, shellExt, cascaded, menuIcons;
};
const Choices Defaults = {{true, true, true, true, true}, false, false, true, true, false, true};

// HKEY_CURRENT_USER "Software\Lumbex": the stored choices.
std::vector<std::string> ExpectedSettings(const Choices& c)
{
    std::vector<std::string> lines = {Key("Software\\Lumbex"), Key("Software\\Lumbex\\Setup"),
                                      DwordLine("CascadedMenu", c.cascaded),
                                      DwordLine("MenuIcons", c.menuIcons),
                                      DwordLine("ShellExt", c.shellExt)};
    // Sorted as the registry dump sorts them.
    for (int row : {3, 2, 0, 4, 1}) {
        Append(&lines, {Key(std::string("Software\\Lumbex\\Setup\\") + Extensions[row]),
                        DwordLine("Associated", c.types[row])});
    }
    Append(&lines, {Key("Software\\Lumbex\\Setup\\Links"), DwordLine("Desktop", c.desktop),
                    DwordLine("Programs", c.programs), DwordLine("StartMenu", c.startMenu)});
    return lines;
}

// HKEY_LOCAL_MACHINE "Software\Lumbex": the previous types, where every
// account's uninstall finds them; saved[i] is the previous type and content
// type of extension i.
std::vector<std::string> ExpectedRecords(const Choices& c, const Saved& saved)
{
    std::vector<std::string> lines;
    for (int row : {3, 2, 0, 4, 1})
        if (c.types[row])
            Append(&lines, {Key(std::string("Software\\Lumbex\\Setup\\") + Extensions[row]),
                            SzLine("Content", saved[row].second), SzLine("Type", saved[row].first)});
    if (!lines.empty())
        lines.insert(lines.begin(), Key("Software\\Lumbex\\Setup"));
    return lines;
}

// Templates for the shell's New menu come with shell integration only.
std::vector<std::string> ExpectedExtension(int row, bool shellExt)
{
    std::string ext = Extensions[row];
    std::vector<std::string> lines = {
        Key(ext), SzLine("@", row == 1 ? "Lumbex.ZIP" : "Lumbex"),
        SzLine("Content Type",
             row == 0 ? "application/x-kez-compressed" : "application/x-compressed"),
        Key(ext + "\\OpenWithProgids"), SzLine(row == 1 ? "Lumbex.ZIP" : "Lumbex", "")};
    if (row == 0 && shellExt)
        Append(&lines, {Key(".kez\\ShellNew"), "  Data = REG_BINARY 4b 65 7a 21 1a 07 00 cf 90 73 "
                                               "00 00 0d 00 00 00 00 00 00 00"});
    if (row == 1 && shellExt)
        Append(&lines, {Key(".zip\\ShellNew"), "  Data = REG_BINARY 50 4b 05 06 00 00 00 00 00 00 "
                                               "00 00 00 00 00 00 00 00 00 00 00 00"});
    return lines;
}

std::vector<std::string> ExpectedProgId(const std::string& id, const std::string& description,
                                        const std::string& folder, bool shellExt)
{
    std::string archiver = folder + "\\Lumbex.exe";
    std::vector<std::string> lines = {Key(id), SzLine("@", description),
                                      Key(id + "\\DefaultIcon"), SzLine("@", archiver + ",0"),
                                      Key(id + "\\shell"), Key(id + "\\shell\\open"),
                                      Key(id + "\\shell\\open\\command"),
                                      SzLine("@", "\"" + archiver + "\" \"%1\"")};
    if (shellExt)
        Append(&lines, {Key(id + "\\shellex"), Key(id + "\\shellex\\ContextMenuHandlers"),
                        Key(id + "\\shellex\\ContextMenuHandlers\\" + Class), SzLine("@", ""),
                        Key(id + "\\shellex\\DropHandler"), SzLine("@", Class),
                        Key(id + "\\shellex\\PropertySheetHandlers"),
                        Key(id + "\\shellex\\PropertySheetHandlers\\" + Class), SzLine("@", "")});
    return lines;
}

std::vector<std::string> ExpectedClass(const std::string& folder)
{
    return {Key("CLSID\\" + Class), SzLine("@", "Lumbex"),
            Key("CLSID\\" + Class + "\\InProcServer32"), SzLine("@", folder + "\\kezext.dll"),
            SzLine("ThreadingModel", "Apartment")};
}

const char* HandlerKeys[] = {
    "*\\shellex\\ContextMenuHandlers\\Lumbex", "Folder\\shellex\\ContextMenuHandlers\\Lumbex",
    "Folder\\shellex\\DragDropHandlers\\Lumbex", "Drives\\shellex\\ContextMenuHandlers\\Lumbex"};

DWORD FileSize(const std::string& path)
{
    return (DWORD)ReadBytes(path).size();
}

// The entry in the list of installed programs: sizes in KiB of the tool and
// of the listed files that are there; the archiver's product version when
// it has one.
std::vector<std::string> ExpectedUninstallEntry(const std::string& folder,
                                                const std::string& tool,
                                                const std::string& version)
{
    DWORD bytes = FileSize(tool);
    for (const char* listed : {"Lumbex.exe", "kezext.dll", "license.txt", "register.frm"})
        bytes += FileSize(folder + "\\" + listed);
    std::string archiver = folder + "\\Lumbex.exe";
    std::vector<std::string> lines = {Key(UninstallEntryKey),
                                      SzLine("DisplayIcon", archiver + ",0"),
                                      SzLine("DisplayName", "Lumbex archiver")};
    if (!version.empty())
        lines.push_back(SzLine("DisplayVersion", version));
    Append(&lines, {DwordLine("EstimatedSize", (bytes + 1023) / 1024),
                    SzLine("InstallLocation", folder), DwordLine("NoModify", 1),
                    DwordLine("NoRepair", 1), SzLine("Publisher", "Lumbex"),
                    SzLine("QuietUninstallString", "\"" + tool + "\" /uninstall /s"),
                    SzLine("URLInfoAbout", "http://www.lumbex.example/"),
                    SzLine("UninstallString", "\"" + tool + "\"")});
    return lines;
}

class SetupMode : public testing::Test {
protected:
    void SetUp() override
    {
        ForgetSetup();
        install = MakeSandbox("setup e2e");
        ASSERT_TRUE(CopyFileA(ToolPath().c_str(), Tool().c_str(), FALSE));
        ASSERT_TRUE(PlaceProduct(install));
        // A folder and a missing file add nothing to the size.
        ASSERT_TRUE(WriteBytes(install + "\\Uninstall.lst",
                               "Lumbex.exe\r\nkezext.dll\r\nlicense.txt\r\nregister.frm\r\n"
                               "missing.txt\r\nFormats\r\n"));
        CreateDirectoryA((install + "\\Formats").c_str(), NULL);
        // Started unquoted, "C:\lumbex-tests\setup e2e\Lumbex.exe" would run this one.
        ASSERT_TRUE(CopyFileA((install + "\\Lumbex.exe").c_str(), Decoy.c_str(), FALSE));
        DeleteFileA("C:\\lumbex-tests\\setup.log");
    }
    void TearDown() override
    {
        if (process) {
            TerminateProcess(process, 1);
            CloseHandle(process);
        }
        CloseFolderWindows("Lumbex");
        EXPECT_FALSE(Exists("C:\\lumbex-tests\\setup.log")) << "a path went unquoted";
        DeleteFileA(Decoy.c_str());
        DeleteFileA("C:\\lumbex-tests\\setup.log");
        ForgetSetup();
    }

    std::string Tool() const { return install + "\\Uninstall.exe"; }
    std::string InInstall(const std::string& name) const { return install + "\\" + name; }

    void Start(const std::string& tool, const std::string& tail, const std::string& folder)
    {
        started = GetTickCount();
        process = StartProgram("\"" + tool + "\" " + tail, folder);
        ASSERT_TRUE(process != NULL);
    }
    RunResult Finish(DWORD timeoutMs = 15000)
    {
        RunResult run = WaitProgram(process, started, timeoutMs);
        CloseHandle(process);
        process = NULL;
        return run;
    }
    // A silent run shows no window of its own and opens none in the shell,
    // not even a while after it has ended (settleMs).
    RunResult RunSilent(const std::string& tool, const std::string& folder, DWORD exitCode = 0,
                        DWORD settleMs = 0)
    {
        std::vector<std::string> windows;
        RunResult run = RunRecordingWindows("\"" + tool + "\" /setup /s", folder, {}, settleMs,
                                            &windows);
        EXPECT_TRUE(run.finished) << "a silent run waited";
        EXPECT_EQ(exitCode, run.exitCode);
        EXPECT_EQ(std::vector<std::string>(), windows);
        return run;
    }
    // Nothing of setup's in the registry or among the shortcuts.
    void ExpectNothingWritten()
    {
        EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, "Software\\Lumbex"));
        EXPECT_FALSE(KeyExists(HKEY_CLASSES_ROOT, "Lumbex"));
        EXPECT_FALSE(KeyExists(HKEY_CLASSES_ROOT, "CLSID\\" + Class));
        EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, UninstallEntryKey));
        EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, AppPathKey));
        EXPECT_FALSE(Exists(ShellFolderPath(CSIDL_PROGRAMS) + "\\Lumbex"));
    }
    HWND WaitForOptions() { return WaitForDialog("Lumbex Setup", IDOK, "OK", 15000); }
    HWND WaitForDone() { return WaitForDialog("Lumbex Setup", IDOK, "Done", 15000); }

    // Every registry value that setup mode writes, in one comparison per tree.
    void ExpectRegistry(const Choices& c, const Saved& saved,
                        const std::string& folder, const std::string& tool)
    {
        EXPECT_EQ(ExpectedSettings(c), RegistryLines(HKEY_CURRENT_USER, "Software\\Lumbex"));
        EXPECT_EQ(ExpectedRecords(c, saved),
                  RegistryLines(HKEY_LOCAL_MACHINE, "Software\\Lumbex\\Setup"));
        // Default apps: every ticked type, named by its ProgID, which opens the archiver.
        EXPECT_EQ("Lumbex archiver", NativeText(CapabilitiesKey, "ApplicationName"));
        EXPECT_EQ("Lumbex archive", NativeText(CapabilitiesKey, "ApplicationDescription"));
        EXPECT_EQ(CapabilitiesKey, NativeText(RegisteredAppsKey, "Lumbex"));
        for (int row = 0; row < 5; row++) {
            if (!c.types[row])
                continue;
            EXPECT_EQ(ExpectedExtension(row, c.shellExt),
                      RegistryLines(HKEY_CLASSES_ROOT, Extensions[row]));
            EXPECT_EQ(row == 1 ? "Lumbex.ZIP" : "Lumbex",
                      NativeText(FileAssociationsKey, Extensions[row]));
        }
        for (const std::string& volume : VolumeExtensions()) {
            std::vector<std::string> expected;
            if (c.types[0])
                expected = {Key(volume), SzLine("@", "Lumbex"),
                            SzLine("Content Type", "application/x-kez-compressed")};
            EXPECT_EQ(expected, RegistryLines(HKEY_CLASSES_ROOT, volume));
        }
        EXPECT_EQ(ExpectedProgId("Lumbex", "Lumbex archive", folder, c.shellExt),
                  RegistryLines(HKEY_CLASSES_ROOT, "Lumbex"));
        EXPECT_EQ(ExpectedProgId("Lumbex.ZIP", "Lumbex ZIP archive", folder, c.shellExt),
                  RegistryLines(HKEY_CLASSES_ROOT, "Lumbex.ZIP"));

        std::vector<std::string> none;
        EXPECT_EQ(c.shellExt ? ExpectedClass(folder) : none,
                  RegistryLines(HKEY_CLASSES_ROOT, "CLSID\\" + Class));
        std::string exefile = "exefile\\shellex\\PropertySheetHandlers\\" + Class;
        std::vector<std::string> emptyHandler = {Key(exefile), SzLine("@", "")};
        EXPECT_EQ(c.shellExt ? emptyHandler : none, RegistryLines(HKEY_CLASSES_ROOT, exefile));
        for (const char* handler : HandlerKeys) {
            std::vector<std::string> named = {Key(handler), SzLine("@", Class)};
            EXPECT_EQ(c.shellExt ? named : none, RegistryLines(HKEY_CLASSES_ROOT, handler));
        }

        std::string toolFolder = tool.substr(0, tool.rfind('\\'));
        EXPECT_EQ(ExpectedUninstallEntry(folder, tool, archiverVersion),
                  RegistryLines(HKEY_LOCAL_MACHINE, UninstallEntryKey));
        EXPECT_EQ(std::vector<std::string>({Key(AppPathKey),
                                            SzLine("@", toolFolder + "\\Lumbex.exe"),
                                            SzLine("Path", folder)}),
                  RegistryLines(HKEY_LOCAL_MACHINE, AppPathKey));
        EXPECT_EQ(SzLine(Class, "Lumbex shell extension"),
                  RegistryLine(HKEY_LOCAL_MACHINE, ApprovedKey, Class));
    }

    void ExpectGroups(const std::string& folder)
    {
        for (int csidl : {CSIDL_PROGRAMS, CSIDL_COMMON_PROGRAMS})
            ExpectGroup(ShellFolderPath(csidl) + "\\Lumbex", folder);
    }

    const std::string Decoy = "C:\\lumbex-tests\\setup.exe";
    std::string archiverVersion = "4.2.0.17";      // the stand-in's
    std::string install;
    HANDLE process = NULL;
    DWORD started = 0;
};

TEST_F(SetupMode, SilentRunOnAFreshMachineWritesExactlyTheSetupStateAndTheDefaultShortcuts)
{
    // Another program owned ".cab" before.
    SetRaw(HKEY_CLASSES_ROOT, ".cab", "", REG_SZ, std::string("CabFolder") + '\0');
    SetRaw(HKEY_CLASSES_ROOT, ".cab", "Content Type", REG_SZ,
           std::string("application/vnd.ms-cab-compressed") + '\0');
    Saved saved(5);
    saved[2] = {"CabFolder", "application/vnd.ms-cab-compressed"};

    RunSilent(Tool(), install, 0, 4000);
    ExpectRegistry(Defaults, saved, install, Tool());
    ExpectGroups(install);
    EXPECT_FALSE(Exists(ShellFolderPath(CSIDL_DESKTOPDIRECTORY) + "\\Lumbex.lnk"));
    EXPECT_FALSE(Exists(ShellFolderPath(CSIDL_STARTMENU) + "\\Lumbex.lnk"));

    // Again: the archiver's own types, "Lumbex.ZIP" included, are never
    // saved as previous types, so what the first run saved stays.
    RunSilent(Tool(), install);
    ExpectRegistry(Defaults, saved, install, Tool());
    ExpectGroups(install);
}

// Installers start setup from wherever they are: system32, a user's
// downloads folder, a subfolder of the install folder. The install folder
// is the tool's own all the same, and one without the archiver is refused
// before anything is written.
TEST_F(SetupMode, TheInstallFolderIsTheToolsOwnWhereverSetupStarts)
{
    // The current folder looks like an install folder.
    std::string elsewhere = MakeSandbox("setup e2e current");
    ASSERT_TRUE(PlaceProduct(elsewhere));
    // An archiver without a version resource: the entry shows none.
    ASSERT_TRUE(WriteBytes(InInstall("Lumbex.exe"), "no version here"));
    archiverVersion = "";
    RunSilent(Tool(), elsewhere);
    Saved saved(5);
    ExpectRegistry(Defaults, saved, install, Tool());
    ExpectGroups(install);

    ForgetSetup();
    std::string bare = MakeSandbox("setup e2e bare");
    std::string tool = bare + "\\Uninstall.exe";
    ASSERT_TRUE(CopyFileA(ToolPath().c_str(), tool.c_str(), FALSE));
    for (const std::string& current : {bare, install})
        RunSilent(tool, current, 1603);
    ExpectNothingWritten();
    AnsweredRun refused = RunAnswering("\"" + tool + "\" /setup", install, "Lumbex Setup", IDOK);
    EXPECT_EQ("The folder " + bare + "\\ holds no Lumbex.exe. Setup sets up the Lumbex in its "
              "own folder; nothing was changed.",
              refused.box.text);
    EXPECT_TRUE(refused.run.finished);
    EXPECT_EQ(1603u, refused.run.exitCode);
    ExpectNothingWritten();
}

// An entry in the list of installed programs that cannot be written leaves
// the files without a way to remove them: setup says so, shows no
// completion dialog, and ends with 1603.
TEST_F(SetupMode, ASetupThatCouldNotWriteItsEntrySaysSo)
{
    SetText(HKEY_LOCAL_MACHINE, UninstallEntryKey, "DisplayName", "Locked");
    ASSERT_TRUE(DenyKeyAccess(HKEY_LOCAL_MACHINE, UninstallEntryKey, KEY_SET_VALUE));
    RunSilent(Tool(), install, 1603);
    Start(Tool(), "/setup", install);
    HWND options = WaitForOptions();
    ASSERT_TRUE(options != NULL);
    ClickButton(options, IDOK);
    // The message comes once the options dialog, of the same caption, is gone.
    EXPECT_TRUE(Eventually([&] { return !IsWindow(options); }, 15000));
    BoxAnswer failed = AnswerMessageBox("Lumbex Setup", IDOK, 15000);
    RunResult run = Finish();
    ASSERT_TRUE(DenyKeyAccess(HKEY_LOCAL_MACHINE, UninstallEntryKey, 0));
    EXPECT_EQ("Lumbex Setup could not be completed (" + std::string(UninstallEntryKey) + ").",
              failed.text);
    EXPECT_TRUE(run.finished);
    EXPECT_EQ(1603u, run.exitCode);
    EXPECT_EQ("Locked", RegText(HKEY_LOCAL_MACHINE, UninstallEntryKey, "DisplayName"));
    EXPECT_EQ(NULL, WaitForDialog("Lumbex Setup", IDOK, "Done", 0));
}

// A careless language module without the dialogs and without some texts:
// the own dialogs open, and the registration is complete, with the own
// texts where the module has none.
TEST_F(SetupMode, ALanguageModuleWithoutTheDialogsLeavesThemToTheOwnImage)
{
    ASSERT_TRUE(CopyFileA(FixturePath("badlng\\kezlng.dll").c_str(), InInstall("kezlng.dll").c_str(),
                          FALSE));
    Start(Tool(), "/setup", install);
    HWND options = WaitForOptions();
    ASSERT_TRUE(options != NULL);
    ClickButton(options, IDOK);
    HWND done = WaitForDone();
    ASSERT_TRUE(done != NULL);
    EXPECT_EQ(install, ControlText(done, Folder));
    ClickButton(done, IDOK);
    RunResult run = Finish();
    EXPECT_TRUE(run.finished);
    EXPECT_EQ(0u, run.exitCode);
    ExpectGroupWindowAndClose();
    Saved saved(5);
    ExpectRegistry(Defaults, saved, install, Tool());
}

TEST_F(SetupMode, CancellingTheFirstRunShowsTheDefaultsAndChangesNothing)
{
    Start(Tool(), "/setup", install);
    HWND options = WaitForOptions();
    ASSERT_TRUE(options != NULL);
    EXPECT_EQ(std::vector<int>({Kez, Zip, Cab, Arj, Lzh, Programs, ShellExt, MenuIcons}),
              TickedBoxes(options));
    EXPECT_TRUE(IsEnabled(options, Cascaded));
    Sleep(300);
    EXPECT_TRUE(SaveScreenshot(options, ScreenshotPath("options_dialog.bmp")));

    ClickButton(options, ShellExt);
    EXPECT_TRUE(Eventually([&] { return !IsEnabled(options, Cascaded); }));
    EXPECT_FALSE(IsEnabled(options, MenuIcons));
    EXPECT_TRUE(IsChecked(options, MenuIcons));
    ClickButton(options, ShellExt);
    EXPECT_TRUE(Eventually([&] { return IsEnabled(options, Cascaded); }));
    EXPECT_TRUE(IsEnabled(options, MenuIcons));

    ClickButton(options, Desktop);
    PressKey(options, VK_ESCAPE);
    // An installer that ran setup learns that nothing was set up.
    RunResult run = Finish();
    EXPECT_TRUE(run.finished);
    EXPECT_EQ(1602u, run.exitCode);
    ExpectNothingWritten();
    EXPECT_EQ(NULL, WaitForDialog("Lumbex Setup", IDOK, "Done", 0));
}

TEST_F(SetupMode, AnInteractiveRunStoresTheChangesAndTheCompletionDialogStartsTheProduct)
{
    Start(Tool(), "/setup", install);
    HWND options = WaitForOptions();
    ASSERT_TRUE(options != NULL);
    ClickButton(options, Zip);
    ClickButton(options, Desktop);
    ClickButton(options, ShellExt);
    ASSERT_TRUE(Eventually([&] { return !IsEnabled(options, MenuIcons); }));
    EXPECT_FALSE(IsEnabled(options, Cascaded));
    ClickButton(options, IDOK);

    HWND done = WaitForDone();
    ASSERT_TRUE(done != NULL);
    EXPECT_EQ(install, ControlText(done, Folder));
    EXPECT_TRUE(Eventually([&] { return !IsShown(options); }));
    EXPECT_TRUE(IsWindow(options));
    Sleep(300);
    EXPECT_TRUE(SaveScreenshot(done, ScreenshotPath("done_dialog.bmp")));

    ClickButton(done, RunArchiver);
    EXPECT_TRUE(Eventually([&] { return !RecordedCommandLines(InInstall("Lumbex.exe")).empty(); }));
    EXPECT_EQ(std::vector<std::string>({"\"" + InInstall("Lumbex.exe") + "\""}),
              RecordedCommandLines(InInstall("Lumbex.exe")));

    ClickButton(done, PriceList);
    HWND notepad = WaitForWindow("register.frm - Notepad", 10000);
    EXPECT_TRUE(notepad != NULL);
    if (notepad)
        PostMessageA(notepad, WM_CLOSE, 0, 0);
    EXPECT_TRUE(Eventually([] { return !ViewerRuns(); }));
    DeleteFileA(InInstall("register.frm").c_str());
    EXPECT_TRUE(ClickButtonAndWait(done, PriceList));
    EXPECT_FALSE(ViewerRuns()) << "a viewer without the form";

    ClickButton(done, IDOK);
    RunResult run = Finish();
    EXPECT_TRUE(run.finished) << "Done did not end both dialogs";
    EXPECT_EQ(0u, run.exitCode);
    ExpectGroupWindowAndClose();

    Choices chosen = Defaults;
    chosen.types[1] = false;
    chosen.desktop = true;
    chosen.shellExt = false;
    Saved saved(5);
    ExpectRegistry(chosen, saved, install, Tool());
    ExpectLink(ShellFolderPath(CSIDL_DESKTOPDIRECTORY) + "\\Lumbex.lnk", InInstall("Lumbex.exe"));
    ExpectGroups(install);

    // The next run shows what this one stored; the close box leaves it all.
    std::vector<std::string> settings = RegistryLines(HKEY_CURRENT_USER, "Software\\Lumbex");
    Start(Tool(), "/setup", install);
    options = WaitForOptions();
    ASSERT_TRUE(options != NULL);
    EXPECT_EQ(std::vector<int>({Kez, Cab, Arj, Lzh, Desktop, Programs, MenuIcons}),
              TickedBoxes(options));
    EXPECT_FALSE(IsEnabled(options, Cascaded));
    EXPECT_FALSE(IsEnabled(options, MenuIcons));
    ClickButton(options, Programs);
    PostMessageA(options, WM_SYSCOMMAND, SC_CLOSE, 0);
    run = Finish();
    EXPECT_TRUE(run.finished);
    EXPECT_EQ(1602u, run.exitCode);
    EXPECT_EQ(settings, RegistryLines(HKEY_CURRENT_USER, "Software\\Lumbex"));
}

}  // namespace
