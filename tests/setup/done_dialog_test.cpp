#include <algorithm>
#include <functional>
#include <thread>

#include "driver/setup_dialog.h"
#include "driver/ui_driver.h"
#include "resources/resource.h"
#include "setup/setup.h"
#include "setup_fixture.h"

namespace {

class DoneDialog : public DialogFixture {
protected:
    INT_PTR RunDialog(HWND setupWindow, const std::function<void(HWND)>& user)
    {
        return RunModal("DONEDLG", DoneDialogProc, (LPARAM)setupWindow, "Done", user);
    }
    std::vector<std::string> Recorded(const char* program)
    {
        return RecordedCommandLines(InFolder(program));
    }
};

TEST_F(DoneDialog, ShowsTheFolderHidesSetupAndStartsTheArchiverQuoted)
{
    HWND setup = OpenOptionsDialogWithDefaults();
    ASSERT_TRUE(IsShown(setup));
    std::string quoted = "\"" + InFolder("Lumbex.exe") + "\"";
    INT_PTR result = RunDialog(setup, [&](HWND done) {
        EXPECT_EQ(folder, ControlText(done, IDC_FOLDER));
        EXPECT_EQ((LRESULT)BoldFont, SendMessageA(GetDlgItem(done, IDC_THANKS), WM_GETFONT, 0, 0));
        EXPECT_EQ((LRESULT)AppIcon, SendMessageA(done, WM_GETICON, ICON_BIG, 0));
        EXPECT_TRUE(Eventually([&] { return !IsShown(setup); }));
        // Shown again by someone else: the next paint hides it once more.
        ShowWindow(setup, SW_SHOWNA);
        InvalidateRect(done, NULL, TRUE);
        EXPECT_TRUE(Eventually([&] { return !IsShown(setup); }));

        ClickButton(done, IDC_RUN);
        EXPECT_TRUE(Eventually([&] { return Recorded("Lumbex.exe").size() == 1; }));
        ClickButton(done, IDC_RUN);
        EXPECT_TRUE(Eventually([&] { return Recorded("Lumbex.exe").size() == 2; }));
        ClickButton(done, IDOK);
    });
    EXPECT_EQ(1, result);
    EXPECT_EQ(std::vector<std::string>({quoted, quoted}), Recorded("Lumbex.exe"));
    EXPECT_TRUE(IsWindow(setup));
    CloseOptionsDialog(setup);
}

// The thank-you line in the dialog's own font, made bold: as tall as the
// dialog's text at any scale of the display.
void ExpectThanksInTheDialogsFont(HWND done)
{
    LOGFONTA own = {};
    LOGFONTA thanks = {};
    HFONT ownFont = (HFONT)SendMessageA(done, WM_GETFONT, 0, 0);
    HFONT thanksFont = (HFONT)SendDlgItemMessageA(done, IDC_THANKS, WM_GETFONT, 0, 0);
    ASSERT_EQ((int)sizeof own, GetObjectA(ownFont, sizeof own, &own));
    ASSERT_EQ((int)sizeof thanks, GetObjectA(thanksFont, sizeof thanks, &thanks));
    EXPECT_EQ(own.lfHeight, thanks.lfHeight);
    EXPECT_STREQ(own.lfFaceName, thanks.lfFaceName);
    EXPECT_EQ(FW_BOLD, thanks.lfWeight);
    EXPECT_NE(FW_BOLD, own.lfWeight);
}

// Run only by the next test, in a process of its own at 150 %.
TEST_F(DoneDialog, DISABLED_ThanksAtOneHundredFiftyPercent)
{
    HDC screen = GetDC(NULL);
    EXPECT_EQ(144, GetDeviceCaps(screen, LOGPIXELSY));
    ReleaseDC(NULL, screen);
    RunDialog(NULL, [&](HWND done) {
        ExpectThanksInTheDialogsFont(done);
        ClickButton(done, IDOK);
    });
}

// The display's scale is read once when a process starts: this program runs
// again, with the scale set to 150 % meanwhile.
TEST_F(DoneDialog, TheThankYouLineScalesWithTheDisplay)
{
    RunDialog(NULL, [&](HWND done) {
        ExpectThanksInTheDialogsFont(done);
        ClickButton(done, IDOK);
    });

    const char* desktop = "Control Panel\\Desktop";
    std::string saved = RegRaw(HKEY_CURRENT_USER, desktop, "LogPixels");
    DWORD dpi = 144;
    SetRaw(HKEY_CURRENT_USER, desktop, "LogPixels", REG_DWORD, std::string((char*)&dpi, 4));
    std::string report = MakeSandbox("scaled done dialog") + "\\report.xml";
    RunResult run = RunProgram(std::string(GetCommandLineA()) +
                                   " --gtest_also_run_disabled_tests"
                                   " --gtest_filter=DoneDialog.DISABLED_ThanksAtOneHundredFiftyPercent"
                                   " --gtest_output=xml:\"" + report + "\"",
                               "C:\\", 60000);
    if (saved == "<missing>")
        DeleteValue(HKEY_CURRENT_USER, desktop, "LogPixels");
    else
        SetRaw(HKEY_CURRENT_USER, desktop, "LogPixels", REG_DWORD, saved);
    EXPECT_TRUE(run.finished);
    EXPECT_EQ(0u, run.exitCode);
    std::string xml = ReadBytes(report);
    EXPECT_NE(std::string::npos, xml.find("tests=\"1\" failures=\"0\"")) << xml;
}

// The system's viewers by their full paths: programs of their names in the
// current folder never run. Without notepad, write shows the form.
TEST_F(DoneDialog, PriceListOpensInTheSystemsNotepadThenWriteAndNothingWithoutTheForm)
{
    std::string form = InFolder("register.frm");
    ASSERT_TRUE(CopyFileA(InFolder("Lumbex.exe").c_str(), InFolder("notepad.exe").c_str(), 0));
    ASSERT_TRUE(CopyFileA(InFolder("Lumbex.exe").c_str(), InFolder("write.exe").c_str(), 0));
    char system[MAX_PATH];
    GetSystemDirectoryA(system, sizeof system);
    std::string notepad = std::string(system) + "\\notepad.exe";
    std::string away = notepad + ".away";
    bool moved = false;
    RunDialog(NULL, [&](HWND done) {
        ClickButton(done, IDC_PRICELIST);
        HWND viewer = WaitForWindowStarting("register.frm - ", 10000);
        EXPECT_EQ("register.frm - Notepad", WindowText(viewer));
        EXPECT_TRUE(ViewerRuns());
        PostMessageA(viewer, WM_CLOSE, 0, 0);
        EXPECT_TRUE(WaitForNoWindow("register.frm - Notepad", 5000));

        moved = MoveFileA(notepad.c_str(), away.c_str()) != 0;
        EXPECT_TRUE(moved);
        ClickButton(done, IDC_PRICELIST);
        viewer = WaitForWindowStarting("register.frm - ", 10000);
        EXPECT_TRUE(viewer != NULL);
        EXPECT_NE("register.frm - Notepad", WindowText(viewer));
        PostMessageA(viewer, WM_CLOSE, 0, 0);
        EXPECT_TRUE(Eventually([&] { return !ViewerRuns(); }));

        DeleteFileA(form.c_str());
        EXPECT_TRUE(ClickButtonAndWait(done, IDC_PRICELIST));
        EXPECT_FALSE(ViewerRuns()) << "a viewer without the form";
        ClickButton(done, IDOK);
    });
    if (moved)
        MoveFileA(away.c_str(), notepad.c_str());
    EXPECT_TRUE(Exists(notepad));
    EXPECT_EQ(std::vector<std::string>(), Recorded("notepad.exe"));
    EXPECT_EQ(std::vector<std::string>(), Recorded("write.exe"));
}

TEST_F(DoneDialog, EscapeClosesLikeDoneAndOpensTheProgramGroup)
{
    std::string group = MakeSandbox("done group");
    strcpy(ProgramGroupPath, group.c_str());
    INT_PTR result = RunDialog(NULL, [&](HWND done) { PressKey(done, VK_ESCAPE); });
    EXPECT_EQ(1, result);
    EXPECT_TRUE(WaitForWindow("done group", 10000) != NULL);
    EXPECT_EQ(1, CloseFolderWindows("done group"));
}

// Run as the system account, a folder window would be a file browser with
// its rights on a user's desktop: a silent run opens none.
TEST_F(DoneDialog, SilentModeEndsAtOnceAndOpensNoWindow)
{
    SilentMode = 1;
    std::vector<DWORD> shells = ProcessIds("explorer.exe");
    std::string group = MakeSandbox("silent group");
    for (const char* path : {"", group.c_str()}) {
        strcpy(ProgramGroupPath, path);
        DWORD start = GetTickCount();
        EXPECT_EQ(1, DialogBoxParamA(GetModuleHandleA(NULL), "DONEDLG", NULL, DoneDialogProc, 0));
        EXPECT_LT(GetTickCount() - start, 2000u);
    }
    // A shell that opened a folder window runs by now.
    for (DWORD shell : ProcessIds("explorer.exe"))
        EXPECT_NE(shells.end(), std::find(shells.begin(), shells.end(), shell));
    EXPECT_EQ(NULL, WaitForWindow("silent group", 3000));
}

TEST_F(DoneDialog, LicenceAndHelpOpenInTheirViewers)
{
    // A fresh wine prefix lacks the ".txt" association that Windows has.
    bool addedTextType = !KeyExists(HKEY_CLASSES_ROOT, ".txt");
    if (addedTextType)
        SetRaw(HKEY_CLASSES_ROOT, ".txt", "", REG_SZ, std::string("txtfile") + '\0');
    BoxAnswer help;
    RunDialog(NULL, [&](HWND done) {
        ClickButton(done, IDC_LICENSE);
        HWND viewer = WaitForWindow("license.txt - Notepad", 10000);
        EXPECT_TRUE(viewer != NULL);
        if (viewer)
            PostMessageA(viewer, WM_CLOSE, 0, 0);
        // No help file here: the help engine says so, which shows it was asked.
        ClickButton(done, IDC_READHELP);
        help = AnswerMessageBox("ERROR", IDNO, 10000);
        ClickButton(done, IDOK);
    });
    if (addedTextType)
        DeleteTree(HKEY_CLASSES_ROOT, ".txt");
    EXPECT_TRUE(help.found);
    EXPECT_NE(std::string::npos, help.text.find("lumbex.hlp")) << help.text;
}

TEST(RunCommandTest, StartsWithoutWaitingAndReportsFailure)
{
    std::string folder = MakeSandbox("run command");
    ASSERT_TRUE(PlaceProduct(folder));
    std::string line = "\"" + folder + "\\Lumbex.exe\" \"an archive.kez\"";
    EXPECT_TRUE(RunCommand(line.c_str(), NULL));
    EXPECT_TRUE(Eventually([&] {
        return RecordedCommandLines(folder + "\\Lumbex.exe") == std::vector<std::string>{line};
    }));
    EXPECT_FALSE(RunCommand("no-such-program-anywhere.exe", NULL));
    std::string tooLong = "\"" + folder + "\\Lumbex.exe\" " + std::string(600, 'x');
    EXPECT_FALSE(RunCommand(tooLong.c_str(), NULL));
    // Whatever they had started would be running now, or have recorded.
    EXPECT_TRUE(Eventually([] { return ProcessIds("Lumbex.exe").empty(); }));
    EXPECT_EQ(1u, RecordedCommandLines(folder + "\\Lumbex.exe").size());
}

}  // namespace
